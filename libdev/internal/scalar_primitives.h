// Bodies of the four scalar primitives. The csqrt source includes this so
// its calls to them compile to single instructions (sqrtsd, fsqrt, andpd,
// a bit blend) instead of calls that pass a long double through memory;
// ravo_scalar_primitives.cpp includes it with RAVO_PRIMITIVE_DEFINE to emit
// the exported out-of-line definitions from the same bodies.
//
// Requires -fno-math-errno, so the builtins are the bare IEEE operations:
// correctly rounded in the current rounding mode, no errno, and no flags but
// IEEE's own (inexact when a root rounds, invalid only for a negative or
// signalling NaN operand, which the library never passes).
#ifndef RAVO_SCALAR_PRIMITIVES_H
#define RAVO_SCALAR_PRIMITIVES_H

#include "../ravo/ravo_libm.h"

#ifdef RAVO_PRIMITIVE_DEFINE
#define RAVO_PRIMITIVE
#else
// GNU extern inline: a body to inline, never an emitted symbol, so the
// exported definition stays the one in ravo_scalar_primitives.cpp.
#define RAVO_PRIMITIVE extern inline __attribute__((gnu_inline, always_inline))
#endif

extern "C" {

RAVO_PRIMITIVE double sqrt_scalar(double a) { return __builtin_sqrt(a); }

// fsqrt rounds to the precision control's 64-bit significand.
RAVO_PRIMITIVE long double sqrtl_scalar(long double a) { return __builtin_sqrtl(a); }

RAVO_PRIMITIVE double fabs_scalar(double a) { return __builtin_fabs(a); }

RAVO_PRIMITIVE double copysign_scalar(double magnitude, double sign) { return __builtin_copysign(magnitude, sign); }

}  // extern "C"

#undef RAVO_PRIMITIVE

#endif
