// csqrt_scalar: principal square root of a binary64 complex value.
//
// Finite arguments with both parts non-zero go to a kernel that works in the
// x87 extended format, whose 15-bit exponent holds x^2 + y^2 for any finite
// binary64 x and y (below 2^2049, and no non-zero square is below 2^-2148):
// no scaling, no paths by magnitude. Everything else is settled by bit tests,
// comparisons with zero and one-line formulas. Every path ends in the
// underflow signal, which raises underflow when a result part is subnormal.
//
// Accuracy against MPC, 6 x 10^6 samples per mode (csqrt-accuracy):
//   nearest: max observed 0.5008 ulp, 99.95 % of pairs correctly rounded; not
//     always correctly rounded because of the double rounding (extended, then
//     binary64). Worst: x = 0x8010000042a2386e, y = 0x0000bfdac397838d gives
//     re 0x1fa7f9a9a5ff0f4e, want 0x1fa7f9a9a5ff0f4d.
//   directed: max observed 1.0015 ulp. The magnitudes are rounded in the
//     mode's direction before signs are set, so a negative part rounds the
//     other way.
// The extended intermediates bound the excess over the final rounding by a
// few thousandths of an ulp.
#include <algorithm>

#include "../internal/libm_internal.h"
#include "../internal/scalar_primitives.h"
#include "ravo_libm.h"

namespace {

// A result as two binary64 values; kept out of std::complex inside the
// library, which GCC would assemble and take apart in memory.
struct Parts {
  double re, im;
};

// A value's bits with the sign shifted out. Finite values are the patterns
// below kInfinityMagnitude, and non-zero ones are at least 1; the larger or
// smaller of two patterns decides a class for both parts in one comparison.
constexpr std::uint64_t magnitude_bits(double v) { return std::bit_cast<std::uint64_t>(v) << 1; }
constexpr std::uint64_t kInfinityMagnitude = 0xFFE0000000000000u;

// a*b, with a as the instruction's first source: when both are NaN, SSE
// quiets and returns the first source, so a's sign and payload win. Written
// as asm because the compiler treats * as commutative and may swap operands.
inline double nan_product(double a, double b) {
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
  [[maybe_unused]] volatile double scratch = tiny * tiny;
}

// Every path ends here. Only a subnormal part signals; a part that rounded
// to zero in the kernel has raised underflow through its own rounding.
// Subnormals are the magnitude patterns 1 .. 2^53 - 1 (zero wraps to the
// top); the smaller of the two decides for both parts.
inline void signal_underflow_if_subnormal(double re, double im) {
  constexpr std::uint64_t kNormalMagnitude = std::uint64_t{1} << 53;
  if (std::min(magnitude_bits(re) - 1, magnitude_bits(im) - 1) < kNormalMagnitude - 1) [[unlikely]]
    raise_underflow();
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
Parts __ravo_internal_csqrt(double x, double y) {
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

// x and y finite, one of them ±0.
Parts axis_result(double x, double y) {
  if (x != ZEROA) {
    // y = ±0. csqrt(x ± 0i) = sqrt(x) ± 0i for x > 0, and +0 ± i sqrt(-x)
    // for x < 0; -x = |x| is exact. Selected, not branched on.
    const double t = sqrt_scalar(fabs_scalar(x));
    const bool x_negative = x < ZEROA;
    return {x_negative ? ZEROA : t, copysign_scalar(x_negative ? t : ZEROA, y)};
  }
  // csqrt(±0 + iy) = sqrt(|y|/2) (1 ± i), with the sign of y; ±0 for y = ±0.
  // |y|/2 is exact in extended, so s is rounded once.
  const double s = static_cast<double>(sqrtl_scalar(0.5L * to_extended(fabs_scalar(y))));
  return {s, copysign_scalar(s, y)};
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
// and raises nothing.
Parts special_result(double x, double y) {
  if (__libm_internal_isninf(y)) return {POSINFA, NEGINFA};
  if (__libm_internal_ispinf(y)) return {POSINFA, POSINFA};
  if (__libm_internal_isnan(x) || __libm_internal_isnan(y)) {
    const double p = nan_product(x, y);
    return {__libm_internal_ispinf(x) ? POSINFA : p, __libm_internal_isninf(x) ? POSINFA : p};
  }
  const bool y_negative = y < ZEROA || __libm_internal_isnegzero(y);
  if (__libm_internal_isninf(x)) return {ZEROA, y_negative ? NEGINFA : POSINFA};
  return {POSINFA, y_negative ? NZEROA : ZEROA};
}

}  // namespace

extern "C" ravo_complex_double csqrt_scalar(ravo_complex_double z) {
  const double x = z.real();
  const double y = z.imag();
  // The classes are disjoint, so testing the general case first changes no
  // result and no flag; each test is one comparison for both parts.
  const std::uint64_t mx = magnitude_bits(x), my = magnitude_bits(y);
  Parts w;
  if (std::max(mx - 1, my - 1) < kInfinityMagnitude - 1) [[likely]]
    w = __ravo_internal_csqrt(x, y);
  else if (std::max(mx, my) < kInfinityMagnitude)
    w = axis_result(x, y);
  else
    w = special_result(x, y);
  signal_underflow_if_subnormal(w.re, w.im);
  return {w.re, w.im};
}
