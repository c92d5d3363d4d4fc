/// \file
/// QuendalText::Text: a UTF-16 string that caches its length in units and its character count,
/// with the strict argument type of its modern members and its free operators.
#ifndef QUENDALTEXT_TEXT_H
#define QUENDALTEXT_TEXT_H

#include <QuendalLog/CPPException.h>  // the failures Text raises
#include <QuendalText/Char.h>
#include <QuendalText/Config.h>
#include <QuendalText/Segmentation.h>
#include <QuendalText/UTFEncodingType.h>
#include <QuendalText/Unicode.h>

#include <cstddef>
#include <functional>
#include <iosfwd>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace QuendalText {

// ---- Ill-formed input ------------------------------------------------------------------------

/// What the conversions between Text and the UTF encodings do with an ill-formed sequence.
enum class Malformed {
    Raise,    ///< raise MalformedInput at the first one
    Replace,  ///< write U+FFFD for each maximal ill-formed subpart, as ICU and WHATWG do
};

/// Raised by the conversions with Malformed::Raise. Catchable also as
/// CPPException<std::runtime_error>, QuendalLog::Exception and std::runtime_error.
class QUENDALTEXT_API MalformedInput : public QuendalLog::CPPException<std::runtime_error> {
public:
    /// Records the origin and the offset of the first ill-formed sequence.
    MalformedInput(const char* fileName, const char* functionName, std::size_t offset);
    /// Copies the origin, line, message and offset.
    MalformedInput(const MalformedInput& other);
    ~MalformedInput() override;
    /// Offset of the first ill-formed sequence, in units of the source (bytes for UTF-8).
    std::size_t Offset() const { return InputOffset; }
    /// Stores `line` and `message` and throws a copy of this object as MalformedInput.
    [[noreturn]] void Throw(long line, const char* message) override;

private:
    std::size_t InputOffset;
};

/// Where a search found its match: `Start` and `Length` in UTF-16 units of the searched text;
/// false (Start -1) when nothing was found.
struct Span {
    int Start = -1;  ///< index of the match's first unit, or -1
    int Length = 0;  ///< units in the match
    /// True when something was found.
    explicit operator bool() const { return Start >= 0; }
};

class TextArgument;

/// A UTF-16 string. Every index, position, length and count is in UTF-16 units from 0; only
/// get_NumberOfCharacters counts characters. Text that is not well-formed UTF-16 is kept unit
/// by unit. Failures raise QuendalLog::CPPException<std::runtime_error> (conversions) or
/// QuendalLog::CPPException<std::out_of_range> (indexes); a failed operation changes nothing.
///
/// Limit: a text holds at most 2^31 - 1 (INT_MAX) units, so that every length and count fits
/// an int (on a 32-bit target 2^29 - 1, what the standard string holds). Every operation that
/// would make a text longer (the constructors, +=, +, Replace, set_CharacterAt, Load, the
/// factories, Text(UTF16StringView), the case mappings and ReplaceAll) raises
/// QuendalLog::CPPException<std::length_error> before it changes anything, or std::bad_alloc
/// when memory runs out first; Concatenate answers false instead.
///
/// Threads: any number of threads may use one text through const members at once, and texts
/// share nothing; a text that one thread changes must not be used by another meanwhile. The
/// members that follow the C runtime's locale (ToUpper, ToLower, Compare, the format
/// constructor, ToInteger) read it at each call.
///
/// Reach for FromUTF8 over Text(const char*) whenever the input may be ill-formed (the
/// constructor stops at a NUL and silently keeps only what precedes a fault), and for
/// CompareFolded over Compare to compare without case (Compare folds one unit at a time by the
/// C runtime's locale).
class QUENDALTEXT_API Text {
public:
    // ---- Construction, copying, moving and settings --------------------------------------

