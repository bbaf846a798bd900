// The square root of a binary64 value correctly rounded in the x87 rounding
// mode, from the SSE root. sqrtsd rounds in MXCSR's mode, which a caller can
// set apart from the x87 one (_MM_SET_ROUNDING_MODE); the library follows the
// x87 mode everywhere. Reading MXCSR (stmxcsr) costs more than the axis
// case's whole arithmetic, so the SSE root, correct in some mode and hence
// within one ulp, is moved to the x87 mode's rounding by exact integer
// arithmetic instead: a few instructions and no branch.
//
// With o = A 4^k, A an integer in [2^104, 2^106), the root s = S 2^k has S
// an integer in [2^52, 2^53], within one of sqrt(A). D = S^2 - A is below
// 2^54 in magnitude, so its low 64 bits (wrapping products) are exact, and
//   s < sqrt(o)                  <=>  D < 0
//   sqrt(o) above s + ulp/2      <=>  (2S + 1)^2 < 4A  <=>  4D + 4S + 1 < 0
//   sqrt(o) below s - ulp/2      <=>  (2S - 1)^2 > 4A  <=>  4D - 4S + 1 > 0
// (a root of a binary64 number is never a midpoint). The correct rounding is
// s or one of its neighbours, one step away in the bit pattern.
#ifndef RAVO_ROOT_IN_MODE_H
#define RAVO_ROOT_IN_MODE_H

#include <cstdint>

#include "fp_bits.h"
#include "target_namespace.h"

RAVO_INTERNAL_BEGIN

// Where sqrt(o) lies around s = sqrt(o) rounded in any mode (o > 0
// normal): the four signs that decide the step of every mode.
struct RootPosition {
  bool below_root;       // s < sqrt(o)
  bool above_root;       // s > sqrt(o)
  bool nearest_is_up;    // sqrt(o) above s + ulp/2
  bool nearest_is_down;  // sqrt(o) below s - ulp/2
};

// D and 4S, as above.
struct RootResidual {
  std::int64_t d, four_s;
};

inline RootResidual root_residual(double s, double o) {
  // From o alone, off the root's chain: A, and the bits of 2^(k+52) less
  // 2^52, so that S = bits(s) - that, also for s = 2^(k+53) (S = 2^53).
  const std::int64_t biased = positive_biased_exponent(o);
  const std::int64_t half_exponent = (biased - 1023) >> 1;  // floor(E / 2) = k + 52
  const std::uint64_t a = ((bits_of(o) & kFractionBits) | kImplicitBit) << (52 + ((biased + 1) & 1));
  const std::uint64_t big_s = bits_of(s) - (static_cast<std::uint64_t>(half_exponent + 1022) << 52);
  return {static_cast<std::int64_t>(big_s * big_s - a), static_cast<std::int64_t>(4 * big_s)};
}

inline RootPosition root_position(RootResidual r) {
  return {r.d<0, r.d> 0, 4 * r.d + r.four_s + 1 < 0, 4 * r.d - r.four_s + 1 > 0};
}

inline RootPosition root_position(double s, double o) { return root_position(root_residual(s, o)); }

#if RAVO_HAS_FMA
// The same from the residual r = o - s^2 = -D 4^k by one FMA, for
// o >= 2^-916, with the ulp 2^k of sqrt(o)'s binade read from o's exponent
// (off the root's chain). r keeps D's sign, and its comparisons with
// +-S 4^k = +-s 2^k (exact, at least 2^-1020) are those of -D with +-S:
//   nearest up    -D > S + 1/4  <=>  -D > S   <=>  r > s 2^k
//   nearest down  -D < 1/4 - S  <=>  -D <= -S <=>  r <= -s 2^k
// as D and S are integers. |D| < 2^54 may round: rounding is monotonic and
// S <= 2^53 is a binary64 number, so the comparisons hold (the one tie,
// -D rounding to S = 2^53, needs s a power of two above sqrt(o), D > 0).
// 2k >= -1022, so a non-zero r is normal: FTZ and DAZ change nothing, and
// r rounds (raising inexact) only when D != 0, where the root is inexact.
inline RootPosition root_position_by_fma(double s, double o) {
  // 2^k with k = floor(E / 2) - 52 for o in [2^E, 2^(E+1)), biased.
  const std::int64_t biased = positive_biased_exponent(o);
  const double ulp = from_bits(static_cast<std::uint64_t>(((biased - 1023) >> 1) - 52 + 1023) << 52);
  const double r = __builtin_fma(-s, s, o), t = s * ulp;
  return {r > 0, r<0, r> t, r <= -t};
}
#endif

// The step, -1, 0 or +1 in the bit pattern, from s to sqrt(o) rounded in
// the given mode.
inline std::int64_t root_step(RootPosition p, RoundingMode rounding) {
  // Down and toward zero (the odd codes) step down alike for a positive root.
  const std::int64_t up_step = (rounding == kToNearest) ? p.nearest_is_up : (rounding == kUpward) & p.below_root;
  const std::int64_t down_step = (rounding == kToNearest) ? p.nearest_is_down : (rounding & 1) & p.above_root;
  return up_step - down_step;
}

// s = sqrt(o) rounded in any mode, o > 0 normal; sqrt(o) rounded in the
// given mode.
inline double root_in_mode(double s, double o, RoundingMode rounding) {
  return from_bits(bits_of(s) + static_cast<std::uint64_t>(root_step(root_position(s, o), rounding)));
}

RAVO_INTERNAL_END

#endif
