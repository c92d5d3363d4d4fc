// Full case mapping and folding held to the Character Database of Debian's unicode-data.
#include "test_support.h"

#include <unicode/uloc.h>

namespace {

using namespace qt_test;
using QuendalText::UTF16StringView;

// The full case mappings that the Character Database lists apart from the simple ones (and that
// change the length), every full and common case folding, and ICU's default locale ignored:
// Turkish would map i to U+0130.
TEST(TextCase, CaseMappingFollowsTheCharacterDatabase) {
    UErrorCode status = U_ZERO_ERROR;
    const std::string previous = uloc_getDefault();
    uloc_setDefault("tr_TR", &status);
    EXPECT_TRUE(Text("i").Upper() == Text("I") && Text("I").Lower() == Text("i"));
    ForEachRecord("SpecialCasing.txt", ';', [](const std::vector<std::string>& f) {
        if (f.size() > 4 && f[4].find_first_not_of(' ') != std::string::npos) return;  // conditions
        const Text text{UTF16StringView(UnitsOfHex(f[0]))};
        EXPECT_EQ(UnitsOf(text.Lower()), UnitsOfHex(f[1])) << f[0];
        EXPECT_EQ(UnitsOf(text.Upper()), UnitsOfHex(f[3])) << f[0];
    });
    ForEachRecord("CaseFolding.txt", ';', [](const std::vector<std::string>& f) {
        if (f[1] != " C" && f[1] != " F") return;
        EXPECT_EQ(UnitsOf(Text{UTF16StringView(UnitsOfHex(f[0]))}.Folded()), UnitsOfHex(f[2]))
            << f[0];
    });
    // Context: a final sigma lowers to U+03C2, as no single character does.
    EXPECT_EQ(Text(u8"\u039F\u03A3").Lower(), Text(u8"\u03BF\u03C2"));
    // Folded comparison orders by units after folding (U+FF41 after the high surrogate of
    // U+10428), whatever CaseSensitivity says.
    Text sensitive("STRASSE");
    EXPECT_EQ(sensitive.CompareFolded(Text(u8"stra\u00DFe")), 0);
    EXPECT_EQ(Text("a").CompareFolded(Text("B")), -1);
    EXPECT_EQ(Text(u8"\uFF21").CompareFolded(Text(u8"\U00010400")), 1);
    sensitive.set_CaseSensitivity(false);
    EXPECT_EQ(sensitive.CompareFolded(Text("strasse ")), -1);
    uloc_setDefault(previous.c_str(), &status);
}

}  // namespace
