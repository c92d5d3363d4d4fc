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

bool Same(const TranscodeResult& a, const TranscodeResult& b) {
    return std::tie(a.read, a.written, a.codePoints, a.stop) ==
           std::tie(b.read, b.written, b.codePoints, b.stop);
}

void Transcoders(const Kernels& kernels, const std::string& bytes, const UTF16String& units,
                 std::size_t room) {
    std::vector<UTF16Unit> plain(bytes.size() + 1), fast(bytes.size() + 1);
    const TranscodeResult r = reference::UTF8ToUTF16(bytes.data(), bytes.size(), plain.data());
    const TranscodeResult k = kernels.utf8ToUTF16(bytes.data(), bytes.size(), fast.data());
    Check(Same(r, k) &&
          std::equal(plain.begin(), plain.begin() + static_cast<long>(r.written), fast.begin()));
    const ValidPrefix v = kernels.validUTF8Prefix(bytes.data(), bytes.size());
    Check(v.read == r.read && v.stop == r.stop);
    const TranscodeResult r16 = reference::ValidateUTF16(units.data(), units.size());
    const ValidPrefix v16 = kernels.validUTF16Prefix(units.data(), units.size());
    Check(v16.read == r16.read && v16.stop == r16.stop);

    Check(kernels.utf8LengthOfUnits(units.data(), units.size()) ==
          reference::UTF8LengthOfUnits(units.data(), units.size()));
    std::string plainOut(3 * units.size() + 1, '#'), fastOut(plainOut);
    room = std::min(room, 3 * units.size());
    const TranscodeResult r8 =
        reference::UTF16ToUTF8(units.data(), units.size(), &plainOut[0], room);
    const TranscodeResult k8 = kernels.utf16ToUTF8(units.data(), units.size(), &fastOut[0], room);
    Check(Same(r8, k8) && plainOut == fastOut);  // nothing written beyond the output
}

void Units(const Kernels& kernels, const UTF16String& units, UTF16Unit sought,
           const UTF16String& other) {
    const UTF16Unit* data = units.data();
    const std::size_t size = units.size();
    Check(kernels.continueCount(data, size, 0) == reference::ContinueCount(data, size, 0));
    Check(kernels.continueCount(data, size, 1) == reference::ContinueCount(data, size, 1));
    UTF16String copy(size, u'\0');
    Check(kernels.copyAndCount(data, size, &copy[0]) == reference::ContinueCount(data, size, 0) &&
          copy == units);
    Check(kernels.isAscii(data, size) == reference::IsAscii(data, size));
    UTF16String plainCopy(size, u'\0'), fastCopy = plainCopy;
    Check(kernels.copyUpToAbove(data, size, sought, &fastCopy[0]) ==
              reference::CopyUpToAbove(data, size, sought, &plainCopy[0]) &&
          fastCopy == plainCopy);
    Check(kernels.findAbove(data, size, sought) == reference::FindAbove(data, size, sought));
    Check(kernels.findUnit(data, size, sought) == reference::FindUnit(data, size, sought));
    Check(kernels.findLastUnit(data, size, sought) == reference::FindLastUnit(data, size, sought));
    if (!IsSurrogate(sought)) {
        for (const bool forward : {true, false}) {
            Check(FindSingleCharacter(kernels, data, size, sought, forward) ==
                  reference::FindSingleCharacter(data, size, sought, forward));
            UTF16String plain = units, fast = units;
            bool plainStarts = false, fastStarts = false;
            const std::size_t kept =
                reference::RemoveUnit(&plain[0], size, sought, forward, &plainStarts);
            Check(kernels.removeUnit(&fast[0], size, sought, forward, &fastStarts) == kept &&
                  plain.compare(0, kept, fast, 0, kept) == 0 && plainStarts == fastStarts);
        }
    }
    const std::size_t setSize = std::min(other.size(), kSmallSetUnits);
    if (setSize > 0) {
        Check(kernels.findAnyOf(data, size, other.data(), setSize) ==
              reference::FindAnyOf(data, size, other.data(), setSize));
        Check(kernels.findNoneOf(data, size, other.data(), setSize) ==
              reference::FindNoneOf(data, size, other.data(), setSize));
    }
    if (other.size() >= 2) {
        Check(kernels.findPattern(data, size, other.data(), other.size()) ==
              reference::FindPattern(data, size, other.data(), other.size()));
    }
    const std::size_t common = std::min(size, other.size());
    Check(kernels.mismatch(data, other.data(), common) ==
          reference::Mismatch(data, other.data(), common));
    Check(kernels.mismatchAsciiFolded(data, other.data(), common) ==
          reference::MismatchAsciiFolded(data, other.data(), common));
    UTF16String plain = units, fast = units;
    reference::AsciiToUpper(&plain[0], size);
    kernels.asciiToUpper(&fast[0], size);
    Check(plain == fast);
    reference::AsciiToLower(&plain[0], size);
    kernels.asciiToLower(&fast[0], size);
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
        const Kernels* kernels = KernelsFor(level);
        if (kernels == nullptr) continue;
        Transcoders(*kernels, bytes, units, room);
        Units(*kernels, units, sought, other);
        Units(*kernels, bytesAsUnits, sought, other);
    }
    return 0;
}
