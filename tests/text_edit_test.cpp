// Character access and editing: the index raises and boundary cases. Generated edit sequences
// are checked against a model in text_model_test.cpp.
#include "test_support.h"

#include <climits>
#include <functional>
#include <stdexcept>

namespace {

using QuendalText::Char;
using QuendalText::Text;
using QuendalText::UTF16String;
using qt_test::Units;
using qt_test::UnitsOf;

TEST(TextEdit, IndexErrorsRaiseAtTheirSiteBeforeAnyChange) {
    const struct {
        const char* function;
        long line;
        const char* message;
        std::function<void(Text&, int)> call;
    } sites[] = {
        {"Text::get_CharacterAt", 752, "Invalid index", [](Text& t, int i) { t.get_CharacterAt(i); }},
        {"Text::operator[]", 813, "Invalid index", [](Text& t, int i) { t[i]; }},
        {"Text::set_CharacterAt", 740, "Invalid index", [](Text& t, int i) { t.set_CharacterAt(i, Char(u'X')); }},
        {"Text::RemoveAt", 765, "Invalid Index", [](Text& t, int i) { t.RemoveAt(i); }},
    };
    for (const UTF16String& units : {UTF16String(), UTF16String(u"ab"), Units({0xD83D, 0xDE00})}) {
        Text text(units);
        text.set_SearchForward(false);
        for (const auto& site : sites) {
            for (const int index : {-1, text.get_Length(), INT_MIN, INT_MAX}) {
                EXPECT_RAISES(site.call(text, index), std::out_of_range, site.function, site.line, site.message);
                EXPECT_EQ(UnitsOf(text), units);
                EXPECT_EQ(text.get_NumberOfCharacters(), Text(units).get_NumberOfCharacters());
                EXPECT_FALSE(text.IsSearchForward());
            }
        }
    }
}

TEST(TextEdit, BoundaryCases) {
    const Text pairAfterA(Units({0x41, 0xD83D, 0xDE00}));
    EXPECT_TRUE(pairAfterA[0] == Char(u'A'));
    EXPECT_EQ(UTF16String(pairAfterA.get_CharacterAt(2)), Units({0xFFFF, 0xFFFF}));  // half a pair

    Text text(u"ab");
    text.set_CharacterAt(1, Char(U'\U0001F600'));  // inserts before the index
    text.set_CharacterAt(0, Char());
    EXPECT_EQ(UnitsOf(text), Units({'a', 0xD83D, 0xDE00, 'b'}));
    EXPECT_EQ(&text.RemoveAt(1), &text);
    EXPECT_EQ(text.get_NumberOfCharacters(), -1);  // 0xDE00 now stands where a character begins

    // Bad starts fail with the standard string's own error, not with a raise of the library.
    Text abcd(u"abcd");
    try {
        abcd.Replace(Text(u"X"), -1, 1);
        ADD_FAILURE() << "Replace accepted a negative start";
    } catch (const std::out_of_range& failure) {
        EXPECT_EQ(dynamic_cast<const QuendalLog::Exception*>(&failure), nullptr);
    }
    EXPECT_THROW(abcd.SubString(5, 1), std::out_of_range);
    EXPECT_TRUE(abcd.SubString(4, 1).IsEmpty());
    EXPECT_EQ(UnitsOf(abcd.SubString(1, -1)), u"bcd");
    abcd.Replace(abcd, 2, 100);
    EXPECT_EQ(UnitsOf(abcd), u"ababcd");
    EXPECT_TRUE(abcd.Concatenate(abcd, 4, -1));
    EXPECT_FALSE(abcd.Concatenate(Text(u"xy"), 3, 1));
    EXPECT_EQ(UnitsOf(abcd), u"ababcdcd");

    Text x(u"x");
    x += static_cast<const QuendalText::UTF16Unit*>(nullptr);
    x += Char();
    x += Char(char(0x80));  // the invalid character: two U+FFFF units
    EXPECT_EQ(UnitsOf(x), Units({'x', 0xFFFF, 0xFFFF}));
    EXPECT_EQ(x.get_NumberOfCharacters(), 3);
}

TEST(TextEdit, CaseMappingTouchesOnlyAllAsciiTexts) {
    qt_test::LocaleGuard locale("C.UTF-8");  // where U+00E9 has an upper case
    Text text(Units({'a', 'b', 'C', '1', 0}));
    text.ToUpper();
    EXPECT_EQ(UnitsOf(text), Units({'A', 'B', 'C', '1', 0}));
    text.ToLower();
    EXPECT_EQ(UnitsOf(text), Units({'a', 'b', 'c', '1', 0}));
    EXPECT_EQ(text.get_NumberOfCharacters(), 5);
    Text accented(u"abc\u00E9");
    accented.ToUpper();
    EXPECT_EQ(UnitsOf(accented), u"abc\u00E9");
}

}  // namespace
