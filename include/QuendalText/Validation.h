/// \file
/// Validators for UTF-8, UTF-16 and UTF-32 that arrive a block at a time: whether a block is
/// well-formed, ends inside a character, or holds an ill-formed sequence, and where.
#ifndef QUENDALTEXT_VALIDATION_H
#define QUENDALTEXT_VALIDATION_H

#include <QuendalText/Config.h>

#include <cstddef>
#include <string>
#include <string_view>

namespace QuendalText {

/// How a block ends, as far as it is well-formed.
enum class Validity {
    Valid,       ///< every unit belongs to a whole, well-formed character
    Incomplete,  ///< the block ends inside a character that the next block may complete
    IllFormed,   ///< an ill-formed sequence stands at `position`
};

/// What a validator found. `position` counts the units (bytes for UTF-8) of whole well-formed
/// characters before what stopped it: all units when Valid. `length` is the units from there
/// that stopped it: the maximal ill-formed subpart (one unit for UTF-16 and UTF-32), or the
/// start of the cut character; 0 when Valid.
struct ValidationResult {
    Validity validity;     ///< how the block ends
    std::size_t position;  ///< units of whole well-formed characters before the stop
    std::size_t length;    ///< units of what stopped the validator; 0 when Valid
};

/// Validates UTF-8 `bytes`: no overlong forms, surrogates or values above U+10FFFF.
QUENDALTEXT_API ValidationResult ValidateUTF8(std::string_view bytes) noexcept;
/// Validates UTF-16 `units`: a high surrogate as the last unit is Incomplete, any other
/// unpaired surrogate IllFormed.
QUENDALTEXT_API ValidationResult ValidateUTF16(UTF16StringView units) noexcept;
/// Validates UTF-32 `units`: surrogates and values above 0x10FFFF are IllFormed; a UTF-32
/// block is never Incomplete.
QUENDALTEXT_API ValidationResult ValidateUTF32(std::u32string_view units) noexcept;

/// The bytes of `bytes` before a character cut at its end that the next block may complete:
/// all of them when the end is whole or already ill-formed (F0 80 80 is). Reads only the last
/// few bytes, so a block can go to Text::FromUTF8 whole while its cut end waits.
QUENDALTEXT_API std::size_t CompleteUTF8Prefix(std::string_view bytes) noexcept;
/// The units of `units` before a high surrogate at its end that the next block may pair.
QUENDALTEXT_API std::size_t CompleteUTF16Prefix(UTF16StringView units) noexcept;

}  // namespace QuendalText

#endif  // QUENDALTEXT_VALIDATION_H
