// What the library asks of the platform: the C runtime's wide-character classification and case
// mapping of the current locale, its decimal point, its reading of decimal integers, the
// floating-point reset, and a module's string resources. Only this layer knows how a UTF-16 unit
// reaches the runtime's functions and where string resources come from.
//
// platform_crt.cpp holds what both platforms share (the <cwctype> functions), platform_posix.cpp
// and platform_windows.cpp the rest.
#ifndef QUENDALTEXT_PLATFORM_PLATFORM_H
#define QUENDALTEXT_PLATFORM_PLATFORM_H

#include <QuendalText/Config.h>

namespace QuendalText {
namespace platform {

enum class WideClass {
    Alpha,
    AlphaNum,
    Control,
    Digit,
    Graph,
    Lower,
    Print,
    Punct,
    Blank,
    Space,
    Upper
};

// Whether `unit` belongs to `wideClass` in the current locale.
bool IsInClass(UTF16Unit unit, WideClass wideClass);

// The locale's case mapping of `unit`; a unit whose mapping is not a single non-surrogate
// UTF-16 unit maps to itself.
UTF16Unit ToLowerUnit(UTF16Unit unit);
UTF16Unit ToUpperUnit(UTF16Unit unit);

// The NUL-terminated `units` read as a decimal integer, as _wtoi and _wtol read them: leading
// white space, an optional sign, ASCII digits up to the first other unit; 0 without digits; a
// value out of range gives the type's nearest limit. Windows' C runtime does the reading.
int ReadInt(const UTF16Unit* units);
long ReadLong(const UTF16Unit* units);

// Whether the current locale's decimal point is the period, as in the "C" locale.
bool DecimalPointIsPeriod();

// Clears the floating-point exception flags and returns to the default environment.
void ResetFloatingPoint();

// Copies at most capacity - 1 units of string resource `id` of `module` into `buffer`, then a
// NUL unit, and returns the number of units copied; a missing string gives an empty string and
// 0. `capacity` is at least 1. On Windows the module's resources are read with LoadStringW.
int LoadResourceString(ModuleHandle module, unsigned int id, UTF16Unit* buffer, int capacity);

}  // namespace platform
}  // namespace QuendalText

#endif  // QUENDALTEXT_PLATFORM_PLATFORM_H
