// Full case mapping and folding held to ICU's root mappings called directly, whatever ICU's default
// locale, and folded comparison.
#include "test_support.h"

#include <unicode/uchar.h>
#include <unicode/uloc.h>
#include <unicode/ustring.h>

#include <random>

namespace {

using namespace qt_test;
using QuendalText::UTF16StringView;

// ICU's root mappings (0 upper, 1 lower, 2 folded) called directly on the whole units.
UTF16String IcuMapped(const UTF16String& units, int which) {
    UTF16String out(units.size() * 3 + 16, UTF16Unit(0));
    UErrorCode status = U_ZERO_ERROR;
    const auto* in = reinterpret_cast<const UChar*>(units.data());
    auto* to = reinterpret_cast<UChar*>(out.data());
    const auto capacity = int32_t(out.size()), length = int32_t(units.size());
    out.resize(std::size_t(
        which == 0   ? u_strToUpper(to, capacity, in, length, "", &status)
        : which == 1 ? u_strToLower(to, capacity, in, length, "", &status)
                     : u_strFoldCase(to, capacity, in, length, U_FOLD_CASE_DEFAULT, &status)));
    EXPECT_TRUE(U_SUCCESS(status));
    return out;
}

// The mappings of `units`, and its folded order against `other` (by units after folding, whatever
// the text's CaseSensitivity), as ICU finds them.
void ExpectMappedAsIcu(const UTF16String& units, const UTF16String& other, bool sensitive) {
    Text text{UTF16StringView(units)};
    text.set_CaseSensitivity(sensitive);
    const Text mapped[] = {text.Upper(), text.Lower(), text.Folded()};
    for (int which = 0; which < 3; ++which) {
        EXPECT_TRUE(Holds(mapped[which], IcuMapped(units, which))) << "mapping " << which;
    }
    UErrorCode status = U_ZERO_ERROR;
    const int32_t order =
        u_strCaseCompare(reinterpret_cast<const UChar*>(units.data()), int32_t(units.size()),
                         reinterpret_cast<const UChar*>(other.data()), int32_t(other.size()),
                         U_FOLD_CASE_DEFAULT, &status);
    EXPECT_EQ(text.CompareFolded(Text{UTF16StringView(other)}), (order > 0) - (order < 0));
}

// Every BMP unit in one text (lone surrogates included), then random texts of letters whose
// mappings expand or look at context (final sigma, dotted I, ß), ASCII and supplementary
// letters, and runs of CJK ideographs and Hangul syllables, all held to ICU mapping the whole units at once in the root locale: ICU's default
// locale is ignored (Turkish would map i to U+0130).
TEST(TextCase, FullMappingsAgreeWithIcuWhole) {
    UErrorCode status = U_ZERO_ERROR;
    const std::string previous = uloc_getDefault();
    uloc_setDefault("tr_TR", &status);
    UTF16String every;
    for (std::uint32_t unit = 1; unit <= 0xFFFF; ++unit) every.push_back(UTF16Unit(unit));
    ExpectMappedAsIcu(every, IcuMapped(every, 2), true);
    // Runs of ideographs and of Hangul syllables, which the mappings keep, long enough for
    // vectors.
    UTF16String ideographs, syllables;
    for (UTF16Unit i = 0; i < 37; ++i) ideographs += UTF16Unit(0x4E00 + 97 * i);
    for (UTF16Unit i = 0; i < 21; ++i) syllables += UTF16Unit(0xAC00 + 31 * i);
    std::vector<UTF16String> pieces = {Units({0xD801}), Units({0xDC00}), Units({0}), ideographs,
                                       syllables};
    for (std::uint32_t c : {0x61u,    0x5Au,    0x20u,   0x3A3u, 0x3C3u,   0x130u,   0xDFu,
                            0x390u,   0x1E9Eu,  0xFB03u, 0x345u, 0x10400u, 0x10428u, 0x1E900u,
                            0x1F600u, 0x20000u, 0xC9u,   0x307u, 0x27u,    0x1C5u,   0xFF21u}) {
        pieces.push_back(ToUTF16({c}));
    }
    // Expansions that use up the room before a long run of ideographs.
    for (const std::size_t expanding : {std::size_t{50}, std::size_t{300}})
        for (const std::size_t kept : {std::size_t{300}, std::size_t{2000}})
            ExpectMappedAsIcu(UTF16String(expanding, u'\u00DF') + UTF16String(kept, u'\u4E00'),
                              UTF16String(), true);
    std::mt19937 random(7);
    for (int trial = 0; trial < 2000; ++trial) {
        UTF16String units;
        const std::size_t count = random() % 12;
        for (std::size_t i = 0; i < count; ++i) units += pieces[random() % pieces.size()];
        // Each code point again, upper-cased or folded or as it is, now and then with another
        // piece after it: texts that fold alike, or differ early or late.
        UTF16String other;
        for (const std::uint32_t value : Decode(units)) {
            const UTF16String one = ToUTF16({value});
            const int choice = static_cast<int>(random() % 4);
            other += choice == 0 ? IcuMapped(one, 0) : choice == 1 ? IcuMapped(one, 2) : one;
            if (choice == 3 && random() % 8 == 0) other += pieces[random() % pieces.size()];
        }
        ExpectMappedAsIcu(units, other, trial % 2 == 0);
    }
    uloc_setDefault(previous.c_str(), &status);
}

}  // namespace
