// The AVX-512 kernels (with the BW, VL, VBMI and VBMI2 extensions of Ice Lake and Zen 4 on):
// thirty-two units, sixty-four bytes, at a time, with masks in mask registers and packing by
// the compress instructions.
#include "internal/character_count.h"
#include "internal/kernels.h"

#if QUENDALTEXT_X86_KERNELS

#  include <immintrin.h>

#  include <algorithm>
#  include <cstdint>

#  if defined(__clang__)
#    pragma clang attribute push(                                                         \
        __attribute__((                                                                   \
            target("avx2,bmi,popcnt,avx512f,avx512bw,avx512vl,avx512vbmi,avx512vbmi2"))), \
        apply_to = function)
#  else
#    pragma GCC push_options
// GCC 12 takes the deliberately undefined vectors inside some intrinsics for uninitialized
// variables once they are inlined.
#    pragma GCC diagnostic push
#    pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#    pragma GCC target("avx2,bmi,popcnt,avx512f,avx512bw,avx512vl,avx512vbmi,avx512vbmi2")
#  endif

#  include "kernels/x86_generic.h"

namespace QuendalText {
namespace detail {
namespace {

struct AVX512 {
    using V = __m512i;
    using Mask = std::uint32_t;
    static constexpr std::size_t kUnits = 32;
    static constexpr std::size_t kBlockBytes = 64;
    static constexpr std::size_t kBlockUnits = 32;

    static V Load(const void* at) { return _mm512_loadu_si512(at); }
    static void Store(void* at, V v) { _mm512_storeu_si512(at, v); }
    static V Splat(std::uint32_t unit) { return _mm512_set1_epi16(static_cast<short>(unit)); }
    static V Or(V a, V b) { return _mm512_or_si512(a, b); }
    static Mask Equal(V a, V b) { return _mm512_cmpeq_epi16_mask(a, b); }
    static Mask Above(V v, std::uint32_t bound) { return _mm512_cmpgt_epu16_mask(v, Splat(bound)); }
    static bool AnyAbove(V v, std::uint32_t bound) {
        return _mm512_test_epi16_mask(v, Splat(~bound)) != 0;
    }
    static Mask Tagged(V v, std::uint32_t mask, std::uint32_t tag) {
        return _mm512_cmpeq_epi16_mask(_mm512_and_si512(v, Splat(mask)), Splat(tag));
    }
    static Mask Surrogates(V v) { return Tagged(v, kSurrogateMask, kSurrogateTag); }
    static Mask Highs(V v) { return Tagged(v, kSurrogateHalfMask, kHighSurrogateFirst); }
    static Mask Lows(V v) { return Tagged(v, kSurrogateHalfMask, kLowSurrogateFirst); }
    static V ShiftLetters(V v, std::uint32_t first, std::uint32_t delta) {
        const __mmask32 letters =
            _mm512_cmple_epu16_mask(_mm512_sub_epi16(v, Splat(first)), Splat(u'Z' - u'A'));
        return _mm512_mask_add_epi16(v, letters, v, Splat(delta));
    }
    static V Fold(V v) { return ShiftLetters(v, u'A', u'a' - u'A'); }
    static V Unfold(V v) { return ShiftLetters(v, u'a', static_cast<std::uint16_t>(u'A' - u'a')); }

    static std::size_t Pack(V v, Mask keep, UTF16Unit* to) {
        Store(to, _mm512_maskz_compress_epi16(keep, v));
        return BitCount(keep);
    }

    static BlockDone UTF8Block(const unsigned char* in, UTF16Unit* out) {
        const V bytes = Load(in);
        if (_mm512_movepi8_mask(bytes) != 0) return {0, 0, 0};
        Store(out, _mm512_cvtepu8_epi16(_mm512_castsi512_si256(bytes)));
        Store(out + kUnits, _mm512_cvtepu8_epi16(_mm512_extracti64x4_epi64(bytes, 1)));
        return {kBlockBytes, kBlockBytes, kBlockBytes};
    }

    static BlockDone UTF16Block(const UTF16Unit* units, char* out, std::size_t room) {
        const V v = Load(units);
        if (room < kBlockUnits || AnyAbove(v, kLastAsciiCodePoint)) return {0, 0, 0};
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out), _mm512_cvtepi16_epi8(v));
        return {kBlockUnits, kBlockUnits, kBlockUnits};
    }
};

}  // namespace

extern const Kernels kAVX512Kernels = {
    SimdLevel::AVX512,
    "avx512",
    UTF8ToUTF16Kernel<AVX512>,
    UTF16ToUTF8Kernel<AVX512>,
    UTF8LengthKernel<AVX512>,
    ContinueCountKernel<AVX512>,
    CopyAndCountKernel<AVX512>,
    IsAsciiKernel<AVX512>,
    FindUnitKernel<AVX512>,
    FindLastUnitKernel<AVX512>,
    FindInSetKernel<AVX512, true>,
    FindInSetKernel<AVX512, false>,
    FindPatternKernel<AVX512>,
    MismatchKernel<AVX512, false>,
    MismatchKernel<AVX512, true>,
    AsciiCaseKernel<AVX512, true>,
    AsciiCaseKernel<AVX512, false>,
    RemoveUnitKernel<AVX512>,
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
