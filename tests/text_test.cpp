// The Text core: the count rule pinned by hand, the empty texts, settings through copying,
// moving, assignment and emptying; IsAscii over every unit.
#include "test_support.h"

#include <tuple>

namespace {
using namespace qt_test;

// The reference count's reading of the rule, pinned by hand, and the library's agreeing (every
// other test holds the library's counts to the reference).
TEST(Text, CountRuleNamedCases) {
    const std::tuple<const char*, UTF16String, int> rows[] = {
        {"low after counted text", Units({'A', 0xD83D, 0xDE00, 'C', 0xDFFF}), -1},
        {"high takes a high, then a low begins", Units({0xD800, 0xD800, 0xDC00}), -1},
        {"high at the end", Units({'A', 0xD800}), 1},
        {"leading NULs, then NULs count", Units({0, 0, 'A', 0}), 2},
        {"NULs after a lone high", Units({0xD800, 0, 0}), 0},
    };
    for (const auto& [name, units, count] : rows) {
        EXPECT_EQ(ReferenceCount(units), count) << name;
        EXPECT_EQ(Text(units).get_NumberOfCharacters(), count) << name;
    }
}

// The other constructors meet generated units and characters in the edit model's test.
TEST(Text, EmptyConstructorsAndIsAscii) {
    EXPECT_TRUE(Holds(Text(), {}) && Holds(Text(static_cast<const UTF16Unit*>(nullptr)), {}));
    EXPECT_TRUE(Text().IsAscii());
    for (std::uint32_t unit = 0; unit <= 0xFFFF; ++unit)  // NULs do not end the reading
        ASSERT_EQ(Text(Units({'A', 0, unit})).IsAscii(), unit <= 0x7F) << unit;
}

TEST(Text, SettingsTravelOnlyByCopyMoveAndAssignment) {
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
    Text moved(std::move(target));  // the source is left a valid empty text, its settings kept
    EXPECT_TRUE(Holds(moved, units, false, false) && Holds(target, {}, false, false));
    source = Text(Units({'x'}));
    source = std::move(moved);
    EXPECT_TRUE(Holds(source, units, false, false) && Holds(moved, {}, false, false));
    target.Empty();
    EXPECT_TRUE(Holds(target, {}, false, false)) << "emptied";
    target = Text(Units({0xDC00}));
    target.set_SearchForward(false);
    EXPECT_TRUE(Holds(target, Units({0xDC00}), true, false)) << "malformed, direction set";
    target.Empty();
    EXPECT_TRUE(Holds(target, {}, true, false)) << "malformed text emptied";
}

}  // namespace
