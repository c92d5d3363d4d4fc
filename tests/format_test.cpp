// Text from a printf-style UTF-16 format: the literal path, generated conversions against the C
// library's snprintf, and named cases of what only UTF-16 output has.
#include "test_support.h"

#include <tuple>
#include <utility>

#include <cctype>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdio>

namespace {
using namespace qt_test;

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
    EXPECT_TRUE(
        Holds(Text(Widen(wideFormat).c_str(), true, leading..., wideValue), Widen(expected.data())))
        << wideFormat;
}

TEST(Format, EmptyLiteralAndLongResults) {
    for (const Text& text : {Text(nullptr, true, 5), Text(QUENDALTEXT_U(""), true, 5),
                             Text(nullptr, false), Text(QUENDALTEXT_U(""), false)})
        EXPECT_TRUE(Holds(text, {}));
    EXPECT_TRUE(Holds(Text(QUENDALTEXT_U("100%|%d%s"), false, 7), QUENDALTEXT_U("100%|%d%s")));
    // Formats just below and at the 256-unit block, with results past it.
    for (const std::size_t formatUnits : {255u, 256u, 511u, 512u}) {
        const std::string filler(formatUnits - 2, 'x');
        ExpectSameAsCLibrary(filler + "%d", filler + "%d", 1234567, 1234567);
    }
    ExpectSameAsCLibrary("%.700f|%-900d|%0800x", "%.700f|%-900d|%0800x", 0xBEEFu, 0xBEEFu, 1e300,
                         -5);
}

// Integer fields of a million characters, written out by hand: mingw-w64's printf would build
// them on its stack, and the library pads them itself.
TEST(Format, IntegerFieldsOfAMillionCharacters) {
    constexpr int kWide = 1000000;
    const auto run = [](std::size_t count, char c) { return std::string(count, c); };
    const std::pair<Text, std::string> cases[] = {
        {Text(QUENDALTEXT_U("%0*d"), true, kWide, -42), "-" + run(kWide - 3, '0') + "42"},
        {Text(QUENDALTEXT_U("%-*x|"), true, kWide, 255), "ff" + run(kWide - 2, ' ') + "|"},
        {Text(QUENDALTEXT_U("%+.*d"), true, kWide, 7), "+" + run(kWide - 1, '0') + "7"},
        {Text(QUENDALTEXT_U("%#*.*X"), true, kWide + 5, kWide, 255),
         run(3, ' ') + "0X" + run(kWide - 2, '0') + "FF"}};
    for (const auto& [text, expected] : cases) EXPECT_TRUE(text.ToUTF8String() == expected);
}

// Random flags, widths and precisions (as digits or '*', negative ones too) with every integer
// length (and its narrow equivalent: every type of the 64-bit ones is 64 bits wide here), every
// floating-point letter, and narrow and wide strings and characters. (%p is snprintf's own.)
TEST(Format, GeneratedConversionsMatchTheCLibrary) {
    const char* const lengths[][2] = {{"", ""},     {"hh", "hh"},  {"h", "h"}, {"l", "l"},
                                      {"ll", "ll"}, {"I64", "ll"}, {"I", "z"}, {"z", "z"},
                                      {"t", "t"},   {"j", "j"},    {"I32", ""}};
    const char* const textLengths[] = {"", "l", "w", "h"};
    const double specials[] = {0.0,         -0.0,    INFINITY, -INFINITY, NAN,
                               DBL_MIN / 8, DBL_MAX, 0.5,      9.9999};
    std::mt19937_64 random(20240611);
    auto pick = [&](int bound) {
        return static_cast<int>(random() % static_cast<unsigned>(bound));
    };
    for (int trial = 0; trial < 8000 && !HasFailure(); ++trial) {
        const int kind = pick(12);  // 0-5 integer, 6-8 floating, 9-10 string, 11 char
        std::string middle;
        for (const char flag : std::string(kind >= 9 ? "-" : "-+ #0"))
            middle += pick(3) ? "" : std::string(1, flag);
        const int widthChoice = pick(4);  // none, digits, '*', '*' negative
        const int precisionChoice =
            kind == 11 ? 0 : pick(5);  // none, '.', digits, '*', '*' negative
        // Now and then a field around 4096, where integers stop going to the C library whole.
        auto field = [&] { return pick(8) == 0 ? 4090 + pick(12) : pick(25); };
        const int width = widthChoice == 3 ? -field() : field();
        const int precision = precisionChoice == 4 ? -1 - pick(5) : field();
        middle += widthChoice == 1 ? std::to_string(width) : widthChoice >= 2 ? "*" : "";
        middle += precisionChoice == 1   ? "."
                  : precisionChoice == 2 ? "." + std::to_string(precision)
                  : precisionChoice >= 3 ? ".*"
                                         : "";
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
            const int length = pick(11);
            const bool wide64 = length >= 3 && length <= 9;
            const char letter = "diuoxX"[pick(6)];
            const auto same = [&](auto number) {
                check(lengths[length][0] + std::string(1, letter),
                      lengths[length][1] + std::string(1, letter), number, number);
            };
            if (letter == 'd' || letter == 'i')
                wide64 ? same(static_cast<long long>(value)) : same(static_cast<int>(value));
            else
                wide64 ? same(static_cast<unsigned long long>(value))
                       : same(static_cast<unsigned>(value));
        } else if (kind < 9) {
            const std::string letter(1, "eEfFgGaA"[pick(8)]);
            const double number =
                pick(4) == 0 ? specials[pick(9)] : std::ldexp(double(value), pick(200) - 160);
            const long double third = static_cast<long double>(number) / 3;
            const bool longDouble = pick(3) == 0;
            if (longDouble) check("L" + letter, "L" + letter, third, third);
            if (!longDouble) check((pick(2) == 0 ? "l" : "") + letter, letter, number, number);
        } else {  // narrow with 'h', or with an upper-case letter and no length
            const std::string length = textLengths[pick(4)];
            const char lower = kind == 11 ? 'c' : 's',
                       letter = pick(2) ? lower : char(std::toupper(lower));
            const bool narrowArgument = length == "h" || (length.empty() && std::isupper(letter));
            std::string narrow(std::size_t(pick(12)), ' ');
            for (char& c : narrow) c = static_cast<char>('!' + pick(94));
            const UTF16String wide = Widen(narrow);
            const int character = '!' + pick(94);
            if (kind == 11) check(length + letter, "c", character, character);
            if (kind < 11 && narrowArgument)
                check(length + letter, "s", narrow.c_str(), narrow.c_str());
            if (kind < 11 && !narrowArgument)
                check(length + letter, "s", narrow.c_str(), wide.c_str());
        }
    }
}

