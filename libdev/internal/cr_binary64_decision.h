// The binary64-only path's slow path: both parts settled when the fast
// path's rounding test fails or a part may be tiny.
#ifndef RAVO_CR_BINARY64_DECISION_H
#define RAVO_CR_BINARY64_DECISION_H

#include <cstdint>

#include "binary64_kernel.h"
#include "complex_parts.h"
#include "double_double_rounding.h"
#include "target_namespace.h"

namespace ravo::internal {

// x and y finite and non-zero; status_at_entry is the binary64 status word
// read before any arithmetic of the call (binary64_status.h); big 2^big_scale
// and small 2^small_scale are the kernel's parts as the fast path computed
// them (within 2^-97), handed over rather than computed again. The result
// is correctly rounded in the current mode, with inexact put back to its
// entry state when both parts are exact, and inexact and underflow raised
// as the parts warrant. Every argument and both results travel in
// registers, so that the fast path can jump here.
Parts cr_binary64_settle(double x, double y, std::uint64_t status_at_entry, DoubleDouble big, DoubleDouble small,
                         int big_scale, int small_scale);

}  // namespace ravo::internal

RAVO_INTERNAL_BEGIN

// A part v 2^scale whose rounding the fast path's test certifies and that
// cannot be tiny: the slow path rounds it as the fast path does.
inline bool settles_as_fast_path(DoubleDouble v, int scale) {
  return rounding_is_certain(v) && is_clear_of_underflow(v, scale);
}

// The candidates' unit in fixed point.
constexpr int kFractionBitsOfUnit = 40;

// A part v 2^scale (v approximating its magnitude) against the candidates:
// the nearest one, b 2^unit, and the side of b the exact part lies on, +1
// or -1, or 0 when the approximation cannot say.
struct PartPlacement {
  std::uint64_t b;
  int unit, side;
};

inline PartPlacement place_part(DoubleDouble v, int scale) {
  const int hi_exponent = biased_exponent(v.hi) - 1023 + scale;
  const int unit = hi_exponent - 54 > -1077 ? hi_exponent - 54 : -1077;
  // v / 2^unit with 40 more bits (below 2^102 with lo's share), from the
  // patterns of hi and lo: no arithmetic that could raise a flag.
  // Truncations err by less than 2^-40.
  const auto in_units = [&](double d) -> i128 {
    const auto [m, exponent] = fields_of(d);
    const int shift = exponent + scale - unit + kFractionBitsOfUnit;  // at most 48
    const i128 f = shift >= 0 ? static_cast<i128>(m) << shift : (shift > -64 ? static_cast<i128>(m >> -shift) : 0);
    return sign_bit(d) ? -f : f;
  };
  const i128 fixed = in_units(v.hi) + in_units(v.lo);
  const auto b = static_cast<std::uint64_t>((fixed + (i128{1} << (kFractionBitsOfUnit - 1))) >> kFractionBitsOfUnit);
  // The candidate's side is certain when the approximation keeps more than
  // its error (2^-97 of v, below 2^-90 of fixed) and the truncations from
  // b: mostly so for a part below 2^-1021, whose grid is coarse. Otherwise
  // only the exact decision can say.
  const i128 offset = fixed - (static_cast<i128>(b) << kFractionBitsOfUnit);
  const i128 margin = (fixed >> 90) + 2;
  return {b, unit, offset > margin ? 1 : offset < -margin ? -1 : 0};
}

// Whether the slow path needs the exact decision for a part v 2^scale.
inline bool needs_exact_decision(DoubleDouble v, int scale) {
  if (settles_as_fast_path(v, scale)) return false;
  const PartPlacement p = place_part(v, scale);
  return p.side == 0 && p.b != 0;
}

RAVO_INTERNAL_END

#endif
