// Searching and comparison of Text: substring and unit-set searches, the character search in
// either direction, removing every occurrence of a character, tokens, comparison with or
// without case, and the relational operators.
#include <QuendalText/Text.h>

#include "internal/case_map.h"
#include "internal/character_count.h"
#include "internal/character_walk.h"
#include "internal/conversion.h"
#include "internal/kernels.h"
#include "internal/raise_sites.h"
#include "internal/utf.h"

#include <unicode/uchar.h>
#include <unicode/ustring.h>

#include <algorithm>
#include <bitset>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

namespace QuendalText {

namespace {

constexpr int kNotFound = -1;
// The count of Compare that stands for every unit.
constexpr int kAllUnits = -1;

// Start positions reach the standard string as its unsigned positions, so a negative start
// lies beyond every text.
std::size_t AsStringPosition(int start) { return static_cast<std::size_t>(start); }

// An index found, or -1 for the standard string's npos or for `end`.
int AsIndex(std::size_t position, std::size_t end = UTF16String::npos) {
    return position == UTF16String::npos || position == end ? kNotFound
                                                            : static_cast<int>(position);
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

    bool Matches(const UTF16Unit* units, detail::SearchStep step) const {
        if (step.Width == 2) {
            return !SoughtSingle && Char(static_cast<UTF32Unit>(detail::DecodePair(
                                        units[step.Start], units[step.Start + 1]))) == Sought;
        }
        return SoughtSingle && units[step.Start] == SoughtUnit;
    }

private:
    Char Sought;
    UTF16Unit SoughtUnit;
    bool SoughtSingle;
};

// The units that end a token: those whose Char the character search of the delimiter text
// finds, that is the units of its one-unit steps in its own direction. A surrogate unit of the
// searched text reads as the invalid character and so ends a token only when U+FFFF does. A
// few such units are kept in a list searched a vector at a time; more of them in a table of
// all units, cleared only then.
class DelimiterSet {
public:
    DelimiterSet(const UTF16Unit* units, std::size_t count, bool forward) {
        // Without surrogates, every unit is a character of its own in either direction.
        if (count <= detail::kSmallSetUnits &&
            std::none_of(units, units + count,
                         [](UTF16Unit unit) { return detail::IsSurrogate(unit); })) {
            for (std::size_t i = 0; i < count; ++i) {
                List[i] = units[i];
                EndsAtSurrogates = EndsAtSurrogates || units[i] == detail::kInvalidUnit;
            }
            ListSize = count;
            return;
        }
        detail::WalkCharacters(units, count, forward, [&](detail::SearchStep step) {
            const UTF16Unit unit = units[step.Start];
            if (step.Width != 1 || detail::IsSurrogate(unit)) return true;
            if (unit == detail::kInvalidUnit) EndsAtSurrogates = true;
            if (std::find(List, List + ListSize, unit) != List + ListSize) return true;
            if (ListSize < detail::kSmallSetUnits) {
                List[ListSize++] = unit;
            } else {
                if (!Table) {
                    Table.emplace();
                    for (const UTF16Unit listed : List) Table->set(listed);
                }
                Table->set(unit);
            }
            return true;
        });
    }

    // The first index from `start` whose unit ends a token, or `count`. Tokens are short, so
    // the first units are looked at one by one before the vector search.
    std::size_t FindEnd(const UTF16Unit* units, std::size_t start, std::size_t count) const {
        std::size_t stop = start;
        if (Table || EndsAtSurrogates) {
            while (stop < count && !EndsToken(units[stop])) ++stop;
            return stop;
        }
        const std::size_t near = std::min(count, start + kNearUnits);
        while (stop < near && !InList(units[stop])) ++stop;
        if (stop < near || stop == count || ListSize == 0) return ListSize == 0 ? count : stop;
        return stop + detail::ActiveKernels().FindAnyOf(units + stop, count - stop, List, ListSize);
    }

private:
    static constexpr std::size_t kNearUnits = 16;

    bool InList(UTF16Unit unit) const {
        bool found = false;
        for (std::size_t k = 0; k < ListSize; ++k) found = found || List[k] == unit;
        return found;
    }
    bool EndsToken(UTF16Unit unit) const {
        if (detail::IsSurrogate(unit)) return EndsAtSurrogates;
        return Table ? Table->test(unit) : InList(unit);
    }

