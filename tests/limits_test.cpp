// Texts at their ceiling: every operation that would pass it raises a length error and leaves
// the text as it was; output longer than a 32-bit count is refused, not cut. A 64-bit process
// reaches the 2^31 - 1 units of an int; a 32-bit one reaches its string's 2^29 - 1 units and
// the end of its address space, with texts of hundreds of MiB.
#include "test_support.h"

#include <climits>
#include <cstdint>
#include <functional>
#include <memory>
#include <new>
#include <tuple>

namespace {

using namespace qt_test;

constexpr bool k64Bit = SIZE_MAX > UINT32_MAX;
constexpr std::size_t kMax = k64Bit ? INT_MAX : (std::size_t{1} << 29) - 1;

// What a failed operation must leave as it was: counts, settings and the storage itself.
auto Snapshot(const Text& text) {
    const UTF16Unit* units = text.c_str();
    const int length = text.get_Length();
    return std::make_tuple(length, text.get_NumberOfCharacters(), units,
                           units[length > 0 ? length - 1 : 0], text.IsCaseSensitive(),
                           text.IsSearchForward());
}

// Expects `operation` to raise the length error of `function` and to leave `text` unchanged.
// With no function, it may also not raise, or raise std::bad_alloc when the address space runs
// out first; answers whether it raised.
bool ExpectRefused(const char* name, const Text& text, const char* function,
                   const std::function<void()>& operation) {
    SCOPED_TRACE(name);
    const auto before = Snapshot(text);
    try {
        operation();
        if (function) ADD_FAILURE() << "no length error";
        return false;
    } catch (const QuendalLog::CPPException<std::length_error>& failure) {
        if (function) {
            EXPECT_STREQ(failure.get_FunctionName(), function);
            EXPECT_STREQ(failure.get_FileName(), ".\\Text.cpp");
            EXPECT_GT(failure.get_LineNum(), 0);
        }
    } catch (const std::bad_alloc&) {
        EXPECT_FALSE(function) << "out of memory";
    }
    EXPECT_TRUE(Snapshot(text) == before);
    return true;
}

// A text of half the ceiling or more doubled passes it: refused before any allocation. Too small
// a buffer is zero-filled, never overrun.
TEST(Limits, DoublingAHalfCeilingTextIsRefused) {
    constexpr std::size_t kHalf = std::size_t{1} << (k64Bit ? 30 : 28);
    Text text(std::string(kHalf, 'a').c_str());
    ASSERT_EQ(Size(text.get_Length()), kHalf);
    ExpectRefused("t += t", text, "Text::operator+=", [&] { text += text; });
    ExpectRefused("t + t", text, "Text::operator+", [&] { static_cast<void>(text + text); });
    ExpectRefused("Replace", text, "Text::Replace", [&] { text.Replace(text, 0, 0); });
    EXPECT_FALSE(text.Concatenate(text, 0, -1));
    std::vector<UTF16Unit> buffer(50, 1);
    text.ToUTF16(buffer.data(), 100, true);
    EXPECT_EQ(buffer, std::vector<UTF16Unit>(50, 0));
}

// Built at the ceiling from a string freed at once, and never grown past its first room, so that
// a 32-bit process has room for the text and for the results that a mapping fills up to the
// ceiling before it is refused.
TEST(Limits, EveryGrowingOperationStopsAtTheCeiling) {
    Text text(std::string(kMax, 'a').c_str());
    ASSERT_EQ(Size(text.get_Length()), kMax);
    text.set_SearchForward(false);
    ExpectRefused("+= UTF-8", text, "Text::operator+=", [&] { text += "0123456789abcdef"; });
    ExpectRefused("+= units", text,
                  "Text::operator+=", [&] { text += QUENDALTEXT_U("0123456789"); });
    ExpectRefused("+= Text", text, "Text::operator+=", [&] { text += Text("0123456789"); });
    ExpectRefused("Replace", text, "Text::Replace",
                  [&] { text.Replace(Text("0123456789"), 0, 0); });
    EXPECT_FALSE(text.Concatenate(Text("0123456789"), 0, -1));
    text.RemoveAt(0);  // one unit below the ceiling: a pair no longer fits
    if (k64Bit) {      // a mapping one unit longer fills the ceiling exactly (too big for 32 bits)
        text.Replace(Text(QUENDALTEXT_U("\u00DF")), 0, 1);
        const Text upper = text.Upper();
        EXPECT_EQ(Size(upper.get_Length()), kMax);
        EXPECT_EQ(upper.c_str()[1], QUENDALTEXT_U('S'));
        EXPECT_EQ(upper.c_str()[kMax - 1], QUENDALTEXT_U('A'));
        text.Replace(Text("a"), 0, 1);
    }
    ExpectRefused("pair past the end", text, "Text::operator+=", [&] { text += Char(0x1F600u); });
    text += Char('z');
    ASSERT_EQ(Size(text.get_Length()), kMax);
    ASSERT_EQ(Size(text.get_NumberOfCharacters()), kMax);
    ExpectRefused("+= Char", text, "Text::operator+=", [&] { text += Char('z'); });
    ExpectRefused("set_CharacterAt", text, "Text::set_CharacterAt",
                  [&] { text.set_CharacterAt(0, Char('z')); });
    ExpectRefused("Text + Char", text, "Text::operator+",
                  [&] { static_cast<void>(text + Char('z')); });
    text.Replace(Text("y"), 0, 1);  // same length: allowed
    EXPECT_EQ(text.c_str()[0], QUENDALTEXT_U('y'));
    EXPECT_FALSE(text.IsSearchForward());
    // One character that maps to two units: the result passes the ceiling by one. A 32-bit
    // process may have no room left for the result: out of memory is then a refusal too.
    const auto refusedMapping = [&](const char* function, const std::function<void()>& map) {
        EXPECT_TRUE(ExpectRefused(function, text, k64Bit ? function : nullptr, map));
    };
    text.Replace(Text(QUENDALTEXT_U("\u00DF")), 0, 1);
    refusedMapping("Text::Upper", [&] { static_cast<void>(text.Upper()); });
    refusedMapping("Text::Folded", [&] { static_cast<void>(text.Folded()); });
    text.Replace(Text(QUENDALTEXT_U("\u0130")), 0, 1);
    refusedMapping("Text::Lower", [&] { static_cast<void>(text.Lower()); });
    text.Replace(Text(QUENDALTEXT_U("\u00E9")), 0, 1);
    refusedMapping("Text::Normalized", [&] {
        static_cast<void>(text.Normalized(QuendalText::NormalizationForm::NFD));
    });
}

#if SIZE_MAX > UINT32_MAX

TEST(Limits, ConstructorsAndLoadRefuseTooLongSources) {
    const Text empty;
    UTF16String units(kMax + 1, QUENDALTEXT_U('b'));
    ExpectRefused("from a string", empty, "Text::Text", [&] { Text{units}; });
    ExpectRefused("from units", empty, "Text::Text", [&] { Text{units.c_str()}; });
    ExpectRefused("literal format", empty, "Text::Text", [&] { Text(units.c_str(), false); });
#  if !defined(_WIN32)  // Windows' string resources are the module's (tests/windows/)
    QuendalText::StringTable table;
    table.Set(7, units);
    Text loaded("kept");
    ExpectRefused("Load", loaded, "Text::Load", [&] { loaded.Load(&table, 7); });
    table = {};
#  endif
    units = UTF16String();  // freed before the next sources
    ExpectRefused("from UTF-8", empty, "Text::Text",
                  [&] { Text{std::string(kMax + 1, 'c').c_str()}; });
    std::vector<UTF32Unit> pairs(kMax / 2 + 2, 0x10400);
    pairs.back() = 0;
    ExpectRefused("from UTF-32", empty, "Text::Text", [&] { Text{pairs.data()}; });
    ExpectRefused("format", empty, "Text::Text", [&] {
        Text(QUENDALTEXT_U("%*s%*s"), true, INT_MAX - 4, QUENDALTEXT_U(""), 8, QUENDALTEXT_U(""));
    });
}

// 1.2e9 units of CJK need 3.6e9 bytes of UTF-8, more than a 32-bit count holds: the size is
// capped, and the conversion into a buffer of that size fails instead of writing a cut text.
TEST(Limits, OutputBeyondAnIntIsTooLargeForAnyBuffer) {
    const Text text(UTF16String(1200000000, static_cast<UTF16Unit>(0x4E2D)));
    for (const auto encoding : {UTF8Encoding, UTF16Encoding, UTF32Encoding})
        ASSERT_EQ(text.get_EncodingSize(encoding, true), INT_MAX);
    const std::unique_ptr<char[]> bytes(new char[kMax]);  // never written: pages stay unused
    EXPECT_RAISES(text.ToUTF8(bytes.get(), INT_MAX, true), std::runtime_error,
                  "Unspecified function", 986, "U_BUFFER_OVERFLOW_ERROR");
    const std::unique_ptr<UTF32Unit[]> codePoints(new UTF32Unit[kMax / 4]);
    EXPECT_RAISES(text.ToUTF32(codePoints.get(), INT_MAX / 4, true), std::runtime_error,
                  "Unspecified function", 955, "U_BUFFER_OVERFLOW_ERROR");
}

#else  // 32-bit

// Appending 64 MiB at a time until the string's ceiling or the address space stops it: each
// append either holds every unit or raises and changes nothing, and the text reads back whole.
TEST(Limits, GrowingTowardTheAddressSpaceCeiling) {
    // The ceiling is what the string holds: one unit more, and the string itself would raise.
    ASSERT_LE(kMax, UTF16String().max_size());
    const Text chunk(std::string(std::size_t{1} << 25, 'g').c_str());
    Text text("x");
    std::size_t expected = 1;
    while (!ExpectRefused("+=", text, nullptr, [&] { text += chunk; })) {
        expected += std::size_t{1} << 25;
        ASSERT_EQ(Size(text.get_Length()), expected);
        ASSERT_EQ(Size(text.get_NumberOfCharacters()), expected);
    }
    EXPECT_GE(expected, std::size_t{1} << 27) << "a 32-bit process holds 256 MiB of text";
    EXPECT_EQ(text.c_str()[expected - 1], QUENDALTEXT_U('g'));
    EXPECT_EQ(text.c_str()[expected], 0);
}

// Results that a 32-bit target's standard string cannot hold are refused before they are
// allocated: 380 Mi units of CJK take 1.1 GB as UTF-8 and as a sort key, and as many UTF-32
// code points are past the 2^28 - 1 that a std::u32string holds.
TEST(Limits, ResultsBeyondTheirStringsAreRefused) {
    const Text text(UTF16String(std::size_t{380} << 20, static_cast<UTF16Unit>(0x4E2D)));
    ExpectRefused("ToUTF8String", text, "Text::ToUTF8String",
                  [&] { static_cast<void>(text.ToUTF8String()); });
    ExpectRefused("ToUTF32String", text, "Text::ToUTF32String",
                  [&] { static_cast<void>(text.ToUTF32String()); });
    ExpectRefused("SortKey", text, "Collator::SortKey",
                  [&] { static_cast<void>(QuendalText::Collator().SortKey(text)); });
}

// 300 Mi of ß upper-case to 600 Mi units, past the ceiling: the room for the result grows up to
// the ceiling and no further, and the mapping is refused there (or runs out of memory first).
TEST(Limits, MappingsPastTheCeilingAreRefused) {
    const Text text(UTF16String(std::size_t{300} << 20, static_cast<UTF16Unit>(0xDF)));
    EXPECT_TRUE(ExpectRefused("Upper", text, nullptr, [&] { static_cast<void>(text.Upper()); }));
}

// Format widths past the ceiling are refused before any allocation.
TEST(Limits, FormatWidthsPastTheCeilingAreRefused) {
    const Text empty;
    const int width = static_cast<int>(kMax) + 1;
    ExpectRefused("%*s", empty, "Text::Text",
                  [&] { Text(QUENDALTEXT_U("%*s"), true, width, QUENDALTEXT_U("")); });
    ExpectRefused("%*d", empty, "Text::Text", [&] { Text(QUENDALTEXT_U("%*d"), true, width, 7); });
}

// UTF-8 sources longer than a text may be (540 MB of CJK, 180 Mi units): measured, then
// converted into exactly their room, never refused by the string; an ill-formed byte becomes
// U+FFFD or is reported at its offset.
TEST(Limits, UTF8SourcesBeyondTheCeilingAreMeasured) {
    constexpr std::size_t kCharacters = 180u << 20;
    std::string bytes;
    bytes.reserve(3 * kCharacters);
    for (std::size_t i = 0; i < kCharacters; ++i) bytes += "\xE4\xB8\xAD";
    ASSERT_GT(bytes.size(), kMax);
    const auto expectCJK = [&](const Text& text, const char* name) {
        SCOPED_TRACE(name);
        ASSERT_EQ(Size(text.get_Length()), kCharacters);
        EXPECT_EQ(text.c_str()[0], static_cast<UTF16Unit>(0x4E2D));
        EXPECT_EQ(text.c_str()[kCharacters - 1], static_cast<UTF16Unit>(0x4E2D));
    };
    expectCJK(Text::FromUTF8(bytes), "FromUTF8");
    expectCJK(Text(bytes.c_str()), "Text(const char*)");
    Text replacedAll("a");
    expectCJK(replacedAll.ReplaceAll("a", bytes), "ReplaceAll");
    replacedAll = Text();
    EXPECT_FALSE(Text("x").Contains(bytes));
    bytes[3] = '\xFF';
    EXPECT_RAISES(Text::FromUTF8(bytes), std::runtime_error, "Text::FromUTF8", 1001,
                  "Ill-formed UTF-8 at byte offset 3");
    const Text replaced = Text::FromUTF8(bytes, QuendalText::Malformed::Replace);
    ASSERT_EQ(Size(replaced.get_Length()), kCharacters + 2);  // one U+FFFD for each byte
    EXPECT_EQ(replaced.c_str()[1], static_cast<UTF16Unit>(0xFFFD));
}

#endif

}  // namespace
