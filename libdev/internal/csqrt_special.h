// The special-value table and the code that realises it, shared by every
// entry: csqrt_scalar and cr_csqrt_scalar give the same results and flags
// for every argument with an infinite or NaN part.
#ifndef RAVO_CSQRT_SPECIAL_H
#define RAVO_CSQRT_SPECIAL_H

#include <cstdint>

#include "complex_parts.h"
#include "fp_bits.h"
#include "libm_internal.h"
#include "target_namespace.h"

RAVO_INTERNAL_BEGIN

// a*b, with a as the instruction's first source: when both are NaN, SSE
// quiets and returns the first source, so a's sign and payload win. Written
// as asm because the compiler treats * as commutative and may swap operands;
// volatile because the product raises invalid for a signalling NaN, so it
// must be neither dropped nor moved ahead of the tests that select it.
// aarch64 prefers a signalling operand to a quiet first one, so there a's
// NaN, quieted, is selected after the product, which keeps the flags.
inline double nan_product(double a, double b) {
#if defined(__x86_64__) && defined(__AVX__)
  double p;
  asm volatile("vmulsd %2, %1, %0" : "=x"(p) : "x"(a), "x"(b));
  return p;
#elif defined(__x86_64__)
  asm volatile("mulsd %1, %0" : "+x"(a) : "x"(b));
  return a;
#elif defined(__aarch64__)
  double p;
  asm volatile("fmul %d0, %d1, %d2" : "=w"(p) : "w"(a), "w"(b));
  constexpr std::uint64_t kQuietBit = std::uint64_t{1} << 51;
  return __libm_internal_isnan(a) ? from_bits(bits_of(a) | kQuietBit) : p;
#else
#error "csqrt_special.h: no NaN product for this target"
#endif
}

// x or y is infinite or NaN:
//   csqrt(x ± i inf)    = +inf ± i inf  for every x, NaN included
//   csqrt(-inf + i NaN) = NaN + i inf
//   csqrt(+inf + i NaN) = +inf + i NaN
//   csqrt(NaN + iy), csqrt(x + i NaN), otherwise = NaN + i NaN, one NaN
//   csqrt(-inf ± iy)    = +0 ± i inf    y finite, sign of y, zeros included
//   csqrt(+inf ± iy)    = +inf ± 0i     y finite, sign of y, zeros included
// The NaN is x*y: x's payload when x is a NaN, else y's, quieted, and invalid
// for a signalling operand. For x = ±inf it is y*y to the bit, flags
// included (an infinity times a NaN gives the NaN), so one product serves
// all three NaN rows. A signalling x meeting an infinite y meets no product
// and raises nothing. Signs come from sign bits: under DAZ a subnormal y
// compares equal to zero, and its sign still decides.
inline Parts special_result(double x, double y) {
  if (__libm_internal_isninf(y)) return {POSINFA, NEGINFA};
  if (__libm_internal_ispinf(y)) return {POSINFA, POSINFA};
  if (__libm_internal_isnan(x) || __libm_internal_isnan(y)) {
    const double p = nan_product(x, y);
    return {__libm_internal_ispinf(x) ? POSINFA : p, __libm_internal_isninf(x) ? POSINFA : p};
  }
  const bool y_negative = sign_bit(y);
  if (__libm_internal_isninf(x)) return {ZEROA, y_negative ? NEGINFA : POSINFA};
  return {POSINFA, y_negative ? NZEROA : ZEROA};
}

RAVO_INTERNAL_END

#endif
