// Text from a printf-style UTF-16 format: the literal path, generated conversions against the C
// library's snprintf, and named cases of what only UTF-16 output has.
#include "test_support.h"

#include <tuple>
#include <utility>

#include <cctype>
#include <cfenv>
#include <cfloat>
#include <climits>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>

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

// A random conversion: some of `flags`, a width and (unless `noPrecision`) a precision, each
// none, digits or '*' (negative ones too), checked with a letter against snprintf.
struct RandomConversion {
    std::mt19937_64& random;
    int widthChoice = 0, precisionChoice = 0, width = 0, precision = 0;
    std::string middle;

    RandomConversion(std::mt19937_64& engine, const std::string& flags, bool noPrecision)
        : random(engine) {
        for (const char flag : flags) middle += Pick(3) ? "" : std::string(1, flag);
        widthChoice = Pick(4);                        // none, digits, '*', '*' negative
        precisionChoice = noPrecision ? 0 : Pick(5);  // none, '.', digits, '*', '*' negative
        width = widthChoice == 3 ? -Field() : Field();
        precision = precisionChoice == 4 ? -1 - Pick(5) : Field();
        middle += widthChoice == 1 ? std::to_string(width) : widthChoice >= 2 ? "*" : "";
        middle += precisionChoice == 1   ? "."
                  : precisionChoice == 2 ? "." + std::to_string(precision)
                  : precisionChoice >= 3 ? ".*"
                                         : "";
    }
    int Pick(int bound) { return static_cast<int>(random() % static_cast<unsigned>(bound)); }
    // Now and then a field around 4096, where integers stop going to the C library whole.
    int Field() { return Pick(8) == 0 ? 4090 + Pick(12) : Pick(25); }
    // Any 64-bit value, small ones as often as large.
    std::int64_t Value() {
        const std::uint64_t bits = random() >> Pick(64);
        return static_cast<std::int64_t>(Pick(2) == 0 ? bits : 0 - bits);
    }
    template <class Narrow, class Wide>
    void Check(const std::string& wideTail, const std::string& narrowTail, Narrow narrowValue,
               Wide wideValue) {
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
    }
};

// Every integer length and its narrow equivalent (every type of the 64-bit ones is 64 bits wide
// here).
TEST(Format, GeneratedIntegerConversionsMatchTheCLibrary) {
    const char* const lengths[][2] = {{"", ""},     {"hh", "hh"},  {"h", "h"}, {"l", "l"},
                                      {"ll", "ll"}, {"I64", "ll"}, {"I", "z"}, {"z", "z"},
                                      {"t", "t"},   {"j", "j"},    {"I32", ""}};
    std::mt19937_64 random(20240611);
    for (int trial = 0; trial < 4000 && !HasFailure(); ++trial) {
        RandomConversion conversion(random, "-+ #0", false);
        const std::int64_t value = conversion.Value();
        const int length = conversion.Pick(11);
        const bool wide64 = length >= 3 && length <= 9;
        const char letter = "diuoxX"[conversion.Pick(6)];
        const auto same = [&](auto number) {
            conversion.Check(lengths[length][0] + std::string(1, letter),
                             lengths[length][1] + std::string(1, letter), number, number);
        };
        if (letter == 'd' || letter == 'i')
            wide64 ? same(static_cast<long long>(value)) : same(static_cast<int>(value));
        else
            wide64 ? same(static_cast<unsigned long long>(value))
                   : same(static_cast<unsigned>(value));
    }
}

