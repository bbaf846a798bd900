// cr_csqrt_scalar's implementations, one per path. Every build has the
// binary64-only path; x86-64 builds by default also have the x87 path and
// choose between them at the first call (cr_csqrt_dispatch.cpp). All give
// the same bits and flags, rounding in the binary64 unit's mode.
#ifndef RAVO_CR_CSQRT_PATHS_H
#define RAVO_CR_CSQRT_PATHS_H

#include "../ravo/ravo_libm.h"

namespace ravo::internal {

ravo_c_complex cr_csqrt_x87(ravo_c_complex z);
ravo_c_complex cr_csqrt_binary64(ravo_c_complex z);
// Its cases other than general arguments that need no scaling.
ravo_c_complex cr_csqrt_binary64_other_cases(double x, double y);
// The binary64 path's common case without MXCSR, for AVX-512 CPUs; the rest
// on cr_csqrt_binary64.
ravo_c_complex cr_csqrt_binary64_avx512(ravo_c_complex z);

}  // namespace ravo::internal

#endif
