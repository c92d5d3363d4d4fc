// Building a Text from UTF-8 and UTF-32, and appending UTF-8 to one.
#include <QuendalText/Text.h>
#include <QuendalText/UTFConversion.h>

#include "internal/conversion.h"
#include "internal/raise_sites.h"

#include <boost/shared_array.hpp>

#include <algorithm>
#include <string>

namespace QuendalText {
namespace {

// The conversions into a Text always ask for the terminating NUL.
constexpr int32_t kWithTerminator = 1;

// Converted units, still in the buffer the conversion wrote them into.
struct ConvertedUnits {
    boost::shared_array<UTF16Unit> buffer;
    std::size_t length;
};

// Converts `sourceLength` units of `source` into a new buffer with room for the longest possible
// output. Raises at `line` for any status but success, and but U_INVALID_CHAR_FOUND when
// `keepsUnitsBeforeFault`: then the units converted before the ill-formed input are kept.
template <class SourceUnit>
ConvertedUnits ConvertToUTF16(detail::QutfConversion<UChar, SourceUnit> convert,
                              const SourceUnit* source, std::size_t sourceLength,
                              std::size_t unitsPerSourceUnit, long line,
                              bool keepsUnitsBeforeFault) {
    const int32_t capacity = detail::UTF16Capacity(sourceLength, unitsPerSourceUnit);
    if (capacity == detail::kSourceTooLong) {
        detail::RaiseConversionError(line, U_ILLEGAL_ARGUMENT_ERROR);
    }
    boost::shared_array<UTF16Unit> buffer(new UTF16Unit[static_cast<std::size_t>(capacity)]);
    UChar* const destination = detail::AsUChar(buffer.get());
    int32_t outputLength = 0;
    UErrorCode status = U_ZERO_ERROR;
    convert(destination, capacity, &outputLength, source, static_cast<int32_t>(sourceLength),
            kWithTerminator, &status);
    if (status == U_ZERO_ERROR) return {buffer, static_cast<std::size_t>(outputLength)};
    if (!keepsUnitsBeforeFault || status != U_INVALID_CHAR_FOUND)
        detail::RaiseConversionError(line, status);

    // A conversion stopped by ill-formed input writes neither a terminator nor the output
    // length. Converting again into a zeroed buffer makes the units it wrote those before the
    // first NUL, since the source holds no NUL. Well-formed input, the usual case, is spared
    // the zeroing.
    std::fill_n(buffer.get(), capacity, UTF16Unit{0});
    status = U_ZERO_ERROR;
    const UChar* converted = convert(destination, capacity, &outputLength, source,
                                     static_cast<int32_t>(sourceLength), kWithTerminator, &status);
    const UTF16Unit* units = reinterpret_cast<const UTF16Unit*>(converted);
    const std::size_t length =
        static_cast<std::size_t>(std::find(units, units + capacity, UTF16Unit{0}) - units);
    return {buffer, length};
}

ConvertedUnits ConvertUTF8(const char* utf8) {
    return ConvertToUTF16<char>(qutf_ConvertUTF8TextToUTF16Text, utf8,
                                std::char_traits<char>::length(utf8),
                                detail::kUTF16UnitsPerUTF8Byte, detail::kFromUTF8Line, true);
}

ConvertedUnits ConvertUTF32(const UTF32Unit* utf32) {
    return ConvertToUTF16<UChar32>(qutf_ConvertUTF32TextToUTF16Text, detail::AsUChar32(utf32),
                                   std::char_traits<UTF32Unit>::length(utf32),
                                   detail::kUTF16UnitsPerUTF32Unit, detail::kFromUTF32Line, false);
}

}  // namespace

Text::Text(const char* utf8) : Text() {
    if (utf8 == nullptr) return;
    const ConvertedUnits converted = ConvertUTF8(utf8);
    Content.assign(converted.buffer.get(), converted.length);
    RefreshCounts();
}

Text::Text(const UTF32Unit* utf32) : Text() {
    if (utf32 == nullptr) return;
    const ConvertedUnits converted = ConvertUTF32(utf32);
    Content.assign(converted.buffer.get(), converted.length);
    RefreshCounts();
}

Text& Text::operator+=(const char* utf8) {
    if (utf8 == nullptr) return *this;
    // Converted before anything changes, so a raise leaves this text as it was.
    const ConvertedUnits appended = ConvertUTF8(utf8);
    const std::size_t oldLength = Content.size();
    Content.append(appended.buffer.get(), appended.length);
    RefreshCounts(oldLength);
    return *this;
}

}  // namespace QuendalText
