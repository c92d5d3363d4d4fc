// Char: construction against the reference encoder, classification and case mapping against the
// C runtime, comparison against a model of its ordering rules.
#include "test_support.h"

#include <array>
#include <clocale>
#include <cwctype>

namespace {
using namespace qt_test;

// The three units a Char presents (first, second, terminator), and units padded to three.
UTF16String Held(const Char& c) { return UTF16String(static_cast<const UTF16Unit*>(c), 3); }
UTF16String Padded(UTF16String units) { return units.resize(3, 0), units; }
const UTF16String kInvalid = Padded(Units({0xFFFF, 0xFFFF}));
Char FromUnit(std::uint32_t unit) { return Char(UTF16Unit(unit)); }
Char FromCodePoint(std::uint32_t value) { return Char(UTF32Unit(value)); }
Char FromByte(std::uint32_t byte) { return Char(char(byte)); }

TEST(Char, ConstructionMatchesTheReferenceEncoder) {
    EXPECT_EQ(Held(Char()), Padded({}));
    for (std::uint32_t next = 0; next <= 0x110001; ++next) {  // the last a value far beyond
        const std::uint32_t value = next <= 0x110000 ? next : 0xFFFFFFFF;
        const UTF16String expected = value <= 0x10FFFF ? Padded(ToUTF16({value})) : kInvalid;
        const Char c = FromCodePoint(value);
        ASSERT_TRUE(Held(c) == expected && c.IsSurrogate() == IsSurrogate(expected[0]) &&
                    c.IsSingle() != c.IsSurrogate())
            << std::hex << value;
    }
    for (std::uint32_t unit = 0; unit <= 0xFFFF; ++unit)  // a surrogate unit is invalid
        ASSERT_EQ(Held(FromUnit(unit)), IsSurrogate(unit) ? kInvalid : Padded(Units({unit})))
            << unit;
    for (std::uint32_t byte = 0; byte <= 0xFF; ++byte)  // no code page: ASCII only
        ASSERT_EQ(Held(FromByte(byte)), byte <= 0x7F ? Padded(Units({byte})) : kInvalid) << byte;
    // Any integer type gives a code point; values no UTF-32 unit holds are not cut (here to 'A').
    EXPECT_EQ(Held(Char(0x1F600)), Held(FromCodePoint(0x1F600)));
    EXPECT_EQ(Held(Char(static_cast<unsigned short>(0xD800))), Padded(Units({0xD800})));
    for (const long long outside : {0x100000041LL, -0xFFFFFFBFLL, -1LL})
        EXPECT_EQ(Held(Char(outside)), kInvalid) << outside;
    // Copies keep both units; a single character assigned over a pair clears the second.
    const Char pair = FromCodePoint(0x10FFFF);
    Char assigned = FromUnit('A');
    EXPECT_EQ(&(assigned = pair), &assigned);
    EXPECT_TRUE(Held(Char(pair)) == Held(pair) && Held(assigned) == Held(pair));
    EXPECT_EQ(Held(assigned = FromUnit('B')), Padded(Units({'B'})));
}

// The classes in this order: alpha, alphanumeric, ASCII, control, digit, graph, lower, print,
// punctuation, blank (IsSpace), upper, white space.
using Classes = std::array<bool, 12>;
Classes ClassesOf(const Char& c) {
    return {c.IsAlpha(), c.IsAlphaNum(), c.IsAscii(), c.IsControl(), c.IsDigit(), c.IsGraph(),
            c.IsLower(), c.IsPrint(),    c.IsPunct(), c.IsSpace(),   c.IsUpper(), c.IsWhiteSpace()};
}
Classes RuntimeClassesOf(wint_t u) {
    using namespace std;
#if defined(_WIN32)  // Windows' runtime names the blank class by its mask only
    const bool blank = iswctype(u, _BLANK) != 0;
#else
    const bool blank = iswctype(u, wctype("blank")) != 0;
#endif
    return {
        iswalpha(u) != 0, iswalnum(u) != 0, u < 0x80,         iswcntrl(u) != 0, iswdigit(u) != 0,
        iswgraph(u) != 0, iswlower(u) != 0, iswprint(u) != 0, iswpunct(u) != 0, blank,
        iswupper(u) != 0, iswspace(u) != 0};
}

// Every unit through every class and both case mappings, in a locale that classifies all of
// Unicode (glibc's C.UTF-8; on Windows, without that name, the system's own if it is not "C");
// surrogate Chars and the invalid character are in no class and keep their units.
TEST(Char, ClassificationAndCaseMappingFollowTheRuntime) {
    const std::string previous = std::setlocale(LC_ALL, nullptr);
    if (std::setlocale(LC_ALL, "C.UTF-8") == nullptr &&
        (std::setlocale(LC_ALL, "") == nullptr ||
         std::setlocale(LC_ALL, nullptr) == std::string("C")))
        GTEST_SKIP() << "no locale that classifies all of Unicode";
    std::vector<Char> inert = {FromByte(0x80), FromCodePoint(0x10428), FromCodePoint(0x10FFFF)};
    for (std::uint32_t unit = 0; unit <= 0xFFFF; ++unit) {
        const auto u = static_cast<wint_t>(unit);
        if (IsSurrogate(unit)) {
            inert.push_back(FromCodePoint(unit));
            continue;
        }
        Char c = FromUnit(unit);
        ASSERT_EQ(ClassesOf(c), RuntimeClassesOf(u)) << std::hex << unit;
        ASSERT_EQ(Held(c.ToLower()), Padded(Units({std::towlower(u)}))) << std::hex << unit;
        c = FromUnit(unit);
        ASSERT_EQ(Held(c.ToUpper()), Padded(Units({std::towupper(u)}))) << std::hex << unit;
    }
    for (Char& c : inert) {
        const UTF16String held = Held(c);
        ASSERT_TRUE(ClassesOf(c) == Classes{} && Held(c.ToLower()) == held &&
                    Held(c.ToUpper()) == held)
            << std::hex << held[0];
    }
    Char letter = FromUnit(0xE9);
    EXPECT_EQ(&letter.ToUpper().ToLower(), &letter);
    std::setlocale(LC_ALL, previous.c_str());
}

// Single characters order by their unit, surrogate ones by the code point decoded from their two
// units, as lone ones too (0xD800 0 as 0xD800 * 0x400 - 0x35FDC00); a single and a surrogate
// character are neither equal nor ordered. Every pair of characters of every kind, against a key:
// whether the character is a surrogate one, then its unit or code point.
TEST(Char, ComparisonFollowsTheModel) {
    std::vector<std::pair<Char, std::uint64_t>> chars;
    for (const std::uint32_t unit : {0x0u, 0x41u, 0x42u, 0x7Fu, 0xE9u, 0xD800u, 0xDFFFu, 0xFFFFu})
        chars.emplace_back(FromUnit(unit), IsSurrogate(unit) ? 0xFFFF : unit);
    for (const std::uint32_t byte : {0x41u, 0x7Fu, 0x80u, 0xFFu})
        chars.emplace_back(FromByte(byte), byte <= 0x7F ? byte : 0xFFFF);
    for (const std::uint32_t value : {0x10000u, 0x103FFu, 0x10400u, 0x1F600u, 0x10FFFFu})
        chars.emplace_back(FromCodePoint(value), std::uint64_t{1} << 32 | value);
    for (const std::uint32_t lone : {0xD800u, 0xD83Du, 0xDBFFu, 0xDC00u, 0xDFFFu})
        chars.emplace_back(FromCodePoint(lone),
                           std::uint64_t{1} << 32 | (lone * 0x400u - 0x35FDC00u));
    for (const auto& [left, l] : chars) {
        for (const auto& [right, r] : chars) {
            const bool comparable = (l >> 32) == (r >> 32);
            ASSERT_EQ(
                std::make_tuple(left == right, left != right,
                                left<right, left <= right, left> right, left >= right),
                std::make_tuple(comparable && l == r, !comparable || l != r, comparable && l < r,
                                comparable && l <= r, comparable && l > r, comparable && l >= r))
                << std::hex << l << " against " << r;
        }
    }
}

}  // namespace
