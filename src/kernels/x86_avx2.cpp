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

// For each of 256 indexes, the byte shuffle that packs to the front the first
// length(index, lane) bytes of each of kLanes lanes of kWidth bytes, in order, zeros after them.
template <unsigned kLanes, unsigned kWidth, class Length>
constexpr std::array<Shuffle, 256> MakePacking(Length length) {
    std::array<Shuffle, 256> shuffles{};
    for (unsigned index = 0; index < 256; ++index) {
        unsigned at = 0;
        for (unsigned lane = 0; lane < kLanes; ++lane) {
            for (unsigned byte = 0; byte < length(index, lane); ++byte) {
                shuffles[index][at++] = static_cast<std::uint8_t>(kWidth * lane + byte);
            }
        }
        while (at < 16) shuffles[index][at++] = 0x80;  // a zero byte
    }
    return shuffles;
}
// The eight 16-bit lanes whose bits are set in the index.
alignas(16) constexpr std::array<Shuffle, 256> kPackLanes =
    MakePacking<8, 2>([](unsigned keep, unsigned lane) { return 2 * ((keep >> lane) & 1); });
// Eight 16-bit lanes of UTF-8: the first byte of each, the second of those set in the index.
alignas(16) constexpr std::array<Shuffle, 256> kPackBytes =
    MakePacking<8, 2>([](unsigned both, unsigned lane) { return 1 + ((both >> lane) & 1); });
// Four 32-bit lanes of one to three UTF-8 bytes: lane j's bits 2j and 2j + 1 of the index are
// those of LengthBits, both set for one byte, the upper alone for two, neither for three.
alignas(16) constexpr std::array<Shuffle, 256> kPackEncoded = MakePacking<4, 4>([](unsigned index,
                                                                                   unsigned lane) {
    return 3 - ((index >> (2 * lane)) & 1) - ((index >> (2 * lane + 1)) & 1);
});

struct AVX2 : LevelCommon<AVX2, SimdLevel::AVX2, 16> {
    static constexpr const char* kName = "avx2";
    using V = __m256i;

