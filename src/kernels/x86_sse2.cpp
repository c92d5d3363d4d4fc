// The SSE2 kernels: eight units, sixteen bytes, at a time. SSE2 has no byte shuffle, so the
// transcoders take ASCII blocks here and leave every other block to the plain pass.
#include "internal/character_count.h"
#include "internal/kernels.h"

#if QUENDALTEXT_X86_KERNELS

#  include <immintrin.h>

#  include <algorithm>
#  include <cstdint>

#  if defined(__clang__)
#    pragma clang attribute push(__attribute__((target("sse2"))), apply_to = function)
#  else
#    pragma GCC push_options
// GCC 12 takes the deliberately undefined vectors inside some intrinsics for uninitialized
// variables once they are inlined.
#    pragma GCC diagnostic push
#    pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#    pragma GCC target("sse2")
#  endif

#  include "kernels/x86_generic.h"

namespace QuendalText {
namespace detail {
namespace {

struct SSE2 {
    using V = __m128i;
    using Mask = std::uint32_t;
    static constexpr std::size_t kUnits = 8;
    static constexpr std::size_t kBlockBytes = 16;
    static constexpr std::size_t kBlockUnits = 8;

    static V Load(const void* at) { return _mm_loadu_si128(static_cast<const V*>(at)); }
    static void Store(void* at, V v) { _mm_storeu_si128(static_cast<V*>(at), v); }
    static V Splat(std::uint32_t unit) { return _mm_set1_epi16(static_cast<short>(unit)); }
    static V Or(V a, V b) { return _mm_or_si128(a, b); }
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
    static Mask Surrogates(V v) { return Tagged(v, kSurrogateMask, kSurrogateTag); }
    static Mask Highs(V v) { return Tagged(v, kSurrogateHalfMask, kHighSurrogateFirst); }
    static Mask Lows(V v) { return Tagged(v, kSurrogateHalfMask, kLowSurrogateFirst); }
    // Adds `delta` to the lanes from `first` to `first` + 25, the 26 letters.
    static V ShiftLetters(V v, std::uint32_t first, std::uint32_t delta) {
        const V offset = _mm_sub_epi16(v, Splat(first));
        const V letters =
            _mm_cmpeq_epi16(_mm_subs_epu16(offset, Splat(u'Z' - u'A')), _mm_setzero_si128());
        return _mm_add_epi16(v, _mm_and_si128(letters, Splat(delta)));
    }
    static V Fold(V v) { return ShiftLetters(v, u'A', u'a' - u'A'); }
    static V Unfold(V v) { return ShiftLetters(v, u'a', static_cast<std::uint16_t>(u'A' - u'a')); }

    static void CopyShort(const UTF16Unit* from, std::size_t size, UTF16Unit* to) {
        for (std::size_t i = 0; i < size; ++i) to[i] = from[i];
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

    static BlockDone UTF8Block(const unsigned char* in, UTF16Unit* out) {
        const V bytes = Load(in);
        if (_mm_movemask_epi8(bytes) != 0) return {0, 0, 0};
        const V zero = _mm_setzero_si128();
        Store(out, _mm_unpacklo_epi8(bytes, zero));
        Store(out + kUnits, _mm_unpackhi_epi8(bytes, zero));
        return {kBlockBytes, kBlockBytes, kBlockBytes};
    }

    static BlockDone UTF16Block(const UTF16Unit* units, char* out, std::size_t room) {
        const V v = Load(units);
        if (room < kBlockUnits || AnyAbove(v, kLastAsciiCodePoint)) return {0, 0, 0};
        _mm_storel_epi64(reinterpret_cast<V*>(out), _mm_packus_epi16(v, v));
        return {kBlockUnits, kBlockUnits, kBlockUnits};
    }
};

}  // namespace

extern const Kernels kSSE2Kernels = {
    SimdLevel::SSE2,
    "sse2",
    UTF8ToUTF16Kernel<SSE2>,
    UTF16ToUTF8Kernel<SSE2>,
    UTF8LengthKernel<SSE2>,
    ContinueCountKernel<SSE2>,
    CopyAndCountKernel<SSE2>,
    IsAsciiKernel<SSE2>,
    FindUnitKernel<SSE2>,
    FindLastUnitKernel<SSE2>,
    FindInSetKernel<SSE2, true>,
    FindInSetKernel<SSE2, false>,
    FindPatternKernel<SSE2>,
    MismatchKernel<SSE2, false>,
    MismatchKernel<SSE2, true>,
    AsciiCaseKernel<SSE2, true>,
    AsciiCaseKernel<SSE2, false>,
    RemoveUnitKernel<SSE2>,
    CopyUpToAboveKernel<SSE2>,
    FindAboveKernel<SSE2>,
};

}  // namespace detail
}  // namespace QuendalText

#  if defined(__clang__)
#    pragma clang attribute pop
#  else
#    pragma GCC diagnostic pop
#    pragma GCC pop_options
#  endif

#endif  // QUENDALTEXT_X86_KERNELS
