#include "search.h"

#include "system.h"

#include <unicode/uchar.h>
#include <unicode/uset.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <optional>
#include <utility>

#if defined(__SSE2__)
#  include <emmintrin.h>
#endif

namespace qtext {
namespace {

using QuendalText::Text;

constexpr std::size_t npos = std::string_view::npos;
constexpr std::size_t kLanes = 16;  // bytes compared at once with SSE2

// The lowercase letters, rarest first, by their frequency in English text.
constexpr std::string_view kLettersByFrequency = "zqxjkvbpygfwmucldrhsnioate";

// How common a byte of UTF-8 is guessed to be, lower for rarer: a continuation byte (it is one
// of 64), a capital letter, then the other ASCII bytes but the space, a lead byte (few begin the
// characters of a script), and the lowercase letters by their frequency in English.
int ByteCommonness(char byte) {
    const auto value = static_cast<unsigned char>(byte);
    if (value >= 0x80) return value < 0xC0 ? 0 : 3;
    if (byte >= 'A' && byte <= 'Z') return 1;
    const std::size_t letter = kLettersByFrequency.find(byte);
    if (letter != npos) return 4 + static_cast<int>(letter);
    return byte == ' ' ? 100 : 2;
}

// Bytes of the longest character in UTF-8.
constexpr std::size_t kLongestUTF8Character = 4;

// The key is chosen among characters with at most this many sources, which are sought together.
constexpr std::size_t kMostKeySources = 6;

// Characters one search for candidates may compare around the places of the key: this many,
// and this many more for each byte passed. Beyond them a candidate is left to the line's
// FindFolded (linear), which a key that stands many times in the pattern would otherwise pass
// by far: each of its places costs up to the pattern's length at each of the key's places in
// the text. A pattern that holds its key once compares each byte at most twice.
constexpr std::size_t kComparedAllowance = 64;
constexpr std::size_t kComparedPerByte = 4;

// How common a character of a folded pattern is guessed to be in text, lower for rarer: a
// character outside ASCII first, then the letters by their frequency in English, then the other
// ASCII characters, the space last.
int Commonness(char32_t c) {
    if (c > 0x7F) return 0;
    const std::size_t letter = kLettersByFrequency.find(static_cast<char>(c));
    if (letter != npos) return 1 + static_cast<int>(letter);
    if (c == ' ') return 100;
    return 1 + static_cast<int>(kLettersByFrequency.size()) / 2;
}

std::vector<char32_t> CodePointsOf(const Text& text) {
    std::vector<char32_t> codePoints;
    for (const char32_t c : text.CodePoints()) codePoints.push_back(c);
    return codePoints;
}

std::string UTF8Of(char32_t c) { return Text(QuendalText::Char(c)).ToUTF8String(); }

// The code point of well-formed UTF-8 at `at` and its length in bytes.
std::pair<char32_t, std::size_t> DecodeAt(std::string_view bytes, std::size_t at) {
    const auto lead = static_cast<unsigned char>(bytes[at]);
    const std::size_t length = lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    char32_t c = lead & (0x7F >> length);
    for (std::size_t i = 1; i < length; ++i)
        c = c << 6 | (static_cast<unsigned char>(bytes[at + i]) & 0x3F);
    return {c, length};
}

bool IsContinuation(char byte) { return (static_cast<unsigned char>(byte) & 0xC0) == 0x80; }

char32_t FoldAscii(char byte) {
    return static_cast<char32_t>(byte >= 'A' && byte <= 'Z' ? byte + ('a' - 'A') : byte);
}

#if defined(__SSE2__)
int CountTrailingZeros(std::uint64_t bits) { return __builtin_ctzll(bits); }

// Visits each place in `bytes` from `at` on where one of the `N` `pairs` has both its bytes,
// found 16 places a vector, until visit(place) answers true; returns the place, or where the
// bytes left became too few to load.
template <std::size_t N, class Visit>
std::size_t ScanPairs(std::string_view bytes, std::size_t at, const BytePair* pairs, Visit visit) {
    __m128i firsts[N];
    __m128i seconds[N];
    std::size_t reach = 1;
    for (std::size_t p = 0; p < N; ++p) {
        firsts[p] = _mm_set1_epi8(pairs[p].FirstByte);
        seconds[p] = _mm_set1_epi8(pairs[p].SecondByte);
        reach = std::max({reach, pairs[p].First + 1, pairs[p].Second + 1});
    }
    const char* const data = bytes.data();
    const auto lanesAt = [&](std::size_t start) {
        __m128i found = _mm_setzero_si128();
        for (std::size_t p = 0; p < N; ++p) {
            const __m128i first =
                _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + start + pairs[p].First));
            const __m128i second =
                _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + start + pairs[p].Second));
            found = _mm_or_si128(found, _mm_and_si128(_mm_cmpeq_epi8(first, firsts[p]),
                                                      _mm_cmpeq_epi8(second, seconds[p])));
        }
        return static_cast<std::uint64_t>(_mm_movemask_epi8(found));
    };
    // Four vectors a step, so that the branch is taken once for 64 places.
    constexpr std::size_t kStep = 4 * kLanes;
    for (; at + kStep + reach - 1 <= bytes.size(); at += kStep) {
        std::uint64_t lanes = lanesAt(at) | lanesAt(at + kLanes) << kLanes |
                              lanesAt(at + 2 * kLanes) << 2 * kLanes |
                              lanesAt(at + 3 * kLanes) << 3 * kLanes;
        for (; lanes != 0; lanes &= lanes - 1) {
            const auto lane = static_cast<std::size_t>(CountTrailingZeros(lanes));
            if (visit(at + lane)) return at + lane;
        }
    }
    return at;
}
#endif

}  // namespace

