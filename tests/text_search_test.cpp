// Searching and comparison of Text: boundary cases of each search, the character search at
// unpaired surrogates, Remove, token loops and comparison. Generated cases against a model are
// in text_model_test.cpp.
#include "test_support.h"

#include <vector>

namespace {

using QuendalText::Char;
using QuendalText::Text;
using QuendalText::UTF16String;
using qt_test::Units;
using qt_test::UnitsOf;

const Char kSmiley(U'\U0001F600');  // the pair 0xD83D 0xDE00

int FindIn(const UTF16String& units, const Char& c, bool forward) {
    Text text(units);
    text.set_SearchForward(forward);
    return text.FindCharacter(c);
}

TEST(TextSearch, StringAndUnitSetSearches) {
    const Text hello(u"hello"), lo(u"lo"), none;
    EXPECT_EQ(hello.FindString(lo), 3);
    EXPECT_EQ(hello.FindString(lo, 4), -1);
    EXPECT_EQ(hello.FindString(none), 0);
    EXPECT_EQ(hello.FindString(none, 5), 5);
    EXPECT_EQ(hello.FindString(none, 6), -1);

    const Text list(u"a;b,c"), separators(u",;"), spaced(u"  x"), space(u" ");
    EXPECT_EQ(list.FindFromCharacterSet(separators, 0), 1);
    EXPECT_EQ(list.FindFromCharacterSet(separators, 2), 3);
    EXPECT_EQ(spaced.FindNotFromCharacterSet(space, 0), 2);
    EXPECT_EQ(list.FindFromCharacterSet(none, 0), -1);
    EXPECT_EQ(list.FindNotFromCharacterSet(none, 4), 4);
    EXPECT_EQ(list.FindNotFromCharacterSet(none, 5), -1);
    for (const int negative : {-1, -100}) {
        EXPECT_EQ(hello.FindString(none, negative), -1);
        EXPECT_EQ(list.FindFromCharacterSet(separators, negative), -1);
        EXPECT_EQ(list.FindNotFromCharacterSet(separators, negative), -1);
    }
}

TEST(TextSearch, CharacterSearchStepsOverPairsInBothDirections) {
    for (const bool forward : {true, false}) {
        SCOPED_TRACE(forward ? "forward" : "backward");
        EXPECT_EQ(FindIn(u"ABA", Char(u'A'), forward), forward ? 0 : 2);
        EXPECT_EQ(FindIn(u"", Char(u'A'), forward), -1);
        const UTF16String pairThenA = Units({0xD83D, 0xDE00, 'A'});
        EXPECT_EQ(FindIn(pairThenA, Char(u'A'), forward), 2);
        EXPECT_EQ(FindIn(pairThenA, kSmiley, forward), 0);
        EXPECT_EQ(FindIn(pairThenA, Char(char16_t{0xD83D}), forward), -1);
        EXPECT_EQ(FindIn(Units({'b', 0xFFFF}), Char(char(0x80)), forward), 1);  // the invalid character
        // A surrogate unit is read with the neighbour in the direction of travel, whatever it is.
        EXPECT_EQ(FindIn(Units({0xD83D, 'A'}), Char(u'A'), forward), forward ? -1 : 1);
        EXPECT_EQ(FindIn(Units({'A', 0xDE00}), Char(u'A'), forward), forward ? 0 : -1);
    }
    // A surrogate unit without a partner inside the text matches nothing; the text's terminating
    // NUL would pair 0xD83D into U+11800.
    EXPECT_EQ(FindIn(Units({0xD83D}), Char(U'\U00011800'), true), -1);
    EXPECT_EQ(FindIn(Units({0xDE00, 'b'}), Char(u'b'), false), 1);
    EXPECT_EQ(FindIn(Units({0xDE00}), kSmiley, false), -1);
}

TEST(TextSearch, RemoveErasesEveryOccurrenceAndKeepsTheDirection) {
    for (const bool forward : {true, false}) {
        const auto removed = [forward](const UTF16String& units, const Char& c) {
            Text text(units);
            text.set_SearchForward(forward);
            Text& result = text.Remove(c);
            EXPECT_EQ(&result, &text);
            EXPECT_EQ(text.IsSearchForward(), forward);
            return text;
        };
        EXPECT_EQ(UnitsOf(removed(u"banana", Char(u'a'))), u"bnn");
        EXPECT_EQ(UnitsOf(removed(u"banana", Char(u'x'))), u"banana");
        const UTF16String pairs = Units({0xD83D, 0xDE00, 'A', 0xD83D, 0xDE00});
        const Text smileyGone = removed(pairs, kSmiley);
        EXPECT_EQ(UnitsOf(smileyGone), u"A");
        EXPECT_EQ(smileyGone.get_NumberOfCharacters(), 1);
        EXPECT_EQ(UnitsOf(removed(pairs, Char(u'A'))), Units({0xD83D, 0xDE00, 0xD83D, 0xDE00}));
        // The search pairs a surrogate unit with its neighbour in the direction of travel, so
        // nested halves never form a pair, and a malformed text may differ by direction.
        const UTF16String nested = Units({0xD83D, 0xD83D, 0xDE00, 0xDE00});
        EXPECT_EQ(UnitsOf(removed(nested, kSmiley)), nested);
        EXPECT_EQ(UnitsOf(removed(Units({0xDE00, 'a'}), Char(u'a'))), forward ? Units({0xDE00, 'a'}) : Units({0xDE00}));
    }
}

TEST(TextSearch, TokensFromDelimiterToDelimiter) {
    const Text delimiters(u" ,");
    const struct {
        const char16_t* text;
        std::vector<UTF16String> tokens;
    } rows[] = {{u"a,b", {u"a", u"b"}},
                {u" x", {u"x"}},
                {u", one,,two three ,", {u"one", u"two", u"three"}},
                {u",, ", {}},
                {u"", {}}};
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << "text of " << UTF16String(row.text).size() << " units");
        const Text text(row.text);
        std::vector<UTF16String> tokens;
        int position = 0;
        for (Text token = text.FindToken(delimiters, &position); !token.IsEmpty();
             token = text.FindToken(delimiters, &position)) {
            tokens.push_back(UnitsOf(token));
            EXPECT_TRUE(token.IsCaseSensitive() && token.IsSearchForward());
            ASSERT_LE(tokens.size(), row.tokens.size());
        }
        EXPECT_EQ(tokens, row.tokens);
        EXPECT_EQ(position, text.get_Length());
    }
    const Text text(u"ab,cd");
    int position = 1;
    EXPECT_EQ(UnitsOf(text.FindToken(delimiters, &position)), u"b");  // the rest of a token
    EXPECT_EQ(position, 2);
    for (const int outside : {-1, 6, 100}) {
        position = outside;
        EXPECT_TRUE(text.FindToken(delimiters, &position).IsEmpty());
        EXPECT_EQ(position, 5);
    }
    EXPECT_TRUE(text.FindToken(delimiters, nullptr).IsEmpty());
    // A surrogate unit reads as the invalid character: it ends a token only at a U+FFFF delimiter.
    const Text pairs(Units({'a', 0xD83D, 0xDE00, 'b'}));
    position = 0;
    EXPECT_EQ(pairs.FindToken(delimiters, &position).get_Length(), 4);
    position = 0;
    EXPECT_EQ(UnitsOf(pairs.FindToken(Text(Units({0xFFFF})), &position)), u"a");
}

