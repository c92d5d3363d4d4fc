// Normalization: every line of the Unicode Character Database's NormalizationTest.txt, the
// code points it leaves unlisted, and generated texts against ICU's normalizers called directly.
#include "test_support.h"

#include <unicode/unorm2.h>

#include <array>

namespace {
using namespace qt_test;
using QuendalText::NormalizationForm;

constexpr std::array<NormalizationForm, 4> kForms = {NormalizationForm::NFC, NormalizationForm::NFD,
                                                     NormalizationForm::NFKC,
                                                     NormalizationForm::NFKD};

// The units in `form` by ICU's normalizer, called directly as the reference.
UTF16String IcuNormalized(NormalizationForm form, const UTF16String& units) {
    UErrorCode status = U_ZERO_ERROR;
    const UNormalizer2* normalizers[] = {
        unorm2_getNFCInstance(&status), unorm2_getNFDInstance(&status),
        unorm2_getNFKCInstance(&status), unorm2_getNFKDInstance(&status)};
    UTF16String out(units.size() * 18 + 1, 0);  // U+FDFA decomposes into 18 code points
    const int32_t length = unorm2_normalize(
        normalizers[int(form)], reinterpret_cast<const UChar*>(units.data()), int32_t(units.size()),
        reinterpret_cast<UChar*>(&out[0]), int32_t(out.size()), &status);
    EXPECT_TRUE(U_SUCCESS(status)) << u_errorName(status);
    return out.substr(0, std::size_t(length));
}

// Each column in each form is the file's column: the result's counts and settings are those of
// fresh units, and the column is in the form when it is that column.
TEST(Normalization, EveryLineOfTheConformanceFileAndEveryUnlistedCodePoint) {
    std::vector<bool> listed(0x110000, false);
    int lines = 0;
    ForEachRecord(QUENDALTEXT_NORMALIZATION_TEST, ';', [&](std::vector<std::string> fields) {
        ASSERT_GE(fields.size(), 5u);
        UTF16String c[5];
        for (int i = 0; i < 5; ++i) c[i] = UnitsOfHex(fields[std::size_t(i)]);
        const CodePoints source = Decode(c[0]);
        if (source.size() == 1) listed[source[0]] = true;
        // NFC and NFD of columns 1-3 are columns 2 and 3, of columns 4-5 columns 4 and 5; NFKC
        // and NFKD of every column are columns 4 and 5.
        for (int i = 0; i < 5; ++i) {
            Text text(c[i]);
            text.set_CaseSensitivity(false);
            const UTF16String* expected[] = {&c[i < 3 ? 1 : 3], &c[i < 3 ? 2 : 4], &c[3], &c[4]};
            for (const NormalizationForm form : kForms) {
                SCOPED_TRACE("line " + std::to_string(lines) + " column " + std::to_string(i + 1) +
                             " form " + std::to_string(int(form)));
                EXPECT_TRUE(Holds(text.Normalized(form), *expected[int(form)]));
                EXPECT_EQ(text.IsNormalized(form), c[i] == *expected[int(form)]);
            }
        }
        ++lines;
    });
    EXPECT_GT(lines, 19000);
    int unlisted = 0;
    for (std::uint32_t c = 0; c <= 0x10FFFF; ++c) {
        if (listed[c] || IsSurrogate(c)) continue;
        ++unlisted;
        const Text text(ToUTF16({c}));
        for (const NormalizationForm form : kForms) {
            if (text.Normalized(form) != text || !text.IsNormalized(form))
                ADD_FAILURE() << "U+" << std::hex << c << " changes in form " << int(form);
        }
    }
    EXPECT_GT(unlisted, 1000000);
}

// Texts of the code points where the forms differ: ASCII runs long enough for the block scan,
// characters that compose, decompose or reorder, Hangul, compatibility characters and lone
// surrogates, against ICU on the whole text; and texts whose forms outgrow the first guess at
// their length (U+FDFA gives 18 code points).
TEST(Normalization, GeneratedTextsAgreeWithIcu) {
    static const CodePoints kPool = {'a',    'e',    'A',    ' ',     0xA0,   0x0300,  0x02FF,
                                     0x00BF, 0x00C0, 0xC5,   0xE9,    0x0301, 0x0327,  0x0316,
                                     0x0344, 0x1100, 0x1161, 0x11A8,  0xAC00, 0xAC01,  0x1E0A,
                                     0x0F73, 0xFB01, 0xF900, 0xFDFA,  0x2126, 0x1D15E, 0x0CD5,
                                     0x09BE, 0x3099, 0xFF76, 0x1F600, 0xD800, 0xDC00,  0x2F800};
    std::vector<UTF16String> texts = {UTF16String(), UTF16String(40, UTF16Unit(0xFDFA)),
                                      UTF16String(40, UTF16Unit(0xAC01))};
    Generator random{std::mt19937(1234)};
    for (int trial = 0; trial < 4000; ++trial) {
        CodePoints codePoints(std::size_t(random.Below(100)), 'x');
        const int marked = random.Below(4);  // a quarter of the texts stay ASCII-only
        for (std::uint32_t& c : codePoints)
            if (marked > 0 && random.Below(marked * 3) == 0)
                c = kPool[std::size_t(random.Below(int(kPool.size())))];
        texts.push_back(ToUTF16(codePoints));
    }
    for (const UTF16String& units : texts) {
        const Text text(units);
        for (const NormalizationForm form : kForms) {
            const UTF16String normalized = IcuNormalized(form, units);
            EXPECT_TRUE(Holds(text.Normalized(form), normalized));
            EXPECT_EQ(text.IsNormalized(form), normalized == units);
        }
        // The default form is NFC.
        EXPECT_TRUE(Holds(text.Normalized(), IcuNormalized(NormalizationForm::NFC, units)));
    }
}

}  // namespace
