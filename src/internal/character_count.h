// The character-count rule, over a whole text, over a piece appended to a counted prefix, and
// around a stretch replaced inside a counted text.
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

// Pieces shorter than this (tokens, say) are copied and counted without the vector kernels.
inline constexpr std::size_t kShortPieceUnits = 32;

// The count of a short piece: its length when it holds no surrogate and begins with a unit that
// counts, as most do; the count rule otherwise.
int ContinueCountPlain(const UTF16Unit* units, std::size_t count, int running);
inline int CountShortPiece(const UTF16Unit* units, std::size_t size) {
    bool plain = size == 0 || units[0] != 0;
    for (std::size_t i = 0; i < size; ++i) plain = plain && !IsSurrogate(units[i]);
    return plain ? static_cast<int>(size) : ContinueCountPlain(units, size, 0);
}

// The rule read as a machine that takes one unit at a time, for the count after an edit.
struct CountState {
    bool openHigh;  // the last unit is a high surrogate that begins a character
    bool positive;  // a character has been counted, so NUL units count
    bool operator==(const CountState& other) const {
        return openHigh == other.openHigh && positive == other.positive;
    }
};

// The count of a text after units [at, at + removed) were replaced by `inserted` units, from its
// count before: it reads the removed units (before the change), the inserted ones, and the units
// after them only until the rule reads them the same way as before, which is at once in
// well-formed text. A text whose count was -1, or whose first unit is a NUL unit or a surrogate
// (so that the count of the units before the edit may be 0), is counted whole instead.
class EditRecount {
public:
    // Before the change: the text's `size` units, of count `count`.
    EditRecount(int count, const UTF16Unit* units, std::size_t size, std::size_t at,
                std::size_t removed);
    // After the change: the text's `size` units, the `inserted` new ones at `at`.
    int Count(const UTF16Unit* units, std::size_t size, std::size_t inserted) const;

private:
    int OldCount;
    std::size_t At;
    bool Whole;            // count the whole text after the change
    CountState Before;     // the rule's state where the edit begins
    int RemovedCount = 0;  // what the removed units counted from Before
    CountState AfterRemoved{};
};

}  // namespace detail
}  // namespace QuendalText

#endif  // QUENDALTEXT_INTERNAL_CHARACTER_COUNT_H
