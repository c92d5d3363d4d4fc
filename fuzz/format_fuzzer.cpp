// The format constructor against the C library's snprintf on the same random conversion: an
// integer, floating-point, string or character conversion with any flags, width and precision
// ('*' included) and length modifier, fed the same arguments. Both must produce the same
// characters.
#include "format_reference.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Input input(data, size);
    std::string (*const kinds[])(const std::function<std::uint64_t()>&) = {
        fuzz::IntegerMismatch, fuzz::FloatingMismatch, fuzz::StringMismatch};
    const auto kind = kinds[input.Byte() % 3];
    const std::function<std::uint64_t()> next = [&input] {
        return std::uint64_t{input.Word()} << 32 | input.Word();
    };
    while (!input.Empty()) fuzz::Check(kind(next).empty());
    return 0;
}
