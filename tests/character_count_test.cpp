// The character-count rule over whole texts and its shortcut for appends, against the reference
// count: named cases, then generated units shaped to reach every case the shortcut treats apart.
#include "test_support.h"

#include "internal/character_count.h"

#include <tuple>

namespace {
using namespace qt_test;
using namespace QuendalText::detail;

// The reference's reading of the rule, pinned by hand, and the library's agreeing.
TEST(CharacterCount, NamedCases) {
    const std::tuple<const char*, UTF16String, int> rows[] = {
        {"letter and pair", Units({'A', 0xD83D, 0xDE00}), 2},
        {"low after counted text", Units({'A', 0xD83D, 0xDE00, 'C', 0xDFFF}), -1},
        {"high takes a letter", Units({0xD800, 'A'}), 0},
        {"high takes a high, then a low begins", Units({0xD800, 0xD800, 0xDC00}), -1},
        {"high at the end", Units({'A', 0xD800}), 1},
        {"leading NULs", Units({0, 0, 'A'}), 1},
        {"NUL after a letter", Units({'A', 0}), 2},
        {"NULs after a lone high", Units({0xD800, 0, 0}), 0},
    };
    for (const auto& [name, units, count] : rows) {
        EXPECT_EQ(ReferenceCount(units), count) << name;
        EXPECT_EQ(CountCharacters(units.data(), units.size()), count) << name;
    }
}

// A prefix and an appended piece: the count of the whole, and the count from the prefix's count
// and whether it ends open plus the piece. Prefixes: only NULs, a run of high surrogates of
// either parity at the end, a low surrogate where a character begins, or anything.
TEST(CharacterCount, FullCountAndAppendShortcutMatchTheReference) {
    Generator generate{std::mt19937(777)};
    int open = 0, malformed = 0;
    for (int trial = 0; trial < 30000; ++trial) {
        const UTF16String highs(std::size_t(1 + trial % 5), UTF16Unit(0xD800 + trial % 0x400));
        const UTF16String prefixes[] = {
            UTF16String(std::size_t(1 + trial % 4), 0), generate.Units(6) + highs,
            generate.Units(4) + Units({0xDC00}) + generate.Units(3), generate.Units(10)};
        const UTF16String& prefix = prefixes[trial % 4];
        const UTF16String piece = trial % 7 == 0 ? UTF16String() : generate.Units(6);
        const UTF16String whole = prefix + piece;
        bool endsOpen = false;
        const int prefixCount = ReferenceCount(prefix, &endsOpen);
        SCOPED_TRACE(testing::Message() << "trial " << trial);
        ASSERT_EQ(CountCharacters(whole.data(), whole.size()), ReferenceCount(whole));
        ASSERT_EQ(EndsWithOpenHighSurrogate(prefix.data(), prefix.size()), endsOpen);
        ASSERT_EQ(CountAfterAppend(prefixCount, endsOpen, piece.data(), piece.size()),
                  ReferenceCount(whole));
        open += endsOpen ? 1 : 0;
        malformed += prefixCount == -1 ? 1 : 0;
    }
    EXPECT_TRUE(open > 1000 && malformed > 1000) << "the generator reaches both special cases";
}

}  // namespace
