// Every vector level's kernels against the plain reference forms on the same input: the bytes
// as UTF-8, and the same bytes (or units drawn mostly from the corners) as UTF-16, at the offset
// the input asks for, so that faults fall anywhere relative to the vector widths.
#include "fuzz_input.h"

#include "internal/kernels.h"

#include <string>
#include <tuple>
#include <vector>

namespace {

using fuzz::Check;
using QuendalText::UTF16String;
using QuendalText::UTF16Unit;
using namespace QuendalText::detail;

// The kernel and its plain form answer the same for the same arguments.
#define SAME(kernel, plain, ...) Check(kernels.kernel(__VA_ARGS__) == reference::plain(__VA_ARGS__))

auto Tied(const TranscodeResult& r) {
    return std::tie(r.Read, r.Written, r.CodePoints, r.StoppedBy);
}

void Transcoders(const Kernels& kernels, const std::string& bytes, const UTF16String& units,
                 std::size_t room) {
    std::vector<UTF16Unit> plain(bytes.size() + 1), fast(bytes.size() + 1);
    const TranscodeResult r = reference::UTF8ToUTF16(bytes.data(), bytes.size(), plain.data());
    Check(Tied(r) == Tied(kernels.UTF8ToUTF16(bytes.data(), bytes.size(), fast.data())) &&
          std::equal(plain.begin(), plain.begin() + static_cast<long>(r.Written), fast.begin()));
    const ValidPrefix v = kernels.ValidUTF8Prefix(bytes.data(), bytes.size());
    Check(v.Read == r.Read && v.StoppedBy == r.StoppedBy);
    const TranscodeResult r16 = reference::ValidateUTF16(units.data(), units.size());
    const ValidPrefix v16 = kernels.ValidUTF16Prefix(units.data(), units.size());
    Check(v16.Read == r16.Read && v16.StoppedBy == r16.StoppedBy);
    SAME(UTF8LengthOfUnits, UTF8LengthOfUnits, units.data(), units.size());
    std::string plainOut(3 * units.size() + 1, '#'), fastOut(plainOut);  // nothing written past
    room = std::min(room, 3 * units.size());
    Check(Tied(reference::UTF16ToUTF8(units.data(), units.size(), &plainOut[0], room)) ==
              Tied(kernels.UTF16ToUTF8(units.data(), units.size(), &fastOut[0], room)) &&
          plainOut == fastOut);
}

void Units(const Kernels& kernels, const UTF16String& units, UTF16Unit sought,
           const UTF16String& other) {
    const UTF16Unit* data = units.data();
    const std::size_t size = units.size(), common = std::min(size, other.size());
    SAME(ContinueCount, ContinueCount, data, size, 0);
    SAME(ContinueCount, ContinueCount, data, size, 1);
    SAME(IsAscii, IsAscii, data, size);
    SAME(FindAbove, FindAbove, data, size, sought);
    SAME(FindUnit, FindUnit, data, size, sought);
    SAME(FindLastUnit, FindLastUnit, data, size, sought);
    SAME(Mismatch, Mismatch, data, other.data(), common);
    SAME(MismatchAsciiFolded, MismatchAsciiFolded, data, other.data(), common);
    UTF16String copy(size, u'\0'), plain(copy), fast(copy);
    Check(kernels.CopyAndCount(data, size, &copy[0]) == reference::ContinueCount(data, size, 0) &&
          copy == units);
    Check(kernels.CopyUpToAbove(data, size, sought, &fast[0]) ==
              reference::CopyUpToAbove(data, size, sought, &plain[0]) &&
          fast == plain);
    for (const bool forward : {true, false}) {
        if (IsSurrogate(sought)) break;
        Check(FindSingleCharacter(kernels, data, size, sought, forward) ==
              reference::FindSingleCharacter(data, size, sought, forward));
        plain = fast = units;
        bool plainStarts = false, fastStarts = false;
        const std::size_t kept =
            reference::RemoveUnit(&plain[0], size, sought, forward, &plainStarts);
        Check(kernels.RemoveUnit(&fast[0], size, sought, forward, &fastStarts) == kept &&
              plain.compare(0, kept, fast, 0, kept) == 0 && plainStarts == fastStarts);
    }
    if (const std::size_t setSize = std::min(other.size(), kSmallSetUnits)) {
        SAME(FindAnyOf, FindAnyOf, data, size, other.data(), setSize);
        SAME(FindNoneOf, FindNoneOf, data, size, other.data(), setSize);
    }
    if (other.size() >= 2) SAME(FindPattern, FindPattern, data, size, other.data(), other.size());
    plain = fast = units;
    reference::AsciiToUpper(&plain[0], size), kernels.AsciiToUpper(&fast[0], size);
    Check(plain == fast);
    reference::AsciiToLower(&plain[0], size), kernels.AsciiToLower(&fast[0], size);
    Check(plain == fast);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
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
            Transcoders(*kernels, bytes, units, room);
            Units(*kernels, units, sought, other);
            Units(*kernels, bytesAsUnits, sought, other);
        }
    }
    return 0;
}
