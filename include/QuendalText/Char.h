/// \file
/// QuendalText::Char: one Unicode character held as one or two UTF-16 code units.
#ifndef QUENDALTEXT_CHAR_H
#define QUENDALTEXT_CHAR_H

#include <QuendalText/Config.h>

#include <type_traits>

namespace QuendalText {

/// One character: a single UTF-16 unit, or a surrogate pair for a supplementary character.
/// Input that cannot be represented gives the invalid character (units 0xFFFF 0xFFFF).
/// Classification and case mapping follow the C runtime's current locale. Nothing throws.
class QUENDALTEXT_API Char {
public:
    /// U+0000; its string is empty.
    Char() : Units{0, 0, 0} {}
    /// From a code point. Up to 0xFFFF one unit (surrogate values kept as they are), up to
    /// 0x10FFFF a surrogate pair, above that the invalid character.
    Char(UTF32Unit codePoint);
    /// From a code point given as any other integer type (int, unsigned long, ...), as
    /// Char(UTF32Unit); without it such a call would be ambiguous between the unit types. A
    /// negative value or one beyond 32 bits gives the invalid character.
    template <class Integer,
              std::enable_if_t<
                  std::is_integral<Integer>::value && !std::is_same<Integer, bool>::value, int> = 0>
    Char(Integer codePoint) : Char(CodePointOf(codePoint)) {}
    /// Copies the units.
    Char(const Char& other) : Units{other.Units[0], other.Units[1], 0} {}
    /// From one byte: 0x00-0x7F as it is, 0x80-0xFF the invalid character (no code page).
    Char(char byte);
    /// From one UTF-16 unit; a surrogate unit (0xD800-0xDFFF) gives the invalid character.
    Char(UTF16Unit unit) : Units{unit, 0, 0} {
        if (IsSurrogate()) Units[0] = Units[1] = 0xFFFF;  // the invalid character
    }
    ~Char() {}
    /// Copies the units.
    Char& operator=(const Char& other);

    /// The character as a NUL-terminated string of two units, one unit, or none for U+0000.
    /// Valid as long as this Char lives.
    operator const UTF16Unit*() const { return Units; }

    /// True when the first unit lies outside 0xD800-0xDFFF.
    bool IsSingle() const { return !IsSurrogate(); }
    /// True when the first unit lies in 0xD800-0xDFFF.
    bool IsSurrogate() const { return detail::IsSurrogate(Units[0]); }

    // Classification of a single character by the C runtime; a surrogate Char is in no class.
    /// True for a letter (iswalpha).
    bool IsAlpha() const;
    /// True for a letter or a digit (iswalnum).
    bool IsAlphaNum() const;
    /// True for a unit below 0x80.
    bool IsAscii() const;
    /// True for a control character (iswcntrl).
    bool IsControl() const;
    /// True for a decimal digit (iswdigit).
    bool IsDigit() const;
    /// True for a character with a visible glyph (iswgraph).
    bool IsGraph() const;
    /// True for a lower-case letter (iswlower).
    bool IsLower() const;
    /// True for a printable character, space included (iswprint).
    bool IsPrint() const;
    /// True for punctuation (iswpunct).
    bool IsPunct() const;
    /// Blank characters only (space and the locale's other blanks).
    bool IsSpace() const;
    /// True for an upper-case letter (iswupper).
    bool IsUpper() const;
    /// The full white-space class: space, tab, line and page breaks and their like.
    bool IsWhiteSpace() const;

    /// Lower-cases a single character in place; a surrogate Char is left as it is.
    Char& ToLower();
    /// Upper-cases a single character in place; a surrogate Char is left as it is.
    Char& ToUpper();

    // Two single characters compare by first unit, two surrogate ones by code point; a single
    // and a surrogate character are unequal and unordered (every ordering answers false).
    /// Equal: the same kind and the same unit or code point.
    bool operator==(const Char& other) const;
    /// Not equal (true for a single and a surrogate character).
    bool operator!=(const Char& other) const;
    /// Orders before, among characters of the same kind; false across kinds.
    bool operator<(const Char& other) const;
    /// Orders before or equal, among characters of the same kind; false across kinds.
    bool operator<=(const Char& other) const;
    /// Orders after, among characters of the same kind; false across kinds.
    bool operator>(const Char& other) const;
    /// Orders after or equal, among characters of the same kind; false across kinds.
    bool operator>=(const Char& other) const;

private:
    // The value as a UTF-32 unit. One that the unit cannot hold is no code point either; it is
    // not cut to its low 32 bits (which could name a valid character) but kept beyond 0x10FFFF.
    template <class Integer>
    static UTF32Unit CodePointOf(Integer value) {
        constexpr unsigned long long kLargestUnit = 0xFFFFFFFFull;
        const auto wide = static_cast<unsigned long long>(value);  // negative values wrap high
        return static_cast<UTF32Unit>(wide <= kLargestUnit ? wide : kLargestUnit);
    }

    // First unit, second unit (0 unless a pair), terminator (always 0).
    UTF16Unit Units[3];
};

}  // namespace QuendalText

#endif  // QUENDALTEXT_CHAR_H
