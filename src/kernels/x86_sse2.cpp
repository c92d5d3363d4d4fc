// The SSE2 kernels: eight units, sixteen bytes, at a time. SSE2 has no byte shuffle, so the
// transcoders take ASCII blocks here and leave every other block to the plain pass.
#include "internal/character_count.h"
#include "internal/kernels.h"

#if QUENDALTEXT_X86_KERNELS

#  define QUENDALTEXT_KERNEL_TARGET "sse2"
#  include "kernels/x86_begin.h"

namespace QuendalText {
namespace detail {
namespace {

struct SSE2 : LevelCommon<SSE2, SimdLevel::SSE2, 8> {
    static constexpr const char* kName = "sse2";
    using V = __m128i;

    static V Load(const void* at) { return _mm_loadu_si128(static_cast<const V*>(at)); }
    static void Store(void* at, V v) { _mm_storeu_si128(static_cast<V*>(at), v); }
    static V Splat(std::uint32_t unit) { return _mm_set1_epi16(static_cast<short>(unit)); }
    static V Or(V a, V b) { return _mm_or_si128(a, b); }
    static V Sub(V a, V b) { return _mm_sub_epi16(a, b); }
    static V SubSaturated(V a, V b) { return _mm_subs_epu16(a, b); }
    // One bit per 16-bit lane that is all ones.
    static Mask Bits(V lanes) {
        return static_cast<Mask>(_mm_movemask_epi8(_mm_packs_epi16(lanes, _mm_setzero_si128())));
    }
    static Mask Equal(V a, V b) { return Bits(_mm_cmpeq_epi16(a, b)); }
    // Lanes above `bound`: those that an unsigned saturating subtraction leaves non-zero.
    static V AboveLanes(V v, std::uint32_t bound) {
        const V zero = _mm_setzero_si128();
        return _mm_xor_si128(_mm_cmpeq_epi16(_mm_subs_epu16(v, Splat(bound)), zero),
                             _mm_cmpeq_epi16(zero, zero));
    }
    static Mask Above(V v, std::uint32_t bound) { return Bits(AboveLanes(v, bound)); }
    static bool AnyAbove(V v, std::uint32_t bound) {
        const V high = _mm_and_si128(v, Splat(~bound));
        return _mm_movemask_epi8(_mm_cmpeq_epi8(high, _mm_setzero_si128())) != 0xFFFF;
    }
    static Mask Tagged(V v, std::uint32_t mask, std::uint32_t tag) {
        return Equal(_mm_and_si128(v, Splat(mask)), Splat(tag));
    }
    // Adds `delta` to the lanes from `first` to `first` + 25, the 26 letters.
    static V ShiftLetters(V v, std::uint32_t first, std::uint32_t delta) {
        const V offset = _mm_sub_epi16(v, Splat(first));
        const V letters =
            _mm_cmpeq_epi16(_mm_subs_epu16(offset, Splat(u'Z' - u'A')), _mm_setzero_si128());
        return _mm_add_epi16(v, _mm_and_si128(letters, Splat(delta)));
    }

    static std::size_t Pack(V v, Mask keep, UTF16Unit* to) {
        alignas(16) UTF16Unit lanes[kUnits];
        _mm_store_si128(reinterpret_cast<V*>(lanes), v);
        std::size_t count = 0;
        for (std::size_t j = 0; j < kUnits; ++j) {
            if ((keep >> j) & 1) to[count++] = lanes[j];
        }
        return count;
    }

    // The validators leave every block that is not all ASCII to the plain pass.
    static bool UTF8Check(const unsigned char*) { return false; }

    static BlockDone UTF8Block(const unsigned char* in, std::size_t /*available*/, UTF16Unit* out) {
        const V bytes = Load(in);
        if (_mm_movemask_epi8(bytes) != 0) return {0, 0, 0};
        const V zero = _mm_setzero_si128();
        Store(out, _mm_unpacklo_epi8(bytes, zero));
        Store(out + kUnits, _mm_unpackhi_epi8(bytes, zero));
        return {kBlockBytes, kBlockBytes, kBlockBytes};
    }

    static BlockDone UTF16Block(const UTF16Unit* units, std::size_t /*available*/, char* out,
                                std::size_t room) {
        const V v = Load(units);
        if (room < kBlockUnits || AnyAbove(v, kLastAsciiCodePoint)) return {0, 0, 0};
        _mm_storel_epi64(reinterpret_cast<V*>(out), _mm_packus_epi16(v, v));
        return {kBlockUnits, kBlockUnits, kBlockUnits};
    }
};

}  // namespace

extern const Kernels kSSE2Kernels = MakeKernels<SSE2>();

}  // namespace detail
}  // namespace QuendalText

#  include "kernels/x86_end.h"

#endif  // QUENDALTEXT_X86_KERNELS
