// What the Text conversions share: how the library's unit types reach ICU, the shape of the
// qutf_ conversion functions, and the room a conversion into UTF-16 needs.
#ifndef QUENDALTEXT_INTERNAL_CONVERSION_H
#define QUENDALTEXT_INTERNAL_CONVERSION_H

#include <QuendalText/Config.h>
#include <QuendalText/UTFConversion.h>

#include <cstddef>
#include <cstdint>

namespace QuendalText {
namespace detail {

static_assert(sizeof(UTF16Unit) == sizeof(UChar), "a UTF-16 unit is ICU's UChar");
static_assert(sizeof(UTF32Unit) == sizeof(UChar32), "a UTF-32 unit is ICU's UChar32");

// The shape of ICU's string conversions, and of the four qutf_ conversions, which take
// `nullTerminated` before the status.
template <class DestUnit, class SourceUnit>
using IcuConversion = DestUnit* (*)(DestUnit*, int32_t, int32_t*, const SourceUnit*, int32_t,
                                    UErrorCode*);
template <class DestUnit, class SourceUnit>
using QutfConversion = DestUnit* (*)(DestUnit*, int32_t, int32_t*, const SourceUnit*, int32_t,
                                     int32_t, UErrorCode*);

inline UChar* AsUChar(UTF16Unit* units) { return reinterpret_cast<UChar*>(units); }
inline const UChar* AsUChar(const UTF16Unit* units) {
    return reinterpret_cast<const UChar*>(units);
}
// Any 32-bit code unit: the library's UTF32Unit (unsigned long on Windows) and char32_t.
template <class Unit32>
UChar32* AsUChar32(Unit32* units) {
    static_assert(sizeof(Unit32) == sizeof(UChar32), "a 32-bit code unit");
    return reinterpret_cast<UChar32*>(units);
}
template <class Unit32>
const UChar32* AsUChar32(const Unit32* units) {
    static_assert(sizeof(Unit32) == sizeof(UChar32), "a 32-bit code unit");
    return reinterpret_cast<const UChar32*>(units);
}

// UTF-8 never yields more UTF-16 units than it has bytes; a UTF-32 unit yields at most a pair.
inline constexpr std::size_t kUTF16UnitsPerUTF8Byte = 1;
inline constexpr std::size_t kUTF16UnitsPerUTF32Unit = 2;

// What UTF16Capacity answers for a source too long for a 32-bit count.
inline constexpr std::int32_t kSourceTooLong = 0;

// Capacity in UTF-16 units, terminator included, of a buffer that surely holds the conversion
// of `sourceUnits` source units of which each yields at most `unitsPerSourceUnit` UTF-16 units;
// kSourceTooLong when that capacity (and so the source length) does not fit an int32_t.
constexpr std::int32_t UTF16Capacity(std::size_t sourceUnits, std::size_t unitsPerSourceUnit) {
    constexpr std::size_t kLargestCapacity = INT32_MAX;
    if (sourceUnits > (kLargestCapacity - 1) / unitsPerSourceUnit) return kSourceTooLong;
    return static_cast<std::int32_t>(sourceUnits * unitsPerSourceUnit + 1);
}

}  // namespace detail
}  // namespace QuendalText

#endif  // QUENDALTEXT_INTERNAL_CONVERSION_H
