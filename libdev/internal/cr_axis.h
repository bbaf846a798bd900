// cr_csqrt_scalar on the axes, shared by both of its paths: binary64
// square roots only, in the library's rounding mode (the x87 one on
// x86-64). Where the caller knows that the hardware root rounds in that
// mode (aarch64 reads FPCR), it is already the correctly rounded positive
// part; otherwise (on x86-64 neither path reads MXCSR here, which costs
// more than the root) and for a negative part, which is the magnitude
// rounded the other way in the directed modes, the root is moved by exact
// integer steps (root_in_mode.h).
#ifndef RAVO_CR_AXIS_H
#define RAVO_CR_AXIS_H

#include "axis_parts.h"
#include "complex_parts.h"
#include "fp_bits.h"
#include "libm_internal.h"
#include "root_in_mode.h"
#include "scalar_primitives.h"
#include "subnormal_operand.h"
#include "target_namespace.h"

RAVO_INTERNAL_BEGIN

// x and y finite, one of them ±0; here the rare ones (both zero, or a part
// below 2^-916). Each root is one binary64 square root of
// a normal operand o, times an exact scale c, so it is correctly rounded;
// never tiny (at least 2^-537). rounding() gives the mode (a RoundingMode,
// fp_bits.h); kSseInMode says the SSE unit rounds in it,
// so that only a negative root asks for it. Zero and signs come from the
// bits, which DAZ leaves alone.
template <bool kSseInMode, typename Rounding>
[[gnu::noinline, gnu::cold]] Parts cr_axis_root_rare(double x, double y, Rounding rounding) {
  const bool y_negative = sign_bit(y);
  const auto negative_root = [&](double s, double o, double c) {
    return -(root_in_mode(s, o, mirrored_rounding(rounding())) * c);
  };
  const auto positive_root = [&](double s, double o, double c) {
    if constexpr (kSseInMode) return s * c;
    return root_in_mode(s, o, rounding()) * c;
  };
  if (magnitude_bits(x) != 0) {
    // csqrt(x ± 0i) = sqrt(x) ± 0i for x > 0, +0 ± i sqrt(-x) for x < 0,
    // with sqrt(m 2^-1074) = sqrt(m) 2^-537 for a subnormal x.
    const double a = fabs_scalar(x);
    double o = a, c = 1.0;
    if (is_below_normal(a)) [[unlikely]] {
      o = in_subnormal_units(a);
      c = kSubnormalRootScale;
    }
    const double s = sqrt_scalar(o);
    if (!sign_bit(x)) return {positive_root(s, o, c), y_negative ? NZEROA : ZEROA};
    return {ZEROA, y_negative ? negative_root(s, o, c) : positive_root(s, o, c)};
  }
  // csqrt(±0 + iy) = sqrt(|y|/2) (1 ± i), |y| below 2^-916 here: computed
  // as sqrt(2|y|)/2, both scalings exact (the root far above the
  // subnormals); for a subnormal |y| = m 2^-1074 as sqrt(2m) 2^-538.
  const double a = fabs_scalar(y);
  if (magnitude_bits(a) == 0) return {ZEROA, y};
  double o, c;
  if (is_below_normal(a)) [[unlikely]] {
    o = 2.0 * in_subnormal_units(a);
    c = 0x1p-538;
  } else {
    o = a * 2.0;
    c = 0.5;
  }
  const double s = sqrt_scalar(o);
  const double re = positive_root(s, o, c);
  return {re, y_negative ? negative_root(s, o, c) : re};
}

// x and y finite, one of them ±0. The common case, a part of at least
// 2^-916, takes no branch on the axis or the signs, which mispredict about
// once a call on mixed arguments. Its one root s = sqrt(o) of
// o = |x| + |y|/2 (one of them is zero, so the sum is exact; |y|/2 is at
// least 2^-917, as root_position_by_fma needs) is moved by integer steps to the
// mode and to the mirrored mode (root_in_mode.h); then both parts are
// placed by masks (axis_parts.h), as cr_axis_root_rare below lays them out.
template <bool kSseInMode, typename Rounding>
inline Parts cr_axis_root(double x, double y, Rounding rounding) {
  if (!is_common_axis(x, y)) [[unlikely]]
    return cr_axis_root_rare<kSseInMode>(x, y, rounding);
  const auto [o, s] = common_axis_root(x, y);
#if RAVO_HAS_FMA
  const RootPosition position = root_position_by_fma(s, o);
#else
  const RootPosition position = root_position(s, o);
#endif
  const RoundingMode mode = rounding();
  double positive, imaginary;
  if (mode == kToNearest) [[likely]] {
    // Both roots are s, unless the SSE unit rounds in another mode: a
    // branch rather than a data dependency, so that the common case waits
    // for the root alone.
    positive = s;
    if (!kSseInMode && (position.nearest_is_up | position.nearest_is_down)) [[unlikely]]
      positive = from_bits(bits_of(s) + root_step(position, kToNearest));
    imaginary = positive;
  } else {
    positive = kSseInMode ? s : from_bits(bits_of(s) + root_step(position, mode));
    const double negative = -from_bits(bits_of(s) + root_step(position, mirrored_rounding(mode)));
    imaginary = select_bits(sign_bit(y), negative, positive);
  }
  return place_axis_roots(x, y, positive, imaginary);
}

RAVO_INTERNAL_END

#endif
