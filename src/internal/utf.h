// The Unicode primitives of the library, in one place: the surrogate ranges and the pair
// arithmetic of UTF-16, the code point limits, and the sequence rules of UTF-8. Every other
// source (the vector kernels included) takes its constants from here.
#ifndef QUENDALTEXT_INTERNAL_UTF_H
#define QUENDALTEXT_INTERNAL_UTF_H

#include <QuendalText/Config.h>

#include <cstddef>
#include <cstdint>

namespace QuendalText {
namespace detail {

// ---- Code points -----------------------------------------------------------------------------

inline constexpr std::uint32_t kLastAsciiCodePoint = 0x7F;
inline constexpr std::uint32_t kLastBmpCodePoint = 0xFFFF;
inline constexpr std::uint32_t kLastCodePoint = 0x10FFFF;
inline constexpr std::uint32_t kReplacementCharacter = 0xFFFD;

// ---- UTF-16 ----------------------------------------------------------------------------------

// The surrogate ranges and the pair arithmetic (kHighSurrogateFirst, kLowSurrogateFirst,
// kPairHalfBits, kPairOffset, IsSurrogate, IsHighSurrogate, IsLowSurrogate, DecodePair and the
// masks) come with Config.h, whose inline members use them.
inline constexpr std::uint32_t kHighSurrogateLast = 0xDBFF;
inline constexpr std::uint32_t kLowSurrogateLast = 0xDFFF;
inline constexpr std::uint32_t kSurrogateHalfMask =
    static_cast<std::uint16_t>(kSurrogateHalfValueMask);
// high = kHighSurrogateBase + (code point >> 10) encodes the high half: 0xD800 - (0x10000 >> 10).
inline constexpr std::uint32_t kHighSurrogateBase =
    kHighSurrogateFirst - (kFirstSupplementary >> kPairHalfBits);
// Both units of the invalid character, and what a surrogate unit reads as on its own.
inline constexpr UTF16Unit kInvalidUnit = static_cast<UTF16Unit>(kLastBmpCodePoint);

// A code point that UTF-8, UTF-16 and UTF-32 may encode: no surrogate, nothing above U+10FFFF.
constexpr bool IsScalarValue(std::uint32_t value) {
    return value <= kLastCodePoint && !IsSurrogate(value);
}

// The code point that begins at units[at], and its width: a pair's code point, else the unit
// itself (an unpaired surrogate stands for its own value, as ICU's U16_NEXT reads it).
struct CodePointAt {
    std::uint32_t Value;
    std::size_t Width;
};
inline CodePointAt DecodeUTF16At(const UTF16Unit* units, std::size_t size, std::size_t at) {
    const std::uint32_t unit = units[at];
    if (IsHighSurrogate(unit) && at + 1 < size && IsLowSurrogate(units[at + 1])) {
        return {DecodePair(unit, units[at + 1]), 2};
    }
    return {unit, 1};
}
// The two halves of a supplementary code point (kFirstSupplementary to kLastCodePoint).
constexpr UTF16Unit HighSurrogateOf(std::uint32_t codePoint) {
    return static_cast<UTF16Unit>(kHighSurrogateBase + (codePoint >> kPairHalfBits));
}
constexpr UTF16Unit LowSurrogateOf(std::uint32_t codePoint) {
    return static_cast<UTF16Unit>(kLowSurrogateFirst | (codePoint & kPairHalfPayload));
}
// Writes `codePoint` (any scalar value) as one or two units at `out`; returns the units written.
inline std::size_t EncodeUTF16(std::uint32_t codePoint, UTF16Unit* out) {
    if (codePoint <= kLastBmpCodePoint) {
        out[0] = static_cast<UTF16Unit>(codePoint);
        return 1;
    }
    out[0] = HighSurrogateOf(codePoint);
    out[1] = LowSurrogateOf(codePoint);
    return 2;
}

// ---- UTF-8 -----------------------------------------------------------------------------------

inline constexpr std::uint32_t kLastTwoByteCodePoint = 0x7FF;
inline constexpr std::size_t kLongestUTF8Sequence = 4;
inline constexpr unsigned kContinuationPayloadBits = 6;
inline constexpr std::uint32_t kContinuationPayload = 0x3F;
inline constexpr unsigned char kContinuationFirst = 0x80;
inline constexpr unsigned char kContinuationLast = 0xBF;
inline constexpr unsigned char kContinuationTag = 0x80;
// Lead bytes of each sequence length; 0x80-0xC1 and 0xF5-0xFF never start a sequence.
inline constexpr unsigned char kFirstTwoByteLead = 0xC2;
inline constexpr unsigned char kFirstThreeByteLead = 0xE0;
inline constexpr unsigned char kFirstFourByteLead = 0xF0;
inline constexpr unsigned char kLastFourByteLead = 0xF4;
// Payload bits of the lead byte of a two-, three- and four-byte sequence, and its tag.
inline constexpr std::uint32_t kTwoByteLeadPayload = 0x1F;
inline constexpr std::uint32_t kThreeByteLeadPayload = 0x0F;
inline constexpr std::uint32_t kFourByteLeadPayload = 0x07;
inline constexpr unsigned char kTwoByteLeadTag = 0xC0;
inline constexpr unsigned char kThreeByteLeadTag = 0xE0;
inline constexpr unsigned char kFourByteLeadTag = 0xF0;
// Lead bytes whose second byte has a narrower range: no overlong forms after E0 and F0, no
// surrogates after ED, nothing above U+10FFFF after F4.
inline constexpr unsigned char kOverlongThreeByteLead = 0xE0;
inline constexpr unsigned char kSurrogateThreeByteLead = 0xED;
inline constexpr unsigned char kOverlongFourByteLead = 0xF0;

// Bytes of a well-formed sequence that starts with `lead`; 0 when `lead` starts none.
constexpr std::size_t UTF8SequenceLength(unsigned char lead) {
    if (lead <= kLastAsciiCodePoint) return 1;
    if (lead < kFirstTwoByteLead) return 0;
    if (lead < kFirstThreeByteLead) return 2;
    if (lead < kFirstFourByteLead) return 3;
    if (lead <= kLastFourByteLead) return 4;
    return 0;
}

// The range the byte after `lead` must lie in (for a lead of a multi-byte sequence).
struct ByteRange {
    unsigned char First;
    unsigned char Last;
};
constexpr ByteRange UTF8SecondByteRange(unsigned char lead) {
    switch (lead) {
        case kOverlongThreeByteLead: return {0xA0, kContinuationLast};
        case kSurrogateThreeByteLead: return {kContinuationFirst, 0x9F};
        case kOverlongFourByteLead: return {0x90, kContinuationLast};
        case kLastFourByteLead: return {kContinuationFirst, 0x8F};
        default: return {kContinuationFirst, kContinuationLast};
    }
}

// UTF-8 bytes of one code point, or of a unit standing on its own (a lone surrogate takes 3).
constexpr std::size_t UTF8Bytes(std::uint32_t codePoint) {
    if (codePoint <= kLastAsciiCodePoint) return 1;
    if (codePoint <= kLastTwoByteCodePoint) return 2;
    if (codePoint <= kLastBmpCodePoint) return 3;
    return 4;
}

// One step of decoding UTF-8. For an ill-formed sequence, Length is its maximal subpart: the
// longest start of a well-formed sequence, at least one byte. The byte that broke the sequence
// is not taken, so a NUL byte is never passed over.
struct UTF8Step {
    std::uint32_t CodePoint;  // kReplacementCharacter when ill-formed
    std::size_t Length;       // bytes taken, 1 to 4
    bool WellFormed;
    bool Truncated;  // ill-formed only because the bytes ended inside the sequence
};
constexpr UTF8Step DecodeUTF8(const unsigned char* bytes, std::size_t available) {
    const unsigned char lead = bytes[0];
    const std::size_t length = UTF8SequenceLength(lead);
    if (length == 1) return {lead, 1, true, false};
    if (length == 0) return {kReplacementCharacter, 1, false, false};
    std::uint32_t value = lead & (length == 2   ? kTwoByteLeadPayload
                                  : length == 3 ? kThreeByteLeadPayload
                                                : kFourByteLeadPayload);
    ByteRange range = UTF8SecondByteRange(lead);
    for (std::size_t taken = 1; taken < length; ++taken) {
        if (taken == available) return {kReplacementCharacter, taken, false, true};
        const unsigned char next = bytes[taken];
        if (next < range.First || next > range.Last) {
            return {kReplacementCharacter, taken, false, false};
        }
        value = (value << kContinuationPayloadBits) | (next & kContinuationPayload);
        range = {kContinuationFirst, kContinuationLast};
    }
    return {value, length, true, false};
}

// Writes `codePoint` (any scalar value) as UTF-8 at `out`; returns the bytes written.
inline std::size_t EncodeUTF8(std::uint32_t codePoint, char* out) {
    const auto byte = [](std::uint32_t value) { return static_cast<char>(value); };
    const auto continuation = [](std::uint32_t value) {
        return static_cast<char>(kContinuationTag | (value & kContinuationPayload));
    };
    if (codePoint <= kLastAsciiCodePoint) {
        out[0] = byte(codePoint);
        return 1;
    }
    if (codePoint <= kLastTwoByteCodePoint) {
        out[0] = byte(kTwoByteLeadTag | (codePoint >> kContinuationPayloadBits));
        out[1] = continuation(codePoint);
        return 2;
    }
    if (codePoint <= kLastBmpCodePoint) {
        out[0] = byte(kThreeByteLeadTag | (codePoint >> (2 * kContinuationPayloadBits)));
        out[1] = continuation(codePoint >> kContinuationPayloadBits);
        out[2] = continuation(codePoint);
        return 3;
    }
    out[0] = byte(kFourByteLeadTag | (codePoint >> (3 * kContinuationPayloadBits)));
    out[1] = continuation(codePoint >> (2 * kContinuationPayloadBits));
    out[2] = continuation(codePoint >> kContinuationPayloadBits);
    out[3] = continuation(codePoint);
    return 4;
}

}  // namespace detail
}  // namespace QuendalText

#endif  // QUENDALTEXT_INTERNAL_UTF_H
