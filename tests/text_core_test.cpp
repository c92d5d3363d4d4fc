#include "test_support.h"

using QuendalText::Char;
using QuendalText::Text;
using QuendalText::UTF16String;
using QuendalText::UTF16Unit;
using QuendalText::UTF32Unit;
using qt_test::Units;
using qt_test::UnitsOf;

namespace {

void ExpectDefaultSettings(const Text& text) {
    EXPECT_TRUE(text.IsCaseSensitive());
    EXPECT_TRUE(text.IsSearchForward());
}

void ExpectUnitsAndCounts(const Text& text, const UTF16String& units, int characters) {
    EXPECT_EQ(UnitsOf(text), units);
    EXPECT_EQ(text.get_Length(), static_cast<int>(units.size()));
    EXPECT_EQ(text.get_NumberOfCharacters(), characters);
    EXPECT_EQ(text.IsEmpty(), units.empty());
    // c_str hands out the units themselves, followed by a NUL unit.
    EXPECT_EQ(text.c_str()[units.size()], 0);
}

Text WithBothSettingsOff(const UTF16String& units) {
    Text text(units);
    text.set_CaseSensitivity(false);
    text.set_SearchForward(false);
    return text;
}

}  // namespace

TEST(TextCore, EmptyConstruction) {
    for (const Text& text : {Text(), Text(static_cast<const UTF16Unit*>(nullptr))}) {
        EXPECT_TRUE(text.IsEmpty());
        EXPECT_EQ(text.get_Length(), 0);
        EXPECT_EQ(text.get_NumberOfCharacters(), 0);
        EXPECT_TRUE(text.IsCaseSensitive());
        EXPECT_TRUE(text.IsSearchForward());
        EXPECT_EQ(text.c_str()[0], 0);
    }
}

TEST(TextCore, UnitsAndCountsFromEachConstructor) {
    const UTF16String letterAndPair = Units({0x41, 0xD83D, 0xDE00});
    ExpectUnitsAndCounts(Text(letterAndPair), letterAndPair, 2);
    ExpectUnitsAndCounts(Text(letterAndPair.c_str()), letterAndPair, 2);
    ExpectUnitsAndCounts(Text(Units({0x41, 0xDC00})), Units({0x41, 0xDC00}), -1);
    ExpectUnitsAndCounts(Text(Units({0xDC00}).c_str()), Units({0xDC00}), -1);

    // A NUL-terminated array stops at its first NUL; a standard string keeps every unit.
    const UTF16String withNul = Units({'a', 'b', 0, 'c', 'd'});
    ExpectUnitsAndCounts(Text(withNul.c_str()), Units({'a', 'b'}), 2);
    ExpectUnitsAndCounts(Text(withNul), withNul, 5);
    ExpectUnitsAndCounts(Text(Units({0, 0, 0x41})), Units({0, 0, 0x41}), 1);
    ExpectUnitsAndCounts(Text(Units({0x41, 0})), Units({0x41, 0}), 2);
    // One NUL unit: not empty, yet no character.
    ExpectUnitsAndCounts(Text(Units({0})), Units({0}), 0);
    ExpectUnitsAndCounts(Text(Units({0}).c_str()), Units({}), 0);

    // From a Char: the units up to its first NUL.
    ExpectUnitsAndCounts(Text(Char()), Units({}), 0);
    ExpectUnitsAndCounts(Text(Char(static_cast<UTF16Unit>(0x41))), Units({0x41}), 1);
    ExpectUnitsAndCounts(Text(Char(static_cast<UTF32Unit>(0x1F600))), Units({0xD83D, 0xDE00}), 1);
    ExpectUnitsAndCounts(Text(Char(static_cast<UTF32Unit>(0xD800))), Units({0xD800}), 0);
    ExpectUnitsAndCounts(Text(Char(static_cast<char>(0x80))), Units({0xFFFF, 0xFFFF}), 2);

    for (const Text& text : {Text(letterAndPair), Text(letterAndPair.c_str()), Text(Char())}) {
        ExpectDefaultSettings(text);
    }
}

