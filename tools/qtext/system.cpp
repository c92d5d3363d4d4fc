#include "system.h"

#include <fcntl.h>

#include <cstdint>
#include <cstdio>

#if defined(_WIN32)
#  include <io.h>
#  include <windows.h>
// After <windows.h>, whose types it uses.
#  include <shellapi.h>
#else
#  include <unistd.h>
#endif

namespace qtext {

#if defined(_WIN32)

namespace {

void AppendUtf8(std::uint32_t codePoint, std::string* bytes) {
    if (codePoint < 0x80) {
        bytes->push_back(static_cast<char>(codePoint));
        return;
    }
    const int continuations = codePoint < 0x800 ? 1 : codePoint < 0x10000 ? 2 : 3;
    static constexpr unsigned char kLeadBits[] = {0, 0xC0, 0xE0, 0xF0};
    bytes->push_back(
        static_cast<char>(kLeadBits[continuations] | (codePoint >> (6 * continuations))));
    for (int i = continuations - 1; i >= 0; --i) {
        bytes->push_back(static_cast<char>(0x80 | ((codePoint >> (6 * i)) & 0x3F)));
    }
}

std::string Utf8Of(const wchar_t* units) {
    std::string bytes;
    for (; *units != 0; ++units) {
        std::uint32_t codePoint = *units;
        const bool startsPair =
            codePoint >= 0xD800 && codePoint <= 0xDBFF && units[1] >= 0xDC00 && units[1] <= 0xDFFF;
        if (startsPair) {
            codePoint = 0x10000 + ((codePoint - 0xD800) << 10) + (units[1] - 0xDC00u);
            ++units;
        }
        AppendUtf8(codePoint, &bytes);
    }
    return bytes;
}

}  // namespace

std::vector<std::string> ArgumentsAsUtf8(int argc, char** argv) {
    int count = 0;
    wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    std::vector<std::string> arguments;
    if (wide == nullptr || count != argc) {
        arguments.assign(argv, argv + argc);
    } else {
        for (int i = 0; i < count; ++i) arguments.push_back(Utf8Of(wide[i]));
    }
    ::LocalFree(wide);
    return arguments;
}

int OpenForReading(const char* path) { return ::_open(path, _O_RDONLY | _O_BINARY | _O_NOINHERIT); }

long ReadSome(int descriptor, char* buffer, std::size_t count) {
    constexpr std::size_t kLargestRead = std::size_t(1) << 30;
    return ::_read(descriptor, buffer,
                   static_cast<unsigned>(count < kLargestRead ? count : kLargestRead));
}

void CloseDescriptor(int descriptor) { ::_close(descriptor); }

bool StandardInputIsTerminal() { return ::_isatty(0) != 0; }

void UseBinaryStandardStreams() {
    ::_setmode(::_fileno(stdin), _O_BINARY);
    ::_setmode(::_fileno(stdout), _O_BINARY);
}

#else

std::vector<std::string> ArgumentsAsUtf8(int argc, char** argv) {
    return std::vector<std::string>(argv, argv + argc);
}

int OpenForReading(const char* path) { return ::open(path, O_RDONLY | O_CLOEXEC); }

long ReadSome(int descriptor, char* buffer, std::size_t count) {
    return static_cast<long>(::read(descriptor, buffer, count));
}

void CloseDescriptor(int descriptor) { ::close(descriptor); }

bool StandardInputIsTerminal() { return ::isatty(STDIN_FILENO) != 0; }

void UseBinaryStandardStreams() {}

#endif

}  // namespace qtext
