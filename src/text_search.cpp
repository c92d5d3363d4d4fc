// Searching and comparison of Text: substring and unit-set searches, the character search in
// either direction, removing every occurrence of a character, tokens, comparison with or
// without case, and the relational operators.
#include <QuendalText/Text.h>

#include "internal/character_count.h"

#include <algorithm>
#include <bitset>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace QuendalText {

namespace {

constexpr int kNotFound = -1;
// The count of Compare that stands for every unit.
constexpr int kAllUnits = -1;

// Start positions reach the standard string as its unsigned positions, so a negative start
// lies beyond every text.
std::size_t AsStringPosition(int start) { return static_cast<std::size_t>(start); }

int AsIndex(std::size_t position) {
    return position == UTF16String::npos ? kNotFound : static_cast<int>(position);
}

// One character as the character search steps over it: `width` units from `start`.
struct SearchStep {
    std::size_t start;
    std::size_t width;
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
                detail::IsSurrogate(units[next]) ? std::min<std::size_t>(2, count - next) : 1;
            if (!visit(SearchStep{next, width})) return;
            next += width;
        }
    } else {
        for (std::size_t end = count; end > 0;) {
            const std::size_t width =
                detail::IsSurrogate(units[end - 1]) ? std::min<std::size_t>(2, end) : 1;
            if (!visit(SearchStep{end - width, width})) return;
            end -= width;
        }
    }
}

// Whether a step of the character search is an occurrence of the sought character. A single
// character matches a one-unit step holding its unit (equality of single characters compares
// first units; its unit is never a surrogate, so an unpartnered surrogate step never matches).
// A surrogate character matches a two-unit step whose decoded code point makes an equal Char.
class CharacterMatcher {
public:
    explicit CharacterMatcher(const Char& sought)
        : Sought(sought),
          SoughtUnit(static_cast<const UTF16Unit*>(sought)[0]),
          SoughtSingle(sought.IsSingle()) {}

    bool Matches(const UTF16Unit* units, SearchStep step) const {
        if (step.width == 2) {
            return !SoughtSingle && Char(static_cast<UTF32Unit>(detail::DecodePair(
                                        units[step.start], units[step.start + 1]))) == Sought;
        }
        return SoughtSingle && units[step.start] == SoughtUnit;
    }

private:
    Char Sought;
    UTF16Unit SoughtUnit;
    bool SoughtSingle;
};

// The units that end a token: those whose Char the character search of the delimiter text
// finds, that is the units of its one-unit steps in its own direction. A surrogate unit of the
// searched text reads as the invalid character and so ends a token only when U+FFFF does.
class DelimiterSet {
public:
    DelimiterSet(const UTF16Unit* units, std::size_t count, bool forward) {
        WalkCharacters(units, count, forward, [&](SearchStep step) {
            if (step.width == 1 && !detail::IsSurrogate(units[step.start]))
                Found.set(units[step.start]);
            return true;
        });
    }

    bool EndsToken(UTF16Unit unit) const {
        return Found.test(detail::IsSurrogate(unit) ? detail::kInvalidUnit : unit);
    }

private:
    std::bitset<0x10000> Found;
};

int Sign(int value) { return (value > 0) - (value < 0); }

constexpr std::size_t npos = UTF16StringView::npos;

// Whether the surrogate at `at` is one half of a high-low pair.
bool InsidePair(UTF16StringView units, std::size_t at) {
    if (detail::IsHighSurrogate(units[at])) {
        return at + 1 < units.size() && detail::IsLowSurrogate(units[at + 1]);
    }
    return at > 0 && detail::IsHighSurrogate(units[at - 1]);
}

std::basic_string_view<UTF16Unit> ViewOf(const Text& text) {
    return {text.c_str(), static_cast<std::size_t>(text.get_Length())};
}

}  // namespace

int Text::FindString(const Text& pattern) const { return FindString(pattern, 0); }

int Text::FindString(const Text& pattern, int start) const {
    return AsIndex(Content.find(pattern.Content, AsStringPosition(start)));
}

int Text::FindFromCharacterSet(const Text& set, int start) const {
    return AsIndex(Content.find_first_of(set.Content, AsStringPosition(start)));
}

int Text::FindNotFromCharacterSet(const Text& set, int start) const {
    return AsIndex(Content.find_first_not_of(set.Content, AsStringPosition(start)));
}

int Text::FindCharacter(const Char& character) const {
    const CharacterMatcher matcher(character);
    const UTF16Unit* units = Content.data();
    int found = kNotFound;
    WalkCharacters(units, Content.size(), SearchForward, [&](SearchStep step) {
        if (!matcher.Matches(units, step)) return true;
        found = static_cast<int>(step.start);
        return false;
    });
    return found;
}

