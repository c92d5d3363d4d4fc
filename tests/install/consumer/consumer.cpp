// Uses the installed library as any program would: builds and measures a text, converts it
// with the C functions, and catches an exception thrown inside the library by its own type,
// which needs the type information that the libraries export.
#include <QuendalText/QuendalText.h>

#include <cstdio>
#include <stdexcept>

int main() {
    const QuendalText::Text text(u8"Gr\u00fc\u00dfe \U0001F600");
    if (text.get_Length() != 8 || text.get_NumberOfCharacters() != 7 || text.IsAscii()) {
        std::fprintf(stderr, "unexpected counts %d %d\n", text.get_Length(),
                     text.get_NumberOfCharacters());
        return 1;
    }

    char utf8[32] = {};
    int32_t written = 0;
    UErrorCode status = U_ZERO_ERROR;
    qutf_ConvertUTF16TextToUTF8Text(utf8, sizeof utf8, &written, text.c_str(), text.get_Length(), 1,
                                    &status);
    if (U_FAILURE(status) || written != text.get_EncodingSize(UTF8Encoding, false)) {
        std::fprintf(stderr, "conversion failed: status %d, %d bytes\n", static_cast<int>(status),
                     written);
        return 1;
    }

    try {
        text.get_CharacterAt(text.get_Length());
        std::fputs("no exception for an index past the end\n", stderr);
        return 1;
    } catch (const QuendalLog::CPPException<std::out_of_range>& error) {
        if (error.get_LineNum() == 0 || error.what()[0] == '\0') {
            std::fputs("exception without line or message\n", stderr);
            return 1;
        }
    }
    std::printf("consumer: %s\n", utf8);
    return 0;
}
