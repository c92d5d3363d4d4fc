#include "test_support.h"

#include "internal/conversion_capacity.h"

#include <cstdint>
#include <random>
#include <stdexcept>
#include <string>

using QuendalText::Text;
using QuendalText::UTF16String;
using QuendalText::UTF16Unit;
using QuendalText::UTF32Unit;
using qt_test::Units;
using qt_test::UnitsOf;

namespace {

constexpr char kUnspecified[] = "Unspecified function";

// Reference encoders of code points, independent of the library and of ICU.
UTF16String EncodeUTF16(const std::u32string& codePoints) {
    UTF16String units;
    for (char32_t c : codePoints) {
        if (c < 0x10000) {
            units.push_back(static_cast<UTF16Unit>(c));
        } else {
            units.push_back(static_cast<UTF16Unit>(0xD800 + ((c - 0x10000) >> 10)));
            units.push_back(static_cast<UTF16Unit>(0xDC00 + ((c - 0x10000) & 0x3FF)));
        }
    }
    return units;
}

std::string EncodeUTF8(const std::u32string& codePoints) {
    std::string bytes;
    auto put = [&bytes](unsigned value) { bytes.push_back(static_cast<char>(value)); };
    for (char32_t c : codePoints) {
        if (c < 0x80) {
            put(c);
        } else if (c < 0x800) {
            put(0xC0 | (c >> 6));
            put(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            put(0xE0 | (c >> 12));
            put(0x80 | ((c >> 6) & 0x3F));
            put(0x80 | (c & 0x3F));
        } else {
            put(0xF0 | (c >> 18));
            put(0x80 | ((c >> 12) & 0x3F));
            put(0x80 | ((c >> 6) & 0x3F));
            put(0x80 | (c & 0x3F));
        }
    }
    return bytes;
}

// Random scalar values other than U+0000, weighted towards every UTF-8 length.
std::u32string RandomCodePoints(std::mt19937& random, std::size_t count) {
    static const char32_t kRanges[][2] = {
        {0x01, 0x7F}, {0x80, 0x7FF}, {0x800, 0xD7FF}, {0xE000, 0xFFFF}, {0x10000, 0x10FFFF}};
    std::u32string codePoints;
    for (std::size_t i = 0; i < count; ++i) {
        const auto& range = kRanges[random() % std::size(kRanges)];
        codePoints.push_back(static_cast<char32_t>(range[0] + random() % (range[1] - range[0] + 1)));
    }
    return codePoints;
}

}  // namespace

TEST(TextConvertIn, EmptyAndNullSources) {
    const UTF32Unit noUnits[] = {0, 0x41, 0};
    for (const Text& text : {Text(static_cast<const char*>(nullptr)), Text(""),
                             Text(static_cast<const UTF32Unit*>(nullptr)), Text(noUnits)}) {
        EXPECT_EQ(text.get_Length(), 0);
        EXPECT_EQ(text.get_NumberOfCharacters(), 0);
        EXPECT_TRUE(text.IsCaseSensitive() && text.IsSearchForward());
        EXPECT_EQ(text.c_str()[0], 0);
    }
}

TEST(TextConvertIn, WellFormedInput) {
    const Text accented("\x41\xC3\xA9");
    EXPECT_EQ(UnitsOf(accented), Units({0x41, 0xE9}));
    EXPECT_EQ(accented.get_NumberOfCharacters(), 2);
    const Text pair("\xF0\x9F\x98\x80");
    EXPECT_EQ(UnitsOf(pair), Units({0xD83D, 0xDE00}));
    EXPECT_EQ(pair.get_NumberOfCharacters(), 1);
    // Reading stops at the first NUL byte or 0 unit.
    EXPECT_EQ(UnitsOf(Text("ab\0cd")), Units({0x61, 0x62}));
    const UTF32Unit utf32[] = {0x41, 0x1F600, 0, 0x42, 0};
    const Text fromUTF32(utf32);
    EXPECT_EQ(UnitsOf(fromUTF32), Units({0x41, 0xD83D, 0xDE00}));
    EXPECT_EQ(fromUTF32.get_Length(), 3);
    EXPECT_EQ(fromUTF32.get_NumberOfCharacters(), 2);
}

TEST(TextConvertIn, IllFormedUTF8KeepsUnitsBeforeTheFault) {
    struct Row {
        const char* name;
        const char* utf8;
        UTF16String expected;
    };
    const Row rows[] = {
        {"LoneFF", "\xFF", Units({})},
        {"FFAfterLetter", "A\xFF", Units({0x41})},
        {"TruncatedTwoByte", "AB\xC3", Units({0x41, 0x42})},
        {"TruncatedFourByte", "AB\xF0\x9F\x98", Units({0x41, 0x42})},
        {"EncodedSurrogate", "A\xC3\xA9\xED\xA0\x80Z", Units({0x41, 0xE9})},
        {"Overlong", "AB\xC0\x80Z", Units({0x41, 0x42})},
        {"StrayContinuationAfterPair", "\xF0\x9F\x98\x80\x80Z", Units({0xD83D, 0xDE00})},
        {"BeyondU10FFFF", "A\xF4\x90\x80\x80", Units({0x41})},
        {"LongTailAfterFault", "ABCDEFGHIJ\xFFKLMNOPQRSTUVWXYZ", UTF16String(u"ABCDEFGHIJ")},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const Text text(row.utf8);
        EXPECT_EQ(UnitsOf(text), row.expected);
        EXPECT_EQ(text.get_NumberOfCharacters(), Text(row.expected).get_NumberOfCharacters());
        Text appended("x");
        appended += row.utf8;
        EXPECT_EQ(UnitsOf(appended), Units({0x78}) + row.expected);
    }
}

TEST(TextConvertIn, InvalidUTF32Raises) {
    for (UTF32Unit bad : {U'\x110000', static_cast<UTF32Unit>(0xFFFFFFFFu)}) {
        const UTF32Unit units[] = {0x41, bad, 0};
        EXPECT_RAISES(Text{units}, std::runtime_error, kUnspecified, 290, "U_INVALID_CHAR_FOUND");
    }
}

TEST(TextConvertIn, AppendUTF8) {
    Text text(Units({0x41}));
    text.set_CaseSensitivity(false);
    text.set_SearchForward(false);
    text += static_cast<const char*>(nullptr);
    EXPECT_EQ(UnitsOf(text), Units({0x41}));
    Text& result = (text += "\xC3\xA9");
    EXPECT_EQ(&result, &text);
    EXPECT_EQ(UnitsOf(text), Units({0x41, 0xE9}));
    EXPECT_FALSE(text.IsCaseSensitive());
    EXPECT_FALSE(text.IsSearchForward());

    // The counts after an append agree with a count of the whole, whatever the prefix ends with.
    const UTF16String prefixes[] = {Units({}), Units({0xD800}), Units({0xDC00}), Units({0, 0}),
                                    Units({0x41, 0}), Units({0xD83D, 0xDE00})};
    const char* appended[] = {"", "A", "\xF0\x9F\x98\x80", "\xC3\xA9\xF0\x9F\x98\x80"};
    for (const UTF16String& prefix : prefixes) {
        for (const char* utf8 : appended) {
            Text grown(prefix);
            grown += utf8;
            const Text whole(UnitsOf(grown));
            EXPECT_EQ(grown.get_Length(), whole.get_Length());
            EXPECT_EQ(grown.get_NumberOfCharacters(), whole.get_NumberOfCharacters());
        }
    }
}

TEST(TextConvertIn, CapacityNeverOverflowsTheCount) {
    using QuendalText::detail::UTF16Capacity;
    using QuendalText::detail::kSourceTooLong;
    EXPECT_EQ(UTF16Capacity(0, 1), 1);
    EXPECT_EQ(UTF16Capacity(7, 2), 15);
    EXPECT_EQ(UTF16Capacity(INT32_MAX - 1, 1), INT32_MAX);
    EXPECT_EQ(UTF16Capacity(INT32_MAX, 1), kSourceTooLong);
    EXPECT_EQ(UTF16Capacity((INT32_MAX - 1) / 2, 2), INT32_MAX);
    EXPECT_EQ(UTF16Capacity((INT32_MAX - 1) / 2 + 1, 2), kSourceTooLong);
    EXPECT_EQ(UTF16Capacity(SIZE_MAX, 1), kSourceTooLong);
    EXPECT_EQ(UTF16Capacity(SIZE_MAX / 2 + 1, 2), kSourceTooLong);
}

TEST(TextConvertIn, RoundTripsThroughEveryEncoding) {
    for (unsigned seed = 0; seed < 200; ++seed) {
        std::mt19937 random(1234 + seed);
        const std::u32string codePoints = RandomCodePoints(random, random() % 64);
        const UTF16String units = EncodeUTF16(codePoints);
        const std::string utf8 = EncodeUTF8(codePoints);
        SCOPED_TRACE(testing::Message() << "seed " << 1234 + seed);

        const Text fromUTF8(utf8.c_str());
        const Text fromUTF32(reinterpret_cast<const UTF32Unit*>(codePoints.c_str()));
        ASSERT_EQ(UnitsOf(fromUTF8), units);
        ASSERT_EQ(UnitsOf(fromUTF32), units);
        EXPECT_EQ(fromUTF8.get_NumberOfCharacters(), static_cast<int>(codePoints.size()));

        const int utf8Size = fromUTF8.get_EncodingSize(UTF8Encoding, true);
        ASSERT_EQ(utf8Size, static_cast<int>(utf8.size()) + 1);
        std::string utf8Out(static_cast<std::size_t>(utf8Size), '\xAB');
        fromUTF8.ToUTF8(utf8Out.data(), utf8Size, true);
        EXPECT_EQ(utf8Out, utf8 + '\0');

        const int utf32Size = fromUTF32.get_EncodingSize(UTF32Encoding, true) / 4;
        std::u32string utf32Out(static_cast<std::size_t>(utf32Size), U'\xABAB');
        fromUTF32.ToUTF32(reinterpret_cast<UTF32Unit*>(utf32Out.data()), utf32Size, true);
        EXPECT_EQ(utf32Out, codePoints + U'\0');

        const int utf16Size = fromUTF8.get_EncodingSize(UTF16Encoding, true);
        UTF16String utf16Out(static_cast<std::size_t>(utf16Size) / 2, u'\xABAB');
        fromUTF8.ToUTF16(utf16Out.data(), utf16Size, true);
        EXPECT_EQ(utf16Out, units + u'\0');
    }
}

TEST(TextConvertIn, MultiMegabyteTextInAndOut) {
    std::mt19937 random(99);
    std::string utf8;
    while (utf8.size() < 20u * 1024 * 1024) utf8 += EncodeUTF8(RandomCodePoints(random, 4096));
    const Text text(utf8.c_str());
    const int size = text.get_EncodingSize(UTF8Encoding, true);
    ASSERT_EQ(size, static_cast<int>(utf8.size()) + 1);
    std::string out(static_cast<std::size_t>(size), '\xAB');
    text.ToUTF8(out.data(), size, true);
    EXPECT_TRUE(out == utf8 + '\0');

    Text appended("start");
    appended += utf8.c_str();
    EXPECT_EQ(appended.get_Length(), 5 + text.get_Length());
    EXPECT_EQ(appended.get_NumberOfCharacters(), 5 + text.get_NumberOfCharacters());
}
