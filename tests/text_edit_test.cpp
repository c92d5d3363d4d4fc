// Character access and editing of Text: the index raises, and the boundary cases of each
// operation. Generated sequences of edits are checked against a model in text_model_test.cpp.
#include "test_support.h"

#include <climits>
#include <functional>
#include <stdexcept>

namespace {

using QuendalText::Char;
using QuendalText::Text;
using QuendalText::UTF16String;
using QuendalText::UTF32Unit;
using qt_test::Units;
using qt_test::UnitsOf;

const Char kInvalid(char(0x80));

// Two texts agree in units, cached counts and settings.
void ExpectSame(const Text& actual, const Text& expected) {
    EXPECT_EQ(UnitsOf(actual), UnitsOf(expected));
    EXPECT_EQ(actual.get_Length(), expected.get_Length());
    EXPECT_EQ(actual.get_NumberOfCharacters(), expected.get_NumberOfCharacters());
    EXPECT_EQ(actual.IsCaseSensitive(), expected.IsCaseSensitive());
    EXPECT_EQ(actual.IsSearchForward(), expected.IsSearchForward());
}

TEST(TextEdit, IndexErrorsRaiseAtTheirSiteBeforeAnyChange) {
    struct Site {
        const char* function;
        long line;
        const char* message;
        std::function<void(Text&, int)> call;
    };
    const Site sites[] = {
        {"Text::get_CharacterAt", 752, "Invalid index", [](Text& t, int i) { t.get_CharacterAt(i); }},
        {"Text::operator[]", 813, "Invalid index", [](Text& t, int i) { t[i]; }},
        {"Text::set_CharacterAt", 740, "Invalid index", [](Text& t, int i) { t.set_CharacterAt(i, Char(u'X')); }},
        {"Text::RemoveAt", 765, "Invalid Index", [](Text& t, int i) { t.RemoveAt(i); }},
    };
    for (const UTF16String& units : {UTF16String(), UTF16String(u"ab"), Units({0xD83D, 0xDE00})}) {
        Text text(units);
        text.set_CaseSensitivity(false);
        const Text before = text;
        const int length = text.get_Length();
        for (const Site& site : sites) {
            for (const int index : {-1, length, length + 1, INT_MIN, INT_MAX}) {
                EXPECT_RAISES(site.call(text, index), std::out_of_range, site.function, site.line, site.message);
                ExpectSame(text, before);
            }
        }
    }
    // The same failure is a logic error, not a runtime error.
    Text ab(u"ab");
    EXPECT_THROW(try { ab.get_CharacterAt(-1); } catch (const std::runtime_error&) {}, std::logic_error);
}

TEST(TextEdit, ReadingAndInsertingTakeOneUnitAtTheIndex) {
    const Text text(Units({0x41, 0xD83D, 0xDE00}));
    EXPECT_TRUE(text.get_CharacterAt(0) == Char(u'A'));
    EXPECT_TRUE(text[0] == Char(u'A'));
    for (const int index : {1, 2}) {
        EXPECT_EQ(UTF16String(text.get_CharacterAt(index)), Units({0xFFFF, 0xFFFF}));
        EXPECT_EQ(UTF16String(text[index]), Units({0xFFFF, 0xFFFF}));
    }

    const auto inserted = [](int index, const Char& c) {
        Text t(u"ab");
        t.set_SearchForward(false);
        t.set_CharacterAt(index, c);
        EXPECT_FALSE(t.IsSearchForward());
        return UnitsOf(t);
    };
    EXPECT_EQ(inserted(0, Char(u'X')), u"Xab");
    EXPECT_EQ(inserted(1, Char(u'X')), u"aXb");
    EXPECT_EQ(inserted(1, Char()), u"ab");
    EXPECT_EQ(inserted(1, Char(U'\U0001F600')), Units({'a', 0xD83D, 0xDE00, 'b'}));

    Text abc(u"abc");
    EXPECT_EQ(&abc.RemoveAt(1), &abc);
    EXPECT_EQ(UnitsOf(abc), u"ac");
    Text pair(Units({0xD83D, 0xDE00}));
    EXPECT_EQ(pair.RemoveAt(0).get_NumberOfCharacters(), -1);
    Text pair2(Units({0xD83D, 0xDE00}));
    EXPECT_EQ(pair2.RemoveAt(1).get_NumberOfCharacters(), 0);
    EXPECT_EQ(UnitsOf(pair2), Units({0xD83D}));
}

TEST(TextEdit, ReplaceSubStringAndConcatenateUseUnsignedPositions) {
    struct Row {
        int start, count;
        const char16_t* replaced;  // null: std::out_of_range
        const char16_t* piece;
    };
    const Row rows[] = {{1, 2, u"aXYZd", u"bc"}, {4, 0, u"abcdXYZ", u""}, {2, 100, u"abXYZ", u"cd"},
                        {1, -1, u"aXYZ", u"bcd"}, {0, 0, u"XYZabcd", u""}, {5, 1, nullptr, nullptr},
                        {-1, 1, nullptr, nullptr}};
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << "start " << row.start << " count " << row.count);
        Text text(u"abcd");
        text.set_SearchForward(false);
        const Text before = text;
        if (row.replaced == nullptr) {
            // The standard string's own error, not a raise of the library.
            EXPECT_THROW(text.Replace(Text(u"XYZ"), row.start, row.count), std::out_of_range);
            try {
                text.SubString(row.start, row.count);
                ADD_FAILURE() << "SubString accepted the start";
            } catch (const std::out_of_range& failure) {
                EXPECT_EQ(dynamic_cast<const QuendalLog::Exception*>(&failure), nullptr);
            }
            Text x(u"x");
            EXPECT_FALSE(x.Concatenate(text, row.start, row.count));
            EXPECT_EQ(UnitsOf(x), u"x");
            ExpectSame(text, before);
            continue;
        }
        const Text piece = text.SubString(row.start, row.count);
        EXPECT_EQ(UnitsOf(piece), row.piece);
        EXPECT_FALSE(!piece.IsSearchForward() || !piece.IsCaseSensitive());
        Text x(u"x");
        EXPECT_TRUE(x.Concatenate(text, row.start, row.count));
        EXPECT_EQ(UnitsOf(x), UTF16String(u"x") + row.piece);
        text.Replace(Text(u"XYZ"), row.start, row.count);
        EXPECT_EQ(UnitsOf(text), row.replaced);
        EXPECT_FALSE(text.IsSearchForward());
    }
    Text self(u"ab");
    self.Replace(self, 1, 0);
    EXPECT_EQ(UnitsOf(self), u"aabb");
    EXPECT_TRUE(self.Concatenate(self, 0, -1));
    EXPECT_EQ(UnitsOf(self), u"aabbaabb");
}