PatternSearch::PatternSearch(std::string pattern) : Pattern(std::move(pattern)) {
    // The two rarest-looking bytes of the pattern pick the places where it is compared whole.
    std::size_t rarest = 0;
    for (std::size_t i = 1; i < Pattern.size(); ++i) {
        if (ByteCommonness(Pattern[i]) < ByteCommonness(Pattern[rarest])) rarest = i;
    }
    std::size_t other = rarest == 0 ? Pattern.size() - 1 : 0;
    for (std::size_t i = 0; i < Pattern.size(); ++i) {
        if (i != rarest && ByteCommonness(Pattern[i]) < ByteCommonness(Pattern[other])) other = i;
    }
    Pair = {rarest, other, Pattern[rarest], Pattern[other]};
}

ByteSearch::Candidate PatternSearch::Next(std::string_view bytes, std::size_t from) const {
    return {Find(bytes, from), Verdict::Match};
}

std::size_t PatternSearch::Find(std::string_view line, std::size_t from) const {
    if (from > line.size() || Pattern.size() > line.size() - from) return npos;
    std::size_t at = from;
#if defined(__SSE2__)
    const auto matchesAt = [&](std::size_t start) {
        return line.size() - start >= Pattern.size() &&
               std::memcmp(line.data() + start, Pattern.data(), Pattern.size()) == 0;
    };
    at = ScanPairs<1>(line, at, &Pair, matchesAt);
    if (at + Pattern.size() <= line.size() && matchesAt(at)) return at;
#endif
    const char* const match =
        FindBytes(line.data() + at, line.size() - at, Pattern.data(), Pattern.size());
    return match == nullptr ? npos : static_cast<std::size_t>(match - line.data());
}

