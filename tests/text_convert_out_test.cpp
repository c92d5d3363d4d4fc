#include "test_support.h"

#include <cfenv>
#include <climits>
#include <cstdlib>
#include <random>
#include <stdexcept>
#include <string>

using QuendalText::Text;
using QuendalText::UTF16String;
using QuendalText::UTF16Unit;
using QuendalText::UTF32Unit;
using qt_test::CanaryBuffer;
using qt_test::kCanary;
using qt_test::Units;

namespace {

constexpr char kUnspecified[] = "Unspecified function";

// The bytes of `buffer` are `expected` followed by untouched canary bytes only.
template <class Unit>
void ExpectBytes(const std::vector<Unit>& buffer, const std::vector<unsigned char>& expected) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(buffer.data());
    const std::size_t total = buffer.size() * sizeof(Unit);
    ASSERT_LE(expected.size(), total);
    for (std::size_t i = 0; i < total; ++i) {
        const unsigned want = i < expected.size() ? expected[i] : kCanary;
        EXPECT_EQ(bytes[i], want) << "byte " << i;
    }
}

std::vector<unsigned char> Bytes(const std::string& text) { return {text.begin(), text.end()}; }

// Little-endian bytes of UTF-16 units, the way they lie in memory on this platform.
std::vector<unsigned char> UnitBytes(std::initializer_list<unsigned> units) {
    std::vector<unsigned char> bytes;
    for (unsigned unit : units) {
        const UTF16Unit u = static_cast<UTF16Unit>(unit);
        const auto* raw = reinterpret_cast<const unsigned char*>(&u);
        bytes.insert(bytes.end(), raw, raw + sizeof u);
    }
    return bytes;
}

std::vector<unsigned char> ZeroBytes(std::size_t count) { return std::vector<unsigned char>(count, 0); }

}  // namespace

TEST(TextConvertOut, EncodingSizes) {
    struct Row {
        const char* name;
        UTF16String units;
        int utf8, utf16, utf32;  // without terminator
    };
    const Row rows[] = {
        {"Empty", Units({}), 0, 0, 0},
        {"TwoThreeByteBoundaries", Units({0x61, 0xE9, 0x20AC}), 6, 6, 12},
        {"Limits", Units({0x7F, 0x80, 0x7FF, 0x800, 0xFFFF}), 1 + 2 + 2 + 3 + 3, 10, 20},
        {"Pair", Units({0xD83D, 0xDE00}), 4, 4, 4},
        {"LoneHighThenLetter", Units({0xD800, 0x61}), 3 + 1, 4, 0},
        {"ReversedPair", Units({0xDE00, 0xD83D}), 6, 4, -4},
        {"LeadingNulsNotCounted", Units({0, 0, 0x41}), 3, 6, 4},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const Text text(row.units);
        EXPECT_EQ(text.get_EncodingSize(UTF8Encoding, false), row.utf8);
        EXPECT_EQ(text.get_EncodingSize(UTF8Encoding, true), row.utf8 + 1);
        EXPECT_EQ(text.get_EncodingSize(UTF16Encoding, false), row.utf16);
        EXPECT_EQ(text.get_EncodingSize(UTF16Encoding, true), row.utf16 + 2);
        EXPECT_EQ(text.get_EncodingSize(UTF32Encoding, false), row.utf32);
        EXPECT_EQ(text.get_EncodingSize(UTF32Encoding, true), row.utf32 + 4);
        for (int other : {3, -1, 1000}) {
            EXPECT_EQ(text.get_EncodingSize(static_cast<UTFEncodingType>(other), true), 0);
        }
    }
}

