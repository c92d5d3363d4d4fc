// What the kernels fuzzer and the kernels test share: one level's kernels against the plain
// reference forms on the same arguments. Each check answers whether every kernel agreed, output
// buffers included (they carry a marker past the expected end, so that an overrun shows).
#ifndef QUENDALTEXT_FUZZ_KERNELS_AGREE_H
#define QUENDALTEXT_FUZZ_KERNELS_AGREE_H

#include "internal/kernels.h"

#include <algorithm>
#include <string>
#include <string_view>
#include <tuple>
#include <utility>
#include <vector>

namespace fuzz {

using QuendalText::UTF16String;
using QuendalText::UTF16Unit;
using QuendalText::detail::Kernels;

// The kernel and its plain form answer the same for the same arguments.
#define QUENDALTEXT_SAME(name, ...) \
  (kernels.name(__VA_ARGS__) == QuendalText::detail::reference::name(__VA_ARGS__))

inline auto Tied(const QuendalText::detail::TranscodeResult& r) {
    return std::tie(r.Read, r.Written, r.CodePoints, r.StoppedBy);
}

// The ASCII test, the UTF-8 validator and the transcoder to UTF-16.
inline bool UTF8PassesAgree(const Kernels& kernels, std::string_view bytes) {
    namespace reference = QuendalText::detail::reference;
    std::vector<UTF16Unit> plain(bytes.size() + 1), fast(bytes.size() + 1);
    const auto r = reference::UTF8ToUTF16(bytes.data(), bytes.size(), plain.data());
    const auto v = kernels.ValidUTF8Prefix(bytes.data(), bytes.size());
    return QUENDALTEXT_SAME(IsAsciiBytes, bytes.data(), bytes.size()) &&
           Tied(r) == Tied(kernels.UTF8ToUTF16(bytes.data(), bytes.size(), fast.data())) &&
           std::equal(plain.begin(), plain.begin() + static_cast<long>(r.Written), fast.begin()) &&
           v.Read == r.Read && v.StoppedBy == r.StoppedBy;
}

// The UTF-16 validator, the UTF-8 length, and the transcoder to UTF-8 into `room` bytes (at most
// three a unit).
inline bool UTF16PassesAgree(const Kernels& kernels, const UTF16String& units, std::size_t room) {
    namespace reference = QuendalText::detail::reference;
    const auto r = reference::ValidateUTF16(units.data(), units.size());
    const auto v = kernels.ValidUTF16Prefix(units.data(), units.size());
    std::string plain(3 * units.size() + 1, '#'), fast(plain);
    return v.Read == r.Read && v.StoppedBy == r.StoppedBy &&
           QUENDALTEXT_SAME(UTF8LengthOfUnits, units.data(), units.size()) &&
           Tied(reference::UTF16ToUTF8(units.data(), units.size(), &plain[0], room)) ==
               Tied(kernels.UTF16ToUTF8(units.data(), units.size(), &fast[0], room)) &&
           plain == fast;
}

// The range passes over the ranges that `sought` ends or begins, the one between it and `bound`
// and the two around that one (in both orders), and one of `sought` alone, with the copies'
// buffers compared whole.
inline bool RangePassesAgree(const Kernels& kernels, const UTF16String& units, UTF16Unit sought,
                             UTF16Unit bound) {
    namespace reference = QuendalText::detail::reference;
    using QuendalText::detail::UnitRanges;
    const auto [low, high] = std::minmax(sought, bound);
    const UnitRanges ranges[] = {UnitRanges::Of(0, sought),  UnitRanges::Of(sought, 0xFFFF),
                                 UnitRanges::Of(low, high),  {{high, 0}, {0xFFFF, low}},
                                 {{0, high}, {low, 0xFFFF}}, UnitRanges::Of(sought, sought)};
    const std::size_t size = units.size();
    for (const UnitRanges& r : ranges) {
        UTF16String plain(size + 1, UTF16Unit('*')), fast(plain);
        if (kernels.FindOutside(units.data(), size, r) !=
                reference::FindOutside(units.data(), size, r) ||
            kernels.CopyUpToOutside(units.data(), size, r, &fast[0]) !=
                reference::CopyUpToOutside(units.data(), size, r, &plain[0]) ||
            fast != plain)
            return false;
    }
    return true;
}

// The unit passes: `sought` as the unit found, removed and bound; `other` as the compared text
// (over the common length), the pattern (from two units), and in its first units the set (and
// the two sets of the pair search, its first half and the rest), and its first unit the other
// end of a range.
inline bool UnitPassesAgree(const Kernels& kernels, const UTF16String& units, UTF16Unit sought,
                            const UTF16String& other) {
    namespace reference = QuendalText::detail::reference;
    const UTF16Unit* data = units.data();
    const std::size_t size = units.size(), common = std::min(size, other.size());
    const std::size_t setSize = std::min(other.size(), QuendalText::detail::kSmallSetUnits);
    bool same =
        QUENDALTEXT_SAME(ContinueCount, data, size, 0) &&
        QUENDALTEXT_SAME(ContinueCount, data, size, 1) && QUENDALTEXT_SAME(IsAscii, data, size) &&
        QUENDALTEXT_SAME(FindUnit, data, size, sought) &&
        QUENDALTEXT_SAME(FindLastUnit, data, size, sought) &&
        QUENDALTEXT_SAME(Mismatch, data, other.data(), common) &&
        QUENDALTEXT_SAME(MismatchAsciiFolded, data, other.data(), common) &&
        (setSize == 0 || (QUENDALTEXT_SAME(FindAnyOf, data, size, other.data(), setSize) &&
                          QUENDALTEXT_SAME(FindNoneOf, data, size, other.data(), setSize))) &&
        (other.size() < 2 ||
         QUENDALTEXT_SAME(FindPattern, data, size, other.data(), other.size())) &&
        (setSize < 2 || QUENDALTEXT_SAME(FindPairOf, data, size, other.data(), (setSize + 1) / 2,
                                         other.data() + (setSize + 1) / 2, setSize / 2));
    UTF16String copy(size + 1, UTF16Unit('*')), plain(copy), fast(copy);
    same = same &&
           kernels.CopyAndCount(data, size, &copy[0]) == reference::ContinueCount(data, size, 0) &&
           copy == units + UTF16Unit('*') &&
           RangePassesAgree(kernels, units, sought, other.empty() ? sought : other[0]);
    for (const bool forward : {true, false}) {
        if (QuendalText::detail::IsSurrogate(sought)) break;
        plain = fast = units;
        bool plainStarts = false, fastStarts = false;
        const std::size_t kept =
            reference::RemoveUnit(&plain[0], size, sought, forward, &plainStarts);
        same = same &&
               FindSingleCharacter(kernels, data, size, sought, forward) ==
                   reference::FindSingleCharacter(data, size, sought, forward) &&
               kernels.RemoveUnit(&fast[0], size, sought, forward, &fastStarts) == kept &&
               plain.compare(0, kept, fast, 0, kept) == 0 && plainStarts == fastStarts;
    }
    plain = fast = units;
    reference::AsciiToUpper(&plain[0], size), kernels.AsciiToUpper(&fast[0], size);
    same = same && plain == fast;
    reference::AsciiToLower(&plain[0], size), kernels.AsciiToLower(&fast[0], size);
    return same && plain == fast;
}

}  // namespace fuzz

#endif  // QUENDALTEXT_FUZZ_KERNELS_AGREE_H
