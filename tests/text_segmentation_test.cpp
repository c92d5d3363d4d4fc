// Code points, grapheme clusters and word, sentence and line-break segments of the break tests'
// texts (Debian's unicode-data) and generated ones, held to ICU's break iterators called directly:
// forward, backward, through iterators that outlive their range, and from several threads at once.
#include "test_support.h"

#include <unicode/ubrk.h>

#include <cctype>
#include <thread>

namespace {

using namespace qt_test;
using QuendalText::GraphemeRange;
using QuendalText::SegmentRange;
using QuendalText::UTF16StringView;

// A walk: the unit offset where each segment ends, and whether each is a word.
using Walk = std::pair<std::vector<std::size_t>, std::vector<bool>>;

bool IsWordOf(const SegmentRange::Iterator& it) { return it.IsWord(); }
bool IsWordOf(const GraphemeRange::Iterator&) { return false; }

// The library's walk from `it` to `end`; every segment must be nonempty and follow the one before.
template <class Iterator>
Walk Forward(UTF16StringView units, Iterator it, Iterator end) {
    Walk walk;
    for (; it != end; ++it) {
        const UTF16StringView segment = *it;
        const std::size_t start = walk.first.empty() ? 0 : walk.first.back();
        EXPECT_TRUE(segment.data() == units.data() + start && !segment.empty());
        walk.first.push_back(start + segment.size());
        walk.second.push_back(IsWordOf(it));
    }
    return walk;
}
template <class Range>
Walk Forward(UTF16StringView units, const Range& range) {
    return Forward(units, range.begin(), range.end());
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
        walk.first.insert(walk.first.begin(),
                          std::size_t(segment.data() - units.data()) + segment.size());
        walk.second.insert(walk.second.begin(), IsWordOf(it));
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
        walk.first.push_back(std::size_t(end));
        walk.second.push_back(type == UBRK_WORD &&
                              ubrk_getRuleStatus(breaks) >= UBRK_WORD_NONE_LIMIT);
    }
    ubrk_close(breaks);
    return walk;
}

// Whether the library's ranges of `type` in `units`, walked forward and backward, give ICU's
// segments and word flags.
testing::AssertionResult WalksAsIcu(UBreakIteratorType type, const UTF16String& units) {
    const Text t{UTF16StringView(units)};
    const UTF16StringView v = t.View();
    const SegmentRange segments = type == UBRK_WORD       ? t.Words()
                                  : type == UBRK_SENTENCE ? t.Sentences()
                                                          : t.LineBreaks();
    const Walk icu = IcuWalk(type, units);
    const bool clusters = type == UBRK_CHARACTER;
    const Walk forward = clusters ? Forward(v, t.Graphemes()) : Forward(v, segments);
    const Walk backward = clusters ? Backward(v, t.Graphemes()) : Backward(v, segments);
    if (forward == icu && backward == icu) return testing::AssertionSuccess();
    return testing::AssertionFailure()
           << testing::PrintToString(Decode(units)) << ": " << testing::PrintToString(forward)
           << " and backward " << testing::PrintToString(backward) << " instead of "
           << testing::PrintToString(icu);
}

// A sample of ASCII words and a number, a flag, an emoji sequence, Hangul syllables and jamo, a
// letter with two marks, Thai and Japanese, ending in a full stop.
const char* const kSample =
    "Caf\xC3\xA9 It's 3.5 km\xE2\x80\x94 \xF0\x9F\x87\xAB\xF0\x9F\x87\xB7 "
    "\xF0\x9F\x91\xA9\xE2\x80\x8D\xF0\x9F\x92\xBB \xEA\xB0\x80\xE1\x86\xA8 "
    "\xE1\x84\x80\xE1\x85\xA1\xE1\x86\xA8 e\xCC\x81\xCC\x81! Stra\xC3\x9F"
    "e \xE0\xB8\xAA\xE0\xB8\xA7\xE0\xB8\xB1\xE0\xB8\xAA\xE0\xB8\x94\xE0\xB8\xB5 "
    "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E\xE3\x81\xA7\xE3\x81\x99\xE3\x80\x82 Ok.";

