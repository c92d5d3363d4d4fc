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

// The count of `size` units copied out of a counted text. A text whose count equals its length
// holds no surrogate, so such a piece counts its units unless it begins with NUL; any other
// piece is counted by the rule.
inline int CountPiece(bool fromTextWithoutSurrogates, const UTF16Unit* units, std::size_t size) {
    if (fromTextWithoutSurrogates && (size == 0 || units[0] != 0)) return static_cast<int>(size);
    return size < kShortPieceUnits ? CountShortPiece(units, size) : CountCharacters(units, size);
}

// The rule read as a machine that takes one unit at a time, for the count after an edit.
struct CountState {
    bool OpenHigh;  // the last unit is a high surrogate that begins a character
    bool Positive;  // a character has been counted, so NUL units count
    bool operator==(const CountState& other) const {
        return OpenHigh == other.OpenHigh && Positive == other.Positive;
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

// The count of a text after edits that do not overlap, given left to right, each replacing units
// [at, at + removed) of the text as it was: reads the removed and inserted units of each edit and
// the units after it only until the rule reads them as before. A text whose count was -1, or
// whose first unit is a NUL unit or a surrogate, is counted whole instead.
class SpliceRecount {
public:
    // Before the edits: the text's `size` units, of count `count`, which stay readable until
    // Count.
    SpliceRecount(int count, const UTF16Unit* units, std::size_t size);
    void Edit(std::size_t at, std::size_t removed, const UTF16Unit* inserted, std::size_t size);
    // After the edits: the count of the edited text's `size` units.
    int Count(const UTF16Unit* units, std::size_t size);

private:
    // Feeds the unchanged units up to `until` to both machines while they read them differently;
    // once they agree, the state at `until` is the text's own there.
    void CatchUp(std::size_t until);
    CountState StateAt(std::size_t at) const;

    const UTF16Unit* OldUnits;
    std::size_t OldSize;
    int OldCount;
    bool Whole;
    bool Malformed = false;
    bool Agreed = true;        // both machines are in the old text's state where they stopped
    std::size_t Position = 0;  // where both machines stopped, in the old text
    CountState Old{};          // the rule over the text as it was
    CountState New{};          // the rule over the edited text
    long long Change = 0;      // the count of the edited text less the old one, so far
};

}  // namespace detail
}  // namespace QuendalText

#endif  // QUENDALTEXT_INTERNAL_CHARACTER_COUNT_H
