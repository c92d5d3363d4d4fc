/* Compiled as C: the conversion header must be usable without C++. */
#include <QuendalText/UTFConversion.h>

#include <stdio.h>
#include <string.h>

int main(void) {
    const char source[] = "h\xC3\xA9";
    UChar buffer[8];
    int32_t length = -1;
    UErrorCode status = U_ZERO_ERROR;
    UChar* result = qutf_ConvertUTF8TextToUTF16Text(buffer, 8, &length, source,
                                                    (int32_t)strlen(source), 1, &status);
    if (result != buffer || status != U_ZERO_ERROR || length != 2 || buffer[0] != 0x68 ||
        buffer[1] != 0xE9 || buffer[2] != 0) {
        fprintf(stderr, "conversion from C failed: status %d, length %d\n", (int)status,
                (int)length);
        return 1;
    }
    return 0;
}
