// Char: construction against an independent UTF-16 encoder, classification and case mapping
// against the C runtime, comparison against a model of its ordering rules.
#include "test_support.h"

#include <cstdint>
#include <cwctype>
#include <random>
#include <utility>
#include <vector>

using qt_test::Units;
using QuendalText::Char;
using QuendalText::UTF16String;
using QuendalText::UTF16Unit;
using QuendalText::UTF32Unit;

namespace {

constexpr unsigned kInvalid = 0xFFFF;

Char FromUnit(unsigned unit) { return Char(static_cast<UTF16Unit>(unit)); }
Char FromCodePoint(std::uint32_t codePoint) { return Char(static_cast<UTF32Unit>(codePoint)); }
Char FromByte(unsigned byte) { return Char(static_cast<char>(static_cast<unsigned char>(byte))); }
bool IsSurrogateValue(std::uint32_t value) { return value >= 0xD800 && value <= 0xDFFF; }

// The three units a Char presents: first, second and terminator.
UTF16String UnitsOfChar(const Char& character) {
    return UTF16String(static_cast<const UTF16Unit*>(character), 3);
}
UTF16String Held(unsigned first, unsigned second) { return Units({first, second, 0}); }

struct Classification {
    const char* name;
    bool (Char::*member)() const;
    bool (*runtime)(wint_t);
};

const std::vector<Classification> kClassifications = {
    {"IsAlpha", &Char::IsAlpha, [](wint_t c) { return std::iswalpha(c) != 0; }},
    {"IsAlphaNum", &Char::IsAlphaNum, [](wint_t c) { return std::iswalnum(c) != 0; }},
    {"IsAscii", &Char::IsAscii, [](wint_t c) { return c < 0x80; }},
    {"IsControl", &Char::IsControl, [](wint_t c) { return std::iswcntrl(c) != 0; }},
    {"IsDigit", &Char::IsDigit, [](wint_t c) { return std::iswdigit(c) != 0; }},
    {"IsGraph", &Char::IsGraph, [](wint_t c) { return std::iswgraph(c) != 0; }},
    {"IsLower", &Char::IsLower, [](wint_t c) { return std::iswlower(c) != 0; }},
    {"IsPrint", &Char::IsPrint, [](wint_t c) { return std::iswprint(c) != 0; }},
    {"IsPunct", &Char::IsPunct, [](wint_t c) { return std::iswpunct(c) != 0; }},
    {"IsSpace", &Char::IsSpace,
     [](wint_t c) { return std::iswctype(c, std::wctype("blank")) != 0; }},
    {"IsUpper", &Char::IsUpper, [](wint_t c) { return std::iswupper(c) != 0; }},
    {"IsWhiteSpace", &Char::IsWhiteSpace, [](wint_t c) { return std::iswspace(c) != 0; }},
};

}  // namespace

