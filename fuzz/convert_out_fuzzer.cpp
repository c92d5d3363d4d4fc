// ToUTF8 and ToUTF32 into buffers of every telling size (negative, 0, exact - 1, exact,
// exact + 1, or any) with canaries on both sides: they must write and raise exactly as ICU called
// directly on the same buffer, and write nothing outside it. ToUTF16, ToUnicode and ToAscii meet
// their rules in tests/text_convert_out_test.cpp.
#include "fuzz_input.h"

#include <QuendalText/QuendalText.h>

#include <unicode/ustring.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

using fuzz::Check;
using QuendalText::Text;
using QuendalText::UTF16String;
using QuendalText::UTF16Unit;
using QuendalText::UTF32Unit;

constexpr unsigned char kCanary = 0xA5;
constexpr std::size_t kGuard = 16;  // canary bytes on each side

// A buffer of `size` units (none when negative) between two guards of canary bytes.
template <class Unit>
struct Guarded {
    explicit Guarded(int size)
        : bytes(2 * kGuard + sizeof(Unit) * static_cast<std::size_t>(size > 0 ? size : 0),
                kCanary) {}
    Unit* data() { return reinterpret_cast<Unit*>(bytes.data() + kGuard); }
    bool GuardsIntact() const {
        const auto canary = [](unsigned char byte) { return byte == kCanary; };
        return std::all_of(bytes.begin(), bytes.begin() + kGuard, canary) &&
               std::all_of(bytes.end() - kGuard, bytes.end(), canary);
    }
    std::vector<unsigned char> bytes;
};

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

// ToUTF8 and ToUTF32 against the ICU conversion they stand on, into equal buffers.
template <class Unit, class IcuUnit, class Convert, class Raise>
void AgainstICU(const Text& text, int size, bool terminated, long line, Convert icu, Raise call) {
    Guarded<Unit> mine(size), theirs(size);
    UErrorCode status = U_ZERO_ERROR;
    int32_t length = 0;
    icu(reinterpret_cast<IcuUnit*>(theirs.data()), size, &length,
        reinterpret_cast<const UChar*>(text.c_str()), text.get_Length(), &status);
    // The library asks for the terminator through the one rule it adds to ICU's.
    if (terminated && status == U_STRING_NOT_TERMINATED_WARNING) status = U_BUFFER_OVERFLOW_ERROR;
    try {
        call(mine.data(), size, terminated);
        Check(status == U_ZERO_ERROR);
    } catch (const QuendalLog::CPPException<std::runtime_error>& failure) {
        Check(status != U_ZERO_ERROR && std::strcmp(failure.what(), u_errorName(status)) == 0);
        Check(failure.get_LineNum() == line);
    }
    Check(mine.bytes == theirs.bytes && mine.GuardsIntact());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Input input(data, size);
    UTF16String units(input.Byte() % 24, UTF16Unit{0});
    for (UTF16Unit& unit : units) unit = input.Unit();
    const Text text(units);
    while (!input.Empty()) {
        const bool terminated = input.Byte() % 2 == 0;
        if (input.Byte() % 2 == 0) {
            const int exact = text.get_EncodingSize(UTF8Encoding, terminated);
            AgainstICU<char, char>(text, PickSize(input, exact), terminated, 986, u_strToUTF8,
                                   [&](char* b, int s, bool t) { text.ToUTF8(b, s, t); });
        } else {
            const int exact = text.get_Length() + 1;  // the count leaves leading NULs out
            AgainstICU<UTF32Unit, UChar32>(
                text, PickSize(input, exact), terminated, 955, u_strToUTF32,
                [&](UTF32Unit* b, int s, bool t) { text.ToUTF32(b, s, t); });
        }
    }
    return 0;
}
