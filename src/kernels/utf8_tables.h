// The nibble tables of vector UTF-8 validation, after Keiser and Lemire ("Validating UTF-8 In
// Less Than One Instruction Per Byte"): whether a byte may follow the byte before it is
// decided from three 16-entry lookups, the high and low nibbles of the byte before and the high
// nibble of the byte, whose results are ANDed. Each bit of the result stands for one kind of
// fault, a set of byte pairs that is a product of nibble sets; a pair of continuation bytes has
// its own bit, which is right exactly when the byte two before is a three- or four-byte lead
// or the byte three before a four-byte lead. The tables are built here from the rules of
// utf.h and checked against them for every pair of bytes at compile time.
#ifndef QUENDALTEXT_KERNELS_UTF8_TABLES_H
#define QUENDALTEXT_KERNELS_UTF8_TABLES_H

#include "internal/utf.h"

#include <array>
#include <cstdint>

namespace QuendalText {
namespace detail {
namespace utf8_tables {

inline constexpr unsigned kLastByte = 0xFF;
inline constexpr unsigned kNibbleBits = 4;
inline constexpr unsigned kNibbles = 1u << kNibbleBits;

constexpr bool IsContinuation(unsigned byte) {
    return byte >= kContinuationFirst && byte <= kContinuationLast;
}

// The bit of two continuation bytes in a row, and the bits of the faults, all below it.
inline constexpr std::uint8_t kTwoContinuations = 0x80;
inline constexpr std::uint8_t kFaultBits = kTwoContinuations - 1;

// One kind of fault: the byte before in one set, the byte in another.
struct Fault {
    std::uint8_t Bit;
    bool (*Before)(unsigned byte);
    bool (*After)(unsigned byte);
};

inline constexpr Fault kFaults[] = {
    // A lead byte (or a byte that no sequence begins with) not followed by a continuation.
    {0x01, [](unsigned b) { return b >= kTwoByteLeadTag; },
     [](unsigned b) { return !IsContinuation(b); }},
    // A continuation after an ASCII byte.
    {0x02, [](unsigned b) { return b <= kLastAsciiCodePoint; }, IsContinuation},
    // Overlong two-byte forms.
    {0x04, [](unsigned b) { return b >= kTwoByteLeadTag && b < kFirstTwoByteLead; },
     IsContinuation},
    // Overlong three-byte forms.
    {0x08, [](unsigned b) { return b == kOverlongThreeByteLead; },
     [](unsigned b) {
         return b >= kContinuationFirst && b < UTF8SecondByteRange(kOverlongThreeByteLead).First;
     }},
    // Surrogates.
    {0x10, [](unsigned b) { return b == kSurrogateThreeByteLead; },
     [](unsigned b) {
         return b > UTF8SecondByteRange(kSurrogateThreeByteLead).Last && b <= kContinuationLast;
     }},
    // Overlong four-byte forms, and bytes above the four-byte leads before a low continuation.
    {0x20, [](unsigned b) { return b == kOverlongFourByteLead || b > kLastFourByteLead; },
     [](unsigned b) {
         return b >= kContinuationFirst && b < UTF8SecondByteRange(kOverlongFourByteLead).First;
     }},
    // Code points above U+10FFFF.
    {0x40, [](unsigned b) { return b >= kLastFourByteLead; },
     [](unsigned b) {
         return b > UTF8SecondByteRange(kLastFourByteLead).Last && b <= kContinuationLast;
     }},
    {kTwoContinuations, IsContinuation, IsContinuation},
};

using Table = std::array<std::uint8_t, kNibbles>;

// Which faults a nibble allows, as the high nibble of the byte before (kind 0), its low nibble
// (kind 1), or the high nibble of the byte (kind 2).
constexpr Table MakeTable(int kind) {
    Table table{};
    for (unsigned nibble = 0; nibble < kNibbles; ++nibble) {
        for (const Fault& fault : kFaults) {
            for (unsigned other = 0; other < kNibbles; ++other) {
                const unsigned byte =
                    kind == 1 ? (other << kNibbleBits) | nibble : (nibble << kNibbleBits) | other;
                if (kind == 2 ? fault.After(byte) : fault.Before(byte)) {
                    table[nibble] = static_cast<std::uint8_t>(table[nibble] | fault.Bit);
                }
            }
        }
    }
    return table;
}

inline constexpr Table kBeforeHigh = MakeTable(0);
inline constexpr Table kBeforeLow = MakeTable(1);
inline constexpr Table kHigh = MakeTable(2);

// The lookups agree with utf.h for every byte before and every byte: a fault bit exactly when
// the byte cannot follow (leaving aside what the bytes further back ask), the continuation bit
// exactly for two continuation bytes.
constexpr bool TablesMatchRules(unsigned firstBefore, unsigned lastBefore) {
    for (unsigned before = firstBefore; before <= lastBefore; ++before) {
        for (unsigned byte = 0; byte <= kLastByte; ++byte) {
            const unsigned found = kBeforeHigh[before >> kNibbleBits] &
                                   kBeforeLow[before & (kNibbles - 1)] & kHigh[byte >> kNibbleBits];
            const std::size_t length = UTF8SequenceLength(static_cast<unsigned char>(before));
            const ByteRange range = UTF8SecondByteRange(static_cast<unsigned char>(before));
            bool fault = false;
            if (before <= kLastAsciiCodePoint) {
                fault = IsContinuation(byte);
            } else if (before >= kTwoByteLeadTag) {
                fault = length == 0 || byte < range.First || byte > range.Last;
            }
            const bool twoContinuations = IsContinuation(before) && IsContinuation(byte);
            if (((found & kFaultBits) != 0) != fault) return false;
            if (((found & kTwoContinuations) != 0) != twoContinuations) return false;
        }
    }
    return true;
}
// In four parts, each within the compilers' default limits of evaluation steps.
inline constexpr unsigned kQuarter = (kLastByte + 1) / 4;
static_assert(TablesMatchRules(0, kQuarter - 1), "the validation tables follow utf.h");
static_assert(TablesMatchRules(kQuarter, 2 * kQuarter - 1), "the validation tables follow utf.h");
static_assert(TablesMatchRules(2 * kQuarter, 3 * kQuarter - 1),
              "the validation tables follow utf.h");
static_assert(TablesMatchRules(3 * kQuarter, kLastByte), "the validation tables follow utf.h");

}  // namespace utf8_tables
}  // namespace detail
}  // namespace QuendalText

#endif  // QUENDALTEXT_KERNELS_UTF8_TABLES_H
