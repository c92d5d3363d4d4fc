// Room for converting text into UTF-16, within the 32-bit counts that the conversions take.
#ifndef QUENDALTEXT_INTERNAL_CONVERSION_CAPACITY_H
#define QUENDALTEXT_INTERNAL_CONVERSION_CAPACITY_H

#include <cstddef>
#include <cstdint>

namespace QuendalText {
namespace detail {

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

#endif  // QUENDALTEXT_INTERNAL_CONVERSION_CAPACITY_H
