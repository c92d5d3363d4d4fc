// The character-count rule, over a whole text and over a piece appended to a counted prefix.
#ifndef QUENDALTEXT_INTERNAL_CHARACTER_COUNT_H
#define QUENDALTEXT_INTERNAL_CHARACTER_COUNT_H

#include <QuendalText/Config.h>

#include <cstddef>
#include <cstdint>

namespace QuendalText {
namespace detail {

inline constexpr UTF16Unit kHighSurrogateFirst = 0xD800;
inline constexpr UTF16Unit kHighSurrogateLast = 0xDBFF;
inline constexpr UTF16Unit kLowSurrogateFirst = 0xDC00;
inline constexpr UTF16Unit kLowSurrogateLast = 0xDFFF;
// Units whose top five bits are 11011 are surrogates, high or low.
inline constexpr unsigned kSurrogateMask = 0xF800;
inline constexpr unsigned kSurrogateTag = 0xD800;
// Both units of the invalid character, and what a surrogate unit reads as on its own.
inline constexpr UTF16Unit kInvalidUnit = 0xFFFF;
// first * 0x400 + second - kPairOffset decodes a pair: 0xD800 * 0x400 + 0xDC00 - 0x10000.
inline constexpr std::uint32_t kPairOffset = 0x35FDC00;
// The count of a text in which a low surrogate stands where a character begins.
inline constexpr int kMalformedCount = -1;

constexpr bool IsSurrogateUnit(UTF16Unit unit) {
    return (static_cast<unsigned>(unit) & kSurrogateMask) == kSurrogateTag;
}
constexpr bool IsHighSurrogate(UTF16Unit unit) {
    return unit >= kHighSurrogateFirst && unit <= kHighSurrogateLast;
}
constexpr bool IsLowSurrogate(UTF16Unit unit) {
    return unit >= kLowSurrogateFirst && unit <= kLowSurrogateLast;
}

// The code point of two units read as a pair, in unsigned 32-bit arithmetic whatever they are.
constexpr std::uint32_t DecodePair(UTF16Unit first, UTF16Unit second) {
    return static_cast<std::uint32_t>(first) * 0x400u + second - kPairOffset;
}

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
