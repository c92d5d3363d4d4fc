// The library's printf-style formatter over UTF-16 units, with the conventions of the Windows
// wide printf family. Internal: not part of the exported interface.
#ifndef QUENDALTEXT_INTERNAL_FORMAT_H
#define QUENDALTEXT_INTERNAL_FORMAT_H

#include <QuendalText/Config.h>

#include <cstdarg>
#include <cstddef>

namespace QuendalText {
namespace detail {

// Formatted results start with room for a whole number of blocks of this many units, at least
// one more unit than the format has; they grow beyond it as far as they need.
inline constexpr std::size_t kFormatBlockUnits = 256;

// Formats `arguments` into the NUL-terminated UTF-16 `format` and returns every unit produced,
// NUL units from %c or %C included. `arguments` is read through a copy, so the caller's list is
// left where it was.
//
// Conversions:
//  - %s a UTF-16 string (const UTF16Unit*), %S a narrow string (const char*) read as UTF-8, each
//    ill-formed UTF-8 sequence becoming U+FFFD; %hs and %hS are narrow, %ls, %lS, %ws and %wS
//    wide. A null string prints "(null)". Precision caps the UTF-16 units taken (a pair may be
//    cut); a string with a precision is read no further than it needs.
//  - %c a UTF-16 unit, %C a narrow character (each passed as int), with h, l and w as for
//    strings. A narrow character above 0x7F is not UTF-8 on its own and prints U+FFFD.
//  - Width pads strings and characters with spaces, on the left or, with '-', on the right.
//  - d i u o x X e E f F g G a A p: as the C library's printf formats them, with the flags
//    - + space # 0, width, precision, '*' for either (a negative width argument means '-' and
//    its magnitude, a negative precision argument means none), and the length modifiers
//    hh h l ll j z t (integers), I32 I64 I (Windows' int32, int64 and pointer-sized), l and L
//    (floating point). `long` is the platform's long.
//  - %% prints one '%', whatever stands between the two signs, and reads no argument.
//  - %n is refused: its pointer argument is read and nothing is written or printed.
//  - A malformed conversion (an unknown conversion letter, a length modifier that does not fit
//    the letter, a width or precision beyond int, or a '%' that the format ends within) is
//    copied as it stands, from the '%' through the letter, and reads no argument.
//
// Raises CPPException<std::length_error> when the result would be longer than a text may be
// (INT_MAX units), before it grows that long; allocation failures pass through.
UTF16String FormatUTF16(const UTF16Unit* format, va_list arguments);

}  // namespace detail
}  // namespace QuendalText

#endif  // QUENDALTEXT_INTERNAL_FORMAT_H
