// Building a Text from UTF-8 and UTF-32, and appending UTF-8 to one.
#include <QuendalText/Text.h>
#include <QuendalText/UTFConversion.h>

#include "internal/character_count.h"
#include "internal/conversion.h"
#include "internal/raise_sites.h"
#include "internal/string_storage.h"
#include "internal/transcode.h"

#include <boost/shared_array.hpp>

#include <string>

namespace QuendalText {
namespace {

// The conversions into a Text always ask for the terminating NUL.
constexpr int32_t kWithTerminator = 1;

// Writes the UTF-16 form of `size` UTF-8 bytes after the units of `content`, straight into its
// storage. Ill-formed input ends the conversion: the units of the characters before it are kept
// and nothing is raised. Raises, leaving `content` as it was, when the result would hold more
// than a text may. Answers the conversion's result, whose character count the callers keep.
detail::TranscodeResult AppendUTF8(UTF16String& content, const char* bytes, std::size_t size,
                                   const detail::LengthRaiseSite& site) {
    const std::size_t kept = content.size();
    // UTF-8 never gives more UTF-16 units than it has bytes; only a longer source needs to be
    // measured before it is converted. Its units then get exactly their room (room for one unit
    // a byte might pass what a string can hold on a 32-bit target), and the plain pass, which
    // writes nothing beyond its output, converts it.
    detail::TranscodeResult converted{};
    if (size > detail::kMaxTextUnits - kept) {
        const std::size_t units = detail::ValidateUTF8(bytes, size).written;
        detail::CheckGrowth(kept, units, site);
        detail::ResizeForOverwrite(content, kept + units, [&](UTF16Unit* out) {
            converted = detail::reference::UTF8ToUTF16(bytes, size, out + kept);
            return kept + converted.written;
        });
        return converted;
    }
    detail::ResizeForOverwrite(content, kept + size, [&](UTF16Unit* units) {
        converted = detail::UTF8ToUTF16(bytes, size, units + kept);
        return kept + converted.written;
    });
    return converted;
}

}  // namespace

// The converted prefix is well-formed and holds no NUL unit, so its characters are its code
// points, which the conversion counted.
Text::Text(const char* utf8) : Text() {
    if (utf8 == nullptr) return;
    const detail::TranscodeResult converted = AppendUTF8(
        Content, utf8, std::char_traits<char>::length(utf8), detail::kConstructLengthSite);
    Length = static_cast<int>(converted.written);
    NumberOfCharacters = static_cast<int>(converted.codePoints);
}

Text& Text::operator+=(const char* utf8) {
    if (utf8 == nullptr) return *this;
    const std::size_t oldLength = Content.size();
    const detail::TranscodeResult converted =
        AppendUTF8(Content, utf8, std::char_traits<char>::length(utf8), detail::kAppendLengthSite);
    if (NumberOfCharacters != detail::kMalformedCount &&
        !detail::EndsWithOpenHighSurrogate(Content.data(), oldLength)) {
        // The piece begins a character and counts as its code points.
        NumberOfCharacters += static_cast<int>(converted.codePoints);
        Length = static_cast<int>(Content.size());
    } else {
        RefreshCounts(oldLength);
    }
    return *this;
}

Text::Text(const UTF32Unit* utf32) : Text() {
    if (utf32 == nullptr) return;
    const std::size_t count = std::char_traits<UTF32Unit>::length(utf32);
    // Each code point takes one unit or a pair; only a source that might not fit is measured.
    std::size_t needed = count * detail::kUTF16UnitsPerUTF32Unit;
    if (count > detail::kMaxTextUnits / detail::kUTF16UnitsPerUTF32Unit) {
        needed = count;
        for (std::size_t i = 0; i < count; ++i) needed += utf32[i] > detail::kLastBmpCodePoint;
        detail::CheckLength(needed, detail::kConstructLengthSite);
    }
    const auto capacity = static_cast<int32_t>(needed + 1);
    boost::shared_array<UTF16Unit> buffer(new UTF16Unit[needed + 1]);
    int32_t outputLength = 0;
    UErrorCode status = U_ZERO_ERROR;
    qutf_ConvertUTF32TextToUTF16Text(detail::AsUChar(buffer.get()), capacity, &outputLength,
                                     detail::AsUChar32(utf32), static_cast<int32_t>(count),
                                     kWithTerminator, &status);
    if (status != U_ZERO_ERROR) detail::RaiseConversionError(detail::kFromUTF32Line, status);
    Content.assign(buffer.get(), static_cast<std::size_t>(outputLength));
    RefreshCounts();
}

}  // namespace QuendalText
