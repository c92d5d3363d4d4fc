// What the UTF fuzzer and the output tests share: ToUTF8 and ToUTF32 against the ICU
// conversion they stand on, into equal buffers with canaries on both sides.
#ifndef QUENDALTEXT_FUZZ_OUTPUT_REFERENCE_H
#define QUENDALTEXT_FUZZ_OUTPUT_REFERENCE_H

#include <QuendalText/QuendalText.h>

#include <unicode/ustring.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace fuzz {

// A buffer of `size` units (none when negative) between two guards of canary bytes.
template <class Unit>
struct Guarded {
    static constexpr unsigned char kCanary = 0xA5;
    static constexpr std::size_t kGuard = 16;  // canary bytes on each side
    explicit Guarded(int size)
        : bytes(2 * kGuard + sizeof(Unit) * static_cast<std::size_t>(std::max(size, 0)), kCanary) {}
    Unit* data() { return reinterpret_cast<Unit*>(bytes.data() + kGuard); }
    bool GuardsIntact() const {
        const auto canary = [](unsigned char byte) { return byte == kCanary; };
        return std::all_of(bytes.begin(), bytes.begin() + kGuard, canary) &&
               std::all_of(bytes.end() - kGuard, bytes.end(), canary);
    }
    std::vector<unsigned char> bytes;
};

// Whether `convert(buffer, size, nul)` (ToUTF8 or ToUTF32 of `text`) writes what ICU's `icu`
// writes into an equal buffer, and nothing outside it, and raises from `line` with ICU's status
// exactly when that is not success, warnings included; the library adds one rule: a NUL asked
// for and left out is an overflow.
template <class Unit, class IcuUnit, class Icu, class Convert>
bool WritesAsIcu(const QuendalText::Text& text, int size, bool nul, long line, Icu icu,
                 Convert convert) {
    Guarded<Unit> mine(size), theirs(size);
    UErrorCode status = U_ZERO_ERROR;
    int32_t length = 0;
    icu(reinterpret_cast<IcuUnit*>(theirs.data()), size, &length,
        reinterpret_cast<const UChar*>(text.c_str()), text.get_Length(), &status);
    if (nul && status == U_STRING_NOT_TERMINATED_WARNING) status = U_BUFFER_OVERFLOW_ERROR;
    bool raised = false;
    try {
        convert(mine.data(), size, nul);
    } catch (const QuendalLog::CPPException<std::runtime_error>& failure) {
        raised = std::strcmp(failure.what(), u_errorName(status)) == 0 &&
                 failure.get_LineNum() == line &&
                 std::strcmp(failure.get_FunctionName(), "Unspecified function") == 0;
        if (!raised) return false;
    }
    return raised == (status != U_ZERO_ERROR) && mine.bytes == theirs.bytes && mine.GuardsIntact();
}

}  // namespace fuzz

#endif  // QUENDALTEXT_FUZZ_OUTPUT_REFERENCE_H
