#include "internal/case_map.h"

#include "internal/kernels.h"
#include "platform/platform.h"

namespace QuendalText {
namespace detail {

UTF16Unit AsciiCaseMap::operator()(UTF16Unit unit) {
    if (unit > kLastAsciiCodePoint) return unit;  // not reached: the texts mapped are ASCII
    if (!known_[unit]) {
        const bool upper = direction_ == Upper;
        const auto from = upper ? platform::WideClass::Lower : platform::WideClass::Upper;
        mapped_[unit] = !platform::IsInClass(unit, from) ? unit
                        : upper                          ? platform::ToUpperUnit(unit)
                                                         : platform::ToLowerUnit(unit);
        known_[unit] = true;
    }
    return mapped_[unit];
}

bool AsciiCaseMap::IsPlainForLength(std::size_t size) {
    if (size < kPlainCaseCheckUnits) return false;
    for (std::uint32_t unit = 0; unit <= kLastAsciiCodePoint; ++unit) {
        const std::uint32_t plain = direction_ == Upper ? AsciiUnfold(unit) : AsciiFold(unit);
        if ((*this)(static_cast<UTF16Unit>(unit)) != plain) return false;
    }
    return true;
}

UTF16Unit LowerCaseMap::operator()(UTF16Unit unit) {
    if (unit > kLastAsciiCodePoint) {
        return platform::ToLowerUnit(IsSurrogate(unit) ? kInvalidUnit : unit);
    }
    if (!known_[unit]) {
        mapped_[unit] = platform::ToLowerUnit(unit);
        known_[unit] = true;
    }
    return mapped_[unit];
}

bool LowerCaseMap::IsPlainForLength(std::size_t size) {
    if (plain_ == Plain::Unknown && size >= kPlainCaseCheckUnits) {
        plain_ = Plain::Yes;
        for (std::uint32_t unit = 0; unit <= kLastAsciiCodePoint; ++unit) {
            if ((*this)(static_cast<UTF16Unit>(unit)) != AsciiFold(unit)) plain_ = Plain::No;
        }
    }
    return plain_ == Plain::Yes;
}

}  // namespace detail
}  // namespace QuendalText
