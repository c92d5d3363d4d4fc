// Every place where the text library raises, kept in one table, and the one raise helper.
// The file name and line numbers are part of the library's contract with its callers'
// handlers, independent of how this project lays out its sources.
#ifndef QUENDALTEXT_INTERNAL_RAISE_SITES_H
#define QUENDALTEXT_INTERNAL_RAISE_SITES_H

#include <QuendalText/Config.h>

#include <algorithm>
#include <climits>
#include <cstddef>
#include <cstdint>

namespace QuendalText {
namespace detail {

inline constexpr char kRaiseFileName[] = ".\\Text.cpp";
inline constexpr char kUnspecifiedFunction[] = "Unspecified function";

// ToAscii creates an exception object on entry without ever raising it.
inline constexpr char kToAsciiFunction[] = "Text::ToAscii";

struct IndexRaiseSite {
    const char* Function;
    long Line;
    const char* Message;
};

inline constexpr IndexRaiseSite kGetCharacterAtSite{"Text::get_CharacterAt", 752, "Invalid index"};
inline constexpr IndexRaiseSite kSubscriptSite{"Text::operator[]", 813, "Invalid index"};
inline constexpr IndexRaiseSite kSetCharacterAtSite{"Text::set_CharacterAt", 740, "Invalid index"};
inline constexpr IndexRaiseSite kRemoveAtSite{"Text::RemoveAt", 765, "Invalid Index"};

// Conversion failures report "Unspecified function", the line, and ICU's status name.
inline constexpr long kToUTF32Line = 955;
inline constexpr long kToUTF8Line = 986;
inline constexpr long kFromUTF8Line = 229;
inline constexpr long kFromUTF32Line = 290;

// The longest text, kMaxTextUnits, is set in Config.h, where the inline append reads it.
inline constexpr const char* kTooLongMessage = kMaxTextUnits == INT_MAX
                                                   ? "Text longer than 2147483647 UTF-16 units"
                                                   : "Text longer than 536870911 UTF-16 units";
inline constexpr const char* kStringTooLongMessage = "Result longer than a string can hold";
static_assert(kMaxTextUnits == INT_MAX || kMaxTextUnits == 536870911);

struct LengthRaiseSite {
    const char* Function;
    long Line;
};

inline constexpr LengthRaiseSite kConstructLengthSite{"Text::Text", 1020};
inline constexpr LengthRaiseSite kAppendLengthSite{"Text::operator+=", 1021};
inline constexpr LengthRaiseSite kInsertLengthSite{"Text::set_CharacterAt", 1022};
inline constexpr LengthRaiseSite kReplaceLengthSite{"Text::Replace", 1023};
inline constexpr LengthRaiseSite kJoinLengthSite{"Text::operator+", 1024};
inline constexpr LengthRaiseSite kLoadLengthSite{"Text::Load", 1025};
inline constexpr LengthRaiseSite kFromUTF8LengthSite{"Text::FromUTF8", 1026};
inline constexpr LengthRaiseSite kFromUTF16LengthSite{"Text::FromUTF16", 1027};
inline constexpr LengthRaiseSite kFromUTF32LengthSite{"Text::FromUTF32", 1028};
inline constexpr LengthRaiseSite kUpperLengthSite{"Text::Upper", 1029};
inline constexpr LengthRaiseSite kLowerLengthSite{"Text::Lower", 1030};
inline constexpr LengthRaiseSite kFoldedLengthSite{"Text::Folded", 1031};
inline constexpr LengthRaiseSite kGraphemesLengthSite{"Text::Graphemes", 1032};

// Raises CPPException<std::length_error> for `site`.
[[noreturn]] void RaiseLengthError(const LengthRaiseSite& site);
// Raises CPPException<std::length_error> for `site`, whose result passes its string's max_size().
[[noreturn]] void RaiseStringLengthError(const LengthRaiseSite& site);

// Raises unless a text may hold `units` units.
inline void CheckLength(std::size_t units, const LengthRaiseSite& site) {
    if (units > kMaxTextUnits) RaiseLengthError(site);
}
// Raises unless a text of `current` units (at most kMaxTextUnits) may grow by `added`.
inline void CheckGrowth(std::size_t current, std::size_t added, const LengthRaiseSite& site) {
    if (added > kMaxTextUnits - current) RaiseLengthError(site);
}

// The conversions with a Malformed mode raise MalformedInput from lines 1001 to 1005; the ICU
// failures of the Unicode operations follow them.
// MalformedInput carries the function, the line and "WHAT OFFSET".
struct MalformedRaiseSite {
    const char* Function;
    long Line;
    const char* What;
};

inline constexpr MalformedRaiseSite kFromUTF8Site{"Text::FromUTF8", 1001,
                                                  "Ill-formed UTF-8 at byte offset"};
inline constexpr MalformedRaiseSite kFromUTF16Site{"Text::FromUTF16", 1002,
                                                   "Unpaired surrogate at UTF-16 unit offset"};
inline constexpr MalformedRaiseSite kFromUTF32Site{
    "Text::FromUTF32", 1003, "Surrogate or value above U+10FFFF at UTF-32 unit offset"};
inline constexpr MalformedRaiseSite kToUTF8StringSite{"Text::ToUTF8String", 1004,
                                                      "Unpaired surrogate at UTF-16 unit offset"};
inline constexpr MalformedRaiseSite kToUTF32StringSite{"Text::ToUTF32String", 1005,
                                                       "Unpaired surrogate at UTF-16 unit offset"};
// ICU failures other than ill-formed input (memory, missing data) in case mapping, folded
// comparison and grapheme breaking report "Unspecified function", the line and ICU's status.
inline constexpr long kCaseMappingLine = 1006;
inline constexpr long kGraphemesLine = 1007;

// Normalization and collation, numbered apart from the operations above: a normalized text
// too long for a text, and ICU failures (memory, missing data, a collator ICU cannot open).
inline constexpr LengthRaiseSite kNormalizedLengthSite{"Text::Normalized", 1040};
inline constexpr long kNormalizationLine = 1041;
inline constexpr long kCollatorLine = 1042;

// The conveniences of the modern interface.
inline constexpr LengthRaiseSite kReplaceAllLengthSite{"Text::ReplaceAll", 1050};
inline constexpr LengthRaiseSite kFromWStringLengthSite{"Text::FromWString", 1051};
inline constexpr MalformedRaiseSite kFromWStringUTF16Site{
    "Text::FromWString", 1052, "Unpaired surrogate at UTF-16 unit offset"};
inline constexpr MalformedRaiseSite kFromWStringUTF32Site{
    "Text::FromWString", 1052, "Surrogate or value above U+10FFFF at UTF-32 unit offset"};
inline constexpr MalformedRaiseSite kTextArgumentSite{"TextArgument::TextArgument", 1053,
                                                      "Ill-formed UTF-8 at byte offset"};

inline constexpr LengthRaiseSite kTextArgumentLengthSite{"TextArgument::TextArgument", 1055};

// Results in a standard string that it cannot hold (a 32-bit target), refused before anything
// is written with RaiseStringLengthError.
inline constexpr LengthRaiseSite kToUTF8StringLengthSite{"Text::ToUTF8String", 1056};
inline constexpr LengthRaiseSite kToUTF32StringLengthSite{"Text::ToUTF32String", 1057};
inline constexpr LengthRaiseSite kSortKeyLengthSite{"Collator::SortKey", 1058};

struct ArgumentRaiseSite {
    const char* Function;
    long Line;
    const char* Message;
};
inline constexpr ArgumentRaiseSite kReplaceAllEmptySite{"Text::ReplaceAll", 1054,
                                                        "The text to replace is empty"};

// Raises CPPException<std::invalid_argument> for `site`.
[[noreturn]] void RaiseInvalidArgument(const ArgumentRaiseSite& site);

// Raises MalformedInput for `site` at `offset`.
[[noreturn]] void RaiseMalformed(const MalformedRaiseSite& site, std::size_t offset);

// Raises CPPException<std::out_of_range> for `site`.
[[noreturn]] void RaiseIndexError(const IndexRaiseSite& site);

// Raises CPPException<std::runtime_error> at `line` with the ICU name of `status` (a
// UErrorCode) as the message.
[[noreturn]] void RaiseConversionError(long line, int status);

}  // namespace detail
}  // namespace QuendalText

#endif  // QUENDALTEXT_INTERNAL_RAISE_SITES_H
