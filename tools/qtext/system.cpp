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
#  include <signal.h>
#  include <string.h>  // memmem, memrchr
#  include <sys/mman.h>
#  include <sys/stat.h>
#  include <unistd.h>
#  include <limits>
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

// Files are read, never mapped: the blocks come through ReadSome.
std::uint64_t RegularFileSize(int) { return 0; }
const char* MapFile(int, std::uint64_t) { return nullptr; }
void WatchMappedFile(const char*, std::uint64_t, const char*) {}
void UnwatchMappedFile() {}
void SetCutShortStatus(int) {}
void UnmapFile(const char*, std::uint64_t) {}
void ReleaseMapped(const char*, std::size_t) {}

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

std::size_t FindLastByte(std::string_view bytes, char value) { return bytes.rfind(value); }

#else

std::vector<std::string> ArgumentsAsUTF8(int argc, char** argv) {
    return std::vector<std::string>(argv, argv + argc);
}

int OpenForReading(const char* path) { return ::open(path, O_RDONLY | O_CLOEXEC); }

long ReadSome(int descriptor, char* buffer, std::size_t count) {
    return static_cast<long>(::read(descriptor, buffer, count));
}

void CloseDescriptor(int descriptor) { ::close(descriptor); }

std::uint64_t RegularFileSize(int descriptor) {
    struct stat status {};
    if (::fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode) || status.st_size <= 0)
        return 0;
    return static_cast<std::uint64_t>(status.st_size);
}

const char* MapFile(int descriptor, std::uint64_t size) {
    if (size > std::numeric_limits<std::size_t>::max()) return nullptr;
    void* const view =
        ::mmap(nullptr, static_cast<std::size_t>(size), PROT_READ, MAP_PRIVATE, descriptor, 0);
    return view == MAP_FAILED ? nullptr : static_cast<const char*>(view);
}

void UnmapFile(const char* bytes, std::uint64_t size) {
    if (bytes != nullptr) ::munmap(const_cast<char*>(bytes), static_cast<std::size_t>(size));
}

namespace {

// The watched view, read by the signal handler: set before the handler can run, and only by the
// one thread that reads files.
const char* volatile WatchedBytes = nullptr;
volatile std::uint64_t WatchedSize = 0;
const char* volatile WatchedName = nullptr;
volatile sig_atomic_t WatchedStatus = 1;

void WriteToStandardError(const char* text) {
    std::size_t size = 0;
    while (text[size] != '\0') ++size;
    while (size > 0) {
        const ssize_t written = ::write(STDERR_FILENO, text, size);
        if (written <= 0) return;
        text += written;
        size -= static_cast<std::size_t>(written);
    }
}

// Only async-signal-safe calls: write, _exit, and for a fault elsewhere, the default action.
void OnBusError(int signal, siginfo_t* info, void*) {
    const auto address = reinterpret_cast<std::uintptr_t>(info->si_addr);
    const auto first = reinterpret_cast<std::uintptr_t>(WatchedBytes);
    if (WatchedBytes != nullptr && address >= first && address - first < WatchedSize) {
        WriteToStandardError("qtext: ");
        WriteToStandardError(WatchedName);
        WriteToStandardError(": the file was cut short while it was read\n");
        ::_exit(WatchedStatus);
    }
    ::signal(signal, SIG_DFL);
    ::raise(signal);
}

}  // namespace

void WatchMappedFile(const char* bytes, std::uint64_t size, const char* name) {
    static const bool installed = [] {
        struct sigaction action {};
        action.sa_sigaction = OnBusError;
        action.sa_flags = SA_SIGINFO;
        sigemptyset(&action.sa_mask);
        return ::sigaction(SIGBUS, &action, nullptr) == 0;
    }();
    static_cast<void>(installed);
    WatchedName = name;
    WatchedSize = size;
    WatchedBytes = bytes;
}

void UnwatchMappedFile() { WatchedBytes = nullptr; }

void SetCutShortStatus(int status) { WatchedStatus = status; }

void ReleaseMapped(const char* view, std::size_t size) {
    static const auto kPage = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
    const auto start = reinterpret_cast<std::uintptr_t>(view);
    // From the page holding view[0]: the bytes before it were released by the call before.
    const std::uintptr_t first = start / kPage * kPage;
    const std::uintptr_t end = (start + size) / kPage * kPage;
    // Pages of a private mapping that was never written are dropped, not lost: they would be
    // read from the file again.
    if (end > first) ::madvise(reinterpret_cast<void*>(first), end - first, MADV_DONTNEED);
}

bool StandardOutputIsTerminal() { return ::isatty(STDOUT_FILENO) != 0; }

void UseBinaryStandardStreams() {}

const char* FindBytes(const char* bytes, std::size_t size, const char* pattern,
                      std::size_t patternSize) {
    return static_cast<const char*>(::memmem(bytes, size, pattern, patternSize));
}

std::size_t FindLastByte(std::string_view bytes, char value) {
    if (bytes.empty()) return std::string_view::npos;
    const void* const found = ::memrchr(bytes.data(), value, bytes.size());
    return found == nullptr
               ? std::string_view::npos
               : static_cast<std::size_t>(static_cast<const char*>(found) - bytes.data());
}

#endif

}  // namespace qtext
