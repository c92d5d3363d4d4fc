// Case mapping of UTF-16 units by the C runtime's current locale, as Text's case mapping and its
// case-ignoring comparison apply it, asked of the runtime once per distinct ASCII unit. The
// runtime is asked again in each operation, so a locale set in between is seen.
//
// Where the vector path may be taken: only when the locale maps each of the 128 ASCII units
// exactly as ASCII does, which the map checks unit by unit before a long text. That is the only
// reading that is the same in every locale that passes the check; a Turkish locale, whose
// capital I lower-cases to a dotless i (U+0131) and whose small i upper-cases to U+0130, fails
// it, and so does any locale that maps some other ASCII unit elsewhere. Such a locale keeps
// the unit-by-unit path, with the runtime's answers.
#ifndef QUENDALTEXT_INTERNAL_CASE_MAP_H
#define QUENDALTEXT_INTERNAL_CASE_MAP_H

#include "internal/utf.h"

#include <cstddef>

namespace QuendalText {
namespace detail {

// Below this many units the check of all ASCII units costs more than asking unit by unit.
inline constexpr std::size_t kPlainCaseCheckUnits = 512;

// The whole-text case mapping of ToUpper and ToLower: a unit in the locale's lower (upper)
// class becomes the locale's upper (lower) case of it; any other unit stays. For ASCII units.
class AsciiCaseMap {
public:
    enum Direction { Upper, Lower };
    explicit AsciiCaseMap(Direction direction) : TargetCase(direction) {}
    UTF16Unit operator()(UTF16Unit unit);
    // Whether a text of `size` units may be mapped as ASCII maps it.
    bool IsPlainForLength(std::size_t size);

private:
    Direction TargetCase;
    UTF16Unit Mapped[kLastAsciiCodePoint + 1] = {};
    bool Known[kLastAsciiCodePoint + 1] = {};
};

// The lower-casing of Compare without case: the unit read as a Char (a surrogate unit is the
// invalid character, whose first unit is 0xFFFF) and lower-cased by the locale, for any unit.
class LowerCaseMap {
public:
    UTF16Unit operator()(UTF16Unit unit);
    // Whether `size` more units may be compared as ASCII folds them.
    bool IsPlainForLength(std::size_t size);

private:
    enum class Plain { Unknown, Yes, No };
    Plain IsPlain = Plain::Unknown;
    UTF16Unit Mapped[kLastAsciiCodePoint + 1] = {};
    bool Known[kLastAsciiCodePoint + 1] = {};
};

}  // namespace detail
}  // namespace QuendalText

#endif  // QUENDALTEXT_INTERNAL_CASE_MAP_H
