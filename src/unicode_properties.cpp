// Character properties from ICU's Unicode data, and the display width of Text that is built on
// them: columns per grapheme cluster, as terminals lay text out.
#include <QuendalText/Text.h>
#include <QuendalText/Unicode.h>

#include "internal/utf.h"

#include <unicode/uchar.h>

#include <array>
#include <climits>
#include <cstdint>

namespace QuendalText {
namespace Unicode {
namespace {

// ICU's general categories in the order of its UCharCategory values.
constexpr std::array<GeneralCategory, U_CHAR_CATEGORY_COUNT> kCategoryOfIcu = {
    GeneralCategory::Cn, GeneralCategory::Lu, GeneralCategory::Ll, GeneralCategory::Lt,
    GeneralCategory::Lm, GeneralCategory::Lo, GeneralCategory::Mn, GeneralCategory::Me,
    GeneralCategory::Mc, GeneralCategory::Nd, GeneralCategory::Nl, GeneralCategory::No,
    GeneralCategory::Zs, GeneralCategory::Zl, GeneralCategory::Zp, GeneralCategory::Cc,
    GeneralCategory::Cf, GeneralCategory::Co, GeneralCategory::Cs, GeneralCategory::Pd,
    GeneralCategory::Ps, GeneralCategory::Pe, GeneralCategory::Pc, GeneralCategory::Po,
    GeneralCategory::Sm, GeneralCategory::Sc, GeneralCategory::Sk, GeneralCategory::So,
    GeneralCategory::Pi, GeneralCategory::Pf};
static_assert(U_UNASSIGNED == 0 && U_UPPERCASE_LETTER == 1 && U_ENCLOSING_MARK == 7 &&
                  U_SURROGATE == 18 && U_FINAL_PUNCTUATION == 29,
              "the table follows ICU's order of categories");

// A value that no code point has: answered as an unassigned code point.
constexpr bool IsBeyondUnicode(char32_t c) { return c > detail::kLastCodePoint; }

}  // namespace

GeneralCategory Category(char32_t c) {
    if (IsBeyondUnicode(c)) return GeneralCategory::Cn;
    return kCategoryOfIcu[static_cast<std::size_t>(u_charType(static_cast<UChar32>(c)))];
}

bool IsLetter(char32_t c) {
    return !IsBeyondUnicode(c) && (U_GET_GC_MASK(static_cast<UChar32>(c)) & U_GC_L_MASK) != 0;
}

bool IsDigit(char32_t c) {
    return !IsBeyondUnicode(c) && u_charType(static_cast<UChar32>(c)) == U_DECIMAL_DIGIT_NUMBER;
}

bool IsAlphabetic(char32_t c) {
    return !IsBeyondUnicode(c) && u_hasBinaryProperty(static_cast<UChar32>(c), UCHAR_ALPHABETIC);
}

bool IsWhiteSpace(char32_t c) {
    return !IsBeyondUnicode(c) && u_hasBinaryProperty(static_cast<UChar32>(c), UCHAR_WHITE_SPACE);
}

}  // namespace Unicode

namespace {

// What the width rules ask of a code point, as bits.
enum WidthTraits : std::uint8_t {
    kWide = 1,       // East Asian Wide or Fullwidth, or Emoji_Presentation
    kZeroWidth = 2,  // a nonspacing or enclosing mark, a format character or a control
    kEmoji = 4,      // the Emoji property: U+FE0F after it asks for the emoji presentation
};

constexpr char32_t kEmojiPresentationSelector = 0xFE0F;
constexpr int kNarrowColumns = 1;
constexpr int kWideColumns = 2;

std::uint8_t TraitsFromIcu(UChar32 c) {
    const int eastAsianWidth = u_getIntPropertyValue(c, UCHAR_EAST_ASIAN_WIDTH);
    const bool wide = eastAsianWidth == U_EA_WIDE || eastAsianWidth == U_EA_FULLWIDTH ||
                      u_hasBinaryProperty(c, UCHAR_EMOJI_PRESENTATION);
    constexpr std::uint32_t kZeroWidthCategories =
        U_GC_MN_MASK | U_GC_ME_MASK | U_GC_CF_MASK | U_GC_CC_MASK;
    const bool zeroWidth = (U_GET_GC_MASK(c) & kZeroWidthCategories) != 0;
    return static_cast<std::uint8_t>((wide ? kWide : 0) | (zeroWidth ? kZeroWidth : 0) |
                                     (u_hasBinaryProperty(c, UCHAR_EMOJI) ? kEmoji : 0));
}

// The traits of a code point. Those of the BMP are read from ICU once into a table, since three
// property lookups per code point would cost more than the rest of the count.
std::uint8_t Traits(char32_t c) {
    using Table = std::array<std::uint8_t, detail::kLastBmpCodePoint + 1>;
    static const Table bmp = [] {
        Table traits{};
        for (std::size_t i = 0; i < traits.size(); ++i) {
            traits[i] = TraitsFromIcu(static_cast<UChar32>(i));
        }
        return traits;
    }();
    if (c <= detail::kLastBmpCodePoint) return bmp[c];
    if (c > detail::kLastCodePoint) return 0;
    return TraitsFromIcu(static_cast<UChar32>(c));
}

int WidthOfTraits(std::uint8_t traits) {
    if ((traits & kWide) != 0) return kWideColumns;
    return (traits & kZeroWidth) != 0 ? 0 : kNarrowColumns;
}

// The columns of one grapheme cluster.
int ClusterWidth(UTF16StringView cluster) {
    std::size_t at = 0;
    detail::CodePointAt current = detail::DecodeUTF16At(cluster.data(), cluster.size(), at);
    std::uint8_t traits = Traits(current.Value);
    if ((traits & kWide) != 0) return kWideColumns;
    bool allZeroWidth = (traits & kZeroWidth) != 0;
    for (at += current.Width; at < cluster.size(); at += current.Width) {
        const bool afterEmoji = (traits & kEmoji) != 0;
        current = detail::DecodeUTF16At(cluster.data(), cluster.size(), at);
        if (afterEmoji && current.Value == kEmojiPresentationSelector) return kWideColumns;
        traits = Traits(current.Value);
        allZeroWidth = allZeroWidth && (traits & kZeroWidth) != 0;
    }
    return allZeroWidth ? 0 : kNarrowColumns;
}

// ASCII characters are each a cluster of their own (CR LF, both controls, aside): the
// printable ones, U+0020 to U+007E, take a column and the controls none.
constexpr UTF16Unit kFirstPrintableAscii = 0x20;
constexpr UTF16Unit kDelete = 0x7F;

}  // namespace

int Unicode::Width(char32_t c) { return WidthOfTraits(Traits(c)); }

int Text::DisplayWidth() const {
    if (IsAscii()) {
        int columns = 0;
        for (const UTF16Unit unit : Content) {
            columns += unit >= kFirstPrintableAscii && unit != kDelete ? 1 : 0;
        }
        return columns;
    }
    long long columns = 0;
    for (const UTF16StringView cluster : Graphemes()) columns += ClusterWidth(cluster);
    return columns > INT_MAX ? INT_MAX : static_cast<int>(columns);
}

}  // namespace QuendalText