// Every floating-point letter, double and long double, with infinities, NaN and subnormals.
TEST(Format, GeneratedFloatingConversionsMatchTheCLibrary) {
    const double specials[] = {0.0,         -0.0,    INFINITY, -INFINITY, NAN,
                               DBL_MIN / 8, DBL_MAX, 0.5,      9.9999};
    std::mt19937_64 random(20240612);
    for (int trial = 0; trial < 2500 && !HasFailure(); ++trial) {
        RandomConversion conversion(random, "-+ #0", false);
        const std::string letter(1, "eEfFgGaA"[conversion.Pick(8)]);
        const double number = conversion.Pick(4) == 0 ? specials[conversion.Pick(9)]
                                                      : std::ldexp(double(conversion.Value()),
                                                                   conversion.Pick(200) - 160);
        const long double third = static_cast<long double>(number) / 3;
        if (conversion.Pick(3) == 0)
            conversion.Check("L" + letter, "L" + letter, third, third);
        else
            conversion.Check((conversion.Pick(2) == 0 ? "l" : "") + letter, letter, number, number);
    }
}

// Narrow and wide strings and characters: narrow with 'h', or with an upper-case letter and no
// length. (%p is snprintf's own.)
TEST(Format, GeneratedStringAndCharacterConversionsMatchTheCLibrary) {
    const char* const textLengths[] = {"", "l", "w", "h"};
    std::mt19937_64 random(20240613);
    for (int trial = 0; trial < 2500 && !HasFailure(); ++trial) {
        const bool character = random() % 3 == 0;
        RandomConversion conversion(random, "-", character);
        const std::string length = textLengths[conversion.Pick(4)];
        const char lower = character ? 'c' : 's',
                   letter = conversion.Pick(2) ? lower : char(std::toupper(lower));
        const bool narrowArgument = length == "h" || (length.empty() && std::isupper(letter));
        std::string narrow(std::size_t(conversion.Pick(12)), ' ');
        for (char& c : narrow) c = static_cast<char>('!' + conversion.Pick(94));
        const UTF16String wide = Widen(narrow);
        const int byte = '!' + conversion.Pick(94);
        if (character) conversion.Check(length + letter, "c", byte, byte);
        if (!character && narrowArgument)
            conversion.Check(length + letter, "s", narrow.c_str(), narrow.c_str());
        if (!character && !narrowArgument)
            conversion.Check(length + letter, "s", narrow.c_str(), wide.c_str());
    }
}

// Bare %f, %e and %g skip snprintf only where its text would be the same: not under another
// rounding mode, nor where the decimal point is a comma (de_DE, generated for the tests).
TEST(Format, NumbersFollowTheRoundingModeAndTheDecimalPoint) {
    const auto expectSnprintfs = [](const char* setting) {
        SCOPED_TRACE(setting);
        for (const double value : {2.0 / 3, -2.0 / 3, 0.125, -1e21 / 3})
            for (const char* format : {"%f", "%.1f", "%e", "%.3e", "%g", "%.2g"})
                ExpectSameAsCLibrary(format, format, value, value);
    };
    const std::pair<int, const char*> modes[] = {
        {FE_UPWARD, "upward"}, {FE_DOWNWARD, "downward"}, {FE_TOWARDZERO, "toward zero"}};
    for (const auto& [mode, name] : modes) {
        ASSERT_EQ(std::fesetround(mode), 0);
        expectSnprintfs(name);
        std::fesetround(FE_TONEAREST);
    }
    // The process's locale: glibc's newlocale keeps part of LOCPATH for good.
    const std::string previous = std::setlocale(LC_NUMERIC, nullptr);
#if defined(_WIN32)
    if (std::setlocale(LC_NUMERIC, "de-DE") == nullptr) GTEST_SKIP() << "no de-DE locale";
#else
    setenv("LOCPATH", QUENDALTEXT_TEST_LOCALES, 1);
    const bool found = std::setlocale(LC_NUMERIC, "de_DE.UTF-8") != nullptr;
    unsetenv("LOCPATH");
    ASSERT_TRUE(found) << "no de_DE.UTF-8 in " QUENDALTEXT_TEST_LOCALES;
#endif
    expectSnprintfs("de_DE");
    std::setlocale(LC_NUMERIC, previous.c_str());
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
