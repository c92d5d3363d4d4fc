// The lines of a UTF-8 file in the order of ICU's collator for a locale, called directly: lines
// that compare equal keep their input order, and with --unique only the first of them is kept.
// The reference that the qtext end-to-end test holds `qtext sort` to.
// Usage: collation_reference LOCALE INPUT OUTPUT [--unique]
#include <unicode/ucol.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fputs("usage: collation_reference LOCALE INPUT OUTPUT [--unique]\n", stderr);
        return 2;
    }
    std::ifstream input(argv[2], std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(input)),
                           std::istreambuf_iterator<char>());
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);) lines.push_back(line);
    UErrorCode status = U_ZERO_ERROR;
    UCollator* collator = ucol_open(argv[1], &status);
    if (U_FAILURE(status)) {
        std::fprintf(stderr, "collation_reference: %s\n", u_errorName(status));
        return 1;
    }
    const auto order = [collator](const std::string& a, const std::string& b) {
        UErrorCode compared = U_ZERO_ERROR;
        return ucol_strcollUTF8(collator, a.data(), static_cast<int32_t>(a.size()), b.data(),
                                static_cast<int32_t>(b.size()), &compared);
    };
    std::stable_sort(
        lines.begin(), lines.end(),
        [&order](const std::string& a, const std::string& b) { return order(a, b) == UCOL_LESS; });
    const bool unique = argc > 4 && std::strcmp(argv[4], "--unique") == 0;
    std::ofstream output(argv[3], std::ios::binary);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (unique && i > 0 && order(lines[i - 1], lines[i]) == UCOL_EQUAL) continue;
        output << lines[i] << '\n';
    }
    ucol_close(collator);
    return output ? 0 : 1;
}
