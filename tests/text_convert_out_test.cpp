// Text handed out: buffer sizes of generated texts against the references, one table of UTF-8,
// UTF-32, UTF-16 and ASCII output into canary-filled buffers, and the text read as numbers.
#include "test_support.h"

#include <cfenv>
#include <climits>
#include <cstdlib>
#include <optional>

namespace {
using namespace qt_test;
using namespace std::string_literals;

TEST(TextConvertOut, EncodingSizesOfGeneratedTexts) {
    Generator generate{std::mt19937(7)};
    for (int trial = 0; trial < 4000; ++trial) {
        const UTF16String units = generate.Units(6);
        const Text text(units);
        for (const int nul : {0, 1}) {
            SCOPED_TRACE(testing::Message() << "trial " << trial << ", terminator " << nul);
            // UTF-8 of the code points (a lone surrogate in three bytes); UTF-32 from the count,
            // so leading NULs take no room and a malformed text has -4 bytes.
            ASSERT_EQ(text.get_EncodingSize(UTF8Encoding, nul),
                      int(ToUTF8(Decode(units)).size()) + nul);
            ASSERT_EQ(text.get_EncodingSize(UTF16Encoding, nul), 2 * (int(units.size()) + nul));
            ASSERT_EQ(text.get_EncodingSize(UTF32Encoding, nul), 4 * (ReferenceCount(units) + nul));
            for (const int other : {3, -1, 1000})
                ASSERT_EQ(text.get_EncodingSize(static_cast<UTFEncodingType>(other), nul), 0);
        }
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

enum Output { kUTF8, kUTF32, kUTF16, kAscii, kIntoNull = 4 };
const char* const kOutputNames[] = {"ToUTF8", "ToUTF32", "ToUTF16", "ToAscii"};

struct Row {
    const char* name;
    int output;  // an Output, or'ed with kIntoNull to write into a null buffer
    UTF16String units;
    int size;  // in 32-bit units for UTF-32, in bytes for the others
    bool terminated;
    const char* outcome;  // the status raised, "false" for a false answer, "" otherwise
    std::optional<std::string> written;  // unset: unknown within `size`
};

// Writes the row's text into a canary-filled buffer (or into null), checks the outcome, the bytes
// written and that every byte after them (or after `size`) is untouched.
void ExpectOutput(const Row& row) {
    const Text text(row.units);
    auto buffer = CanaryBuffer<UTF32Unit>(8), second = buffer;
    UTF32Unit* const target = row.output & kIntoNull ? nullptr : buffer.data();
    char* const bytes = reinterpret_cast<char*>(target);
    const int output = row.output & ~kIntoNull, size = row.size;
    const bool raises = std::strncmp(row.outcome, "U_", 2) == 0, nul = row.terminated;
    SCOPED_TRACE(testing::Message() << kOutputNames[output] << ": " << row.name);
    switch (output) {
        case kUTF8:
            if (!raises) text.ToUTF8(bytes, size, nul);
            if (raises)
                EXPECT_RAISES(text.ToUTF8(bytes, size, nul), std::runtime_error,
                              "Unspecified function", 986, row.outcome);
            break;
        case kUTF32:
            if (!raises) text.ToUTF32(target, size, nul);
            if (raises)
                EXPECT_RAISES(text.ToUTF32(target, size, nul), std::runtime_error,
                              "Unspecified function", 955, row.outcome);
            break;
        case kUTF16:  // ToUnicode writes the same and answers true
            text.ToUTF16(reinterpret_cast<UTF16Unit*>(target), size, nul);
            EXPECT_TRUE(text.ToUnicode(reinterpret_cast<UTF16Unit*>(second.data()), size, nul));
            EXPECT_EQ(second, buffer);
            break;
        default: EXPECT_STREQ(text.ToAscii(bytes, size, nul) ? "" : "false", row.outcome);
    }
    const std::string all(reinterpret_cast<const char*>(buffer.data()), 8 * sizeof(UTF32Unit));
    const std::size_t known = row.written
                                  ? row.written->size()
                                  : std::size_t(std::max(size, 0) * (output == kUTF32 ? 4 : 1));
    if (row.written) {
        EXPECT_EQ(all.substr(0, known), *row.written);
    }
    EXPECT_EQ(all.substr(known), std::string(all.size() - known, char(kCanary)));
}

TEST(TextConvertOut, OutputIntoCallersBuffers) {
    const UTF16String ae = Units({'a', 0xE9}), pair = Units({'A', 0xD83D, 0xDE00}),
                      ab = QUENDALTEXT_U("ab"), abc = QUENDALTEXT_U("abc"), none;
    const char *overflow = "U_BUFFER_OVERFLOW_ERROR", *illegal = "U_ILLEGAL_ARGUMENT_ERROR",
               *unterminated = "U_STRING_NOT_TERMINATED_WARNING", *invalid = "U_INVALID_CHAR_FOUND";
    const std::string ae8 = "a\xC3\xA9", zeros(8, '\0'), ab16 = BytesOf<UTF16Unit>({'a', 'b'}),
                      pair32 = BytesOf<UTF32Unit>({'A', 0x1F600});
    const Row rows[] = {
        // UTF-8 and UTF-32 raise for every status but success, warnings included.
        {"fits with its NUL", kUTF8, ae, 4, true, "", ae8 + '\0'},
        {"room to spare, so a NUL", kUTF8, ae, 6, false, "", ae8 + '\0'},
        {"exact fit, no NUL asked", kUTF8, ae, 3, false, unterminated, ae8},
        {"no room for the NUL", kUTF8, ae, 3, true, overflow, {}},
        {"size query", kUTF8 | kIntoNull, ae, 0, true, "", ""},
        {"size query of nothing", kUTF8 | kIntoNull, none, 0, true, overflow, ""},
        {"null buffer with a size", kUTF8 | kIntoNull, ae, 4, true, illegal, ""},
        {"lone surrogate", kUTF8, Units({'A', 0xD800}), 8, true, invalid, {}},
        {"negative size", kUTF8, ae, -1, false, illegal, ""},
        {"fits with its NUL", kUTF32, pair, 3, true, "", pair32 + zeros.substr(4)},
        {"exact fit, no NUL asked", kUTF32, pair, 2, false, unterminated, pair32},
        {"lone low surrogate", kUTF32, Units({0xDC00}), 4, true, invalid, {}},
        {"leading NULs written", kUTF32, Units({0, 0, 'A'}), 4, true, "",
         zeros + BytesOf<UTF32Unit>({'A', 0})},
        // UTF-16 copies the units and their NUL as far as they fit; too small a buffer is zeroed.
        {"too small for the NUL", kUTF16, ab, 5, true, "", zeros.substr(3)},
        {"odd size", kUTF16, ab, 7, true, "", ab16 + zeros.substr(6)},
        {"NUL in the last whole unit too", kUTF16, ab, 11, true, "", ab16 + "\0\0\xAB\xAB\0\0"s},
        {"too small", kUTF16, ab, 3, false, "", zeros.substr(5)},
        {"exact fit, no NUL asked", kUTF16, ab, 4, false, "", ab16},
        {"one byte of the NUL", kUTF16, ab, 5, false, "", ab16 + '\0'},
        {"null buffer", kUTF16 | kIntoNull, none, 0, false, "", ""},
        {"negative size", kUTF16, ab, -1, true, "", ""},
        // ASCII is the UTF-8 of an all-ASCII text; every failure is caught and answered false.
        {"fits with its NUL", kAscii, abc, 4, true, "", "abc\0"s},
        {"exact fit, no NUL asked", kAscii, abc, 3, false, "false", "abc"},
        {"not ASCII: zeroed", kAscii, Units({'a', 'b', 0xE9}), 5, true, "false", zeros.substr(3)},
        {"size query", kAscii | kIntoNull, abc, 0, true, "", ""},
        {"size query of nothing", kAscii | kIntoNull, none, 0, true, "false", ""},
        {"negative size", kAscii, abc, -1, true, "false", ""},
    };
    for (const Row& row : rows) ExpectOutput(row);
    char bytes[4];  // the floating-point environment is reset when ToAscii catches a failure only
    for (const int size : {4, 2, -1}) {  // fits, too small, refused by the conversion
        std::feraiseexcept(FE_DIVBYZERO);
        EXPECT_EQ(Text(abc).ToAscii(bytes, size, true), size == 4);
        EXPECT_EQ(std::fetestexcept(FE_DIVBYZERO) != 0, size == 4) << size;
    }
}

TEST(TextConvertOut, Numbers) {
    const double notAscii = -9999999999.0;
#if defined(_WIN32)  // Windows' _wtoi and _wtol read the digits of other scripts too
    const long arabicIndic12 = 12, sevenArabicIndic1 = 71;
#else
    const long arabicIndic12 = 0, sevenArabicIndic1 = 7;
#endif
    const struct {
        UTF16String units;
        long integer;
        double number;
    } rows[] = {{QUENDALTEXT_U("3.5"), 3, 3.5},
                {QUENDALTEXT_U(" -42abc"), -42, -42.0},
                {Units({'1', '.', '5', 0, '9'}), 1, 1.5},
                {Units({'3', 0xE9}), 3, notAscii},
                {Units({0x0661, 0x0662}), arabicIndic12, notAscii},
                {Units({'7', 0x0661}), sevenArabicIndic1, notAscii}};
    for (const auto& row : rows) {  // the row is named by its units
        const Text text(row.units);
        EXPECT_TRUE(text.ToInteger() == row.integer && text.ToLong() == row.integer &&
                    text.ToDouble() == row.number)
            << testing::PrintToString(row.units);
    }
    // Against strtol, which reads ASCII the same way and clamps to long; int clamps again.
    std::mt19937 random(1234);
    const std::string pieces[] = {" ", "\t", "\n", "+", "-", "0", "7", "9", "x", ".", "- "};
    for (int trial = 0; trial < 20000; ++trial) {
        std::string input;
        for (auto i = random() % 8; i > 0; --i) input += pieces[random() % std::size(pieces)];
        for (auto i = random() % 24; i > 0; --i) input += static_cast<char>('0' + random() % 10);
        const long expected = std::strtol(input.c_str(), nullptr, 10);
        const Text text(input.c_str());
        ASSERT_TRUE(text.ToLong() == expected &&
                    text.ToInteger() == std::clamp<long>(expected, INT_MIN, INT_MAX))
            << '"' << input << '"';
    }
}

}  // namespace
