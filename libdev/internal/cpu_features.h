// What the x86-64 CPU (and the OS, which must save the vector state) lets
// the library run: the paths and vector targets chosen at the first call
// ask here. libgcc's checks include the OS's support of the AVX state.
#ifndef RAVO_CPU_FEATURES_H
#define RAVO_CPU_FEATURES_H

#include "target_namespace.h"

RAVO_INTERNAL_BEGIN

// May run before the C runtime's constructors, which would set these up.
inline void init_cpu_features() { __builtin_cpu_init(); }

// FMA with its VEX encoding: the binary64 path built with -mfma.
inline bool cpu_has_fma() { return __builtin_cpu_supports("fma") && __builtin_cpu_supports("avx"); }
// The array function's AVX2 lanes (-mavx2 -mfma) and AVX-512 ones
// (-mavx512f -mfma).
inline bool cpu_has_avx2_fma() { return cpu_has_fma() && __builtin_cpu_supports("avx2"); }
inline bool cpu_has_avx512f_fma() { return cpu_has_avx2_fma() && __builtin_cpu_supports("avx512f"); }

RAVO_INTERNAL_END

#endif
