// Text and the Unicode encodings: moving, views, conversion from and to UTF-8, UTF-16 and
// UTF-32 with a choice for ill-formed input, the code point and grapheme ranges, full case
// mapping and folded comparison through ICU's root rules, and UTF-8 output to streams.
#include <QuendalText/Text.h>

#include "internal/conversion.h"
#include "internal/raise_sites.h"
#include "internal/transcode.h"

#include <unicode/ubrk.h>
#include <unicode/uchar.h>
#include <unicode/ustring.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <ostream>
#include <stdexcept>
#include <string_view>
#include <utility>

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

namespace {

int Sign(int value) { return (value > 0) - (value < 0); }

// The units FromUTF8 makes of `bytes`, each maximal ill-formed subpart one U+FFFD; raises the
// length error when they are more than a text holds, or MalformedInput for ill-formed input
// that `malformed` refuses.
std::size_t UnitsFromUTF8(std::string_view bytes, Malformed malformed) {
    std::size_t read = 0;
    std::size_t units = 0;
    while (true) {
        const detail::TranscodeResult pass =
            detail::ValidateUTF8(bytes.data() + read, bytes.size() - read);
        read += pass.read;
        units += pass.written;
        if (pass.stop == detail::Stop::End) break;
        if (malformed == Malformed::Raise) detail::RaiseMalformed(detail::kFromUTF8Site, read);
        ++units;
        const auto* rest = reinterpret_cast<const unsigned char*>(bytes.data()) + read;
        read += detail::DecodeUTF8(rest, bytes.size() - read).length;
    }
    detail::CheckLength(units, detail::kFromUTF8LengthSite);
    return units;
}

// The units of `source` mapped by one of ICU's full case mappings, which may lengthen them:
// a first try with some room to spare, a second with the exact length ICU asked for.
template <class Map>
UTF16String CaseMapped(UTF16StringView source, Map map, const detail::LengthRaiseSite& site) {
    UTF16String mapped;
    if (source.empty()) return mapped;
    std::size_t capacity = source.size() + source.size() / 8 + 16;
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (capacity > detail::kMaxTextUnits) capacity = detail::kMaxTextUnits;
        mapped.resize(capacity);
        UErrorCode status = U_ZERO_ERROR;
        const int32_t length =
            map(detail::AsUChar(mapped.data()), static_cast<int32_t>(capacity),
                detail::AsUChar(source.data()), static_cast<int32_t>(source.size()), &status);
        if (U_SUCCESS(status)) {
            mapped.resize(static_cast<std::size_t>(length));
            return mapped;
        }
        const bool tooShort = status == U_BUFFER_OVERFLOW_ERROR;
        if (!tooShort && status != U_INDEX_OUTOFBOUNDS_ERROR) {
            detail::RaiseConversionError(detail::kCaseMappingLine, status);
        }
        // Longer than a text may be, or than ICU can count.
        if (!tooShort || capacity == detail::kMaxTextUnits) detail::RaiseLengthError(site);
        capacity = static_cast<std::size_t>(length);
    }
    detail::RaiseConversionError(detail::kCaseMappingLine, U_INTERNAL_PROGRAM_ERROR);
}

// ICU's full mappings, in one shape. The empty locale name is ICU's root locale: the same
// mapping in every process, whatever its locale.
int32_t ToUpperRoot(UChar* dest, int32_t capacity, const UChar* source, int32_t length,
                    UErrorCode* status) {
    return u_strToUpper(dest, capacity, source, length, "", status);
}
int32_t ToLowerRoot(UChar* dest, int32_t capacity, const UChar* source, int32_t length,
                    UErrorCode* status) {
    return u_strToLower(dest, capacity, source, length, "", status);
}
int32_t FoldCase(UChar* dest, int32_t capacity, const UChar* source, int32_t length,
                 UErrorCode* status) {
    return u_strFoldCase(dest, capacity, source, length, U_FOLD_CASE_DEFAULT, status);
}

}  // namespace

Text::Text(Text&& other) noexcept
    : Content(std::move(other.Content)),
      Length(other.Length),
      NumberOfCharacters(other.NumberOfCharacters),
      CaseSensitivity(other.CaseSensitivity),
      SearchForward(other.SearchForward) {
    other.Content.clear();
    other.Length = 0;
    other.NumberOfCharacters = 0;
}

