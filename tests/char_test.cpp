// Char: construction, classification and case mapping against the C runtime, comparison
// against a small model of its ordering rules.
#include "test_support.h"

#include <cstdint>
#include <cwctype>
#include <random>
#include <vector>

using QuendalText::Char;
using QuendalText::UTF16String;
using QuendalText::UTF16Unit;
using QuendalText::UTF32Unit;

namespace {

constexpr unsigned kInvalid = 0xFFFF;

// The units a Char presents: first, second and terminator.
struct CharUnits {
    unsigned first;
    unsigned second;
    unsigned terminator;
};

CharUnits UnitsOfChar(const Char& character) {
    const UTF16Unit* units = character;
    return {units[0], units[1], units[2]};
}

void ExpectUnits(const Char& character, unsigned first, unsigned second) {
    const CharUnits units = UnitsOfChar(character);
    EXPECT_EQ(units.first, first);
    EXPECT_EQ(units.second, second);
    EXPECT_EQ(units.terminator, 0u);
}

Char FromUnit(unsigned unit) { return Char(static_cast<UTF16Unit>(unit)); }
Char FromCodePoint(std::uint32_t codePoint) { return Char(static_cast<UTF32Unit>(codePoint)); }
Char FromByte(unsigned byte) { return Char(static_cast<char>(static_cast<unsigned char>(byte))); }

bool IsSurrogateValue(unsigned unit) { return unit >= 0xD800 && unit <= 0xDFFF; }

// One classification member beside the C runtime call it must agree with.
struct Classification {
    const char* name;
    bool (Char::*member)() const;
    bool (*runtime)(wint_t);
};

const std::vector<Classification>& Classifications() {
    static const std::vector<Classification> table = {
        {"IsAlpha", &Char::IsAlpha, [](wint_t c) { return std::iswalpha(c) != 0; }},
        {"IsAlphaNum", &Char::IsAlphaNum, [](wint_t c) { return std::iswalnum(c) != 0; }},
        {"IsAscii", &Char::IsAscii, [](wint_t c) { return c < 0x80; }},
        {"IsControl", &Char::IsControl, [](wint_t c) { return std::iswcntrl(c) != 0; }},
        {"IsDigit", &Char::IsDigit, [](wint_t c) { return std::iswdigit(c) != 0; }},
        {"IsGraph", &Char::IsGraph, [](wint_t c) { return std::iswgraph(c) != 0; }},
        {"IsLower", &Char::IsLower, [](wint_t c) { return std::iswlower(c) != 0; }},
        {"IsPrint", &Char::IsPrint, [](wint_t c) { return std::iswprint(c) != 0; }},
        {"IsPunct", &Char::IsPunct, [](wint_t c) { return std::iswpunct(c) != 0; }},
        {"IsSpace", &Char::IsSpace, [](wint_t c) { return std::iswctype(c, std::wctype("blank")) != 0; }},
        {"IsUpper", &Char::IsUpper, [](wint_t c) { return std::iswupper(c) != 0; }},
        {"IsWhiteSpace", &Char::IsWhiteSpace, [](wint_t c) { return std::iswspace(c) != 0; }},
    };
    return table;
}

}  // namespace

TEST(Char, ConstructionFromCodePointByteAndUnit) {
    ExpectUnits(Char(), 0, 0);
    EXPECT_TRUE(Char().IsSingle());
    EXPECT_EQ(static_cast<const UTF16Unit*>(Char())[0], 0) << "U+0000 reads as an empty string";

    // The same letter from each constructor.
    for (const Char& letter : {FromUnit(0x41), FromByte(0x41), FromCodePoint(0x41)}) {
        ExpectUnits(letter, 0x41, 0);
        EXPECT_TRUE(letter == FromUnit(0x41));
    }

    // Code points: the BMP as one unit (surrogate values kept), the supplementary planes as a
    // pair, beyond 0x10FFFF the invalid character.
    ExpectUnits(FromCodePoint(0xFFFF), 0xFFFF, 0);
    ExpectUnits(FromCodePoint(0x10000), 0xD800, 0xDC00);
    ExpectUnits(FromCodePoint(0x1F600), 0xD83D, 0xDE00);
    ExpectUnits(FromCodePoint(0x10FFFF), 0xDBFF, 0xDFFF);
    ExpectUnits(FromCodePoint(0xD800), 0xD800, 0);
    ExpectUnits(FromCodePoint(0xDFFF), 0xDFFF, 0);
    EXPECT_TRUE(FromCodePoint(0xD800).IsSurrogate());
    EXPECT_TRUE(FromCodePoint(0x1F600).IsSurrogate());
    for (std::uint32_t tooLarge : {0x110000u, 0x1FFFFFu, 0xFFFFFFFFu}) {
        ExpectUnits(FromCodePoint(tooLarge), kInvalid, kInvalid);
    }
    // Every supplementary code point decodes back from its pair.
    for (std::uint32_t codePoint = 0x10000; codePoint <= 0x10FFFF; codePoint += 0x3FF) {
        const CharUnits units = UnitsOfChar(FromCodePoint(codePoint));
        ASSERT_TRUE(units.first >= 0xD800 && units.first <= 0xDBFF) << codePoint;
        ASSERT_TRUE(units.second >= 0xDC00 && units.second <= 0xDFFF) << codePoint;
        EXPECT_EQ(0x10000 + ((units.first - 0xD800) << 10) + (units.second - 0xDC00), codePoint);
    }

    // Bytes: ASCII as it is, anything above the invalid character.
    for (unsigned byte = 0; byte <= 0xFF; ++byte) {
        if (byte <= 0x7F) {
            ExpectUnits(FromByte(byte), byte, 0);
        } else {
            ExpectUnits(FromByte(byte), kInvalid, kInvalid);
        }
    }

    // Units: every surrogate unit gives the invalid character, every other unit itself.
    for (unsigned unit = 0; unit <= 0xFFFF; ++unit) {
        const CharUnits units = UnitsOfChar(FromUnit(unit));
        const unsigned first = IsSurrogateValue(unit) ? kInvalid : unit;
        const unsigned second = IsSurrogateValue(unit) ? kInvalid : 0;
        ASSERT_EQ(units.first, first) << unit;
        ASSERT_EQ(units.second, second) << unit;
        ASSERT_EQ(units.terminator, 0u) << unit;
    }
}

