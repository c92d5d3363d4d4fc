// Text from a module's string resources: whole strings of every length around the loader's
// buffer steps, the first NUL ends a string, nothing for a missing string or module.
#include "test_support.h"

namespace {
using namespace qt_test;

TEST(TextResource, LoadsWholeStringsAndNothingForMissingOnes) {
    const auto resource = [](std::size_t length) {  // no NUL, and different for every length
        std::mt19937 random(static_cast<unsigned>(length));
        UTF16String units(length, 0);
        for (UTF16Unit& unit : units) unit = UTF16Unit(1 + random() % 0xFFFF);
        return units;
    };
    QuendalText::StringTable table{
        {9001, nullptr}, {9002, QUENDALTEXT_U("one")}, {9002, QUENDALTEXT_U("two")}};
    UTF16String withNul(600, 'x');
    withNul[400] = 0;
    table.Set(9000, withNul);
    std::vector<std::pair<unsigned, UTF16String>> cases = {
        {9000, withNul.substr(0, 400)}, {9001, {}}, {9002, QUENDALTEXT_U("one")}, {99, {}}};
    for (const unsigned length : {0u, 1u, 254u, 255u, 256u, 300u, 511u, 512u, 5000u}) {
        table.Set(length + 1, resource(length));  // around the 256-unit buffer and its retries
        cases.push_back({length + 1, resource(length)});
    }
    Text reused(QUENDALTEXT_U("before"));
    reused.set_CaseSensitivity(false);
    reused.set_SearchForward(false);
    for (const auto& [id, units] : cases) {
        SCOPED_TRACE(testing::Message() << "id " << id);
        EXPECT_TRUE(Holds(Text(&table, id), units));
        reused.Load(&table, id);  // replaces the units, keeps the settings
        EXPECT_TRUE(Holds(reused, units, false, false));
    }
    EXPECT_TRUE(Holds(Text(QuendalText::ModuleHandle{}, 1), {}));
}

}  // namespace
