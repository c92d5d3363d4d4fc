// Uses the installed library as any program would: its headers, its two libraries and the ICU
// libraries behind them (common, i18n). An exception thrown inside the library is caught by its
// own type, which needs the type information that the libraries export.
#include <QuendalText/QuendalText.h>
#if defined(CONSUMER_HAS_FMT)
#  include <QuendalText/Fmt.h>
#endif

#include <cstdio>
#include <stdexcept>

using QuendalText::Text;

int main() {
    const Text text = Text::FromUTF8("Gr\xC3\xBC\xC3\x9F\x65 \xF0\x9F\x98\x80");
    char utf8[32] = {};
    int32_t written = 0;
    UErrorCode status = U_ZERO_ERROR;
    // ICU's UChar is char16_t; the text's units are wchar_t on Windows.
    qutf_ConvertUTF16TextToUTF8Text(utf8, sizeof utf8, &written,
                                    reinterpret_cast<const UChar*>(text.c_str()), text.get_Length(),
                                    1, &status);
    long long offset = -1;
    int line = 0;
    try {
        static_cast<void>(Text::FromUTF8("ab\xFF"));
    } catch (const QuendalText::MalformedInput& failure) {
        offset = static_cast<long long>(failure.Offset());
    }
    try {
        static_cast<void>(text.get_CharacterAt(text.get_Length()));
    } catch (const QuendalLog::CPPException<std::out_of_range>& failure) {
        line = failure.get_LineNum();
    }
    bool right = text.get_Length() == 8 && text.get_NumberOfCharacters() == 7 &&
                 U_SUCCESS(status) && written == text.get_EncodingSize(UTF8Encoding, false) &&
                 text.Upper() == Text::FromUTF8("GR\xC3\x9CSSE \xF0\x9F\x98\x80") &&
                 Text::FromUTF8("e\xCC\x81").Normalized() == Text::FromUTF8("\xC3\xA9") &&
                 QuendalText::Unicode::IsLetter(0x1D400) && offset == 2 && line > 0 &&
                 QuendalText::Collator("sv").Compare(Text("z"), Text::FromUTF8("\xC3\x85")) < 0;
#if defined(CONSUMER_HAS_FMT)
    right = right && fmt::format("[{:>4}]", Text("ab")) == "[  ab]";
#endif
    if (!right) return std::fprintf(stderr, "consumer: a wrong answer from the library\n"), 1;
    std::printf("consumer: %s\n", utf8);
    return 0;
}
