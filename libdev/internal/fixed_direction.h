// cr_csqrt_scalar in a fixed direction on any path, the thread's mode left
// alone: the special values need no mode, the axes take theirs as a
// constant (their one root is moved to it by integer steps, cr_axis.h, and
// reads no mode), and general arguments run the path's entry in a rounding
// scope (rounding_scope.h), whose control-word writes cost tens of
// nanoseconds. The AVX-512 entries take their common case before this.
#ifndef RAVO_FIXED_DIRECTION_H
#define RAVO_FIXED_DIRECTION_H

#include "argument_classes.h"
#include "complex_parts.h"
#include "cr_axis.h"
#include "csqrt_special.h"
#include "fp_bits.h"
#include "rounding_scope.h"
#include "target_namespace.h"

RAVO_INTERNAL_BEGIN

using ComplexFunction = ravo_c_complex (*)(ravo_c_complex);

template <RoundingMode kMode, ComplexFunction entry>
ravo_c_complex in_fixed_direction(ravo_c_complex z) {
  const auto [x, y] = parts_of(z);
  if (is_general(x, y)) [[likely]]
    return in_rounding<kMode, entry>(z);
  if (is_finite_pair(x, y)) return to_c_complex(cr_axis_root<false>(x, y, [] { return kMode; }));
  return to_c_complex(special_result(x, y));
}

// The four directions of a path's entry, indexed by RoundingMode.
template <ComplexFunction entry>
constexpr ComplexFunction kInFixedDirection[4] = {
    in_fixed_direction<kToNearest, entry>, in_fixed_direction<kDownward, entry>, in_fixed_direction<kUpward, entry>,
    in_fixed_direction<kTowardZero, entry>};

RAVO_INTERNAL_END

#endif
