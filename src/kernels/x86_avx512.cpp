// The AVX-512 kernels (with the BW, VL, VBMI and VBMI2 extensions of Ice Lake and Zen 4 on):
// thirty-two units, sixty-four bytes, at a time, with masks in mask registers and packing by
// the compress instructions.
#include "internal/character_count.h"
#include "internal/kernels.h"
#include "kernels/utf8_tables.h"

#if QUENDALTEXT_X86_KERNELS

#  define QUENDALTEXT_KERNEL_TARGET \
    "avx2,bmi,popcnt,avx512f,avx512bw,avx512vl,avx512vbmi,avx512vbmi2"
#  include "kernels/x86_begin.h"

namespace QuendalText {
namespace detail {
namespace {

struct AVX512 : LevelCommon<AVX512, SimdLevel::AVX512, 32> {
    static constexpr const char* kName = "avx512";
    using V = __m512i;

    static V Load(const void* at) { return _mm512_loadu_si512(at); }
    static void Store(void* at, V v) { _mm512_storeu_si512(at, v); }
    static V Splat(std::uint32_t unit) { return _mm512_set1_epi16(static_cast<short>(unit)); }
    static V Or(V a, V b) { return _mm512_or_si512(a, b); }
    static V Sub(V a, V b) { return _mm512_sub_epi16(a, b); }
    static V SubSaturated(V a, V b) { return _mm512_subs_epu16(a, b); }
    static Mask Equal(V a, V b) { return _mm512_cmpeq_epi16_mask(a, b); }
    static Mask Above(V v, std::uint32_t bound) { return _mm512_cmpgt_epu16_mask(v, Splat(bound)); }
    static bool AnyAbove(V v, std::uint32_t bound) {
        return _mm512_test_epi16_mask(v, Splat(~bound)) != 0;
    }
    static Mask Tagged(V v, std::uint32_t mask, std::uint32_t tag) {
        return _mm512_cmpeq_epi16_mask(_mm512_and_si512(v, Splat(mask)), Splat(tag));
    }
    static V ShiftLetters(V v, std::uint32_t first, std::uint32_t delta) {
        const __mmask32 letters =
            _mm512_cmple_epu16_mask(_mm512_sub_epi16(v, Splat(first)), Splat(u'Z' - u'A'));
        return _mm512_mask_add_epi16(v, letters, v, Splat(delta));
    }

    static void CopyShort(const UTF16Unit* from, std::size_t size, UTF16Unit* to) {
        const auto lanes = static_cast<__mmask32>((std::uint64_t{1} << size) - 1);
        _mm512_mask_storeu_epi16(to, lanes, _mm512_maskz_loadu_epi16(lanes, from));
    }

    static std::size_t Pack(V v, Mask keep, UTF16Unit* to) {
        Store(to, _mm512_maskz_compress_epi16(keep, v));
        return BitCount(keep);
    }

    // ---- UTF-8 to UTF-16, 64 bytes at a time ----

    static V Bytes(std::uint32_t byte) { return _mm512_set1_epi8(static_cast<char>(byte)); }

    // The bytes moved up by `by` lanes, zeros coming in: the bytes before each, as at the start
    // of a text, which a block's start is like since it begins a character.
    static V Before(V bytes, unsigned by) {
        alignas(64) static constexpr auto kIndexes = [] {
            std::array<std::uint8_t, 64> indexes{};
            for (unsigned i = 0; i < 64; ++i) indexes[i] = static_cast<std::uint8_t>((i - 1) & 63);
            return indexes;
        }();
        V moved = bytes;
        const V down = _mm512_load_si512(kIndexes.data());
        for (unsigned i = 0; i < by; ++i)
            moved = _mm512_maskz_permutexvar_epi8(~std::uint64_t{1}, down, moved);
        return moved;
    }

    static V Lookup(const utf8_tables::Table& table, V nibbles) {
        const __m128i lanes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(table.data()));
        return _mm512_shuffle_epi8(_mm512_broadcast_i32x4(lanes), nibbles);
    }

