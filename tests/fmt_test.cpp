// Texts through {fmt} written as the UTF-8 strings that they hold, each unpaired surrogate as
// U+FFFD, with fill, alignment, width and precision.
#include "test_support.h"

#include <QuendalText/Fmt.h>

namespace {
using namespace qt_test;

// Wide and combining characters, whose width {fmt} counts apart from their bytes.
TEST(TextFormat, TextsFormatAsTheirUTF8) {
    static const UTF16String kAlphabet =
        Units({'a', ' ', 0xE9, 0x301, 0x4E2D, 0xFF21, 0xD83D, 0xDE00, 0xDC00, 0});
    Generator random{std::mt19937(99)};
    for (int trial = 0; trial < 2000; ++trial) {
        UTF16String units(Size(random.Below(7)), 0);
        for (UTF16Unit& unit : units) unit = kAlphabet[Size(random.Below(int(kAlphabet.size())))];
        CodePoints codePoints = Decode(units);
        for (std::uint32_t& c : codePoints) c = IsSurrogate(c) ? 0xFFFD : c;
        const std::string utf8 = ToUTF8(codePoints);
        const Text text(units);
        const int width = random.Below(12);
        ASSERT_EQ(fmt::format("{}|{:*^{}}|{:>{}.3}|{:<4}", text, text, width, text, width, text),
                  fmt::format("{}|{:*^{}}|{:>{}.3}|{:<4}", utf8, utf8, width, utf8, width, utf8));
    }
}

}  // namespace
