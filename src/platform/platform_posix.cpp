// The platform layer where Windows' C runtime and module resources are absent: the library's own
// reading of decimal integers with _wtoi's rules, <cfenv> for the floating-point reset, and the
// StringTable a module handle points to.
#include "platform/platform.h"

#include <QuendalText/StringResource.h>

#include <cfenv>
#include <limits>
#include <type_traits>

#include <langinfo.h>

namespace QuendalText {
namespace platform {

namespace {

template <class Integer>
Integer ReadDecimal(const UTF16Unit* units) {
    using Magnitude = std::make_unsigned_t<Integer>;
    while (*units != 0 && IsInClass(*units, WideClass::Space)) ++units;
    bool negative = false;
    if (*units == u'-' || *units == u'+') {
        negative = *units == u'-';
        ++units;
    }
    const Magnitude largest = static_cast<Magnitude>(std::numeric_limits<Integer>::max());
    const Magnitude limit = negative ? largest + 1 : largest;
    Magnitude magnitude = 0;
    for (; *units >= u'0' && *units <= u'9'; ++units) {
        const Magnitude digit = static_cast<Magnitude>(*units - u'0');
        magnitude = magnitude > (limit - digit) / 10 ? limit : magnitude * 10 + digit;
    }
    if (!negative) return static_cast<Integer>(magnitude);
    // Negated through magnitude - 1, so that the type's minimum is reached without overflow.
    return magnitude == 0 ? 0 : static_cast<Integer>(-static_cast<Integer>(magnitude - 1) - 1);
}

}  // namespace

int ReadInt(const UTF16Unit* units) { return ReadDecimal<int>(units); }

long ReadLong(const UTF16Unit* units) { return ReadDecimal<long>(units); }

bool DecimalPointIsPeriod() {
    // The calling thread's locale, read without the data race of localeconv.
    const char* point = nl_langinfo(RADIXCHAR);
    return point[0] == '.' && point[1] == '\0';
}

void ResetFloatingPoint() {
    std::feclearexcept(FE_ALL_EXCEPT);
    std::fesetenv(FE_DFL_ENV);
}

int LoadResourceString(ModuleHandle module, unsigned int id, UTF16Unit* buffer, int capacity) {
    return LoadString(module, id, buffer, capacity);
}

}  // namespace platform
}  // namespace QuendalText
