// Text from UTF-8 and UTF-32: named sources, appends onto prefixes that end in each way the count
// shortcut tells apart, and the raises.
#include "test_support.h"

#include <tuple>

#include "internal/conversion.h"

namespace {
using namespace qt_test;

// The room a conversion into UTF-16 reserves, terminator included, never overflows the count.
using QuendalText::detail::kSourceTooLong;
using QuendalText::detail::UTF16Capacity;
constexpr std::size_t kHalf = (INT32_MAX - 1) / 2;
static_assert(UTF16Capacity(0, 1) == 1 && UTF16Capacity(7, 2) == 15);
static_assert(UTF16Capacity(INT32_MAX - 1, 1) == INT32_MAX && UTF16Capacity(kHalf, 2) == INT32_MAX);
static_assert(UTF16Capacity(INT32_MAX, 1) == kSourceTooLong);
static_assert(UTF16Capacity(kHalf + 1, 2) == kSourceTooLong);
static_assert(UTF16Capacity(SIZE_MAX, 1) == kSourceTooLong);
static_assert(UTF16Capacity(SIZE_MAX / 2 + 1, 2) == kSourceTooLong);

TEST(TextConvertIn, UTF8KeepsTheUnitsBeforeAnyFault) {
    const std::tuple<const char*, const char*, UTF16String> rows[] = {
        {"null", nullptr, {}},
        {"empty", "", {}},
        {"two-byte", "A\xC3\xA9", Units({'A', 0xE9})},
        {"pair", "\xF0\x9F\x98\x80", Units({0xD83D, 0xDE00})},
        {"stops at NUL", "ab\0cd", QUENDALTEXT_U("ab")},
        {"lone FF", "\xFF", {}},
        {"truncated two-byte", "AB\xC3", QUENDALTEXT_U("AB")},
        {"truncated four-byte", "AB\xF0\x9F\x98", QUENDALTEXT_U("AB")},
        {"encoded surrogate", "A\xC3\xA9\xED\xA0\x80Z", Units({'A', 0xE9})},
        {"overlong", "AB\xC0\x80Z", QUENDALTEXT_U("AB")},
        {"stray continuation after pair", "\xF0\x9F\x98\x80\x80Z", Units({0xD83D, 0xDE00})},
        {"beyond U+10FFFF", "A\xF4\x90\x80\x80", QUENDALTEXT_U("A")},
        {"long tail after fault", "ABCDEFGHIJ\xFFKLMNOPQRSTUVWXYZ", QUENDALTEXT_U("ABCDEFGHIJ")},
    };
    const UTF16String prefixes[] = {Units({'A'}), Units({0xD800}), Units({0xDC00}), Units({0, 0}),
                                    Units({0xD83D, 0xDE00})};
    for (const auto& [name, utf8, units] : rows) {
        SCOPED_TRACE(name);
        EXPECT_TRUE(Holds(Text(utf8), units));
        for (const UTF16String& prefix : prefixes) {
            Text grown(prefix);
            grown.set_CaseSensitivity(false);
            grown.set_SearchForward(false);
            EXPECT_EQ(&(grown += utf8), &grown);
            EXPECT_TRUE(Holds(grown, prefix + units, false, false));
        }
    }
}

TEST(TextConvertIn, UTF32ConvertsWholeOrRaises) {
    const UTF32Unit stopsAtZero[] = {0x41, 0x1F600, 0, 0x42, 0}, startsWithZero[] = {0, 0x41, 0};
    EXPECT_TRUE(Holds(Text(stopsAtZero), Units({'A', 0xD83D, 0xDE00})));
    EXPECT_TRUE(Holds(Text(startsWithZero), {}));
    EXPECT_TRUE(Holds(Text(static_cast<const UTF32Unit*>(nullptr)), {}));
    for (const UTF32Unit bad : {UTF32Unit{0x110000}, UTF32Unit{0xD800}, UTF32Unit{0xFFFFFFFF}}) {
        const UTF32Unit units[] = {0x41, bad, 0};
        EXPECT_RAISES(Text{units}, std::runtime_error, "Unspecified function", 290,
                      "U_INVALID_CHAR_FOUND");
    }
}

}  // namespace
