// Uses the installed library as any program would: builds and measures a text, converts it with
// the C functions, calls the Unicode operations, and catches exceptions thrown inside the library
// by each of their types, which needs the type information that the libraries export.
#include <QuendalText/QuendalText.h>

#include <cstdio>
#include <functional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <utility>

namespace {

using QuendalText::Text;

// Whether `raise` throws something a handler for `Handler` catches.
template <class Handler>
bool Caught(const std::function<void()>& raise) {
    try {
        raise();
    } catch (const Handler&) {
        return true;
    } catch (...) {}
    return false;
}

}  // namespace

int main() {
    const Text text(u8"Gr\u00fc\u00dfe \U0001F600");
    char utf8[32] = {};
    int32_t written = 0;
    UErrorCode status = U_ZERO_ERROR;
    // ICU's UChar is char16_t; the text's units are wchar_t on Windows.
    qutf_ConvertUTF16TextToUTF8Text(utf8, sizeof utf8, &written,
                                    reinterpret_cast<const UChar*>(text.c_str()), text.get_Length(),
                                    1, &status);
    int clusters = 0;
    for (QuendalText::UTF16StringView cluster : text.Graphemes()) clusters += !cluster.empty();
    std::u32string codePoints;
    for (char32_t codePoint : text.CodePoints()) codePoints += codePoint;
    std::ostringstream stream;
    stream << text;
    const auto fromUTF8 = [] { Text::FromUTF8("ab\xFF"); };
    const auto fromUTF16 = [] { Text::FromUTF16(QUENDALTEXT_U("\xDC00")); };
    const auto fromUTF32 = [] { Text::FromUTF32(U"a\xD800"); };
    const auto index = [&text] { text.get_CharacterAt(text.get_Length()); };
    const std::pair<bool, const char*> checks[] = {
        {text.get_Length() == 8 && text.get_NumberOfCharacters() == 7 && !text.IsAscii(), "counts"},
        {U_SUCCESS(status) && written == text.get_EncodingSize(UTF8Encoding, false),
         "C conversion"},
        {clusters == 7 && codePoints.size() == 7 && stream.str() == utf8 &&
             text.Upper() == Text(u8"GR\u00dcSSE \U0001F600") &&
             text.Lower().Folded() == text.Folded() &&
             text.Split(QuendalText::Char(' ')).size() == 2 && text.EndsWith(Text(u8"\U0001F600")),
         "Unicode operations"},
        {QuendalText::ValidateUTF8("a\xE2\x82").validity == QuendalText::Validity::Incomplete &&
             QuendalText::CompleteUTF8Prefix("a\xE2\x82") == 1 &&
             QuendalText::CompleteUTF16Prefix(QUENDALTEXT_U("a\xD800")) == 1,
         "validation"},
        {Caught<QuendalText::MalformedInput>(fromUTF8) &&
             Caught<QuendalLog::Exception>(fromUTF16) && Caught<std::runtime_error>(fromUTF32) &&
             Caught<QuendalLog::CPPException<std::out_of_range>>(index),
         "exceptions caught by their types"},
    };
    for (const auto& [right, what] : checks) {
        if (!right) return std::fprintf(stderr, "consumer: wrong %s\n", what), 1;
    }
    std::printf("consumer: %s\n", utf8);
    return 0;
}