TEST(Char, InvalidCharacter) {
    const Char invalid = FromByte(0x80);
    EXPECT_TRUE(invalid.IsSingle());
    EXPECT_FALSE(invalid.IsSurrogate());
    const UTF16Unit* string = invalid;
    EXPECT_EQ(UTF16String(string), qt_test::Units({0xFFFF, 0xFFFF}));
    for (const Classification& classification : Classifications()) {
        EXPECT_FALSE((invalid.*classification.member)()) << classification.name;
    }
    Char mapped = invalid;
    ExpectUnits(mapped.ToLower(), kInvalid, kInvalid);
    ExpectUnits(mapped.ToUpper(), kInvalid, kInvalid);
    // Only first units are compared between single characters.
    EXPECT_TRUE(invalid == FromUnit(0xFFFF));
    EXPECT_FALSE(invalid != FromUnit(0xFFFF));
    EXPECT_TRUE(invalid > FromUnit(0xFFFE));
}

// All 65,536 units through every classification and both case mappings, against the C
// runtime under a locale that classifies all of Unicode.
TEST(Char, ClassificationAndCaseMappingMatchRuntime) {
    qt_test::LocaleGuard locale("C.UTF-8");
    if (!locale.IsActive()) GTEST_SKIP() << "locale C.UTF-8 is not available";

    for (unsigned unit = 0; unit <= 0xFFFF; ++unit) {
        if (IsSurrogateValue(unit)) {
            // A lone surrogate Char (from a code point) is in no class and maps to itself.
            Char lone = FromCodePoint(unit);
            ASSERT_TRUE(lone.IsSurrogate());
            for (const Classification& classification : Classifications()) {
                ASSERT_FALSE((lone.*classification.member)()) << classification.name << " " << unit;
            }
            ExpectUnits(lone.ToLower(), unit, 0);
            ExpectUnits(lone.ToUpper(), unit, 0);
            continue;
        }
        const Char character = FromUnit(unit);
        ASSERT_TRUE(character.IsSingle());
        for (const Classification& classification : Classifications()) {
            ASSERT_EQ((character.*classification.member)(), classification.runtime(unit))
                << classification.name << " of unit " << std::hex << unit;
        }
        const wint_t lower = std::towlower(unit);
        const wint_t upper = std::towupper(unit);
        ASSERT_LE(lower, 0xFFFFu) << "runtime maps into the supplementary planes: " << unit;
        ASSERT_LE(upper, 0xFFFFu) << "runtime maps into the supplementary planes: " << unit;
        Char mapped = character;
        ASSERT_EQ(UnitsOfChar(mapped.ToLower()).first, lower) << std::hex << unit;
        ASSERT_EQ(UnitsOfChar(mapped).second, 0u);
        mapped = character;
        ASSERT_EQ(UnitsOfChar(mapped.ToUpper()).first, upper) << std::hex << unit;
    }

    // Blanks and white space are different classes.
    EXPECT_TRUE(FromUnit(0x20).IsSpace());
    EXPECT_FALSE(FromUnit(0x0A).IsSpace());
    for (unsigned whiteSpace : {0x20u, 0x0Au, 0x0Du}) EXPECT_TRUE(FromUnit(whiteSpace).IsWhiteSpace());

    // A pair is in no class and is not case-mapped; the mappings chain on one object.
    Char pair = FromCodePoint(0x1F600);
    for (const Classification& classification : Classifications()) {
        EXPECT_FALSE((pair.*classification.member)()) << classification.name;
    }
    ExpectUnits(pair.ToUpper().ToLower(), 0xD83D, 0xDE00);
    Char letter = FromUnit(0xE9);
    EXPECT_EQ(&letter.ToUpper().ToLower(), &letter);
    ExpectUnits(letter, 0xE9, 0);
}

