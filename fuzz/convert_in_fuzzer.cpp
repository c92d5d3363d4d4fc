// Text from UTF-8 and from UTF-32 against ICU called directly on the same input. Well-formed
// input gives ICU's units; ill-formed UTF-8 keeps exactly the units ICU converts before the
// first fault; ill-formed UTF-32 raises with ICU's status. The cached counts agree with a fresh
// recount, and UTF-8 output gives the input back.
#include "fuzz_input.h"

#include <QuendalText/QuendalText.h>

#include <unicode/ustring.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

using fuzz::Check;
using QuendalText::Text;
using QuendalText::UTF16String;

// A noncharacter stands in for ICU's substitutions, so the first one marks the first fault.
constexpr UChar32 kSubstitute = 0xFDD0;

UTF16String UnitsOf(const Text& text) {
    return UTF16String(text.c_str(), static_cast<std::size_t>(text.get_Length()));
}

void CheckCounts(const Text& text) {
    Check(text.get_NumberOfCharacters() == Text(UnitsOf(text)).get_NumberOfCharacters());
}

void FromUTF8(const std::string& bytes) {
    const Text text(bytes.c_str());
    CheckCounts(text);
    std::vector<UChar> icu(bytes.size() + 1);
    int32_t length = 0, substitutions = 0;
    UErrorCode status = U_ZERO_ERROR;
    u_strFromUTF8WithSub(icu.data(), static_cast<int32_t>(icu.size()), &length, bytes.data(),
                         static_cast<int32_t>(bytes.size()), kSubstitute, &substitutions, &status);
    Check(U_SUCCESS(status));
    const UTF16String kept = UnitsOf(text);
    Check(std::memcmp(icu.data(), kept.data(), kept.size() * sizeof(UChar)) == 0);
    if (substitutions == 0) {
        Check(kept.size() == static_cast<std::size_t>(length));
        const int size = text.get_EncodingSize(UTF8Encoding, true);
        std::vector<char> out(static_cast<std::size_t>(size));
        text.ToUTF8(out.data(), size, true);
        Check(std::string(out.data()) == bytes);
    } else {
        Check(kept.size() < static_cast<std::size_t>(length) && icu[kept.size()] == kSubstitute);
    }
}

void FromUTF32(const std::u32string& codePoints) {
    std::vector<UChar> icu(2 * codePoints.size() + 1);
    int32_t length = 0;
    UErrorCode status = U_ZERO_ERROR;
    u_strFromUTF32(icu.data(), static_cast<int32_t>(icu.size()), &length,
                   reinterpret_cast<const UChar32*>(codePoints.data()),
                   static_cast<int32_t>(codePoints.size()), &status);
    std::vector<QuendalText::UTF32Unit> units(codePoints.begin(), codePoints.end());
    units.push_back(0);
    try {
        const Text text(units.data());
        Check(status == U_ZERO_ERROR);
        Check(UnitsOf(text) == UTF16String(icu.begin(), icu.begin() + length));
        CheckCounts(text);
    } catch (const QuendalLog::CPPException<std::runtime_error>& failure) {
        Check(U_FAILURE(status) && std::strcmp(failure.what(), u_errorName(status)) == 0);
        Check(failure.get_LineNum() == 290);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    // The constructors read up to the first zero unit, so the properties hold for that prefix.
    const std::string bytes(reinterpret_cast<const char*>(data + 1), size - 1);
    if (data[0] % 2 == 0) {
        FromUTF8(bytes.substr(0, std::strlen(bytes.c_str())));
    } else {
        std::u32string codePoints;
        for (std::size_t i = 0; i + 3 < bytes.size(); i += 4) {
            std::uint32_t value = 0;
            std::memcpy(&value, bytes.data() + i, 4);
            // Mostly plausible code points, sometimes anything.
            if (value % 8 != 0) value %= 0x110800;
            if (value == 0) break;
            codePoints.push_back(static_cast<char32_t>(value));
        }
        FromUTF32(codePoints);
    }
    return 0;
}
