// cr_csqrt_scalar's implementations, one per path. Every build has the
// binary64-only path; x86-64 builds by default also have the x87 path and
// choose between them at the first call (cr_csqrt_dispatch.cpp). All give
// the same bits and flags, rounding in the library's mode. Never inlined,
// also under link-time optimisation: the entries of a fixed direction call
// them inside a rounding scope (rounding_scope.h), which no arithmetic of
// theirs may cross.
#ifndef RAVO_CR_CSQRT_PATHS_H
#define RAVO_CR_CSQRT_PATHS_H

#include "../ravo/ravo_libm.h"

namespace ravo::internal {

[[gnu::noinline]] ravo_c_complex cr_csqrt_x87(ravo_c_complex z);
[[gnu::noinline]] ravo_c_complex cr_csqrt_binary64(ravo_c_complex z);
// Its cases other than general arguments that need no scaling.
ravo_c_complex cr_csqrt_binary64_other_cases(double x, double y);
// The binary64 path's common case without MXCSR, for AVX-512 CPUs; the rest
// on cr_csqrt_binary64.
ravo_c_complex cr_csqrt_binary64_avx512(ravo_c_complex z);
// The same in a fixed direction (the thread's mode left alone), indexed by
// RoundingMode: the common case rounded by the encoding of its last two
// additions, the rest on cr_csqrt_binary64 in a rounding scope.
extern ravo_c_complex (*const cr_csqrt_binary64_avx512_in[4])(ravo_c_complex z);

}  // namespace ravo::internal

#endif
