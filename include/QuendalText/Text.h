// QuendalText::Text: a UTF-16 string that caches its length in units and its character count.
#ifndef QUENDALTEXT_TEXT_H
#define QUENDALTEXT_TEXT_H

#include <QuendalLog/CPPException.h>  // the failures Text raises
#include <QuendalText/Char.h>
#include <QuendalText/Config.h>
#include <QuendalText/UTFEncodingType.h>

#include <cstddef>

namespace QuendalText {

/// A UTF-16 string. Every index, position, length and count is in UTF-16 units from 0; only
/// get_NumberOfCharacters counts characters. Text that is not well-formed UTF-16 is kept unit
/// by unit. Failures raise QuendalLog::CPPException<std::runtime_error> (conversions) or
/// QuendalLog::CPPException<std::out_of_range> (indexes); a failed operation changes nothing.
///
/// Limit: a text holds at most 2^31 - 1 (INT_MAX) units, so that every length and count fits
/// an int. Every operation that would make a text longer (the constructors, +=, +, Replace,
/// set_CharacterAt, Load) raises QuendalLog::CPPException<std::length_error> before it changes
/// anything; Concatenate answers false instead.
class QUENDALTEXT_API Text {
public:
    // ---- Construction, copying, settings ----

    /// Empty text; case-sensitive, searching forward.
    Text();
    /// Copies units, cached counts and both settings.
    Text(const Text& other);
    /// All units of `units`, NUL units included.
    Text(const UTF16String& units);
    /// The units of `character`: one, two for a pair or the invalid character, none for U+0000.
    Text(const Char& character);
    /// The units before the first NUL; a null pointer gives an empty text.
    Text(const UTF16Unit* units);
    ~Text();
    /// Copies units, cached counts and both settings; self-assignment changes nothing.
    Text& operator=(const Text& other);

    /// The units, NUL-terminated, without a copy; valid until the text changes.
    const UTF16Unit* c_str() const;
    /// True when the text has no units.
    bool IsEmpty() const;
    /// Number of UTF-16 units.
    int get_Length() const;
    /// Number of characters (a pair once); leading NUL units are not counted, and a low
    /// surrogate where a character begins makes it -1.
    int get_NumberOfCharacters() const;
    /// Case sensitivity of Compare (default true).
    void set_CaseSensitivity(bool caseSensitive);
    bool IsCaseSensitive() const;
    /// Direction of FindCharacter and Remove (default true: from the start).
    void set_SearchForward(bool forward);
    bool IsSearchForward() const;
    /// Removes every unit; both settings are kept.
    void Empty();
    /// True when no unit is above 0x7F (an empty text is ASCII).
    bool IsAscii() const;

    // ---- Construction from other encodings and sources ----

    /// From NUL-terminated UTF-8; null gives an empty text. Ill-formed UTF-8 keeps the units
    /// converted before the fault. Raises CPPException<std::runtime_error> (line 229) when the
    /// conversion fails otherwise.
    Text(const char* utf8);
    /// From UTF-32 ended by a 0 unit; null gives an empty text. Raises
    /// CPPException<std::runtime_error> (line 290) on any conversion failure.
    Text(const UTF32Unit* utf32);
    /// With `formatted`, printf-style formatting of the arguments into the UTF-16 `format`
    /// (%s a UTF-16 string, %S a UTF-8 one); otherwise `format` taken literally. A null or
    /// empty format gives an empty text.
    Text(const UTF16Unit* format, bool formatted, ...);
    /// String resource `id` of `module` (see Load).
    Text(ModuleHandle module, unsigned int id);
    /// Replaces the units with string resource `id` of `module`; a null module or a missing
    /// id gives an empty text. Settings are kept.
    void Load(ModuleHandle module, unsigned int id);
    /// Appends NUL-terminated UTF-8; null changes nothing. Raises as Text(const char*).
    Text& operator+=(const char* utf8);
#if defined(__cpp_char8_t)
    /// As Text(const char*), so that u8"..." literals, char8_t arrays since C++20, are UTF-8 too.
    Text(const char8_t* utf8) : Text(reinterpret_cast<const char*>(utf8)) {}
    /// As operator+=(const char*).
    Text& operator+=(const char8_t* utf8) { return *this += reinterpret_cast<const char*>(utf8); }
#endif

    // ---- Conversion out ----

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

    // ---- Character access and editing ----

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
    Text& operator+=(const Char& character);
    /// Appends the units before the first NUL; null changes nothing. Returns this text.
    Text& operator+=(const UTF16Unit* units);
    /// A new text: these units followed by the character's.
    Text operator+(const Char& character) const;
    /// Upper-cases an all-ASCII text in place; a text with any unit above 0x7F is left as is.
    void ToUpper();
    /// Lower-cases an all-ASCII text in place; a text with any unit above 0x7F is left as is.
    void ToLower();

    // ---- Searching and comparison ----

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

/// Contents equal, unit by unit; settings are not compared.
QUENDALTEXT_API bool operator==(const Text& left, const Text& right);
QUENDALTEXT_API bool operator!=(const Text& left, const Text& right);
/// Unit-by-unit order of the contents; a proper prefix orders first.
QUENDALTEXT_API bool operator<(const Text& left, const Text& right);
QUENDALTEXT_API bool operator<=(const Text& left, const Text& right);
QUENDALTEXT_API bool operator>(const Text& left, const Text& right);
QUENDALTEXT_API bool operator>=(const Text& left, const Text& right);
/// A new text of the left units followed by the right ones, with both settings true.
QUENDALTEXT_API Text operator+(const Text& left, const Text& right);

}  // namespace QuendalText

#endif  // QUENDALTEXT_TEXT_H
