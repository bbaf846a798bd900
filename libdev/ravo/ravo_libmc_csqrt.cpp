// csqrt_scalar: principal square root of a binary64 complex value.
//
// Finite arguments with both parts non-zero go to a kernel that works in the
// x87 extended format, whose 15-bit exponent holds x^2 + y^2 for any finite
// binary64 x and y (below 2^2049, and no non-zero square is below 2^-2148):
// no scaling, no paths by magnitude. Everything else is settled by bit tests,
// comparisons with zero and one-line formulas. Every path ends in the
// underflow signal, which raises underflow when a result part is subnormal.
// The x87 paths run in the kernels' environment (fp_environment.h): one
// read of the control word and one comparison, and a cold path otherwise.
//
// Accuracy against MPC (csqrt-accuracy; the figures, 10^7 samples per
// class and mode, in docs/accuracy.md):
//   nearest: about half an ulp at most, and not always correctly rounded
//     because of the double rounding (extended, then binary64); an example:
//     x = 0x8010000042a2386e, y = 0x0000bfdac397838d gives
//     re 0x1fa7f9a9a5ff0f4e, want 0x1fa7f9a9a5ff0f4d.
//   directed: about one ulp at most. The magnitudes are rounded in the
//     mode's direction before signs are set, so a negative part rounds the
//     other way.
// The extended intermediates bound the excess over the final rounding by a
// few thousandths of an ulp.
#include "../internal/build_guard.h"

#include "../internal/argument_classes.h"
#include "../internal/axis_parts.h"
#include "../internal/complex_parts.h"
#include "../internal/csqrt_special.h"
#include "../internal/extended_kernel.h"
#include "../internal/flag_operations.h"
#include "../internal/fp_environment.h"
#include "../internal/libm_internal.h"
#include "../internal/part_placement.h"
#include "../internal/root_in_mode.h"
#include "../internal/scalar_primitives.h"
#include "../internal/subnormal_operand.h"
#include "ravo_libm.h"

using namespace ravo::internal;