// Every line of the four break test files, held to ICU's root rules (which tailor a few of the
// word and line files' boundaries), then all lines of each file joined into one text, and a
// sample of emoji, Hangul, Thai and Japanese: boundaries far from the start agree too.
TEST(TextSegmentation, RangesFollowTheBreakTestsAndIcu) {
    const Text mixed = Text::FromUTF8(kSample);
    EXPECT_EQ(*std::prev(mixed.Words().end()), mixed.View().substr(mixed.View().size() - 1));
    EXPECT_EQ(*std::prev(mixed.CodePoints().end()), U'.');
    for (const auto& [file, type] : {std::pair{"Grapheme", UBRK_CHARACTER},
                                     {"Word", UBRK_WORD},
                                     {"Sentence", UBRK_SENTENCE},
                                     {"Line", UBRK_LINE}}) {
        int lines = 0;
        UTF16String joined;
        ForEachRecord(std::string("auxiliary/") + file + "BreakTest.txt", ' ',
                      [&, file = file, type = type](const std::vector<std::string>& fields) {
                          UTF16String units;  // of the code points between the marks ÷ and ×
                          for (const std::string& field : fields)
                              if (std::isxdigit(static_cast<unsigned char>(field[0])))
                                  units += UnitsOfHex(field);
                          EXPECT_TRUE(WalksAsIcu(type, units)) << file;
                          joined += units + QUENDALTEXT_U(" "), ++lines;
                      });
        EXPECT_GT(lines, 100) << file;
        EXPECT_TRUE(WalksAsIcu(type, joined) && WalksAsIcu(type, UnitsOf(mixed))) << file;
    }
}

// Every text of up to three characters that the word rules tell apart in ASCII (and a letter, a
// mark and a space beyond it), and random texts over characters of every word break class: the
// word segments and flags are ICU's, forward and backward.
TEST(TextSegmentation, WordsOfShortTextsAreIcus) {
    const std::vector<std::uint32_t> alphabet = {
        'a', 'Z', '0', '9', '_', '.', '\'', ',', ';', ':', '@', ' ', '"', '!', '\r', '\n', 0x0B,
        '\t', 0xE9, 0x308, 0x3000,
        // a digit, ExtendNumLet, MidLetter, colon forms, MidNumLet, MidNum, ZWJ, a format
        // character, newlines, Hebrew, katakana, Han, Thai, an emoji, a regional indicator, a skin tone
        0x661, 0x203F, 0xB7, 0xFE55, 0xFF1A, 0x2019, 0xFF0C, 0x200D, 0xAD, 0x85, 0x2028, 0x5D0,
        0x30AB, 0x65E5, 0xE01, 0x1F600, 0x1F1EB, 0x1F3FD};
    std::vector<UTF16String> texts(1);
    for (std::size_t length = 1, from = 0; length <= 3; ++length) {
        const std::size_t to = texts.size();
        for (std::size_t i = from; i < to; ++i)
            for (std::size_t c = 0; c < 21; ++c) texts.push_back(texts[i] + ToUTF16({alphabet[c]}));
        from = to;
    }
    Generator generator{std::mt19937(29)};
    for (int round = 0; round < 30000; ++round) {
        CodePoints codePoints(std::size_t(1 + generator.Below(10)));
        for (std::uint32_t& c : codePoints)
            c = alphabet[std::size_t(generator.Below(int(alphabet.size())))];
        texts.push_back(ToUTF16(codePoints));
    }
    for (const UTF16String& units : texts) ASSERT_TRUE(WalksAsIcu(UBRK_WORD, units));
}

// ICU tailors the word rules for single code points (the colon, the commercial at), which the
// rule tests do not hold: every code point of the first plane and of the emoji blocks, alone and
// between letters, digits and marks, walks as ICU's.
TEST(TextSegmentation, WordsAroundEveryCodePointAreIcus) {
    for (std::uint32_t c = 0; c < 0x1FB00; ++c) {
        if ((c >= 0xD800 && c <= 0xDFFF) || (c > 0xFFFF && c < 0x1F000)) continue;
        for (const CodePoints& text : {CodePoints{c}, CodePoints{'a', c, 'b'},
                                       CodePoints{'1', c, '2'}, CodePoints{c, 0x301, 'a'}}) {
            ASSERT_TRUE(WalksAsIcu(UBRK_WORD, ToUTF16(text))) << std::hex << c;
        }
    }
}