    /// Empty text; case-sensitive, searching forward.
    inline Text();
    /// Copies units, cached counts and both settings.
    Text(const Text& other);
    /// Takes the units, counts and settings of `other`, which is left empty (settings kept).
    Text(Text&& other) noexcept;
    /// All units of `units`, NUL units included.
    Text(const UTF16String& units);
    /// Every unit of `units`, NUL units included. The way to turn a view, such as a cluster of
    /// Graphemes(), into a text of its own.
    explicit Text(UTF16StringView units);
    /// The units of `character`: one, two for a pair or the invalid character, none for U+0000.
    Text(const Char& character);
    /// The units before the first NUL; a null pointer gives an empty text.
    Text(const UTF16Unit* units);
    /// Frees the units.
    inline ~Text();
    /// Copies units, cached counts and both settings; self-assignment changes nothing.
    Text& operator=(const Text& other);
    /// As the move constructor; self-assignment changes nothing.
    Text& operator=(Text&& other) noexcept;
    /// The units, NUL-terminated, without a copy; valid until the text changes.
    inline const UTF16Unit* c_str() const;
    /// The units, without a copy; valid until the text changes.
    UTF16StringView View() const noexcept;
    /// True when the text has no units.
    inline bool IsEmpty() const;
    /// Number of UTF-16 units.
    inline int get_Length() const;
    /// Number of characters (a pair once); leading NUL units are not counted, and a low
    /// surrogate where a character begins makes it -1.
    inline int get_NumberOfCharacters() const;
    /// Case sensitivity of Compare (default true).
    void set_CaseSensitivity(bool caseSensitive);
    /// Whether Compare tells case apart (default true).
    bool IsCaseSensitive() const;
    /// Direction of FindCharacter and Remove (default true: from the start).
    void set_SearchForward(bool forward);
    /// Whether FindCharacter and Remove search from the start (default true).
    bool IsSearchForward() const;
    /// Removes every unit; both settings are kept.
    void Empty();
    /// True when no unit is above 0x7F (an empty text is ASCII).
    bool IsAscii() const;

    // ---- Conversion in: UTF-8, UTF-16 and UTF-32, formatting, string resources -----------

    /// From NUL-terminated UTF-8; null gives an empty text. Ill-formed UTF-8 keeps the units
    /// converted before the fault. Raises CPPException<std::runtime_error> (line 229) when the
    /// conversion fails otherwise.
    Text(const char* utf8);
    /// Appends NUL-terminated UTF-8; null changes nothing. Raises as Text(const char*).
    Text& operator+=(const char* utf8);
#if defined(__cpp_char8_t)
    /// As Text(const char*), so that u8"..." literals, char8_t arrays since C++20, are UTF-8 too.
    Text(const char8_t* utf8) : Text(reinterpret_cast<const char*>(utf8)) {}
    /// As operator+=(const char*).
    Text& operator+=(const char8_t* utf8) { return *this += reinterpret_cast<const char*>(utf8); }
#endif
    /// From UTF-32 ended by a 0 unit; null gives an empty text. Raises
    /// CPPException<std::runtime_error> (line 290) on any conversion failure.
    Text(const UTF32Unit* utf32);
    /// From UTF-8 `bytes` (NUL bytes are characters). Ill-formed input raises MalformedInput
    /// with its byte offset, or with Malformed::Replace becomes U+FFFD per maximal subpart.
    static Text FromUTF8(std::string_view bytes, Malformed malformed = Malformed::Raise);
    /// From UTF-16 `units`; an unpaired surrogate raises MalformedInput or becomes U+FFFD.
    static Text FromUTF16(UTF16StringView units, Malformed malformed = Malformed::Raise);
    /// From UTF-32 `units`; a surrogate or a value above 0x10FFFF raises MalformedInput or
    /// becomes U+FFFD.
    static Text FromUTF32(std::u32string_view units, Malformed malformed = Malformed::Raise);
    /// From wide `units`: UTF-16 where wchar_t has 16 bits (Windows), UTF-32 elsewhere, each
    /// read as FromUTF16 or FromUTF32 reads it.
    static Text FromWString(std::wstring_view units, Malformed malformed = Malformed::Raise);
    /// With `formatted`, printf-style formatting of the arguments into the UTF-16 `format`
    /// (%s a UTF-16 string, %S a UTF-8 one); otherwise `format` taken literally. A null or
    /// empty format gives an empty text.
    Text(const UTF16Unit* format, bool formatted, ...);
    /// String resource `id` of `module` (see Load).
    Text(ModuleHandle module, unsigned int id);
    /// Replaces the units with string resource `id` of `module`; a null module or a missing
    /// id gives an empty text (on Windows, where LoadStringW reads the module's STRINGTABLE, a
    /// null module is the program itself). Settings are kept.
    void Load(ModuleHandle module, unsigned int id);

    // ---- Conversion out: UTF encodings into buffers and strings, numbers -----------------

