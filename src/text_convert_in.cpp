// Building a Text from UTF-8, UTF-16, UTF-32 and wide strings, appending UTF-8 to one, and the
// strict reading of UTF-8 that the modern members take.
#include <QuendalText/Text.h>
#include <QuendalText/UTFConversion.h>

#include "internal/character_count.h"
#include "internal/conversion.h"
#include "internal/kernels.h"
#include "internal/raise_sites.h"
#include "internal/string_storage.h"
#include "internal/transcode.h"

#include <cstddef>
#include <cstdint>
#include <memory>
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
        const std::size_t units = detail::MeasureUTF8ToUTF16(bytes, size).Written;
        detail::CheckGrowth(kept, units, site);
        detail::ResizeForOverwrite(content, kept + units, [&](UTF16Unit* out) {
            converted = detail::reference::UTF8ToUTF16(bytes, size, out + kept);
            return kept + converted.Written;
        });
        return converted;
    }
    detail::ResizeForOverwrite(content, kept + size, [&](UTF16Unit* units) {
        converted = detail::UTF8ToUTF16(bytes, size, units + kept);
        return kept + converted.Written;
    });
    return converted;
}

// Appends UTF-16 `units` to `out`, each unpaired surrogate raised at `site` or replaced.
void AppendUTF16(const UTF16Unit* units, std::size_t size, Malformed malformed,
                 const detail::MalformedRaiseSite& site, UTF16String& out) {
    out.reserve(out.size() + size);
    std::size_t read = 0;
    while (true) {
        const detail::ValidPrefix pass = detail::ValidUTF16Prefix(units + read, size - read);
        out.append(units + read, pass.Read);
        read += pass.Read;
        if (pass.StoppedBy == detail::Stop::End) break;
        if (malformed == Malformed::Raise) detail::RaiseMalformed(site, read);
        out.push_back(static_cast<UTF16Unit>(detail::kReplacementCharacter));
        ++read;  // an unpaired surrogate is one unit
    }
}

// Appends the UTF-16 form of UTF-32 `units` (of any integer type) to `out`, each value that is
// no scalar value raised at `site` or replaced. Each unit gives one or two UTF-16 units: room
// for a pair each, unless that is more than a text holds; then the pairs are counted first, and
// too many raise at `lengthSite`.
template <class Unit>
void AppendUTF32(const Unit* units, std::size_t size, Malformed malformed,
                 const detail::MalformedRaiseSite& site, const detail::LengthRaiseSite& lengthSite,
                 UTF16String& out) {
    const std::size_t kept = out.size();
    std::size_t room = detail::kUTF16UnitsPerUTF32Unit * size;
    if (size > detail::kMaxTextUnits / detail::kUTF16UnitsPerUTF32Unit) {
        room = size;
        for (std::size_t i = 0; i < size; ++i) {
            const auto value = static_cast<std::uint32_t>(units[i]);
            room += value > detail::kLastBmpCodePoint && value <= detail::kLastCodePoint;
        }
        detail::CheckGrowth(kept, room, lengthSite);
    }
    out.resize(kept + room);
    std::size_t written = kept;
    for (std::size_t i = 0; i < size; ++i) {
        auto value = static_cast<std::uint32_t>(units[i]);
        if (!detail::IsScalarValue(value)) {
            if (malformed == Malformed::Raise) detail::RaiseMalformed(site, i);
            value = detail::kReplacementCharacter;
        }
        written += detail::EncodeUTF16(value, out.data() + written);
    }
    out.resize(written);
}

// Appends wide `units` to `out`: UTF-16 where wchar_t has 16 bits, UTF-32 otherwise.
template <class Wide>
void AppendWide(std::basic_string_view<Wide> units, Malformed malformed, UTF16String& out) {
    if constexpr (sizeof(Wide) == sizeof(UTF16Unit)) {
        AppendUTF16(units.data(), units.size(), malformed, detail::kFromWStringUTF16Site, out);
    } else {
        AppendUTF32(units.data(), units.size(), malformed, detail::kFromWStringUTF32Site,
                    detail::kFromWStringLengthSite, out);
    }
}

