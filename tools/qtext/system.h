// What qtext asks of the operating system beyond standard C++: its arguments as UTF-8, files read
// through descriptors, whether standard output is a terminal, and standard streams that carry
// bytes untranslated.
#ifndef QTEXT_SYSTEM_H
#define QTEXT_SYSTEM_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qtext {

// The program's arguments, argv[0] included, as UTF-8. Windows hands main() its arguments in
// the ANSI code page, so there they are read again from the UTF-16 command line; an unpaired
// surrogate in it becomes U+FFFD.
std::vector<std::string> ArgumentsAsUTF8(int argc, char** argv);

// A descriptor open for reading the bytes of `path`, or -1 with errno set.
int OpenForReading(const char* path);
// Reads up to `count` bytes: the number read, 0 at the end, -1 with errno set.
long ReadSome(int descriptor, char* buffer, std::size_t count);
void CloseDescriptor(int descriptor);

// The size of the regular file open as `descriptor`, or 0 for anything else (a pipe, a
// terminal, a device) or an empty file.
std::uint64_t RegularFileSize(int descriptor);
// A read-only view of the first `size` bytes of the file open as `descriptor`, or null where
// files are not mapped (Windows) or the mapping failed. UnmapFile lets go of it.
const char* MapFile(int descriptor, std::uint64_t size);
void UnmapFile(const char* bytes, std::uint64_t size);
// While a view of a mapped file is watched, the signal that reading past the end of a file cut
// short by another program raises (SIGBUS) ends qtext with a message naming the file and the
// status given to SetCutShortStatus (1 unless told), not a crash; a fault anywhere else keeps
// its default effect. `name` must stay valid until UnwatchMappedFile. Nothing happens where
// files are not mapped.
void WatchMappedFile(const char* bytes, std::uint64_t size, const char* name);
void UnwatchMappedFile();
void SetCutShortStatus(int status);
// Lets the system take back the memory behind the pages of a mapped file from the one holding
// view[0] to the one holding view[size] (that one excluded): bytes that will not be read again,
// so that the memory a process holds of the file stays small.
void ReleaseMapped(const char* view, std::size_t size);

bool StandardOutputIsTerminal();

// The first occurrence of `pattern` (not empty) in `bytes`, or null: the C library's memmem
// where it has one, else a Boyer-Moore-Horspool search.
const char* FindBytes(const char* bytes, std::size_t size, const char* pattern,
                      std::size_t patternSize);

// The offset of the last byte equal to `value` in `bytes`, or npos: the C library's memrchr
// where it has one (string_view::rfind tests a byte at a time).
std::size_t FindLastByte(std::string_view bytes, char value);

// Puts standard input, output and error in binary mode where the C runtime would otherwise
// translate (Windows: "\n" written as "\r\n", reading stopped at a Ctrl-Z byte).
void UseBinaryStandardStreams();

}  // namespace qtext

#endif  // QTEXT_SYSTEM_H
