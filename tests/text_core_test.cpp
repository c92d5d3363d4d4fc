// The Text core: units, counts and settings through construction, copying and emptying; the
// character-count rule and the shortcut for appends against a reference that first cuts the
// units into characters and then counts.
#include "test_support.h"

#include "internal/character_count.h"

#include <cstddef>
#include <random>
#include <utility>
#include <vector>

using qt_test::Units;
using qt_test::UnitsOf;
using QuendalText::Char;
using QuendalText::Text;
using QuendalText::UTF16String;
using QuendalText::UTF16Unit;

namespace {

bool IsHigh(UTF16Unit unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLow(UTF16Unit unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

struct ReferenceResult {
    int count;
    bool endsOpen;  // the last piece is a lone high surrogate that would take the next unit
};

// A high surrogate takes the unit after it (if any), whatever that is; every other unit stands
// alone. A piece counts when it is a proper pair, or a non-surrogate unit other than a NUL ahead
// of everything counted; a piece that begins with a low surrogate spoils the whole text.
ReferenceResult Reference(const UTF16String& units) {
    std::vector<UTF16String> pieces;
    for (std::size_t i = 0; i < units.size();) {
        const std::size_t width = IsHigh(units[i]) && i + 1 < units.size() ? 2 : 1;
        pieces.push_back(units.substr(i, width));
        i += width;
    }
    int count = 0;
    bool malformed = false;
    for (const UTF16String& piece : pieces) {
        malformed = malformed || IsLow(piece[0]);
        const bool pair = piece.size() == 2 && IsLow(piece[1]);
        if (pair || (!IsHigh(piece[0]) && (piece[0] != 0 || count > 0))) ++count;
    }
    const bool open = !pieces.empty() && pieces.back().size() == 1 && IsHigh(pieces.back()[0]);
    return {malformed ? -1 : count, open};
}

void ExpectText(const char* name, const Text& text, const UTF16String& units,
                bool caseSensitive = true, bool forward = true) {
    SCOPED_TRACE(name);
    EXPECT_EQ(UnitsOf(text), units);
    EXPECT_EQ(text.get_Length(), static_cast<int>(units.size()));
    EXPECT_EQ(text.get_NumberOfCharacters(), Reference(units).count);
    EXPECT_EQ(text.IsEmpty(), units.empty());
    EXPECT_EQ(text.c_str()[units.size()], 0) << "c_str ends with a NUL unit";
    EXPECT_EQ(text.IsCaseSensitive(), caseSensitive);
    EXPECT_EQ(text.IsSearchForward(), forward);
}

// Up to `maxLength` units of the kinds that matter to the rule: NUL, ASCII, a Latin-1 letter,
// U+FFFF and both halves of a pair.
UTF16String GenerateUnits(std::mt19937& random, unsigned maxLength) {
    static const unsigned kKinds[][2] = {{0, 0},           {1, 0x7F},        {0xE9, 0xE9},
                                         {0xFFFF, 0xFFFF}, {0xD800, 0xDBFF}, {0xDC00, 0xDFFF}};
    UTF16String units(std::uniform_int_distribution<unsigned>(0, maxLength)(random), UTF16Unit{0});
    for (UTF16Unit& unit : units) {
        const auto& kind = kKinds[std::uniform_int_distribution<int>(0, 5)(random)];
        unit = static_cast<UTF16Unit>(
            std::uniform_int_distribution<unsigned>(kind[0], kind[1])(random));
    }
    return units;
}

}  // namespace

// The count rule's own cases pin the reference down; the constructor from a standard string
// keeps every unit.
TEST(TextCore, CountsUnitsAndAsciiFromEachConstructor) {
    const std::pair<UTF16String, int> counted[] = {
        {Units({}), 0},
        {Units({0x41, 0xD83D, 0xDE00}), 2},
        {Units({0x41, 0xDC00}), -1},
        {Units({0xDC00}), -1},
        {Units({0x41, 0xD83D, 0xDE00, 0x43, 0xDFFF}), -1},  // a low surrogate after counted text
        {Units({0xD800, 0x41}), 0},                         // a high surrogate takes the letter
        {Units({0xD800, 0xD800, 0xDC00}), -1},              // ... and another high surrogate
        {Units({0x41, 0xD800}), 1},
        {Units({0, 0, 0x41}), 1},
        {Units({0x41, 0}), 2},
        {Units({0}), 0},
        {Units({0xD800, 0, 0}), 0},
        {Units({0xD83D, 0xDE00, 0}), 2},
        {Units({'a', 'b', 0, 'c', 'd'}), 5},
    };
    for (const auto& [units, count] : counted) {
        SCOPED_TRACE(testing::PrintToString(units));
        EXPECT_EQ(Reference(units).count, count);
        ExpectText("from a standard string", Text(units), units);
    }
    ExpectText("default", Text(), {});
    ExpectText("null pointer", Text(static_cast<const UTF16Unit*>(nullptr)), {});
    ExpectText("pointer", Text(Units({0xDC00, 0x41}).c_str()), Units({0xDC00, 0x41}));
    ExpectText("pointer stops at the first NUL", Text(Units({'a', 'b', 0, 'c', 'd'}).c_str()),
               Units({'a', 'b'}));
    ExpectText("default Char", Text(Char()), {});
    ExpectText("pair Char", Text(Char(static_cast<QuendalText::UTF32Unit>(0x1F600))),
               Units({0xD83D, 0xDE00}));
    ExpectText("lone surrogate Char", Text(Char(static_cast<QuendalText::UTF32Unit>(0xD800))),
               Units({0xD800}));
    ExpectText("invalid Char", Text(Char(static_cast<char>(0x80))), Units({0xFFFF, 0xFFFF}));

    // IsAscii reads every unit, NULs included.
    EXPECT_TRUE(Text().IsAscii());
    for (unsigned unit = 0; unit <= 0xFFFF; ++unit) {
        ASSERT_EQ(Text(Units({unit})).IsAscii(), unit <= 0x7F) << unit;
        ASSERT_EQ(Text(Units({0x41, 0, unit, 0x7F})).IsAscii(), unit <= 0x7F) << unit;
    }
}

TEST(TextCore, SettingsTravelOnlyByCopyAndAssignment) {
    const UTF16String units = Units({0x41, 0, 0xD800});
    Text source(units);
    source.set_CaseSensitivity(false);
    source.set_SearchForward(false);
    ExpectText("source", source, units, false, false);
    ExpectText("copy", Text(source), units, false, false);
    ExpectText("new Text of the same units", Text(UnitsOf(source)), units);
    ExpectText("new Text from c_str", Text(source.c_str()), Units({0x41}));

    Text target(Units({0x42, 0x43, 0x44, 0x45}));
    EXPECT_EQ(&(target = source), &target);
    ExpectText("assigned", target, units, false, false);
    target = static_cast<const Text&>(target);
    ExpectText("self-assigned", target, units, false, false);
    target.Empty();
    ExpectText("emptied", target, {}, false, false);
    target = Text(Units({0xDC00}));
    ExpectText("assigned a new Text", target, Units({0xDC00}));
    target.set_SearchForward(false);
    ExpectText("only search direction set", target, Units({0xDC00}), true, false);
    target.Empty();
    target.set_SearchForward(true);
    target.set_CaseSensitivity(false);
    ExpectText("only case sensitivity set, malformed text emptied", target, {}, false, true);
}

// Generated texts, each a prefix and an appended piece: the full count and Text's count agree
// with the reference, and counting only the piece, from the prefix's count and whether it ends
// open, gives the count of the whole.
TEST(CharacterCount, FullCountAndAppendShortcutMatchReference) {
    using namespace QuendalText::detail;
    std::mt19937 random(777);
    int openPrefixes = 0;
    int malformedPrefixes = 0;
    for (int trial = 0; trial < 30000; ++trial) {
        // Prefixes shaped to stress the shortcut: only NULs, a trailing run of high surrogates of
        // either parity, a low surrogate where a character begins, or anything.
        const UTF16String highRun(static_cast<std::size_t>(1 + trial % 5),
                                  static_cast<UTF16Unit>(0xD800 + trial % 0x400));
        const UTF16String prefixes[] = {
            UTF16String(static_cast<std::size_t>(1 + trial % 4), UTF16Unit{0}),
            GenerateUnits(random, 6) + highRun,
            GenerateUnits(random, 4) + Units({0xDC00}) + GenerateUnits(random, 3),
            GenerateUnits(random, 10)};
        const UTF16String& prefix = prefixes[trial % 4];
        const UTF16String whole =
            prefix + (trial % 7 == 0 ? UTF16String() : GenerateUnits(random, 6));
        const int expected = Reference(whole).count;
        SCOPED_TRACE(testing::Message() << "trial " << trial);
        ASSERT_EQ(CountCharacters(whole.data(), whole.size()), expected);
        const Text text(whole);
        ASSERT_EQ(UnitsOf(text), whole);
        ASSERT_EQ(text.get_NumberOfCharacters(), expected);

        const int prefixCount = CountCharacters(prefix.data(), prefix.size());
        const bool open = EndsWithOpenHighSurrogate(prefix.data(), prefix.size());
        ASSERT_EQ(open, Reference(prefix).endsOpen);
        ASSERT_EQ(CountAfterAppend(prefixCount, open, whole.data() + prefix.size(),
                                   whole.size() - prefix.size()),
                  expected);
        openPrefixes += open ? 1 : 0;
        malformedPrefixes += prefixCount == -1 ? 1 : 0;
    }
    // The generator must reach the cases the shortcut treats apart.
    EXPECT_GT(openPrefixes, 1000);
    EXPECT_GT(malformedPrefixes, 1000);
}
