// How the character search steps over a text, shared by the search, Remove and their plain
// reference forms.
#ifndef QUENDALTEXT_INTERNAL_CHARACTER_WALK_H
#define QUENDALTEXT_INTERNAL_CHARACTER_WALK_H

#include "internal/utf.h"

#include <algorithm>
#include <cstddef>

namespace QuendalText {
namespace detail {

// One character as the character search steps over it: Width units from Start.
struct SearchStep {
    std::size_t Start;
    std::size_t Width;
};

// Calls `visit(step)` for every character that the character search looks at, in its order,
// until `visit` returns false. A surrogate unit is read together with its neighbour in the
// direction of travel (the next unit forward, the previous one backward) as one two-unit
// character, whatever that neighbour is. A surrogate unit without such a neighbour inside the
// text (the last unit forward, the first backward) is a one-unit step that ends the walk.
// Reads nothing outside units[0, count).
template <class Visit>
void WalkCharacters(const UTF16Unit* units, std::size_t count, bool forward, Visit visit) {
    if (forward) {
        for (std::size_t next = 0; next < count;) {
            const std::size_t width =
                IsSurrogate(units[next]) ? std::min<std::size_t>(2, count - next) : 1;
            if (!visit(SearchStep{next, width})) return;
            next += width;
        }
    } else {
        for (std::size_t end = count; end > 0;) {
            const std::size_t width =
                IsSurrogate(units[end - 1]) ? std::min<std::size_t>(2, end) : 1;
            if (!visit(SearchStep{end - width, width})) return;
            end -= width;
        }
    }
}

}  // namespace detail
}  // namespace QuendalText

#endif  // QUENDALTEXT_INTERNAL_CHARACTER_WALK_H
