// csqrt_scalar: principal square root of a binary64 complex value.
//
// Finite arguments with both parts non-zero go to a kernel that works in the
// x87 extended format, whose 15-bit exponent holds x^2 + y^2 for any finite
// binary64 x and y (below 2^2049, and no non-zero square is below 2^-2148):
// no scaling, no paths by magnitude. Everything else is settled by bit tests,
// comparisons with zero and one-line formulas. Every path ends in the
// underflow signal, which raises underflow when a result part is subnormal.
//
// Observed accuracy (round to nearest): see README; each part is within one
// ulp of the exact root, usually correctly rounded.
#include "../internal/libm_internal.h"
#include "../internal/scalar_primitives.h"
#include "ravo_libm.h"

namespace {

// a*b, with a as the instruction's first source: when both are NaN, SSE
// quiets and returns the first source, so a's sign and payload win. Written
// as asm because the compiler treats * as commutative and may swap operands.
[[gnu::noinline, gnu::cold]] double nan_product(double a, double b) {
#ifdef __AVX__
  double p;
  asm("vmulsd %2, %1, %0" : "=x"(p) : "x"(a), "x"(b));
  return p;
#else
  asm("mulsd %1, %0" : "+x"(a) : "x"(b));
  return a;
#endif
}

// Raises underflow and inexact, nothing else. The empty asm hides the value
// from the optimiser so the product is formed at run time; the volatile
// scratch keeps it from being discarded.
[[gnu::noinline, gnu::cold]] void raise_underflow() {
  double tiny = _DBL_MIN_NORMAL;
  asm("" : "+x"(tiny));
  volatile double scratch = tiny * tiny;
  (void)scratch;
}

// Binary64 values reach the x87 unit through memory. Left to itself, GCC
// routes every SSE <-> x87 transfer through one shared stack slot, so a call's
// loads of its arguments wait for the previous call's late store of its
// result to that same slot, and successive calls serialise (about 3x slower
// on Zen 4). A volatile slot of their own keeps the arguments apart; the
// store and load are the ones the transfer needs anyway.
inline long double to_extended(double v) {
  volatile double slot = v;
  return slot;
}

// x, y finite and non-zero. Each result part is rounded to binary64 once,
// from the extended value; in round to nearest each is within one ulp.
ravo_complex_double __ravo_internal_csqrt(double x, double y) {
  const long double X = to_extended(x);
  const long double Y = to_extended(y);
  // Squares and sum round to extended; the sum cannot overflow or vanish.
  const long double R = sqrtl_scalar(X * X + Y * Y);
  // The root is taken of R + |x| (X + R for x > 0, R - X for x < 0: the same
  // rounded sum), never of R - |x|, which would cancel; the other part comes
  // from the division by the unrounded T > 0, which cannot divide by zero.
  const long double T = sqrtl_scalar(0.5L * (R + __builtin_fabsl(X)));
  const double t = static_cast<double>(T);
  // Carries the sign of y, also when it rounds to zero.
  const double q = static_cast<double>((0.5L * Y) / T);
  // Selected by the sign bit rather than by branches, which mispredict on
  // mixed signs; x is non-zero, so its sign bit says x < 0. For x < 0 the
  // real part is |q|, +0 also for a q of -0 (y tiny and negative), so that
  // csqrt(conj z) = conj(csqrt z); the imaginary part is t with y's sign.
  const bool x_negative = high_word(x) >> 31;
  const double re = x_negative ? fabs_scalar(q) : t;
  const double im = x_negative ? copysign_scalar(t, y) : q;
  return {re, im};
}

constexpr bool is_finite_bits(double v) { return (high_word(v) & 0x7FF00000u) != 0x7FF00000u; }

}  // namespace

extern "C" ravo_complex_double csqrt_scalar(ravo_complex_double z) {
  const double x = z.real();
  const double y = z.imag();
  double re;
  double im;

  if (is_finite_bits(x) && is_finite_bits(y)) [[likely]] {
    if (x != ZEROA && y != ZEROA) {
      const ravo_complex_double w = __ravo_internal_csqrt(x, y);
      re = w.real();
      im = w.imag();
    } else if (x < ZEROA) {
      // csqrt(x ± 0i) = +0 ± i sqrt(-x) for x < 0; 0 - x is exact
      const double t = sqrt_scalar(ZEROA - x);
      re = ZEROA;
      im = __libm_internal_isnegzero(y) ? ZEROA - t : t;
    } else if (x > ZEROA) {
      // csqrt(x ± 0i) = sqrt(x) ± 0i for x > 0
      re = sqrt_scalar(x);
      im = __libm_internal_isnegzero(y) ? NZEROA : ZEROA;
    } else {
      // csqrt(±0 + iy) = sqrt(|y|/2) (1 ± i), with the sign of y; ±0 for
      // y = ±0. |y|/2 is exact in extended, so s is rounded once.
      const double s = static_cast<double>(sqrtl_scalar(0.5L * to_extended(fabs_scalar(y))));
      re = s;
      im = copysign_scalar(s, y);
    }
  } else if (__libm_internal_isnan(x) || __libm_internal_isnan(y)) {
    // csqrt(any ± i inf)   = +inf ± i inf  (x may be NaN; raises nothing)
    // csqrt(-inf + i NaN)  = NaN + i inf   (NaN is y*y)
    // csqrt(+inf + i NaN)  = +inf + i NaN  (NaN is y*y)
    // otherwise            = NaN + i NaN   (both parts x*y)
    // The products quiet a signalling NaN and raise invalid for it.
    if (__libm_internal_isninf(y)) {
      re = POSINFA;
      im = NEGINFA;
    } else if (__libm_internal_ispinf(y)) {
      re = POSINFA;
      im = POSINFA;
    } else if (__libm_internal_isninf(x)) {
      re = nan_product(y, y);
      im = POSINFA;
    } else if (__libm_internal_ispinf(x)) {
      re = POSINFA;
      im = nan_product(y, y);
    } else {
      re = im = nan_product(x, y);
    }
  } else if (__libm_internal_isninf(y)) {
    // csqrt(x - i inf) = +inf - i inf
    re = POSINFA;
    im = NEGINFA;
  } else if (__libm_internal_ispinf(y)) {
    // csqrt(x + i inf) = +inf + i inf
    re = POSINFA;
    im = POSINFA;
  } else if (__libm_internal_isninf(x)) {
    // csqrt(-inf ± iy) = +0 ± i inf, y finite, sign of y (zeros included)
    re = ZEROA;
    im = (y < ZEROA || __libm_internal_isnegzero(y)) ? NEGINFA : POSINFA;
  } else {
    // csqrt(+inf ± iy) = +inf ± 0i, y finite, sign of y (zeros included)
    re = POSINFA;
    im = (y < ZEROA || __libm_internal_isnegzero(y)) ? NZEROA : ZEROA;
  }

  // Only a subnormal part signals; a part that rounded to zero in the kernel
  // has raised underflow through its own rounding. One branch for both.
  if (is_subnormal_bits(re) | is_subnormal_bits(im)) [[unlikely]] raise_underflow();
  return {re, im};
}
