// cr_csqrt_scalar's x87 path: the principal square root, correctly rounded
// in the current rounding mode, with exactly the flags a correctly rounded
// operation raises.
//
// General case: the extended kernel gives the two parts' magnitudes with a
// proven relative error (extended_rounding_test.h). When no rounding boundary of binary64 lies
// within that error of either value, rounding the extended value rounds the
// exact one, and the x87 conversion raises inexact (and underflow when the
// part is tiny) as the exact part warrants. Otherwise an exact decision in
// integer arithmetic says on which side of the nearest boundary the exact
// part lies, or that it lies on it.
//
// The x87 paths run in the kernel's environment (fp_environment.h), as
// csqrt_scalar's do; the slow path's flag handling below is relative to the
// status word at the start of that computation.
#include "../internal/build_guard.h"

#include <cstdint>
#include <cstring>

#include "../internal/argument_classes.h"
#include "../internal/complex_parts.h"
#include "../internal/cr_axis.h"
#include "../internal/cr_csqrt_paths.h"
#include "../internal/cr_exact_decision.h"
#include "../internal/csqrt_special.h"
#include "../internal/extended_kernel.h"
#include "../internal/extended_rounding_test.h"
#include "../internal/fp_environment.h"
#include "../internal/libm_internal.h"
#include "../internal/part_placement.h"
#include "../internal/root_in_mode.h"
#include "../internal/scalar_primitives.h"
#include "../internal/subnormal_operand.h"
#include "ravo_libm.h"

using namespace ravo::internal;

namespace {

// A part whose rounding the test could not certify: the grid point b nearest
// to v, and the exact side of the part. The result is b itself when the part
// equals b, else b nudged by 2^(e-62) towards the part: a value strictly
// between b and the next grid point, so it rounds (and counts as tiny or
// not) as the exact part does; both are exact in extended.
struct Decided {
  long double value;
  bool exact;  // the part is a binary64 number
};

Decided decide(RootPart part, double x, double y, long double v, bool nearest) {
  const ExtendedFields b = extended_fields(v);
  const int shift = grid_shift(b.exponent, nearest);
  // shift is 10 to 64 here (a value below 2^-1076 was certain).
  const auto k = static_cast<std::uint64_t>((static_cast<u128>(b.significand) + (u128{1} << (shift - 1))) >> shift);
  const int k_exponent = b.exponent - 63 + shift;
  const int side = ravo::internal::exact_part_vs(part, x, y, k, k_exponent);

  const long double grid_point = static_cast<long double>(k) * extended_power_of_two(k_exponent);
  // A part on the grid is a binary64 number: neither t nor q is ever a
  // midpoint (with b a midpoint, y = 2 b sqrt(b^2 -/+ |x|) would need a 54th
  // bit, or for a subnormal b a bit of x below 2^-1074).
  return {side == 0 ? grid_point : grid_point + side * extended_power_of_two(b.exponent - 62), side == 0};
}

// Rounds a part given as an extended value with its sign, in the current
// mode; the conversion raises what the rounding warrants.
inline double round_part(long double signed_value) { return static_cast<double>(signed_value); }

// Receives the kernel's values from the fast path, which has them in memory
// for its test anyway; signs are ignored.
[[gnu::noinline, gnu::cold]] Parts decide_rounding(double x, double y, bool nearest, std::uint16_t status_at_entry,
                                                   long double signed_big, long double signed_small) {
  const Margins m = nearest ? kNearestMargins : kDirectedMargins;
  const long double big = __builtin_fabsl(signed_big), small = __builtin_fabsl(signed_small);
  Decided b{big, false}, s{small, false};
  if (!precise_rounding_is_certain(big, m.big, nearest)) b = decide(RootPart::big, x, y, big, nearest);
  if (!precise_rounding_is_certain(small, m.small, nearest)) s = decide(RootPart::small, x, y, small, nearest);
  // The kernel raised inexact, and the fast path's conversions inexact and,
  // for a part below 2^-1022, underflow. Where the decided parts may not
  // warrant them, the flags go back to their state on entry; every inexact
  // part raises its flags again in its conversion below.
  const bool both_exact = b.exact && s.exact, maybe_tiny = small < 0x1p-1021L;
  if ((both_exact && !(status_at_entry & kX87Inexact)) || (maybe_tiny && !(status_at_entry & kX87Underflow)))
    restore_x87_flags(status_at_entry);
  const PartsOf<long double> w = placed(sign_bit(x), b.value, s.value);
  return {round_part(w.re), round_part(sign_bit(y) ? -w.im : w.im)};
}

// x, y finite and non-zero; cw is the x87 control word, a standard one.
inline Parts __ravo_internal_cr_csqrt(double x, double y, std::uint16_t cw) {
  const std::uint16_t status_at_entry = x87_status_word();
  const ExtendedRoot root = signed_root(x, y);
  // Rounded before the test, from the registers; the slow path puts back
  // any flag these conversions raise that the decided result does not
  // warrant.
  const double t = round_part(root.big), q = round_part(root.small);
  if (!quick_roundings_are_certain(low_significand_bits(root.big, root.small), cw)) [[unlikely]]
    return decide_rounding(x, y, is_nearest(cw), status_at_entry, root.big, root.small);
  return placed(sign_bit(x), t, q);
}

// x and y finite, one of them ±0: the axis roots in cw's mode.
Parts cr_axis_result(double x, double y, std::uint16_t cw) {
  return cr_axis_root<false>(x, y, [cw] { return x87_rounding(cw); });
}

}  // namespace

// The dispatch csqrt_scalar has: general case first (the classes are
// disjoint), the finite cases in the x87 kernels' environment.
ravo_c_complex ravo::internal::cr_csqrt_x87(ravo_c_complex z) {
  const auto [x, y] = parts_of(z);
  if (is_general(x, y)) [[likely]]
    return to_c_complex(in_x87_environment(
        x, y, [](double a, double b, std::uint16_t cw) { return __ravo_internal_cr_csqrt(a, b, cw); }));
  if (is_finite_pair(x, y))
    return to_c_complex(
        in_x87_environment(x, y, [](double a, double b, std::uint16_t cw) { return cr_axis_result(a, b, cw); }));
  return to_c_complex(special_result(x, y));
}
