// The opening of a level's source under src/kernels/, closed by x86_end.h: switches on the
// instruction sets that QUENDALTEXT_KERNEL_TARGET names (a target string such as "avx2,bmi") for
// every function defined up to x86_end.h, then brings in the kernels written once for all
// levels (x86_generic.h), so that each level's source compiles its own copy for its own target
// while the rest of the library stays baseline code. Included once per source, without a guard.
#ifndef QUENDALTEXT_KERNEL_TARGET
#  error "define QUENDALTEXT_KERNEL_TARGET before including kernels/x86_begin.h"
#endif

// Included before the switch, so that they keep the baseline target.
#include <immintrin.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

// A pragma whose text is macro-expanded first: the target string comes from a macro.
#define QUENDALTEXT_KERNEL_PRAGMA_TEXT(...) _Pragma(#__VA_ARGS__)
#define QUENDALTEXT_KERNEL_PRAGMA(...) QUENDALTEXT_KERNEL_PRAGMA_TEXT(__VA_ARGS__)

#if defined(__clang__)
QUENDALTEXT_KERNEL_PRAGMA(clang attribute push(__attribute__((target(QUENDALTEXT_KERNEL_TARGET))),
                                               apply_to = function))
#else
#  pragma GCC push_options
// GCC 12 takes the deliberately undefined vectors inside some intrinsics for uninitialized
// variables once they are inlined.
#  pragma GCC diagnostic push
#  pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
QUENDALTEXT_KERNEL_PRAGMA(GCC target(QUENDALTEXT_KERNEL_TARGET))
#endif

#include "kernels/x86_generic.h"