// Code points forward, with the index of each, are the model's; backward they are the same
// reversed, unpaired surrogates included. Half the texts hold no surrogate, which a text walks
// unit by unit; a range over the same units as a view walks them as any units.
TEST(TextSegmentation, CodePointsWalkBackward) {
    Generator generator{std::mt19937(7)};
    for (int round = 0; round < 2000; ++round) {
        UTF16String units = generator.Units(round % 4 == 0 ? 80 : 12);
        if (round % 2 == 0)
            for (UTF16Unit& unit : units)
                unit = IsSurrogate(unit) ? UTF16Unit(0x4E00 + round) : unit;
        const Text text{UTF16StringView(units)};
        std::u32string model;
        std::vector<std::size_t> starts;
        for (const std::uint32_t c : Decode(units)) {
            starts.push_back(starts.empty() ? 0 : starts.back() + (model.back() > 0xFFFF ? 2 : 1));
            model += static_cast<char32_t>(c);
        }
        for (const QuendalText::CodePointRange& range :
             {text.CodePoints(), QuendalText::CodePointRange(text.View())}) {
            std::u32string forward;
            std::vector<std::size_t> indexes;
            for (auto it = range.begin(); it != range.end(); ++it)
                forward += *it, indexes.push_back(it.Index());
            ASSERT_EQ(forward, model);
            ASSERT_EQ(indexes, starts);
            EXPECT_EQ(range.end().Index(), units.size());
            const std::u32string backward(std::make_reverse_iterator(range.end()),
                                          std::make_reverse_iterator(range.begin()));
            EXPECT_EQ(std::u32string(backward.rbegin(), backward.rend()), model);
        }
    }
}

// Iterators of temporary ranges, copies walked apart and assignments between texts: each
// iterator walks alone, valid while the text lives.
TEST(TextSegmentation, IteratorsOutliveTheirRanges) {
    const Text text = Text::FromUTF8(kSample);
    EXPECT_EQ(Forward(text.View(), text.Graphemes().begin(), text.Graphemes().end()),
              IcuWalk(UBRK_CHARACTER, text.View()));
    EXPECT_EQ(Forward(text.View(), text.Words().begin(), text.Words().end()),
              IcuWalk(UBRK_WORD, text.View()));
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

// An iterator assigned anew walks the units it is given, also where they lie where those it walked
// before lay and are as long (an edit in place, another text in memory freed): it keeps nothing
// that it found in them before.
TEST(TextSegmentation, ReassignedIteratorsReadTheirUnitsAgain) {
    Text text = Text::FromUTF8("One. Two, Three, Four, Five. Six, Seven.");
    const UTF16Unit* const units = text.c_str();
    SegmentRange::Iterator sentence;
    for (std::size_t comma = 0; comma != UTF16StringView::npos;
         comma = text.View().find(QUENDALTEXT_U(','))) {
        if (comma != 0) text.Replace(Text(QUENDALTEXT_U(".")), int(comma), 1);
        const SegmentRange sentences = text.Sentences();
        const SegmentRange::Iterator first = sentences.begin();
        std::vector<std::size_t> ends;
        for (sentence = first; sentence != sentences.end(); ++sentence)
            ends.push_back(std::size_t((*sentence).data() - text.c_str()) + (*sentence).size());
        EXPECT_EQ(ends, IcuWalk(UBRK_SENTENCE, text.View()).first) << text;
    }
    ASSERT_EQ(text.c_str(), units);  // every edit was in place
}

// One const range of clusters and one of words, walked from four threads at once: every walk
// agrees with one thread's (and under ThreadSanitizer, no race).
TEST(TextSegmentation, ConstRangesWalkedFromFourThreads) {
    Text text;
    for (int i = 0; i < 50; ++i) text += kSample, text += " ";
    const GraphemeRange clusters = text.Graphemes();
    const SegmentRange words = text.Words();
    const Walk clusterWalk = Forward(text.View(), clusters), wordWalk = Forward(text.View(), words);
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