Text& Text::Remove(const Char& character) {
    // Searching and erasing over and over in one pass: erasing the occurrence that a search
    // found leaves every unit on the near side of it, and the search's steps there depend only
    // on those units. A fresh search therefore takes the same steps without a match up to the
    // erased stretch and goes on with the units beyond it, exactly as one walk in the same
    // direction does when it drops every matching step. The kept units are packed in place
    // towards the end the walk started from; the walk never reads a unit that was overwritten.
    const CharacterMatcher matcher(character);
    UTF16Unit* units = Content.data();
    const std::size_t count = Content.size();
    if (SearchForward) {
        std::size_t keptEnd = 0;  // kept units occupy [0, keptEnd)
        WalkCharacters(units, count, true, [&](SearchStep step) {
            if (!matcher.Matches(units, step)) {
                std::copy(units + step.start, units + step.start + step.width, units + keptEnd);
                keptEnd += step.width;
            }
            return true;
        });
        Content.resize(keptEnd);
    } else {
        std::size_t keptStart = count;  // kept units occupy [keptStart, count)
        WalkCharacters(units, count, false, [&](SearchStep step) {
            if (!matcher.Matches(units, step)) {
                std::copy_backward(units + step.start, units + step.start + step.width,
                                   units + keptStart);
                keptStart -= step.width;
            }
            return true;
        });
        Content.erase(0, keptStart);
    }
    RefreshCounts();
    return *this;
}

Text Text::FindToken(const Text& delimiters, int* position) const {
    if (position == nullptr) return Text();
    const int start = FindNotFromCharacterSet(delimiters, *position);
    if (start == kNotFound) {
        // No token at or after the position: the end of the tokens.
        *position = Length;
        return Text();
    }
    const DelimiterSet ends(delimiters.Content.data(), delimiters.Content.size(),
                            delimiters.SearchForward);
    std::size_t stop = static_cast<std::size_t>(start);
    while (stop < Content.size() && !ends.EndsToken(Content[stop])) ++stop;
    *position = static_cast<int>(stop);
    return SubString(start, *position - start);
}

int Text::Compare(const Text& other, int count) const {
    if (IsCaseSensitive()) {
        if (count < 0) return Sign(Content.compare(other.Content));
        const std::size_t limit = static_cast<std::size_t>(count);
        return Sign(Content.compare(0, limit, other.Content, 0, limit));
    }
    int limit = std::max(Length, other.Length);
    if (count != kAllUnits && count < limit) limit = count;
    for (int i = 0; i < limit; ++i) {
        if (i >= Length) return -1;
        if (i >= other.Length) return 1;
        Char mine = get_CharacterAt(i);
        Char theirs = other.get_CharacterAt(i);
        mine.ToLower();
        theirs.ToLower();
        if (mine < theirs) return -1;
        if (mine > theirs) return 1;
    }
    return 0;
}

bool Text::StartsWith(const Text& prefix) const {
    return View().substr(0, prefix.Content.size()) == prefix.View();
}

bool Text::EndsWith(const Text& suffix) const {
    return Content.size() >= suffix.Content.size() &&
           View().substr(Content.size() - suffix.Content.size()) == suffix.View();
}

bool Text::Contains(const Text& part) const { return View().find(part.View()) != npos; }

std::vector<Text> Text::Split(const Char& delimiter) const {
    // U+0000 has no units as a Char's string; in a text it is one NUL unit.
    static constexpr UTF16Unit kNul = 0;
    UTF16StringView sought(static_cast<const UTF16Unit*>(delimiter));
    if (sought.empty()) sought = UTF16StringView(&kNul, 1);
    const bool loneSurrogate = sought.size() == 1 && detail::IsSurrogate(sought[0]);
    const UTF16StringView units = View();
    std::vector<Text> fields;
    std::size_t fieldStart = 0;
    for (std::size_t at = units.find(sought); at != npos; at = units.find(sought, at + 1)) {
        // A surrogate delimiter matches only where it stands unpaired, as CodePoints reads it.
        if (loneSurrogate && InsidePair(units, at)) continue;
        fields.emplace_back(units.substr(fieldStart, at - fieldStart));
        fieldStart = at + sought.size();
        at = fieldStart - 1;
    }
    fields.emplace_back(units.substr(fieldStart));
    return fields;
}

bool operator==(const Text& left, const Text& right) { return ViewOf(left) == ViewOf(right); }
bool operator!=(const Text& left, const Text& right) { return ViewOf(left) != ViewOf(right); }
bool operator<(const Text& left, const Text& right) { return ViewOf(left) < ViewOf(right); }
bool operator<=(const Text& left, const Text& right) { return ViewOf(left) <= ViewOf(right); }
bool operator>(const Text& left, const Text& right) { return ViewOf(left) > ViewOf(right); }
bool operator>=(const Text& left, const Text& right) { return ViewOf(left) >= ViewOf(right); }

}  // namespace QuendalText
