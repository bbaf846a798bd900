// The general case's arithmetic in the x87 extended format, shared by
// csqrt_scalar (which rounds both values to binary64 at once) and
// cr_csqrt_scalar (which first checks that the rounding is certain).
//
// For finite non-zero x and y, with |z| = sqrt(x^2 + y^2):
//   big   = sqrt((|z| + |x|)/2)   the larger part's magnitude, never subnormal
//   small = (y/2) / big           the other part, with the sign of y
// For x > 0 the root is big + i small; for x < 0 it is |small| + i big·sign(y).
// The 15-bit exponent holds x^2 + y^2 (below 2^2049, no non-zero square
// below 2^-2148), so nothing is scaled. The root is taken of R + |x|, never
// of R - |x|, which would cancel.
#ifndef RAVO_EXTENDED_KERNEL_H
#define RAVO_EXTENDED_KERNEL_H

#include "scalar_primitives.h"
#include "target_namespace.h"

RAVO_INTERNAL_BEGIN
// File-local in every source that includes it, as csqrt_scalar's kernel.
namespace {

// Binary64 values reach the x87 unit through memory. Left to itself, GCC
// routes every SSE <-> x87 transfer through one shared stack slot, so a call's
// loads of its arguments wait for the previous call's late store of its
// result to that same slot, and successive calls serialise. A volatile slot
// of their own keeps the arguments apart; the
// store and load are the ones the transfer needs anyway.
inline long double to_extended(double v) {
  volatile double slot = v;
  return slot;
}

struct ExtendedRoot {
  long double big, small;
};

// Each operation rounds once to the 64-bit significand in the current mode;
// cr_csqrt_scalar's rounding test rests on that sequence (the error bound is
// derived there), so change one only with the other.
inline ExtendedRoot extended_root(double x, double y) {
  const long double X = to_extended(x);
  const long double Y = to_extended(y);
  const long double R = sqrtl_scalar(X * X + Y * Y);
  // X + R for x > 0 and R - X for x < 0 are the same rounded sum.
  const long double T = sqrtl_scalar(0.5L * (R + __builtin_fabsl(X)));
  // Divides by the unrounded T > 0; carries the sign of y.
  return {T, (0.5L * Y) / T};
}

}  // namespace
RAVO_INTERNAL_END

#endif
