// Text from a printf-style UTF-16 format: the literal path, generated conversions against the C
// library's snprintf, and named cases of what only UTF-16 output has.
#include "../fuzz/format_reference.h"
#include "test_support.h"

#include <cfenv>
#include <clocale>
#include <cstdlib>
#include <utility>

namespace {
using namespace qt_test;

// Expects Text(format, true, leading..., value) to give the units that snprintf gives.
template <class Value, class... Leading>
void ExpectSameAsCLibrary(const std::string& format, Value value, Leading... leading) {
    EXPECT_EQ(fuzz::FormatMismatch(format, format, value, value, leading...), "");
}

TEST(Format, EmptyLiteralAndLongResults) {
    for (const Text& text : {Text(nullptr, true, 5), Text(QUENDALTEXT_U(""), true, 5),
                             Text(nullptr, false), Text(QUENDALTEXT_U(""), false)})
        EXPECT_TRUE(Holds(text, {}));
    EXPECT_TRUE(Holds(Text(QUENDALTEXT_U("100%|%d%s"), false, 7), QUENDALTEXT_U("100%|%d%s")));
    // Formats just below and at the 256-unit block, with results past it.
    for (const std::size_t formatUnits : {255u, 256u, 511u, 512u}) {
        const std::string filler(formatUnits - 2, 'x');
        ExpectSameAsCLibrary(filler + "%d", 1234567);
    }
    ExpectSameAsCLibrary("%.700f|%-900d|%0800x", 0xBEEFu, 1e300, -5);
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

// Integer, floating-point, string and character conversions by turns.
TEST(Format, GeneratedConversionsMatchTheCLibrary) {
    std::mt19937_64 random(20240611);
    const std::function<std::uint64_t()> next = [&random] { return random(); };
    for (int trial = 0; trial < 4000; ++trial) {
        ASSERT_EQ(fuzz::IntegerMismatch(next), "");
        ASSERT_EQ(fuzz::FloatingMismatch(next), "");
        ASSERT_EQ(fuzz::StringMismatch(next), "");
    }
}

// Bare %f, %e and %g skip snprintf only where its text would be the same: not under another
// rounding mode, nor where the decimal point is a comma (de_DE, generated for the tests).
TEST(Format, NumbersFollowTheRoundingModeAndTheDecimalPoint) {
    const auto expectSnprintfs = [](const char* setting) {
        SCOPED_TRACE(setting);
        for (const double value : {2.0 / 3, -2.0 / 3, 0.125, -1e21 / 3})
            for (const char* format : {"%f", "%.1f", "%e", "%.3e", "%g", "%.2g"})
                ExpectSameAsCLibrary(format, value);
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
