// The Text core: units, counts and settings through each plain constructor, copying, assignment
// and emptying; IsAscii over every unit.
#include "test_support.h"

#include <tuple>

namespace {
using namespace qt_test;

TEST(Text, EachConstructorKeepsItsUnitsAndCountsThem) {
    const std::tuple<const char*, Text, UTF16String> rows[] = {
        {"default", Text(), {}},
        {"null units", Text(static_cast<const UTF16Unit*>(nullptr)), {}},
        {"units stop at a NUL", Text(Units({'a', 0xDC00, 0, 'c'}).c_str()), Units({'a', 0xDC00})},
        {"a string keeps its NULs", Text(Units({0, 'a', 0, 0xD800})), Units({0, 'a', 0, 0xD800})},
        {"default Char", Text(Char()), {}},
        {"pair Char", Text(Char(0x1F600)), Units({0xD83D, 0xDE00})},
        {"lone surrogate Char", Text(Char(0xD800)), Units({0xD800})},
        {"invalid Char", Text(Char('\x80')), Units({0xFFFF, 0xFFFF})},
    };
    for (const auto& [name, text, units] : rows) EXPECT_TRUE(Holds(text, units)) << name;
    EXPECT_TRUE(Text().IsAscii());
    for (std::uint32_t unit = 0; unit <= 0xFFFF; ++unit)  // NULs do not end the reading
        ASSERT_EQ(Text(Units({'A', 0, unit})).IsAscii(), unit <= 0x7F) << unit;
}

TEST(Text, SettingsTravelOnlyByCopyAndAssignment) {
    const UTF16String units = Units({'A', 0, 0xD800});
    Text source(units), target(Units({'B', 'C', 'D'}));
    source.set_CaseSensitivity(false);
    source.set_SearchForward(false);
    EXPECT_TRUE(Holds(source, units, false, false));
    EXPECT_TRUE(Holds(Text(source), units, false, false));
    EXPECT_TRUE(Holds(Text(UnitsOf(source)), units)) << "a new text of the same units";
    EXPECT_EQ(&(target = source), &target);
    EXPECT_TRUE(Holds(target, units, false, false));
    target = static_cast<const Text&>(target);
    EXPECT_TRUE(Holds(target, units, false, false)) << "self-assigned";
    target.Empty();
    EXPECT_TRUE(Holds(target, {}, false, false)) << "emptied";
    target = Text(Units({0xDC00}));
    target.set_SearchForward(false);
    EXPECT_TRUE(Holds(target, Units({0xDC00}), true, false)) << "malformed, direction set";
    target.Empty();
    EXPECT_TRUE(Holds(target, {}, true, false)) << "malformed text emptied";
}

}  // namespace
