// String resources on Windows: Text reads, through LoadStringW, the string table that strings.rc
// links into this test program.
#include "test_support.h"
#include "windows/strings.h"

#include <windows.h>

#include <string>

namespace {

using qt_test::UnitsOf;
using QuendalText::Text;
using QuendalText::UTF16String;

HINSTANCE ThisProgram() { return GetModuleHandleW(nullptr); }

TEST(WindowsStringResource, ReadsTheModulesStringTable) {
    const Text greeting(ThisProgram(), QT_TEST_GREETING);
    EXPECT_EQ(UnitsOf(greeting), UTF16String(QUENDALTEXT_U("Gr\u00fc\u00dfe \U0001F600")));
    EXPECT_EQ(greeting.get_NumberOfCharacters(), 7);
}

TEST(WindowsStringResource, LongStringsAreLoadedWhole) {
    std::wstring digits;
    for (int i = 0; i < 30; ++i) digits += QUENDALTEXT_U("0123456789");
    EXPECT_EQ(UnitsOf(Text(ThisProgram(), QT_TEST_300_UNITS)), digits);
    EXPECT_EQ(UnitsOf(Text(ThisProgram(), QT_TEST_255_UNITS)), digits.substr(0, 255));
}

TEST(WindowsStringResource, MissingStringEmptiesAndKeepsSettings) {
    Text text(ThisProgram(), QT_TEST_300_UNITS);
    text.set_CaseSensitivity(false);
    text.Load(ThisProgram(), QT_TEST_MISSING);
    EXPECT_TRUE(text.IsEmpty());
    EXPECT_EQ(text.get_NumberOfCharacters(), 0);
    EXPECT_FALSE(text.IsCaseSensitive());
    // A module without a string table, such as the library's own DLL.
    EXPECT_TRUE(Text(GetModuleHandleW(L"libQuendalText.dll"), QT_TEST_GREETING).IsEmpty());
}

}  // namespace