    // Whether any byte of the block breaks a sequence, given the three bytes before it: those of
    // the text, or zeros where the block begins a character.
    static bool HasFault(V bytes, V before1, V before2, V before3) {
        const V lowNibble = Bytes(utf8_tables::kNibbles - 1);
        const V high =
            _mm512_and_si512(_mm512_srli_epi16(bytes, utf8_tables::kNibbleBits), lowNibble);
        const V beforeHigh =
            _mm512_and_si512(_mm512_srli_epi16(before1, utf8_tables::kNibbleBits), lowNibble);
        const V found = _mm512_and_si512(
            _mm512_and_si512(Lookup(utf8_tables::kBeforeHigh, beforeHigh),
                             Lookup(utf8_tables::kBeforeLow, _mm512_and_si512(before1, lowNibble))),
            Lookup(utf8_tables::kHigh, high));
        const __mmask64 thirdOrFourth = _mm512_cmpge_epu8_mask(before2, Bytes(kThreeByteLeadTag)) |
                                        _mm512_cmpge_epu8_mask(before3, Bytes(kFourByteLeadTag));
        const __mmask64 twoContinuations =
            _mm512_test_epi8_mask(found, Bytes(utf8_tables::kTwoContinuations));
        const __mmask64 faults = _mm512_test_epi8_mask(found, Bytes(utf8_tables::kFaultBits));
        return (faults | (twoContinuations ^ thirdOrFourth)) != 0;
    }

    using Leads = UTF8Leads<std::uint64_t, kBlockBytes>;

    // The lead bytes of a block whose first byte begins a character.
    static Leads LeadsOf(V bytes, std::uint64_t nonAscii) {
        return {nonAscii, _mm512_cmpge_epu8_mask(bytes, Bytes(kTwoByteLeadTag)),
                _mm512_cmpge_epu8_mask(bytes, Bytes(kThreeByteLeadTag)),
                _mm512_cmpge_epu8_mask(bytes, Bytes(kFourByteLeadTag))};
    }

    // The validators' check of 64 bytes that are not all ASCII, with the three bytes before them.
    static bool UTF8Check(const unsigned char* in) {
        return !HasFault(Load(in), Load(in - 1), Load(in - 2), Load(in - 3));
    }

    // Widens the half `half` of 64 bytes to 32 units.
    static V Widen(V bytes, int half) {
        return _mm512_cvtepu8_epi16(half == 0 ? _mm512_castsi512_si256(bytes)
                                              : _mm512_extracti64x4_epi64(bytes, 1));
    }

    // Converts 64 bytes from a character start that hold ASCII and two-byte sequences only
    // (Latin, Greek, Cyrillic, Hebrew, Arabic text): each continuation byte must follow a lead
    // of C2 or above, and each lead be followed by one, but for a lead in the last byte, which
    // is left to the next block. `before1` holds the byte before each (zero before the first),
    // `leads2` the bytes from C0. Nothing is converted where the rule breaks.
    static BlockDone TwoByteUTF8Block(V bytes, V before1, std::uint64_t nonAscii,
                                      std::uint64_t leads2, UTF16Unit* out) {
        const std::uint64_t continuations = nonAscii & ~leads2;
        const std::uint64_t overlong =
            leads2 & _mm512_cmplt_epu8_mask(bytes, Bytes(kFirstTwoByteLead));
        if (overlong != 0 || continuations != (leads2 << 1)) return {0, 0, 0};
        // Every byte but a lead ends a character.
        const std::uint64_t emitted = ~leads2;
        std::size_t written = 0;
        for (int half = 0; half < 2; ++half) {
            const auto keep = static_cast<__mmask32>(emitted >> (32 * half));
            const V c0 = Widen(bytes, half), c1 = Widen(before1, half);
            const V two = LastTwoPayloads(c0, c1);
            const V units = _mm512_mask_mov_epi16(
                c0, static_cast<__mmask32>(continuations >> (32 * half)), two);
            Store(out + written, _mm512_maskz_compress_epi16(keep, units));
            written += BitCount(keep);
        }
        const std::size_t end = kBlockBytes - static_cast<std::size_t>(leads2 >> (kBlockBytes - 1));
        return {end, written, written};
    }

    // The payloads of each byte and the one before it (widened to 16 bits), the earlier above:
    // the unit of a two-byte sequence at its second byte, whose lead's payload bits stop below
    // the bit that the mask of a continuation's keeps.
    static V LastTwoPayloads(V c0, V c1) {
        const V payload = Splat(kContinuationPayload);
        return _mm512_or_si512(
            _mm512_slli_epi16(_mm512_and_si512(c1, payload), kContinuationPayloadBits),
            _mm512_and_si512(c0, payload));
    }

