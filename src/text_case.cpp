// Case mapping of Text: the all-ASCII mappings in place by the C runtime's locale, and the full
// Unicode mappings and folding into new texts by ICU's root rules.
#include <QuendalText/Text.h>

#include "internal/case_map.h"
#include "internal/conversion.h"
#include "internal/kernels.h"
#include "internal/raise_sites.h"

#include <unicode/uchar.h>
#include <unicode/ustring.h>

namespace QuendalText {
namespace {

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

// Case mapping touches only all-ASCII texts; it keeps the number and kind of units, so the
// counts stay true without a refresh. Each unit maps as the C runtime's locale says (the class
// test, then the mapping), asked once per distinct unit; when the locale maps all 128 ASCII
// units as ASCII does, a long text is mapped a vector at a time.
void Text::ToUpper() {
    if (!IsAscii()) return;
    detail::AsciiCaseMap map(detail::AsciiCaseMap::Upper);
    if (map.IsPlainForLength(Content.size())) {
        detail::ActiveKernels().asciiToUpper(Content.data(), Content.size());
        return;
    }
    for (UTF16Unit& unit : Content) unit = map(unit);
}

void Text::ToLower() {
    if (!IsAscii()) return;
    detail::AsciiCaseMap map(detail::AsciiCaseMap::Lower);
    if (map.IsPlainForLength(Content.size())) {
        detail::ActiveKernels().asciiToLower(Content.data(), Content.size());
        return;
    }
    for (UTF16Unit& unit : Content) unit = map(unit);
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

}  // namespace QuendalText
