// Normalization of Text (UAX #15) by ICU's Normalizer2. Text already in the form asked for, the
// common case, is recognized without ICU copying it: the units below a form's first code point
// that needs a look are copied (or, to test the form, passed over) a vector at a time, those
// that need none above it are read from a table, ICU's quick check spans what follows, and only
// the rest after that span is normalized.
#include <QuendalText/Text.h>

#include "internal/conversion.h"
#include "internal/kernels.h"
#include "internal/raise_sites.h"
#include "internal/string_storage.h"
#include "internal/utf.h"

#include <unicode/unorm2.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>

namespace QuendalText {
namespace {

constexpr std::size_t kUnitValues = detail::kLastBmpCodePoint + 1;
constexpr std::size_t kBitsPerWord = 64;

// One normalization form: ICU's normalizer, and which single units are inert in it. An inert
// unit (never a surrogate) has a normalization boundary before it and is in the form on its
// own, so a text of inert units is in the form, and each of them splits a text into parts that
// normalize independently. Every unit below FirstToInspect is inert.
struct FormData {
    const UNormalizer2* Normalizer;
    UTF16Unit FirstToInspect;
    std::array<std::uint64_t, kUnitValues / kBitsPerWord> InertUnits;

    bool IsInert(UTF16Unit unit) const {
        return (InertUnits[unit / kBitsPerWord] >> (unit % kBitsPerWord) & 1) != 0;
    }
};

const UNormalizer2* OpenNormalizer(NormalizationForm form, UErrorCode* status) {
    switch (form) {
        case NormalizationForm::NFC: return unorm2_getNFCInstance(status);
        case NormalizationForm::NFD: return unorm2_getNFDInstance(status);
        case NormalizationForm::NFKC: return unorm2_getNFKCInstance(status);
        case NormalizationForm::NFKD: break;
    }
    return unorm2_getNFKDInstance(status);
}

bool IcuFindsInert(const UNormalizer2* normalizer, UTF16Unit unit) {
    if (detail::IsSurrogate(unit) || !unorm2_hasBoundaryBefore(normalizer, unit)) return false;
    const UChar units[] = {static_cast<UChar>(unit)};
    UErrorCode status = U_ZERO_ERROR;
    return unorm2_quickCheck(normalizer, units, 1, &status) == UNORM_YES && U_SUCCESS(status);
}

// The form's normalizer and table, read from ICU (a millisecond or so).
std::unique_ptr<const FormData> OpenForm(NormalizationForm form) {
    auto data = std::make_unique<FormData>();
    UErrorCode status = U_ZERO_ERROR;
    data->Normalizer = OpenNormalizer(form, &status);
    if (U_FAILURE(status)) detail::RaiseConversionError(detail::kNormalizationLine, status);
    data->InertUnits.fill(0);
    for (std::size_t unit = 0; unit < kUnitValues; ++unit) {
        if (IcuFindsInert(data->Normalizer, static_cast<UTF16Unit>(unit))) {
            data->InertUnits[unit / kBitsPerWord] |= std::uint64_t{1} << (unit % kBitsPerWord);
        }
    }
    std::size_t first = 0;
    while (first < kUnitValues && data->IsInert(static_cast<UTF16Unit>(first))) ++first;
    data->FirstToInspect = static_cast<UTF16Unit>(first);
    return data;
}

// ICU's normalizers are shared singletons that live as long as ICU; each form's table is read
// once, at the form's first use.
const FormData& Form(NormalizationForm form) {
    switch (form) {
        case NormalizationForm::NFC: {
            static const std::unique_ptr<const FormData> nfc = OpenForm(form);
            return *nfc;
        }
        case NormalizationForm::NFD: {
            static const std::unique_ptr<const FormData> nfd = OpenForm(form);
            return *nfd;
        }
        case NormalizationForm::NFKC: {
            static const std::unique_ptr<const FormData> nfkc = OpenForm(form);
            return *nfkc;
        }
        case NormalizationForm::NFKD: break;
    }
    static const std::unique_ptr<const FormData> nfkd = OpenForm(NormalizationForm::NFKD);
    return *nfkd;
}

// The index of the first unit from `from` on that is not inert in the form, or `size`: one
// table lookup per unit, a tighter loop than ICU's quick check (which looks each code point up
// in its trie).
std::size_t InertEnd(const UTF16Unit* units, std::size_t size, std::size_t from,
                     const FormData& form) {
    std::size_t i = from;
    while (i < size && form.IsInert(units[i])) ++i;
    return i;
}

// The last unit that needs no look in the form (see FormData).
UTF16Unit LastInert(const FormData& form) {
    return static_cast<UTF16Unit>(form.FirstToInspect - 1);
}

// Where the form's quick check starts, given the index of the first unit that is not inert: at
// the unit before it, if any, since the units before that one are in the form and split off
// from the rest.
std::size_t SpanStart(std::size_t first, std::size_t size) {
    return first == 0 || first == size ? first : first - 1;
}

// The index where the units from `start` stop being certainly in the form: the end of ICU's
// quick-check span, at a normalization boundary.
std::size_t SpanEnd(const UTF16Unit* units, std::size_t size, std::size_t start,
                    const FormData& form) {
    if (start == size) return size;
    UErrorCode status = U_ZERO_ERROR;
    const int32_t span = unorm2_spanQuickCheckYes(form.Normalizer, detail::AsUChar(units + start),
                                                  static_cast<int32_t>(size - start), &status);
    if (U_FAILURE(status)) detail::RaiseConversionError(detail::kNormalizationLine, status);
    return start + static_cast<std::size_t>(span);
}

// Room for the normalized rest, in units per unit of the rest, that almost always suffices: a
// decomposing form writes up to three units for a Hangul syllable, a composing one rarely more
// than it reads. Normalizing again with the exact length ICU asked for covers the exceptions.
constexpr std::size_t kDecomposedUnitsPerUnit = 3;
constexpr std::size_t kComposedSpareDivisor = 4;  // a quarter more than the rest
constexpr std::size_t kSpareUnits = 16;
// A result that fills less than this share of its room gives the rest back.
constexpr std::size_t kMostRoomPerUnit = 2;

bool Decomposes(NormalizationForm form) {
    return form == NormalizationForm::NFD || form == NormalizationForm::NFKD;
}

// The units, of which the first `spanEnd` are in the form and end at a boundary, in the form:
// those units copied and the rest normalized after them by ICU, straight into the result.
UTF16String NormalizedAfterSpan(UTF16StringView units, std::size_t spanEnd, NormalizationForm form,
                                const FormData& data) {
    const std::size_t rest = units.size() - spanEnd;
    // Counted in 64 bits, so that a 32-bit size_t cannot wrap before the limit applies.
    const std::uint64_t room = std::uint64_t{spanEnd} + kSpareUnits +
                               (Decomposes(form) ? std::uint64_t{rest} * kDecomposedUnitsPerUnit
                                                 : rest + rest / kComposedSpareDivisor);
    std::size_t capacity =
        room > detail::kMaxTextUnits ? detail::kMaxTextUnits : static_cast<std::size_t>(room);
    UTF16String normalized;
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (capacity > detail::kMaxTextUnits) capacity = detail::kMaxTextUnits;
        normalized.assign(units.data(), spanEnd);
        UErrorCode status = U_ZERO_ERROR;
        int32_t length = 0;
        detail::ResizeForOverwrite(normalized, capacity, [&](UTF16Unit* out) {
            length = unorm2_normalizeSecondAndAppend(
                data.Normalizer, detail::AsUChar(out), static_cast<int32_t>(spanEnd),
                static_cast<int32_t>(capacity), detail::AsUChar(units.data() + spanEnd),
                static_cast<int32_t>(rest), &status);
            return U_SUCCESS(status) ? static_cast<std::size_t>(length) : spanEnd;
        });
        if (U_SUCCESS(status)) {
            if (capacity > kMostRoomPerUnit * normalized.size()) normalized.shrink_to_fit();
            return normalized;
        }
        // Given the longest text's room, ICU grows a copy of it to go on, which a 32-bit
        // process may have no room for.
        const bool tooShort =
            status == U_BUFFER_OVERFLOW_ERROR ||
            (status == U_MEMORY_ALLOCATION_ERROR && capacity == detail::kMaxTextUnits);
        if (!tooShort && status != U_INDEX_OUTOFBOUNDS_ERROR) {
            detail::RaiseConversionError(detail::kNormalizationLine, status);
        }
        // Longer than a text may be, or than ICU can count.
        if (!tooShort || capacity == detail::kMaxTextUnits) {
            detail::RaiseLengthError(detail::kNormalizedLengthSite);
        }
        capacity = static_cast<std::size_t>(length);
    }
    detail::RaiseConversionError(detail::kNormalizationLine, U_INTERNAL_PROGRAM_ERROR);
}

}  // namespace

