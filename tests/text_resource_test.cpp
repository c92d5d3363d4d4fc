#include "test_support.h"

#include <string>

using QuendalText::StringTable;
using QuendalText::Text;
using QuendalText::UTF16String;
using QuendalText::UTF16Unit;
using qt_test::Units;
using qt_test::UnitsOf;

namespace {

// A string of `length` units mixing ASCII, a two-byte letter and surrogate pairs, different for
// every length so that a cut or a stale buffer shows.
UTF16String ResourceString(std::size_t length) {
    UTF16String units;
    for (std::size_t i = 0; units.size() < length; ++i) {
        if (i % 7 == 3 && units.size() + 2 <= length) {
            units += Units({0xD83D, 0xDE00});
        } else {
            units.push_back(static_cast<UTF16Unit>(i % 5 == 0 ? 0xE9 : u'a' + (i + length) % 26));
        }
    }
    return units;
}

}  // namespace

TEST(TextResource, LoadsWholeStringsOfEveryLength) {
    const std::size_t lengths[] = {0, 1, 254, 255, 256, 300, 511, 512, 5000};
    StringTable table;
    for (std::size_t length : lengths) table.Set(static_cast<unsigned>(length) + 1, ResourceString(length));

    Text reused;
    reused.set_CaseSensitivity(false);
    for (std::size_t length : lengths) {
        SCOPED_TRACE(testing::Message() << length << " units");
        const unsigned id = static_cast<unsigned>(length) + 1;
        const UTF16String expected = ResourceString(length);
        const Text loaded(&table, id);
        EXPECT_EQ(UnitsOf(loaded), expected);
        EXPECT_EQ(loaded.get_NumberOfCharacters(), Text(expected).get_NumberOfCharacters());
        EXPECT_TRUE(loaded.IsCaseSensitive());
        EXPECT_TRUE(loaded.IsSearchForward());

        // Load replaces whatever the text held and keeps its settings.
        reused.Load(&table, id);
        EXPECT_EQ(UnitsOf(reused), expected);
        EXPECT_EQ(reused.get_NumberOfCharacters(), loaded.get_NumberOfCharacters());
        EXPECT_FALSE(reused.IsCaseSensitive());
        EXPECT_TRUE(reused.IsSearchForward());
    }
}

TEST(TextResource, MissingStringsGiveAnEmptyText) {
    const StringTable table{{1, u"Hello"}, {2, nullptr}};
    const QuendalText::ModuleHandle noModule = nullptr;
    for (const Text& text : {Text(&table, 99), Text(noModule, 1), Text(&table, 2)}) {
        EXPECT_TRUE(text.IsEmpty());
        EXPECT_EQ(text.get_NumberOfCharacters(), 0);
        EXPECT_EQ(text.c_str()[0], 0);
    }
    Text text(&table, 1);
    EXPECT_EQ(UnitsOf(text), UTF16String(u"Hello"));
    text.set_SearchForward(false);
    text.Load(&table, 99);
    EXPECT_TRUE(text.IsEmpty());
    EXPECT_EQ(text.get_NumberOfCharacters(), 0);
    EXPECT_FALSE(text.IsSearchForward());
    text.Load(noModule, 1);
    EXPECT_TRUE(text.IsEmpty());

    // A NUL inside a string ends the text there.
    StringTable withNul;
    UTF16String longWithNul = ResourceString(600);
    longWithNul[400] = 0;
    withNul.Set(5, longWithNul);
    EXPECT_EQ(UnitsOf(Text(&withNul, 5)), longWithNul.substr(0, 400));
}
