// Collator: ICU's collation behind a shared handle. ICU's collator is never changed after it
// is opened, and its comparison and sort keys only read it, so copies share one and many
// threads may use it at once.
#include <QuendalText/Collator.h>

#include "internal/conversion.h"
#include "internal/raise_sites.h"

#include <unicode/ucol.h>
#include <unicode/uloc.h>

#include <algorithm>
#include <cstdint>
#include <memory>

namespace QuendalText {
namespace detail {

struct CollatorData {
    explicit CollatorData(UCollator* opened) : IcuCollator(opened) {}
    CollatorData(const CollatorData&) = delete;
    CollatorData& operator=(const CollatorData&) = delete;
    ~CollatorData() { ucol_close(IcuCollator); }
    UCollator* IcuCollator;
};

}  // namespace detail

namespace {

// ICU's locale ID for `locale`: a whole BCP 47 tag ("fr-CA", "de-u-co-phonebk") converted,
// anything else ("", "root", "fr_CA", "de@collation=phonebook") taken as an ICU locale ID.
// Recent ICU versions also read tags where they expect IDs; older ones need the conversion.
std::string IcuLocaleId(std::string_view locale) {
    const std::string requested(locale);
    char id[ULOC_FULLNAME_CAPACITY];
    int32_t parsed = 0;
    UErrorCode status = U_ZERO_ERROR;
    const int32_t length = uloc_forLanguageTag(requested.c_str(), id,
                                               static_cast<int32_t>(sizeof id), &parsed, &status);
    const bool wholeTag = U_SUCCESS(status) && status != U_STRING_NOT_TERMINATED_WARNING &&
                          static_cast<std::size_t>(parsed) == requested.size();
    return wholeTag ? std::string(id, static_cast<std::size_t>(length)) : requested;
}

int32_t LengthOf(const Text& text) { return static_cast<int32_t>(text.get_Length()); }

}  // namespace

Collator::Collator(std::string_view locale) {
    const std::string id = IcuLocaleId(locale);
    UErrorCode status = U_ZERO_ERROR;
    // ucol_open falls back from a locale without a collation of its own to its parents and in
    // the end to the root order, reporting that as a warning only.
    std::unique_ptr<UCollator, void (*)(UCollator*)> opened(ucol_open(id.c_str(), &status),
                                                            ucol_close);
    if (U_FAILURE(status)) detail::RaiseConversionError(detail::kCollatorLine, status);
    Data = std::make_shared<const detail::CollatorData>(opened.get());
    opened.release();
}

int Collator::Compare(const Text& a, const Text& b) const {
    return ucol_strcoll(Data->IcuCollator, detail::AsUChar(a.c_str()), LengthOf(a),
                        detail::AsUChar(b.c_str()), LengthOf(b));
}

std::string Collator::SortKey(const Text& text) const {
    // ICU writes the key with a terminating zero byte, the only zero in it, which is left out.
    // A short text's key goes into room that almost always suffices; a long text's is measured
    // first, so that no more room than the key takes is ever held.
    constexpr std::uint64_t kFirstGuessBase = 64;
    constexpr std::uint64_t kFirstGuessPerUnit = 4;
    constexpr std::uint64_t kLargestGuess = std::uint64_t{1} << 24;
    // ICU counts the key in an int32_t; a 32-bit target's string holds less.
    const std::size_t largestKey = std::min<std::size_t>(INT32_MAX, std::string().max_size());
    const std::uint64_t guess =
        kFirstGuessBase + kFirstGuessPerUnit * static_cast<std::uint64_t>(text.get_Length());
    std::string key(guess <= kLargestGuess ? static_cast<std::size_t>(guess) : 0, '\0');
    for (int attempt = 0; attempt < 2; ++attempt) {
        const int32_t needed = ucol_getSortKey(
            Data->IcuCollator, detail::AsUChar(text.c_str()), LengthOf(text),
            reinterpret_cast<std::uint8_t*>(&key[0]), static_cast<int32_t>(key.size()));
        if (needed <= 0) break;
        const std::size_t withZero = static_cast<std::size_t>(needed);
        if (withZero <= key.size()) {
            key.resize(withZero - 1);
            return key;
        }
        if (withZero > largestKey) detail::RaiseStringLengthError(detail::kSortKeyLengthSite);
        key.assign(withZero, '\0');
    }
    detail::RaiseConversionError(detail::kCollatorLine, U_INTERNAL_PROGRAM_ERROR);
}

}  // namespace QuendalText
