// Text in from UTF-32 and handed out: one table of UTF-8, UTF-32, UTF-16 and ASCII output into
// canary-filled buffers, and the text read as numbers.
#include "test_support.h"

#include <cerrno>
#include <cfenv>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <optional>

#include "internal/conversion.h"

namespace {
using namespace qt_test;
using namespace std::string_literals;

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

template <class Unit>
std::string BytesOf(std::initializer_list<std::uint32_t> units) {
    std::string bytes;
    for (const std::uint32_t unit : units) {
        const auto value = static_cast<Unit>(unit);
        bytes.append(reinterpret_cast<const char*>(&value), sizeof value);
    }
    return bytes;
}

enum Output { kUTF8, kUTF32, kIntoNull = 2 };

struct Row {
    const char* name;
    int output;  // an Output, or'ed with kIntoNull to write into a null buffer
    UTF16String units;
    int size;  // in 32-bit units for UTF-32, in bytes for UTF-8
    bool terminated;
    const char* outcome;                 // the status raised, "" for none
    std::optional<std::string> written;  // unset: unknown within `size`
};

// Writes the row's text into a canary-filled buffer (or into null), checks the outcome, the bytes
// written and that every byte after them (or after `size`) is untouched.
void ExpectOutput(const Row& row) {
    const Text text(row.units);
    auto buffer = CanaryBuffer<UTF32Unit>(8);
    UTF32Unit* const target = row.output & kIntoNull ? nullptr : buffer.data();
    const int output = row.output & ~kIntoNull, size = row.size;
    const bool nul = row.terminated;
    SCOPED_TRACE(testing::Message() << (output == kUTF8 ? "ToUTF8: " : "ToUTF32: ") << row.name);
    const auto convert = [&] {
        if (output == kUTF8) return text.ToUTF8(reinterpret_cast<char*>(target), size, nul);
        text.ToUTF32(target, size, nul);
    };
    if (*row.outcome) {
        EXPECT_RAISES(convert(), std::runtime_error, "Unspecified function",
                      output == kUTF8 ? 986 : 955, row.outcome);
    } else {
        convert();
    }
    const std::string all(reinterpret_cast<const char*>(buffer.data()), 8 * sizeof(UTF32Unit));
    const std::size_t known = row.written
                                  ? row.written->size()
                                  : std::size_t(std::max(size, 0) * (output == kUTF32 ? 4 : 1));
    EXPECT_EQ(all.substr(0, known), row.written.value_or(all.substr(0, known)));
    EXPECT_EQ(all.substr(known), std::string(all.size() - known, char(kCanary)));
}

TEST(TextConvertOut, OutputIntoCallersBuffers) {
    const UTF16String ae = Units({'a', 0xE9}), pair = Units({'A', 0xD83D, 0xDE00}),
                      abc = QUENDALTEXT_U("abc");
    const char *overflow = "U_BUFFER_OVERFLOW_ERROR", *illegal = "U_ILLEGAL_ARGUMENT_ERROR",
               *unterminated = "U_STRING_NOT_TERMINATED_WARNING", *invalid = "U_INVALID_CHAR_FOUND";
    const std::string ae8 = "a\xC3\xA9", zeros(8, '\0'),
                      pair32 = BytesOf<UTF32Unit>({'A', 0x1F600});
    const Row rows[] = {
        // UTF-8 and UTF-32 raise for every status but success, warnings included.
        {"fits with its NUL", kUTF8, ae, 4, true, "", ae8 + '\0'},
        {"exact fit, no NUL asked", kUTF8, ae, 3, false, unterminated, ae8},
        {"no room for the NUL", kUTF8, ae, 3, true, overflow, {}},
        {"size query", kUTF8 | kIntoNull, ae, 0, true, "", ""},
        {"null buffer with a size", kUTF8 | kIntoNull, ae, 4, true, illegal, ""},
        {"lone surrogate", kUTF8, Units({'A', 0xD800}), 8, true, invalid, {}},
        {"negative size", kUTF8, ae, -1, false, illegal, ""},
        {"fits with its NUL", kUTF32, pair, 3, true, "", pair32 + zeros.substr(4)},
        {"exact fit, no NUL asked", kUTF32, pair, 2, false, unterminated, pair32},
        {"lone low surrogate", kUTF32, Units({0xDC00}), 4, true, invalid, {}},
        {"leading NULs written", kUTF32, Units({0, 0, 'A'}), 4, true, "",
         zeros + BytesOf<UTF32Unit>({'A', 0})},
    };
    for (const Row& row : rows) ExpectOutput(row);
    char bytes[4];  // the floating-point environment is reset when ToAscii catches a failure only
    for (const int size : {4, 2, -1}) {  // fits, too small, refused by the conversion
        std::feraiseexcept(FE_DIVBYZERO);
        EXPECT_EQ(Text(abc).ToAscii(bytes, size, true), size == 4);
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

// ToLong as strtol reads the units before the first NUL or non-ASCII one (Windows' runtime also
// reads other scripts' digits), ToInteger that clamped to int, ToDouble as atof reads an all-ASCII
// text and -(10^10 - 1) for any other.
TEST(TextConvertOut, NumbersAgreeWithTheCLibrary) {
    std::vector<UTF16String> pieces = {Units({0}), Units({0xE9})};
    for (const std::string piece : {" ", "\t", "\n", "+", "-", "- ", "0", "7", "x", ".", "e"})
        pieces.emplace_back(piece.begin(), piece.end());
#if !defined(_WIN32)
    pieces.push_back(Units({0x0661}));
#endif
    std::mt19937 random(1234);
    for (int trial = 0; trial < 20000; ++trial) {
        UTF16String units;
        for (auto i = random() % 8; i > 0; --i) units += pieces[random() % pieces.size()];
        for (auto i = random() % 24; i > 0; --i) units += UTF16Unit('0' + random() % 10);
        units += pieces[random() % pieces.size()] + pieces[random() % pieces.size()] + Units({'5'});
        std::string ascii;
        for (std::size_t i = 0; i < units.size() && units[i] != 0 && units[i] <= 0x7F; ++i)
            ascii += static_cast<char>(units[i]);
        const bool allAscii =
            std::all_of(units.begin(), units.end(), [](UTF16Unit u) { return u <= 0x7F; });
        const long expected = std::strtol(ascii.c_str(), nullptr, 10);
        const Text text(units);
        ASSERT_TRUE(text.ToLong() == expected &&
                    text.ToInteger() == std::clamp<long>(expected, INT_MIN, INT_MAX) &&
                    text.ToDouble() == (allAscii ? std::atof(ascii.c_str()) : -9999999999.0))
            << testing::PrintToString(units);
    }
}

// ParseInteger as strtoll reads the whole of an ASCII text without white space around it;
// ParseDouble as std::from_chars reads it,
// after a '+' that is not followed by '-'. Anything short of the whole text is no number.
TEST(TextConvertOut, ParsersReadTheWholeTextOrNothing) {
    const std::string pieces[] = {" ", "\t", "\v",  "+",   "-", "0", "7",     "9",     ".",
                                  "e", "E",  "inf", "nan", "(", "x", "1e400", "1e-400"};
    const std::string spaces = " \t\n\v\f\r";
    std::mt19937 random(4321);
    for (int trial = 0; trial < 30000; ++trial) {
        std::string ascii;
        for (auto i = random() % 5; i > 0; --i) ascii += pieces[random() % std::size(pieces)];
        for (auto i = random() % 22; i > 0; --i) ascii += char('0' + random() % 10);
        for (auto i = random() % 3; i > 0; --i) ascii += pieces[random() % std::size(pieces)];
        UTF16String units(ascii.begin(), ascii.end());
        if (trial % 10 == 0) units.insert(Size(int(random() % (units.size() + 1))), Units({0xA0}));
        if (trial % 10 == 1) units.insert(Size(int(random() % (units.size() + 1))), Units({0}));
        const std::size_t first = ascii.find_first_not_of(spaces);
        const std::string core =
            first == std::string::npos
                ? std::string()
                : ascii.substr(first, ascii.find_last_not_of(spaces) + 1 - first);
        const bool plain = trial % 10 > 1 && !core.empty();
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
        const Text text(units);
        const std::optional<double> parsed = text.ParseDouble();
        ASSERT_EQ(text.ParseInteger(), integer) << ascii;
        ASSERT_TRUE(parsed.has_value() == number.has_value() &&
                    (!parsed || *parsed == *number || (std::isnan(*parsed) && std::isnan(*number))))
            << ascii;
    }
}

}  // namespace