std::unique_ptr<FoldedSearch> FoldedSearch::For(const Text& pattern, std::size_t pieceBytes) {
    std::unique_ptr<FoldedSearch> search(new FoldedSearch());
    search->PieceBytes = pieceBytes;
    search->Folded = pattern.Folded();
    search->CodePoints = CodePointsOf(search->Folded);
    std::vector<char32_t> distinct = search->CodePoints;
    std::sort(distinct.begin(), distinct.end());
    distinct.erase(std::unique(distinct.begin(), distinct.end()), distinct.end());
    for (const char32_t c : search->CodePoints) {
        search->Distinct.push_back(static_cast<std::size_t>(
            std::lower_bound(distinct.begin(), distinct.end(), c) - distinct.begin()));
    }
    // A character folds to itself unless it is the source of a case mapping (Case_Sensitive),
    // as Text folds; the few thousand that are are folded here to find which hold what.
    auto& sources = search->Sources;
    sources.resize(distinct.size());
    for (std::size_t i = 0; i < distinct.size(); ++i) {
        if (u_hasBinaryProperty(static_cast<UChar32>(distinct[i]), UCHAR_CASE_SENSITIVE) == 0)
            sources[i].push_back({distinct[i], true});
    }
    UErrorCode status = U_ZERO_ERROR;
    const USet* const sensitive = u_getBinaryPropertySet(UCHAR_CASE_SENSITIVE, &status);
    if (U_FAILURE(status)) return nullptr;
    // They are folded at once, each followed by a line feed, which folds to itself alone.
    std::vector<char32_t> all;
    const int32_t ranges = uset_getItemCount(sensitive);
    for (int32_t range = 0; range < ranges; ++range) {
        UChar32 first = 0;
        UChar32 last = 0;
        if (uset_getItem(sensitive, range, &first, &last, nullptr, 0, &status) != 0) continue;
        for (UChar32 c = first; c <= last; ++c) all.push_back(static_cast<char32_t>(c));
    }
    Text listed;
    for (const char32_t c : all) {
        listed += QuendalText::Char(c);
        listed += QuendalText::Char('\n');
    }
    std::vector<char32_t> folding;
    auto next = all.begin();
    const Text folded = listed.Folded();  // held: the range only views it
    for (const char32_t c : folded.CodePoints()) {
        if (c != '\n') {
            folding.push_back(c);
            continue;
        }
        for (std::size_t i = 0; i < distinct.size(); ++i) {
            if (std::find(folding.begin(), folding.end(), distinct[i]) != folding.end())
                sources[i].push_back({*next, folding.size() == 1});
        }
        folding.clear();
        ++next;
    }
    for (auto& each : sources) std::sort(each.begin(), each.end());
    // The key: the rarest-looking character with few sources.
    std::size_t key = npos;
    for (std::size_t i = 0; i < distinct.size(); ++i) {
        if (sources[i].empty() || sources[i].size() > kMostKeySources) continue;
        if (key == npos || Commonness(distinct[i]) < Commonness(distinct[key])) key = i;
    }
    if (key == npos) return search;  // every line is a candidate
    for (std::size_t at = 0; at < search->CodePoints.size(); ++at) {
        if (search->Distinct[at] == key) search->KeyPositions.push_back(at);
    }
    for (const Source& source : sources[key]) {
        const std::string units = UTF8Of(source.CodePoint);
        search->KeySources.push_back(units);
        search->KeyPairs.push_back({0, units.size() - 1, units.front(), units.back()});
        search->KeySourceAlone.push_back(source.FoldsToItAlone);
        search->KeyReach = std::max(search->KeyReach, units.size());
    }
    return search;
}

FoldedSearch::Step FoldedSearch::Compare(char32_t c, std::size_t index) const {
    if (c <= 0x7F) {
        return FoldAscii(static_cast<char>(c)) == CodePoints[index] ? Step::Match : Step::Mismatch;
    }
    const std::vector<Source>& sources = Sources[Distinct[index]];
    const auto found = std::lower_bound(sources.begin(), sources.end(), Source{c, false});
    if (found == sources.end() || found->CodePoint != c) return Step::Mismatch;
    return found->FoldsToItAlone ? Step::Match : Step::Maybe;
}

FoldedSearch::Step FoldedSearch::MatchAround(std::string_view bytes, std::size_t at,
                                             std::size_t end, std::size_t index,
                                             std::size_t* compared) const {
    // Matches begin and end with whole foldings: a character that folds to one other stands
    // for exactly one character of the pattern. The bytes begin a line, and a line feed before
    // the key matches nothing in the pattern.
    for (std::size_t i = index; i-- > 0;) {
        if (at == 0) return Step::Maybe;
        std::size_t start = at - 1;
        while (start > 0 && IsContinuation(bytes[start])) --start;
        if (IsContinuation(bytes[start])) return Step::Maybe;
        const auto lead = static_cast<unsigned char>(bytes[start]);
        const char32_t c = lead <= 0x7F ? lead : DecodeAt(bytes, start).first;
        ++*compared;
        const Step step = Compare(c, i);
        if (step != Step::Match) return step;
        at = start;
    }
    for (std::size_t i = index + 1; i < CodePoints.size(); ++i) {
        if (end >= bytes.size()) return Step::Maybe;  // the rest is not read yet
        const auto lead = static_cast<unsigned char>(bytes[end]);
        std::pair<char32_t, std::size_t> next{lead, 1};
        if (lead > 0x7F) {
            if (end + (lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4) > bytes.size()) return Step::Maybe;
            next = DecodeAt(bytes, end);
        }
        ++*compared;
        const Step step = Compare(next.first, i);
        if (step != Step::Match) return step;
        end += next.second;
    }
    return Step::Match;
}

