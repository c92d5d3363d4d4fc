#include "platform/platform.h"

#include "internal/utf.h"

#include <cfenv>
#include <cwctype>

namespace QuendalText {
namespace platform {

namespace {

wint_t Widen(UTF16Unit unit) { return static_cast<wint_t>(unit); }

UTF16Unit NarrowMapping(UTF16Unit unit, wint_t mapped) {
    if (mapped > detail::kLastBmpCodePoint || detail::IsSurrogate(static_cast<UTF16Unit>(mapped)))
        return unit;
    return static_cast<UTF16Unit>(mapped);
}

}  // namespace

bool IsInClass(UTF16Unit unit, WideClass wideClass) {
    const wint_t c = Widen(unit);
    switch (wideClass) {
        case WideClass::Alpha: return std::iswalpha(c) != 0;
        case WideClass::AlphaNum: return std::iswalnum(c) != 0;
        case WideClass::Control: return std::iswcntrl(c) != 0;
        case WideClass::Digit: return std::iswdigit(c) != 0;
        case WideClass::Graph: return std::iswgraph(c) != 0;
        case WideClass::Lower: return std::iswlower(c) != 0;
        case WideClass::Print: return std::iswprint(c) != 0;
        case WideClass::Punct: return std::iswpunct(c) != 0;
        // The descriptor belongs to the current locale, so it is looked up on every call.
        case WideClass::Blank: return std::iswctype(c, std::wctype("blank")) != 0;
        case WideClass::Space: return std::iswspace(c) != 0;
        case WideClass::Upper: return std::iswupper(c) != 0;
    }
    return false;
}

UTF16Unit ToLowerUnit(UTF16Unit unit) { return NarrowMapping(unit, std::towlower(Widen(unit))); }

UTF16Unit ToUpperUnit(UTF16Unit unit) { return NarrowMapping(unit, std::towupper(Widen(unit))); }

void ResetFloatingPoint() {
    std::feclearexcept(FE_ALL_EXCEPT);
    std::fesetenv(FE_DFL_ENV);
}

}  // namespace platform
}  // namespace QuendalText
