// String resources on Windows: Text reads, through LoadStringW, the string table that strings.rc
// links into this test program.
#include "test_support.h"
#include "windows/strings.h"

#include <windows.h>

namespace {
using namespace qt_test;

TEST(WindowsStringResource, ReadsTheModulesStringTable) {
    const HINSTANCE program = GetModuleHandleW(nullptr);
    UTF16String digits;
    for (int i = 0; i < 30; ++i) digits += QUENDALTEXT_U("0123456789");
    EXPECT_TRUE(
        Holds(Text(program, QT_TEST_GREETING), QUENDALTEXT_U("Gr\u00fc\u00dfe \U0001F600")));
    // Around the loader's first buffer of 256 units: whole after a retry.
    EXPECT_TRUE(Holds(Text(program, QT_TEST_300_UNITS), digits));
    EXPECT_TRUE(Holds(Text(program, QT_TEST_255_UNITS), digits.substr(0, 255)));
    // Nothing for a missing string or a module without a table; Load keeps the settings.
    Text reused(program, QT_TEST_300_UNITS);
    reused.set_CaseSensitivity(false);
    reused.Load(program, QT_TEST_MISSING);
    EXPECT_TRUE(Holds(reused, {}, false));
    EXPECT_TRUE(Holds(Text(GetModuleHandleW(L"libQuendalText.dll"), QT_TEST_GREETING), {}));
}

}  // namespace