    /// The text as UTF-8; an unpaired surrogate raises MalformedInput with its unit offset, or
    /// becomes U+FFFD. Output longer than a string holds (32-bit targets) raises
    /// CPPException<std::length_error>.
    std::string ToUTF8String(Malformed malformed = Malformed::Raise) const;
    /// The text as UTF-32, with unpaired surrogates and too long output treated as by
    /// ToUTF8String.
    std::u32string ToUTF32String(Malformed malformed = Malformed::Raise) const;
    /// The text as wide units: its UTF-16 units where wchar_t has 16 bits (Windows), its code
    /// points elsewhere. Never raises: an unpaired surrogate is kept as its own value.
    std::wstring ToWString() const;
    /// Writes UTF-8 into `buffer` of `size` bytes. The buffer must hold the output and a
    /// terminating zero byte; otherwise raises CPPException<std::runtime_error> (line 986)
    /// with ICU's status name, e.g. U_BUFFER_OVERFLOW_ERROR.
    void ToUTF8(char* buffer, int size, bool nullTerminated) const;
    /// Copies the units into `buffer` of `size` bytes; a buffer too small for the units (and
    /// the terminator when `nullTerminated`) is zero-filled instead. Never raises.
    void ToUTF16(UTF16Unit* buffer, int size, bool nullTerminated) const;
    /// Writes UTF-32 into `buffer` of `size` 32-bit units; raises as ToUTF8 (line 955).
    void ToUTF32(UTF32Unit* buffer, int size, bool nullTerminated) const;
    /// As ToUTF16; always returns true.
    bool ToUnicode(UTF16Unit* buffer, int size, bool nullTerminated) const;
    /// Writes an all-ASCII text as bytes into `buffer` of `size` bytes (as ToUTF8) and returns
    /// true. A text with any unit above 0x7F zero-fills the buffer and returns false; a failed
    /// conversion returns false, keeping what it wrote. Never raises.
    bool ToAscii(char* buffer, int size, bool nullTerminated) const;
    /// Bytes needed to write the text in `encoding`, plus the terminator when asked; 0 for an
    /// unknown encoding. UTF-32 is sized from the cached character count.
    int get_EncodingSize(UTFEncodingType encoding, bool nullTerminated) const;
    /// Leading white space, a sign and decimal digits read as int (0 when none, clamped).
    int ToInteger() const;
    /// As ToInteger, for long.
    long ToLong() const;
    /// The text read by atof; -9999999999.0 when it is not ASCII.
    double ToDouble() const;
    /// The whole text as one decimal integer as std::from_chars reads it, with an optional '+'
    /// and ASCII white space around it; nullopt for anything else or a value out of range.
    std::optional<long long> ParseInteger() const;
    /// As ParseInteger, for a number as std::from_chars reads it in its general format
    /// ("1.5e3", "-inf", "nan"); nullopt for anything else or a value out of range.
    std::optional<double> ParseDouble() const;

    // ---- Character access and editing ----------------------------------------------------

    /// The character made from the single unit at `index` (a surrogate unit gives the invalid
    /// character). Raises CPPException<std::out_of_range> unless 0 <= index < get_Length().
    Char get_CharacterAt(int index) const;
    /// As get_CharacterAt, with its own function name and line in the raise.
    Char operator[](int index) const;
    /// Inserts the character's units before `index`. Raises CPPException<std::out_of_range>
    /// unless 0 <= index < get_Length() (so it never appends).
    void set_CharacterAt(int index, const Char& character);
    /// Erases the one unit at `index` and returns this text. Raises
    /// CPPException<std::out_of_range> unless 0 <= index < get_Length().
    Text& RemoveAt(int index);
    /// Replaces up to `count` units from `start` with all units of `replacement`. Negative
    /// values act as huge unsigned positions; start > get_Length() raises std::out_of_range.
    void Replace(const Text& replacement, int start, int count);
    /// A new text of up to `count` units from `start` (negative count: to the end); start >
    /// get_Length() raises std::out_of_range.
    Text SubString(int start, int count) const;
    /// Appends source.SubString(start, count); false, with this text unchanged, on any failure.
    bool Concatenate(const Text& source, int start, int count);
    /// Appends all units of `other` (itself included) and returns this text.
    Text& operator+=(const Text& other);
    /// Appends the character's units and returns this text.
    inline Text& operator+=(const Char& character);
    /// Appends the units before the first NUL; null changes nothing. Returns this text.
    Text& operator+=(const UTF16Unit* units);
    /// A new text: these units followed by the character's.
    Text operator+(const Char& character) const;
    /// A new text without the Unicode White_Space characters at either end.
    Text Trimmed() const;
    /// Replaces every occurrence of `from` with `to`, left to right without overlap, and
    /// returns this text; an occurrence never begins or ends inside a surrogate pair. An empty
    /// `from` raises CPPException<std::invalid_argument>.
    Text& ReplaceAll(const TextArgument& from, const TextArgument& to);