TEST(TextCore, SettingsTravelOnlyByCopyAndAssignment) {
    const UTF16String units = Units({0x41, 0, 0xD800});
    const Text source = WithBothSettingsOff(units);
    EXPECT_FALSE(source.IsCaseSensitive());
    EXPECT_FALSE(source.IsSearchForward());

    const Text copied(source);
    EXPECT_FALSE(copied.IsCaseSensitive());
    EXPECT_FALSE(copied.IsSearchForward());
    ExpectUnitsAndCounts(copied, units, source.get_NumberOfCharacters());

    Text assigned(Units({0x42, 0x43, 0x44, 0x45}));
    Text& result = (assigned = source);
    EXPECT_EQ(&result, &assigned);
    EXPECT_FALSE(assigned.IsCaseSensitive());
    EXPECT_FALSE(assigned.IsSearchForward());
    ExpectUnitsAndCounts(assigned, units, 2);

    // Assignment also turns settings back on.
    assigned = Text();
    ExpectDefaultSettings(assigned);
    ExpectUnitsAndCounts(assigned, Units({}), 0);

    // Self-assignment changes nothing.
    Text self = WithBothSettingsOff(units);
    const Text& alias = self;
    self = alias;
    EXPECT_FALSE(self.IsCaseSensitive());
    EXPECT_FALSE(self.IsSearchForward());
    ExpectUnitsAndCounts(self, units, 2);

    // A new Text from the same units starts with both settings on.
    ExpectDefaultSettings(Text(UnitsOf(source)));
    ExpectDefaultSettings(Text(source.c_str()));

    // The setters switch each setting on its own.
    Text toggled;
    toggled.set_SearchForward(false);
    EXPECT_TRUE(toggled.IsCaseSensitive());
    EXPECT_FALSE(toggled.IsSearchForward());
    toggled.set_CaseSensitivity(false);
    toggled.set_SearchForward(true);
    EXPECT_FALSE(toggled.IsCaseSensitive());
    EXPECT_TRUE(toggled.IsSearchForward());
}

TEST(TextCore, EmptyKeepsSettings) {
    Text text = WithBothSettingsOff(Units({0x41, 0xD83D, 0xDE00, 0}));
    text.Empty();
    ExpectUnitsAndCounts(text, Units({}), 0);
    EXPECT_FALSE(text.IsCaseSensitive());
    EXPECT_FALSE(text.IsSearchForward());

    // Also from a text whose count was -1.
    Text malformed(Units({0xDC00, 0x41}));
    malformed.Empty();
    ExpectUnitsAndCounts(malformed, Units({}), 0);
    ExpectDefaultSettings(malformed);
}

TEST(TextCore, CStrIsTheContentItself) {
    const Text text(Units({0x41, 0, 0x42}));
    const UTF16Unit* units = text.c_str();
    EXPECT_EQ(units, text.c_str()) << "no copy per call";
    EXPECT_EQ(UTF16String(units, 3), Units({0x41, 0, 0x42}));
    EXPECT_EQ(units[3], 0);
    // A copy has units of its own.
    const Text copied(text);
    EXPECT_NE(copied.c_str(), units);
    EXPECT_EQ(UnitsOf(copied), UnitsOf(text));
}

TEST(TextCore, IsAscii) {
    EXPECT_TRUE(Text().IsAscii());
    EXPECT_TRUE(Text(Units({0})).IsAscii());
    // Every unit on its own, and in the middle of ASCII neighbours.
    for (unsigned unit = 0; unit <= 0xFFFF; ++unit) {
        const bool ascii = unit <= 0x7F;
        ASSERT_EQ(Text(Units({unit})).IsAscii(), ascii) << unit;
        ASSERT_EQ(Text(Units({0x41, unit, 0x7F})).IsAscii(), ascii) << unit;
    }
    // The whole content is read, NUL units included.
    EXPECT_FALSE(Text(Units({0x41, 0, 0x80})).IsAscii());
}
