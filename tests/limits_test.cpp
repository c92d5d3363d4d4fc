// Texts at the 2^31 - 1 unit ceiling: every operation that would pass it raises a length error
// and leaves the text as it was; output longer than a 32-bit count is refused, not cut.
#include "test_support.h"

#include <climits>
#include <functional>
#include <memory>
#include <tuple>

namespace {

using namespace qt_test;

constexpr std::size_t kMax = INT_MAX;

// What a failed operation must leave as it was: counts, settings and the storage itself.
auto Snapshot(const Text& text) {
    const UTF16Unit* units = text.c_str();
    const int length = text.get_Length();
    return std::make_tuple(length, text.get_NumberOfCharacters(), units,
                           units[length > 0 ? length - 1 : 0], text.IsCaseSensitive(),
                           text.IsSearchForward());
}

// Expects `operation` to raise the length error of `function` and to leave `text` unchanged.
void ExpectRefused(const char* name, const Text& text, const char* function,
                   const std::function<void()>& operation) {
    SCOPED_TRACE(name);
    const auto before = Snapshot(text);
    try {
        operation();
        ADD_FAILURE() << "no length error";
    } catch (const QuendalLog::CPPException<std::length_error>& failure) {
        EXPECT_STREQ(failure.get_FunctionName(), function);
        EXPECT_STREQ(failure.get_FileName(), ".\\Text.cpp");
        EXPECT_GT(failure.get_LineNum(), 0);
    }
    EXPECT_TRUE(Snapshot(text) == before);
}

TEST(Limits, DoublingAGigaUnitTextIsRefused) {
    Text text(UTF16String(std::size_t{1} << 30, QUENDALTEXT_U('a')));
    ExpectRefused("t += t", text, "Text::operator+=", [&] { text += text; });
    ExpectRefused("t + t", text, "Text::operator+", [&] { static_cast<void>(text + text); });
    std::vector<UTF16Unit> buffer(50, 1);
    text.ToUTF16(buffer.data(), 100, true);  // too small: zero-filled, never overrun
    EXPECT_EQ(buffer, std::vector<UTF16Unit>(50, 0));
}

TEST(Limits, EveryGrowingOperationStopsAtTheCeiling) {
    Text text(UTF16String(kMax - 8, QUENDALTEXT_U('a')));
    text.set_SearchForward(false);
    ExpectRefused("+= UTF-8", text, "Text::operator+=", [&] { text += "0123456789abcdef"; });
    ExpectRefused("+= units", text,
                  "Text::operator+=", [&] { text += QUENDALTEXT_U("0123456789"); });
    ExpectRefused("+= Text", text, "Text::operator+=", [&] { text += Text("0123456789"); });
    ExpectRefused("Replace", text, "Text::Replace",
                  [&] { text.Replace(Text("0123456789"), 0, 0); });
    EXPECT_FALSE(text.Concatenate(Text("0123456789"), 0, -1));
    text += "0123456";  // one unit below the ceiling: a pair no longer fits
    ExpectRefused("pair past the end", text, "Text::operator+=", [&] { text += Char(0x1F600u); });
    text += Char('z');
    ASSERT_EQ(static_cast<std::size_t>(text.get_Length()), kMax);
    ASSERT_EQ(text.get_NumberOfCharacters(), INT_MAX);
    ExpectRefused("+= Char", text, "Text::operator+=", [&] { text += Char('z'); });
    ExpectRefused("set_CharacterAt", text, "Text::set_CharacterAt",
                  [&] { text.set_CharacterAt(0, Char('z')); });
    ExpectRefused("Text + Char", text, "Text::operator+",
                  [&] { static_cast<void>(text + Char('z')); });
    text.Replace(Text("y"), 0, 1);  // same length: allowed
    EXPECT_EQ(text.c_str()[0], QUENDALTEXT_U('y'));
    EXPECT_FALSE(text.IsSearchForward());
}

TEST(Limits, ConstructorsAndLoadRefuseTooLongSources) {
    const Text empty;
    {
        const UTF16String units(kMax + 1, QUENDALTEXT_U('b'));
        ExpectRefused("from a string", empty, "Text::Text", [&] { Text{units}; });
        ExpectRefused("from units", empty, "Text::Text", [&] { Text{units.c_str()}; });
        ExpectRefused("literal format", empty, "Text::Text", [&] { Text(units.c_str(), false); });
    }
#if !defined(_WIN32)  // Windows' string resources are the module's (tests/windows/)
    {
        QuendalText::StringTable table;
        table.Set(7, UTF16String(kMax + 1, QUENDALTEXT_U('b')));
        Text loaded("kept");
        ExpectRefused("Load", loaded, "Text::Load", [&] { loaded.Load(&table, 7); });
    }
#endif
    {
        const std::string bytes(kMax + 1, 'c');
        ExpectRefused("from UTF-8", empty, "Text::Text", [&] { Text{bytes.c_str()}; });
    }
    {
        std::vector<UTF32Unit> pairs(kMax / 2 + 2, 0x10400);
        pairs.back() = 0;
        ExpectRefused("from UTF-32", empty, "Text::Text", [&] { Text{pairs.data()}; });
    }
    ExpectRefused("format", empty, "Text::Text", [&] {
        Text(QUENDALTEXT_U("%*s%*s"), true, INT_MAX - 4, QUENDALTEXT_U(""), 8, QUENDALTEXT_U(""));
    });
}

// 1.2e9 units of CJK need 3.6e9 bytes of UTF-8, more than a 32-bit count holds: the size is
// capped, and the conversion into a buffer of that size fails instead of writing a cut text.
TEST(Limits, OutputBeyondAnIntIsTooLargeForAnyBuffer) {
    const Text text(UTF16String(1200000000, static_cast<UTF16Unit>(0x4E2D)));
    ASSERT_EQ(text.get_EncodingSize(UTF8Encoding, true), INT_MAX);
    ASSERT_EQ(text.get_EncodingSize(UTF16Encoding, true), INT_MAX);
    ASSERT_EQ(text.get_EncodingSize(UTF32Encoding, true), INT_MAX);
    const std::unique_ptr<char[]> bytes(new char[kMax]);  // never written: pages stay unused
    EXPECT_RAISES(text.ToUTF8(bytes.get(), INT_MAX, true), std::runtime_error,
                  "Unspecified function", 986, "U_BUFFER_OVERFLOW_ERROR");
    const std::unique_ptr<UTF32Unit[]> codePoints(new UTF32Unit[kMax / 4]);
    EXPECT_RAISES(text.ToUTF32(codePoints.get(), INT_MAX / 4, true), std::runtime_error,
                  "Unspecified function", 955, "U_BUFFER_OVERFLOW_ERROR");
}

}  // namespace
