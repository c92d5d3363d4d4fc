// Text in from UTF-32 and handed out: UTF-8 and UTF-32 output against ICU, UTF-16 and ASCII
// output against their rules, into canary-filled buffers; and the text read as numbers.
#include "../fuzz/output_reference.h"
#include "test_support.h"

#include <cerrno>
#include <cfenv>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <optional>

#include <unicode/ustring.h>

#include "internal/conversion.h"

namespace {
using namespace qt_test;

// The room a conversion into UTF-16 reserves, terminator included, never overflows the count.
using QuendalText::detail::UTF16Capacity;
constexpr std::size_t kHalf = (INT32_MAX - 1) / 2;
constexpr auto kNone = QuendalText::detail::kSourceTooLong;
static_assert(UTF16Capacity(0, 1) == 1 && UTF16Capacity(7, 2) == 15);
static_assert(UTF16Capacity(INT32_MAX - 1, 1) == INT32_MAX && UTF16Capacity(kHalf, 2) == INT32_MAX);
static_assert(UTF16Capacity(INT32_MAX, 1) == kNone && UTF16Capacity(SIZE_MAX, 1) == kNone);
static_assert(UTF16Capacity(kHalf + 1, 2) == kNone && UTF16Capacity(SIZE_MAX / 2 + 1, 2) == kNone);

TEST(TextConvertIn, NullSourcesAndUTF32ConvertedWholeOrRaising) {
    const UTF32Unit stopsAtZero[] = {0x41, 0x1F600, 0, 0x42, 0}, startsWithZero[] = {0, 0x41, 0};
    EXPECT_TRUE(Holds(Text(stopsAtZero), Units({'A', 0xD83D, 0xDE00})));
    EXPECT_TRUE(Holds(Text(startsWithZero), {}));
    EXPECT_TRUE(Holds(Text(static_cast<const UTF32Unit*>(nullptr)), {}));
    EXPECT_TRUE(Holds(Text(static_cast<const char*>(nullptr)), {}));
    EXPECT_TRUE(Holds(Text("x") += static_cast<const char*>(nullptr), Units({'x'})));
    for (const UTF32Unit bad : {UTF32Unit{0x110000}, UTF32Unit{0xD800}, UTF32Unit{0xFFFFFFFF}}) {
        const UTF32Unit units[] = {0x41, bad, 0};
        EXPECT_RAISES(Text{units}, std::runtime_error, "Unspecified function", 290,
                      "U_INVALID_CHAR_FOUND");
    }
}

// Every size from -1 to past the room needed, with and without a NUL; a null buffer of size 0
// is a size query, of any other size a fault.
TEST(TextConvertOut, UTF8AndUTF32OutputAsIcuWrites) {
    Generator generate{std::mt19937(17)};
    for (int trial = 0; trial < 4000; ++trial) {
        const Text text(generate.Units(6));
        const bool nul = trial % 2 == 0;
        const int size8 = generate.Below(3 * text.get_Length() + 4) - 1,
                  size32 = generate.Below(text.get_Length() + 3) - 1;
        ASSERT_TRUE((fuzz::WritesAsIcu<char, char>(
            text, size8, nul, 986, u_strToUTF8,
            [&](char* buffer, int size, bool n) { text.ToUTF8(buffer, size, n); })))
            << testing::PrintToString(UnitsOf(text)) << size8 << nul;
        ASSERT_TRUE((fuzz::WritesAsIcu<UTF32Unit, UChar32>(
            text, size32, nul, 955, u_strToUTF32,
            [&](UTF32Unit* buffer, int size, bool n) { text.ToUTF32(buffer, size, n); })))
            << testing::PrintToString(UnitsOf(text)) << size32 << nul;
    }
    const Text ae = Text(Units({'a', 0xE9}));
    ae.ToUTF8(nullptr, 0, true);
    EXPECT_RAISES(ae.ToUTF8(nullptr, 4, true), std::runtime_error, "Unspecified function", 986,
                  "U_ILLEGAL_ARGUMENT_ERROR");
}

// The floating-point environment is reset when ToAscii catches a failure only.
TEST(TextConvertOut, ToAsciiResetsTheFloatingPointAfterAFailure) {
    const Text abc(QUENDALTEXT_U("abc"));
    char bytes[4];
    for (const int size : {4, 2, -1}) {  // fits, too small, refused by the conversion
        std::feraiseexcept(FE_DIVBYZERO);
        EXPECT_EQ(abc.ToAscii(bytes, size, true), size == 4);
        EXPECT_EQ(std::fetestexcept(FE_DIVBYZERO) != 0, size == 4) << size;
    }
}

// ToUTF16 and ToUnicode copy the units and their NUL as far as they fit, the NUL also into the last
// whole unit, and zero a buffer too small for them; ToAscii writes what ToUTF8 writes for an
// all-ASCII text, zeroes the buffer for any other, and answers whether it wrote. Every size from
// -1 to past the room needed, into canary-filled buffers.
TEST(TextConvertOut, UTF16AndAsciiOutputFollowTheirRules) {
    Generator generate{std::mt19937(31)};
    for (int trial = 0; trial < 4000; ++trial) {
        UTF16String units = generate.Units(6);
        if (trial % 2 == 0) {
            for (UTF16Unit& unit : units) unit = UTF16Unit(unit & 0x7F);
        }
        const Text text(units);
        const bool nul = trial % 4 < 2;
        const int needed = 2 * (int(units.size()) + nul), size = generate.Below(needed + 4) - 1;
        SCOPED_TRACE(testing::Message() << testing::PrintToString(units) << size << nul);
        auto buffer = CanaryBuffer<char>(Size(needed) + 4), second = buffer, expected = buffer;
        auto ascii = buffer, utf8 = buffer;
        text.ToUTF16(reinterpret_cast<UTF16Unit*>(buffer.data()), size, nul);
        EXPECT_TRUE(text.ToUnicode(reinterpret_cast<UTF16Unit*>(second.data()), size, nul));
        if (size > 0 && size < needed) std::fill_n(expected.begin(), size, '\0');
        if (size >= needed && size > 0) {
            std::memcpy(expected.data(), text.c_str(), std::min(Size(size), 2 * units.size() + 2));
            const std::size_t end = Size(size) / 2 * 2;  // the NUL takes the last whole unit
            if (nul) std::fill(expected.begin() + long(end) - 2, expected.begin() + long(end), 0);
        }
        EXPECT_TRUE(buffer == expected && second == expected);
        bool written = false;
        if (text.IsAscii()) {
            try {
                text.ToUTF8(utf8.data(), size, nul);
                written = true;
            } catch (const std::runtime_error&) {}
        } else if (size > 0) {
            std::fill_n(utf8.begin(), size, '\0');
        }
        EXPECT_EQ(text.ToAscii(ascii.data(), size, nul), written);
        EXPECT_EQ(ascii, utf8);
    }
    EXPECT_TRUE(Text("abc").ToAscii(nullptr, 0, true) && Text().ToUnicode(nullptr, 0, false));
}

// Texts of pieces of numbers and of what stops them. ToLong as strtol reads the units before the
// first NUL or non-ASCII one (Windows' runtime also reads other scripts' digits and spaces),
// ToInteger that clamped to int, ToDouble as atof reads an all-ASCII text and -(10^10 - 1) for
// any other.
// ParseInteger as strtoll reads the whole of an ASCII text without white space around it;
// ParseDouble as std::from_chars reads it, after a '+' that is not followed by '-'. Anything
// short of the whole text is no number.
TEST(TextConvertOut, NumbersAgreeWithTheCLibrary) {
    std::vector<UTF16String> pieces = {Units({0}), Units({0xE9})};
    for (const std::string piece : {" ", "\t", "\n", "\v", "+", "-", "- ", "0", "7", "9", ".", "e",
                                    "E", "x", "(", "inf", "nan", "1e400", "1e-400"})
        pieces.emplace_back(piece.begin(), piece.end());
#if !defined(_WIN32)
    pieces.push_back(Units({0x0661}));
    pieces.push_back(Units({0xA0}));
#endif
    const std::string spaces = " \t\n\v\f\r";
    const auto same = [](double a, double b) { return a == b || (std::isnan(a) && std::isnan(b)); };
    std::mt19937 random(1234);
    for (int trial = 0; trial < 40000; ++trial) {
        UTF16String units;
        for (auto i = random() % 6; i > 0; --i) units += pieces[random() % pieces.size()];
        for (auto i = random() % 24; i > 0; --i) units += UTF16Unit('0' + random() % 10);
        for (auto i = random() % 3; i > 0; --i) units += pieces[random() % pieces.size()];
        if (trial % 2 == 0) units += Units({'5'});
        std::string ascii;  // the units before the first NUL or non-ASCII one
        for (std::size_t i = 0; i < units.size() && units[i] != 0 && units[i] <= 0x7F; ++i)
            ascii += static_cast<char>(units[i]);
        const bool allAscii =
            std::all_of(units.begin(), units.end(), [](UTF16Unit u) { return u <= 0x7F; });
        const long expected = std::strtol(ascii.c_str(), nullptr, 10);
        const Text text(units);
        ASSERT_TRUE(text.ToLong() == expected &&
                    text.ToInteger() == std::clamp<long>(expected, INT_MIN, INT_MAX) &&
                    same(text.ToDouble(), allAscii ? std::atof(ascii.c_str()) : -9999999999.0))
            << testing::PrintToString(units);
        const std::size_t first = std::min(ascii.find_first_not_of(spaces), ascii.size());
        const std::string core = ascii.substr(first, ascii.find_last_not_of(spaces) + 1 - first);
        const bool plain = ascii.size() == units.size() && !core.empty();
        std::optional<long long> integer;
        char* end = nullptr;
        errno = 0;
        const long long read = plain ? std::strtoll(core.c_str(), &end, 10) : 0;
        if (plain && end == core.c_str() + core.size() && errno == 0) integer = read;
        std::optional<double> number;
        const std::string withoutPlus =
            core.size() > 1 && core[0] == '+' && core[1] != '-' ? core.substr(1) : core;
        double value = 0;
        const auto [ptr, ec] =
            std::from_chars(withoutPlus.data(), withoutPlus.data() + withoutPlus.size(), value);
        if (plain && ec == std::errc() && ptr == withoutPlus.data() + withoutPlus.size())
            number = value;
        const std::optional<double> parsed = text.ParseDouble();
        ASSERT_EQ(text.ParseInteger(), integer) << ascii;
        ASSERT_TRUE(parsed.has_value() == number.has_value() && (!parsed || same(*parsed, *number)))
            << ascii;
    }
}

}  // namespace
