// Text handed out: buffer sizes against a reference over generated units, one table of UTF-8,
// UTF-32, UTF-16 and ASCII output into canary-filled buffers, and the text read as numbers.
#include "test_support.h"

#include <algorithm>
#include <cfenv>
#include <climits>
#include <cstdlib>
#include <optional>
#include <random>
#include <stdexcept>
#include <string>

namespace qt_test {
namespace {

using namespace std::string_literals;
using QuendalText::Text;
using QuendalText::UTF32Unit;

constexpr char kUnspecified[] = "Unspecified function";

// UTF-8 bytes of units, a surrogate pair as one character and any other unit on its own.
int ReferenceUTF8Size(const UTF16String& units) {
    int bytes = 0;
    for (std::size_t i = 0; i < units.size(); ++i) {
        const bool pair = units[i] >= 0xD800 && units[i] < 0xDC00 && i + 1 < units.size() &&
                          units[i + 1] >= 0xDC00 && units[i + 1] < 0xE000;
        bytes += pair ? 4 : units[i] < 0x80 ? 1 : units[i] < 0x800 ? 2 : 3;
        i += pair ? 1 : 0;
    }
    return bytes;
}

TEST(TextConvertOut, EncodingSizesOfGeneratedTexts) {
    static constexpr UTF16Unit kUnits[] = {0,      0x61,   0x7F,   0x80,   0xE9,
                                           0x7FF,  0x800,  0x20AC, 0xFFFF, 0xD800,
                                           0xD83D, 0xDBFF, 0xDC00, 0xDE00, 0xDFFF};
    std::mt19937 random(7);
    for (int trial = 0; trial < 4000; ++trial) {
        UTF16String units(random() % 7, u'a');
        for (UTF16Unit& unit : units) unit = kUnits[random() % std::size(kUnits)];
        const Text text(units);
        for (const int nul : {0, 1}) {
            SCOPED_TRACE(testing::Message() << "trial " << trial << " terminator " << nul);
            EXPECT_EQ(text.get_EncodingSize(UTF8Encoding, nul), ReferenceUTF8Size(units) + nul);
            EXPECT_EQ(text.get_EncodingSize(UTF16Encoding, nul),
                      2 * (static_cast<int>(units.size()) + nul));
            // From the cached count: -4 for a malformed text, leading NUL units left out.
            EXPECT_EQ(text.get_EncodingSize(UTF32Encoding, nul),
                      4 * (text.get_NumberOfCharacters() + nul));
            for (const int other : {3, -1, 1000}) {
                EXPECT_EQ(text.get_EncodingSize(static_cast<UTFEncodingType>(other), nul), 0);
            }
        }
    }
}

template <class Unit>
std::string BytesOf(const std::basic_string<Unit>& units) {
    return std::string(reinterpret_cast<const char*>(units.data()), units.size() * sizeof(Unit));
}

enum class Output { UTF8, UTF32, UTF16, Ascii };

struct OutputRow {
    Output output;
    UTF16String units;
    bool nullBuffer;
    int size;  // in 32-bit units for UTF32, in bytes for the others
    bool terminated;
    const char* outcome;  // the status raised, "false" for a false answer, "" otherwise
    std::optional<std::string> written;  // the bytes before the untouched end of the buffer
};

// Writes the row's text into a canary-filled buffer, or into null, and checks the outcome and
// that no byte past what the row expects (or, without an expectation, past `size`) changed.
void ExpectOutput(const OutputRow& row) {
    const Text text(row.units);
    auto buffer = CanaryBuffer<UTF32Unit>(8), second = buffer;
    UTF32Unit* const target = row.nullBuffer ? nullptr : buffer.data();
    char* const bytes = reinterpret_cast<char*>(target);
    const bool raises = std::string(row.outcome).rfind("U_", 0) == 0;
    switch (row.output) {
        case Output::UTF8:
            if (!raises)
                text.ToUTF8(bytes, row.size, row.terminated);
            else
                EXPECT_RAISES(text.ToUTF8(bytes, row.size, row.terminated), std::runtime_error,
                              kUnspecified, 986, row.outcome);
            break;
        case Output::UTF32:
            if (!raises)
                text.ToUTF32(target, row.size, row.terminated);
            else
                EXPECT_RAISES(text.ToUTF32(target, row.size, row.terminated), std::runtime_error,
                              kUnspecified, 955, row.outcome);
            break;
        case Output::UTF16:  // ToUnicode writes the same and answers true
            text.ToUTF16(reinterpret_cast<UTF16Unit*>(target), row.size, row.terminated);
            EXPECT_TRUE(text.ToUnicode(reinterpret_cast<UTF16Unit*>(second.data()), row.size,
                                       row.terminated));
            EXPECT_EQ(second, buffer);
            break;
        case Output::Ascii:
            EXPECT_EQ(text.ToAscii(bytes, row.size, row.terminated) ? "" : "false",
                      std::string(row.outcome));
    }
    const std::string all = BytesOf(std::u32string(buffer.begin(), buffer.end()));
    const int sizeBytes = std::max(row.size, 0) * (row.output == Output::UTF32 ? 4 : 1);
    const std::size_t untouched =
        row.written ? row.written->size() : static_cast<std::size_t>(sizeBytes);
    EXPECT_EQ(all.substr(0, untouched), row.written.value_or(all.substr(0, untouched)));
    EXPECT_EQ(all.substr(untouched),
              std::string(all.size() - untouched, static_cast<char>(kCanary)));
}

TEST(TextConvertOut, OutputIntoCallersBuffers) {
    const UTF16String accented = u"a\u00E9", pair = Units({0x41, 0xD83D, 0xDE00}),
                      wide = Units({0xE9, 0xD83D, 0xDE00});
    const std::string kNothing;
    const OutputRow rows[] = {
        // UTF-8 and UTF-32 raise for every status but success, warnings included.
        {Output::UTF8, accented, false, 4, true, "", "a\xC3\xA9\0"s},
        {Output::UTF8, accented, false, 6, false, "", "a\xC3\xA9\0"s},  // room to spare: terminated
        {Output::UTF8, accented, false, 3, false, "U_STRING_NOT_TERMINATED_WARNING", "a\xC3\xA9"s},
        {Output::UTF8, accented, false, 3, true, "U_BUFFER_OVERFLOW_ERROR", std::nullopt},
        {Output::UTF8, accented, false, 2, false, "U_BUFFER_OVERFLOW_ERROR", std::nullopt},
        {Output::UTF8, accented, true, 0, true, "", kNothing},  // a size query
        {Output::UTF8, accented, true, 0, false, "", kNothing},
        {Output::UTF8, u"", true, 0, true, "U_BUFFER_OVERFLOW_ERROR", kNothing},
        {Output::UTF8, u"", true, 0, false, "U_STRING_NOT_TERMINATED_WARNING", kNothing},
        {Output::UTF8, accented, true, 4, true, "U_ILLEGAL_ARGUMENT_ERROR", kNothing},
        {Output::UTF8, Units({0x41, 0, 0x42}), false, 4, true, "", "A\0B\0"s},
        {Output::UTF8, Units({0x41, 0xD800}), false, 8, true, "U_INVALID_CHAR_FOUND", std::nullopt},
        {Output::UTF8, accented, false, -1, false, "U_ILLEGAL_ARGUMENT_ERROR", kNothing},
        {Output::UTF8, u"", false, INT_MIN, true, "U_ILLEGAL_ARGUMENT_ERROR", kNothing},
        {Output::UTF32, pair, false, 3, true, "", BytesOf(U"A\U0001F600\0"s)},
        {Output::UTF32, pair, false, 2, false, "U_STRING_NOT_TERMINATED_WARNING",
         BytesOf(U"A\U0001F600"s)},
        {Output::UTF32, pair, false, 2, true, "U_BUFFER_OVERFLOW_ERROR", std::nullopt},
        {Output::UTF32, Units({0xDC00}), false, 4, true, "U_INVALID_CHAR_FOUND", std::nullopt},
        {Output::UTF32, Units({0, 0, 0x41}), false, 4, true, "",
         BytesOf(U"\0\0A\0"s)},  // left out of the size
        {Output::UTF32, pair, false, -2, true, "U_ILLEGAL_ARGUMENT_ERROR", kNothing},
        {Output::UTF32, pair, false, INT_MIN, false, "U_ILLEGAL_ARGUMENT_ERROR", kNothing},
        // UTF-16 copies the units and their NUL as far as they fit, or zero-fills a buffer too small.
        {Output::UTF16, u"ab", false, 5, true, "", std::string(5, '\0')},
        {Output::UTF16, u"ab", false, 6, true, "", BytesOf(u"ab\0"s)},
        {Output::UTF16, u"ab", false, 7, true, "", BytesOf(u"ab\0"s)},
        {Output::UTF16, u"ab", false, 10, true, "",
         BytesOf(u"ab\0\xABAB\0"s)},  // and the last whole unit
        {Output::UTF16, u"ab", false, 11, true, "", BytesOf(u"ab\0\xABAB\0"s)},
        {Output::UTF16, u"ab", false, 3, false, "", std::string(3, '\0')},
        {Output::UTF16, u"ab", false, 4, false, "", BytesOf(u"ab"s)},
        {Output::UTF16, u"ab", false, 5, false, "", BytesOf(u"ab"s) + '\0'},
        {Output::UTF16, u"ab", false, 0, true, "", kNothing},
        {Output::UTF16, u"", true, 0, false, "", kNothing},
        {Output::UTF16, u"", false, 1, true, "", std::string(1, '\0')},
        {Output::UTF16, u"ab", false, -1, true, "", kNothing},
        {Output::UTF16, wide, false, INT_MIN, false, "", kNothing},
        // ASCII is the UTF-8 of an all-ASCII text; every failure is caught and answered false.
        {Output::Ascii, u"abc", false, 4, true, "", "abc\0"s},
        {Output::Ascii, u"abc", false, 3, false, "false", "abc"s},
        {Output::Ascii, u"abc", false, 2, true, "false", std::nullopt},
        {Output::Ascii, u"ab\u00E9", false, 5, true, "false", std::string(5, '\0')},
        {Output::Ascii, u"abc", true, 0, true, "", kNothing},
        {Output::Ascii, u"", true, 0, true, "false", kNothing},
        {Output::Ascii, u"abc", false, -1, true, "false", kNothing},
        {Output::Ascii, wide, false, INT_MIN, false, "false", kNothing},
    };
    for (std::size_t row = 0; row < std::size(rows); ++row) {
        SCOPED_TRACE(testing::Message() << "row " << row);
        ExpectOutput(rows[row]);
    }
    // The floating-point environment is reset when ToAscii catches a failure, and only then.
    char bytes[4];
    std::feraiseexcept(FE_DIVBYZERO);
    EXPECT_TRUE(Text(u"abc").ToAscii(bytes, 4, true));
    EXPECT_NE(std::fetestexcept(FE_DIVBYZERO), 0);
    EXPECT_FALSE(Text(u"abc").ToAscii(bytes, 2, true));
    EXPECT_EQ(std::fetestexcept(FE_DIVBYZERO), 0);
    std::feraiseexcept(
        FE_DIVBYZERO);  // a negative size is refused by the conversion, so caught too
    EXPECT_FALSE(Text(u"abc").ToAscii(bytes, -1, true));
    EXPECT_EQ(std::fetestexcept(FE_DIVBYZERO), 0);
}

TEST(TextConvertOut, Numbers) {
    const struct {
        UTF16String units;
        long integer;
        double number;
    } rows[] = {
        {u"3.5", 3, 3.5},
        {u"x", 0, 0.0},
        {u" -42abc", -42, -42.0},
        {u"1.5\0 9"s, 1, 1.5},
        {u"12\0 3"s, 12, 12.0},                  // a NUL unit ends the reading
        {Units({'3', 0xE9}), 3, -9999999999.0},  // only an all-ASCII text is read as a double
        {Units({0x0661, 0x0662}), 0, -9999999999.0},
        {Units({'7', 0x0661}), 7, -9999999999.0},  // ASCII digits only
    };
    for (const auto& row : rows) {
        const Text text(row.units);
        EXPECT_EQ(text.ToInteger(), row.integer);
        EXPECT_EQ(text.ToLong(), row.integer);
        EXPECT_EQ(text.ToDouble(), row.number);
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
        ASSERT_EQ(text.ToLong(), expected) << '"' << input << '"';
        ASSERT_EQ(text.ToInteger(), std::clamp<long>(expected, INT_MIN, INT_MAX))
            << '"' << input << '"';
    }
}

}  // namespace
}  // namespace qt_test
