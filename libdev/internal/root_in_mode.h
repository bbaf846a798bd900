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

namespace {

// s = sqrt(o) rounded in any mode, o > 0 normal; sqrt(o) rounded in the
// given mode.
inline double root_in_mode(double s, double o, RoundingMode rounding) {
  const Binary64Fields of = positive_normal_fields(o), sf = positive_normal_fields(s);  // o = M 2^of.exponent
  const int odd = of.exponent & 1;
  const int k = (of.exponent - 52 - odd) / 2;  // A = M 2^(52 + odd), o = A 4^k
  const std::uint64_t a_low = of.significand << (52 + odd);
  const std::uint64_t big_s = sf.significand << (sf.exponent - k);
  const auto d = static_cast<std::int64_t>(big_s * big_s - a_low);
  const auto four_s = static_cast<std::int64_t>(4 * big_s);
  // Down and toward zero (the odd codes) step down alike for a positive root.
  const std::int64_t up_step = (rounding == kToNearest) ? (4 * d + four_s + 1 < 0) : (rounding == kUpward) & (d < 0);
  const std::int64_t down_step = (rounding == kToNearest) ? (4 * d - four_s + 1 > 0) : (rounding & 1) & (d > 0);
  return from_bits(bits_of(s) + static_cast<std::uint64_t>(up_step - down_step));
}

}  // namespace

#endif
