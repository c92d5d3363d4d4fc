// Text from UTF-8, UTF-32 and string resources: tables of sources, generated round trips
// through every encoding against reference encoders, and a multi-megabyte text in and out.
#include "test_support.h"

#include "internal/conversion.h"

#include <array>
#include <cstdint>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

namespace qt_test {
namespace {

using QuendalText::StringTable;
using QuendalText::Text;
using QuendalText::UTF32Unit;

// Reference encoders of scalar values, independent of the library and of ICU.
UTF16String EncodeUTF16(const std::u32string& codePoints) {
    UTF16String units;
    for (const char32_t c : codePoints) {
        if (c < 0x10000)
            units.push_back(static_cast<UTF16Unit>(c));
        else
            units += {static_cast<UTF16Unit>(0xD800 + ((c - 0x10000) >> 10)),
                      static_cast<UTF16Unit>(0xDC00 + (c & 0x3FF))};
    }
    return units;
}

std::string EncodeUTF8(const std::u32string& codePoints) {
    static constexpr unsigned kLeads[] = {0x00, 0xC0, 0xE0, 0xF0};
    std::string bytes;
    for (const char32_t c : codePoints) {
        const int tail = c < 0x80 ? 0 : c < 0x800 ? 1 : c < 0x10000 ? 2 : 3;
        bytes.push_back(static_cast<char>(kLeads[tail] | (c >> (6 * tail))));
        for (int shift = 6 * (tail - 1); shift >= 0; shift -= 6)
            bytes.push_back(static_cast<char>(0x80 | ((c >> shift) & 0x3F)));
    }
    return bytes;
}

// Random scalar values other than U+0000, weighted towards every UTF-8 length.
std::u32string RandomCodePoints(std::mt19937& random, std::size_t count) {
    static constexpr char32_t kRanges[][2] = {
        {0x01, 0x7F}, {0x80, 0x7FF}, {0x800, 0xD7FF}, {0xE000, 0xFFFF}, {0x10000, 0x10FFFF}};
    std::u32string codePoints;
    for (std::size_t i = 0; i < count; ++i) {
        const auto& range = kRanges[random() % std::size(kRanges)];
        codePoints.push_back(
            static_cast<char32_t>(range[0] + random() % (range[1] - range[0] + 1)));
    }
    return codePoints;
}

TEST(TextConvertIn, UTF8SourcesAndAppendsKeepTheUnitsBeforeAnyFault) {
    const struct {
        const char* name;
        const char* utf8;
        UTF16String units;
    } rows[] = {
        {"Null", nullptr, u""},
        {"Empty", "", u""},
        {"TwoByte", "\x41\xC3\xA9", Units({0x41, 0xE9})},
        {"Pair", "\xF0\x9F\x98\x80", Units({0xD83D, 0xDE00})},
        {"StopsAtNul", "ab\0cd", u"ab"},
        // Ill-formed input keeps the units before the fault.
        {"LoneFF", "\xFF", u""},
        {"TruncatedTwoByte", "AB\xC3", u"AB"},
        {"TruncatedFourByte", "AB\xF0\x9F\x98", u"AB"},
        {"EncodedSurrogate", "A\xC3\xA9\xED\xA0\x80Z", Units({0x41, 0xE9})},
        {"Overlong", "AB\xC0\x80Z", u"AB"},
        {"StrayContinuationAfterPair", "\xF0\x9F\x98\x80\x80Z", Units({0xD83D, 0xDE00})},
        {"BeyondU10FFFF", "A\xF4\x90\x80\x80", u"A"},
        {"LongTailAfterFault", "ABCDEFGHIJ\xFFKLMNOPQRSTUVWXYZ", u"ABCDEFGHIJ"},
    };
    // Prefixes ending in each way that matters when only the appended units are counted.
    const UTF16String prefixes[] = {u"A", Units({0xD800}), Units({0xDC00}), Units({0, 0}),
                                    Units({0xD83D, 0xDE00})};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const Text text(row.utf8);
        EXPECT_EQ(UnitsOf(text), row.units);
        EXPECT_EQ(text.get_NumberOfCharacters(), Text(row.units).get_NumberOfCharacters());
        EXPECT_TRUE(text.IsCaseSensitive() && text.IsSearchForward());
        for (const UTF16String& prefix : prefixes) {
            Text grown(prefix);
            grown.set_CaseSensitivity(false);
            grown.set_SearchForward(false);
            EXPECT_EQ(&(grown += row.utf8), &grown);
            const Text whole(prefix + row.units);
            EXPECT_EQ(UnitsOf(grown), UnitsOf(whole));
            EXPECT_EQ(grown.get_NumberOfCharacters(), whole.get_NumberOfCharacters());
            EXPECT_FALSE(grown.IsCaseSensitive() || grown.IsSearchForward());
        }
    }
}

TEST(TextConvertIn, UTF32SourcesAndTheirRaise) {
    const UTF32Unit startsWithZero[] = {0, 0x41, 0}, mixed[] = {0x41, 0x1F600, 0, 0x42, 0};
    for (const Text& empty : {Text(static_cast<const UTF32Unit*>(nullptr)), Text(startsWithZero)}) {
        EXPECT_TRUE(empty.IsEmpty() && empty.get_NumberOfCharacters() == 0 &&
                    empty.IsCaseSensitive() && empty.IsSearchForward());
    }
    const Text text(mixed);
    EXPECT_EQ(UnitsOf(text), Units({0x41, 0xD83D, 0xDE00}));
    EXPECT_EQ(text.get_NumberOfCharacters(), 2);
    for (const UTF32Unit bad : {UTF32Unit{0x110000}, UTF32Unit{0xD800}, UTF32Unit{0xFFFFFFFF}}) {
        const UTF32Unit units[] = {0x41, bad, 0};
        EXPECT_RAISES(Text{units}, std::runtime_error, "Unspecified function", 290,
                      "U_INVALID_CHAR_FOUND");
    }
}

TEST(TextConvertIn, CapacityNeverOverflowsTheCount) {
    using QuendalText::detail::UTF16Capacity;
    constexpr std::int32_t kTooLong = QuendalText::detail::kSourceTooLong;
    constexpr std::size_t kHalf = (INT32_MAX - 1) / 2;
    const std::array<std::int32_t, 8> capacities = {UTF16Capacity(0, 1),
                                                    UTF16Capacity(7, 2),
                                                    UTF16Capacity(INT32_MAX - 1, 1),
                                                    UTF16Capacity(kHalf, 2),
                                                    UTF16Capacity(INT32_MAX, 1),
                                                    UTF16Capacity(kHalf + 1, 2),
                                                    UTF16Capacity(SIZE_MAX, 1),
                                                    UTF16Capacity(SIZE_MAX / 2 + 1, 2)};
    EXPECT_EQ(capacities, (std::array<std::int32_t, 8>{1, 15, INT32_MAX, INT32_MAX, kTooLong,
                                                       kTooLong, kTooLong, kTooLong}));
}

TEST(TextConvertIn, RoundTripsThroughEveryEncoding) {
    for (unsigned seed = 1234; seed < 1434; ++seed) {
        SCOPED_TRACE(testing::Message() << "seed " << seed);
        std::mt19937 random(seed);
        const std::u32string codePoints = RandomCodePoints(random, random() % 64);
        const UTF16String units = EncodeUTF16(codePoints);
        const std::string utf8 = EncodeUTF8(codePoints);
        const Text fromUTF8(utf8.c_str()),
            fromUTF32(reinterpret_cast<const UTF32Unit*>(codePoints.c_str()));
        ASSERT_EQ(UnitsOf(fromUTF8), units);
        ASSERT_EQ(UnitsOf(fromUTF32), units);
        EXPECT_EQ(fromUTF8.get_NumberOfCharacters(), static_cast<int>(codePoints.size()));

        // Buffers of exactly the advertised size receive the whole text and its terminator.
        std::string utf8Out(static_cast<std::size_t>(fromUTF8.get_EncodingSize(UTF8Encoding, true)),
                            '\xAB');
        fromUTF8.ToUTF8(utf8Out.data(), static_cast<int>(utf8Out.size()), true);
        EXPECT_EQ(utf8Out, utf8 + '\0');
        std::u32string utf32Out(
            static_cast<std::size_t>(fromUTF32.get_EncodingSize(UTF32Encoding, true) / 4),
            U'\xABAB');
        fromUTF32.ToUTF32(reinterpret_cast<UTF32Unit*>(utf32Out.data()),
                          static_cast<int>(utf32Out.size()), true);
        EXPECT_EQ(utf32Out, codePoints + U'\0');
        UTF16String utf16Out(
            static_cast<std::size_t>(fromUTF8.get_EncodingSize(UTF16Encoding, true) / 2),
            u'\xABAB');
        fromUTF8.ToUTF16(utf16Out.data(), static_cast<int>(utf16Out.size() * 2), true);
        EXPECT_EQ(utf16Out, units + u'\0');
    }
}

TEST(TextConvertIn, MultiMegabyteTextInAndOut) {
    std::mt19937 random(99);
    std::string utf8;
    while (utf8.size() < 20u * 1024 * 1024) utf8 += EncodeUTF8(RandomCodePoints(random, 4096));
    const Text text(utf8.c_str());
    std::string out(static_cast<std::size_t>(text.get_EncodingSize(UTF8Encoding, true)), '\xAB');
    ASSERT_EQ(out.size(), utf8.size() + 1);
    text.ToUTF8(out.data(), static_cast<int>(out.size()), true);
    EXPECT_TRUE(out == utf8 + '\0');
    Text appended("start");
    appended += utf8.c_str();
    EXPECT_EQ(appended.get_Length(), 5 + text.get_Length());
    EXPECT_EQ(appended.get_NumberOfCharacters(), 5 + text.get_NumberOfCharacters());
}

// A resource string of `length` units, different for every length so that a cut or a stale
// buffer shows.
UTF16String ResourceString(std::size_t length) {
    std::mt19937 random(static_cast<unsigned>(length));
    return EncodeUTF16(RandomCodePoints(random, length)).substr(0, length);
}

TEST(TextResource, LoadsWholeStringsAndNothingForMissingOnes) {
    StringTable table{{9001, nullptr}};
    UTF16String withNul = ResourceString(600);
    withNul[400] = 0;
    table.Set(9000, withNul);
    struct Case {
        QuendalText::ModuleHandle module;
        unsigned id;
        UTF16String units;
    };
    std::vector<Case> cases = {{&table, 9000, withNul.substr(0, 400)},
                               {&table, 9001, u""},
                               {&table, 99, u""},
                               {nullptr, 1, u""}};
    // Around the first buffer of 256 units and the retries after it.
    for (const std::size_t length : {0u, 1u, 254u, 255u, 256u, 300u, 511u, 512u, 5000u}) {
        table.Set(static_cast<unsigned>(length) + 1, ResourceString(length));
        cases.push_back({&table, static_cast<unsigned>(length) + 1, ResourceString(length)});
    }
    Text reused(u"before");
    reused.set_CaseSensitivity(false);
    reused.set_SearchForward(false);
    for (const Case& resource : cases) {
        SCOPED_TRACE(testing::Message() << "id " << resource.id);
        const Text loaded(resource.module, resource.id);
        EXPECT_EQ(UnitsOf(loaded), resource.units);
        EXPECT_EQ(loaded.get_NumberOfCharacters(), Text(resource.units).get_NumberOfCharacters());
        EXPECT_TRUE(loaded.IsCaseSensitive() && loaded.IsSearchForward());
        reused.Load(resource.module, resource.id);  // replaces the units, keeps the settings
        EXPECT_EQ(UnitsOf(reused), resource.units);
        EXPECT_EQ(reused.get_NumberOfCharacters(), loaded.get_NumberOfCharacters());
        EXPECT_FALSE(reused.IsCaseSensitive() || reused.IsSearchForward());
    }
}

}  // namespace
}  // namespace qt_test
