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
#include <string_view>

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

// The units FromUTF8 makes of `bytes`, each maximal ill-formed subpart one U+FFFD; raises the
// length error when they are more than a text holds, or MalformedInput for ill-formed input
// that `malformed` refuses.
std::size_t UnitsFromUTF8(std::string_view bytes, Malformed malformed) {
    std::size_t read = 0;
    std::size_t units = 0;
    while (true) {
        const detail::TranscodeResult pass =
            detail::ValidateUTF8(bytes.data() + read, bytes.size() - read);
        read += pass.read;
        units += pass.written;
        if (pass.stop == detail::Stop::End) break;
        if (malformed == Malformed::Raise) detail::RaiseMalformed(detail::kFromUTF8Site, read);
        ++units;
        const auto* rest = reinterpret_cast<const unsigned char*>(bytes.data()) + read;
        read += detail::DecodeUTF8(rest, bytes.size() - read).length;
    }
    detail::CheckLength(units, detail::kFromUTF8LengthSite);
    return units;
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

Text Text::FromUTF8(std::string_view bytes, Malformed malformed) {
    // UTF-8 never gives more units than it has bytes, and U+FFFD takes one unit for at least
    // one byte, so the units are written straight into the text's own storage. A source longer
    // than a text may be is measured first, U+FFFD included, and then gets exactly its room and
    // the plain pass, which writes nothing beyond its output.
    const bool measured = bytes.size() > detail::kMaxTextUnits;
    Text text;
    text.Content.resize(measured ? UnitsFromUTF8(bytes, malformed) : bytes.size());
    const auto convert = measured ? detail::reference::UTF8ToUTF16 : detail::UTF8ToUTF16;
    UTF16Unit* const out = text.Content.data();
    std::size_t read = 0;
    std::size_t written = 0;
    while (true) {
        const detail::TranscodeResult pass =
            convert(bytes.data() + read, bytes.size() - read, out + written);
        read += pass.read;
        written += pass.written;
        if (pass.stop == detail::Stop::End) break;
        if (malformed == Malformed::Raise) detail::RaiseMalformed(detail::kFromUTF8Site, read);
        out[written++] = static_cast<UTF16Unit>(detail::kReplacementCharacter);
        const auto* rest = reinterpret_cast<const unsigned char*>(bytes.data()) + read;
        read += detail::DecodeUTF8(rest, bytes.size() - read).length;  // the maximal subpart
    }
    detail::CheckLength(written, detail::kFromUTF8LengthSite);
    text.Content.resize(written);
    text.RefreshCounts();
    return text;
}

Text Text::FromUTF16(UTF16StringView units, Malformed malformed) {
    detail::CheckLength(units.size(), detail::kFromUTF16LengthSite);
    Text text;
    text.Content.reserve(units.size());
    std::size_t read = 0;
    while (true) {
        const detail::TranscodeResult pass =
            detail::ValidateUTF16(units.data() + read, units.size() - read);
        text.Content.append(units.data() + read, pass.read);
        read += pass.read;
        if (pass.stop == detail::Stop::End) break;
        if (malformed == Malformed::Raise) detail::RaiseMalformed(detail::kFromUTF16Site, read);
        text.Content.push_back(static_cast<UTF16Unit>(detail::kReplacementCharacter));
        ++read;  // an unpaired surrogate is one unit
    }
    text.RefreshCounts();
    return text;
}

Text Text::FromUTF32(std::u32string_view units, Malformed malformed) {
    // Each unit gives one or two UTF-16 units.
    detail::CheckLength(units.size(), detail::kFromUTF32LengthSite);
    // Room for a pair each, unless that is more than a text holds: then the pairs are counted.
    std::size_t room = detail::kUTF16UnitsPerUTF32Unit * units.size();
    if (units.size() > detail::kMaxTextUnits / detail::kUTF16UnitsPerUTF32Unit) {
        room = units.size();
        for (const char32_t unit : units) {
            room += unit > detail::kLastBmpCodePoint && unit <= detail::kLastCodePoint;
        }
        detail::CheckLength(room, detail::kFromUTF32LengthSite);
    }
    Text text;
    text.Content.resize(room);
    std::size_t written = 0;
    for (std::size_t i = 0; i < units.size(); ++i) {
        std::uint32_t value = units[i];
        if (!detail::IsScalarValue(value)) {
            if (malformed == Malformed::Raise) detail::RaiseMalformed(detail::kFromUTF32Site, i);
            value = detail::kReplacementCharacter;
        }
        written += detail::EncodeUTF16(value, text.Content.data() + written);
    }
    detail::CheckLength(written, detail::kFromUTF32LengthSite);
    text.Content.resize(written);
    text.RefreshCounts();
    return text;
}

}  // namespace QuendalText
