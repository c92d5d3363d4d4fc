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
    IllFormed,  // at Read stands an ill-formed sequence
    Truncated,  // at Read stands the start of a sequence that the input ends inside
    NoRoom,     // at Read stands a character whose output does not fit the room left
};

struct TranscodeResult {
    std::size_t Read;        // source units taken: all of them at Stop::End
    std::size_t Written;     // destination units written for them
    std::size_t CodePoints;  // characters among them
    Stop StoppedBy;
};

// UTF-8 to UTF-16: converts the longest well-formed prefix of `bytes` (NUL bytes included) into
// `out`, which has room for `size` units (any of which may be written).
TranscodeResult UTF8ToUTF16(const char* bytes, std::size_t size, UTF16Unit* out);

// UTF-16 to UTF-8: converts the longest well-formed prefix of `units` (an unpaired surrogate
// ends it; a high surrogate as the last unit is Stop::Truncated) whose output fits the
// `capacity` bytes at `out`, and writes no byte beyond its output: a buffer that a caller owns
// keeps everything after it.
TranscodeResult UTF16ToUTF8(const UTF16Unit* units, std::size_t size, char* out,
                            std::size_t capacity);
// As above into `out`, which has room for 3 * `size` bytes.
TranscodeResult UTF16ToUTF8(const UTF16Unit* units, std::size_t size, char* out);

// The room for the UTF-8 form of `size` units: three bytes each at most.
constexpr std::size_t UTF8Room(std::size_t size) {
    constexpr std::size_t kMostBytesPerUnit = 3;
    return size <= SIZE_MAX / kMostBytesPerUnit ? kMostBytesPerUnit * size : SIZE_MAX;
}

// As the UTF-8 transcoder, without output: Written is the size the output would have.
TranscodeResult MeasureUTF8ToUTF16(const char* bytes, std::size_t size);

// The longest well-formed prefix of a text, as the transcoders read it, and what ended it. (The
// public validators of Validation.h answer a block's validity from these.)
struct ValidPrefix {
    std::size_t Read;  // all the units at Stop::End
    Stop StoppedBy;
};
ValidPrefix ValidUTF8Prefix(const char* bytes, std::size_t size);
ValidPrefix ValidUTF16Prefix(const UTF16Unit* units, std::size_t size);

// UTF-8 bytes of `units` where a high surrogate followed by a low one is one character (4
// bytes) and every other unit stands alone (a lone surrogate takes 3).
std::uint64_t UTF8LengthOfUnits(const UTF16Unit* units, std::size_t size);

namespace reference {
TranscodeResult UTF8ToUTF16(const char* bytes, std::size_t size, UTF16Unit* out);
TranscodeResult UTF16ToUTF8(const UTF16Unit* units, std::size_t size, char* out,
                            std::size_t capacity);
TranscodeResult UTF16ToUTF8(const UTF16Unit* units, std::size_t size, char* out);
TranscodeResult MeasureUTF8ToUTF16(const char* bytes, std::size_t size);
TranscodeResult ValidateUTF16(const UTF16Unit* units, std::size_t size);
ValidPrefix ValidUTF8Prefix(const char* bytes, std::size_t size);
ValidPrefix ValidUTF16Prefix(const UTF16Unit* units, std::size_t size);
std::uint64_t UTF8LengthOfUnits(const UTF16Unit* units, std::size_t size);

// The transcoders and validators, stopping without a fault (Stop::End) before the first
// character that begins at or after `until`: the vector kernels hand them the stretches they
// leave.
TranscodeResult UTF8ToUTF16Until(const char* bytes, std::size_t size, UTF16Unit* out,
                                 std::size_t until);
TranscodeResult UTF16ToUTF8Until(const UTF16Unit* units, std::size_t size, char* out,
                                 std::size_t capacity, std::size_t until);
TranscodeResult MeasureUTF8ToUTF16Until(const char* bytes, std::size_t size, std::size_t until);
TranscodeResult ValidateUTF16Until(const UTF16Unit* units, std::size_t size, std::size_t until);
}  // namespace reference

}  // namespace detail
}  // namespace QuendalText

#endif  // QUENDALTEXT_INTERNAL_TRANSCODE_H
