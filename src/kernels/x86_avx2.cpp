// The AVX2 kernels: sixteen units, thirty-two bytes, at a time.
#include "internal/character_count.h"
#include "internal/kernels.h"
#include "kernels/utf8_tables.h"

#if QUENDALTEXT_X86_KERNELS

#  define QUENDALTEXT_KERNEL_TARGET "avx2,bmi,popcnt"
#  include "kernels/x86_begin.h"

namespace QuendalText {
namespace detail {
namespace {

using Shuffle = std::array<std::uint8_t, 16>;

// For each set of eight 16-bit lanes, the byte shuffle that packs them to the front.
constexpr std::array<Shuffle, 256> MakePackLanes() {
    std::array<Shuffle, 256> shuffles{};
    for (unsigned keep = 0; keep < 256; ++keep) {
        unsigned at = 0;
        for (unsigned lane = 0; lane < 8; ++lane) {
            if ((keep >> lane) & 1) {
                shuffles[keep][at++] = static_cast<std::uint8_t>(2 * lane);
                shuffles[keep][at++] = static_cast<std::uint8_t>(2 * lane + 1);
            }
        }
    }
    return shuffles;
}
// For each set of eight 16-bit lanes with two bytes to write, the shuffle that keeps the first
// byte of every lane and the second of those in the set.
constexpr std::array<Shuffle, 256> MakePackBytes() {
    std::array<Shuffle, 256> shuffles{};
    for (unsigned both = 0; both < 256; ++both) {
        unsigned at = 0;
        for (unsigned lane = 0; lane < 8; ++lane) {
            shuffles[both][at++] = static_cast<std::uint8_t>(2 * lane);
            if ((both >> lane) & 1) shuffles[both][at++] = static_cast<std::uint8_t>(2 * lane + 1);
        }
    }
    return shuffles;
}
alignas(16) constexpr std::array<Shuffle, 256> kPackLanes = MakePackLanes();
alignas(16) constexpr std::array<Shuffle, 256> kPackBytes = MakePackBytes();

struct AVX2 : LevelCommon<AVX2, SimdLevel::AVX2, 16> {
    static constexpr const char* kName = "avx2";
    using V = __m256i;

    static V Load(const void* at) { return _mm256_loadu_si256(static_cast<const V*>(at)); }
    static void Store(void* at, V v) { _mm256_storeu_si256(static_cast<V*>(at), v); }
    static V Splat(std::uint32_t unit) { return _mm256_set1_epi16(static_cast<short>(unit)); }
    static V Or(V a, V b) { return _mm256_or_si256(a, b); }
    // One bit per 16-bit lane that is all ones: packing to bytes leaves units 0-7 in bits 0-7
    // and units 8-15 in bits 16-23 of the byte mask.
    static Mask Bits(V lanes) {
        const auto bytes = static_cast<Mask>(
            _mm256_movemask_epi8(_mm256_packs_epi16(lanes, _mm256_setzero_si256())));
        return (bytes & 0xFFu) | ((bytes >> 8) & 0xFF00u);
    }
    static Mask Equal(V a, V b) { return Bits(_mm256_cmpeq_epi16(a, b)); }
    static Mask Above(V v, std::uint32_t bound) {
        // v > bound exactly when max(v, bound + 1) == v.
        return Bits(_mm256_cmpeq_epi16(_mm256_max_epu16(v, Splat(bound + 1)), v));
    }
    static bool AnyAbove(V v, std::uint32_t bound) {
        return _mm256_testz_si256(v, Splat(~bound)) == 0;
    }
    static Mask Tagged(V v, std::uint32_t mask, std::uint32_t tag) {
        return Equal(_mm256_and_si256(v, Splat(mask)), Splat(tag));
    }
    static V ShiftLetters(V v, std::uint32_t first, std::uint32_t delta) {
        const V offset = _mm256_sub_epi16(v, Splat(first));
        const V letters = _mm256_cmpeq_epi16(_mm256_min_epu16(offset, Splat(u'Z' - u'A')), offset);
        return _mm256_add_epi16(v, _mm256_and_si256(letters, Splat(delta)));
    }

