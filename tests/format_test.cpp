// Text from a printf-style UTF-16 format: the literal path, numeric conversions against the C
// library's snprintf, and the string and character conversions done over UTF-16 units.
#include <QuendalText/Text.h>

#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "test_support.h"

namespace {

using QuendalText::Text;
using QuendalText::UTF16String;
using qt_test::Units;
using qt_test::UnitsOf;

UTF16String Widen(const std::string& ascii) { return UTF16String(ascii.begin(), ascii.end()); }

// Formats `args` with `wideFormat` through Text and with `narrowFormat` through snprintf, and
// expects the same units.
template <class... Args>
void ExpectSameAsCLibrary(const std::string& wideFormat, const std::string& narrowFormat, Args... args) {
    const int size = std::snprintf(nullptr, 0, narrowFormat.c_str(), args...);
    ASSERT_GE(size, 0) << narrowFormat;
    std::vector<char> expected(static_cast<std::size_t>(size) + 1);
    std::snprintf(expected.data(), expected.size(), narrowFormat.c_str(), args...);
    const Text text(Widen(wideFormat).c_str(), true, args...);
    EXPECT_EQ(UnitsOf(text), Widen(expected.data())) << narrowFormat;
}

TEST(FormatConstructor, EmptyLiteralAndLongResults) {
    for (const bool formatted : {true, false}) {
        for (const Text& text : {Text(nullptr, formatted, 5), Text(u"", formatted, 5)}) {
            EXPECT_TRUE(text.IsEmpty());
            EXPECT_EQ(text.get_NumberOfCharacters(), 0);
            EXPECT_TRUE(text.IsCaseSensitive());
            EXPECT_TRUE(text.IsSearchForward());
        }
    }
    const Text literal(u"100%", false, 7);
    EXPECT_EQ(UnitsOf(literal), Units({'1', '0', '0', '%'}));
    EXPECT_EQ(literal.get_NumberOfCharacters(), 4);
    EXPECT_EQ(UnitsOf(Text(u"%d%s", false)), u"%d%s");
    EXPECT_EQ(UnitsOf(Text(u"%d", true, 42)), u"42");
    // Formats just below and at the 256-unit block, with results past it.
    for (const std::size_t formatUnits : {255u, 256u, 511u, 512u}) {
        const UTF16String format = UTF16String(formatUnits - 2, u'x') + u"%d";
        const Text text(format.c_str(), true, 1234567);
        EXPECT_EQ(UnitsOf(text), UTF16String(formatUnits - 2, u'x') + u"1234567");
        EXPECT_EQ(text.get_NumberOfCharacters(), static_cast<int>(formatUnits + 5));
    }
    const UTF16String thousand(1000, u'q');
    EXPECT_EQ(UnitsOf(Text(u"<%s>", true, thousand.c_str())), u"<" + thousand + u">");
    EXPECT_EQ(UnitsOf(Text(u"%5000s", true, u"z")), UTF16String(4999, u' ') + u"z");
    ExpectSameAsCLibrary("%.700f|%-900d|%0800x", "%.700f|%-900d|%0800x", 1e300, -5, 0xBEEFu);
}

TEST(FormatNumeric, GeneratedConversionsMatchCLibrary) {
    struct Length {
        const char* wide;
        const char* narrow;
    };
    const Length integerLengths[] = {{"", ""}, {"hh", "hh"}, {"h", "h"}, {"l", "l"}, {"ll", "ll"},
                                     {"I32", ""}, {"I64", "ll"}, {"I", "z"}, {"z", "z"}, {"t", "t"}, {"j", "j"}};
    const char integerLetters[] = "diuoxX";
    const char floatingLetters[] = "eEfFgGaA";
    const double specialDoubles[] = {0.0, -0.0, INFINITY, -INFINITY, NAN, DBL_MIN / 8, DBL_MAX, 0.5, 9.9999};
    std::mt19937_64 random(20240611);
    auto pick = [&](int bound) { return static_cast<int>(random() % static_cast<unsigned>(bound)); };

    for (int trial = 0; trial < 6000; ++trial) {
        std::string flags;
        for (const char flag : std::string("-+ #0")) {
            if (pick(3) == 0) flags += flag;
        }
        const int widthChoice = pick(4);  // none, digits, '*' positive, '*' negative
        const int precisionChoice = pick(5);  // none, '.', digits, '*', '*' negative
        const int widthArgument = widthChoice == 3 ? -pick(25) : pick(25);
        const int precisionArgument = precisionChoice == 4 ? -1 - pick(5) : pick(25);
        std::string middle = flags;
        if (widthChoice == 1) middle += std::to_string(widthArgument);
        if (widthChoice >= 2) middle += "*";
        if (precisionChoice == 1) middle += ".";
        if (precisionChoice == 2) middle += "." + std::to_string(precisionArgument);
        if (precisionChoice >= 3) middle += ".*";

        auto check = [&](const std::string& wideLength, const std::string& narrowLength, char letter, auto value) {
            const std::string tail = std::string(1, letter) + "]";
            const std::string wide = "[%" + middle + wideLength + tail;
            const std::string narrow = "[%" + middle + narrowLength + tail;
            if (widthChoice >= 2 && precisionChoice >= 3) {
                ExpectSameAsCLibrary(wide, narrow, widthArgument, precisionArgument, value);
            } else if (widthChoice >= 2) {
                ExpectSameAsCLibrary(wide, narrow, widthArgument, value);
            } else if (precisionChoice >= 3) {
                ExpectSameAsCLibrary(wide, narrow, precisionArgument, value);
            } else {
                ExpectSameAsCLibrary(wide, narrow, value);
            }
        };

        const std::uint64_t bits = random() >> pick(64);
        const auto value = static_cast<std::int64_t>(pick(2) == 0 ? bits : 0 - bits);
        const int kind = pick(10);
        if (kind < 6) {
            const Length& length = integerLengths[pick(11)];
            const char letter = integerLetters[pick(6)];
            const bool isSigned = letter == 'd' || letter == 'i';
            const std::string size = length.narrow;
            if (size == "l" || size == "ll" || size == "z" || size == "t" || size == "j") {
                // Every one of these is a 64-bit type on this platform.
                if (isSigned) check(length.wide, size, letter, static_cast<long long>(value));
                else check(length.wide, size, letter, static_cast<unsigned long long>(value));
            } else if (isSigned) {
                check(length.wide, size, letter, static_cast<int>(value));
            } else {
                check(length.wide, size, letter, static_cast<unsigned>(value));
            }
        } else if (kind < 9) {
            const char letter = floatingLetters[pick(8)];
            const double number = pick(4) == 0 ? specialDoubles[pick(9)]
                                               : std::ldexp(static_cast<double>(value), pick(200) - 160);
            if (pick(3) == 0) check("L", "L", letter, static_cast<long double>(number) / 3);
            else check(pick(2) == 0 ? "l" : "", "", letter, number);
        } else {
            check("", "", 'p', reinterpret_cast<void*>(static_cast<std::uintptr_t>(value)));
        }
        if (HasFailure()) break;
    }
}

TEST(FormatStrings, WideAndNarrowStringsWithWidthAndPrecision) {
    const char16_t pair[] = u"A\U0001F600B";
    EXPECT_EQ(UnitsOf(Text(u"%s|%ls|%ws", true, pair, u"w", u"v")), Units({'A', 0xD83D, 0xDE00, 'B', '|', 'w', '|', 'v'}));
    EXPECT_EQ(UnitsOf(Text(u"%S|%hs|%hS", true, u8"\u00E9\U0001F600", "n", "m")),
              Units({0xE9, 0xD83D, 0xDE00, '|', 'n', '|', 'm'}));
    EXPECT_EQ(UnitsOf(Text(u"%lS", true, u"wide")), u"wide");
    EXPECT_EQ(UnitsOf(Text(u"[%5s][%-5s][%*s][%.2s]", true, u"ab", u"ab", -4, u"c", pair)),
              Units({'[', ' ', ' ', ' ', 'a', 'b', ']', '[', 'a', 'b', ' ', ' ', ' ', ']', '[', 'c', ' ', ' ',
                     ' ', ']', '[', 'A', 0xD83D, ']'}));
    EXPECT_EQ(UnitsOf(Text(u"[%.*s][%.0s][%.3S][%.2S][%4.2S]", true, -1, u"all", u"x", u8"a\U0001F600b",
                           u8"a\U0001F600", u8"\u00E9z")),
              Units({'[', 'a', 'l', 'l', ']', '[', ']', '[', 'a', 0xD83D, 0xDE00, ']', '[', 'a', 0xD83D, ']', '[',
                     ' ', ' ', 0xE9, 'z', ']'}));
    const char16_t* nullWide = nullptr;
    const char* nullNarrow = nullptr;
    EXPECT_EQ(UnitsOf(Text(u"%s|%S|%.3s|%8S", true, nullWide, nullNarrow, nullWide, nullNarrow)),
              u"(null)|(null)|(nu|  (null)");
    // With a precision, strings without a terminator are read no further than needed.
    const char16_t wideUnterminated[] = {'x', 'y', 'z'};
    const char narrowUnterminated[] = {'p', 'q'};
    EXPECT_EQ(UnitsOf(Text(u"%.3s%.2S", true, wideUnterminated, narrowUnterminated)), u"xyzpq");
    // Each maximal ill-formed UTF-8 subpart becomes one U+FFFD.
    const char* illFormed = "\xFF|\xC3z|\xE0\x80|\xED\xA0\x80|\xF0\x9F\x98|\xF4\x90\x80\x80|\xC3";
    EXPECT_EQ(UnitsOf(Text(u"%S", true, illFormed)),
              Units({0xFFFD, '|', 0xFFFD, 'z', '|', 0xFFFD, 0xFFFD, '|', 0xFFFD, 0xFFFD, 0xFFFD, '|', 0xFFFD,
                     '|', 0xFFFD, 0xFFFD, 0xFFFD, 0xFFFD, '|', 0xFFFD}));
}

TEST(FormatStrings, CharactersPercentCountAndMalformed) {
    EXPECT_EQ(UnitsOf(Text(u"%c%c%lc%wc|%C%hc%C|%3c|%-3c|", true, 0xE9, 0xD83D, 'l', 'w', 'A', 'h', 0xE9, 'r', 'l')),
              Units({0xE9, 0xD83D, 'l', 'w', '|', 'A', 'h', 0xFFFD, '|', ' ', ' ', 'r', '|', 'l', ' ', ' ', '|'}));
    // A NUL character ends the text.
    EXPECT_EQ(UnitsOf(Text(u"a%cb%d", true, 0, 5)), u"a");
    EXPECT_EQ(UnitsOf(Text(u"a%Cb", true, 0)), u"a");
    EXPECT_EQ(UnitsOf(Text(u"100%%|%5%|%-*%%d", true, 9)), u"100%|%|%9");
    int untouched = 7;
    EXPECT_EQ(UnitsOf(Text(u"a%nb%lln%d", true, &untouched, &untouched, 5)), u"ab5");
    EXPECT_EQ(untouched, 7);
    // Malformed conversions are copied and take no argument.
    EXPECT_EQ(UnitsOf(Text(u"abc%", true, 1)), u"abc%");
    EXPECT_EQ(UnitsOf(Text(u"%-05.2l", true, 1)), u"%-05.2l");
    EXPECT_EQ(UnitsOf(Text(u"%y%5.2q%hhs%Ld%wd%lp%*.*k%d", true, 3)), u"%y%5.2q%hhs%Ld%wd%lp%*.*k3");
    EXPECT_EQ(UnitsOf(Text(u"%99999999999d%.3000000000f%d", true, 4)), u"%99999999999d%.3000000000f4");
    EXPECT_EQ(UnitsOf(Text(u"%I32d %I64d %Id %I3d", true, INT32_MIN, INT64_MIN, std::size_t{9})),
              u"-2147483648 -9223372036854775808 9 %I3d");
}

}  // namespace
