// Choosing the kernels: the processor's features, read once, and an optional cap from the
// environment.
#include "internal/kernels.h"

#include <cstdlib>
#include <cstring>

namespace QuendalText {
namespace detail {
namespace {

// Whether the processor, and the operating system's saving of its registers, allow `level`.
// GCC's and Clang's feature tests include the operating system's part for AVX and AVX-512.
bool ProcessorRuns(SimdLevel level) {
#if QUENDALTEXT_X86_KERNELS
    __builtin_cpu_init();
    switch (level) {
        case SimdLevel::Scalar: return true;
        case SimdLevel::SSE2: return __builtin_cpu_supports("sse2");
        case SimdLevel::AVX2:
            return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("bmi") &&
                   __builtin_cpu_supports("popcnt");
        case SimdLevel::AVX512:
            return ProcessorRuns(SimdLevel::AVX2) && __builtin_cpu_supports("avx512f") &&
                   __builtin_cpu_supports("avx512bw") && __builtin_cpu_supports("avx512vl") &&
                   __builtin_cpu_supports("avx512vbmi") && __builtin_cpu_supports("avx512vbmi2");
    }
    return false;
#else
    return level == SimdLevel::Scalar;
#endif
}

// The level named by QUENDALTEXT_SIMD, or the most capable one when it names none.
SimdLevel EnvironmentCap() {
    const char* name = std::getenv("QUENDALTEXT_SIMD");
    if (name == nullptr) return SimdLevel::AVX512;
    static constexpr const char* kNames[kSimdLevels] = {"scalar", "sse2", "avx2", "avx512"};
    for (int level = 0; level < kSimdLevels; ++level) {
        if (std::strcmp(name, kNames[level]) == 0) return static_cast<SimdLevel>(level);
    }
    return SimdLevel::AVX512;
}

}  // namespace

const Kernels* KernelsFor(SimdLevel level) {
    if (!ProcessorRuns(level)) return nullptr;
    switch (level) {
        case SimdLevel::Scalar: return &kScalarKernels;
#if QUENDALTEXT_X86_KERNELS
        case SimdLevel::SSE2: return &kSSE2Kernels;
        case SimdLevel::AVX2: return &kAVX2Kernels;
        case SimdLevel::AVX512: return &kAVX512Kernels;
#else
        default: break;
#endif
    }
    return nullptr;
}

SimdLevel SupportedSimdLevel() {
    const SimdLevel cap = EnvironmentCap();
    for (int level = static_cast<int>(cap); level > 0; --level) {
        if (ProcessorRuns(static_cast<SimdLevel>(level))) return static_cast<SimdLevel>(level);
    }
    return SimdLevel::Scalar;
}

}  // namespace detail
}  // namespace QuendalText