    // Bytes 0, 3, ... 63: where the sequences of a block of three-byte sequences only begin.
    static constexpr std::uint64_t kEveryThirdByte = [] {
        std::uint64_t bits = 0;
        for (unsigned i = 0; i < kBlockBytes; i += 3) bits |= std::uint64_t{1} << i;
        return bits;
    }();
    static constexpr std::size_t kThreeByteSequences = kBlockBytes / 3;

    // Converts 64 bytes from a character start made of three-byte sequences only (Chinese,
    // Japanese, Korean text), whose leads are every third byte and below F0: 21 characters, the
    // lead in the last byte left to the next block. Nothing is converted when the byte after E0
    // is below A0 (an overlong form) or that after ED above 9F (a surrogate).
    static BlockDone ThreeByteUTF8Block(V bytes, UTF16Unit* out) {
        const std::uint64_t overlongLeads =
            _mm512_cmpeq_epi8_mask(bytes, Bytes(kOverlongThreeByteLead));
        const std::uint64_t surrogateLeads =
            _mm512_cmpeq_epi8_mask(bytes, Bytes(kSurrogateThreeByteLead));
        const std::uint64_t low =
            _mm512_cmplt_epu8_mask(bytes, Bytes(UTF8SecondByteRange(kOverlongThreeByteLead).First));
        static_assert(UTF8SecondByteRange(kSurrogateThreeByteLead).Last + 1 ==
                      UTF8SecondByteRange(kOverlongThreeByteLead).First);
        if ((((overlongLeads << 1) & low) | ((surrogateLeads << 1) & ~low)) != 0) return {0, 0, 0};
        // Lane k of `lasts` holds the second and third bytes of sequence k (the second high),
        // and that of `leads` its lead, from fixed places.
        alignas(64) static constexpr auto kIndexes = [] {
            std::array<std::uint8_t, 2 * kBlockBytes> indexes{};
            for (unsigned k = 0; k < kUnits; ++k) {
                indexes[2 * k] = static_cast<std::uint8_t>((3 * k + 2) % kBlockBytes);
                indexes[2 * k + 1] = static_cast<std::uint8_t>((3 * k + 1) % kBlockBytes);
                indexes[kBlockBytes + 2 * k] = static_cast<std::uint8_t>((3 * k) % kBlockBytes);
            }
            return indexes;
        }();
        constexpr std::uint64_t kLowBytes = 0x5555555555555555u;
        const V lasts = _mm512_permutexvar_epi8(_mm512_load_si512(kIndexes.data()), bytes);
        const V leads = _mm512_maskz_permutexvar_epi8(
            kLowBytes, _mm512_load_si512(kIndexes.data() + kBlockBytes), bytes);
        const V payload = Splat(kContinuationPayload);
        const V units = _mm512_or_si512(
            _mm512_or_si512(_mm512_slli_epi16(leads, 2 * kContinuationPayloadBits),
                            _mm512_and_si512(lasts, payload)),
            _mm512_srli_epi16(_mm512_and_si512(lasts, Splat(kContinuationPayload << 8)),
                              8 - kContinuationPayloadBits));
        Store(out, units);
        return {3 * kThreeByteSequences, kThreeByteSequences, kThreeByteSequences};
    }

