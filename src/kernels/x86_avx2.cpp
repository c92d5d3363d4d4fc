// The AVX2 kernels: sixteen units, thirty-two bytes, at a time.
#include "internal/character_count.h"
#include "internal/kernels.h"

#if QUENDALTEXT_X86_KERNELS

#  include <immintrin.h>

#  include <algorithm>
#  include <cstdint>

#  if defined(__clang__)
#    pragma clang attribute push(__attribute__((target("avx2,bmi,popcnt"))), apply_to = function)
#  else
#    pragma GCC push_options
// GCC 12 takes the deliberately undefined vectors inside some intrinsics for uninitialized
// variables once they are inlined.
#    pragma GCC diagnostic push
#    pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#    pragma GCC target("avx2,bmi,popcnt")
#  endif

#  include "kernels/x86_generic.h"

namespace QuendalText {
namespace detail {
namespace {

struct AVX2 {
    using V = __m256i;
    using Mask = std::uint32_t;
    static constexpr std::size_t kUnits = 16;
    static constexpr std::size_t kBlockBytes = 32;
    static constexpr std::size_t kBlockUnits = 16;

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
    static Mask Surrogates(V v) { return Tagged(v, kSurrogateMask, kSurrogateTag); }
    static Mask Highs(V v) { return Tagged(v, kSurrogateHalfMask, kHighSurrogateFirst); }
    static Mask Lows(V v) { return Tagged(v, kSurrogateHalfMask, kLowSurrogateFirst); }
    static V ShiftLetters(V v, std::uint32_t first, std::uint32_t delta) {
        const V offset = _mm256_sub_epi16(v, Splat(first));
        const V letters = _mm256_cmpeq_epi16(_mm256_min_epu16(offset, Splat(u'Z' - u'A')), offset);
        return _mm256_add_epi16(v, _mm256_and_si256(letters, Splat(delta)));
    }
    static V Fold(V v) { return ShiftLetters(v, u'A', u'a' - u'A'); }
    static V Unfold(V v) { return ShiftLetters(v, u'a', static_cast<std::uint16_t>(u'A' - u'a')); }

    static void CopyShort(const UTF16Unit* from, std::size_t size, UTF16Unit* to) {
        for (std::size_t i = 0; i < size; ++i) to[i] = from[i];
    }

    static std::size_t Pack(V v, Mask keep, UTF16Unit* to) {
        alignas(32) UTF16Unit lanes[kUnits];
        _mm256_store_si256(reinterpret_cast<V*>(lanes), v);
        std::size_t count = 0;
        for (std::size_t j = 0; j < kUnits; ++j) {
            if ((keep >> j) & 1) to[count++] = lanes[j];
        }
        return count;
    }

    static BlockDone UTF8Block(const unsigned char* in, UTF16Unit* out) {
        const V bytes = Load(in);
        if (_mm256_movemask_epi8(bytes) != 0) return {0, 0, 0};
        Store(out, _mm256_cvtepu8_epi16(_mm256_castsi256_si128(bytes)));
        Store(out + kUnits, _mm256_cvtepu8_epi16(_mm256_extracti128_si256(bytes, 1)));
        return {kBlockBytes, kBlockBytes, kBlockBytes};
    }

    static BlockDone UTF16Block(const UTF16Unit* units, char* out, std::size_t room) {
        const V v = Load(units);
        if (room < kBlockUnits || AnyAbove(v, kLastAsciiCodePoint)) return {0, 0, 0};
        const __m128i narrow =
            _mm_packus_epi16(_mm256_castsi256_si128(v), _mm256_extracti128_si256(v, 1));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out), narrow);
        return {kBlockUnits, kBlockUnits, kBlockUnits};
    }
};

}  // namespace

extern const Kernels kAVX2Kernels = {
    SimdLevel::AVX2,
    "avx2",
    UTF8ToUTF16Kernel<AVX2>,
    UTF16ToUTF8Kernel<AVX2>,
    UTF8LengthKernel<AVX2>,
    ContinueCountKernel<AVX2>,
    CopyAndCountKernel<AVX2>,
    IsAsciiKernel<AVX2>,
    FindUnitKernel<AVX2>,
    FindLastUnitKernel<AVX2>,
    FindInSetKernel<AVX2, true>,
    FindInSetKernel<AVX2, false>,
    FindPatternKernel<AVX2>,
    MismatchKernel<AVX2, false>,
    MismatchKernel<AVX2, true>,
    AsciiCaseKernel<AVX2, true>,
    AsciiCaseKernel<AVX2, false>,
    RemoveUnitKernel<AVX2>,
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
