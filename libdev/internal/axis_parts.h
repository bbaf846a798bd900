// The parts of an axis root from its magnitudes, placed by masks made of
// the arguments' bits alone, so that no branch on the axis or the signs
// mispredicts on mixed arguments and the roots wait for nothing but
// themselves (the masks are ready long before). x and y finite, one of
// them ±0, the other non-zero:
//   real axis, x > 0   re = root, im = y itself (the ±0);
//   real axis, x < 0   re = +0,   im = imaginary root with y's sign;
//   imaginary axis     re = root, im = imaginary root with y's sign.
// imaginary may carry y's sign already (it is or-ed in).
#ifndef RAVO_AXIS_PARTS_H
#define RAVO_AXIS_PARTS_H

#include <cstdint>

#include "complex_parts.h"
#include "fp_bits.h"
#include "scalar_primitives.h"
#include "target_namespace.h"

RAVO_INTERNAL_BEGIN

// The axis arguments of the common case: a part of at least 2^-916, so
// that o = |x| + |y|/2 is at least 2^-917 and its root's FMA residual
// stays normal (root_in_mode.h); the rest go case by case, and so do zero
// and subnormal parts, which DAZ would read as zero.
inline bool is_common_axis(double x, double y) {
  constexpr std::uint64_t kSmallestCommon = std::uint64_t{1023 - 916} << 53;  // 2^-916, shifted as magnitude_bits
  return (magnitude_bits(x) | magnitude_bits(y)) >= kSmallestCommon;
}

// The common case's one root: o = |x| + |y|/2 (one of them is zero, so the
// sum is exact) and s = sqrt(o) in the SSE unit's mode, which the caller
// moves to its own; the magnitude of both non-zero parts.
struct AxisRoot {
  double o, s;
};
inline AxisRoot common_axis_root(double x, double y) {
  const double o = fabs_scalar(x) + 0.5 * fabs_scalar(y);
  return {o, sqrt_scalar(o)};
}

inline Parts place_axis_roots(double x, double y, double root, double imaginary) {
  typedef std::uint64_t BitPair __attribute__((vector_size(16)));
  typedef double DoublePair __attribute__((vector_size(16)));
  const bool on_real_axis = magnitude_bits(x) != 0, x_negative = sign_bit(x);
  const std::uint64_t y_is_im = select_bits(on_real_axis & !x_negative, ~std::uint64_t{0}, 0);
  const BitPair keep = {select_bits(on_real_axis & x_negative, 0, ~std::uint64_t{0}), ~y_is_im};
  const BitPair add = {0, bits_of(y) & (y_is_im | kSignBit)};
  const DoublePair roots = {root, imaginary};
  const DoublePair w = (DoublePair)(((BitPair)roots & keep) | add);
  return {w[0], w[1]};
}

RAVO_INTERNAL_END

#endif
