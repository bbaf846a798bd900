// Bit-level classification of binary64 values and the read-only constants
// that fixed results are copied from. Everything here has internal linkage
// in each source that includes it.
//
// The predicates look only at the raw bit pattern (high word: sign, 11-bit
// exponent, top 20 significand bits; low word: bottom 32 significand bits),
// so classifying a signalling NaN raises no floating-point exception.
#ifndef RAVO_LIBM_INTERNAL_H
#define RAVO_LIBM_INTERNAL_H

#include <bit>
#include <cstdint>

#include "fp_bits.h"
#include "target_namespace.h"

RAVO_INTERNAL_BEGIN
// File-local in every source that includes this header: an unnamed
// namespace inside the library's own.
namespace {

// Any NaN, quiet or signalling, of either sign.
constexpr std::int32_t __libm_internal_isnan(double x) {
  const std::uint32_t h = high_word(x);
  if ((h & 0x7FF00000u) != 0x7FF00000u) return 0;
  if ((h & 0x000FFFFFu) != 0) return 1;
  return low_word(x) != 0;
}

constexpr std::int32_t __libm_internal_isninf(double x) { return high_word(x) == 0xFFF00000u && low_word(x) == 0; }

constexpr std::int32_t __libm_internal_ispinf(double x) { return high_word(x) == 0x7FF00000u && low_word(x) == 0; }

// x is -0 (+0 is not).
constexpr std::int32_t __libm_internal_isnegzero(double x) { return high_word(x) == 0x80000000u && low_word(x) == 0; }

// +0, -0, +inf and -inf, the values fixed results are copied from.
constexpr double ZEROA = from_bits(0x0000000000000000);
constexpr double NZEROA = from_bits(0x8000000000000000);
constexpr double POSINFA = from_bits(0x7FF0000000000000);
constexpr double NEGINFA = from_bits(0xFFF0000000000000);
// 2^-1022, the smallest positive normal binary64.
constexpr double _DBL_MIN_NORMAL = from_bits(0x0010000000000000);

}  // namespace
RAVO_INTERNAL_END

#endif