Text Text::Normalized(NormalizationForm form) const {
    const FormData& data = Form(form);
    const UTF16Unit* units = Content.data();
    const std::size_t size = Content.size();
    Text normalized;
    // The units up to the first one to inspect are copied as they are read, a vector at a time,
    // into room for all of them.
    std::size_t first = 0;
    detail::ResizeForOverwrite(normalized.Content, size, [&](UTF16Unit* out) {
        first = detail::ActiveKernels().CopyUpToOutside(
            units, size, detail::UnitRanges::Of(0, LastInert(data)), out);
        return first;
    });
    const std::size_t inertEnd = InertEnd(units, size, first, data);
    const std::size_t spanEnd = SpanEnd(units, size, SpanStart(inertEnd, size), data);
    if (spanEnd == size) {
        // Already in the form: the units and their counts as they are, with fresh settings.
        normalized.Content.append(units + first, size - first);
        normalized.Length = Length;
        normalized.NumberOfCharacters = NumberOfCharacters;
        return normalized;
    }
    normalized.Content = NormalizedAfterSpan(View(), spanEnd, form, data);
    normalized.RefreshCounts();
    return normalized;
}

bool Text::IsNormalized(NormalizationForm form) const {
    const FormData& data = Form(form);
    const std::size_t size = Content.size();
    const std::size_t first = detail::ActiveKernels().FindOutside(
        Content.data(), size, detail::UnitRanges::Of(0, LastInert(data)));
    const std::size_t inertEnd = InertEnd(Content.data(), size, first, data);
    const std::size_t spanEnd = SpanEnd(Content.data(), size, SpanStart(inertEnd, size), data);
    if (spanEnd == size) return true;
    // The span ends at a boundary: the rest decides alone. ICU answers a "no" of the quick
    // check at once, and settles a "maybe" by composing only the segments in doubt.
    UErrorCode status = U_ZERO_ERROR;
    const UBool normalized =
        unorm2_isNormalized(data.Normalizer, detail::AsUChar(Content.data() + spanEnd),
                            static_cast<int32_t>(size - spanEnd), &status);
    if (U_FAILURE(status)) detail::RaiseConversionError(detail::kNormalizationLine, status);
    return normalized != 0;
}

}  // namespace QuendalText
