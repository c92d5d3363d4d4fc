// Text from a printf-style UTF-16 format: the literal path, generated numeric, string and
// character conversions against the C library's snprintf, and what only UTF-16 output has.
#include "test_support.h"

#include <cctype>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

namespace qt_test {
namespace {

using QuendalText::Text;

UTF16String Widen(const std::string& ascii) { return UTF16String(ascii.begin(), ascii.end()); }

// Expects Text(wideFormat, true, leading..., wideValue) to give the units that snprintf gives
// for narrowFormat with leading..., narrowValue.
template <class Narrow, class Wide, class... Leading>
void ExpectSameAsCLibrary(const std::string& wideFormat, const std::string& narrowFormat,
                          Narrow narrowValue, Wide wideValue, Leading... leading) {
    const int size = std::snprintf(nullptr, 0, narrowFormat.c_str(), leading..., narrowValue);
    ASSERT_GE(size, 0) << narrowFormat;
    std::vector<char> expected(static_cast<std::size_t>(size) + 1);
    std::snprintf(expected.data(), expected.size(), narrowFormat.c_str(), leading..., narrowValue);
    EXPECT_EQ(UnitsOf(Text(Widen(wideFormat).c_str(), true, leading..., wideValue)),
              Widen(expected.data()))
        << wideFormat;
}

TEST(FormatConstructor, EmptyLiteralAndLongResults) {
    for (const Text& text :
         {Text(nullptr, true, 5), Text(u"", true, 5), Text(nullptr, false), Text(u"", false)}) {
        EXPECT_TRUE(text.IsEmpty() && text.get_NumberOfCharacters() == 0 &&
                    text.IsCaseSensitive() && text.IsSearchForward());
    }
    const Text literal(u"100%|%d%s", false, 7);
    EXPECT_EQ(UnitsOf(literal), u"100%|%d%s");
    EXPECT_EQ(literal.get_NumberOfCharacters(), 9);
    EXPECT_EQ(UnitsOf(Text(u"%d", true, 42)), u"42");
    // Formats just below and at the 256-unit block, with results past it.
    for (const std::size_t formatUnits : {255u, 256u, 511u, 512u}) {
        const UTF16String filler(formatUnits - 2, u'x');
        const Text text((filler + u"%d").c_str(), true, 1234567);
        EXPECT_EQ(UnitsOf(text), filler + u"1234567");
        EXPECT_EQ(text.get_NumberOfCharacters(), static_cast<int>(formatUnits + 5));
    }
    ExpectSameAsCLibrary("%.700f|%-900d|%0800x", "%.700f|%-900d|%0800x", 0xBEEFu, 0xBEEFu, 1e300,
                         -5);
}

TEST(FormatConversions, GeneratedConversionsMatchCLibrary) {
    struct Length {
        std::string wide, narrow;
        bool wide64;  // every type of these lengths is 64 bits wide on this platform
    };
    const Length integerLengths[] = {{"", "", false},     {"hh", "hh", false}, {"h", "h", false},
                                     {"l", "l", true},    {"ll", "ll", true},  {"I32", "", false},
                                     {"I64", "ll", true}, {"I", "z", true},    {"z", "z", true},
                                     {"t", "t", true},    {"j", "j", true}};
    // Strings and characters: narrow with 'h' or an upper-case letter, else wide.
    const char* const textLengths[] = {"", "l", "w", "h"};
    const double specialDoubles[] = {0.0,         -0.0,    INFINITY, -INFINITY, NAN,
                                     DBL_MIN / 8, DBL_MAX, 0.5,      9.9999};
    std::mt19937_64 random(20240611);
    auto pick = [&](int bound) {
        return static_cast<int>(random() % static_cast<unsigned>(bound));
    };

    for (int trial = 0; trial < 8000 && !HasFailure(); ++trial) {
        const int kind =
            pick(13);  // 0-5 integer, 6-8 floating, 9 pointer, 10-11 string, 12 character
        const bool isText = kind >= 10;
        std::string middle;
        for (const char flag : std::string(isText ? "-" : "-+ #0")) {
            if (pick(3) == 0) middle += flag;
        }
        const int widthChoice = pick(4);  // none, digits, '*', '*' negative
        const int precisionChoice =
            kind == 12 ? 0 : pick(5);  // none, '.', digits, '*', '*' negative
        const int width = widthChoice == 3 ? -pick(25) : pick(25);
        const int precision = precisionChoice == 4 ? -1 - pick(5) : pick(25);
        if (widthChoice == 1) middle += std::to_string(width);
        if (widthChoice >= 2) middle += "*";
        if (precisionChoice == 1) middle += ".";
        if (precisionChoice == 2) middle += "." + std::to_string(precision);
        if (precisionChoice >= 3) middle += ".*";

        auto check = [&](const std::string& wideTail, const std::string& narrowTail,
                         auto narrowValue, auto wideValue) {
            const std::string wide = "[%" + middle + wideTail + "]",
                              narrow = "[%" + middle + narrowTail + "]";
            if (widthChoice >= 2 && precisionChoice >= 3)
                ExpectSameAsCLibrary(wide, narrow, narrowValue, wideValue, width, precision);
            else if (widthChoice >= 2)
                ExpectSameAsCLibrary(wide, narrow, narrowValue, wideValue, width);
            else if (precisionChoice >= 3)
                ExpectSameAsCLibrary(wide, narrow, narrowValue, wideValue, precision);
            else
                ExpectSameAsCLibrary(wide, narrow, narrowValue, wideValue);
        };

        const std::uint64_t bits = random() >> pick(64);
        const auto value = static_cast<std::int64_t>(pick(2) == 0 ? bits : 0 - bits);
        if (kind < 6) {
            const Length& length = integerLengths[pick(11)];
            const char letter = "diuoxX"[pick(6)];
            const std::string wideTail = length.wide + letter, narrowTail = length.narrow + letter;
            const auto same = [&](auto number) { check(wideTail, narrowTail, number, number); };
            if (letter == 'd' || letter == 'i')
                length.wide64 ? same(static_cast<long long>(value)) : same(static_cast<int>(value));
            else
                length.wide64 ? same(static_cast<unsigned long long>(value))
                              : same(static_cast<unsigned>(value));
        } else if (kind < 9) {
            const std::string letter(1, "eEfFgGaA"[pick(8)]);
            const double number = pick(4) == 0
                                      ? specialDoubles[pick(9)]
                                      : std::ldexp(static_cast<double>(value), pick(200) - 160);
            const long double third = static_cast<long double>(number) / 3;
            if (pick(3) == 0)
                check("L" + letter, "L" + letter, third, third);
            else
                check((pick(2) == 0 ? "l" : "") + letter, letter, number, number);
        } else if (kind == 9) {
            const void* pointer = reinterpret_cast<void*>(static_cast<std::uintptr_t>(value));
            check("p", "p", pointer, pointer);
        } else {
            const std::string length = textLengths[pick(4)], narrowTail = kind == 12 ? "c" : "s";
            const char letter =
                pick(2) == 0 ? narrowTail[0] : static_cast<char>(std::toupper(narrowTail[0]));
            const bool narrowArgument = length == "h" || (length.empty() && std::isupper(letter));
            std::string narrow(static_cast<std::size_t>(pick(12)), ' ');
            for (char& c : narrow) c = static_cast<char>('!' + pick(94));
            const UTF16String wide = Widen(narrow);
            const int character = '!' + pick(94);
            if (kind == 12)
                check(length + letter, narrowTail, character, character);
            else if (narrowArgument)
                check(length + letter, narrowTail, narrow.c_str(), narrow.c_str());
            else
                check(length + letter, narrowTail, narrow.c_str(), wide.c_str());
        }
    }
}

TEST(FormatConversions, WhatOnlyUTF16OutputHas) {
    const char16_t pair[] = u"A\U0001F600B";
    // Precision counts units, so it may cut a pair in %s and in %S alike; %S reads UTF-8.
    EXPECT_EQ(UnitsOf(Text(u"%s|%.2s|%S|%.3S|%.2S|%4.2S", true, pair, pair, u8"\u00E9\U0001F600",
                           u8"a\U0001F600b", u8"a\U0001F600", u8"\u00E9z")),
              Units({'A', 0xD83D, 0xDE00, 'B', '|', 'A',    0xD83D, '|', 0xE9, 0xD83D, 0xDE00, '|',
                     'a', 0xD83D, 0xDE00, '|', 'a', 0xD83D, '|',    ' ', ' ',  0xE9,   'z'}));
    const char16_t* nullWide = nullptr;
    const char* nullNarrow = nullptr;
    EXPECT_EQ(UnitsOf(Text(u"%s|%S|%.3s|%8S", true, nullWide, nullNarrow, nullWide, nullNarrow)),
              u"(null)|(null)|(nu|  (null)");
    // With a precision, strings without a terminator are read no further than needed.
    const char16_t wideUnterminated[] = {'x', 'y', 'z'};
    const char narrowUnterminated[] = {'p', 'q'};
    EXPECT_EQ(UnitsOf(Text(u"%.3s%.2S", true, wideUnterminated, narrowUnterminated)), u"xyzpq");
    // Each maximal ill-formed UTF-8 subpart becomes one U+FFFD.
    EXPECT_EQ(UnitsOf(Text(u"%S", true,
                           "\xFF|\xC3z|\xE0\x80|\xED\xA0\x80|\xF0\x9F\x98|\xF4\x90\x80\x80|\xC3")),
              Units({0xFFFD, '|', 0xFFFD, 'z', '|',    0xFFFD, 0xFFFD, '|',    0xFFFD, 0xFFFD,
                     0xFFFD, '|', 0xFFFD, '|', 0xFFFD, 0xFFFD, 0xFFFD, 0xFFFD, '|',    0xFFFD}));
    // %c takes a UTF-16 unit, %C a byte that is a character only below 0x80; a NUL ends the text.
    EXPECT_EQ(UnitsOf(Text(u"%c%c%C%cb%d", true, 0xE9, 0xD83D, 0xE9, 0, 5)),
              Units({0xE9, 0xD83D, 0xFFFD}));
    EXPECT_EQ(UnitsOf(Text(u"a%Cb", true, 0)), u"a");
    EXPECT_EQ(UnitsOf(Text(u"100%%|%5%|%-*%%d", true, 9)), u"100%|%|%9");
    int untouched = 7;
    EXPECT_EQ(UnitsOf(Text(u"a%nb%lln%d", true, &untouched, &untouched, 5)), u"ab5");
    EXPECT_EQ(untouched, 7);
    // Malformed conversions are copied and take no argument.
    EXPECT_EQ(
        UnitsOf(Text(u"%y%5.2q%hhs%Ld%wd%lp%*.*k%99999999999d%.3000000000f%d%-05.2l", true, 3)),
        u"%y%5.2q%hhs%Ld%wd%lp%*.*k%99999999999d%.3000000000f3%-05.2l");
    EXPECT_EQ(UnitsOf(Text(u"abc%", true, 1)), u"abc%");
    EXPECT_EQ(UnitsOf(Text(u"%I32d %I64d %Id %I3d", true, INT32_MIN, INT64_MIN, std::size_t{9})),
              u"-2147483648 -9223372036854775808 9 %I3d");
}

}  // namespace
}  // namespace qt_test
