// Searching and comparison: boundary cases and token loops. Generated cases are checked
// against a model in text_model_test.cpp.
#include "test_support.h"

#include <iterator>
#include <vector>

namespace {

using QuendalText::Char;
using QuendalText::Text;
using QuendalText::UTF16String;
using qt_test::Units;
using qt_test::UnitsOf;

const Char kSmiley(U'\U0001F600');  // the pair 0xD83D 0xDE00
const UTF16String kPairThenA = Units({0xD83D, 0xDE00, 'A'});

Text WithSettings(const UTF16String& units, bool forward, bool caseSensitive = true) {
    Text text(units);
    text.set_SearchForward(forward);
    text.set_CaseSensitivity(caseSensitive);
    return text;
}

TEST(TextSearch, BoundaryCases) {
    const Text hello(u"hello"), lo(u"lo"), none, list(u"a;b,c"), separators(u",;");
    const auto find = [](const UTF16String& units, const Char& c, bool forward) {
        return WithSettings(units, forward).FindCharacter(c);
    };
    const auto compare = [](const UTF16String& left, const UTF16String& right, int count, bool caseSensitive) {
        return WithSettings(left, true, caseSensitive).Compare(Text(right), count);
    };
    const int rows[][2] = {
        {hello.FindString(lo), 3}, {hello.FindString(lo, 4), -1}, {hello.FindString(none), 0},
        {hello.FindString(none, 5), 5}, {hello.FindString(none, 6), -1}, {hello.FindString(none, -1), -1},
        {list.FindFromCharacterSet(separators, 2), 3}, {list.FindFromCharacterSet(none, 0), -1},
        {list.FindNotFromCharacterSet(none, 4), 4}, {list.FindNotFromCharacterSet(none, 5), -1},
        {list.FindNotFromCharacterSet(separators, -1), -1}, {list.FindFromCharacterSet(separators, -1), -1},
        {find(u"ABA", Char(u'A'), true), 0}, {find(u"ABA", Char(u'A'), false), 2}, {find(u"", Char(u'A'), false), -1},
        {find(kPairThenA, Char(u'A'), false), 2}, {find(kPairThenA, kSmiley, false), 0},
        {find(kPairThenA, Char(char16_t{0xD83D}), true), -1}, {find(Units({'b', 0xFFFF}), Char(char(0x80)), true), 1},
        // A surrogate unit pairs with its neighbour in the direction of travel, never with the
        // terminating NUL (0xD83D, 0 would decode to U+11800).
        {find(Units({0xD83D, 'A'}), Char(u'A'), true), -1}, {find(Units({0xD83D, 'A'}), Char(u'A'), false), 1},
        {find(Units({0xD83D}), Char(U'\U00011800'), true), -1}, {find(Units({0xDE00}), kSmiley, false), -1},
        {compare(u"AB", u"ab", -1, true), -1}, {compare(u"AB", u"ab", -1, false), 0},
        {compare(u"abc", u"abd", 2, true), 0}, {compare(u"abc", u"abd", 2, false), 0},
        {compare(u"ab", u"abc", -1, true), -1}, {compare(u"ab", u"abc", -1, false), -1},
        {compare(u"", u"", -1, false), 0}, {compare(u"abc", u"xyz", 0, true), 0}, {compare(u"a", u"b", -5, false), 0},
        {compare(u"a", u"b", -5, true), -1}, {compare(Units({0xD83D}), Units({0xFFFF}), -1, false), 0},
    };
    for (std::size_t row = 0; row < std::size(rows); ++row) EXPECT_EQ(rows[row][0], rows[row][1]) << "row " << row;

    const Text ab(u"ab"), abc(u"abc"), b(u"b");
    EXPECT_TRUE(ab < abc && ab <= abc && abc > ab && abc >= ab && ab != abc && !(b < abc));
    EXPECT_TRUE(WithSettings(u"ab", false, false) == ab && !(Text(u"AB") == ab));

    for (const bool forward : {true, false}) {
        Text banana = WithSettings(u"banana", forward);
        EXPECT_EQ(UnitsOf(banana.Remove(Char(u'x'))), u"banana");
        EXPECT_EQ(UnitsOf(banana.Remove(Char(u'a'))), u"bnn");
        EXPECT_EQ(banana.IsSearchForward(), forward);
        const UTF16String pairs = Units({0xD83D, 0xDE00, 'A', 0xD83D, 0xDE00});
        EXPECT_EQ(UnitsOf(WithSettings(pairs, forward).Remove(kSmiley)), u"A");
        EXPECT_EQ(UnitsOf(WithSettings(pairs, forward).Remove(Char(u'A'))), Units({0xD83D, 0xDE00, 0xD83D, 0xDE00}));
        // Nested halves never form a pair; a malformed text may differ by direction.
        const UTF16String nested = Units({0xD83D, 0xD83D, 0xDE00, 0xDE00});
        EXPECT_EQ(UnitsOf(WithSettings(nested, forward).Remove(kSmiley)), nested);
        EXPECT_EQ(WithSettings(Units({0xDE00, 'a'}), forward).Remove(Char(u'a')).get_Length(), forward ? 2 : 1);
    }
}

TEST(TextSearch, TokenLoopsEndWithAnEmptyTokenAtTheLength) {
    const Text delimiters(u" ,");
    const std::vector<std::vector<UTF16String>> expected = {{u"a", u"b"}, {u"x"}, {u"one", u"two", u"three"}, {}, {}};
    const char16_t* const texts[] = {u"a,b", u" x", u", one,,two three ,", u",, ", u""};
    for (std::size_t row = 0; row < std::size(texts); ++row) {
        const Text text(texts[row]);
        std::vector<UTF16String> tokens;
        int position = 0;
        for (Text token; !(token = text.FindToken(delimiters, &position)).IsEmpty() && tokens.size() < 9;) {
            tokens.push_back(UnitsOf(token));
        }
        EXPECT_EQ(tokens, expected[row]) << "row " << row;
        EXPECT_EQ(position, text.get_Length());
    }
    const Text text(u"ab,cd");
    const struct {
        int from;
        const char16_t* token;
        int after;
    } starts[] = {{1, u"b", 2}, {-1, u"", 5}, {6, u"", 5}, {100, u"", 5}};
    for (const auto& start : starts) {
        int position = start.from;
        EXPECT_EQ(UnitsOf(text.FindToken(delimiters, &position)), start.token);
        EXPECT_EQ(position, start.after);
    }
    EXPECT_TRUE(text.FindToken(delimiters, nullptr).IsEmpty());
    // A surrogate unit reads as the invalid character: it ends a token only at a U+FFFF delimiter.
    const Text pairs(Units({'a', 0xD83D, 0xDE00, 'b'}));
    int position = 0;
    EXPECT_EQ(pairs.FindToken(delimiters, &position).get_Length(), 4);
    position = 0;
    EXPECT_EQ(UnitsOf(pairs.FindToken(Text(Units({0xFFFF})), &position)), u"a");
}

}  // namespace