    static V Load(const void* at) { return _mm256_loadu_si256(static_cast<const V*>(at)); }
    static void Store(void* at, V v) { _mm256_storeu_si256(static_cast<V*>(at), v); }
    static V Splat(std::uint32_t unit) { return _mm256_set1_epi16(static_cast<short>(unit)); }
    static V Or(V a, V b) { return _mm256_or_si256(a, b); }
    static V Sub(V a, V b) { return _mm256_sub_epi16(a, b); }
    static V SubSaturated(V a, V b) { return _mm256_subs_epu16(a, b); }
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
        return Bits(TaggedUnits(v, mask, tag));
    }
    // All ones in the 16-bit lanes whose bits under `mask` are `tag`.
    static V TaggedUnits(V v, std::uint32_t mask, std::uint32_t tag) {
        return _mm256_cmpeq_epi16(_mm256_and_si256(v, Splat(mask)), Splat(tag));
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

    // The sum of the sixteen signed 16-bit lanes.
    static int SumLanes(V v) {
        const V pairs = _mm256_madd_epi16(v, _mm256_set1_epi16(1));
        __m128i sums =
            _mm_add_epi32(_mm256_castsi256_si128(pairs), _mm256_extracti128_si256(pairs, 1));
        sums = _mm_add_epi32(sums, _mm_shuffle_epi32(sums, 0x4E));
        sums = _mm_add_epi32(sums, _mm_shuffle_epi32(sums, 0xB1));
        return _mm_cvtsi128_si32(sums);
    }

    // Well-formed text counts every unit but the low surrogates. From a unit that begins a
    // character, the count rule over stretches of kPairedStretch units (copied to `to` with
    // `kCopy`) while each is well-formed, told by a second load one unit on that each high
    // surrogate is followed by a low one and each low one preceded by a high one; answers the
    // units taken, which end where a character begins. A stretch that is not well-formed is
    // left to the caller: short stretches keep what it reads twice small.
    static constexpr bool kPairedCounts = true;
    static constexpr std::size_t kPairedStretch = 16 * kUnits;
    template <bool kCopy>
    static std::size_t CountPaired(const UTF16Unit* units, std::size_t size, UTF16Unit* to,
                                   int& running) {
        constexpr std::size_t kGroup = 4 * kUnits;
        if (size == 0 || IsLowSurrogate(units[0])) return 0;
        const V zero = _mm256_setzero_si256();
        std::size_t i = 0;
        while (size - i > kPairedStretch) {
            const std::size_t start = i;
            V lows = zero, unpaired = zero;
            for (; i - start < kPairedStretch; i += kGroup) {
                V vs[4];
                V surrogates = zero;
                for (std::size_t k = 0; k < 4; ++k) {
                    vs[k] = Load(units + i + k * kUnits);
                    if constexpr (kCopy) Store(to + i + k * kUnits, vs[k]);
                    surrogates = _mm256_or_si256(surrogates,
                                                 TaggedUnits(vs[k], kSurrogateMask, kSurrogateTag));
                }
                // A group without surrogates needs no check (a high surrogate before it was
                // checked against its first unit); one with them checks its first unit against
                // the unit before, which a group without surrogates did not.
                if (_mm256_testz_si256(surrogates, surrogates) != 0) continue;
                if (i > 0 && IsLowSurrogate(units[i]) && !IsHighSurrogate(units[i - 1])) {
                    unpaired = _mm256_cmpeq_epi16(zero, zero);
                }
                for (std::size_t k = 0; k < 4; ++k) {
                    const V after = Load(units + i + k * kUnits + 1);
                    lows = _mm256_sub_epi16(
                        lows, TaggedUnits(vs[k], kSurrogateHalfMask, kLowSurrogateFirst));
                    unpaired = _mm256_or_si256(
                        unpaired, _mm256_xor_si256(
                                      TaggedUnits(vs[k], kSurrogateHalfMask, kHighSurrogateFirst),
                                      TaggedUnits(after, kSurrogateHalfMask, kLowSurrogateFirst)));
                }
            }
            if (_mm256_testz_si256(unpaired, unpaired) == 0) {
                i = start;
                break;
            }
            running += static_cast<int>(kPairedStretch) - SumLanes(lows);
        }
        // A pair across the last stretch's end takes its low half along.
        if (i > 0 && IsHighSurrogate(units[i - 1])) {
            if constexpr (kCopy) to[i] = units[i];
            ++i;
        }
        return i;
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

    // The validators' check of 32 bytes, with the three bytes before them.
    static constexpr bool kChecksAnyBlock = true;
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

    // A block without four-byte sequences: each byte that ends a sequence gives its unit's two
    // bytes, worked out in byte lanes, 32 at once, from it and the two bytes before it; the two
    // are interleaved to units and packed eight lanes at a time. `done` holds the block's end
    // and characters.
    static BlockDone ThreeByteUTF8Block(V bytes, V before1, V before2, V asciiLanes,
                                        std::uint32_t emitted, BlockDone done, UTF16Unit* out) {
        // The low byte: the last byte's payload and the two lowest payload bits of the one before.
        constexpr std::uint32_t kFromBefore = 0xFFu << kContinuationPayloadBits & 0xFFu;
        // The high byte: the payload bits above those of the byte before (the three a two-byte
        // lead holds, its fourth bit being clear), and a three-byte lead's four below them.
        constexpr std::uint32_t kAboveLowByte = 0xFFu >> (8 - 4);
        constexpr std::uint32_t kLeadBits = kAboveLowByte << 4;
        constexpr int kIntoHighByte = 8 - kContinuationPayloadBits;
        const V low = _mm256_blendv_epi8(
            _mm256_or_si256(_mm256_and_si256(bytes, Bytes(kContinuationPayload)),
                            _mm256_and_si256(_mm256_slli_epi16(before1, kContinuationPayloadBits),
                                             Bytes(kFromBefore))),
            bytes, asciiLanes);
        const V threeByteEnds = Tagged(before2, kThreeByteLeadTag);
        const V high = _mm256_andnot_si256(
            asciiLanes,
            _mm256_or_si256(
                _mm256_and_si256(_mm256_srli_epi16(before1, kIntoHighByte), Bytes(kAboveLowByte)),
                _mm256_and_si256(threeByteEnds, _mm256_and_si256(_mm256_slli_epi16(before2, 4),
                                                                 Bytes(kLeadBits)))));
        // Each 128-bit half interleaves its own bytes: 0-7 and 16-23, then 8-15 and 24-31.
        const V first = _mm256_unpacklo_epi8(low, high), second = _mm256_unpackhi_epi8(low, high);
        const __m128i eighths[4] = {_mm256_castsi256_si128(first), _mm256_castsi256_si128(second),
                                    _mm256_extracti128_si256(first, 1),
                                    _mm256_extracti128_si256(second, 1)};
        for (int eighth = 0; eighth < 4; ++eighth) {
            const unsigned keep = (emitted >> (8 * eighth)) & 0xFFu;
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + done.Written),
                             PackLanes(eighths[eighth], keep));
            done.Written += BitCount(keep);
        }
        return done;
    }

    // The leads of a block of three-byte sequences only that begins with one: ten whole ones and
    // the lead of an eleventh.
    static constexpr std::uint32_t kLeadEveryThird = 0x49249249u;

    // CJK text's usual block, checked and found to be ten three-byte sequences from its first
    // byte: each 128-bit half takes five of them (bytes 0-14 and 15-29), one shuffle puts each
    // lead beside its second byte and another each third byte alone in a 16-bit lane, and the
    // units are put together from those; each half is stored whole, the second over the first
    // one's spare lanes, up to three units past the ten.
    static BlockDone TenThreeByteUnits(const unsigned char* in, UTF16Unit* out) {
        constexpr std::size_t kHalfBytes = 15, kHalfUnits = 5;
        constexpr char kNone = static_cast<char>(0x80);
        // Lane k's low byte is the second byte of sequence k, its high byte the lead.
        const V leadAndSecond = _mm256_setr_epi8(
            1, 0, 4, 3, 7, 6, 10, 9, 13, 12, kNone, kNone, kNone, kNone, kNone, kNone,  //
            1, 0, 4, 3, 7, 6, 10, 9, 13, 12, kNone, kNone, kNone, kNone, kNone, kNone);
        const V third = _mm256_setr_epi8(2, kNone, 5, kNone, 8, kNone, 11, kNone, 14, kNone, kNone,
                                         kNone, kNone, kNone, kNone,
                                         kNone,  //
                                         2, kNone, 5, kNone, 8, kNone, 11, kNone, 14, kNone, kNone,
                                         kNone, kNone, kNone, kNone, kNone);
        const V halves = _mm256_loadu2_m128i(reinterpret_cast<const __m128i*>(in + kHalfBytes),
                                             reinterpret_cast<const __m128i*>(in));
        const V first = _mm256_shuffle_epi8(halves, leadAndSecond);
        const V last = _mm256_shuffle_epi8(halves, third);
        // The lead's payload lands on bits 12-15, the second byte's on bits 6-11.
        const V units = _mm256_or_si256(
            _mm256_or_si256(
                _mm256_slli_epi16(_mm256_and_si256(first, Splat(kThreeByteLeadPayload << 8)), 4),
                _mm256_slli_epi16(_mm256_and_si256(first, Splat(kContinuationPayload)),
                                  kContinuationPayloadBits)),
            _mm256_and_si256(last, Splat(kContinuationPayload)));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm256_castsi256_si128(units));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + kHalfUnits),
                         _mm256_extracti128_si256(units, 1));
        return {2 * kHalfBytes, 2 * kHalfUnits, 2 * kHalfUnits};
    }

    // Widens 32 ASCII bytes to units at `out`.
    static void WidenAscii(V bytes, UTF16Unit* out) {
        Store(out, _mm256_cvtepu8_epi16(_mm256_castsi256_si128(bytes)));
        Store(out + kUnits, _mm256_cvtepu8_epi16(_mm256_extracti128_si256(bytes, 1)));
    }

    // An ASCII block goes on over the ASCII blocks after it, two at a time: a call per block
    // would cost more than the block's own work. Any other block, as the AVX-512 block: each
    // byte that ends a sequence gives the unit of its character (the third byte of a four-byte
    // one the high surrogate), packed eight lanes at a time.
    static BlockDone UTF8Block(const unsigned char* in, std::size_t available, UTF16Unit* out) {
        const V bytes = Load(in);
        const auto nonAscii = static_cast<std::uint32_t>(_mm256_movemask_epi8(bytes));
        if (nonAscii == 0) {
            WidenAscii(bytes, out);
            std::size_t done = kBlockBytes;
            while (available - done >= 2 * kBlockBytes) {
                const V first = Load(in + done), second = Load(in + done + kBlockBytes);
                if (_mm256_movemask_epi8(_mm256_or_si256(first, second)) != 0) break;
                WidenAscii(first, out + done);
                WidenAscii(second, out + done + kBlockBytes);
                done += 2 * kBlockBytes;
            }
            return {done, done, done};
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
        // As found.End(), without branches, which text of three-byte characters would miss a
        // third of the time: in a block without faults, at most one of the sequences that the
        // last three bytes may leave open is there.
        const std::size_t end = kBlockBytes - (leads >> (kBlockBytes - 1)) -
                                2 * ((lead3 >> (kBlockBytes - 2)) & 1u) -
                                3 * ((lead4 >> (kBlockBytes - 3)) & 1u);
        const auto taken = static_cast<std::uint32_t>((std::uint64_t{1} << end) - 1);
        const std::uint32_t emitted = (~nonAscii | ((leads & ~lead3) << 1) |
                                       ((lead3 & ~lead4) << 2) | (lead4 << 2) | (lead4 << 3)) &
                                      taken;
        if (leads == kLeadEveryThird && lead3 == kLeadEveryThird && lead4 == 0 && nonAscii == ~0u)
            return TenThreeByteUnits(in, out);
        const V asciiLanes =
            _mm256_cmpgt_epi8(bytes, Bytes(0xFF));  // set where the top bit is clear
        if (lead4 == 0)
            return ThreeByteUTF8Block(bytes, before1, before2, asciiLanes, emitted,
                                      {end, 0, BitCount(found.Starts() & taken)}, out);
        const V ends3 = Before<2>(_mm256_andnot_si256(lead4Lanes, lead3Lanes));
        const V thirds4 = Before<2>(lead4Lanes), ends4 = Before<3>(lead4Lanes);
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
    // bytes of each lane (a pair's first two bytes with its high half, the last two with its low).
    static V EncodeUTF8(V units, V before) {
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
        return encoded;
    }

    // Two bits a unit, in the order of the units, for the table of kPackEncoded: the lower set
    // for a unit of one byte (lanes of `one` all ones), the upper for one of at most two (of
    // `two`; a pair half writes two).
    static std::uint32_t LengthBits(V one, V two) {
        return (static_cast<std::uint32_t>(_mm256_movemask_epi8(one)) & 0x55555555u) |
               (static_cast<std::uint32_t>(_mm256_movemask_epi8(two)) & 0xAAAAAAAAu);
    }
    static std::uint32_t LengthBits(V v) {
        const V zero = _mm256_setzero_si256();
        const V one = _mm256_cmpeq_epi16(_mm256_and_si256(v, Splat(~kLastAsciiCodePoint)), zero);
        const V two = _mm256_or_si256(
            _mm256_cmpeq_epi16(_mm256_and_si256(v, Splat(~kLastTwoByteCodePoint)), zero),
            _mm256_cmpeq_epi16(_mm256_and_si256(v, Splat(kSurrogateMask)), Splat(kSurrogateTag)));
        return LengthBits(one, two);
    }

    // Packs four quarters of four units, each unit's bytes in a 32-bit lane, to `to` by 16-byte
    // stores, each of which may write up to 12 bytes past its own.
    static void PackQuarters(const __m128i (&quarters)[4], std::uint32_t lengthBits, char* to) {
        std::size_t written = 0;
        for (int quarter = 0; quarter < 4; ++quarter) {
            const unsigned index = (lengthBits >> (8 * quarter)) & 0xFFu;
            const auto* shuffle = reinterpret_cast<const __m128i*>(kPackEncoded[index].data());
            _mm_storeu_si128(reinterpret_cast<__m128i*>(to + written),
                             _mm_shuffle_epi8(quarters[quarter], _mm_loadu_si128(shuffle)));
            written += 12 - BitCount(index);
        }
    }

    // Writes a block's quarters at `out`: straight there when `over` (the next block is sure to
    // write over what the stores leave past the output), else through a staging buffer and an
    // exact copy, whose loads wait for the stores to reach it.
    static std::size_t WriteQuarters(const __m128i (&quarters)[4], std::uint32_t lengthBits,
                                     std::size_t written, char* out, bool over) {
        if (over) {
            PackQuarters(quarters, lengthBits, out);
            return written;
        }
        char staged[4 * 16];
        PackQuarters(quarters, lengthBits, staged);
        CopyExactly(out, staged, written);
        return written;
    }

    // Units below U+0800 or without surrogates, in 16-bit lanes: each unit's first two bytes in
    // one vector, its third in another, interleaved to four bytes a unit.
    // Answers the bytes written, 0 when they do not fit `room`.
    static std::size_t BmpUTF16Block(V v, char* out, std::size_t room, bool over) {
        const V zero = _mm256_setzero_si256();
        const V small =
            _mm256_cmpeq_epi16(_mm256_and_si256(v, Splat(~kLastTwoByteCodePoint)), zero);
        const V last = _mm256_or_si256(Splat(kContinuationTag),
                                       _mm256_and_si256(v, Splat(kContinuationPayload)));
        const V middle =
            _mm256_or_si256(Splat(kContinuationTag),
                            _mm256_and_si256(_mm256_srli_epi16(v, kContinuationPayloadBits),
                                             Splat(kContinuationPayload)));
        const V asThree =
            _mm256_or_si256(_mm256_or_si256(Splat(kThreeByteLeadTag),
                                            _mm256_srli_epi16(v, 2 * kContinuationPayloadBits)),
                            _mm256_slli_epi16(middle, 8));
        if (_mm256_testz_si256(small, small) != 0) {
            // CJK text's usual block: three bytes each, packed the same way every time.
            if (3 * kBlockUnits > room) return 0;
            __m128i quarters[4];
            Quarters(asThree, last, quarters);
            return WriteQuarters(quarters, 0, 3 * kBlockUnits, out, over);
        }
        const V ascii = _mm256_cmpeq_epi16(_mm256_and_si256(v, Splat(~kLastAsciiCodePoint)), zero);
        const std::uint32_t lengthBits = LengthBits(ascii, small);
        const std::size_t written = 3 * kBlockUnits - BitCount(lengthBits);
        if (written > room) return 0;
        const V asTwo = _mm256_or_si256(
            _mm256_or_si256(Splat(kTwoByteLeadTag), _mm256_srli_epi16(v, kContinuationPayloadBits)),
            _mm256_slli_epi16(last, 8));
        const V firstTwo = _mm256_blendv_epi8(_mm256_blendv_epi8(asThree, asTwo, small), v, ascii);
        __m128i quarters[4];
        Quarters(firstTwo, last, quarters);
        return WriteQuarters(quarters, lengthBits, written, out, over);
    }

    // The four quarters of a block whose units' first two bytes are in the 16-bit lanes of
    // `firstTwo` and their third in those of `third`, interleaved to four bytes a unit. Each
    // 128-bit half interleaves its own lanes: units 0-3 and 8-11, then 4-7 and 12-15.
    static void Quarters(V firstTwo, V third, __m128i (&quarters)[4]) {
        const V low = _mm256_unpacklo_epi16(firstTwo, third);
        const V high = _mm256_unpackhi_epi16(firstTwo, third);
        quarters[0] = _mm256_castsi256_si128(low);
        quarters[1] = _mm256_castsi256_si128(high);
        quarters[2] = _mm256_extracti128_si256(low, 1);
        quarters[3] = _mm256_extracti128_si256(high, 1);
    }

    // A pair's code point above its low ten bits, from its high half, in 16-bit lanes.
    static V PairTop(V high) {
        return _mm256_add_epi16(_mm256_and_si256(high, Splat(kPairHalfPayload)),
                                Splat(kFirstSupplementary >> kPairHalfBits));
    }

    // Writes 16 lanes of one byte, or two where `both` has the lane's bit, packed eight lanes at
    // a time by a byte shuffle, straight to `out` or through a staging copy (see WriteQuarters).
    static void WriteLanes(V encoded, Mask both, std::size_t written, char* out, bool over) {
        char staged[2 * 16];
        char* to = over ? out : staged;
        std::size_t at = 0;
        for (int half = 0; half < 2; ++half) {
            const unsigned lanes = (both >> (8 * half)) & 0xFFu;
            const __m128i eight =
                half == 0 ? _mm256_castsi256_si128(encoded) : _mm256_extracti128_si256(encoded, 1);
            const auto* shuffle = reinterpret_cast<const __m128i*>(kPackBytes[lanes].data());
            _mm_storeu_si128(reinterpret_cast<__m128i*>(to + at),
                             _mm_shuffle_epi8(eight, _mm_loadu_si128(shuffle)));
            at += 8 + BitCount(lanes);
        }
        if (!over) CopyExactly(out, staged, written);
    }

    // Units below U+0800: one or two bytes a 16-bit lane. Answers the bytes written, 0 when
    // they do not fit `room`.
    static std::size_t TwoByteUTF16Block(V v, char* out, std::size_t room, bool over) {
        const Mask both = Above(v, kLastAsciiCodePoint);
        const std::size_t written = kBlockUnits + BitCount(both);
        if (written > room) return 0;
        const V last = _mm256_or_si256(Splat(kContinuationTag),
                                       _mm256_and_si256(v, Splat(kContinuationPayload)));
        const V asTwo = _mm256_or_si256(
            _mm256_or_si256(Splat(kTwoByteLeadTag), _mm256_srli_epi16(v, kContinuationPayloadBits)),
            _mm256_slli_epi16(last, 8));
        const V encoded = _mm256_blendv_epi8(
            asTwo, v, _mm256_cmpeq_epi16(_mm256_min_epu16(v, Splat(kLastAsciiCodePoint)), v));
        WriteLanes(encoded, both, written, out, over);
        return written;
    }

    // A well-formed block whose units but the pairs are below U+0800 (emoji in text): one or two
    // bytes a 16-bit lane, a high surrogate's lane giving the first two of its pair's four bytes
    // and the low one's the last two, packed eight lanes at a time by a byte shuffle.
    static BlockDone PairsUTF16Block(V v, Mask lows, bool cut, char* out, std::size_t room,
                                     bool over) {
        const Mask ascii = ~Above(v, kLastAsciiCodePoint) & 0xFFFFu;
        const std::size_t written = 2 * kBlockUnits - BitCount(ascii) - (cut ? 2 : 0);
        if (written > room) return {0, 0, 0};
        const std::size_t taken = cut ? kBlockUnits - 1 : kBlockUnits;
        // Each lane's unit before it (a zero before the first, which is never a low surrogate).
        const V before = _mm256_alignr_epi8(v, _mm256_permute2x128_si256(v, v, 0x08), 14);
        const V last = _mm256_or_si256(Splat(kContinuationTag),
                                       _mm256_and_si256(v, Splat(kContinuationPayload)));
        const V asTwo = _mm256_or_si256(
            _mm256_or_si256(Splat(kTwoByteLeadTag), _mm256_srli_epi16(v, kContinuationPayloadBits)),
            _mm256_slli_epi16(last, 8));
        const V top = PairTop(v);
        const V asHigh = _mm256_or_si256(
            _mm256_or_si256(Splat(kFourByteLeadTag),
                            _mm256_srli_epi16(top, 3 * kContinuationPayloadBits - kPairHalfBits)),
            _mm256_slli_epi16(
                _mm256_or_si256(
                    Splat(kContinuationTag),
                    _mm256_and_si256(
                        _mm256_srli_epi16(top, 2 * kContinuationPayloadBits - kPairHalfBits),
                        Splat(kContinuationPayload))),
                8));
        // The third byte: the two lowest bits of the part above, then the low half's top four.
        constexpr std::uint32_t kTopBits =
            (1u << (2 * kContinuationPayloadBits - kPairHalfBits)) - 1;
        constexpr int kLowTop = kPairHalfBits - kContinuationPayloadBits;
        const V asLow = _mm256_or_si256(
            _mm256_or_si256(
                Splat(kContinuationTag),
                _mm256_or_si256(
                    _mm256_slli_epi16(_mm256_and_si256(PairTop(before), Splat(kTopBits)), kLowTop),
                    _mm256_and_si256(_mm256_srli_epi16(v, kContinuationPayloadBits),
                                     Splat(kPairHalfPayload >> kContinuationPayloadBits)))),
            _mm256_slli_epi16(last, 8));
        V encoded =
            _mm256_blendv_epi8(asTwo, asHigh,
                               _mm256_cmpeq_epi16(_mm256_and_si256(v, Splat(kSurrogateHalfMask)),
                                                  Splat(kHighSurrogateFirst)));
        encoded =
            _mm256_blendv_epi8(encoded, asLow,
                               _mm256_cmpeq_epi16(_mm256_and_si256(v, Splat(kSurrogateHalfMask)),
                                                  Splat(kLowSurrogateFirst)));
        encoded = _mm256_blendv_epi8(
            encoded, v, _mm256_cmpeq_epi16(_mm256_min_epu16(v, Splat(kLastAsciiCodePoint)), v));
        WriteLanes(encoded, ~ascii & 0xFFFFu, written, out, over);
        return {taken, written, taken - BitCount(lows & ((1u << taken) - 1))};
    }

    // Any well-formed block: each unit's bytes (a pair's four split between its halves) in a
    // 32-bit lane, packed as in BmpUTF16Block.
    static BlockDone WideUTF16Block(const UTF16Unit* units, V v, char* out, std::size_t room,
                                    bool over) {
        const Mask highs = Highs(v), lows = Lows(v);
        const Mask nextLow = IsLowSurrogate(units[kBlockUnits]) ? 1u : 0u;
        if ((lows & ~(highs << 1)) != 0 || (highs & ~((lows >> 1) | (nextLow << 15))) != 0) {
            return {0, 0, 0};  // an unpaired surrogate
        }
        // A pair across the block's end is left to the next block, and its high half's bytes
        // with it.
        const bool cut = (highs >> 15) != 0;
        // Units from U+0800 other than the pairs' halves.
        if ((Above(v, kLastTwoByteCodePoint) & ~(highs | lows)) == 0)
            return PairsUTF16Block(v, lows, cut, out, room, over);
        const std::size_t taken = cut ? kBlockUnits - 1 : kBlockUnits;
        const std::uint32_t lengthBits = LengthBits(v);
        const std::size_t written = 3 * kBlockUnits - BitCount(lengthBits) - (cut ? 2 : 0);
        if (written > room) return {0, 0, 0};
        // Each lane's unit before it (a zero before the first, which is never a low surrogate).
        const V before = _mm256_alignr_epi8(v, _mm256_permute2x128_si256(v, v, 0x08), 14);
        __m128i quarters[4];
        for (int half = 0; half < 2; ++half) {
            const V encoded = EncodeUTF8(WidenUnits(v, half), WidenUnits(before, half));
            quarters[2 * half] = _mm256_castsi256_si128(encoded);
            quarters[2 * half + 1] = _mm256_extracti128_si256(encoded, 1);
        }
        return {taken, WriteQuarters(quarters, lengthBits, written, out, over),
                taken - BitCount(lows & ((1u << taken) - 1))};
    }

    // Converts the ASCII units at `units`, two blocks at a time while they fit both the
    // `available` units and the `room`; answers how many.
    static std::size_t AsciiRun(const UTF16Unit* units, std::size_t available, char* out,
                                std::size_t room) {
        const std::size_t limit = available < room ? available : room;
        std::size_t done = 0;
        while (limit - done >= 2 * kBlockUnits) {
            const V first = Load(units + done), second = Load(units + done + kBlockUnits);
            if (AnyAbove(Or(first, second), kLastAsciiCodePoint)) break;
            // Packing works within each 128-bit half; the permute puts the quarters in order.
            Store(out + done, _mm256_permute4x64_epi64(_mm256_packus_epi16(first, second), 0xD8));
            done += 2 * kBlockUnits;
        }
        return done;
    }

    // Blocks without surrogates follow one another in a loop of their own, which leaves the
    // driver's per block. Two blocks of ASCII go at once; any other block is encoded whole,
    // ASCII included: in text with a few letters beyond ASCII, a choice of the way per block
    // would be a branch missed half the time. A block's stores may write past its output when
    // a whole next block follows in the text, fits, and has no surrogate: this loop or the
    // driver's plain pass then writes at least a byte for each of its units from where this block
    // ends, over the at most 12 bytes past it.
    static BlockDone UTF16Block(const UTF16Unit* units, std::size_t available, char* out,
                                std::size_t room) {
        constexpr std::size_t kNextFits = 2 * 3 * kBlockUnits;
        V v = Load(units);
        if (Surrogates(v) != 0) {
            const bool over = available >= 2 * kBlockUnits && room >= kNextFits &&
                              Surrogates(Load(units + kBlockUnits)) == 0;
            return WideUTF16Block(units, v, out, room, over);
        }
        std::size_t read = 0, written = 0;
        for (;;) {
            if (available - read >= 2 * kBlockUnits && room - written >= 2 * kBlockUnits &&
                !AnyAbove(Or(v, Load(units + read + kBlockUnits)), kLastAsciiCodePoint)) {
                const std::size_t ascii =
                    AsciiRun(units + read, available - read, out + written, room - written);
                read += ascii;
                written += ascii;
                if (available - read < kBlockUnits + 1) break;
                v = Load(units + read);
                if (Surrogates(v) != 0) break;
            }
            const bool more = available - read >= 2 * kBlockUnits;
            const V next = more ? Load(units + read + kBlockUnits) : v;
            const bool over = more && room - written >= kNextFits && Surrogates(next) == 0;
            // Latin text's blocks stay below U+0800, CJK text's do not: a branch seldom missed.
            const std::size_t size =
                AnyAbove(v, kLastTwoByteCodePoint)
                    ? BmpUTF16Block(v, out + written, room - written, over)
                    : TwoByteUTF16Block(v, out + written, room - written, over);
            if (size == 0) break;  // no room
            read += kBlockUnits;
            written += size;
            if (!over) break;
            v = next;
        }
        return {read, written, read};
    }
};

// The UTF-8 size in vector lanes, a group of four vectors at a time. A group of ASCII takes a
// byte a unit; a group below U+0800 two bytes a unit, one fewer for ASCII; any other group three
// bytes a unit, one fewer below U+0800, one fewer again for ASCII, and two fewer for each high
// surrogate followed by a low one (a pair takes four, a lone half three), as the general kernel
// counts. The lanes count what they take away; the pairs are told by a second load one unit on,
// only in groups that hold a high surrogate.
std::uint64_t UTF8LengthAVX2(const UTF16Unit* units, std::size_t size) {
    using V = __m256i;
    constexpr std::size_t kGroup = 4 * AVX2::kUnits;
    // A lane falls by at most 4 a vector, 1024 a stretch: far within 16 bits.
    constexpr std::size_t kStretchGroups = 64;
    const V zero = _mm256_setzero_si256();
    std::int64_t bytes = 0;
    std::size_t i = 0;
    while (size - i > kGroup) {
        V fewer = zero;
        for (std::size_t g = 0; g < kStretchGroups && size - i > kGroup; ++g, i += kGroup) {
            const V vs[4] = {AVX2::Load(units + i), AVX2::Load(units + i + AVX2::kUnits),
                             AVX2::Load(units + i + 2 * AVX2::kUnits),
                             AVX2::Load(units + i + 3 * AVX2::kUnits)};
            const V any = AVX2::Or(AVX2::Or(vs[0], vs[1]), AVX2::Or(vs[2], vs[3]));
            if (!AVX2::AnyAbove(any, kLastAsciiCodePoint)) {
                bytes += static_cast<std::int64_t>(kGroup);
                continue;
            }
            // Below U+0800 (Latin text), two bytes a unit less one for ASCII.
            for (const V& v : vs) {
                fewer = _mm256_add_epi16(fewer, AVX2::TaggedUnits(v, ~kLastAsciiCodePoint, 0));
            }
            if (!AVX2::AnyAbove(any, kLastTwoByteCodePoint)) {
                bytes += static_cast<std::int64_t>(2 * kGroup);
                continue;
            }
            bytes += static_cast<std::int64_t>(3 * kGroup);
            V highs[4];
            V anyHigh = zero;
            for (std::size_t k = 0; k < 4; ++k) {
                fewer =
                    _mm256_add_epi16(fewer, AVX2::TaggedUnits(vs[k], ~kLastTwoByteCodePoint, 0));
                highs[k] = AVX2::TaggedUnits(vs[k], kSurrogateHalfMask, kHighSurrogateFirst);
                anyHigh = _mm256_or_si256(anyHigh, highs[k]);
            }
            if (_mm256_testz_si256(anyHigh, anyHigh) != 0) continue;
            for (std::size_t k = 0; k < 4; ++k) {
                const V after = AVX2::Load(units + i + k * AVX2::kUnits + 1);
                const V pairs = _mm256_and_si256(
                    highs[k], AVX2::TaggedUnits(after, kSurrogateHalfMask, kLowSurrogateFirst));
                fewer = _mm256_add_epi16(fewer, _mm256_add_epi16(pairs, pairs));
            }
        }
        bytes += AVX2::SumLanes(fewer);
    }
    // A pair across the last group's end was counted with its high half; the rest counts its low
    // half as lone, three bytes, which with the two taken away makes the pair's four.
    return static_cast<std::uint64_t>(bytes) + UTF8LengthKernel<AVX2>(units + i, size - i);
}

// The level's kernels, with its own UTF-8 size.
constexpr Kernels MakeAVX2Kernels() {
    Kernels kernels = MakeKernels<AVX2>();
    kernels.UTF8LengthOfUnits = UTF8LengthAVX2;
    return kernels;
}

}  // namespace

extern const Kernels kAVX2Kernels = MakeAVX2Kernels();

}  // namespace detail
}  // namespace QuendalText

#  include "kernels/x86_end.h"

#endif  // QUENDALTEXT_X86_KERNELS