    // Eight 16-bit lanes packed to the front by a byte shuffle: the lanes whose bits are set in
    // `keep`, in order.
    static __m128i PackLanes(__m128i lanes, unsigned keep) {
        const auto* shuffle = reinterpret_cast<const __m128i*>(kPackLanes[keep].data());
        return _mm_shuffle_epi8(lanes, _mm_loadu_si128(shuffle));
    }

    // Writes the kept lanes of each half at `to`, 16 bytes at a time, which stays within the
    // units already read.
    static std::size_t Pack(V v, Mask keep, UTF16Unit* to) {
        const unsigned low = keep & 0xFFu, high = (keep >> 8) & 0xFFu;
        _mm_storeu_si128(reinterpret_cast<__m128i*>(to), PackLanes(_mm256_castsi256_si128(v), low));
        const std::size_t first = BitCount(low);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(to + first),
                         PackLanes(_mm256_extracti128_si256(v, 1), high));
        return first + BitCount(high);
    }

    // ---- UTF-8 to UTF-16, 32 bytes at a time ----

    static V Bytes(std::uint32_t byte) { return _mm256_set1_epi8(static_cast<char>(byte)); }

    // The bytes `kBy` lanes on, zeros coming in, as at the start of a text.
    template <int kBy>
    static V Before(V bytes) {
        const V lowHalfUp = _mm256_permute2x128_si256(bytes, bytes, 0x08);  // zeros, low half
        return _mm256_alignr_epi8(bytes, lowHalfUp, 16 - kBy);
    }

    static V Lookup(const utf8_tables::Table& table, V nibbles) {
        const __m128i lanes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(table.data()));
        return _mm256_shuffle_epi8(_mm256_broadcastsi128_si256(lanes), nibbles);
    }

    static bool HasFault(V bytes, V before1, V before2, V before3) {
        const V lowNibble = Bytes(utf8_tables::kNibbles - 1);
        const auto high = [&](V value) {
            return _mm256_and_si256(_mm256_srli_epi16(value, utf8_tables::kNibbleBits), lowNibble);
        };
        const V found = _mm256_and_si256(
            _mm256_and_si256(Lookup(utf8_tables::kBeforeHigh, high(before1)),
                             Lookup(utf8_tables::kBeforeLow, _mm256_and_si256(before1, lowNibble))),
            Lookup(utf8_tables::kHigh, high(bytes)));
        // Bytes two after a three- or four-byte lead, or three after a four-byte lead, are the
        // continuations that must follow continuations.
        const V late = _mm256_or_si256(_mm256_subs_epu8(before2, Bytes(kThreeByteLeadTag - 1)),
                                       _mm256_subs_epu8(before3, Bytes(kFourByteLeadTag - 1)));
        const V mustFollow = _mm256_and_si256(_mm256_cmpgt_epi8(late, _mm256_setzero_si256()),
                                              Bytes(utf8_tables::kTwoContinuations));
        const V faults = _mm256_or_si256(
            _mm256_and_si256(found, Bytes(utf8_tables::kFaultBits)),
            _mm256_xor_si256(_mm256_and_si256(found, Bytes(utf8_tables::kTwoContinuations)),
                             mustFollow));
        return _mm256_testz_si256(faults, faults) == 0;
    }

    // Lanes whose bytes carry all the bits of `tag`.
    static V Tagged(V bytes, std::uint32_t tag) {
        return _mm256_cmpeq_epi8(_mm256_and_si256(bytes, Bytes(tag)), Bytes(tag));
    }