TEST(Char, CopiesKeepBothUnits) {
    const Char pair = FromCodePoint(0x10FFFF);
    const Char copied(pair);
    ExpectUnits(copied, 0xDBFF, 0xDFFF);

    Char assigned = FromUnit(0x41);
    Char& result = (assigned = pair);
    EXPECT_EQ(&result, &assigned);
    ExpectUnits(assigned, 0xDBFF, 0xDFFF);

    // Assigning a single character over a pair clears the second unit.
    assigned = FromUnit(0x42);
    ExpectUnits(assigned, 0x42, 0);
    const Char& same = assigned;
    assigned = same;
    ExpectUnits(assigned, 0x42, 0);
}

namespace {

// How a generated Char was made, and what the ordering rules make of it: single characters
// order by their unit, surrogate ones by the code point decoded from their two units.
struct CharModel {
    Char value;
    bool single;
    std::uint32_t key;
};

CharModel GenerateChar(std::mt19937& random) {
    switch (std::uniform_int_distribution<int>(0, 5)(random)) {
        case 0: {  // a unit from a narrow range, so that equal values are frequent
            const unsigned unit = std::uniform_int_distribution<unsigned>(0x41, 0x48)(random);
            return {FromUnit(unit), true, unit};
        }
        case 1: {  // any non-surrogate unit
            unsigned unit = std::uniform_int_distribution<unsigned>(0, 0xFFFF)(random);
            if (IsSurrogateValue(unit)) unit = 0xFFFF;
            return {FromUnit(unit), true, unit};
        }
        case 2: {  // a byte; above 0x7F the invalid character, which orders as the unit 0xFFFF
            const unsigned byte = std::uniform_int_distribution<unsigned>(0x70, 0x8F)(random);
            return {FromByte(byte), true, byte <= 0x7F ? byte : 0xFFFF};
        }
        case 3: {  // a pair from a narrow range
            const std::uint32_t codePoint = std::uniform_int_distribution<std::uint32_t>(0x1F600, 0x1F607)(random);
            return {FromCodePoint(codePoint), false, codePoint};
        }
        case 4: {  // any pair
            const std::uint32_t codePoint = std::uniform_int_distribution<std::uint32_t>(0x10000, 0x10FFFF)(random);
            return {FromCodePoint(codePoint), false, codePoint};
        }
        default: {  // a lone surrogate from a code point: first * 0x400 + 0 - 0x35FDC00
            const std::uint32_t unit = std::uniform_int_distribution<std::uint32_t>(0xD800, 0xDFFF)(random);
            return {FromCodePoint(unit), false, unit * 0x400u - 0x35FDC00u};
        }
    }
}

}  // namespace

TEST(Char, ComparisonFollowsModel) {
    // Cases named by the rules.
    EXPECT_TRUE(FromUnit(0x61) < FromUnit(0x62));
    EXPECT_TRUE(FromCodePoint(0x1F600) > FromCodePoint(0x1F000));
    const Char replacement = FromUnit(0xFFFD);
    const Char supplementary = FromCodePoint(0x10000);
    EXPECT_FALSE(replacement == supplementary);
    EXPECT_TRUE(replacement != supplementary);
    EXPECT_FALSE(replacement < supplementary);
    EXPECT_FALSE(replacement <= supplementary);
    EXPECT_FALSE(replacement > supplementary);
    EXPECT_FALSE(replacement >= supplementary);

    std::mt19937 random(20240611);
    for (int trial = 0; trial < 20000; ++trial) {
        const CharModel left = GenerateChar(random);
        const CharModel right = GenerateChar(random);
        const bool comparable = left.single == right.single;
        SCOPED_TRACE(testing::Message() << "trial " << trial << ": keys " << std::hex << left.key
                                        << (left.single ? "s" : "p") << " and " << right.key
                                        << (right.single ? "s" : "p"));
        ASSERT_EQ(left.value == right.value, comparable && left.key == right.key);
        ASSERT_EQ(left.value != right.value, !comparable || left.key != right.key);
        ASSERT_EQ(left.value < right.value, comparable && left.key < right.key);
        ASSERT_EQ(left.value <= right.value, comparable && left.key <= right.key);
        ASSERT_EQ(left.value > right.value, comparable && left.key > right.key);
        ASSERT_EQ(left.value >= right.value, comparable && left.key >= right.key);
    }
}
