#include "system.h"

#include <QuendalText/Text.h>

#include <fcntl.h>

#include <cstdint>
#include <cstdio>

#if defined(_WIN32)
#  include <io.h>
#  include <windows.h>
// After <windows.h>, whose types it uses.
#  include <shellapi.h>
#  include <algorithm>
#  include <functional>
#else
#  include <string.h>  // memmem
#  include <unistd.h>
#endif

namespace qtext {

#if defined(_WIN32)

std::vector<std::string> ArgumentsAsUTF8(int argc, char** argv) {
    int count = 0;
    wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    std::vector<std::string> arguments;
    if (wide == nullptr || count != argc) {
        arguments.assign(argv, argv + argc);
    } else {
        for (int i = 0; i < count; ++i) {
            // An unpaired surrogate in a name becomes U+FFFD rather than stop the tool.
            arguments.push_back(QuendalText::Text(QuendalText::UTF16StringView(wide[i]))
                                    .ToUTF8String(QuendalText::Malformed::Replace));
        }
    }
    ::LocalFree(wide);
    return arguments;
}

// The path is UTF-8, which the narrow _open would read in the ANSI code page: opened by its
// UTF-16 name instead, so that any file name works.
int OpenForReading(const char* path) {
    const QuendalText::Text name =
        QuendalText::Text::FromUTF8(path, QuendalText::Malformed::Replace);
    return ::_wopen(name.c_str(), _O_RDONLY | _O_BINARY | _O_NOINHERIT);
}

long ReadSome(int descriptor, char* buffer, std::size_t count) {
    constexpr std::size_t kLargestRead = std::size_t(1) << 30;
    return ::_read(descriptor, buffer,
                   static_cast<unsigned>(count < kLargestRead ? count : kLargestRead));
}

void CloseDescriptor(int descriptor) { ::_close(descriptor); }

bool StandardOutputIsTerminal() { return ::_isatty(1) != 0; }

void UseBinaryStandardStreams() {
    ::_setmode(::_fileno(stdin), _O_BINARY);
    ::_setmode(::_fileno(stdout), _O_BINARY);
    ::_setmode(::_fileno(stderr), _O_BINARY);  // messages end with a line feed, as on POSIX
}

const char* FindBytes(const char* bytes, std::size_t size, const char* pattern,
                      std::size_t patternSize) {
    const char* const end = bytes + size;
    const char* const found = std::search(
        bytes, end,
        std::boyer_moore_horspool_searcher<const char*>(pattern, pattern + patternSize));
    return found == end ? nullptr : found;
}

#else

std::vector<std::string> ArgumentsAsUTF8(int argc, char** argv) {
    return std::vector<std::string>(argv, argv + argc);
}

int OpenForReading(const char* path) { return ::open(path, O_RDONLY | O_CLOEXEC); }

long ReadSome(int descriptor, char* buffer, std::size_t count) {
    return static_cast<long>(::read(descriptor, buffer, count));
}

void CloseDescriptor(int descriptor) { ::close(descriptor); }

bool StandardOutputIsTerminal() { return ::isatty(STDOUT_FILENO) != 0; }

void UseBinaryStandardStreams() {}

const char* FindBytes(const char* bytes, std::size_t size, const char* pattern,
                      std::size_t patternSize) {
    return static_cast<const char*>(::memmem(bytes, size, pattern, patternSize));
}

#endif

}  // namespace qtext