    static V WidenLanes(V bytes, int half) {
        return _mm256_cvtepi8_epi16(half == 0 ? _mm256_castsi256_si128(bytes)
                                              : _mm256_extracti128_si256(bytes, 1));
    }
    static V WidenBytes(V bytes, int half) {
        return _mm256_cvtepu8_epi16(half == 0 ? _mm256_castsi256_si128(bytes)
                                              : _mm256_extracti128_si256(bytes, 1));
    }

    using Leads = UTF8Leads<std::uint32_t, kBlockBytes>;

    // The validators' check of 32 bytes that are not all ASCII, with the three bytes before them.
    static bool UTF8Check(const unsigned char* in) {
        return !HasFault(Load(in), Load(in - 1), Load(in - 2), Load(in - 3));
    }

    // As the AVX-512 block of ASCII and two-byte sequences only: every continuation must follow
    // a lead of C2 or above, and every lead but one in the last byte be followed by one.
    static BlockDone TwoByteUTF8Block(V bytes, V leadLanes, std::uint32_t nonAscii,
                                      UTF16Unit* out) {
        const auto leads = static_cast<std::uint32_t>(_mm256_movemask_epi8(leadLanes));
        // C0 and C1 are the leads whose bits above the lowest are those of the tag.
        const auto overlong = static_cast<std::uint32_t>(_mm256_movemask_epi8(
            _mm256_cmpeq_epi8(_mm256_and_si256(bytes, Bytes(~1u)), Bytes(kTwoByteLeadTag))));
        const std::uint32_t continuations = nonAscii & ~leads;
        if (overlong != 0 || continuations != (leads << 1)) return {0, 0, 0};
        const V before1 = Before<1>(bytes);
        const V continuationLanes = _mm256_andnot_si256(
            leadLanes, _mm256_cmpgt_epi8(_mm256_setzero_si256(), bytes));  // top bit set
        const V payload = Splat(kContinuationPayload);
        const V leadPayload = Splat(kTwoByteLeadPayload);
        std::size_t written = 0;
        for (int half = 0; half < 2; ++half) {
            const V c0 = WidenBytes(bytes, half), c1 = WidenBytes(before1, half);
            const V two = _mm256_or_si256(
                _mm256_slli_epi16(_mm256_and_si256(c1, leadPayload), kContinuationPayloadBits),
                _mm256_and_si256(c0, payload));
            const V units = _mm256_blendv_epi8(c0, two, WidenLanes(continuationLanes, half));
            written += Pack(units, (~leads >> (16 * half)) & 0xFFFFu, out + written);
        }
        const std::size_t end = kBlockBytes - (leads >> (kBlockBytes - 1));
        return {end, written, written};
    }