TEST(TextEdit, AppendingAndJoining) {
    Text text(u"ab");
    text.set_CaseSensitivity(false);
    text += static_cast<const QuendalText::UTF16Unit*>(nullptr);
    text += Char();
    EXPECT_EQ(UnitsOf(text), u"ab");
    text += kInvalid;
    EXPECT_EQ(text.get_NumberOfCharacters(), 4);
    text += text;
    EXPECT_EQ(UnitsOf(text), Units({'a', 'b', 0xFFFF, 0xFFFF, 'a', 'b', 0xFFFF, 0xFFFF}));
    EXPECT_FALSE(text.IsCaseSensitive());

    // An append completes a pair left open by the text before it.
    Text open(Units({'a', 0xD83D}));
    open += Units({0xDE00}).c_str();
    EXPECT_EQ(open.get_NumberOfCharacters(), 2);

    const Text left = text;
    const Text joined = left + Text(u"z");
    const Text withChar = left + Char(U'\U0001F600');
    ExpectSame(left, text);
    EXPECT_EQ(UnitsOf(joined), UnitsOf(left) + u"z");
    EXPECT_EQ(withChar.get_Length(), left.get_Length() + 2);
    for (const Text& built : {joined, withChar}) EXPECT_TRUE(built.IsCaseSensitive() && built.IsSearchForward());
}

TEST(TextEdit, CaseMappingTouchesOnlyAllAsciiTexts) {
    qt_test::LocaleGuard locale("C.UTF-8");  // é has an upper case here
    Text text(u"abc1");
    text.ToUpper();
    EXPECT_EQ(UnitsOf(text), u"ABC1");
    text.ToLower();
    EXPECT_EQ(UnitsOf(text), u"abc1");
    Text accented(u"abc\u00E9");
    accented.ToUpper();
    EXPECT_EQ(UnitsOf(accented), u"abc\u00E9");
    Text withNul(Units({0, 'A'}));
    withNul.ToLower();
    EXPECT_EQ(UnitsOf(withNul), Units({0, 'a'}));
    EXPECT_EQ(withNul.get_NumberOfCharacters(), 1);
}

}  // namespace