    // Converts 64 bytes from a character start: the characters that end within them, when none
    // is ill-formed. Each byte that ends a sequence gives the unit of its character, the third
    // byte of a four-byte sequence the high surrogate; the units are packed by compression.
    static BlockDone UTF8Block(const unsigned char* in, std::size_t /*available*/, UTF16Unit* out) {
        const V bytes = Load(in);
        const std::uint64_t nonAscii = _mm512_movepi8_mask(bytes);
        if (nonAscii == 0) {
            Store(out, Widen(bytes, 0));
            Store(out + kUnits, Widen(bytes, 1));
            return {kBlockBytes, kBlockBytes, kBlockBytes};
        }
        const Leads found = LeadsOf(bytes, nonAscii);
        const std::uint64_t leads = found.Leads, lead3 = found.Lead3, lead4 = found.Lead4;
        if (lead3 == 0) return TwoByteUTF8Block(bytes, Before(bytes, 1), nonAscii, leads, out);
        if (nonAscii == ~std::uint64_t{0} && leads == kEveryThirdByte && lead3 == kEveryThirdByte &&
            lead4 == 0)
            return ThreeByteUTF8Block(bytes, out);
        const V before1 = Before(bytes, 1);
        const V before2 = Before(before1, 1);
        if (HasFault(bytes, before1, before2, Before(before2, 1))) return {0, 0, 0};
        const std::uint64_t lead2 = leads & ~lead3;
        const std::size_t end = found.End();
        const std::uint64_t taken = Leads::Taken(end);
        const std::uint64_t lead3Only = lead3 & ~lead4;
        const std::uint64_t ends3 = lead3Only << 2, ends4 = lead4 << 3, thirds4 = lead4 << 2;
        const std::uint64_t emitted = (~nonAscii | (lead2 << 1) | ends3 | ends4 | thirds4) & taken;
        std::size_t written = 0;
        for (int half = 0; half < 2; ++half) {
            const auto part = [half](std::uint64_t mask) {
                return static_cast<__mmask32>(mask >> (32 * half));
            };
            const V c0 = Widen(bytes, half), c1 = Widen(before1, half), c2 = Widen(before2, half);
            // The last two bytes' payloads, which every form below ends with.
            const V base = LastTwoPayloads(c0, c1);
            V units = _mm512_mask_mov_epi16(
                base, part(ends3),
                _mm512_or_si512(base, _mm512_slli_epi16(c2, 2 * kContinuationPayloadBits)));
            units = _mm512_mask_mov_epi16(units, part(~nonAscii), c0);
            if (lead4 != 0) {
                units = _mm512_mask_mov_epi16(
                    units, part(ends4),
                    _mm512_or_si512(_mm512_and_si512(base, Splat(kPairHalfPayload)),
                                    Splat(kLowSurrogateFirst)));
                // The code point's bits above the low ten, from the lead and the two bytes after.
                const V top = _mm512_or_si512(
                    _mm512_slli_epi16(_mm512_and_si512(c2, Splat(kFourByteLeadPayload)),
                                      3 * kContinuationPayloadBits - kPairHalfBits),
                    _mm512_srli_epi16(base, kPairHalfBits - kContinuationPayloadBits));
                units = _mm512_mask_mov_epi16(units, part(thirds4),
                                              _mm512_add_epi16(top, Splat(kHighSurrogateBase)));
            }
            const __mmask32 keep = part(emitted);
            Store(out + written, _mm512_maskz_compress_epi16(keep, units));
            written += BitCount(keep);
        }
        return {end, written, BitCount(found.Starts() & taken)};
    }

    // ---- UTF-16 to UTF-8, 32 units at a time ----

    static V Words(std::uint32_t value) { return _mm512_set1_epi32(static_cast<int>(value)); }

    // A continuation byte of the payload bits of `value` from `kShift` on.
    template <unsigned kShift>
    static V Continuation(V value) {
        return _mm512_or_si512(
            Words(kContinuationTag),
            _mm512_and_si512(_mm512_srli_epi32(value, kShift), Words(kContinuationPayload)));
    }
    // A byte moved to byte `kPosition` of its lane.
    template <unsigned kPosition>
    static V At(V byte) {
        return _mm512_slli_epi32(byte, 8 * kPosition);
    }
    // A pair's code point above its low ten bits, from the high half.
    static V AbovePairPayload(V high) {
        return _mm512_add_epi32(_mm512_and_si512(high, Words(kPairHalfPayload)),
                                Words(kFirstSupplementary >> kPairHalfBits));
    }

    // The UTF-8 bytes of 16 units (widened to 32 bits, with the unit before each) in the low
    // bytes of each lane, and their number in each byte of `lengths`.
    static V EncodeUTF8(V units, V before, __mmask16 two, __mmask16 three, __mmask16 highs,
                        __mmask16 lows, V& lengths) {
        V encoded = EncodeBmp(units, two, three);
        const V fromHigh = AbovePairPayload(units);
        encoded = _mm512_mask_or_epi32(
            encoded, highs,
            _mm512_or_si512(
                Words(kFourByteLeadTag),
                _mm512_srli_epi32(fromHigh, 3 * kContinuationPayloadBits - kPairHalfBits)),
            At<1>(Continuation<2 * kContinuationPayloadBits - kPairHalfBits>(fromHigh)));
        const V codePoint =
            _mm512_or_si512(_mm512_slli_epi32(AbovePairPayload(before), kPairHalfBits),
                            _mm512_and_si512(units, Words(kPairHalfPayload)));
        encoded =
            _mm512_mask_or_epi32(encoded, lows, Continuation<kContinuationPayloadBits>(codePoint),
                                 At<1>(Continuation<0>(units)));
        lengths = LengthsOf(two | highs | lows, three);
        return encoded;
    }

