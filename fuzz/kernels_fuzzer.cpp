// Every vector level's kernels against the plain reference forms on the same input: the bytes
// as UTF-8, and the same bytes (or units drawn mostly from the corners) as UTF-16, at the offset
// the input asks for, so that faults fall anywhere relative to the vector widths.
#include "fuzz_input.h"
#include "kernels_agree.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace QuendalText::detail;
    using fuzz::UTF16String;
    using fuzz::UTF16Unit;
    fuzz::Input input(data, size);
    // A leading filler moves the interesting bytes to any offset from a block's start.
    const std::size_t offset = input.Below(70);
    const bool cornerUnits = input.Byte() % 2 == 0;
    const UTF16Unit sought = input.Unit();
    const std::size_t room = input.Word();
    UTF16String other;
    for (std::uint32_t n = input.Below(10); n > 0; --n) other.push_back(input.Unit());
    std::string bytes(offset, 'a');
    UTF16String units(offset, u'a');
    while (!input.Empty()) {
        const std::uint8_t byte = input.Byte();
        bytes.push_back(static_cast<char>(byte));
        units.push_back(cornerUnits ? input.Unit()
                                    : static_cast<UTF16Unit>(byte << 8 | input.Byte()));
    }
    const UTF16String bytesAsUnits(bytes.begin(), bytes.end());
    for (const SimdLevel level : {SimdLevel::SSE2, SimdLevel::AVX2, SimdLevel::AVX512}) {
        if (const Kernels* kernels = KernelsFor(level)) {
            fuzz::Check(fuzz::UTF8PassesAgree(*kernels, bytes) &&
                        fuzz::UTF16PassesAgree(*kernels, units, std::min(room, 3 * units.size())) &&
                        fuzz::UnitPassesAgree(*kernels, units, sought, other) &&
                        fuzz::UnitPassesAgree(*kernels, bytesAsUnits, sought, other));
        }
    }
    return 0;
}