Text& Text::operator=(Text&& other) noexcept {
    if (this == &other) return *this;
    Content = std::move(other.Content);
    Length = other.Length;
    NumberOfCharacters = other.NumberOfCharacters;
    CaseSensitivity = other.CaseSensitivity;
    SearchForward = other.SearchForward;
    other.Content.clear();
    other.Length = 0;
    other.NumberOfCharacters = 0;
    return *this;
}

Text::Text(UTF16StringView units) : Text() {
    detail::CheckLength(units.size(), detail::kConstructLengthSite);
    Content.assign(units.data(), units.size());
    RefreshCounts();
}

Text Text::FromUTF8(std::string_view bytes, Malformed malformed) {
    // UTF-8 never gives more units than it has bytes, and U+FFFD takes one unit for at least
    // one byte, so the units are written straight into the text's own storage.
    // A source longer than a text may be is measured first, U+FFFD included, and then gets
    // exactly its room and the plain pass, which writes nothing beyond its output.
    const bool measured = bytes.size() > detail::kMaxTextUnits;
    Text text;
    text.Content.resize(measured ? UnitsFromUTF8(bytes, malformed) : bytes.size());
    const auto convert = measured ? detail::reference::UTF8ToUTF16 : detail::UTF8ToUTF16;
    UTF16Unit* const out = text.Content.data();
    std::size_t read = 0;
    std::size_t written = 0;
    while (true) {
        const detail::TranscodeResult pass =
            convert(bytes.data() + read, bytes.size() - read, out + written);
        read += pass.read;
        written += pass.written;
        if (pass.stop == detail::Stop::End) break;
        if (malformed == Malformed::Raise) detail::RaiseMalformed(detail::kFromUTF8Site, read);
        out[written++] = static_cast<UTF16Unit>(detail::kReplacementCharacter);
        const auto* rest = reinterpret_cast<const unsigned char*>(bytes.data()) + read;
        read += detail::DecodeUTF8(rest, bytes.size() - read).length;  // the maximal subpart
    }
    detail::CheckLength(written, detail::kFromUTF8LengthSite);
    text.Content.resize(written);
    text.RefreshCounts();
    return text;
}

Text Text::FromUTF16(UTF16StringView units, Malformed malformed) {
    detail::CheckLength(units.size(), detail::kFromUTF16LengthSite);
    Text text;
    text.Content.reserve(units.size());
    std::size_t read = 0;
    while (true) {
        const detail::TranscodeResult pass =
            detail::ValidateUTF16(units.data() + read, units.size() - read);
        text.Content.append(units.data() + read, pass.read);
        read += pass.read;
        if (pass.stop == detail::Stop::End) break;
        if (malformed == Malformed::Raise) detail::RaiseMalformed(detail::kFromUTF16Site, read);
        text.Content.push_back(static_cast<UTF16Unit>(detail::kReplacementCharacter));
        ++read;  // an unpaired surrogate is one unit
    }
    text.RefreshCounts();
    return text;
}

Text Text::FromUTF32(std::u32string_view units, Malformed malformed) {
    // Each unit gives one or two UTF-16 units.
    detail::CheckLength(units.size(), detail::kFromUTF32LengthSite);
    // Room for a pair each, unless that is more than a text holds: then the pairs are counted.
    std::size_t room = detail::kUTF16UnitsPerUTF32Unit * units.size();
    if (units.size() > detail::kMaxTextUnits / detail::kUTF16UnitsPerUTF32Unit) {
        room = units.size();
        for (const char32_t unit : units)
            room += unit > detail::kLastBmpCodePoint && unit <= detail::kLastCodePoint;
        detail::CheckLength(room, detail::kFromUTF32LengthSite);
    }
    Text text;
    text.Content.resize(room);
    std::size_t written = 0;
    for (std::size_t i = 0; i < units.size(); ++i) {
        std::uint32_t value = units[i];
        if (!detail::IsScalarValue(value)) {
            if (malformed == Malformed::Raise) detail::RaiseMalformed(detail::kFromUTF32Site, i);
            value = detail::kReplacementCharacter;
        }
        written += detail::EncodeUTF16(value, text.Content.data() + written);
    }
    detail::CheckLength(written, detail::kFromUTF32LengthSite);
    text.Content.resize(written);
    text.RefreshCounts();
    return text;
}