TEST(Char, ConstructionMatchesEncoderAndCopiesKeepBothUnits) {
    EXPECT_EQ(UnitsOfChar(Char()), Held(0, 0));
    EXPECT_TRUE(Char().IsSingle());
    EXPECT_EQ(UnitsOfChar(FromCodePoint(0x1F600)), Held(0xD83D, 0xDE00));
    // Every code point, the BMP as one unit (surrogate values kept), the rest as a pair, and
    // beyond 0x10FFFF the invalid character.
    const auto encode = [](std::uint32_t codePoint) {
        const std::uint32_t offset = codePoint - 0x10000;
        return codePoint <= 0xFFFF     ? Held(codePoint, 0)
               : codePoint <= 0x10FFFF ? Held(0xD800 + (offset >> 10), 0xDC00 + (offset & 0x3FF))
                                       : Held(kInvalid, kInvalid);
    };
    for (std::uint32_t next = 0; next <= 0x110101; ++next) {
        const std::uint32_t codePoint = next <= 0x110100 ? next : 0xFFFFFFFF;
        const Char character = FromCodePoint(codePoint);
        ASSERT_EQ(UnitsOfChar(character), encode(codePoint)) << std::hex << codePoint;
        const bool surrogate = IsSurrogateValue(encode(codePoint)[0]);
        ASSERT_EQ(character.IsSurrogate(), surrogate) << std::hex << codePoint;
        ASSERT_NE(character.IsSingle(), surrogate) << std::hex << codePoint;
    }
    // Units: a surrogate unit gives the invalid character, every other unit itself.
    for (unsigned unit = 0; unit <= 0xFFFF; ++unit) {
        const UTF16String expected =
            IsSurrogateValue(unit) ? Held(kInvalid, kInvalid) : Held(unit, 0);
        ASSERT_EQ(UnitsOfChar(FromUnit(unit)), expected) << std::hex << unit;
    }
    // Bytes: ASCII as it is, anything above the invalid character; no code page.
    for (unsigned byte = 0; byte <= 0xFF; ++byte) {
        ASSERT_EQ(UnitsOfChar(FromByte(byte)),
                  byte <= 0x7F ? Held(byte, 0) : Held(kInvalid, kInvalid))
            << byte;
    }
    EXPECT_TRUE(FromUnit(0x41) == FromByte(0x41) && FromByte(0x41) == FromCodePoint(0x41));
    // Other integer types are code points too.
    EXPECT_EQ(UnitsOfChar(Char(0x1F600)), Held(0xD83D, 0xDE00));
    EXPECT_EQ(UnitsOfChar(Char(0xD800UL)), Held(0xD800, 0));
    EXPECT_EQ(UnitsOfChar(Char(static_cast<unsigned short>(0x41))), Held(0x41, 0));
    // Values no UTF-32 unit holds are not cut to their low bits (here 0x41).
    for (const long long outside : {0x100000041LL, -0xFFFFFFBFLL, -1LL}) {
        EXPECT_EQ(UnitsOfChar(Char(outside)), Held(kInvalid, kInvalid)) << outside;
    }

    // Copies keep both units.
    const Char pair = FromCodePoint(0x10FFFF);
    EXPECT_EQ(UnitsOfChar(Char(pair)), Held(0xDBFF, 0xDFFF));
    Char assigned = FromUnit(0x41);
    EXPECT_EQ(&(assigned = pair), &assigned);
    EXPECT_EQ(UnitsOfChar(assigned), Held(0xDBFF, 0xDFFF));
    assigned = FromUnit(0x42);  // a single character over a pair clears the second unit
    EXPECT_EQ(UnitsOfChar(assigned), Held(0x42, 0));
    assigned = static_cast<const Char&>(assigned);
    EXPECT_EQ(UnitsOfChar(assigned), Held(0x42, 0));
}

// All 65,536 units through every classification and both case mappings, against the C
// runtime under a locale that classifies all of Unicode.
TEST(Char, ClassificationAndCaseMappingMatchRuntime) {
    qt_test::LocaleGuard locale("C.UTF-8");
    if (!locale.IsActive()) GTEST_SKIP() << "locale C.UTF-8 is not available";

    // Surrogate Chars and the invalid character are in no class and are not case-mapped.
    const auto expectInertness = [](Char character) {
        const UTF16String held = UnitsOfChar(character);
        for (const Classification& c : kClassifications) {
            ASSERT_FALSE((character.*c.member)()) << c.name << " of " << std::hex << held[0];
        }
        ASSERT_EQ(UnitsOfChar(character.ToLower()), held);
        ASSERT_EQ(UnitsOfChar(character.ToUpper()), held);
    };
    expectInertness(FromByte(0x80));
    for (std::uint32_t codePoint : {0x10000u, 0x1F600u, 0x10428u, 0x10FFFFu})
        expectInertness(FromCodePoint(codePoint));

    for (unsigned unit = 0; unit <= 0xFFFF; ++unit) {
        if (IsSurrogateValue(unit)) {
            expectInertness(FromCodePoint(unit));  // a lone surrogate
            continue;
        }
        Char character = FromUnit(unit);
        for (const Classification& c : kClassifications) {
            ASSERT_EQ((character.*c.member)(), c.runtime(unit))
                << c.name << " of " << std::hex << unit;
        }
        const wint_t lower = std::towlower(unit);
        const wint_t upper = std::towupper(unit);
        ASSERT_EQ(UnitsOfChar(character.ToLower()), Held(lower, 0)) << std::hex << unit;
        character = FromUnit(unit);
        ASSERT_EQ(UnitsOfChar(character.ToUpper()), Held(upper, 0)) << std::hex << unit;
    }

    // Blanks and white space are different classes; the mappings chain on one object.
    EXPECT_TRUE(FromUnit(0x20).IsSpace());
    EXPECT_FALSE(FromUnit(0x0A).IsSpace());
    for (unsigned whiteSpace : {0x20u, 0x0Au, 0x0Du})
        EXPECT_TRUE(FromUnit(whiteSpace).IsWhiteSpace());
    Char letter = FromUnit(0xE9);
    EXPECT_EQ(&letter.ToUpper().ToLower(), &letter);
}

