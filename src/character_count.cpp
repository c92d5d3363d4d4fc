#include "internal/character_count.h"

namespace QuendalText {
namespace detail {

namespace {

// Runs the counting pass over `units`, starting with `running` characters already counted
// before them. Returns the final count, or -1 at the first low surrogate at a character start.
int ContinueCount(const UTF16Unit* units, std::size_t count, int running) {
    std::size_t i = 0;
    while (i < count) {
        const UTF16Unit unit = units[i];
        if (IsLowSurrogate(unit)) return kMalformedCount;
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
    return running;
}

}  // namespace

int CountCharacters(const UTF16Unit* units, std::size_t count) {
    return ContinueCount(units, count, 0);
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
    return ContinueCount(piece + start, pieceCount - start, running);
}

}  // namespace detail
}  // namespace QuendalText