TEST(TextConvertOut, ToUTF8Buffers) {
    const Text text(Units({0x61, 0xE9}));  // 3 bytes of UTF-8
    const std::string utf8 = "a\xC3\xA9";

    auto exact = CanaryBuffer<char>(8);
    text.ToUTF8(exact.data(), 4, true);
    ExpectBytes(exact, Bytes(utf8 + '\0'));

    // Room to spare gets the terminator whatever nullTerminated says.
    auto roomy = CanaryBuffer<char>(8);
    text.ToUTF8(roomy.data(), 6, false);
    ExpectBytes(roomy, Bytes(utf8 + '\0'));

    // Filled exactly: the bytes are written, the missing terminator raises.
    auto full = CanaryBuffer<char>(8);
    EXPECT_RAISES(text.ToUTF8(full.data(), 3, false), std::runtime_error, kUnspecified, 986,
                  "U_STRING_NOT_TERMINATED_WARNING");
    ExpectBytes(full, Bytes(utf8));
    EXPECT_RAISES(text.ToUTF8(full.data(), 3, true), std::runtime_error, kUnspecified, 986,
                  "U_BUFFER_OVERFLOW_ERROR");
    EXPECT_RAISES(text.ToUTF8(full.data(), 2, false), std::runtime_error, kUnspecified, 986,
                  "U_BUFFER_OVERFLOW_ERROR");

    // A null buffer of size 0 is a size query for a non-empty text, and too small for an empty one.
    EXPECT_NO_THROW(text.ToUTF8(nullptr, 0, true));
    EXPECT_NO_THROW(text.ToUTF8(nullptr, 0, false));
    EXPECT_RAISES(Text().ToUTF8(nullptr, 0, true), std::runtime_error, kUnspecified, 986,
                  "U_BUFFER_OVERFLOW_ERROR");
    EXPECT_RAISES(Text().ToUTF8(nullptr, 0, false), std::runtime_error, kUnspecified, 986,
                  "U_STRING_NOT_TERMINATED_WARNING");
    EXPECT_RAISES(text.ToUTF8(nullptr, 4, true), std::runtime_error, kUnspecified, 986,
                  "U_ILLEGAL_ARGUMENT_ERROR");

    // NUL units inside the text are converted; a lone surrogate cannot be.
    auto withNul = CanaryBuffer<char>(6);
    Text(Units({0x41, 0, 0x42})).ToUTF8(withNul.data(), 4, true);
    ExpectBytes(withNul, {0x41, 0, 0x42, 0});
    auto lone = CanaryBuffer<char>(8);
    EXPECT_RAISES(Text(Units({0x41, 0xD800})).ToUTF8(lone.data(), 8, true), std::runtime_error,
                  kUnspecified, 986, "U_INVALID_CHAR_FOUND");
}

TEST(TextConvertOut, ToUTF32Buffers) {
    const Text text(Units({0x41, 0xD83D, 0xDE00}));
    const int withTerminator = text.get_EncodingSize(UTF32Encoding, true) / 4;
    ASSERT_EQ(withTerminator, 3);
    auto exact = CanaryBuffer<UTF32Unit>(5);
    text.ToUTF32(exact.data(), withTerminator, true);
    EXPECT_EQ(exact[0], U'\x41');
    EXPECT_EQ(exact[1], U'\x1F600');
    EXPECT_EQ(exact[2], 0u);
    ExpectBytes(std::vector<UTF32Unit>(exact.begin() + 3, exact.end()), {});

    auto full = CanaryBuffer<UTF32Unit>(4);
    EXPECT_RAISES(text.ToUTF32(full.data(), 2, false), std::runtime_error, kUnspecified, 955,
                  "U_STRING_NOT_TERMINATED_WARNING");
    EXPECT_EQ(full[1], U'\x1F600');
    EXPECT_EQ(full[2], static_cast<UTF32Unit>(0xABABABABu));
    EXPECT_RAISES(text.ToUTF32(full.data(), 2, true), std::runtime_error, kUnspecified, 955,
                  "U_BUFFER_OVERFLOW_ERROR");
    EXPECT_RAISES(Text(Units({0xDC00})).ToUTF32(full.data(), 4, true), std::runtime_error,
                  kUnspecified, 955, "U_INVALID_CHAR_FOUND");

    // NUL units before the first character are converted, though the size leaves them out.
    auto leading = CanaryBuffer<UTF32Unit>(5);
    Text(Units({0, 0, 0x41})).ToUTF32(leading.data(), 4, true);
    EXPECT_EQ(std::vector<UTF32Unit>(leading.begin(), leading.begin() + 4),
              (std::vector<UTF32Unit>{0, 0, 0x41, 0}));
}

