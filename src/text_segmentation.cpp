// Segmentation of Text: the code points and the extended grapheme clusters of its units.
#include <QuendalText/Text.h>

#include "internal/conversion.h"
#include "internal/raise_sites.h"
#include "internal/utf.h"

#include <unicode/ubrk.h>
#include <unicode/uchar.h>

#include <array>
#include <cstdint>
#include <memory>

namespace QuendalText {

namespace detail {

// The character break iterator over the units of one GraphemeRange.
struct GraphemeBreaks {
    explicit GraphemeBreaks(UBreakIterator* opened) : iterator(opened) {}
    GraphemeBreaks(const GraphemeBreaks&) = delete;
    GraphemeBreaks& operator=(const GraphemeBreaks&) = delete;
    ~GraphemeBreaks() { ubrk_close(iterator); }
    UBreakIterator* iterator;
};

}  // namespace detail

CodePointRange Text::CodePoints() const { return CodePointRange(View()); }

GraphemeRange Text::Graphemes() const { return GraphemeRange(View()); }

void CodePointRange::Iterator::Decode() {
    if (Position >= Units.size()) {
        Width = 0;
        Current = 0;
        return;
    }
    const detail::CodePointAt decoded = detail::DecodeUTF16At(Units.data(), Units.size(), Position);
    Current = static_cast<char32_t>(decoded.value);
    Width = decoded.width;
}

GraphemeRange::GraphemeRange(UTF16StringView units) : Units(units) {
    if (units.empty()) return;
    detail::CheckLength(units.size(), detail::kGraphemesLengthSite);
    UErrorCode status = U_ZERO_ERROR;
    // The empty locale name is ICU's root locale: the same clusters in every process.
    UBreakIterator* iterator = ubrk_open(UBRK_CHARACTER, "", detail::AsUChar(units.data()),
                                         static_cast<int32_t>(units.size()), &status);
    if (U_FAILURE(status)) {
        ubrk_close(iterator);
        detail::RaiseConversionError(detail::kGraphemesLine, status);
    }
    Breaks = std::make_shared<const detail::GraphemeBreaks>(iterator);
}

namespace {

// The grapheme cluster break class of a code point. Those of the BMP are read from ICU once into
// a table, since a property lookup per code point would cost more than the rest of the walk.
int BreakClass(UChar32 codePoint) {
    using Classes = std::array<std::uint8_t, detail::kLastBmpCodePoint + 1>;
    static const Classes bmp = [] {
        Classes classes{};
        for (std::size_t c = 0; c < classes.size(); ++c) {
            classes[c] = static_cast<std::uint8_t>(
                u_getIntPropertyValue(static_cast<UChar32>(c), UCHAR_GRAPHEME_CLUSTER_BREAK));
        }
        return classes;
    }();
    if (codePoint <= static_cast<UChar32>(detail::kLastBmpCodePoint)) {
        return bmp[static_cast<std::size_t>(codePoint)];
    }
    return u_getIntPropertyValue(codePoint, UCHAR_GRAPHEME_CLUSTER_BREAK);
}

// Whether a cluster boundary follows code point `before` whatever precedes it, when `after`
// comes next. Only after a code point of break class Other or a control can that be known from
// the pair alone: every rule that joins across a position looks at something else to its left
// (Prepend, Hangul jamo, a ZWJ, a regional indicator, an Indic linker), and after Other only
// Extend, ZWJ and SpacingMark join. No ASCII character is of those classes, and CR LF is the
// one ASCII pair that joins.
bool BoundaryFollows(UChar32 before, UChar32 after) {
    constexpr UChar32 kCarriageReturn = 0x0D;
    constexpr UChar32 kLineFeed = 0x0A;
    constexpr auto kAscii = static_cast<UChar32>(detail::kLastAsciiCodePoint);
    if (before <= kAscii && after <= kAscii) return before != kCarriageReturn || after != kLineFeed;
    const int beforeClass = BreakClass(before);
    if (beforeClass == U_GCB_CONTROL || beforeClass == U_GCB_LF) return true;
    if (beforeClass == U_GCB_CR) return after != kLineFeed;
    if (beforeClass != U_GCB_OTHER) return false;
    if (after <= kAscii) return true;
    const int afterClass = BreakClass(after);
    return afterClass != U_GCB_EXTEND && afterClass != U_GCB_ZWJ &&
           afterClass != U_GCB_SPACING_MARK;
}

}  // namespace

void GraphemeRange::Iterator::Advance() {
    if (Start >= Units.size()) {
        End = Start;
        return;
    }
    // Most clusters are one code point that the pair rule settles without the break iterator,
    // whose every call costs far more; the rest are ICU's.
    const detail::CodePointAt before = detail::DecodeUTF16At(Units.data(), Units.size(), Start);
    const std::size_t next = Start + before.width;
    if (next == Units.size()) {
        End = next;
        return;
    }
    const detail::CodePointAt after = detail::DecodeUTF16At(Units.data(), Units.size(), next);
    if (BoundaryFollows(static_cast<UChar32>(before.value), static_cast<UChar32>(after.value))) {
        End = next;
        return;
    }
    // following() repositions the shared iterator, so each Iterator walks on its own.
    const int32_t following = ubrk_following(Breaks->iterator, static_cast<int32_t>(Start));
    End = following == UBRK_DONE ? Units.size() : static_cast<std::size_t>(following);
}

}  // namespace QuendalText