    // The UTF-8 bytes of 16 units that are no surrogates (widened to 32 bits) in the low bytes
    // of each lane: the units of `two` take two, those of `three` three.
    static V EncodeBmp(V units, __mmask16 two, __mmask16 three) {
        const V encoded = _mm512_mask_or_epi32(
            units, two,
            _mm512_or_si512(Words(kTwoByteLeadTag),
                            _mm512_srli_epi32(units, kContinuationPayloadBits)),
            At<1>(Continuation<0>(units)));
        return _mm512_mask_mov_epi32(encoded, three, ThreeBytes(units));
    }

    // The bytes of each lane, in each of its bytes: one, two in `two`, three in `three`.
    static V LengthsOf(__mmask16 two, __mmask16 three) {
        constexpr std::uint32_t kEachByte = 0x01010101u;
        return _mm512_mask_mov_epi32(
            _mm512_mask_mov_epi32(Words(kEachByte), two, Words(2 * kEachByte)), three,
            Words(3 * kEachByte));
    }

    // Writes the bytes of two halves' lanes kept by `positions` below their `lengths`, one
    // after the other, when they fit `room`: the block done, of `read` units and `codePoints`
    // code points, or nothing done.
    static BlockDone WriteHalves(const V (&encoded)[2], const V (&lengths)[2], V positions,
                                 char* out, std::size_t room, std::size_t read,
                                 std::size_t codePoints) {
        V packed[2];
        std::size_t counts[2];
        for (int half = 0; half < 2; ++half) {
            const __mmask64 keep = _mm512_cmplt_epu8_mask(positions, lengths[half]);
            packed[half] = _mm512_maskz_compress_epi8(keep, encoded[half]);
            counts[half] = BitCount(static_cast<std::uint64_t>(keep));
        }
        const std::size_t written = counts[0] + counts[1];
        if (written > room) return {0, 0, 0};
        _mm512_mask_storeu_epi8(out, (std::uint64_t{1} << counts[0]) - 1, packed[0]);
        _mm512_mask_storeu_epi8(out + counts[0], (std::uint64_t{1} << counts[1]) - 1, packed[1]);
        return {read, written, codePoints};
    }

    // Writes the bytes of 16-bit lanes that `keep` keeps, when they fit `room`: the block done,
    // of `read` units and `codePoints` code points, or nothing done.
    static BlockDone WriteKept(V encoded, std::uint64_t keep, char* out, std::size_t room,
                               std::size_t read, std::size_t codePoints) {
        const std::size_t written = BitCount(keep);
        if (written > room) return {0, 0, 0};
        _mm512_mask_storeu_epi8(
            out, written == 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << written) - 1,
            _mm512_maskz_compress_epi8(keep, encoded));
        return {read, written, codePoints};
    }

    // Each unit up to 0x7FF as two bytes in its 16-bit lane, lead byte first.
    static V TwoBytesInLanes(V v) {
        return _mm512_or_si512(
            _mm512_or_si512(Splat(kTwoByteLeadTag), _mm512_srli_epi16(v, kContinuationPayloadBits)),
            SecondBytesInLanes(v));
    }
    // The continuation byte of each unit's low six bits, as the second byte of its lane.
    static V SecondBytesInLanes(V v) {
        return _mm512_slli_epi16(_mm512_or_si512(Splat(kContinuationTag),
                                                 _mm512_and_si512(v, Splat(kContinuationPayload))),
                                 8);
    }
    // The bytes to keep of the lanes in `taken`: the first of each, the second of those in
    // `both` too.
    static std::uint64_t KeptBytes(Mask taken, Mask both) {
        constexpr std::uint32_t kFirstByte = 0x00FF;
        return _mm512_movepi8_mask(_mm512_maskz_mov_epi16(
            taken, _mm512_mask_mov_epi16(Splat(kFirstByte), both, Splat(0xFFFF))));
    }

