// Code points, grapheme clusters and word, sentence and line-break segments, held to the break
// tests of Debian's unicode-data and to ICU's break iterators called directly: forward, backward,
// through iterators that outlive their range, and from several threads at once.
#include "test_support.h"

#include <unicode/ubrk.h>

#include <set>
#include <thread>
#include <tuple>

namespace {

using namespace qt_test;
using QuendalText::GraphemeRange;
using QuendalText::SegmentRange;
using QuendalText::UTF16StringView;

// A walk: the unit offset where each segment ends, and whether each is a word.
struct Walk {
    std::vector<std::size_t> ends;
    std::vector<bool> words;
    bool operator==(const Walk& other) const { return ends == other.ends && words == other.words; }
};
std::ostream& operator<<(std::ostream& out, const Walk& walk) {
    for (std::size_t i = 0; i < walk.ends.size(); ++i)
        out << walk.ends[i] << (walk.words[i] ? "w " : " ");
    return out;
}

bool IsWordOf(const SegmentRange::Iterator& it) { return it.IsWord(); }
bool IsWordOf(const GraphemeRange::Iterator&) { return false; }

// The library's walk, forward; every segment must be nonempty and follow the one before.
template <class Range>
Walk Forward(UTF16StringView units, const Range& range) {
    Walk walk;
    for (auto it = range.begin(); it != range.end(); ++it) {
        const UTF16StringView segment = *it;
        const std::size_t start = walk.ends.empty() ? 0 : walk.ends.back();
        EXPECT_TRUE(segment.data() == units.data() + start && !segment.empty());
        walk.ends.push_back(start + segment.size());
        walk.words.push_back(IsWordOf(it));
    }
    return walk;
}

// The library's walk backward by -- from the end, turned forward; a reverse iterator walked
// alongside stops at the same segments.
template <class Range>
Walk Backward(UTF16StringView units, const Range& range) {
    Walk walk;
    auto reversed = std::make_reverse_iterator(range.end());
    for (auto it = range.end(); it != range.begin(); ++reversed) {
        const UTF16StringView segment = *--it;
        EXPECT_TRUE((*reversed).data() == segment.data() && (*reversed).size() == segment.size() &&
                    IsWordOf(std::prev(reversed.base())) == IsWordOf(it));
        walk.ends.insert(walk.ends.begin(),
                         std::size_t(segment.data() - units.data()) + segment.size());
        walk.words.insert(walk.words.begin(), IsWordOf(it));
    }
    EXPECT_TRUE(reversed == std::make_reverse_iterator(range.begin()));
    return walk;
}

// ICU's boundaries, its root-locale iterator walked forward, and its word rule statuses.
Walk IcuWalk(UBreakIteratorType type, UTF16StringView units) {
    UErrorCode status = U_ZERO_ERROR;
    UBreakIterator* breaks = ubrk_open(type, "", reinterpret_cast<const UChar*>(units.data()),
                                       int32_t(units.size()), &status);
    EXPECT_TRUE(U_SUCCESS(status)) << u_errorName(status);
    Walk walk;
    for (int32_t end = ubrk_next(breaks); end != UBRK_DONE; end = ubrk_next(breaks)) {
        walk.ends.push_back(std::size_t(end));
        walk.words.push_back(type == UBRK_WORD &&
                             ubrk_getRuleStatus(breaks) >= UBRK_WORD_NONE_LIMIT);
    }
    ubrk_close(breaks);
    return walk;
}

// Each of the comma-separated entries of `list`.
std::set<std::string> Entries(const std::string& list) {
    std::set<std::string> entries;
    for (std::size_t at = 0, comma = 0; comma != std::string::npos; at = comma + 1)
        entries.insert(list.substr(at, (comma = list.find(',', at)) - at));
    return entries;
}
// The lines on which ICU's root rules tailor Unicode's, named by their code points: a colon
// between letters ends a word; a line may break otherwise after a hyphen or a comma before some
// characters, and around a number after a letter and a full stop.
const std::set<std::string> kTailoredWords = Entries(
    "0041 003A 0041,0061 003A 0041,0061 003A 0061 0027,0061 003A 0061 0027 2060,"
    "0061 003A 0061 002C,0061 003A 0061 003A,0061 003A 0061 2060,0061 003A 0308 0041,"
    "0061 003A 0308 0061 0027,0061 003A 0308 0061 0027 2060,0061 003A 0308 0061 002C,"
    "0061 003A 0308 0061 003A,0061 003A 0308 0061 2060,0061 003A 0308 05D0,0061 003A 05D0");
const std::set<std::string> kTailoredLines = Entries(
    "002C 0030,002C 0308 0030,002D 0023,002D 00A7,002D 0308 0023,002D 0308 00A7,002D 0308 0E01,"
    "002D 0308 50005,002D 0E01,002D 50005,0041 002E 0031 0020 BABB,0061 002E 0032 0020,"
    "0061 002E 0032 0020 0915,0061 002E 0032 0020 672C,0061 002E 0032 3000 0033,"
    "0061 002E 0032 3000 300C,0061 002E 0032 3000 307E,0061 002E 0032 3000 672C,"
    "0065 0071 0075 0061 006C 0073 0020 002E 0033 0035 0020 0063 0065 006E 0074 0073,"
    "BD10 C694 002E 0020 0041 002E 0033 0020 BABB,BD24 C5B4 002E 0020 0041 002E 0032 0020 BCFC,"
    "C694 002E 0020 0041 002E 0034 0020 BABB");

// The library's walk of the ranges of `type`, forward or backward.
Walk WalkOf(UBreakIteratorType type, const Text& t, bool backward = false) {
    const UTF16StringView v = t.View();
    if (type == UBRK_CHARACTER)
        return backward ? Backward(v, t.Graphemes()) : Forward(v, t.Graphemes());
    const SegmentRange segments = type == UBRK_WORD       ? t.Words()
                                  : type == UBRK_SENTENCE ? t.Sentences()
                                                          : t.LineBreaks();
    return backward ? Backward(v, segments) : Forward(v, segments);
}
// Each file, the ICU iterator of its kind and the file's lines where ICU's boundaries differ.
const std::tuple<const char*, UBreakIteratorType, const std::set<std::string>*> kKinds[] = {
    {"GraphemeBreakTest.txt", UBRK_CHARACTER, nullptr},
    {"WordBreakTest.txt", UBRK_WORD, &kTailoredWords},
    {"SentenceBreakTest.txt", UBRK_SENTENCE, nullptr},
    {"LineBreakTest.txt", UBRK_LINE, &kTailoredLines}};

// One line of a break test file: its code points as written, its units, and where the file's
// segments end (a ÷ after each but the first).
struct BreakCase {
    std::string hex;
    UTF16String units;
    std::vector<std::size_t> ends;
};
std::vector<BreakCase> ReadBreakTests(const std::string& file) {
    std::vector<BreakCase> cases;
    ForEachRecord("auxiliary/" + file, ' ', [&](const std::vector<std::string>& fields) {
        BreakCase c;
        for (const std::string& token : fields) {
            if (token == "\xC3\xB7" && !c.units.empty()) c.ends.push_back(c.units.size());
            if (token.empty() || token == "\xC3\xB7" || token == "\xC3\x97") continue;
            c.hex += (c.hex.empty() ? "" : " ") + token;
            c.units += UnitsOfHex(token);
        }
        cases.push_back(c);
    });
    return cases;
}

// A sample of ASCII words and a number, a flag, an emoji sequence, Hangul syllables and jamo, a
// letter with two marks, Thai and Japanese, ending in a full stop.
const char* const kSample =
    "Caf\xC3\xA9 It's 3.5 km\xE2\x80\x94 \xF0\x9F\x87\xAB\xF0\x9F\x87\xB7 "
    "\xF0\x9F\x91\xA9\xE2\x80\x8D\xF0\x9F\x92\xBB \xEA\xB0\x80\xE1\x86\xA8 "
    "\xE1\x84\x80\xE1\x85\xA1\xE1\x86\xA8 e\xCC\x81\xCC\x81! Stra\xC3\x9F"
    "e \xE0\xB8\xAA\xE0\xB8\xA7\xE0\xB8\xB1\xE0\xB8\xAA\xE0\xB8\x94\xE0\xB8\xB5 "
    "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E\xE3\x81\xA7\xE3\x81\x99\xE3\x80\x82 Ok.";

// Every line of the four files: the ranges give the file's boundaries, or on a tailored line
// ICU's (which then differ from the file's); the word flags are ICU's rule statuses; walking
// backward gives the same segments. Then all lines of each file joined into one text, and a
// sample of emoji, Hangul, Thai and Japanese: boundaries far from the start agree with ICU's.
TEST(TextSegmentation, RangesFollowTheBreakTestsAndIcu) {
    const Text mixed = Text::FromUTF8(kSample);
    EXPECT_EQ(*std::prev(mixed.Words().end()), mixed.View().substr(mixed.View().size() - 1));
    EXPECT_EQ(*std::prev(mixed.CodePoints().end()), U'.');
    for (const auto& [file, type, tailoredLines] : kKinds) {
        const std::vector<BreakCase> cases = ReadBreakTests(file);
        EXPECT_GT(cases.size(), 100u) << file;
        std::size_t tailored = 0;
        UTF16String joined;
        for (const BreakCase& c : cases) {
            const Text text{UTF16StringView(c.units)};
            const Walk icu = IcuWalk(type, c.units), walk = WalkOf(type, text);
            const bool listed = tailoredLines != nullptr && tailoredLines->count(c.hex) > 0;
            tailored += listed;
            joined += c.units + QUENDALTEXT_U(" ");
            EXPECT_EQ(walk.ends, listed ? icu.ends : c.ends) << file << ": " << c.hex;
            EXPECT_EQ(listed, icu.ends != c.ends) << file << ": " << c.hex;
            EXPECT_EQ(walk.words, icu.words) << file << ": " << c.hex;
            EXPECT_EQ(WalkOf(type, text, true), walk) << file << ": " << c.hex;
        }
        // Every line named is a line of the file.
        EXPECT_EQ(tailored, tailoredLines == nullptr ? 0 : tailoredLines->size()) << file;
        for (const Text& text : {Text{UTF16StringView(joined)}, mixed}) {
            const Walk walk = WalkOf(type, text);
            EXPECT_EQ(walk, IcuWalk(type, text.View())) << file;
            EXPECT_EQ(WalkOf(type, text, true), walk) << file;
        }
    }
}

// Every text of up to three characters that the word rules tell apart in ASCII (and a letter, a
// mark and a space beyond it), and random texts over characters of every word break class: the
// word segments and flags are ICU's, forward and backward.
TEST(TextSegmentation, WordsOfShortTextsAreIcus) {
    const std::vector<std::uint32_t> alphabet = {
        'a', 'Z', '0', '9', '_', '.', '\'', ',', ';', ':', ' ', '"', '!', '\r', '\n', 0x0B, '\t',
        0xE9, 0x308, 0x3000,
        // a digit, ExtendNumLet, MidLetter, colon forms, MidNumLet, MidNum, ZWJ, a format
        // character, newlines, Hebrew, katakana, Han, Thai, an emoji, a regional indicator, a skin tone
        0x661, 0x203F, 0xB7, 0xFE55, 0xFF1A, 0x2019, 0xFF0C, 0x200D, 0xAD, 0x85, 0x2028, 0x5D0,
        0x30AB, 0x65E5, 0xE01, 0x1F600, 0x1F1EB, 0x1F3FD};
    std::vector<UTF16String> texts(1);
    for (std::size_t length = 1, from = 0; length <= 3; ++length) {
        const std::size_t to = texts.size();
        for (std::size_t i = from; i < to; ++i)
            for (std::size_t c = 0; c < 20; ++c) texts.push_back(texts[i] + ToUTF16({alphabet[c]}));
        from = to;
    }
    Generator generator{std::mt19937(29)};
    for (int round = 0; round < 30000; ++round) {
        CodePoints codePoints(std::size_t(1 + generator.Below(10)));
        for (std::uint32_t& c : codePoints)
            c = alphabet[std::size_t(generator.Below(int(alphabet.size())))];
        texts.push_back(ToUTF16(codePoints));
    }
    for (const UTF16String& units : texts) {
        const Text text{UTF16StringView(units)};
        const Walk walk = Forward(text.View(), text.Words());
        ASSERT_EQ(walk, IcuWalk(UBRK_WORD, units)) << testing::PrintToString(Decode(units));
        ASSERT_EQ(Backward(text.View(), text.Words()), walk);
    }
}

// Code points backward are the code points forward reversed, unpaired surrogates included.
TEST(TextSegmentation, CodePointsWalkBackward) {
    Generator generator{std::mt19937(7)};
    for (int round = 0; round < 500; ++round) {
        const Text text{UTF16StringView(generator.Units(12))};
        const auto range = text.CodePoints();
        const std::u32string backward(std::make_reverse_iterator(range.end()),
                                      std::make_reverse_iterator(range.begin()));
        EXPECT_EQ(std::u32string(backward.rbegin(), backward.rend()),
                  std::u32string(range.begin(), range.end()));
    }
}

// Iterators of temporary ranges, copies walked apart and assignments between texts: each
// iterator walks alone, valid while the text lives.
TEST(TextSegmentation, IteratorsOutliveTheirRanges) {
    const Text text = Text::FromUTF8(kSample);
    Walk clusters, words;
    for (auto it = text.Graphemes().begin(), end = text.Graphemes().end(); it != end; ++it) {
        clusters.ends.push_back(std::size_t((*it).data() - text.c_str()) + (*it).size());
        clusters.words.push_back(false);
    }
    for (auto it = text.Words().begin(), end = text.Words().end(); it != end; ++it) {
        words.ends.push_back(std::size_t((*it).data() - text.c_str()) + (*it).size());
        words.words.push_back(it.IsWord());
    }
    EXPECT_EQ(clusters, IcuWalk(UBRK_CHARACTER, text.View()));
    EXPECT_EQ(words, IcuWalk(UBRK_WORD, text.View()));

    auto it = text.Words().begin();
    ++it;
    auto copy = it;
    ++it, ++it;
    ++copy, ++copy;
    EXPECT_TRUE(copy == it && *copy == *it && copy.IsWord() == it.IsWord());
    --copy;
    EXPECT_TRUE(*std::next(copy) == *it);
    const Text other = Text::FromUTF8("other words here");
    auto elsewhere = other.Words().begin();
    elsewhere = it;  // now walks `text`, not `other`
    ++elsewhere, ++it;
    EXPECT_TRUE(*elsewhere == *it && elsewhere.IsWord() == it.IsWord());
}

// One const range of clusters and one of words, walked from four threads at once: every walk
// agrees with one thread's (and under ThreadSanitizer, no race).
TEST(TextSegmentation, ConstRangesWalkedFromFourThreads) {
    Text text;
    for (int i = 0; i < 50; ++i) text += kSample, text += " ";
    const GraphemeRange clusters = text.Graphemes();
    const SegmentRange words = text.Words();
    const Walk clusterWalk = Forward(text.View(), clusters);
    const Walk wordWalk = Forward(text.View(), words);
    std::vector<int> agreed(4, 0);
    std::vector<std::thread> threads;
    for (std::size_t t = 0; t < agreed.size(); ++t) {
        threads.emplace_back([&, t] {
            for (int round = 0; round < 10; ++round) {
                agreed[t] += Forward(text.View(), clusters) == clusterWalk;
                agreed[t] += Forward(text.View(), words) == wordWalk;
                agreed[t] += Backward(text.View(), words) == wordWalk;
            }
        });
    }
    for (std::thread& thread : threads) thread.join();
    EXPECT_EQ(agreed, std::vector<int>(4, 30));
}

}  // namespace
