// Every place where the text library raises, kept in one table, and the one raise helper.
// The file name and line numbers are part of the library's contract with its callers'
// handlers, independent of how this project lays out its sources.
#ifndef QUENDALTEXT_INTERNAL_RAISE_SITES_H
#define QUENDALTEXT_INTERNAL_RAISE_SITES_H

namespace QuendalText {
namespace detail {

inline constexpr char kRaiseFileName[] = ".\\Text.cpp";
inline constexpr char kUnspecifiedFunction[] = "Unspecified function";

// Functions that create an exception object on entry without ever raising it.
inline constexpr char kToUnicodeFunction[] = "Text::ToUnicode";
inline constexpr char kToAsciiFunction[] = "Text::ToAscii";

struct IndexRaiseSite {
    const char* function;
    long line;
    const char* message;
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

// Raises CPPException<std::out_of_range> for `site`.
[[noreturn]] void RaiseIndexError(const IndexRaiseSite& site);

// Raises CPPException<std::runtime_error> at `line` with the ICU name of `status` (a
// UErrorCode) as the message.
[[noreturn]] void RaiseConversionError(long line, int status);

}  // namespace detail
}  // namespace QuendalText

#endif  // QUENDALTEXT_INTERNAL_RAISE_SITES_H
