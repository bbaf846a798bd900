// cr_csqrt_scalar in builds with one path, the binary64-only one: aarch64,
// and x86-64 with RAVO_CR_PORTABLE. The build's file list puts this file in
// place of cr_csqrt_dispatch.cpp; the entry is a direct jump.
#include "../internal/build_guard.h"

#include "../internal/cr_csqrt_paths.h"
#include "../internal/fixed_direction.h"
#include "../internal/target_namespace.h"
#include "ravo_libm.h"

using namespace ravo::internal;

extern "C" ravo_c_complex cr_csqrt_scalar(ravo_c_complex z) { return cr_csqrt_binary64(z); }

// The fixed directions (fixed_direction.h).
extern "C" ravo_c_complex cr_csqrt_rn(ravo_c_complex z) { return in_fixed_direction<kToNearest, cr_csqrt_binary64>(z); }
extern "C" ravo_c_complex cr_csqrt_rd(ravo_c_complex z) { return in_fixed_direction<kDownward, cr_csqrt_binary64>(z); }
extern "C" ravo_c_complex cr_csqrt_ru(ravo_c_complex z) { return in_fixed_direction<kUpward, cr_csqrt_binary64>(z); }
extern "C" ravo_c_complex cr_csqrt_rz(ravo_c_complex z) {
  return in_fixed_direction<kTowardZero, cr_csqrt_binary64>(z);
}

// With FMA when the compiler targets it (aarch64 always).
extern "C" const char* cr_csqrt_implementation(void) {
#if RAVO_HAS_FMA
  return "binary64-fma";
#else
  return "binary64";
#endif
}
