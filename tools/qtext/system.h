// What qtext asks of the operating system beyond standard C++: its arguments as UTF-8, files read
// through descriptors, whether standard output is a terminal, and standard streams that carry
// bytes untranslated.
#ifndef QTEXT_SYSTEM_H
#define QTEXT_SYSTEM_H

#include <cstddef>
#include <string>
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

bool StandardOutputIsTerminal();

// The first occurrence of `pattern` (not empty) in `bytes`, or null: the C library's memmem
// where it has one, else a Boyer-Moore-Horspool search.
const char* FindBytes(const char* bytes, std::size_t size, const char* pattern,
                      std::size_t patternSize);

// Puts standard input, output and error in binary mode where the C runtime would otherwise
// translate (Windows: "\n" written as "\r\n", reading stopped at a Ctrl-Z byte).
void UseBinaryStandardStreams();

}  // namespace qtext

#endif  // QTEXT_SYSTEM_H