    // ---- Case ----------------------------------------------------------------------------

    /// A new text, fully upper-cased by Unicode's default rules ("straße" gives
    /// "STRASSE"), whatever the process locale.
    Text Upper() const;
    /// A new text, fully lower-cased by Unicode's default rules, whatever the process locale.
    Text Lower() const;
    /// A new text, fully case-folded by Unicode's default rules, whatever the process locale.
    Text Folded() const;
    /// Upper-cases an all-ASCII text in place; a text with any unit above 0x7F is left as is.
    void ToUpper();
    /// Lower-cases an all-ASCII text in place; a text with any unit above 0x7F is left as is.
    void ToLower();

    // ---- Searching, comparison and splitting ---------------------------------------------

    /// Index of the first occurrence of `pattern`, or -1.
    int FindString(const Text& pattern) const;
    /// Index of the first occurrence of `pattern` at or after `start`, or -1.
    int FindString(const Text& pattern, int start) const;
    /// Index of the first unit at or after `start` that is one of the units of `set`, or -1.
    int FindFromCharacterSet(const Text& set, int start) const;
    /// Index of the first unit at or after `start` that is none of the units of `set`, or -1.
    int FindNotFromCharacterSet(const Text& set, int start) const;
    /// Index of the first unit of the first occurrence of `character` in the direction of
    /// IsSearchForward(), or -1. Pairs match by code point, single characters by unit.
    int FindCharacter(const Char& character) const;
    /// Erases every occurrence of `character` and returns this text.
    Text& Remove(const Char& character);
    /// The next token at or after *position, delimited by the units of `delimiters`; sets
    /// *position to the index where the token ended. When no token is left, returns an empty
    /// text and sets *position to get_Length().
    Text FindToken(const Text& delimiters, int* position) const;
    /// -1, 0 or 1 as this text orders before, equal to or after `other` over at most `count`
    /// leading units (-1: all), ignoring ASCII and locale case when !IsCaseSensitive().
    int Compare(const Text& other, int count) const;
    // The modern members take a TextArgument: a Text, UTF-16 units (u"..."), or UTF-8 (a
    // const char*, std::string or std::string_view) read strictly, raising MalformedInput.

    /// -1, 0 or 1 as the full case folding of this text orders before, equal to or after that
    /// of `other`, by UTF-16 units; ignores IsCaseSensitive() and the locale.
    int CompareFolded(const TextArgument& other) const;
    /// The first match of `pattern` at or after unit `start` under full case folding (as
    /// CompareFolded), spanning whole characters of this text ("s" is not found in "ß", "ss"
    /// is); an empty Span when none. A negative start reads as 0.
    Span FindFolded(const TextArgument& pattern, int start = 0) const;
    /// Whether the units begin with those of `prefix` (always true for an empty one).
    bool StartsWith(const TextArgument& prefix) const;
    /// Whether the units end with those of `suffix` (always true for an empty one).
    bool EndsWith(const TextArgument& suffix) const;
    /// Whether the units of `part` occur in this text (always true for an empty one).
    bool Contains(const TextArgument& part) const;
    /// The fields between the occurrences of `delimiter` (any character; U+0000 is one NUL
    /// unit), empty ones kept: n occurrences give n + 1 fields. A lone-surrogate delimiter
    /// never matches half of a pair.
    std::vector<Text> Split(const Char& delimiter) const;

    // ---- Segmentation --------------------------------------------------------------------

    // Each range views this text's units: its iterators stay valid while the units are
    // unchanged, even after the range is gone, and a const range may be walked from many
    // threads. All are bidirectional (std::prev(range.end()) is the last element).