TEST(TextConvertOut, ToUTF16AndToUnicodeBuffers) {
    const Text ab(Units({0x61, 0x62}));
    struct Row {
        int size;
        bool nullTerminated;
        std::vector<unsigned char> expected;
    };
    const std::vector<unsigned char> abBytes = UnitBytes({0x61, 0x62});
    auto then = [](std::vector<unsigned char> head, const std::vector<unsigned char>& tail) {
        head.insert(head.end(), tail.begin(), tail.end());
        return head;
    };
    const Row rows[] = {
        {5, true, ZeroBytes(5)},                                     // too small: zero-filled
        {6, true, UnitBytes({0x61, 0x62, 0})},                       // exact
        {7, true, UnitBytes({0x61, 0x62, 0})},                       // odd byte left alone
        {10, true, then(then(UnitBytes({0x61, 0x62, 0}), {kCanary, kCanary}), UnitBytes({0}))},
        {11, true, then(then(UnitBytes({0x61, 0x62, 0}), {kCanary, kCanary}), UnitBytes({0}))},
        {3, false, ZeroBytes(3)},
        {4, false, abBytes},                                         // no terminator
        {5, false, then(abBytes, {0})},                              // terminator as far as it fits
        {6, false, UnitBytes({0x61, 0x62, 0})},
        {0, true, {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << "size " << row.size << " terminated " << row.nullTerminated);
        auto viaUTF16 = CanaryBuffer<UTF16Unit>(8);
        ab.ToUTF16(viaUTF16.data(), row.size, row.nullTerminated);
        ExpectBytes(viaUTF16, row.expected);
        auto viaUnicode = CanaryBuffer<UTF16Unit>(8);
        EXPECT_TRUE(ab.ToUnicode(viaUnicode.data(), row.size, row.nullTerminated));
        ExpectBytes(viaUnicode, row.expected);
    }
    // An empty text: nothing for size 0, a lone terminator otherwise.
    auto empty = CanaryBuffer<UTF16Unit>(2);
    Text().ToUTF16(nullptr, 0, false);
    Text().ToUTF16(empty.data(), 0, false);
    ExpectBytes(empty, {});
    Text().ToUTF16(empty.data(), 1, true);
    ExpectBytes(empty, {0});
    EXPECT_TRUE(Text().ToUnicode(empty.data(), 2, true));
    ExpectBytes(empty, {0, 0});
}

TEST(TextConvertOut, ToAscii) {
    const Text abc("abc");
    auto written = CanaryBuffer<char>(6);
    EXPECT_TRUE(abc.ToAscii(written.data(), 4, true));
    ExpectBytes(written, Bytes(std::string("abc", 4)));

    auto unterminated = CanaryBuffer<char>(6);
    EXPECT_FALSE(abc.ToAscii(unterminated.data(), 3, false));
    ExpectBytes(unterminated, Bytes("abc"));
    auto small = CanaryBuffer<char>(6);
    EXPECT_FALSE(abc.ToAscii(small.data(), 2, true));

    auto notAscii = CanaryBuffer<char>(6);
    EXPECT_FALSE(Text(Units({0x61, 0x62, 0xE9})).ToAscii(notAscii.data(), 5, true));
    ExpectBytes(notAscii, ZeroBytes(5));

    EXPECT_TRUE(abc.ToAscii(nullptr, 0, true));
    EXPECT_FALSE(Text().ToAscii(nullptr, 0, true));

    // The floating-point environment is reset when a failure is caught, and only then.
    std::feraiseexcept(FE_DIVBYZERO);
    EXPECT_TRUE(abc.ToAscii(written.data(), 4, true));
    EXPECT_NE(std::fetestexcept(FE_DIVBYZERO), 0);
    EXPECT_FALSE(abc.ToAscii(small.data(), 2, true));
    EXPECT_EQ(std::fetestexcept(FE_DIVBYZERO), 0);
}

TEST(TextConvertOut, NegativeSizesWriteNothing) {
    const Text ascii("ab");
    const Text wide(Units({0x61, 0xE9, 0xD83D, 0xDE00}));
    const Text empty;
    for (const Text* text : {&ascii, &wide, &empty}) {
        for (int size : {-1, -2, -7, INT_MIN}) {
            for (bool terminated : {false, true}) {
                SCOPED_TRACE(testing::Message() << "size " << size << " length " << text->get_Length());
                auto bytes = CanaryBuffer<char>(16);
                auto units16 = CanaryBuffer<UTF16Unit>(16);
                auto units32 = CanaryBuffer<UTF32Unit>(16);
                EXPECT_RAISES(text->ToUTF8(bytes.data(), size, terminated), std::runtime_error,
                              kUnspecified, 986, "U_ILLEGAL_ARGUMENT_ERROR");
                EXPECT_RAISES(text->ToUTF32(units32.data(), size, terminated), std::runtime_error,
                              kUnspecified, 955, "U_ILLEGAL_ARGUMENT_ERROR");
                text->ToUTF16(units16.data(), size, terminated);
                EXPECT_TRUE(text->ToUnicode(units16.data(), size, terminated));
                EXPECT_FALSE(text->ToAscii(bytes.data(), size, terminated));
                ExpectBytes(bytes, {});
                ExpectBytes(units16, {});
                ExpectBytes(units32, {});
            }
        }
    }
}

TEST(TextConvertOut, Numbers) {
    EXPECT_EQ(Text("3.5").ToDouble(), 3.5);
    EXPECT_EQ(Text(Units({0x33, 0xE9})).ToDouble(), -9999999999.0);
    EXPECT_EQ(Text("x").ToDouble(), 0.0);
    EXPECT_EQ(Text(Units({0x31, 0x2E, 0x35, 0, 0x39})).ToDouble(), 1.5);
    EXPECT_EQ(Text(" -42abc").ToInteger(), -42);
    EXPECT_EQ(Text("abc").ToInteger(), 0);
    EXPECT_EQ(Text(Units({0x31, 0x32, 0, 0x33})).ToLong(), 12L);
    EXPECT_EQ(Text(Units({0x0661, 0x0662})).ToInteger(), 0) << "only ASCII digits count";
    EXPECT_EQ(Text(Units({0x37, 0x0661})).ToInteger(), 7);

    // Against the C library's strtol, which reads the same way for ASCII input and clamps
    // to long; int is clamped again.
    std::mt19937 random(1234);
    const std::string pieces[] = {" ", "\t", "\n", "+", "-", "0", "7", "9", "x", ".", "- "};
    for (int trial = 0; trial < 20000; ++trial) {
        std::string input;
        const int count = static_cast<int>(random() % 8);
        for (int i = 0; i < count; ++i) input += pieces[random() % std::size(pieces)];
        const int digits = static_cast<int>(random() % 24);
        for (int i = 0; i < digits; ++i) input += static_cast<char>('0' + random() % 10);
        const long expected = std::strtol(input.c_str(), nullptr, 10);
        const long clampedToInt = expected > INT_MAX ? INT_MAX : expected < INT_MIN ? INT_MIN : expected;
        const Text text(input.c_str());
        ASSERT_EQ(text.ToLong(), expected) << '"' << input << '"';
        ASSERT_EQ(text.ToInteger(), clampedToInt) << '"' << input << '"';
    }
}