    // As the AVX-512 block: each byte that ends a sequence gives the unit of its character (the
    // third byte of a four-byte one the high surrogate), packed eight lanes at a time.
    static BlockDone UTF8Block(const unsigned char* in, UTF16Unit* out) {
        const V bytes = Load(in);
        const auto nonAscii = static_cast<std::uint32_t>(_mm256_movemask_epi8(bytes));
        if (nonAscii == 0) {
            Store(out, _mm256_cvtepu8_epi16(_mm256_castsi256_si128(bytes)));
            Store(out + kUnits, _mm256_cvtepu8_epi16(_mm256_extracti128_si256(bytes, 1)));
            return {kBlockBytes, kBlockBytes, kBlockBytes};
        }
        const V leadLanes = Tagged(bytes, kTwoByteLeadTag);
        const V lead3Lanes = Tagged(bytes, kThreeByteLeadTag);
        if (_mm256_testz_si256(lead3Lanes, lead3Lanes) != 0)
            return TwoByteUTF8Block(bytes, leadLanes, nonAscii, out);
        const V before1 = Before<1>(bytes), before2 = Before<2>(bytes);
        if (HasFault(bytes, before1, before2, Before<3>(bytes))) return {0, 0, 0};
        const V lead4Lanes = Tagged(bytes, kFourByteLeadTag);
        const auto leads = static_cast<std::uint32_t>(_mm256_movemask_epi8(leadLanes));
        const auto lead3 = static_cast<std::uint32_t>(_mm256_movemask_epi8(lead3Lanes));
        const auto lead4 = static_cast<std::uint32_t>(_mm256_movemask_epi8(lead4Lanes));
        const Leads found{nonAscii, leads, lead3, lead4};
        const std::size_t end = found.End();
        const std::uint32_t taken = Leads::Taken(end);
        const std::uint32_t emitted = (~nonAscii | ((leads & ~lead3) << 1) |
                                       ((lead3 & ~lead4) << 2) | (lead4 << 2) | (lead4 << 3)) &
                                      taken;
        const V ends3 = Before<2>(_mm256_andnot_si256(lead4Lanes, lead3Lanes));
        const V thirds4 = Before<2>(lead4Lanes), ends4 = Before<3>(lead4Lanes);
        const V asciiLanes =
            _mm256_cmpgt_epi8(bytes, Bytes(0xFF));  // set where the top bit is clear
        std::size_t written = 0;
        for (int half = 0; half < 2; ++half) {
            const V c0 = WidenBytes(bytes, half), c1 = WidenBytes(before1, half),
                    c2 = WidenBytes(before2, half);
            const V payload = Splat(kContinuationPayload);
            const V base = _mm256_or_si256(
                _mm256_slli_epi16(_mm256_and_si256(c1, payload), kContinuationPayloadBits),
                _mm256_and_si256(c0, payload));
            V units = _mm256_blendv_epi8(
                base, _mm256_or_si256(base, _mm256_slli_epi16(c2, 2 * kContinuationPayloadBits)),
                WidenLanes(ends3, half));
            units = _mm256_blendv_epi8(units, c0, WidenLanes(asciiLanes, half));
            if (lead4 != 0) {
                units = _mm256_blendv_epi8(
                    units,
                    _mm256_or_si256(_mm256_and_si256(base, Splat(kPairHalfPayload)),
                                    Splat(kLowSurrogateFirst)),
                    WidenLanes(ends4, half));
                const V top = _mm256_or_si256(
                    _mm256_slli_epi16(_mm256_and_si256(c2, Splat(kFourByteLeadPayload)),
                                      3 * kContinuationPayloadBits - kPairHalfBits),
                    _mm256_srli_epi16(base, kPairHalfBits - kContinuationPayloadBits));
                units = _mm256_blendv_epi8(units, _mm256_add_epi16(top, Splat(kHighSurrogateBase)),
                                           WidenLanes(thirds4, half));
            }
            written += Pack(units, (emitted >> (16 * half)) & 0xFFFFu, out + written);
        }
        return {end, written, BitCount(found.Starts() & taken)};
    }

    // ---- UTF-16 to UTF-8, 16 units at a time ----

    // Copies `count` bytes, at most 64, with fixed-size copies that overlap instead of a loop.
    static void CopyExactly(char* to, const char* from, std::size_t count) {
        const auto copy = [&](std::size_t width) {
            std::memcpy(to, from, width);
            std::memcpy(to + count - width, from + count - width, width);
        };
        if (count >= 32) {
            copy(32);
        } else if (count >= 16) {
            copy(16);
        } else if (count >= 8) {
            copy(8);
        } else if (count >= 4) {
            copy(4);
        } else if (count >= 2) {
            copy(2);
        } else if (count == 1) {
            to[0] = from[0];
        }
    }

    static V Words(std::uint32_t value) { return _mm256_set1_epi32(static_cast<int>(value)); }

