// Any byte string may be handed to Text as UTF-8 without a crash; well-formed UTF-8 comes back
// out of ToUTF8 byte for byte, and the cached counts agree with a fresh recount.
#include <QuendalText/QuendalText.h>

#include <unicode/ustring.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

bool IsWellFormedUTF8(const std::string& bytes) {
    UErrorCode status = U_ZERO_ERROR;
    int32_t length = 0;
    u_strFromUTF8(nullptr, 0, &length, bytes.data(), static_cast<int32_t>(bytes.size()), &status);
    return status == U_BUFFER_OVERFLOW_ERROR || status == U_ZERO_ERROR ||
           status == U_STRING_NOT_TERMINATED_WARNING;
}

void Check(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The constructor reads up to the first NUL byte, so the property is stated for that prefix.
    std::string bytes(reinterpret_cast<const char*>(data), size);
    bytes = bytes.substr(0, std::strlen(bytes.c_str()));

    QuendalText::Text text(bytes.c_str());
    const QuendalText::Text recount(
        QuendalText::UTF16String(text.c_str(), static_cast<std::size_t>(text.get_Length())));
    Check(text.get_NumberOfCharacters() == recount.get_NumberOfCharacters());

    const int needed = text.get_EncodingSize(UTF8Encoding, true);
    std::vector<char> out(static_cast<std::size_t>(needed));
    text.ToUTF8(out.data(), needed, true);  // text built from UTF-8 holds no lone surrogate
    Check(out.back() == 0);
    if (IsWellFormedUTF8(bytes)) Check(std::string(out.data()) == bytes);
    return 0;
}