    /// The code points, in range-for: a pair gives its code point, an unpaired surrogate its
    /// own value.
    CodePointRange CodePoints() const;
    /// The extended grapheme clusters, each a view of its units (ICU's rules, root locale).
    GraphemeRange Graphemes() const;
    /// The segments between word boundaries (Unicode's word rules as ICU's root locale applies
    /// them, with its dictionaries for Thai or Chinese); the iterator's IsWord() picks out words.
    SegmentRange Words() const;
    /// The sentences, each with the spaces and line ends after it (ICU's rules, root locale).
    SegmentRange Sentences() const;
    /// The segments between line-break opportunities: each ends where a line may wrap, after
    /// its trailing spaces, or must (Unicode's line breaking as ICU's root locale applies it).
    SegmentRange LineBreaks() const;

    // ---- Normalization and display width -------------------------------------------------

    /// A new text (settings true) in normalization form `form` (UAX #15, by ICU's Normalizer2);
    /// unpaired surrogates are kept. Raises CPPException<std::length_error> when the result
    /// would be longer than a text may be. Text already in the form is copied, not normalized.
    Text Normalized(NormalizationForm form = NormalizationForm::NFC) const;
    /// Whether the text is in form `form`, that is equal to Normalized(form); answered from the
    /// quick-check properties, without normalizing, unless they leave it in doubt.
    bool IsNormalized(NormalizationForm form = NormalizationForm::NFC) const;
    /// Terminal columns the text takes, summed over its grapheme clusters: 2 for a cluster whose
    /// first code point is East Asian Wide or Fullwidth or has Emoji_Presentation, or in which
    /// an emoji is followed by U+FE0F; 0 for one made only of nonspacing or enclosing marks,
    /// format characters and controls; 1 for any other. Line breaks and tabs count 0; the sum
    /// stops at INT_MAX.
    int DisplayWidth() const;

private:
    // The character-count rule over all units.
    int CharacterCount() const;
    // Brings Length and NumberOfCharacters up to date after the units changed. When the first
    // `unchangedUnits` units are exactly the units the counts were last taken over (an append),
    // only the units after them are read.
    void RefreshCounts(std::size_t unchangedUnits = 0);

    UTF16String Content;
    int Length;
    int NumberOfCharacters;
    bool CaseSensitivity;
    bool SearchForward;
};

/// A text given to a modern member of Text, built implicitly from what the caller has: a Text
/// (viewed, not copied), UTF-16 units, a Char, or UTF-8 read strictly, which raises
/// MalformedInput with the byte offset of the first ill-formed sequence. Like std::string_view
/// it views what it was made from: a parameter type, not one to keep.
class TextArgument {
public:
    /// The units of `text`, without a copy.
    TextArgument(const Text& text) noexcept : Units(text.View()) {}
    /// Every unit of `units`, NUL units included.
    TextArgument(UTF16StringView units) noexcept : Units(units) {}
    /// Every unit of `units`, NUL units included, without a copy.
    TextArgument(const UTF16String& units) noexcept : Units(units) {}
    /// The units before the first NUL; null is empty.
    TextArgument(const UTF16Unit* units) noexcept
        : Units(units != nullptr ? UTF16StringView(units) : UTF16StringView()) {}
    /// The units of `character` (none for U+0000).
    TextArgument(const Char& character) noexcept
        : Units(static_cast<const UTF16Unit*>(character)) {}
    /// UTF-8 `utf8`, NUL bytes included; raises MalformedInput at an ill-formed sequence, and
    /// CPPException<std::length_error> when its units are more than a text may hold.
    QUENDALTEXT_API TextArgument(std::string_view utf8);
    /// As from a std::string_view of `utf8`.
    TextArgument(const std::string& utf8) : TextArgument(std::string_view(utf8)) {}
    /// NUL-terminated UTF-8; null is empty. Raises as from a std::string_view.
    TextArgument(const char* utf8)
        : TextArgument(utf8 != nullptr ? std::string_view(utf8) : std::string_view()) {}
#if defined(__cpp_char8_t)
    /// As from a const char*, for u8"..." literals since C++20.
    TextArgument(const char8_t* utf8) : TextArgument(reinterpret_cast<const char*>(utf8)) {}
#endif
    // A copy would view the storage of the original.
    TextArgument(const TextArgument&) = delete;
    TextArgument& operator=(const TextArgument&) = delete;
    /// The units given.
    UTF16StringView View() const noexcept { return Units; }

private:
    UTF16String Converted;  // the units of a UTF-8 argument
    UTF16StringView Units;
};