    // A continuation byte of the payload bits of `value` from `kShift` on.
    template <int kShift>
    static V Continuation(V value) {
        return _mm256_or_si256(
            Words(kContinuationTag),
            _mm256_and_si256(_mm256_srli_epi32(value, kShift), Words(kContinuationPayload)));
    }
    // A pair's code point above its low ten bits, from the high half.
    static V AbovePairPayload(V high) {
        return _mm256_add_epi32(_mm256_and_si256(high, Words(kPairHalfPayload)),
                                Words(kFirstSupplementary >> kPairHalfBits));
    }
    // Lanes of 32 bits whose unit lies in [first, last].
    static V Within(V units, std::uint32_t first, std::uint32_t last) {
        return _mm256_and_si256(_mm256_cmpgt_epi32(units, Words(first - 1)),
                                _mm256_cmpgt_epi32(Words(last + 1), units));
    }

    static V WidenUnits(V units, int half) {
        return _mm256_cvtepu16_epi32(half == 0 ? _mm256_castsi256_si128(units)
                                               : _mm256_extracti128_si256(units, 1));
    }

    // Eight units, widened to 32 bits with the unit before each, as their UTF-8 bytes in the low
    // bytes of each lane, and the number of bytes of each lane.
    static V EncodeUTF8(V units, V before, V& lengths) {
        const V two = Within(units, kLastAsciiCodePoint + 1, kLastTwoByteCodePoint);
        const V highs = Within(units, kHighSurrogateFirst, kHighSurrogateLast);
        const V lows = Within(units, kLowSurrogateFirst, kLowSurrogateLast);
        const V three = _mm256_andnot_si256(
            _mm256_or_si256(highs, lows), _mm256_cmpgt_epi32(units, Words(kLastTwoByteCodePoint)));
        const V last = Continuation<0>(units);
        const V asTwo =
            _mm256_or_si256(_mm256_or_si256(Words(kTwoByteLeadTag),
                                            _mm256_srli_epi32(units, kContinuationPayloadBits)),
                            _mm256_slli_epi32(last, 8));
        const V asThree = _mm256_or_si256(
            _mm256_or_si256(Words(kThreeByteLeadTag),
                            _mm256_srli_epi32(units, 2 * kContinuationPayloadBits)),
            _mm256_or_si256(_mm256_slli_epi32(Continuation<kContinuationPayloadBits>(units), 8),
                            _mm256_slli_epi32(last, 16)));
        const V fromHigh = AbovePairPayload(units);
        const V asHigh = _mm256_or_si256(
            _mm256_or_si256(
                Words(kFourByteLeadTag),
                _mm256_srli_epi32(fromHigh, 3 * kContinuationPayloadBits - kPairHalfBits)),
            _mm256_slli_epi32(Continuation<2 * kContinuationPayloadBits - kPairHalfBits>(fromHigh),
                              8));
        const V codePoint =
            _mm256_or_si256(_mm256_slli_epi32(AbovePairPayload(before), kPairHalfBits),
                            _mm256_and_si256(units, Words(kPairHalfPayload)));
        const V asLow = _mm256_or_si256(Continuation<kContinuationPayloadBits>(codePoint),
                                        _mm256_slli_epi32(last, 8));
        V encoded = _mm256_blendv_epi8(units, asTwo, two);
        encoded = _mm256_blendv_epi8(encoded, asThree, three);
        encoded = _mm256_blendv_epi8(encoded, asHigh, highs);
        encoded = _mm256_blendv_epi8(encoded, asLow, lows);
        // One byte, one more for two bytes or a pair half, two more for three bytes.
        lengths = _mm256_sub_epi32(
            _mm256_sub_epi32(Words(1), _mm256_or_si256(_mm256_or_si256(two, highs), lows)),
            _mm256_add_epi32(three, three));
        return encoded;
    }

