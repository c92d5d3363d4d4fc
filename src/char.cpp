#include <QuendalText/Char.h>

#include "internal/utf.h"
#include "platform/platform.h"

#include <cstdint>

namespace QuendalText {

namespace {

using detail::DecodePair;
using detail::kInvalidUnit;
constexpr unsigned char kLastAsciiByte = detail::kLastAsciiCodePoint;

}  // namespace

Char::Char(UTF32Unit codePoint) : Units{0, 0, 0} {
    const auto value = static_cast<std::uint32_t>(codePoint);
    if (value <= detail::kLastBmpCodePoint) {
        Units[0] = static_cast<UTF16Unit>(value);
    } else if (value <= detail::kLastCodePoint) {
        Units[0] = detail::HighSurrogateOf(value);
        Units[1] = detail::LowSurrogateOf(value);
    } else {
        Units[0] = kInvalidUnit;
        Units[1] = kInvalidUnit;
    }
}

Char::Char(char byte) : Units{0, 0, 0} {
    const auto value = static_cast<unsigned char>(byte);
    if (value <= kLastAsciiByte) {
        Units[0] = value;
    } else {
        Units[0] = kInvalidUnit;
        Units[1] = kInvalidUnit;
    }
}

Char& Char::operator=(const Char& other) {
    Units[0] = other.Units[0];
    Units[1] = other.Units[1];
    Units[2] = 0;
    return *this;
}

#define QUENDALTEXT_CHAR_CLASS(member, wideClass)                                       \
  bool Char::member() const {                                                           \
    return IsSingle() && platform::IsInClass(Units[0], platform::WideClass::wideClass); \
  }

QUENDALTEXT_CHAR_CLASS(IsAlpha, Alpha)
QUENDALTEXT_CHAR_CLASS(IsAlphaNum, AlphaNum)
QUENDALTEXT_CHAR_CLASS(IsControl, Control)
QUENDALTEXT_CHAR_CLASS(IsDigit, Digit)
QUENDALTEXT_CHAR_CLASS(IsGraph, Graph)
QUENDALTEXT_CHAR_CLASS(IsLower, Lower)
QUENDALTEXT_CHAR_CLASS(IsPrint, Print)
QUENDALTEXT_CHAR_CLASS(IsPunct, Punct)
QUENDALTEXT_CHAR_CLASS(IsSpace, Blank)
QUENDALTEXT_CHAR_CLASS(IsUpper, Upper)
QUENDALTEXT_CHAR_CLASS(IsWhiteSpace, Space)

#undef QUENDALTEXT_CHAR_CLASS

bool Char::IsAscii() const { return IsSingle() && Units[0] <= detail::kLastAsciiCodePoint; }

Char& Char::ToLower() {
    if (IsSingle()) Units[0] = platform::ToLowerUnit(Units[0]);
    return *this;
}

Char& Char::ToUpper() {
    if (IsSingle()) Units[0] = platform::ToUpperUnit(Units[0]);
    return *this;
}

// Single characters order by first unit and surrogate ones by code point; mixed pairs are
// neither equal nor ordered, so every comparison below first asks whether the kinds agree.
bool Char::operator==(const Char& other) const {
    if (IsSingle() != other.IsSingle()) return false;
    if (IsSingle()) return Units[0] == other.Units[0];
    return DecodePair(Units[0], Units[1]) == DecodePair(other.Units[0], other.Units[1]);
}

bool Char::operator!=(const Char& other) const { return !(*this == other); }

bool Char::operator<(const Char& other) const {
    if (IsSingle() != other.IsSingle()) return false;
    if (IsSingle()) return Units[0] < other.Units[0];
    return DecodePair(Units[0], Units[1]) < DecodePair(other.Units[0], other.Units[1]);
}

bool Char::operator>(const Char& other) const {
    if (IsSingle() != other.IsSingle()) return false;
    return other < *this;
}

bool Char::operator<=(const Char& other) const {
    if (IsSingle() != other.IsSingle()) return false;
    return !(other < *this);
}

bool Char::operator>=(const Char& other) const {
    if (IsSingle() != other.IsSingle()) return false;
    return !(*this < other);
}

}  // namespace QuendalText