ByteSearch::Candidate FoldedSearch::Next(std::string_view bytes, std::size_t from) const {
    if (KeySources.empty()) {
        // No key: the next line that is not empty (a candidate begins with another character
        // than a line feed), which FindFolded reads.
        const std::size_t at = bytes.find_first_not_of('\n', from);
        return {at, Verdict::Maybe};
    }
    const char* const data = bytes.data();
    std::size_t compared = 0;
    // Checks a source of the key at `at`; nothing when it cannot be part of a match.
    const auto check = [&](std::size_t at, std::size_t source) -> std::optional<Verdict> {
        const std::string& units = KeySources[source];
        if (bytes.size() - at < units.size()) return std::nullopt;
        for (std::size_t i = 0; i < units.size(); ++i) {
            if (data[at + i] != units[i]) return std::nullopt;
        }
        if (!KeySourceAlone[source]) return Verdict::Maybe;
        bool maybe = false;
        for (const std::size_t index : KeyPositions) {
            if (compared > kComparedAllowance + kComparedPerByte * (at - from))
                return Verdict::Maybe;
            const Step step = MatchAround(bytes, at, at + units.size(), index, &compared);
            if (step == Step::Match) return Verdict::Match;
            maybe = maybe || step == Step::Maybe;
        }
        return maybe ? std::optional<Verdict>(Verdict::Maybe) : std::nullopt;
    };
    std::size_t at = from;
#if defined(__SSE2__)
    Candidate found{npos, Verdict::Maybe};
    const auto visit = [&](std::size_t start) {
        for (std::size_t s = 0; s < KeySources.size(); ++s) {
            if (const auto verdict = check(start, s)) {
                found = {start, *verdict};
                return true;
            }
        }
        return false;
    };
    switch (KeySources.size()) {
        case 1: at = ScanPairs<1>(bytes, at, KeyPairs.data(), visit); break;
        case 2: at = ScanPairs<2>(bytes, at, KeyPairs.data(), visit); break;
        case 3: at = ScanPairs<3>(bytes, at, KeyPairs.data(), visit); break;
        case 4: at = ScanPairs<4>(bytes, at, KeyPairs.data(), visit); break;
        case 5: at = ScanPairs<5>(bytes, at, KeyPairs.data(), visit); break;
        default: at = ScanPairs<kMostKeySources>(bytes, at, KeyPairs.data(), visit); break;
    }
    if (found.At != npos) return found;
#endif
    for (; at < bytes.size(); ++at) {
        for (std::size_t s = 0; s < KeySources.size(); ++s) {
            if (const auto verdict = check(at, s)) return {at, *verdict};
        }
    }
    return {npos, Verdict::Maybe};
}

bool FoldedSearch::LineHolds(std::string_view line) const {
    bool holds = false;
    ForEachMatch(line, [&holds](std::size_t, std::size_t) { return !(holds = true); });
    return holds;
}

void FoldedSearch::ForEachMatch(std::string_view line,
                                const std::function<bool(std::size_t, std::size_t)>& found) const {
    // Piece by piece, cut between characters: a match is of whole characters, at most one for
    // each character of the folded pattern, so a match that begins more than that many of the
    // longest before a piece's end lies in the piece, and a long line is never held as UTF-16
    // whole. A match that begins later is sought again in the next piece, which begins before it.
    const std::size_t overlap = kLongestUTF8Character * CodePoints.size();
    const std::size_t piece = std::max(PieceBytes, 2 * overlap);
    std::size_t from = 0;  // where the next match may begin
    for (std::size_t start = 0;;) {
        std::size_t end = std::min(line.size(), start + piece);
        while (end < line.size() && IsContinuation(line[end])) ++end;
        const std::size_t sure = end == line.size() ? end : end - overlap;
        const std::string_view bytes = line.substr(start, end - start);
        const Text text = Text::FromUTF8(bytes);
        // UTF-16 offsets of the piece as byte offsets, read forward.
        std::size_t byte = 0;
        std::size_t unit = 0;
        const auto advance = [&](auto done) {
            while (!done()) {
                const auto lead = static_cast<unsigned char>(bytes[byte]);
                const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
                byte += length;
                unit += length == 4 ? 2 : 1;  // a pair for four bytes
            }
        };
        advance([&] { return start + byte >= from; });
        for (int at = static_cast<int>(unit);;) {
            const QuendalText::Span span = text.FindFolded(Folded, at);
            if (!span) break;
            advance([&] { return unit >= static_cast<std::size_t>(span.Start); });
            const std::size_t matchStart = start + byte;
            if (matchStart >= sure) break;
            at = span.Start + span.Length;
            advance([&] { return unit >= static_cast<std::size_t>(at); });
            from = start + byte;
            if (!found(matchStart, from)) return;
        }
        if (end == line.size()) return;
        start = end - overlap;
        while (IsContinuation(line[start])) --start;
    }
}

}  // namespace qtext
