// Normalized and IsNormalized in all four forms against ICU's normalizers on the whole text, on
// texts of ASCII runs (the block scan), characters that compose, decompose or reorder, and any
// unit at all. The result's cached counts must equal those of its units counted afresh.
#include "fuzz_input.h"

#include <QuendalText/QuendalText.h>

#include <unicode/unorm2.h>

namespace {

using fuzz::Check;
using QuendalText::NormalizationForm;
using QuendalText::Text;
using QuendalText::UTF16String;
using QuendalText::UTF16Unit;

UTF16String Units(fuzz::Input& input) {
    static const char16_t kMarked[] = {0x0301, 0x0327, 0x0316, 0x0344, 0x00C5, 0x00E9, 0x00A0,
                                       0x1100, 0x1161, 0x11A8, 0xAC00, 0x0F73, 0xFB01, 0xFDFA,
                                       0x09BE, 0x0CD5, 0x3099, 0xF900, 0x2126, 0x1E0A};
    UTF16String units;
    while (!input.Empty() && units.size() < 4096) {
        const std::uint8_t choice = input.Byte();
        if (choice < 64) {
            units.append(std::size_t(choice), UTF16Unit('a'));
        } else if (choice < 160) {
            units += static_cast<UTF16Unit>(kMarked[choice % std::size(kMarked)]);
        } else if (choice < 176) {
            units += {static_cast<UTF16Unit>(0xD834), static_cast<UTF16Unit>(0xDD5E)};  // U+1D15E
        } else {
            units += input.Unit();
        }
    }
    return units;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Input input(data, size);
    const UTF16String units = Units(input);
    const Text text(units);
    const auto* source = reinterpret_cast<const UChar*>(units.data());
    const auto length = static_cast<int32_t>(units.size());
    UErrorCode status = U_ZERO_ERROR;
    const UNormalizer2* icu[] = {unorm2_getNFCInstance(&status), unorm2_getNFDInstance(&status),
                                 unorm2_getNFKCInstance(&status), unorm2_getNFKDInstance(&status)};
    for (int form = 0; form < 4; ++form) {
        UTF16String expected(units.size() * 18 + 1, UTF16Unit{0});
        expected.resize(static_cast<std::size_t>(
            unorm2_normalize(icu[form], source, length, reinterpret_cast<UChar*>(&expected[0]),
                             static_cast<int32_t>(expected.size()), &status)));
        const bool isNormalized = unorm2_isNormalized(icu[form], source, length, &status) != 0;
        Check(U_SUCCESS(status));
        const Text normalized = text.Normalized(static_cast<NormalizationForm>(form));
        const Text recounted(expected);
        Check(normalized.View() == QuendalText::UTF16StringView(expected));
        Check(normalized.get_Length() == recounted.get_Length());
        Check(normalized.get_NumberOfCharacters() == recounted.get_NumberOfCharacters());
        Check(text.IsNormalized(static_cast<NormalizationForm>(form)) == isNormalized);
    }
    return 0;
}