    // A block of 32 units with no surrogate, some above 0x7FF: one to three bytes a unit, each
    // unit's in a 32-bit lane, the lanes' first bytes kept by `positions` (0 to 3 in each lane)
    // below each unit's length.
    static BlockDone BmpUTF16Block(V v, V positions, char* out, std::size_t room) {
        const Mask two = Above(v, kLastAsciiCodePoint) & ~Above(v, kLastTwoByteCodePoint);
        const Mask three = Above(v, kLastTwoByteCodePoint);
        if (three == ~Mask{0}) return ThreeByteUTF16Block(v, out, room);
        V encoded[2];
        V lengths[2];
        for (int half = 0; half < 2; ++half) {
            const auto twos = static_cast<__mmask16>(two >> (16 * half));
            const auto threes = static_cast<__mmask16>(three >> (16 * half));
            encoded[half] = EncodeBmp(WidenUnits(v, half), twos, threes);
            lengths[half] = LengthsOf(twos, threes);
        }
        return WriteHalves(encoded, lengths, positions, out, room, kBlockUnits, kBlockUnits);
    }

    // The three bytes of a unit above 0x7FF (no surrogate, widened to 32 bits) in the low
    // bytes of its lane.
    static V ThreeBytes(V units) {
        return _mm512_or_si512(
            _mm512_or_si512(Words(kThreeByteLeadTag),
                            _mm512_srli_epi32(units, 2 * kContinuationPayloadBits)),
            _mm512_or_si512(At<1>(Continuation<kContinuationPayloadBits>(units)),
                            At<2>(Continuation<0>(units))));
    }

    // A block of 32 units above 0x7FF without surrogates (CJK text): three bytes each, so the
    // lanes are packed by one fixed permutation, without compression.
    static BlockDone ThreeByteUTF16Block(V v, char* out, std::size_t room) {
        constexpr std::size_t kHalfBytes = 3 * kBlockUnits / 2;
        if (room < 2 * kHalfBytes) return {0, 0, 0};
        alignas(64) static constexpr auto kFirstThreeOfFour = [] {
            std::array<std::uint8_t, 64> indexes{};
            for (unsigned i = 0; i < kHalfBytes; ++i)
                indexes[i] = static_cast<std::uint8_t>(4 * (i / 3) + i % 3);
            return indexes;
        }();
        const V pack = _mm512_load_si512(kFirstThreeOfFour.data());
        constexpr std::uint64_t kHalfMask = (std::uint64_t{1} << kHalfBytes) - 1;
        for (int half = 0; half < 2; ++half) {
            _mm512_mask_storeu_epi8(out + kHalfBytes * static_cast<std::size_t>(half), kHalfMask,
                                    _mm512_permutexvar_epi8(pack, ThreeBytes(WidenUnits(v, half))));
        }
        return {kBlockUnits, 2 * kHalfBytes, kBlockUnits};
    }

    // Each unit's lane holding the unit before it (the first lane, the last unit).
    static V UnitsBefore(V v) {
        alignas(64) static constexpr auto kDown = [] {
            std::array<std::uint16_t, 32> indexes{};
            for (unsigned i = 0; i < 32; ++i) indexes[i] = static_cast<std::uint16_t>((i - 1) & 31);
            return indexes;
        }();
        return _mm512_permutexvar_epi16(_mm512_load_si512(kDown.data()), v);
    }

    // A block of 32 units with pairs (checked, the `taken` units without a pair cut at the end)
    // and no unit above 0x7FF but them: one or two bytes a unit, in its own 16-bit lane. A high
    // surrogate gives the first two bytes of its pair's four, the low one the last two, with two
    // bits of the high one.
    static BlockDone PairsUTF16Block(V v, Mask highs, Mask lows, Mask taken, char* out,
                                     std::size_t room) {
        const Mask ascii = ~Above(v, kLastAsciiCodePoint);
        V encoded = TwoBytesInLanes(v);
        // The pair's code point over 2^16 is (payload of the high) + 2^6 times 2^10 plus the
        // low's payload: its bits above the low twelve come from the high unit alone.
        const V top = _mm512_add_epi16(_mm512_and_si512(v, Splat(kPairHalfPayload)),
                                       Splat(kFirstSupplementary >> kPairHalfBits));
        const V fromHigh = _mm512_or_si512(
            _mm512_or_si512(Splat(kFourByteLeadTag),
                            _mm512_srli_epi16(top, 3 * kContinuationPayloadBits - kPairHalfBits)),
            _mm512_slli_epi16(_mm512_or_si512(Splat(kContinuationTag),
                                              _mm512_and_si512(_mm512_srli_epi16(top, 2),
                                                               Splat(kContinuationPayload))),
                              8));
        constexpr unsigned kLowBitsOfHigh = 2;  // the high unit's bits in the third byte
        const V fromLow = _mm512_or_si512(
            _mm512_or_si512(Splat(kContinuationTag),
                            _mm512_slli_epi16(
                                _mm512_and_si512(UnitsBefore(v), Splat((1u << kLowBitsOfHigh) - 1)),
                                kContinuationPayloadBits - kLowBitsOfHigh)),
            _mm512_or_si512(
                _mm512_and_si512(_mm512_srli_epi16(v, kContinuationPayloadBits),
                                 Splat((1u << (kPairHalfBits - kContinuationPayloadBits)) - 1)),
                SecondBytesInLanes(v)));
        encoded = _mm512_mask_mov_epi16(encoded, ascii, v);
        encoded = _mm512_mask_mov_epi16(encoded, highs, fromHigh);
        encoded = _mm512_mask_mov_epi16(encoded, lows, fromLow);
        return WriteKept(encoded, KeptBytes(taken, ~ascii), out, room, BitCount(taken),
                         BitCount(taken & ~lows));
    }

