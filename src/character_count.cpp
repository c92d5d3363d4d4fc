#include "internal/character_count.h"

#include "internal/kernels.h"

#include <algorithm>

namespace QuendalText {
namespace detail {

namespace reference {

CountProgress CountUntil(const UTF16Unit* units, std::size_t count, int running,
                         std::size_t until) {
    std::size_t i = 0;
    while (i < count && i < until) {
        const UTF16Unit unit = units[i];
        if (IsLowSurrogate(unit)) return {kMalformedCount, count};
        if (IsHighSurrogate(unit)) {
            // The next unit belongs to this character whatever it is; only a low surrogate
            // makes the pair a counted character.
            if (i + 1 < count && IsLowSurrogate(units[i + 1])) ++running;
            i += 2;
            continue;
        }
        // NUL units ahead of the first counted character are padding, not characters.
        if (unit != 0 || running > 0) ++running;
        ++i;
    }
    return {running, std::min(i, count)};
}

int ContinueCount(const UTF16Unit* units, std::size_t count, int running) {
    return CountUntil(units, count, running, count).Running;
}

}  // namespace reference

int ContinueCountPlain(const UTF16Unit* units, std::size_t count, int running) {
    return reference::ContinueCount(units, count, running);
}

int CountCharacters(const UTF16Unit* units, std::size_t count) {
    return ActiveKernels().ContinueCount(units, count, 0);
}

bool EndsWithOpenHighSurrogate(const UTF16Unit* units, std::size_t count) {
    // The unit after any non-high unit begins a character (it follows either a one-unit
    // character or the second unit of a two-unit one), so within a trailing run of high
    // surrogates every other unit begins a character, counting from the run's first.
    std::size_t run = 0;
    while (run < count && IsHighSurrogate(units[count - 1 - run])) ++run;
    return run % 2 == 1;
}

int CountAfterAppend(int prefixCount, bool prefixEndsWithOpenHigh, const UTF16Unit* piece,
                     std::size_t pieceCount) {
    // The prefix's pass already stopped at a misplaced low surrogate.
    if (prefixCount == kMalformedCount) return kMalformedCount;
    int running = prefixCount;
    std::size_t start = 0;
    if (prefixEndsWithOpenHigh && pieceCount > 0) {
        if (IsLowSurrogate(piece[0])) ++running;
        start = 1;
    }
    return ActiveKernels().ContinueCount(piece + start, pieceCount - start, running);
}

namespace {

// Feeds one unit to the rule's machine; answers what it adds to the count, or -1.
int Feed(CountState& state, UTF16Unit unit) {
    if (state.OpenHigh) {
        state.OpenHigh = false;
        if (!IsLowSurrogate(unit)) return 0;
        state.Positive = true;
        return 1;
    }
    if (IsLowSurrogate(unit)) return kMalformedCount;
    if (IsHighSurrogate(unit)) {
        state.OpenHigh = true;
        return 0;
    }
    if (unit == 0 && !state.Positive) return 0;
    state.Positive = true;
    return 1;
}

// Feeds `size` units; answers what they add, or -1.
int FeedAll(CountState& state, const UTF16Unit* units, std::size_t size) {
    int added = 0;
    for (std::size_t i = 0; i < size; ++i) {
        const int step = Feed(state, units[i]);
        if (step == kMalformedCount) return kMalformedCount;
        added += step;
    }
    return added;
}

}  // namespace

EditRecount::EditRecount(int count, const UTF16Unit* units, std::size_t size, std::size_t at,
                         std::size_t removed)
    : OldCount(count), At(at), Whole(true), Before{false, false} {
    if (count == kMalformedCount) return;
    // Whether a character was counted before `at`: none when nothing was counted at all; one
    // when the first unit is a character of its own that counts.
    if (at > 0 && count > 0) {
        if (units[0] == 0 || IsSurrogate(units[0])) return;
        Before.Positive = true;
    }
    Before.OpenHigh = EndsWithOpenHighSurrogate(units, at);
    AfterRemoved = Before;
    RemovedCount = FeedAll(AfterRemoved, units + at, std::min(removed, size - at));
    Whole = false;
}

int EditRecount::Count(const UTF16Unit* units, std::size_t size, std::size_t inserted) const {
    if (Whole) return CountCharacters(units, size);
    CountState now = Before;
    const int insertedCount = FeedAll(now, units + At, inserted);
    if (insertedCount == kMalformedCount) return kMalformedCount;
    // The units after the edit, read by both machines until they agree from there on.
    CountState then = AfterRemoved;
    int thenCount = 0;
    int nowCount = 0;
    for (std::size_t i = At + inserted; i < size && !(now == then); ++i) {
        thenCount += Feed(then, units[i]);  // the text was counted whole without a -1
        const int step = Feed(now, units[i]);
        if (step == kMalformedCount) return kMalformedCount;
        nowCount += step;
    }
    return OldCount - RemovedCount - thenCount + insertedCount + nowCount;
}

SpliceRecount::SpliceRecount(int count, const UTF16Unit* units, std::size_t size)
    : OldUnits(units),
      OldSize(size),
      OldCount(count),
      Whole(count == kMalformedCount || (size > 0 && (units[0] == 0 || IsSurrogate(units[0])))) {}

// The first unit is a character that counts, so a character was counted before any later unit.
CountState SpliceRecount::StateAt(std::size_t at) const {
    return {EndsWithOpenHighSurrogate(OldUnits, at), at > 0};
}

void SpliceRecount::CatchUp(std::size_t until) {
    for (; Position < until && !Agreed; ++Position) {
        Change -= Feed(Old, OldUnits[Position]);  // never -1: the old text counted
        const int step = Feed(New, OldUnits[Position]);
        if (step == kMalformedCount) Malformed = true;
        Change += step;
        Agreed = Old == New;
    }
    Position = until;
}

void SpliceRecount::Edit(std::size_t at, std::size_t removed, const UTF16Unit* inserted,
                         std::size_t size) {
    if (Whole || Malformed) return;
    CatchUp(at);
    if (Agreed) Old = New = StateAt(at);
    Change -= FeedAll(Old, OldUnits + at, removed);
    const int added = FeedAll(New, inserted, size);
    if (added == kMalformedCount) Malformed = true;
    Change += added;
    Position = at + removed;
    Agreed = Old == New;
}

int SpliceRecount::Count(const UTF16Unit* units, std::size_t size) {
    if (Whole) return CountCharacters(units, size);
    if (!Malformed) CatchUp(OldSize);
    return Malformed ? kMalformedCount : static_cast<int>(OldCount + Change);
}

}  // namespace detail
}  // namespace QuendalText