namespace {

// A Char beside what the ordering rules make of it: single characters order by their unit,
// surrogate ones by the code point decoded from their two units; a single and a surrogate one
// are neither equal nor ordered.
struct CharModel {
    Char value;
    bool single;
    std::uint32_t key;
};

CharModel GenerateChar(std::mt19937& random) {
    const auto pick = [&random](std::uint32_t low, std::uint32_t high) {
        return std::uniform_int_distribution<std::uint32_t>(low, high)(random);
    };
    const std::uint32_t kind = pick(0, 5);
    if (kind <= 1) {  // a narrow range of units, so that equal values are frequent, or any unit
        const std::uint32_t unit = kind == 0 ? pick(0x41, 0x48) : pick(0, 0xFFFF);
        return {FromUnit(unit), true, IsSurrogateValue(unit) ? 0xFFFF : unit};
    }
    if (kind == 2) {  // above 0x7F the invalid character, which orders as the unit 0xFFFF
        const std::uint32_t byte = pick(0x70, 0x8F);
        return {FromByte(byte), true, byte <= 0x7F ? byte : 0xFFFF};
    }
    if (kind <= 4) {
        const std::uint32_t codePoint =
            kind == 3 ? pick(0x1F600, 0x1F607) : pick(0x10000, 0x10FFFF);
        return {FromCodePoint(codePoint), false, codePoint};
    }
    const std::uint32_t lone = pick(0xD800, 0xDFFF);  // decodes as first * 0x400 + 0 - 0x35FDC00
    return {FromCodePoint(lone), false, lone * 0x400u - 0x35FDC00u};
}

void ExpectOrderingOf(const CharModel& left, const CharModel& right) {
    const bool comparable = left.single == right.single;
    SCOPED_TRACE(testing::Message() << std::hex << left.key << (left.single ? "s" : "p")
                                    << " against " << right.key << (right.single ? "s" : "p"));
    ASSERT_EQ(left.value == right.value, comparable && left.key == right.key);
    ASSERT_EQ(left.value != right.value, !comparable || left.key != right.key);
    ASSERT_EQ(left.value < right.value, comparable && left.key < right.key);
    ASSERT_EQ(left.value <= right.value, comparable && left.key <= right.key);
    ASSERT_EQ(left.value > right.value, comparable && left.key > right.key);
    ASSERT_EQ(left.value >= right.value, comparable && left.key >= right.key);
}

}  // namespace

TEST(Char, ComparisonFollowsModel) {
    const std::vector<std::pair<CharModel, CharModel>> named = {
        {{FromUnit(0x61), true, 0x61}, {FromUnit(0x62), true, 0x62}},
        {{FromCodePoint(0x1F600), false, 0x1F600}, {FromCodePoint(0x1F000), false, 0x1F000}},
        {{FromUnit(0xFFFD), true, 0xFFFD}, {FromCodePoint(0x10000), false, 0x10000}},
        {{FromByte(0x80), true, 0xFFFF}, {FromUnit(0xFFFF), true, 0xFFFF}},
    };
    for (const auto& [left, right] : named) {
        ExpectOrderingOf(left, right);
        ExpectOrderingOf(right, left);
    }
    std::mt19937 random(20240611);
    for (int trial = 0; trial < 20000; ++trial) {
        SCOPED_TRACE(trial);
        ExpectOrderingOf(GenerateChar(random), GenerateChar(random));
        if (HasFatalFailure()) return;
    }
}