std::string Text::ToUTF8String(Malformed malformed) const {
    // At most three bytes a unit: a pair takes four for two, U+FFFD three for one. Where that
    // is more than a string holds (a 32-bit target), the bytes are counted first.
    std::size_t room = detail::UTF8Room(Content.size());
    if (room > std::string().max_size()) {
        room = static_cast<std::size_t>(std::min<std::uint64_t>(
            SIZE_MAX, detail::UTF8LengthOfUnits(Content.data(), Content.size())));
    }
    std::string bytes(room, '\0');
    std::size_t read = 0;
    std::size_t written = 0;
    while (true) {
        const detail::TranscodeResult pass =
            detail::UTF16ToUTF8(Content.data() + read, Content.size() - read, &bytes[written]);
        read += pass.read;
        written += pass.written;
        if (pass.stop == detail::Stop::End) break;
        if (malformed == Malformed::Raise) detail::RaiseMalformed(detail::kToUTF8StringSite, read);
        written += detail::EncodeUTF8(detail::kReplacementCharacter, &bytes[written]);
        ++read;
    }
    bytes.resize(written);
    return bytes;
}

std::u32string Text::ToUTF32String(Malformed malformed) const {
    if (malformed == Malformed::Raise) {
        const detail::TranscodeResult check = detail::ValidateUTF16(Content.data(), Content.size());
        if (check.stop != detail::Stop::End) {
            detail::RaiseMalformed(detail::kToUTF32StringSite, check.read);
        }
    }
    // Never more code points than units, and exactly as many as ICU counts (an unpaired
    // surrogate is one) when the units are more than a string of code points holds.
    std::size_t room = Content.size();
    if (room > std::u32string().max_size()) {
        room = static_cast<std::size_t>(u_countChar32(detail::AsUChar(Content.data()), Length));
    }
    std::u32string units(room, U'\0');
    if (units.empty()) return units;
    int32_t length = 0;
    UErrorCode status = U_ZERO_ERROR;
    u_strToUTF32WithSub(detail::AsUChar32(units.data()), static_cast<int32_t>(room), &length,
                        detail::AsUChar(Content.data()), Length,
                        static_cast<UChar32>(detail::kReplacementCharacter), nullptr, &status);
    if (U_FAILURE(status)) detail::RaiseConversionError(detail::kToUTF32Line, status);
    units.resize(static_cast<std::size_t>(length));
    return units;
}

UTF16StringView Text::View() const noexcept { return {Content.data(), Content.size()}; }

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

Text Text::Upper() const {
    Text mapped;
    mapped.Content = CaseMapped(View(), ToUpperRoot, detail::kUpperLengthSite);
    mapped.RefreshCounts();
    return mapped;
}

Text Text::Lower() const {
    Text mapped;
    mapped.Content = CaseMapped(View(), ToLowerRoot, detail::kLowerLengthSite);
    mapped.RefreshCounts();
    return mapped;
}

Text Text::Folded() const {
    Text mapped;
    mapped.Content = CaseMapped(View(), FoldCase, detail::kFoldedLengthSite);
    mapped.RefreshCounts();
    return mapped;
}

int Text::CompareFolded(const Text& other) const {
    UErrorCode status = U_ZERO_ERROR;
    // Without U_COMPARE_CODE_POINT_ORDER ICU orders by UTF-16 units, as Compare does.
    const int32_t order = u_strCaseCompare(detail::AsUChar(Content.data()), Length,
                                           detail::AsUChar(other.Content.data()), other.Length,
                                           U_FOLD_CASE_DEFAULT, &status);
    if (U_FAILURE(status)) detail::RaiseConversionError(detail::kCaseMappingLine, status);
    return Sign(order);
}

std::ostream& operator<<(std::ostream& stream, const Text& text) {
    const std::string bytes = text.ToUTF8String(Malformed::Replace);
    return stream.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace QuendalText
