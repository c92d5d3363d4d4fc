// ToUTF8 and ToUTF32 into buffers of every telling size (negative, 0, exact - 1, exact,
// exact + 1, or any) with canaries on both sides: they must write and raise exactly as ICU called
// directly on the same buffer, and write nothing outside it. ToUTF16, ToUnicode and ToAscii meet
// their rules in tests/text_convert_out_test.cpp.
#include "fuzz_input.h"
#include "output_reference.h"

namespace {

using QuendalText::UTF16String;
using QuendalText::UTF16Unit;
using QuendalText::UTF32Unit;

int PickSize(fuzz::Input& input, int exact) {
    switch (input.Byte() % 6) {
        case 0: return -static_cast<int>(input.Byte()) - 1;
        case 1: return 0;
        case 2: return exact - 1;
        case 3: return exact;
        case 4: return exact + 1;
        default: return static_cast<int>(input.Below(static_cast<std::uint32_t>(exact) + 8));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Input input(data, size);
    UTF16String units(input.Byte() % 24, UTF16Unit{0});
    for (UTF16Unit& unit : units) unit = input.Unit();
    const QuendalText::Text text(units);
    while (!input.Empty()) {
        const bool terminated = input.Byte() % 2 == 0;
        if (input.Byte() % 2 == 0) {
            const int exact = text.get_EncodingSize(UTF8Encoding, terminated);
            fuzz::Check(fuzz::WritesAsIcu<char, char>(
                text, PickSize(input, exact), terminated, 986, u_strToUTF8,
                [&](char* b, int s, bool t) { text.ToUTF8(b, s, t); }));
        } else {
            const int exact = text.get_Length() + 1;  // the count leaves leading NULs out
            fuzz::Check(fuzz::WritesAsIcu<UTF32Unit, UChar32>(
                text, PickSize(input, exact), terminated, 955, u_strToUTF32,
                [&](UTF32Unit* b, int s, bool t) { text.ToUTF32(b, s, t); }));
        }
    }
    return 0;
}
