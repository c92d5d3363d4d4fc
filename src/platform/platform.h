// What the library asks of the platform's C runtime: wide-character classification and case
// mapping of the current locale, and the floating-point reset. Only this layer knows how a
// UTF-16 unit reaches the runtime's functions.
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

// Clears the floating-point exception flags and returns to the default environment.
void ResetFloatingPoint();

}  // namespace platform
}  // namespace QuendalText

#endif  // QUENDALTEXT_PLATFORM_PLATFORM_H