    UTF16Unit List[detail::kSmallSetUnits] = {};
    std::size_t ListSize = 0;
    bool EndsAtSurrogates = false;
    std::optional<std::bitset<detail::kLastBmpCodePoint + 1>> Table;  // one bit per unit
};

// The first index from `start` whose unit ends a token, by the delimiters `set` searched in
// their own direction. Out of line, so that the table that a large set needs does not weigh on
// the frame of the usual case.
[[gnu::noinline]] std::size_t TokenEnd(const UTF16String& set, bool forward, const UTF16Unit* units,
                                       std::size_t start, std::size_t count) {
    const DelimiterSet ends(set.data(), set.size(), forward);
    return ends.FindEnd(units, start, count);
}

// The first index from `start` whose unit is none of the `setSize` units of `set`, or `count`:
// the first units one by one, then the vector search.
std::size_t FindNoneOf(const UTF16Unit* units, std::size_t start, std::size_t count,
                       const UTF16Unit* set, std::size_t setSize) {
    constexpr std::size_t kNearUnits = 8;
    const auto inSet = [&](UTF16Unit unit) {
        bool found = false;
        for (std::size_t k = 0; k < setSize; ++k) found = found || set[k] == unit;
        return found;
    };
    const std::size_t near = std::min(count, start + kNearUnits);
    std::size_t at = start;
    while (at < near && inSet(units[at])) ++at;
    if (at < near || at == count) return at;
    return at + detail::ActiveKernels().FindNoneOf(units + at, count - at, set, setSize);
}

int Sign(int value) { return (value > 0) - (value < 0); }

constexpr std::size_t npos = UTF16StringView::npos;

// Whether the surrogate at `at` is one half of a high-low pair.
bool InsidePair(UTF16StringView units, std::size_t at) {
    if (detail::IsHighSurrogate(units[at])) {
        return at + 1 < units.size() && detail::IsLowSurrogate(units[at + 1]);
    }
    return at > 0 && detail::IsHighSurrogate(units[at - 1]);
}

// A length for ICU, which counts in 32 bits; a longer argument is read up to INT32_MAX units.
int32_t ICULength(UTF16StringView units) {
    return static_cast<int32_t>(std::min<std::size_t>(units.size(), INT32_MAX));
}

// Whether BMP code point `unit` is the source of a case mapping (Case_Sensitive), read from ICU
// once for all of them: a code point that is not folds to itself.
bool IsCaseSensitiveBmp(UTF16Unit unit) {
    static const std::bitset<detail::kLastBmpCodePoint + 1> sensitive = [] {
        std::bitset<detail::kLastBmpCodePoint + 1> bits;
        for (UChar32 c = 0; c <= static_cast<UChar32>(detail::kLastBmpCodePoint); ++c) {
            bits[static_cast<std::size_t>(c)] = u_hasBinaryProperty(c, UCHAR_CASE_SENSITIVE) != 0;
        }
        return bits;
    }();
    return sensitive[unit];
}

constexpr UTF16Unit kCapitalA = 'A';
constexpr UTF16Unit kCapitalZ = 'Z';
constexpr UTF16Unit kCaseOffset = 'a' - 'A';
UTF16Unit FoldAscii(UTF16Unit unit) {
    return unit >= kCapitalA && unit <= kCapitalZ ? static_cast<UTF16Unit>(unit + kCaseOffset)
                                                  : unit;
}

// FindFolded tries each start until it has folded this many code points per unit it has passed,
// and this many more, then searches linearly: a search costs what it reads, so that a loop over
// every match is linear too.
constexpr std::size_t kFoldedWorkPerUnit = 4;
constexpr std::size_t kFoldedWorkFloor = 256;

// Writes the full case folding of the code point `units` (one unit or a pair) at `out`, which
// has room for kLongestFolding units; returns the units written. ASCII is folded here, and a code
// point that is the source of no case mapping (not Case_Sensitive) is copied: ICU is asked only
// for the others. (Changes_When_Casefolded would not do: it reads the decomposed form, which
// U+01F0 folds to.)
constexpr std::size_t kLongestFolding = 8;  // ICU folds a code point to at most three
std::size_t FoldCodePoint(const UTF16Unit* units, std::size_t width, UTF16Unit* out) {
    if (width == 1 && units[0] <= detail::kLastAsciiCodePoint) {
        out[0] = FoldAscii(units[0]);
        return 1;
    }
    const bool sensitive =
        width == 1
            ? IsCaseSensitiveBmp(units[0])
            : u_hasBinaryProperty(static_cast<UChar32>(detail::DecodePair(units[0], units[1])),
                                  UCHAR_CASE_SENSITIVE) != 0;
    if (!sensitive) {
        std::copy(units, units + width, out);
        return width;
    }
    UErrorCode status = U_ZERO_ERROR;
    const int32_t written =
        u_strFoldCase(detail::AsUChar(out), kLongestFolding, detail::AsUChar(units),
                      static_cast<int32_t>(width), U_FOLD_CASE_DEFAULT, &status);
    if (U_FAILURE(status)) detail::RaiseConversionError(detail::kCaseMappingLine, status);
    return static_cast<std::size_t>(written);
}

// The full case folding of `units`, which is the folding of each code point in turn.
UTF16String FoldWhole(UTF16StringView units) {
    UTF16String folded;
    UTF16Unit buffer[kLongestFolding];
    for (std::size_t at = 0; at < units.size();) {
        const std::size_t width = detail::DecodeUTF16At(units.data(), units.size(), at).Width;
        folded.append(buffer, FoldCodePoint(units.data() + at, width, buffer));
        at += width;
    }
    return folded;
}

// The end of the whole code points from `at` on whose foldings make up `sought`, or npos; adds
// the code points it folded to `*work`.
std::size_t FoldedMatchEnd(UTF16StringView units, std::size_t at, UTF16StringView sought,
                           std::size_t* work) {
    UTF16Unit buffer[kLongestFolding];
    std::size_t matched = 0;
    while (matched < sought.size() && at < units.size()) {
        ++*work;
        const std::size_t width = detail::DecodeUTF16At(units.data(), units.size(), at).Width;
        const std::size_t written = FoldCodePoint(units.data() + at, width, buffer);
        if (sought.substr(matched, written) != UTF16StringView(buffer, written)) return npos;
        matched += written;
        at += width;
    }
    return matched == sought.size() ? at : npos;
}

// The first match of `sought` made of whole foldings of the code points from `from` on, found by
// the Knuth-Morris-Pratt search of their folded units: linear whatever the text and pattern, for
// the inputs (a run of one letter against a long pattern of it) where trying each start is not.
// The code points are folded as the search goes, so that it reads no further than the match.
Span FindFoldedLinear(UTF16StringView units, std::size_t from, UTF16StringView sought) {
    // border[q]: the length of the longest proper prefix of sought[0, q] that is also its suffix.
    std::vector<std::size_t> border(sought.size() + 1, 0);
    for (std::size_t q = 1, k = 0; q < sought.size(); ++q) {
        while (k > 0 && sought[q] != sought[k]) k = border[k];
        if (sought[q] == sought[k]) ++k;
        border[q + 1] = k;
    }
    // Each folded unit with the index of the code point it comes from; a folding begins where
    // that index changes.
    std::vector<UTF16Unit> folded;
    std::vector<std::size_t> origin;
    UTF16Unit buffer[kLongestFolding];
    for (std::size_t at = from, q = 0; at < units.size();) {
        const std::size_t width = detail::DecodeUTF16At(units.data(), units.size(), at).Width;
        const std::size_t written = FoldCodePoint(units.data() + at, width, buffer);
        folded.insert(folded.end(), buffer, buffer + written);
        origin.insert(origin.end(), written, at);
        at += width;
        // The units of this code point's folding, the last of which ends a folding.
        for (std::size_t i = folded.size() - written; i < folded.size(); ++i) {
            while (q > 0 && folded[i] != sought[q]) q = border[q];
            if (folded[i] == sought[q]) ++q;
            if (q < sought.size()) continue;
            const std::size_t first = i + 1 - sought.size();
            const bool beginsFolding = first == 0 || origin[first] != origin[first - 1];
            if (beginsFolding && i + 1 == folded.size()) {
                return {static_cast<int>(origin[first]), static_cast<int>(at - origin[first])};
            }
            q = border[q];
        }
    }
    return {};
}

// The BMP units whose folding begins with another unit than themselves, as (first unit of the
// folding, unit) pairs in order, read once: the units that can begin a match of a folded pattern
// are its first unit and those paired with it.
const std::vector<std::pair<UTF16Unit, UTF16Unit>>& FoldingStarts() {
    static const std::vector<std::pair<UTF16Unit, UTF16Unit>> starts = [] {
        std::vector<std::pair<UTF16Unit, UTF16Unit>> pairs;
        UTF16Unit buffer[kLongestFolding];
        for (std::uint32_t c = 0; c <= detail::kLastBmpCodePoint; ++c) {
            const auto unit = static_cast<UTF16Unit>(c);
            if (detail::IsSurrogate(c) || !IsCaseSensitiveBmp(unit)) continue;
            if (FoldCodePoint(&unit, 1, buffer) > 0 && buffer[0] != unit) {
                pairs.emplace_back(buffer[0], unit);
            }
        }
        std::sort(pairs.begin(), pairs.end());
        return pairs;
    }();
    return starts;
}

// The units that begin a match of a folding that begins with `first`, a unit that is no
// surrogate; false when they are more than the set search takes.
bool MatchStarts(UTF16Unit first, std::vector<UTF16Unit>* units) {
    const auto& starts = FoldingStarts();
    const auto from =
        std::lower_bound(starts.begin(), starts.end(), std::make_pair(first, UTF16Unit{0}));
    for (auto it = from; it != starts.end() && it->first == first; ++it)
        units->push_back(it->second);
    UTF16Unit buffer[kLongestFolding];
    if (FoldCodePoint(&first, 1, buffer) > 0 && buffer[0] == first) units->push_back(first);
    return !units->empty() && units->size() <= detail::kSmallSetUnits;
}

// The units that can stand at the first two places of a match of the folding `sought`, when
// every match must begin with a code point that folds to one unit: the units that begin a
// match of sought[0] (each folding to it alone) or a lone high surrogate sought[0] (a folding
// that begins with a high surrogate goes on with a low one, not the non-surrogate sought[1]);
// and those that begin a match of sought[1]. False when there is no such pair of small sets.
bool MatchPairStarts(UTF16StringView sought, std::vector<UTF16Unit>* firsts,
                     std::vector<UTF16Unit>* seconds) {
    if (sought.size() < 2 || detail::IsSurrogate(sought[1]) || !MatchStarts(sought[1], seconds))
        return false;
    if (detail::IsHighSurrogate(sought[0])) {
        firsts->push_back(sought[0]);
        return true;
    }
    if (detail::IsSurrogate(sought[0]) || !MatchStarts(sought[0], firsts)) return false;
    UTF16Unit buffer[kLongestFolding];
    return std::all_of(firsts->begin(), firsts->end(),
                       [&](UTF16Unit unit) { return FoldCodePoint(&unit, 1, buffer) == 1; });
}

std::basic_string_view<UTF16Unit> ViewOf(const Text& text) {
    return {text.c_str(), static_cast<std::size_t>(text.get_Length())};
}

// The first index where the units of `pattern` (at least one) begin in the `size` units at
// `units`, or `size`: the active kernels' search.
std::size_t FindUnits(const UTF16Unit* units, std::size_t size, UTF16StringView pattern) {
    const detail::Kernels& kernels = detail::ActiveKernels();
    return pattern.size() == 1 ? kernels.FindUnit(units, size, pattern[0])
                               : kernels.FindPattern(units, size, pattern.data(), pattern.size());
}

}  // namespace

int Text::FindString(const Text& pattern) const { return FindString(pattern, 0); }

int Text::FindString(const Text& pattern, int start) const {
    const std::size_t size = Content.size();
    const std::size_t from = AsStringPosition(start);
    const std::size_t patternSize = pattern.Content.size();
    // The standard string's rules: an empty pattern is found at any start up to the length.
    if (from > size || patternSize > size - from) return kNotFound;
    if (patternSize == 0) return static_cast<int>(from);
    const std::size_t found = FindUnits(Content.data() + from, size - from, pattern.Content);
    return found == size - from ? kNotFound : static_cast<int>(from + found);
}

int Text::FindFromCharacterSet(const Text& set, int start) const {
    const std::size_t from = AsStringPosition(start);
    const std::size_t setSize = set.Content.size();
    if (setSize == 0 || setSize > detail::kSmallSetUnits || from >= Content.size()) {
        return AsIndex(Content.find_first_of(set.Content, from));
    }
    const std::size_t found = detail::ActiveKernels().FindAnyOf(
        Content.data() + from, Content.size() - from, set.Content.data(), setSize);
    return from + found == Content.size() ? kNotFound : static_cast<int>(from + found);
}

int Text::FindNotFromCharacterSet(const Text& set, int start) const {
    const std::size_t from = AsStringPosition(start);
    const std::size_t setSize = set.Content.size();
    if (setSize == 0 || setSize > detail::kSmallSetUnits || from >= Content.size()) {
        return AsIndex(Content.find_first_not_of(set.Content, from));
    }
    const std::size_t found =
        FindNoneOf(Content.data(), from, Content.size(), set.Content.data(), setSize);
    return found == Content.size() ? kNotFound : static_cast<int>(found);
}

// A single character is sought a vector at a time, a surrogate one along the walk.
int Text::FindCharacter(const Char& character) const {
    const UTF16Unit* units = Content.data();
    if (character.IsSingle()) {
        const UTF16Unit sought = static_cast<const UTF16Unit*>(character)[0];
        const std::size_t found = detail::FindSingleCharacter(
            detail::ActiveKernels(), units, Content.size(), sought, SearchForward);
        return found == Content.size() ? kNotFound : static_cast<int>(found);
    }
    const CharacterMatcher matcher(character);
    int found = kNotFound;
    detail::WalkCharacters(units, Content.size(), SearchForward, [&](detail::SearchStep step) {
        if (!matcher.Matches(units, step)) return true;
        found = static_cast<int>(step.Start);
        return false;
    });
    return found;
}

Text& Text::Remove(const Char& character) {
    // Searching and erasing over and over comes to one pass: erasing the occurrence that a
    // search found leaves every unit on the near side of it, and the search's steps there depend
    // only on those units. A fresh search therefore takes the same steps without a match up to
    // the erased stretch and goes on with the units beyond it, exactly as one walk in the same
    // direction does when it drops every matching step.
    UTF16Unit* units = Content.data();
    const std::size_t count = Content.size();
    if (character.IsSingle()) {
        // Each unit erased is a character of its own to the count rule (which reads the text
        // as the forward search does unless its count is -1), and counts one. That stands when
        // the text begins with a character that counts and stays, so that NUL units count
        // wherever they are before and after. Otherwise, and after a backward search that erased
        // a unit which the forward one takes with a surrogate, the text is counted again.
        const UTF16Unit sought = static_cast<const UTF16Unit*>(character)[0];
        const UTF16Unit first = count > 0 ? units[0] : UTF16Unit{0};
        const bool firstStays = first != 0 && first != sought && !detail::IsSurrogate(first);
        bool forwardStarts = true;
        const std::size_t kept =
            detail::ActiveKernels().RemoveUnit(units, count, sought, SearchForward, &forwardStarts);
        Content.resize(kept);
        Length = static_cast<int>(kept);
        if (!firstStays || !forwardStarts) {
            NumberOfCharacters = CharacterCount();
        } else if (NumberOfCharacters != detail::kMalformedCount) {
            NumberOfCharacters -= static_cast<int>(count - kept);
        }
        return *this;
    }
    // The kept units are packed in place towards the end the walk started from; the walk never
    // reads a unit that was overwritten.
    const CharacterMatcher matcher(character);
    if (SearchForward) {
        std::size_t keptEnd = 0;  // kept units occupy [0, keptEnd)
        detail::WalkCharacters(units, count, true, [&](detail::SearchStep step) {
            if (!matcher.Matches(units, step)) {
                std::copy(units + step.Start, units + step.Start + step.Width, units + keptEnd);
                keptEnd += step.Width;
            }
            return true;
        });
        Content.resize(keptEnd);
    } else {
        std::size_t keptStart = count;  // kept units occupy [keptStart, count)
        detail::WalkCharacters(units, count, false, [&](detail::SearchStep step) {
            if (!matcher.Matches(units, step)) {
                std::copy_backward(units + step.Start, units + step.Start + step.Width,
                                   units + keptStart);
                keptStart -= step.Width;
            }
            return true;
        });
        Content.erase(0, keptStart);
    }
    RefreshCounts();
    return *this;
}

// Every path returns `token`, so that it is built where the caller wants it.
namespace {

// The index of the first unit in [from, until) that is `unit`, or `until`: four units at a time
// in a 64-bit word where the byte order allows (a branch for four units, not for each), which
// for the few units of a token beats a call to a kernel.
std::size_t NearUnit(const UTF16Unit* units, std::size_t from, std::size_t until, UTF16Unit unit) {
    std::size_t at = from;
#if defined(__GNUC__) && defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    constexpr std::uint64_t kEachUnit = 0x0001000100010001u;
    constexpr std::uint64_t kTopBits = 0x8000800080008000u;
    constexpr std::size_t kWordUnits = sizeof(std::uint64_t) / sizeof(UTF16Unit);
    const std::uint64_t sought = kEachUnit * unit;
    for (; at + kWordUnits <= until; at += kWordUnits) {
        std::uint64_t word;
        std::memcpy(&word, units + at, sizeof word);
        // A unit equal to `sought` is 0 here; the lowest lane found 0 is the first such unit
        // (a borrow can only mark lanes above it).
        const std::uint64_t differ = word ^ sought;
        const std::uint64_t zero = (differ - kEachUnit) & ~differ & kTopBits;
        if (zero != 0) return at + static_cast<std::size_t>(__builtin_ctzll(zero)) / 16;
    }
#endif
    while (at < until && units[at] != unit) ++at;
    return at;
}

}  // namespace

Text Text::FindToken(const Text& delimiters, int* position) const {
    Text token;
    if (position == nullptr) return token;
    const std::size_t from = AsStringPosition(*position);
    const std::size_t setSize = delimiters.Content.size();
    const UTF16Unit* units = Content.data();
    const std::size_t size = Content.size();
    const UTF16Unit delimiter = delimiters.Content[0];
    std::size_t start = size;
    std::size_t stop = size;
    if (setSize == 1 && from < size && !detail::IsSurrogate(delimiter) &&
        delimiter != detail::kInvalidUnit) {
        // One delimiter unit, the usual case: the token's ends are that unit and nothing else.
        // Tokens are short, so the first units are looked at here, without a call.
        constexpr std::size_t kNearUnits = 16;
        const detail::Kernels& kernels = detail::ActiveKernels();
        start = from;
        const std::size_t nearStart = std::min(size, from + kNearUnits);
        while (start < nearStart && units[start] == delimiter) ++start;
        if (start == nearStart && start < size) {
            start += kernels.FindNoneOf(units + start, size - start, &delimiter, 1);
        }
        const std::size_t nearStop = std::min(size, start + kNearUnits);
        stop = NearUnit(units, start, nearStop, delimiter);
        if (stop == nearStop && stop < size) {
            stop += kernels.FindUnit(units + stop, size - stop, delimiter);
        }
    } else {
        const int found = FindNotFromCharacterSet(delimiters, *position);
        if (found != kNotFound) {
            start = static_cast<std::size_t>(found);
            stop = TokenEnd(delimiters.Content, delimiters.SearchForward, units, start, size);
        }
    }
    // No token at or after the position: the end of the tokens.
    *position = start == size ? Length : static_cast<int>(stop);
    // Tokens are mostly short: copied (by the C library, whatever their length), then counted.
    const std::size_t tokenSize = stop - start;
    token.Content.append(units + start, tokenSize);
    token.NumberOfCharacters =
        detail::CountPiece(NumberOfCharacters == Length, units + start, tokenSize);
    token.Length = static_cast<int>(tokenSize);
    return token;
}

int Text::Compare(const Text& other, int count) const {
    if (IsCaseSensitive()) {
        if (count < 0) return Sign(Content.compare(other.Content));
        const std::size_t limit = static_cast<std::size_t>(count);
        return Sign(Content.compare(0, limit, other.Content, 0, limit));
    }
    int limit = std::max(Length, other.Length);
    if (count != kAllUnits && count < limit) limit = count;
    if (limit <= 0) return 0;
    // Units compared as Char::ToLower lower-cases the Chars that get_CharacterAt makes of them;
    // equal units are equal lower-cased, and runs of ASCII are compared folded when the locale
    // lower-cases ASCII as ASCII does.
    const auto common = static_cast<std::size_t>(std::min({limit, Length, other.Length}));
    const UTF16Unit* mine = Content.data();
    const UTF16Unit* theirs = other.Content.data();
    const detail::Kernels& kernels = detail::ActiveKernels();
    detail::LowerCaseMap lower;
    for (std::size_t i = 0; i < common; ++i) {
        i += kernels.Mismatch(mine + i, theirs + i, common - i);
        if (i == common) break;
        if (lower.IsPlainForLength(common - i)) {
            i += kernels.MismatchAsciiFolded(mine + i, theirs + i, common - i);
            if (i == common) break;
        }
        const UTF16Unit left = lower(mine[i]);
        const UTF16Unit right = lower(theirs[i]);
        if (left != right) return left < right ? -1 : 1;
    }
    if (static_cast<int>(common) == limit) return 0;
    return common == static_cast<std::size_t>(Length) ? -1 : 1;
}

bool Text::StartsWith(const TextArgument& prefix) const {
    const UTF16StringView sought = prefix.View();
    return View().substr(0, sought.size()) == sought;
}

bool Text::EndsWith(const TextArgument& suffix) const {
    const UTF16StringView sought = suffix.View();
    return Content.size() >= sought.size() &&
           View().substr(Content.size() - sought.size()) == sought;
}

bool Text::Contains(const TextArgument& part) const {
    const UTF16StringView sought = part.View();
    const std::size_t size = Content.size();
    if (sought.empty()) return true;
    return sought.size() <= size && FindUnits(Content.data(), size, sought) != size;
}

std::vector<Text> Text::Split(const Char& delimiter) const {
    // U+0000 has no units as a Char's string; in a text it is one NUL unit.
    static constexpr UTF16Unit kNul = 0;
    UTF16StringView sought(static_cast<const UTF16Unit*>(delimiter));
    if (sought.empty()) sought = UTF16StringView(&kNul, 1);
    const UTF16StringView units = View();
    std::vector<Text> fields;
    std::size_t fieldStart = 0;
    if (sought.size() == 1 && !detail::IsSurrogate(sought[0])) {
        // A unit of its own: the search kernel finds each occurrence. The fields are counted
        // first, so that the vector is made once rather than grown (and each text moved) about
        // twenty times for a million fields.
        fields.reserve(1 +
                       static_cast<std::size_t>(std::count(units.begin(), units.end(), sought[0])));
        const detail::Kernels& kernels = detail::ActiveKernels();
        for (;;) {
            const std::size_t at =
                fieldStart +
                kernels.FindUnit(units.data() + fieldStart, units.size() - fieldStart, sought[0]);
            if (at == units.size()) break;
            fields.emplace_back(units.substr(fieldStart, at - fieldStart));
            fieldStart = at + 1;
        }
        fields.emplace_back(units.substr(fieldStart));
        return fields;
    }
    // A surrogate delimiter matches only where it stands unpaired, as CodePoints reads it.
    const bool loneSurrogate = sought.size() == 1;
    for (std::size_t at = units.find(sought); at != npos; at = units.find(sought, at + 1)) {
        if (loneSurrogate && InsidePair(units, at)) continue;
        fields.emplace_back(units.substr(fieldStart, at - fieldStart));
        fieldStart = at + sought.size();
        at = fieldStart - 1;
    }
    fields.emplace_back(units.substr(fieldStart));
    return fields;
}

int Text::CompareFolded(const TextArgument& other) const {
    const UTF16StringView mine = View();
    const UTF16StringView theirs = other.View();
    const std::size_t common = std::min(mine.size(), theirs.size());
    const detail::Kernels& kernels = detail::ActiveKernels();
    // Folding is code point by code point, so equal code points, and ASCII letters equal but for
    // case, fold alike: the kernel passes over them, and a code point whose folding is one unit
    // is compared here. ICU folds and compares the rest from the first other difference.
    UTF16Unit mineFolded[kLongestFolding];
    UTF16Unit theirsFolded[kLongestFolding];
    std::size_t at = 0;
    while (true) {
        at += kernels.MismatchAsciiFolded(mine.data() + at, theirs.data() + at, common - at);
        if (at == common)
            return Sign(static_cast<int>(mine.size() > theirs.size()) -
                        static_cast<int>(mine.size() < theirs.size()));
        // A difference in the low half of a pair: the pair is compared whole.
        if (at > 0 && detail::IsHighSurrogate(mine[at - 1]) &&
            (detail::IsLowSurrogate(mine[at]) || detail::IsLowSurrogate(theirs[at]))) {
            --at;
        }
        const std::size_t width = detail::DecodeUTF16At(mine.data(), mine.size(), at).Width;
        if (width != detail::DecodeUTF16At(theirs.data(), theirs.size(), at).Width) break;
        if (FoldCodePoint(mine.data() + at, width, mineFolded) != 1 ||
            FoldCodePoint(theirs.data() + at, width, theirsFolded) != 1) {
            break;
        }
        if (mineFolded[0] != theirsFolded[0]) return mineFolded[0] < theirsFolded[0] ? -1 : 1;
        at += width;
    }
    UErrorCode status = U_ZERO_ERROR;
    // Without U_COMPARE_CODE_POINT_ORDER ICU orders by UTF-16 units, as Compare does.
    const int32_t order =
        u_strCaseCompare(detail::AsUChar(mine.data() + at), ICULength(mine.substr(at)),
                         detail::AsUChar(theirs.data() + at), ICULength(theirs.substr(at)),
                         U_FOLD_CASE_DEFAULT, &status);
    if (U_FAILURE(status)) detail::RaiseConversionError(detail::kCaseMappingLine, status);
    return Sign(order);
}

Span Text::FindFolded(const TextArgument& pattern, int start) const {
    const UTF16StringView units = View();
    // The search begins at the first character that begins at or after `start`.
    std::size_t from = static_cast<std::size_t>(std::max(start, 0));
    if (from > units.size()) return {};
    if (from > 0 && from < units.size() && detail::IsLowSurrogate(units[from]) &&
        detail::IsHighSurrogate(units[from - 1])) {
        ++from;
    }
    const UTF16String sought = FoldWhole(pattern.View());
    if (sought.empty()) return {static_cast<int>(from), 0};
    const UTF16Unit first = sought[0];
    // Trying each start folds a code point or two at most starts; when the work done passes a
    // few times the units passed, the linear search takes the rest.
    std::size_t work = 0;
    const auto overBudget = [&](std::size_t at) {
        return work > kFoldedWorkPerUnit * (at - from) + kFoldedWorkFloor;
    };
    // Each place that a kernel's search finds is tried as the first of a match.
    const auto tryFound = [&](const auto& search) -> Span {
        for (std::size_t at = from; at < units.size(); ++at) {
            at += search(units.data() + at, units.size() - at);
            if (at == units.size()) break;
            if (overBudget(at)) return FindFoldedLinear(units, at, sought);
            const std::size_t end = FoldedMatchEnd(units, at, sought, &work);
            if (end != npos) return {static_cast<int>(at), static_cast<int>(end - at)};
        }
        return {};
    };
    const detail::Kernels& kernels = detail::ActiveKernels();
    // Where the first two places of a match take few units each, the pair search finds the
    // places where both stand, which are much rarer than either.
    std::vector<UTF16Unit> startUnits, nextUnits;
    if (MatchPairStarts(sought, &startUnits, &nextUnits)) {
        return tryFound([&](const UTF16Unit* rest, std::size_t size) {
            return kernels.FindPairOf(rest, size, startUnits.data(), startUnits.size(),
                                      nextUnits.data(), nextUnits.size());
        });
    }
    // Where few units can begin a match, the set search finds them; each is a whole character.
    startUnits.clear();
    if (!detail::IsSurrogate(first) && MatchStarts(first, &startUnits)) {
        return tryFound([&](const UTF16Unit* rest, std::size_t size) {
            return kernels.FindAnyOf(rest, size, startUnits.data(), startUnits.size());
        });
    }
    // Otherwise each character from `from` on is tried as the first of a match, folding as it
    // goes. A unit that folds to itself, or ASCII, begins no match unless it folds to the first
    // unit.
    for (std::size_t at = from; at < units.size();) {
        const UTF16Unit unit = units[at];
        const bool plain =
            unit <= detail::kLastAsciiCodePoint
                ? FoldAscii(unit) != first
                : unit != first && !detail::IsSurrogate(unit) && !IsCaseSensitiveBmp(unit);
        if (plain) {
            ++at;
            continue;
        }
        if (overBudget(at)) return FindFoldedLinear(units, at, sought);
        const std::size_t end = FoldedMatchEnd(units, at, sought, &work);
        if (end != npos) return {static_cast<int>(at), static_cast<int>(end - at)};
        at += detail::DecodeUTF16At(units.data(), units.size(), at).Width;
    }
    return {};
}

bool operator==(const Text& left, const Text& right) { return ViewOf(left) == ViewOf(right); }
bool operator!=(const Text& left, const Text& right) { return ViewOf(left) != ViewOf(right); }
bool operator<(const Text& left, const Text& right) { return ViewOf(left) < ViewOf(right); }
bool operator<=(const Text& left, const Text& right) { return ViewOf(left) <= ViewOf(right); }
bool operator>(const Text& left, const Text& right) { return ViewOf(left) > ViewOf(right); }
bool operator>=(const Text& left, const Text& right) { return ViewOf(left) >= ViewOf(right); }

}  // namespace QuendalText
