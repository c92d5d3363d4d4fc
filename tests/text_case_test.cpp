// Full case mapping and folding held to the Character Database of Debian's unicode-data.
#include "test_support.h"

#include <unicode/uchar.h>
#include <unicode/uloc.h>
#include <unicode/ustring.h>

#include <random>

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

namespace {

// ICU's root mappings called directly on the whole units.
UTF16String IcuMapped(const UTF16String& units, int which) {
    UTF16String out(units.size() * 3 + 16, UTF16Unit(0));
    UErrorCode status = U_ZERO_ERROR;
    const auto* in = reinterpret_cast<const UChar*>(units.data());
    auto* to = reinterpret_cast<UChar*>(out.data());
    const auto capacity = static_cast<int32_t>(out.size());
    const auto length = static_cast<int32_t>(units.size());
    const int32_t written =
        which == 0   ? u_strToUpper(to, capacity, in, length, "", &status)
        : which == 1 ? u_strToLower(to, capacity, in, length, "", &status)
                     : u_strFoldCase(to, capacity, in, length, U_FOLD_CASE_DEFAULT, &status);
    EXPECT_TRUE(U_SUCCESS(status));
    out.resize(static_cast<std::size_t>(written));
    return out;
}

int Sign(int value) { return (value > 0) - (value < 0); }

// The mappings of `units`, and its folded order against `other`, as ICU finds them.
void ExpectMappedAsIcu(const UTF16String& units, const UTF16String& other) {
    const Text text{UTF16StringView(units)};
    const Text mapped[] = {text.Upper(), text.Lower(), text.Folded()};
    for (int which = 0; which < 3; ++which) {
        EXPECT_TRUE(Holds(mapped[which], IcuMapped(units, which))) << "mapping " << which;
    }
    UErrorCode status = U_ZERO_ERROR;
    const int32_t order = u_strCaseCompare(
        reinterpret_cast<const UChar*>(units.data()), static_cast<int32_t>(units.size()),
        reinterpret_cast<const UChar*>(other.data()), static_cast<int32_t>(other.size()),
        U_FOLD_CASE_DEFAULT, &status);
    EXPECT_EQ(text.CompareFolded(Text{UTF16StringView(other)}), Sign(order));
}

}  // namespace

// Every BMP unit in one text (lone surrogates included), then random texts of letters whose
// mappings expand or look at context (final sigma, dotted I, ß), ASCII and supplementary
// letters, all held to ICU mapping the whole units at once.
TEST(TextCase, FullMappingsAgreeWithIcuWhole) {
    UTF16String every;
    for (std::uint32_t unit = 1; unit <= 0xFFFF; ++unit) every.push_back(UTF16Unit(unit));
    ExpectMappedAsIcu(every, IcuMapped(every, 2));
    std::vector<UTF16String> pieces = {Units({0xD801}), Units({0xDC00}), Units({0})};
    for (std::uint32_t c : {0x61u,    0x5Au,    0x20u,   0x3A3u, 0x3C3u,   0x130u,   0xDFu,
                            0x390u,   0x1E9Eu,  0xFB03u, 0x345u, 0x10400u, 0x10428u, 0x1E900u,
                            0x1F600u, 0x20000u, 0xC9u,   0x307u, 0x27u,    0x1C5u}) {
        pieces.push_back(ToUTF16({c}));
    }
    std::mt19937 random(7);
    for (int trial = 0; trial < 2000; ++trial) {
        UTF16String units;
        const std::size_t count = random() % 12;
        UTF16String other;
        for (std::size_t i = 0; i < count; ++i) units += pieces[random() % pieces.size()];
        // Each code point again, upper-cased or folded or as it is, now and then with another
        // piece after it: texts that fold alike, or differ early or late.
        for (const std::uint32_t value : Decode(units)) {
            const UTF16String one = ToUTF16({value});
            const int choice = static_cast<int>(random() % 4);
            other += choice == 0 ? IcuMapped(one, 0) : choice == 1 ? IcuMapped(one, 2) : one;
            if (choice == 3 && random() % 8 == 0) other += pieces[random() % pieces.size()];
        }
        ExpectMappedAsIcu(units, other);
    }
}
