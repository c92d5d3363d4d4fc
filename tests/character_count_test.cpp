// The character-count rule: the library's pass, the shortcut for appends and Text's cached
// count, all against a reference that first cuts the units into characters and then counts.
#include "test_support.h"

#include "internal/character_count.h"

#include <cstddef>
#include <random>
#include <vector>

using QuendalText::Text;
using QuendalText::UTF16String;
using QuendalText::UTF16Unit;
using qt_test::Units;

namespace {

bool IsHigh(UTF16Unit unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLow(UTF16Unit unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// Cuts `units` into the pieces that begin a character: a high surrogate takes the unit after it
// (if any) whatever that is, every other unit stands alone.
std::vector<UTF16String> CutIntoCharacters(const UTF16String& units) {
    std::vector<UTF16String> pieces;
    for (std::size_t i = 0; i < units.size();) {
        const std::size_t width = IsHigh(units[i]) && i + 1 < units.size() ? 2 : 1;
        pieces.push_back(units.substr(i, width));
        i += width;
    }
    return pieces;
}

// A piece counts when it is a proper pair, or a non-surrogate unit other than NUL, or a NUL
// after something was counted; a piece that begins with a low surrogate spoils the whole text.
int ReferenceCount(const UTF16String& units) {
    const std::vector<UTF16String> pieces = CutIntoCharacters(units);
    for (const UTF16String& piece : pieces) {
        if (IsLow(piece[0])) return -1;
    }
    int count = 0;
    for (const UTF16String& piece : pieces) {
        const bool pair = piece.size() == 2 && IsLow(piece[1]);
        const bool plain = !IsHigh(piece[0]) && (piece[0] != 0 || count > 0);
        if (pair || plain) ++count;
    }
    return count;
}

// Whether the last piece is a high surrogate on its own, which would take the next unit.
bool ReferenceEndsOpen(const UTF16String& units) {
    const std::vector<UTF16String> pieces = CutIntoCharacters(units);
    return !pieces.empty() && pieces.back().size() == 1 && IsHigh(pieces.back()[0]);
}

int LibraryCount(const UTF16String& units) {
    return QuendalText::detail::CountCharacters(units.data(), units.size());
}

bool LibraryEndsOpen(const UTF16String& units) {
    return QuendalText::detail::EndsWithOpenHighSurrogate(units.data(), units.size());
}

// Units from the kinds that matter to the rule: NUL, ASCII, a Latin-1 letter, U+FFFF and
// both halves of a pair.
class UnitGenerator {
public:
    explicit UnitGenerator(unsigned seed) : random_(seed) {}

    UTF16Unit Unit() {
        switch (Pick(0, 5)) {
            case 0: return 0;
            case 1: return static_cast<UTF16Unit>(Pick(1, 0x7F));
            case 2: return 0xE9;
            case 3: return 0xFFFF;
            case 4: return static_cast<UTF16Unit>(Pick(0xD800, 0xDBFF));
            default: return static_cast<UTF16Unit>(Pick(0xDC00, 0xDFFF));
        }
    }

    UTF16String Sequence(unsigned maxLength) {
        UTF16String units;
        const unsigned length = Pick(0, maxLength);
        for (unsigned i = 0; i < length; ++i) units.push_back(Unit());
        return units;
    }

    // A prefix shaped to stress the append shortcut.
    UTF16String Prefix() {
        switch (Pick(0, 4)) {
            case 0: return UTF16String(Pick(1, 4), UTF16Unit{0});  // only NULs
            case 1: {  // ending with a run of high surrogates of any length, odd or even
                UTF16String units = Sequence(6);
                units.append(Pick(1, 5), static_cast<UTF16Unit>(Pick(0xD800, 0xDBFF)));
                return units;
            }
            case 2: {  // counting -1: a low surrogate where a character begins
                UTF16String units = Sequence(4);
                units.push_back(0xDC00);
                units += Sequence(3);
                return units;
            }
            default: return Sequence(10);
        }
    }

    unsigned Pick(unsigned low, unsigned high) {
        return std::uniform_int_distribution<unsigned>(low, high)(random_);
    }

private:
    std::mt19937 random_;
};

}  // namespace

TEST(CharacterCount, NamedCases) {
    struct Case {
        const char* name;
        UTF16String units;
        int count;
    };
    const std::vector<Case> cases = {
        {"empty", Units({}), 0},
        {"letter and pair", Units({0x41, 0xD83D, 0xDE00}), 2},
        {"low surrogate after a letter", Units({0x41, 0xDC00}), -1},
        {"low surrogate alone", Units({0xDC00}), -1},
        {"low surrogate after counted text", Units({0x41, 0x42, 0xD83D, 0xDE00, 0x43, 0xDFFF, 0x44}), -1},
        {"high surrogate consumes a letter", Units({0xD800, 0x41}), 0},
        {"high surrogate consumes a high surrogate", Units({0xD800, 0xD800, 0xDC00}), -1},
        {"high surrogate last", Units({0x41, 0xD800}), 1},
        {"leading NULs", Units({0, 0, 0x41}), 1},
        {"trailing NUL", Units({0x41, 0}), 2},
        {"single NUL", Units({0}), 0},
        {"NUL consumed by a high surrogate", Units({0xD800, 0, 0}), 0},
        {"NUL after a pair", Units({0xD83D, 0xDE00, 0}), 2},
        {"two U+FFFF units", Units({0xFFFF, 0xFFFF}), 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ReferenceCount(c.units), c.count);
        EXPECT_EQ(LibraryCount(c.units), c.count);
        const Text text(c.units);
        EXPECT_EQ(text.get_NumberOfCharacters(), c.count);
        EXPECT_EQ(text.get_Length(), static_cast<int>(c.units.size()));
    }
}

TEST(CharacterCount, MatchesReferenceOnGeneratedText) {
    UnitGenerator generate(4242);
    for (int trial = 0; trial < 20000; ++trial) {
        const UTF16String units = generate.Sequence(12);
        const int expected = ReferenceCount(units);
        ASSERT_EQ(LibraryCount(units), expected) << "trial " << trial;
        const Text text(units);
        ASSERT_EQ(text.get_NumberOfCharacters(), expected) << "trial " << trial;
        ASSERT_EQ(text.get_Length(), static_cast<int>(units.size()));
        ASSERT_EQ(qt_test::UnitsOf(text), units);
        if (expected != -1) {
            ASSERT_EQ(LibraryEndsOpen(units), ReferenceEndsOpen(units)) << "trial " << trial;
        }
    }
}

// Counting only the appended piece, from the prefix's count and whether it ends open, must
// give the count of the whole.
TEST(CharacterCount, AppendShortcutMatchesFullCount) {
    UnitGenerator generate(777);
    int openPrefixes = 0;
    int malformedPrefixes = 0;
    for (int trial = 0; trial < 30000; ++trial) {
        const UTF16String prefix = generate.Prefix();
        const UTF16String piece = generate.Pick(0, 5) == 0 ? UTF16String() : generate.Sequence(6);
        const int prefixCount = LibraryCount(prefix);
        const bool open = LibraryEndsOpen(prefix);
        openPrefixes += open ? 1 : 0;
        malformedPrefixes += prefixCount == -1 ? 1 : 0;
        const int appended =
            QuendalText::detail::CountAfterAppend(prefixCount, open, piece.data(), piece.size());
        ASSERT_EQ(appended, ReferenceCount(prefix + piece))
            << "trial " << trial << ", prefix count " << prefixCount << ", open " << open;
    }
    // The generator must have reached the cases the shortcut treats apart.
    EXPECT_GT(openPrefixes, 1000);
    EXPECT_GT(malformedPrefixes, 1000);

    // Empty prefix and empty piece.
    const UTF16String pair = Units({0xD83D, 0xDE00});
    EXPECT_EQ(QuendalText::detail::CountAfterAppend(0, false, pair.data(), pair.size()), 1);
    EXPECT_EQ(QuendalText::detail::CountAfterAppend(1, true, nullptr, 0), 1);
    EXPECT_EQ(QuendalText::detail::CountAfterAppend(-1, false, pair.data(), pair.size()), -1);
}

TEST(CharacterCount, OpenHighSurrogateAtEnd) {
    // Parity of the trailing run of high surrogates decides, whatever stands before it.
    for (unsigned run = 0; run <= 6; ++run) {
        for (const UTF16String& before : {Units({}), Units({0x41}), Units({0xD83D, 0xDE00}),
                                          Units({0xD800, 0x41}), Units({0})}) {
            const UTF16String units = before + UTF16String(run, UTF16Unit{0xDBFF});
            EXPECT_EQ(LibraryEndsOpen(units), run % 2 == 1) << "run " << run;
        }
    }
}