    // Any well-formed block: each unit's bytes (a pair's four split between its halves) are
    // written four at a time to a staging buffer, each after the last, then copied exactly.
    static BlockDone WideUTF16Block(const UTF16Unit* units, V v, char* out, std::size_t room) {
        const Mask highs = Highs(v), lows = Lows(v);
        const Mask nextLow = IsLowSurrogate(units[kBlockUnits]) ? 1u : 0u;
        if ((lows & ~(highs << 1)) != 0 || (highs & ~((lows >> 1) | (nextLow << 15))) != 0) {
            return {0, 0, 0};  // an unpaired surrogate
        }
        // A pair across the block's end is left to the next block.
        const std::size_t taken = (highs >> 15) != 0 ? kBlockUnits - 1 : kBlockUnits;
        // Each lane's unit before it (a zero before the first, which is never a low surrogate).
        const V before = _mm256_alignr_epi8(v, _mm256_permute2x128_si256(v, v, 0x08), 14);
        alignas(32) std::uint32_t encoded[kBlockUnits];
        alignas(32) std::uint32_t lengths[kBlockUnits];
        for (int half = 0; half < 2; ++half) {
            V counts;
            Store(encoded + 8 * half,
                  EncodeUTF8(WidenUnits(v, half), WidenUnits(before, half), counts));
            Store(lengths + 8 * half, counts);
        }
        char staged[3 * kBlockUnits + 4];
        std::size_t written = 0;
        for (std::size_t j = 0; j < taken; ++j) {
            std::memcpy(staged + written, &encoded[j], 4);
            written += lengths[j];
        }
        if (written > room) return {0, 0, 0};
        CopyExactly(out, staged, written);
        return {taken, written, taken - BitCount(lows & ((1u << taken) - 1))};
    }

    static BlockDone UTF16Block(const UTF16Unit* units, char* out, std::size_t room) {
        const V v = Load(units);
        if (!AnyAbove(v, kLastAsciiCodePoint)) {
            if (room < kBlockUnits) return {0, 0, 0};
            const __m128i narrow =
                _mm_packus_epi16(_mm256_castsi256_si128(v), _mm256_extracti128_si256(v, 1));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out), narrow);
            return {kBlockUnits, kBlockUnits, kBlockUnits};
        }
        if (AnyAbove(v, kLastTwoByteCodePoint)) return WideUTF16Block(units, v, out, room);
        // Units below U+0800 only: two bytes a 16-bit lane, the second dropped for ASCII.
        const Mask ascii = ~Above(v, kLastAsciiCodePoint) & 0xFFFFu;
        const V two = _mm256_or_si256(
            _mm256_or_si256(Splat(kTwoByteLeadTag), _mm256_srli_epi16(v, kContinuationPayloadBits)),
            _mm256_slli_epi16(_mm256_or_si256(Splat(kContinuationTag),
                                              _mm256_and_si256(v, Splat(kContinuationPayload))),
                              8));
        const V asciiLanes = _mm256_cmpeq_epi16(_mm256_min_epu16(v, Splat(kLastAsciiCodePoint)), v);
        const V encoded = _mm256_blendv_epi8(two, v, asciiLanes);
        alignas(32) char staged[2 * kBlockUnits];
        std::size_t written = 0;
        for (int half = 0; half < 2; ++half) {
            const unsigned nonAscii = ~(ascii >> (8 * half)) & 0xFFu;
            const __m128i lanes =
                half == 0 ? _mm256_castsi256_si128(encoded) : _mm256_extracti128_si256(encoded, 1);
            const auto* shuffle = reinterpret_cast<const __m128i*>(kPackBytes[nonAscii].data());
            _mm_storeu_si128(reinterpret_cast<__m128i*>(staged + written),
                             _mm_shuffle_epi8(lanes, _mm_loadu_si128(shuffle)));
            written += 8 + BitCount(nonAscii);
        }
        if (written > room) return {0, 0, 0};
        CopyExactly(out, staged, written);
        return {kBlockUnits, written, kBlockUnits};
    }
};

}  // namespace

extern const Kernels kAVX2Kernels = MakeKernels<AVX2>();

}  // namespace detail
}  // namespace QuendalText

#  include "kernels/x86_end.h"

#endif  // QUENDALTEXT_X86_KERNELS
