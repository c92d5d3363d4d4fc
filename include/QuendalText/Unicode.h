/// \file
/// Unicode character properties by code point, from the Unicode data of the linked ICU (never
/// the C runtime's locale), and the normalization forms of Text::Normalized.
#ifndef QUENDALTEXT_UNICODE_H
#define QUENDALTEXT_UNICODE_H

#include <QuendalText/Config.h>

namespace QuendalText {

/// The Unicode normalization forms (UAX #15): canonical composition and decomposition, and
/// their compatibility variants.
enum class NormalizationForm {
    NFC,   ///< canonical decomposition, then canonical composition
    NFD,   ///< canonical decomposition
    NFKC,  ///< compatibility decomposition, then canonical composition
    NFKD,  ///< compatibility decomposition
};

namespace Unicode {

/// The General_Category values, two letters each as in UnicodeData.txt.
enum class GeneralCategory {
    Lu,  ///< letter, uppercase
    Ll,  ///< letter, lowercase
    Lt,  ///< letter, titlecase
    Lm,  ///< letter, modifier
    Lo,  ///< letter, other
    Mn,  ///< mark, nonspacing
    Mc,  ///< mark, spacing combining
    Me,  ///< mark, enclosing
    Nd,  ///< number, decimal digit
    Nl,  ///< number, letter
    No,  ///< number, other
    Pc,  ///< punctuation, connector
    Pd,  ///< punctuation, dash
    Ps,  ///< punctuation, open
    Pe,  ///< punctuation, close
    Pi,  ///< punctuation, initial quote
    Pf,  ///< punctuation, final quote
    Po,  ///< punctuation, other
    Sm,  ///< symbol, math
    Sc,  ///< symbol, currency
    Sk,  ///< symbol, modifier
    So,  ///< symbol, other
    Zs,  ///< separator, space
    Zl,  ///< separator, line
    Zp,  ///< separator, paragraph
    Cc,  ///< other, control
    Cf,  ///< other, format
    Cs,  ///< other, surrogate
    Co,  ///< other, private use
    Cn,  ///< other, unassigned
};

// Every function below takes any value: one above 0x10FFFF is no code point and is answered
// as an unassigned one (Cn, not a letter, digit, alphabetic or white space, width 1). A
// surrogate value is category Cs.

/// The General_Category of `c`.
QUENDALTEXT_API GeneralCategory Category(char32_t c);
/// Whether `c` is a letter: category Lu, Ll, Lt, Lm or Lo.
QUENDALTEXT_API bool IsLetter(char32_t c);
/// Whether `c` is a decimal digit: category Nd (any script's, not only 0-9).
QUENDALTEXT_API bool IsDigit(char32_t c);
/// Whether `c` has the Alphabetic property (letters, letter numbers, and some marks).
QUENDALTEXT_API bool IsAlphabetic(char32_t c);
/// Whether `c` has the White_Space property.
QUENDALTEXT_API bool IsWhiteSpace(char32_t c);
/// Terminal columns of `c` alone, as Text::DisplayWidth counts a cluster of just `c`: 2 for
/// East Asian Wide or Fullwidth or Emoji_Presentation, 0 for a nonspacing or enclosing mark, a
/// format character or a control, 1 otherwise.
QUENDALTEXT_API int Width(char32_t c);

}  // namespace Unicode
}  // namespace QuendalText

#endif  // QUENDALTEXT_UNICODE_H
