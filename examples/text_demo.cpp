// Builds a few texts in different scripts and prints what the library measures of them.
#include <QuendalText/QuendalText.h>

#include <cstdio>

int main() {
    using QuendalText::Text;
    struct Sample {
        const char* name;
        Text text;
    };
    const Sample samples[] = {
        {"ASCII", Text(QUENDALTEXT_U("Hello, world"))},
        {"accented Latin", Text(QUENDALTEXT_U("Cr\u00e8me br\u00fbl\u00e9e"))},
        {"CJK", Text(QUENDALTEXT_U("\u6587\u5b57\u5217"))},
        {"emoji", Text(QUENDALTEXT_U("smile \U0001F600"))},
    };
    std::printf("%-16s %6s %10s %6s\n", "sample", "units", "characters", "ascii");
    for (const Sample& sample : samples) {
        std::printf("%-16s %6d %10d %6s\n", sample.name, sample.text.get_Length(),
                    sample.text.get_NumberOfCharacters(), sample.text.IsAscii() ? "yes" : "no");
    }
    return 0;
}
