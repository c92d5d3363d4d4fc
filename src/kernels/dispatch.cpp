// Choosing the kernels: the processor's features, read once, and an optional cap from the
// environment.
#include "internal/kernels.h"

#include <cstdio>
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

// The level named by QUENDALTEXT_SIMD, or the most capable one when it is unset or empty. A
// value that names no level stops the process with a message: a run asked to test one level
// must not quietly test another.
SimdLevel EnvironmentCap() {
    const char* name = std::getenv("QUENDALTEXT_SIMD");
    if (name == nullptr || *name == '\0') return SimdLevel::AVX512;
    for (int level = 0; level < kSimdLevels; ++level) {
        if (std::strcmp(name, kSimdLevelNames[level]) == 0) return static_cast<SimdLevel>(level);
    }
    std::fprintf(stderr,
                 "QuendalText: QUENDALTEXT_SIMD=%s names no kernel level (%s, %s, %s, %s)\n", name,
                 kSimdLevelNames[0], kSimdLevelNames[1], kSimdLevelNames[2], kSimdLevelNames[3]);
    std::abort();
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