    static V WidenUnits(V units, int half) {
        return _mm512_cvtepu16_epi32(half == 0 ? _mm512_castsi512_si256(units)
                                               : _mm512_extracti64x4_epi64(units, 1));
    }

    static BlockDone UTF16Block(const UTF16Unit* units, std::size_t /*available*/, char* out,
                                std::size_t room) {
        const V v = Load(units);
        if (!AnyAbove(v, kLastAsciiCodePoint)) {
            if (room < kBlockUnits) return {0, 0, 0};
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(out), _mm512_cvtepi16_epi8(v));
            return {kBlockUnits, kBlockUnits, kBlockUnits};
        }
        if (!AnyAbove(v, kLastTwoByteCodePoint)) {
            // One or two bytes a unit: each 16-bit lane holds both, and the second byte of an
            // ASCII unit's lane is dropped.
            const Mask ascii = ~Above(v, kLastAsciiCodePoint);
            const V encoded = _mm512_mask_mov_epi16(TwoBytesInLanes(v), ascii, v);
            return WriteKept(encoded, KeptBytes(~Mask{0}, ~ascii), out, room, kBlockUnits,
                             kBlockUnits);
        }
        alignas(64) static constexpr auto kPositions = [] {
            std::array<std::uint8_t, 64> positions{};
            for (unsigned i = 0; i < 64; ++i) positions[i] = static_cast<std::uint8_t>(i % 4);
            return positions;
        }();
        const V positions = _mm512_load_si512(kPositions.data());
        const Mask surrogates = Surrogates(v);
        if (surrogates == 0) return BmpUTF16Block(v, positions, out, room);
        const Mask highs = Highs(v), lows = Lows(v);
        const Mask nextLow = IsLowSurrogate(units[kBlockUnits]) ? 1u : 0u;
        if ((lows & ~(highs << 1)) != 0 || (highs & ~((lows >> 1) | (nextLow << 31))) != 0) {
            return {0, 0, 0};  // an unpaired surrogate
        }
        // A pair across the block's end is left to the next block.
        const Mask taken = (highs >> 31) != 0 ? 0x7FFFFFFFu : 0xFFFFFFFFu;
        if ((Above(v, kLastTwoByteCodePoint) & ~surrogates) == 0)
            return PairsUTF16Block(v, highs, lows, taken, out, room);
        const Mask two = Above(v, kLastAsciiCodePoint) & ~Above(v, kLastTwoByteCodePoint);
        const Mask three = Above(v, kLastTwoByteCodePoint) & ~highs & ~lows;
        const V before = UnitsBefore(v);
        V encoded[2];
        V lengths[2];
        for (int half = 0; half < 2; ++half) {
            const auto part = [half](Mask mask) {
                return static_cast<__mmask16>(mask >> (16 * half));
            };
            encoded[half] = EncodeUTF8(WidenUnits(v, half), WidenUnits(before, half), part(two),
                                       part(three), part(highs), part(lows), lengths[half]);
            lengths[half] = _mm512_maskz_mov_epi32(part(taken), lengths[half]);
        }
        return WriteHalves(encoded, lengths, positions, out, room, BitCount(taken),
                           BitCount(taken & ~lows));
    }
};

}  // namespace

extern const Kernels kAVX512Kernels = MakeKernels<AVX512>();

}  // namespace detail
}  // namespace QuendalText

#  include "kernels/x86_end.h"

#endif  // QUENDALTEXT_X86_KERNELS
