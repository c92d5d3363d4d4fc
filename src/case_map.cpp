#include "internal/case_map.h"

#include "internal/kernels.h"
#include "platform/platform.h"

namespace QuendalText {
namespace detail {

UTF16Unit AsciiCaseMap::operator()(UTF16Unit unit) {
    if (unit > kLastAsciiCodePoint) return unit;  // not reached: the texts mapped are ASCII
    if (!Known[unit]) {
        const bool upper = TargetCase == Upper;
        const auto from = upper ? platform::WideClass::Lower : platform::WideClass::Upper;
        Mapped[unit] = !platform::IsInClass(unit, from) ? unit
                       : upper                          ? platform::ToUpperUnit(unit)
                                                        : platform::ToLowerUnit(unit);
        Known[unit] = true;
    }
    return Mapped[unit];
}

bool AsciiCaseMap::IsPlainForLength(std::size_t size) {
    if (size < kPlainCaseCheckUnits) return false;
    for (std::uint32_t unit = 0; unit <= kLastAsciiCodePoint; ++unit) {
        const std::uint32_t plain = TargetCase == Upper ? AsciiUnfold(unit) : AsciiFold(unit);
        if ((*this)(static_cast<UTF16Unit>(unit)) != plain) return false;
    }
    return true;
}

UTF16Unit LowerCaseMap::operator()(UTF16Unit unit) {
    if (unit > kLastAsciiCodePoint) {
        return platform::ToLowerUnit(IsSurrogate(unit) ? kInvalidUnit : unit);
    }
    if (!Known[unit]) {
        Mapped[unit] = platform::ToLowerUnit(unit);
        Known[unit] = true;
    }
    return Mapped[unit];
}

bool LowerCaseMap::IsPlainForLength(std::size_t size) {
    if (IsPlain == Plain::Unknown && size >= kPlainCaseCheckUnits) {
        IsPlain = Plain::Yes;
        for (std::uint32_t unit = 0; unit <= kLastAsciiCodePoint; ++unit) {
            if ((*this)(static_cast<UTF16Unit>(unit)) != AsciiFold(unit)) IsPlain = Plain::No;
        }
    }
    return IsPlain == Plain::Yes;
}

}  // namespace detail
}  // namespace QuendalText