// The units FromUTF8 makes of `bytes`, each maximal ill-formed subpart one U+FFFD; raises the
// length error when they are more than a text holds, or MalformedInput for ill-formed input
// that `malformed` refuses.
std::size_t UnitsFromUTF8(std::string_view bytes, Malformed malformed) {
    std::size_t read = 0;
    std::size_t units = 0;
    while (true) {
        const detail::TranscodeResult pass =
            detail::MeasureUTF8ToUTF16(bytes.data() + read, bytes.size() - read);
        read += pass.Read;
        units += pass.Written;
        if (pass.StoppedBy == detail::Stop::End) break;
        if (malformed == Malformed::Raise) detail::RaiseMalformed(detail::kFromUTF8Site, read);
        ++units;
        const auto* rest = reinterpret_cast<const unsigned char*>(bytes.data()) + read;
        read += detail::DecodeUTF8(rest, bytes.size() - read).Length;
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
    Length = static_cast<int>(converted.Written);
    NumberOfCharacters = static_cast<int>(converted.CodePoints);
}

Text& Text::operator+=(const char* utf8) {
    if (utf8 == nullptr) return *this;
    const std::size_t oldLength = Content.size();
    const detail::TranscodeResult converted =
        AppendUTF8(Content, utf8, std::char_traits<char>::length(utf8), detail::kAppendLengthSite);
    if (NumberOfCharacters != detail::kMalformedCount &&
        !detail::EndsWithOpenHighSurrogate(Content.data(), oldLength)) {
        // The piece begins a character and counts as its code points.
        NumberOfCharacters += static_cast<int>(converted.CodePoints);
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
    const std::unique_ptr<UTF16Unit[]> buffer(new UTF16Unit[needed + 1]);
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
    // one byte, so the units are written straight into the text's own storage, and the passes
    // count the characters as they go. A source longer than a text may be is measured first,
    // U+FFFD included, and then gets exactly its room and the plain pass, which writes nothing
    // beyond its output.
    const bool measured = bytes.size() > detail::kMaxTextUnits;
    Text text;
    const std::size_t room = measured ? UnitsFromUTF8(bytes, malformed) : bytes.size();
    const auto convert = measured ? detail::reference::UTF8ToUTF16 : detail::UTF8ToUTF16;
    std::size_t read = 0;
    std::size_t codePoints = 0;
    bool faulted = false;
    detail::ResizeForOverwrite(text.Content, room, [&](UTF16Unit* out) {
        std::size_t written = 0;
        while (true) {
            const detail::TranscodeResult pass =
                convert(bytes.data() + read, bytes.size() - read, out + written);
            read += pass.Read;
            written += pass.Written;
            codePoints += pass.CodePoints;
            if (pass.StoppedBy == detail::Stop::End) break;
            if (malformed == Malformed::Raise) {
                faulted = true;
                break;
            }
            out[written++] = static_cast<UTF16Unit>(detail::kReplacementCharacter);
            ++codePoints;
            const auto* rest = reinterpret_cast<const unsigned char*>(bytes.data()) + read;
            read += detail::DecodeUTF8(rest, bytes.size() - read).Length;  // the maximal subpart
        }
        return written;
    });
    if (faulted) detail::RaiseMalformed(detail::kFromUTF8Site, read);
    detail::CheckLength(text.Content.size(), detail::kFromUTF8LengthSite);
    // Well-formed units: every code point is a character, except NUL units before the first.
    if (!text.Content.empty() && text.Content[0] == 0) {
        text.RefreshCounts();
    } else {
        text.Length = static_cast<int>(text.Content.size());
        text.NumberOfCharacters = static_cast<int>(codePoints);
    }
    return text;
}

Text Text::FromUTF16(UTF16StringView units, Malformed malformed) {
    detail::CheckLength(units.size(), detail::kFromUTF16LengthSite);
    Text text;
    AppendUTF16(units.data(), units.size(), malformed, detail::kFromUTF16Site, text.Content);
    text.RefreshCounts();
    return text;
}

Text Text::FromUTF32(std::u32string_view units, Malformed malformed) {
    detail::CheckLength(units.size(), detail::kFromUTF32LengthSite);
    Text text;
    AppendUTF32(units.data(), units.size(), malformed, detail::kFromUTF32Site,
                detail::kFromUTF32LengthSite, text.Content);
    detail::CheckLength(text.Content.size(), detail::kFromUTF32LengthSite);
    text.RefreshCounts();
    return text;
}

Text Text::FromWString(std::wstring_view units, Malformed malformed) {
    detail::CheckLength(units.size(), detail::kFromWStringLengthSite);
    Text text;
    AppendWide(units, malformed, text.Content);
    detail::CheckLength(text.Content.size(), detail::kFromWStringLengthSite);
    text.RefreshCounts();
    return text;
}

// UTF-8 never gives more units than it has bytes.
TextArgument::TextArgument(std::string_view utf8) {
    const detail::TranscodeResult converted =
        AppendUTF8(Converted, utf8.data(), utf8.size(), detail::kTextArgumentLengthSite);
    if (converted.StoppedBy != detail::Stop::End) {
        detail::RaiseMalformed(detail::kTextArgumentSite, converted.Read);
    }
    Units = Converted;
}

}  // namespace QuendalText
