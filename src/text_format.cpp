// Construction of a Text from a printf-style UTF-16 format, or from its units taken literally.
#include <QuendalText/Text.h>

#include <cstdarg>
#include <string>
#include <utility>

#include "internal/character_count.h"
#include "internal/format.h"
#include "internal/raise_sites.h"

namespace QuendalText {

// `formatted` undergoes default argument promotion, and the standard leaves va_start after such
// a parameter undefined. GCC and Clang locate the variadic arguments from the function's
// signature, not from that parameter, and the public signature is fixed; so the warning is
// silenced here only.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wvarargs"
Text::Text(const UTF16Unit* format, bool formatted, ...) : Text() {
    if (format == nullptr || format[0] == 0) return;
    if (!formatted) {
        const std::size_t length = std::char_traits<UTF16Unit>::length(format);
        detail::CheckLength(length, detail::kConstructLengthSite);
        Content.assign(format, length);
        RefreshCounts();
        return;
    }
    va_list arguments;
    va_start(arguments, formatted);
    UTF16String result;
    try {
        result = detail::FormatUTF16(format, arguments);
    } catch (...) {
        va_end(arguments);
        throw;
    }
    va_end(arguments);
    // A NUL unit produced by %c or %C ends the text, as it would end a NUL-terminated buffer.
    const std::size_t firstNul = result.find(UTF16Unit{0});
    if (firstNul != UTF16String::npos) result.resize(firstNul);
    Content = std::move(result);
    // Formatted texts are short: counted without the vector kernels.
    Length = static_cast<int>(Content.size());
    NumberOfCharacters = Content.size() < detail::kShortPieceUnits
                             ? detail::CountShortPiece(Content.data(), Content.size())
                             : CharacterCount();
}
#pragma GCC diagnostic pop

}  // namespace QuendalText