TEST(Format, WhatOnlyUTF16OutputHas) {
    const UTF16String pair = Units({'A', 0xD83D, 0xDE00, 'B'});
    const UTF16Unit *nullWide = nullptr, unterminated[] = {'x', 'y', 'z'};
    const char *nullNarrow = nullptr, narrowUnterminated[] = {'p', 'q'};
    const UTF16Unit bad = 0xFFFD;  // each maximal ill-formed UTF-8 subpart becomes one U+FFFD
    int untouched = 7;
    const std::tuple<const char*, Text, UTF16String> rows[] = {
        {"precision counts units and may cut a pair",
         Text(QUENDALTEXT_U("%s|%.2s|%.3S|%.2S|%4.2S"), true, pair.c_str(), pair.c_str(),
              "a\xF0\x9F\x98\x80z", "a\xF0\x9F\x98\x80", "\xC3\xA9z"),
         Units({'A', 0xD83D, 0xDE00, 'B', '|', 'A', 0xD83D, '|', 'a', 0xD83D, 0xDE00, '|', 'a',
                0xD83D, '|', ' ', ' ', 0xE9, 'z'})},
        {"null strings; a precision reads no further than it needs",
         Text(QUENDALTEXT_U("%s|%S|%.3s|%8S|%.3s%.2S"), true, nullWide, nullNarrow, nullWide,
              nullNarrow, unterminated, narrowUnterminated),
         QUENDALTEXT_U("(null)|(null)|(nu|  (null)|xyzpq")},
        {"ill-formed UTF-8",
         Text(QUENDALTEXT_U("%S"), true,
              "\xFF|\xC3z|\xE0\x80|\xED\xA0\x80|\xF0\x9F\x98|\xF4\x90\x80\x80|\xC3"),
         Units({bad, '|', bad, 'z', '|', bad, bad, '|', bad, bad,
                bad, '|', bad, '|', bad, bad, bad, bad, '|', bad})},
        {"%c a UTF-16 unit, %C a byte, and a NUL ends the text",
         Text(QUENDALTEXT_U("%c%c%C%cb%d"), true, 0xE9, 0xD83D, 0xE9, 0, 5),
         Units({0xE9, 0xD83D, bad})},
        {"%% whatever stands between, %n writes nothing",
         Text(QUENDALTEXT_U("100%%|%5%|%-*%%d|a%nb%lln%d"), true, 9, &untouched, &untouched, 5),
         QUENDALTEXT_U("100%|%|%9|ab5")},
        {"malformed conversions are copied and take no argument",
         Text(QUENDALTEXT_U("%y%5.2q%hhs%Ld%wd%lp%*.*k%99999999999d%.3000000000f%I3d%d%-05.2l"),
              true, 3),
         QUENDALTEXT_U("%y%5.2q%hhs%Ld%wd%lp%*.*k%99999999999d%.3000000000f%I3d3%-05.2l")},
    };
    for (const auto& [name, text, units] : rows) EXPECT_TRUE(Holds(text, units)) << name;
    EXPECT_EQ(untouched, 7);
}

}  // namespace
