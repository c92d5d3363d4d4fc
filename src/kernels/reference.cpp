// The plain forms of the kernels, one unit at a time: the scalar level's table and the
// reference that every vector kernel is held to.
#include "internal/character_count.h"
#include "internal/character_walk.h"
#include "internal/kernels.h"

#include <algorithm>
#include <cstring>

namespace QuendalText {
namespace detail {
namespace reference {

int CopyAndCount(const UTF16Unit* from, std::size_t size, UTF16Unit* to) {
    if (size > 0) std::memcpy(to, from, size * sizeof(UTF16Unit));
    return ContinueCount(to, size, 0);
}

std::size_t CopyUpToOutside(const UTF16Unit* from, std::size_t size, const UnitRanges& ranges,
                            UTF16Unit* to) {
    std::size_t i = 0;
    for (; i < size && ranges.Holds(from[i]); ++i) to[i] = from[i];
    return i;
}

std::size_t FindOutside(const UTF16Unit* units, std::size_t size, const UnitRanges& ranges) {
    std::size_t i = 0;
    while (i < size && ranges.Holds(units[i])) ++i;
    return i;
}

bool IsAscii(const UTF16Unit* units, std::size_t size) {
    for (std::size_t i = 0; i < size; ++i) {
        if (units[i] > kLastAsciiCodePoint) return false;
    }
    return true;
}

bool IsAsciiBytes(const char* bytes, std::size_t size) {
    for (std::size_t i = 0; i < size; ++i) {
        if (static_cast<unsigned char>(bytes[i]) > kLastAsciiCodePoint) return false;
    }
    return true;
}

std::size_t FindUnit(const UTF16Unit* units, std::size_t size, UTF16Unit unit) {
    std::size_t i = 0;
    while (i < size && units[i] != unit) ++i;
    return i;
}

std::size_t FindLastUnit(const UTF16Unit* units, std::size_t size, UTF16Unit unit) {
    for (std::size_t i = size; i > 0; --i) {
        if (units[i - 1] == unit) return i - 1;
    }
    return size;
}

namespace {

bool InSet(UTF16Unit unit, const UTF16Unit* set, std::size_t setSize) {
    return std::find(set, set + setSize, unit) != set + setSize;
}

}  // namespace

std::size_t FindAnyOf(const UTF16Unit* units, std::size_t size, const UTF16Unit* set,
                      std::size_t setSize) {
    std::size_t i = 0;
    while (i < size && !InSet(units[i], set, setSize)) ++i;
    return i;
}

std::size_t FindNoneOf(const UTF16Unit* units, std::size_t size, const UTF16Unit* set,
                       std::size_t setSize) {
    std::size_t i = 0;
    while (i < size && InSet(units[i], set, setSize)) ++i;
    return i;
}

std::size_t FindPairOf(const UTF16Unit* units, std::size_t size, const UTF16Unit* first,
                       std::size_t firstSize, const UTF16Unit* second, std::size_t secondSize) {
    for (std::size_t i = 0; i + 1 < size; ++i) {
        if (InSet(units[i], first, firstSize) && InSet(units[i + 1], second, secondSize)) return i;
    }
    return size;
}

std::size_t FindPattern(const UTF16Unit* units, std::size_t size, const UTF16Unit* pattern,
                        std::size_t patternSize) {
    for (std::size_t i = 0; patternSize <= size && i <= size - patternSize; ++i) {
        if (std::equal(pattern, pattern + patternSize, units + i)) return i;
    }
    return size;
}

std::size_t Mismatch(const UTF16Unit* a, const UTF16Unit* b, std::size_t size) {
    std::size_t i = 0;
    while (i < size && a[i] == b[i]) ++i;
    return i;
}

std::size_t MismatchAsciiFolded(const UTF16Unit* a, const UTF16Unit* b, std::size_t size) {
    std::size_t i = 0;
    while (i < size && AsciiFold(a[i]) == AsciiFold(b[i])) ++i;
    return i;
}

void AsciiToUpper(UTF16Unit* units, std::size_t size) {
    for (std::size_t i = 0; i < size; ++i) units[i] = static_cast<UTF16Unit>(AsciiUnfold(units[i]));
}

void AsciiToLower(UTF16Unit* units, std::size_t size) {
    for (std::size_t i = 0; i < size; ++i) units[i] = static_cast<UTF16Unit>(AsciiFold(units[i]));
}

// Walks the characters in the search's direction and keeps every step that is not the unit.
std::size_t RemoveUnit(UTF16Unit* units, std::size_t size, UTF16Unit unit, bool forward,
                       bool* forwardStarts) {
    const auto isUnit = [&](SearchStep step) {
        return step.Width == 1 && units[step.Start] == unit;
    };
    *forwardStarts = true;
    if (forward) {
        std::size_t keptEnd = 0;
        WalkCharacters(units, size, true, [&](SearchStep step) {
            if (!isUnit(step)) {
                std::copy(units + step.Start, units + step.Start + step.Width, units + keptEnd);
                keptEnd += step.Width;
            }
            return true;
        });
        return keptEnd;
    }
    std::size_t keptStart = size;
    WalkCharacters(units, size, false, [&](SearchStep step) {
        if (!isUnit(step)) {
            std::copy_backward(units + step.Start, units + step.Start + step.Width,
                               units + keptStart);
            keptStart -= step.Width;
        } else {
            // The forward walk takes the unit with a surrogate after an odd run of them.
            std::size_t run = 0;
            while (run < step.Start && IsSurrogate(units[step.Start - 1 - run])) ++run;
            if (run % 2 == 1) *forwardStarts = false;
        }
        return true;
    });
    std::copy(units + keptStart, units + size, units);
    return size - keptStart;
}

std::size_t FindSingleCharacter(const UTF16Unit* units, std::size_t size, UTF16Unit unit,
                                bool forward) {
    std::size_t found = size;
    WalkCharacters(units, size, forward, [&](SearchStep step) {
        if (step.Width != 1 || units[step.Start] != unit) return true;
        found = step.Start;
        return false;
    });
    return found;
}

}  // namespace reference

// A non-surrogate unit is a character of its own to the forward walk exactly when the run of
// surrogates before it is even: a run always begins where a character does, and the walk takes
// its surrogates two by two. Backward, the run after it counts. Each candidate's run is read
// once, and runs of different candidates do not overlap.
std::size_t FindSingleCharacter(const Kernels& kernels, const UTF16Unit* units, std::size_t size,
                                UTF16Unit unit, bool forward) {
    if (forward) {
        for (std::size_t from = 0;;) {
            const std::size_t at = from + kernels.FindUnit(units + from, size - from, unit);
            if (at == size) return size;
            std::size_t run = 0;
            while (run < at && IsSurrogate(units[at - 1 - run])) ++run;
            if (run % 2 == 0) return at;
            from = at + 1;
        }
    }
    for (std::size_t end = size;;) {
        const std::size_t at = kernels.FindLastUnit(units, end, unit);
        if (at == end) return size;
        std::size_t run = 0;
        while (at + 1 + run < size && IsSurrogate(units[at + 1 + run])) ++run;
        if (run % 2 == 0) return at;
        end = at;
    }
}

extern const Kernels kScalarKernels = {
    SimdLevel::Scalar,
    "scalar",
    reference::UTF8ToUTF16,
    reference::UTF16ToUTF8,
    reference::UTF8LengthOfUnits,
    reference::ValidUTF8Prefix,
    reference::ValidUTF16Prefix,
    reference::ContinueCount,
    reference::CopyAndCount,
    reference::IsAscii,
    reference::IsAsciiBytes,
    reference::FindUnit,
    reference::FindLastUnit,
    reference::FindAnyOf,
    reference::FindNoneOf,
    reference::FindPairOf,
    reference::FindPattern,
    reference::Mismatch,
    reference::MismatchAsciiFolded,
    reference::AsciiToUpper,
    reference::AsciiToLower,
    reference::RemoveUnit,
    reference::CopyUpToOutside,
    reference::FindOutside,
};

}  // namespace detail
}  // namespace QuendalText
