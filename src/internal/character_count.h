// The character-count rule, over a whole text and over a piece appended to a counted prefix.
#ifndef QUENDALTEXT_INTERNAL_CHARACTER_COUNT_H
#define QUENDALTEXT_INTERNAL_CHARACTER_COUNT_H

#include "internal/utf.h"

#include <cstddef>
#include <cstdint>

namespace QuendalText {
namespace detail {

// The count of a text in which a low surrogate stands where a character begins.
inline constexpr int kMalformedCount = -1;

// The count of `units`: characters, a surrogate pair once, NUL units only after the first
// counted character, and -1 as soon as a low surrogate stands where a character begins. A high
// surrogate consumes the unit after it whatever that unit is.
int CountCharacters(const UTF16Unit* units, std::size_t count);

// Whether the last unit of `units` is a high surrogate that begins a character, so that in a
// longer text it would consume the next unit. Reads back only over the trailing high surrogates.
bool EndsWithOpenHighSurrogate(const UTF16Unit* units, std::size_t count);

// The count of a prefix followed by `piece`, from the prefix's count and whether the prefix
// ends with an open high surrogate; reads `piece` only. Equal to CountCharacters of the
// joined units.
int CountAfterAppend(int prefixCount, bool prefixEndsWithOpenHigh, const UTF16Unit* piece,
                     std::size_t pieceCount);

}  // namespace detail
}  // namespace QuendalText

#endif  // QUENDALTEXT_INTERNAL_CHARACTER_COUNT_H