/// Contents equal, unit by unit; settings are not compared.
QUENDALTEXT_API bool operator==(const Text& left, const Text& right);
/// Contents differ in some unit or in length.
QUENDALTEXT_API bool operator!=(const Text& left, const Text& right);
/// Unit-by-unit order of the contents; a proper prefix orders first.
QUENDALTEXT_API bool operator<(const Text& left, const Text& right);
/// Orders before or equal, unit by unit.
QUENDALTEXT_API bool operator<=(const Text& left, const Text& right);
/// Orders after, unit by unit.
QUENDALTEXT_API bool operator>(const Text& left, const Text& right);
/// Orders after or equal, unit by unit.
QUENDALTEXT_API bool operator>=(const Text& left, const Text& right);
/// A new text of the left units followed by the right ones, with both settings true.
QUENDALTEXT_API Text operator+(const Text& left, const Text& right);
/// Writes the text as UTF-8, each unpaired surrogate as U+FFFD.
QUENDALTEXT_API std::ostream& operator<<(std::ostream& stream, const Text& text);

// The members that every use of a text goes through are inline, so that they cost no call.
inline Text::Text()
    : Length(0), NumberOfCharacters(0), CaseSensitivity(true), SearchForward(true) {}
inline Text::~Text() {}
inline const UTF16Unit* Text::c_str() const { return Content.c_str(); }
inline bool Text::IsEmpty() const { return Length == 0; }
inline int Text::get_Length() const { return Length; }
inline int Text::get_NumberOfCharacters() const { return NumberOfCharacters; }

// Appending a character is inline, so that a text built a character at a time costs no call:
// a single unit that follows a whole character, to a text with a count that it raises, is
// pushed and counted here; anything else is appended as the units it presents, as `+=` of units
// does (the same limit, the same count). The count and the length are tested together (an OR
// below INT_MAX holds only if the count is not negative and the length is below INT_MAX; the rare
// miss takes the general path, which is exact). A count equal to the length means that every
// unit is a character of its own, so no surrogate ends the text; only another count has the last
// unit read (at an index that falls on the terminating NUL of an empty text), since reading back
// what the last append stored costs more than the rest of the append.
inline Text& Text::operator+=(const Char& character) {
    const UTF16Unit* units = character;
    const UTF16Unit first = units[0];
    const UTF16Unit second = units[1];
    const std::size_t size = Content.size();
    const int count = NumberOfCharacters;
    const unsigned other = static_cast<unsigned>(second != 0) | static_cast<unsigned>(first == 0) |
                           static_cast<unsigned>(detail::IsSurrogate(first));
    const std::size_t countAndSize = static_cast<std::size_t>(static_cast<unsigned>(count)) | size;
    if (other == 0 && countAndSize < detail::kMaxTextUnits &&
        (static_cast<std::size_t>(count) == size ||
         !detail::IsSurrogate(Content.data()[size - (size != 0)]))) {
        Content.push_back(first);
        Length = static_cast<int>(size) + 1;
        NumberOfCharacters = count + 1;
        return *this;
    }
    // Copied only here, so that the common case keeps the character in registers.
    const UTF16Unit presented[] = {first, second, 0};
    return *this += presented;
}

}  // namespace QuendalText

namespace std {
/// Hashes the units, so that equal texts hash equally whatever their settings.
template <>
struct hash<QuendalText::Text> {
    /// The hash of the units, that of text.View().
    std::size_t operator()(const QuendalText::Text& text) const noexcept {
        return std::hash<QuendalText::UTF16StringView>{}(text.View());
    }
};
}  // namespace std

// std::format writes a text as UTF-8 (each unpaired surrogate as U+FFFD), with fill, alignment,
// width and precision as for a string.
#if defined(__has_include)
#  if __has_include(<version>)
#    include <version>
#  endif
#endif
#if defined(__cpp_lib_format)
#  include <format>
namespace std {
template <>
struct formatter<QuendalText::Text, char> : formatter<string_view, char> {
    template <class FormatContext>
    auto format(const QuendalText::Text& text, FormatContext& context) const {
        const string bytes = text.ToUTF8String(QuendalText::Malformed::Replace);
        return formatter<string_view, char>::format(string_view(bytes), context);
    }
};
}  // namespace std
#endif

// The collator, so that this header alone offers the whole text interface.
#include <QuendalText/Collator.h>

#endif  // QUENDALTEXT_TEXT_H
