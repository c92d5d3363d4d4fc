// Passes between UTF-8 and UTF-16 that stop at the first ill-formed sequence: the validating
// transcoders the library converts with, and the UTF-8 size of UTF-16 units. Each has a plain
// reference form in namespace `reference`, which tests and fuzzers hold the fast forms to.
#ifndef QUENDALTEXT_INTERNAL_TRANSCODE_H
#define QUENDALTEXT_INTERNAL_TRANSCODE_H

#include "internal/utf.h"

#include <cstddef>
#include <cstdint>

namespace QuendalText {
namespace detail {

// How a pass over its input ended.
enum class Stop {
    End,        // every unit was taken
    IllFormed,  // at `read` stands an ill-formed sequence
    Truncated,  // at `read` stands the start of a sequence that the input ends inside
};

struct TranscodeResult {
    std::size_t read;        // source units taken: all of them at Stop::End
    std::size_t written;     // destination units written for them
    std::size_t codePoints;  // characters among them
    Stop stop;
};

// UTF-8 to UTF-16: converts the longest well-formed prefix of `bytes` (NUL bytes included) into
// `out`, which has room for `size` units.
TranscodeResult UTF8ToUTF16(const char* bytes, std::size_t size, UTF16Unit* out);

// UTF-16 to UTF-8: converts the longest well-formed prefix of `units` (an unpaired surrogate
// ends it; a high surrogate as the last unit is Stop::Truncated) into `out`, which has room for
// 3 * `size` bytes.
TranscodeResult UTF16ToUTF8(const UTF16Unit* units, std::size_t size, char* out);

// As the transcoders, without output: `written` is the size the output would have.
TranscodeResult ValidateUTF8(const char* bytes, std::size_t size);
TranscodeResult ValidateUTF16(const UTF16Unit* units, std::size_t size);

// UTF-8 bytes of `units` where a high surrogate followed by a low one is one character (4
// bytes) and every other unit stands alone (a lone surrogate takes 3).
std::uint64_t UTF8LengthOfUnits(const UTF16Unit* units, std::size_t size);

namespace reference {
TranscodeResult UTF8ToUTF16(const char* bytes, std::size_t size, UTF16Unit* out);
TranscodeResult UTF16ToUTF8(const UTF16Unit* units, std::size_t size, char* out);
TranscodeResult ValidateUTF8(const char* bytes, std::size_t size);
TranscodeResult ValidateUTF16(const UTF16Unit* units, std::size_t size);
std::uint64_t UTF8LengthOfUnits(const UTF16Unit* units, std::size_t size);
}  // namespace reference

}  // namespace detail
}  // namespace QuendalText

#endif  // QUENDALTEXT_INTERNAL_TRANSCODE_H
