/// \file
/// Platform layer of the public interface: the code unit types, the module handle of string
/// resources, the unit literal and the export macro. Everything that differs between Linux and
/// Windows is decided here, so that no other header needs a platform switch. The export macro
/// is also read by C.
#ifndef QUENDALTEXT_CONFIG_H
#define QUENDALTEXT_CONFIG_H

#if defined(_WIN32)
#  if defined(QUENDALTEXT_BUILDING)
#    define QUENDALTEXT_API __declspec(dllexport)
#  else
#    define QUENDALTEXT_API __declspec(dllimport)
#  endif
#else
#  define QUENDALTEXT_API __attribute__((visibility("default")))
#endif

/// A UTF-16 string or unit literal in the platform's unit type: QUENDALTEXT_U("text") is
/// L"text" on Windows and u"text" elsewhere, so that one source serves both.
#if defined(_WIN32)
#  define QUENDALTEXT_U(literal) L##literal
#else
#  define QUENDALTEXT_U(literal) u##literal
#endif

#ifdef __cplusplus

#  if __cplusplus < 201703L && !(defined(_MSVC_LANG) && _MSVC_LANG >= 201703L)
#    error "QuendalText needs C++17 or later (-std=c++17)"
#  endif

#  include <climits>
#  include <cstddef>
#  include <cstdint>
#  include <string>
#  include <string_view>

#  if defined(_WIN32)
struct HINSTANCE__;
#  endif

namespace QuendalText {

#  if defined(_WIN32)
/// One UTF-16 code unit (the platform's 16-bit wchar_t).
using UTF16Unit = wchar_t;
/// One UTF-32 code unit, that is one code point.
using UTF32Unit = unsigned long;
/// Handle of the module whose string resources are read.
using ModuleHandle = HINSTANCE__*;
#  else
/// One UTF-16 code unit.
using UTF16Unit = char16_t;
/// One UTF-32 code unit, that is one code point.
using UTF32Unit = char32_t;

class StringTable;
/// Handle of the module whose string resources are read: its table of strings.
using ModuleHandle = const StringTable*;
#  endif

/// A standard string of UTF-16 code units (std::u16string; std::wstring on Windows).
using UTF16String = std::basic_string<UTF16Unit>;
/// A view of UTF-16 code units (std::u16string_view; std::wstring_view on Windows).
using UTF16StringView = std::basic_string_view<UTF16Unit>;

namespace detail {
// The surrogate range, which the inline members of Char and Text test; the library's other UTF
// rules are built on these in its own sources. Values whose bits above the low eleven read
// 0xD800 are surrogates, high or low. The test keeps all 32 bits (U+1D800 is a character); of a
// 16-bit unit it reads the top five bits, 11011 (kSurrogateMask, for 16-bit vector lanes).
inline constexpr std::uint32_t kHighSurrogateFirst = 0xD800;
inline constexpr std::uint32_t kSurrogateValueMask = 0xFFFFF800;
inline constexpr std::uint32_t kSurrogateMask = static_cast<std::uint16_t>(kSurrogateValueMask);
inline constexpr std::uint32_t kSurrogateTag = kHighSurrogateFirst;
constexpr bool IsSurrogate(std::uint32_t value) {
    return (value & kSurrogateValueMask) == kSurrogateTag;
}
// The pair arithmetic, which the inline code point walk needs. Each half of a pair carries ten
// bits of the code point's offset from kFirstSupplementary. Values whose bits above the payload
// read 0xD800 are high surrogates, 0xDC00 low ones; all 32 bits are kept, as in IsSurrogate. Of
// a 16-bit unit the top six bits: 110110, 110111 (kSurrogateHalfMask, for 16-bit vector lanes).
inline constexpr std::uint32_t kFirstSupplementary = 0x10000;
inline constexpr std::uint32_t kLowSurrogateFirst = 0xDC00;
inline constexpr unsigned kPairHalfBits = 10;
inline constexpr std::uint32_t kPairHalfPayload = (1u << kPairHalfBits) - 1;
inline constexpr std::uint32_t kSurrogateHalfValueMask = ~kPairHalfPayload;
// high * 0x400 + low - kPairOffset decodes a pair: 0xD800 * 0x400 + 0xDC00 - 0x10000.
inline constexpr std::uint32_t kPairOffset =
    (kHighSurrogateFirst << kPairHalfBits) + kLowSurrogateFirst - kFirstSupplementary;
// Tested as an unsigned distance from the first half, which takes one instruction fewer than a
// mask and a compare, and gave the inline code point walk ICU's speed.
constexpr bool IsHighSurrogate(std::uint32_t value) {
    return value - kHighSurrogateFirst <= kPairHalfPayload;
}
constexpr bool IsLowSurrogate(std::uint32_t value) {
    return value - kLowSurrogateFirst <= kPairHalfPayload;
}
// The code point of two units read as a pair, in unsigned 32-bit arithmetic whatever they are.
constexpr std::uint32_t DecodePair(std::uint32_t high, std::uint32_t low) {
    return (high << kPairHalfBits) + low - kPairOffset;
}
// A text holds at most INT_MAX units, so that its length and character count fit an int, and
// never more than its string can: libstdc++ lets a string hold half of the PTRDIFF_MAX bytes an
// allocation may have, 2^29 - 1 units on a 32-bit target, and past that would raise its own
// std::length_error. An operation that would make a text longer raises
// CPPException<std::length_error> before it changes anything; the inline append tests it too.
inline constexpr std::size_t kMaxTextUnits =
    static_cast<std::size_t>(INT_MAX) < PTRDIFF_MAX / sizeof(UTF16Unit) / 2
        ? static_cast<std::size_t>(INT_MAX)
        : static_cast<std::size_t>(PTRDIFF_MAX / sizeof(UTF16Unit) / 2);
}  // namespace detail

}  // namespace QuendalText

#endif  // __cplusplus

#endif  // QUENDALTEXT_CONFIG_H
