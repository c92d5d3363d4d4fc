// Classification and case mapping through the C runtime's <cwctype> functions, the same calls on
// every platform. wint_t is 32 bits wide with glibc and 16 bits on Windows.
#include "platform/platform.h"

#include "internal/utf.h"

#include <cstdint>
#include <cwctype>

namespace QuendalText {
namespace platform {

namespace {

wint_t Widen(UTF16Unit unit) { return static_cast<wint_t>(unit); }

UTF16Unit NarrowMapping(UTF16Unit unit, wint_t mapped) {
    const auto value = static_cast<std::uint32_t>(mapped);
    if (value > detail::kLastBmpCodePoint || detail::IsSurrogate(value)) return unit;
    return static_cast<UTF16Unit>(value);
}

// The blank class: Windows' runtime names it by its mask, others by name in the current locale
// (so it is looked up on every call).
std::wctype_t BlankClass() {
#if defined(_WIN32)
    return _BLANK;
#else
    return std::wctype("blank");
#endif
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
        case WideClass::Blank: return std::iswctype(c, BlankClass()) != 0;
        case WideClass::Space: return std::iswspace(c) != 0;
        case WideClass::Upper: return std::iswupper(c) != 0;
    }
    return false;
}

UTF16Unit ToLowerUnit(UTF16Unit unit) { return NarrowMapping(unit, std::towlower(Widen(unit))); }

UTF16Unit ToUpperUnit(UTF16Unit unit) { return NarrowMapping(unit, std::towupper(Widen(unit))); }

}  // namespace platform
}  // namespace QuendalText