TEST(TextSearch, CompareAndRelationalOperators) {
    const auto compare = [](const char16_t* left, const char16_t* right, int count, bool caseSensitive) {
        Text text(left);
        text.set_CaseSensitivity(caseSensitive);
        return text.Compare(Text(right), count);
    };
    for (const bool sensitive : {true, false}) {
        EXPECT_EQ(compare(u"abc", u"abd", 2, sensitive), 0);
        EXPECT_EQ(compare(u"abc", u"abd", 3, sensitive), -1);
        EXPECT_EQ(compare(u"ab", u"abc", -1, sensitive), -1);
        EXPECT_EQ(compare(u"abc", u"ab", -1, sensitive), 1);
        EXPECT_EQ(compare(u"", u"", -1, sensitive), 0);
        EXPECT_EQ(compare(u"abc", u"xyz", 0, sensitive), 0);
    }
    EXPECT_EQ(compare(u"AB", u"ab", -1, true), -1);
    EXPECT_EQ(compare(u"AB", u"ab", -1, false), 0);
    EXPECT_EQ(compare(u"a", u"b", -5, true), -1);
    EXPECT_EQ(compare(u"a", u"b", -5, false), 0);
    // Case ignored: surrogate units read as U+FFFF, after every other unit.
    EXPECT_EQ(Text(Units({0xD83D})).Compare(Text(Units({0xFFFF})), -1), -1);
    Text ignoring(Units({0xD83D}));
    ignoring.set_CaseSensitivity(false);
    EXPECT_EQ(ignoring.Compare(Text(Units({0xFFFF})), -1), 0);
    EXPECT_EQ(ignoring.Compare(Text(u"\uFFFE"), -1), 1);

    const Text ab(u"ab"), abc(u"abc"), b(u"b");
    EXPECT_TRUE(ab < abc && ab <= abc && abc > ab && abc >= ab && ab != abc);
    EXPECT_FALSE(b < abc || b <= abc);
    Text other(u"AB");
    other.set_CaseSensitivity(false);
    EXPECT_FALSE(other == ab);
    other = ab;
    other.set_SearchForward(false);
    EXPECT_TRUE(other == ab && !(other != ab));
}

}  // namespace
