// Handing a Text out: UTF-8, UTF-16, UTF-32 and 7-bit ASCII into buffers the caller owns, the
// sizes those buffers need, the standard strings of each encoding, and the text read as a
// number.
#include <QuendalText/Text.h>
#include <QuendalText/UTFConversion.h>

#include <QuendalLog/CPPException.h>

#include "internal/conversion.h"
#include "internal/raise_sites.h"
#include "internal/string_storage.h"
#include "internal/transcode.h"
#include "platform/platform.h"

#include <unicode/ustring.h>

#include <algorithm>
#include <charconv>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <ostream>
#include <stdexcept>
#include <string>
#include <system_error>

namespace QuendalText {
namespace {

constexpr long long kUTF16UnitBytes = 2;
constexpr long long kUTF32UnitBytes = 4;
constexpr long long kUTF8TerminatorBytes = 1;

// What ToDouble answers for a text that holds any unit above 0x7F: -(10^10 - 1).
constexpr double kNotAsciiNumber = -9999999999.0;

// Sizes are worked out in 64 bits; a size that an int cannot hold is answered as INT_MAX, which
// is still too small: a buffer sized from it fails the conversion (or is zero-filled by
// ToUTF16), and nothing is written beyond it.
int SaturatedSize(long long bytes) { return bytes > INT_MAX ? INT_MAX : static_cast<int>(bytes); }

void ZeroFill(void* buffer, int size) {
    if (buffer != nullptr && size > 0) std::memset(buffer, 0, static_cast<std::size_t>(size));
}

// Converts all `length` units (NUL units inside included) into `dest` and raises at `line` with
// ICU's name of the status unless the conversion succeeded outright: a warning, such as output
// that filled the buffer without its terminator, fails as well.
template <class DestUnit>
void ConvertFromUTF16(detail::QutfConversion<DestUnit, UChar> convert, DestUnit* dest, int capacity,
                      const UTF16String& units, int length, bool nullTerminated, long line) {
    UErrorCode status = U_ZERO_ERROR;
    int32_t outputLength = 0;  // Not needed: success means everything fitted.
    convert(dest, capacity, &outputLength, detail::AsUChar(units.data()), length,
            nullTerminated ? 1 : 0, &status);
    if (status != U_ZERO_ERROR) detail::RaiseConversionError(line, status);
}

// The wide form of `units`: the units themselves where Wide has 16 bits, the code points
// otherwise (an unpaired surrogate as its own value).
template <class Wide>
std::basic_string<Wide> WideOf(const UTF16String& units) {
    std::basic_string<Wide> wide;
    if constexpr (sizeof(Wide) == sizeof(UTF16Unit)) {
        wide.assign(units.data(), units.size());
    } else {
        wide.reserve(units.size());
        for (std::size_t at = 0; at < units.size();) {
            const detail::CodePointAt codePoint =
                detail::DecodeUTF16At(units.data(), units.size(), at);
            wide.push_back(static_cast<Wide>(codePoint.Value));
            at += codePoint.Width;
        }
    }
    return wide;
}

bool IsAsciiSpace(UTF16Unit unit) {
    return unit == ' ' || unit == '\t' || unit == '\n' || unit == '\v' || unit == '\f' ||
           unit == '\r';
}

// Reads the whole of `units`, less ASCII white space around it and a '+' before a number that
// has no sign of its own, with std::from_chars; nullopt unless all of it is one number in range.
template <class Number>
std::optional<Number> ParseNumber(const UTF16String& units) {
    std::size_t first = 0;
    std::size_t end = units.size();
    while (first < end && IsAsciiSpace(units[first])) ++first;
    while (end > first && IsAsciiSpace(units[end - 1])) --end;
    if (first < end && units[first] == '+' && (end - first == 1 || units[first + 1] != '-')) {
        ++first;
    }
    std::string bytes(end - first, '\0');
    for (std::size_t i = first; i < end; ++i) {
        if (units[i] > detail::kLastAsciiCodePoint) return std::nullopt;
        bytes[i - first] = static_cast<char>(units[i]);
    }
    Number value{};
    const char* const last = bytes.data() + bytes.size();
    const std::from_chars_result read = std::from_chars(bytes.data(), last, value);
    if (read.ec != std::errc() || read.ptr != last) return std::nullopt;
    return value;
}

}  // namespace

int Text::get_EncodingSize(UTFEncodingType encoding, bool nullTerminated) const {
    switch (encoding) {
        case UTF8Encoding:
            return SaturatedSize(
                static_cast<long long>(detail::UTF8LengthOfUnits(Content.data(), Content.size())) +
                (nullTerminated ? kUTF8TerminatorBytes : 0));
        case UTF16Encoding:
            return SaturatedSize(kUTF16UnitBytes * (Length + (nullTerminated ? 1LL : 0LL)));
        case UTF32Encoding:
            // From the cached count, as every other reader of the text's size does.
            return SaturatedSize(kUTF32UnitBytes *
                                 (NumberOfCharacters + (nullTerminated ? 1LL : 0LL)));
    }
    return 0;
}

void Text::ToUTF8(char* buffer, int size, bool nullTerminated) const {
    // The conversion counts its output in 32 bits, which a text of more than a third of the
    // largest length can overflow: such output is measured first, and when it is longer than
    // any buffer can be, the buffer is too small like any other.
    constexpr std::size_t kSafeUnits = INT32_MAX / detail::kLongestUTF8Sequence;
    if (Content.size() > kSafeUnits &&
        detail::UTF8LengthOfUnits(Content.data(), Content.size()) > std::uint64_t{INT32_MAX}) {
        detail::RaiseConversionError(detail::kToUTF8Line, U_BUFFER_OVERFLOW_ERROR);
    }
    // The library's own pass writes the output when the conversion succeeds: well-formed units
    // whose bytes fit the buffer with the terminator after them. Otherwise ICU converts and
    // names the failure; it writes every whole character that fits up to the first ill-formed
    // one, so the bytes the pass wrote are among its own, with the same values.
    if (buffer != nullptr && size > 0) {
        const detail::TranscodeResult converted = detail::UTF16ToUTF8(
            Content.data(), Content.size(), buffer, static_cast<std::size_t>(size) - 1);
        if (converted.StoppedBy == detail::Stop::End) {
            buffer[converted.Written] = '\0';
            return;
        }
    }
    ConvertFromUTF16<char>(qutf_ConvertUTF16TextToUTF8Text, buffer, size, Content, Length,
                           nullTerminated, detail::kToUTF8Line);
}

void Text::ToUTF32(UTF32Unit* buffer, int size, bool nullTerminated) const {
    ConvertFromUTF16<UChar32>(qutf_ConvertUTF16TextToUTF32Text, detail::AsUChar32(buffer), size,
                              Content, Length, nullTerminated, detail::kToUTF32Line);
}

void Text::ToUTF16(UTF16Unit* buffer, int size, bool nullTerminated) const {
    // A negative size describes no buffer at all: nothing is written.
    if (buffer == nullptr || size < 0) return;
    const long long needed = kUTF16UnitBytes * (Length + (nullTerminated ? 1LL : 0LL));
    if (size < needed) {
        ZeroFill(buffer, size);
        return;
    }
    // The units and the NUL after them, as far as the buffer holds them.
    const long long withTerminator = kUTF16UnitBytes * (Length + 1LL);
    const long long copied = size < withTerminator ? size : withTerminator;
    std::memcpy(buffer, Content.c_str(), static_cast<std::size_t>(copied));
    if (nullTerminated) buffer[size / kUTF16UnitBytes - 1] = 0;
}

bool Text::ToUnicode(UTF16Unit* buffer, int size, bool nullTerminated) const {
    // No exception object is built here: building one allocates, and this never raises.
    ToUTF16(buffer, size, nullTerminated);
    return true;
}

bool Text::ToAscii(char* buffer, int size, bool nullTerminated) const {
    bool written = false;
    try {
        [[maybe_unused]] const QuendalLog::CPPException<std::runtime_error> unraised(
            detail::kRaiseFileName, detail::kToAsciiFunction);
        // A negative size reaches the conversion, which refuses it (and the failure is caught
        // below); zero-filling skips it, since it describes no bytes to fill.
        if (IsAscii()) {
            // Every unit is below 0x80, so the UTF-8 output is one byte of the same value each.
            ToUTF8(buffer, size, nullTerminated);
            written = true;
        } else {
            ZeroFill(buffer, size);
        }
    } catch (...) {
        // Nothing escapes: the answer stays false, the buffer keeps what the conversion wrote,
        // and the floating-point environment goes back to its defaults.
        platform::ResetFloatingPoint();
    }
    return written;
}

int Text::ToInteger() const { return platform::ReadInt(Content.c_str()); }

long Text::ToLong() const { return platform::ReadLong(Content.c_str()); }

double Text::ToDouble() const {
    if (!IsAscii()) return kNotAsciiNumber;
    // One byte per unit; a NUL unit inside the text ends the reading there.
    std::string bytes(Content.size(), '\0');
    for (std::size_t i = 0; i < Content.size(); ++i) bytes[i] = static_cast<char>(Content[i]);
    return std::atof(bytes.c_str());
}

std::optional<long long> Text::ParseInteger() const { return ParseNumber<long long>(Content); }

std::optional<double> Text::ParseDouble() const { return ParseNumber<double>(Content); }

std::string Text::ToUTF8String(Malformed malformed) const {
    // At most three bytes a unit: a pair takes four for two, U+FFFD three for one. Where that
    // is more than a string holds (a 32-bit target), the bytes are counted first; either way
    // the pass is given the room left, beyond which it writes nothing.
    std::size_t room = detail::UTF8Room(Content.size());
    if (room > std::string().max_size()) {
        const std::uint64_t bytes = detail::UTF8LengthOfUnits(Content.data(), Content.size());
        if (bytes > std::string().max_size())
            detail::RaiseStringLengthError(detail::kToUTF8StringLengthSite);
        room = static_cast<std::size_t>(bytes);
    }
    std::string bytes;
    std::size_t read = 0;
    bool faulted = false;
    detail::ResizeForOverwrite(bytes, room, [&](char* out) {
        std::size_t written = 0;
        while (true) {
            const detail::TranscodeResult pass = detail::UTF16ToUTF8(
                Content.data() + read, Content.size() - read, out + written, room - written);
            read += pass.Read;
            written += pass.Written;
            if (pass.StoppedBy == detail::Stop::End) break;
            if (malformed == Malformed::Raise) {
                faulted = true;
                break;
            }
            written += detail::EncodeUTF8(detail::kReplacementCharacter, out + written);
            ++read;
        }
        return written;
    });
    if (faulted) detail::RaiseMalformed(detail::kToUTF8StringSite, read);
    return bytes;
}

std::u32string Text::ToUTF32String(Malformed malformed) const {
    if (malformed == Malformed::Raise) {
        const detail::ValidPrefix check = detail::ValidUTF16Prefix(Content.data(), Content.size());
        if (check.StoppedBy != detail::Stop::End) {
            detail::RaiseMalformed(detail::kToUTF32StringSite, check.Read);
        }
    }
    // Never more code points than units, and exactly as many as ICU counts (an unpaired
    // surrogate is one) when the units are more than a string of code points holds.
    std::size_t room = Content.size();
    if (room > std::u32string().max_size()) {
        room = static_cast<std::size_t>(u_countChar32(detail::AsUChar(Content.data()), Length));
        if (room > std::u32string().max_size())
            detail::RaiseStringLengthError(detail::kToUTF32StringLengthSite);
    }
    std::u32string units(room, U'\0');
    if (units.empty()) return units;
    int32_t length = 0;
    UErrorCode status = U_ZERO_ERROR;
    u_strToUTF32WithSub(detail::AsUChar32(units.data()), static_cast<int32_t>(room), &length,
                        detail::AsUChar(Content.data()), Length,
                        static_cast<UChar32>(detail::kReplacementCharacter), nullptr, &status);
    if (U_FAILURE(status)) detail::RaiseConversionError(detail::kToUTF32Line, status);
    units.resize(static_cast<std::size_t>(length));
    return units;
}

std::wstring Text::ToWString() const { return WideOf<wchar_t>(Content); }

std::ostream& operator<<(std::ostream& stream, const Text& text) {
    const std::string bytes = text.ToUTF8String(Malformed::Replace);
    return stream.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace QuendalText