namespace {

// csqrt_scalar's general case (the x87 design's name): x, y finite and
// non-zero. Each result part is rounded to binary64 once, from the extended
// value; in round to nearest each is within one ulp.
Parts __ravo_internal_csqrt(double x, double y, std::uint16_t) {
  const ExtendedRoot root = extended_root(x, y);
  const double t = static_cast<double>(root.big);
  // Carries the sign of y, also when it rounds to zero.
  const double q = static_cast<double>(root.small);
  // x is non-zero, so its sign bit says x < 0. The real part is positive:
  // for x < 0 it is |q|, +0 also for a q of -0 (y tiny and negative), so
  // that csqrt(conj z) = conj(csqrt z).
  const Parts w = placed(sign_bit(x), t, fabs_scalar(q));
  return {w.re, copysign_scalar(w.im, y)};
}

[[gnu::noinline, gnu::cold]] double subnormal_root(double a, RoundingMode rounding) {
  const double m = in_subnormal_units(a);
  return root_in_mode(sqrt_scalar(m), m, rounding) * kSubnormalRootScale;
}

// x and y finite, one of them ±0, case by case: the rare arguments (a part
// zero or below 2^-916) and those axis_result leaves. Zero and sign are
// read from the bits: under DAZ a subnormal x compares equal to zero.
[[gnu::noinline]] Parts axis_result_by_cases(double x, double y, std::uint16_t cw) {
  if (magnitude_bits(x) != 0) {
    // y = ±0. csqrt(x ± 0i) = sqrt(x) ± 0i for x > 0, and +0 ± i sqrt(-x)
    // for x < 0; -x = |x| is exact. Selected, not branched on. The SSE root
    // is rounded as the x87 mode says.
    const double a = fabs_scalar(x);
    const RoundingMode rounding = x87_rounding(cw);
    const double t = is_below_normal(a) ? subnormal_root(a, rounding) : root_in_mode(sqrt_scalar(a), a, rounding);
    const bool x_negative = sign_bit(x);
    return {x_negative ? ZEROA : t, copysign_scalar(x_negative ? t : ZEROA, y)};
  }
  // csqrt(±0 + iy) = sqrt(|y|/2) (1 ± i), with the sign of y; ±0 for y = ±0.
  // |y|/2 is exact in extended, but s is rounded twice: the root to the
  // 64-bit significand, then to binary64. Two roundings in one direction are
  // one; in round to nearest a first rounding onto a binary64 midpoint can
  // leave s an ulp from the correctly rounded root. That is the x87 design's
  // result, which csqrt_scalar keeps (the tests pin those rows);
  // cr_csqrt_scalar rounds once.
  const double s = static_cast<double>(sqrtl_scalar(0.5L * to_extended(fabs_scalar(y))));
  return {s, copysign_scalar(s, y)};
}

// x and y finite, one of them ±0. The common case, a part of at least
// 2^-916, takes no branch on the axis or the signs (they mispredict on
// mixed arguments): one SSE root s of o = |x| + |y|/2 (one of them is
// zero, so the sum is exact), the magnitude of both non-zero parts:
//   real axis      sqrt(|x|) rounded once in the x87 mode (root_in_mode.h);
//   imaginary axis the extended root of |y|/2 rounded again to binary64:
//                  in the directed modes two roundings in one direction are
//                  one; to nearest it is s, except near a midpoint.
// The parts are then placed by masks (axis_parts.h), as
// axis_result_by_cases lays them out.
Parts axis_result(double x, double y, std::uint16_t cw) {
  if (!is_common_axis(x, y)) [[unlikely]]
    return axis_result_by_cases(x, y, cw);
  const auto [o, s] = common_axis_root(x, y);
  const RootResidual r = root_residual(s, o);
  const RoundingMode rounding = x87_rounding(cw);
  double magnitude = s;
  if (rounding == kToNearest) [[likely]] {
    // s is the nearest root when (S - 1/2)^2 < A < (S + 1/2)^2, that is
    // below < 0 < above (odd numbers, never 0). On the imaginary axis the
    // extended root rounded to nearest (a grid 2^-11 fine) may also be a
    // midpoint, which the rounding to binary64 sends to the even
    // neighbour: it is one when sqrt(A) lies within 2^-12 of S +- 1/2, and
    // then |(S +- 1/2)^2 - A| = |S +- 1/2 - sqrt(A)| (S +- 1/2 + sqrt(A))
    // < 2^-12 (2^54 + 1), so that |above| or |below| < 2^45. Otherwise
    // (another SSE mode, or a midpoint near) case by case: branches, not
    // data dependencies.
    const std::int64_t above = 4 * r.d + r.four_s + 1, below = 4 * r.d - r.four_s + 1;
    const std::int64_t margin =
        static_cast<std::int64_t>(select_bits(magnitude_bits(x) == 0, std::uint64_t{1} << 45, 0));
    if (!((above > margin) & (below < -margin))) [[unlikely]]
      return axis_result_by_cases(x, y, cw);
  } else {
    magnitude = from_bits(bits_of(s) + static_cast<std::uint64_t>(root_step(root_position(r), rounding)));
  }
  return place_axis_roots(x, y, magnitude, magnitude);
}

// The whole dispatch. The classes are disjoint, so testing the general case
// first changes no result and no flag; each test is one comparison for both
// parts. The finite cases run in the x87 kernels' environment.
inline Parts root_by_class(double x, double y) {
  if (is_general(x, y)) [[likely]]
    return in_x87_environment(x, y,
                              [](double a, double b, std::uint16_t cw) { return __ravo_internal_csqrt(a, b, cw); });
  if (is_finite_pair(x, y))
    return in_x87_environment(x, y, [](double a, double b, std::uint16_t cw) { return axis_result(a, b, cw); });
  return special_result(x, y);
}

}  // namespace

extern "C" ravo_c_complex csqrt_scalar(ravo_c_complex z) {
  const auto [x, y] = parts_of(z);
  const Parts w = root_by_class(x, y);
  signal_underflow_if_subnormal(w.re, w.im);
  return to_c_complex(w);
}
