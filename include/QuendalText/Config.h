// Platform layer of the public interface: the code unit types, the module handle of string
// resources and the export macro. Everything that differs between Linux and Windows is decided
// here, so that no other header needs a platform switch. The export macro is also read by C.
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

#ifdef __cplusplus

#  include <string>

#  if defined(_WIN32)
struct HINSTANCE__;
#  endif

namespace QuendalText {

#  if defined(_WIN32)
/// One UTF-16 code unit (the platform's 16-bit wchar_t).
using UTF16Unit = wchar_t;
/// A standard string of UTF-16 code units.
using UTF16String = std::wstring;
/// One UTF-32 code unit, that is one code point.
using UTF32Unit = unsigned long;
/// Handle of the module whose string resources are read.
using ModuleHandle = HINSTANCE__*;
#  else
/// One UTF-16 code unit.
using UTF16Unit = char16_t;
/// A standard string of UTF-16 code units.
using UTF16String = std::u16string;
/// One UTF-32 code unit, that is one code point.
using UTF32Unit = char32_t;

class StringTable;
/// Handle of the module whose string resources are read: its table of strings.
using ModuleHandle = const StringTable*;
#  endif

}  // namespace QuendalText

#endif  // __cplusplus

#endif  // QUENDALTEXT_CONFIG_H
