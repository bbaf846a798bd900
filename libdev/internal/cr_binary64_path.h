// cr_csqrt_scalar's binary64-only path: the double-double kernel
// (binary64_kernel.h), its rounding test, and the slow path when the test
// fails or the small part may be tiny. Used by cr_csqrt_scalar where the
// build selects this path, and by csqrt_scalar on targets without the x87
// format.
#ifndef RAVO_CR_BINARY64_PATH_H
#define RAVO_CR_BINARY64_PATH_H

#include <bit>
#include <cstdint>

#include "binary64_kernel.h"
#include "binary64_status.h"
#include "cr_axis.h"
#include "cr_binary64_decision.h"
#include "csqrt_special.h"

namespace {

// x, y finite and non-zero; status is binary64_status() read on entry.
// When both roundings are certain, each part is one binary64 addition of
// its double-double value, signed first: correctly rounded, inexact (the
// value is off every binary64 number), never tiny; the exponent is then
// set by an integer addition. The kernel raises inexact, and nothing else.
// The fast path for arguments that need no scaling (needs_no_scaling).
inline Parts cr_binary64_unscaled(double x, double y, std::uint64_t status) {
  const std::uint64_t y_sign = bits_of(y) & kSignBit, x_negative = bits_of(x) >> 63;
  const double ay = from_bits(bits_of(y) & ~kSignBit);
  const RootPair root = root_core(from_bits(bits_of(x) & ~kSignBit), ay, ay);
  if (!both_roundings_are_certain(root.big, root.small)) [[unlikely]]
    return std::bit_cast<Parts>(ravo_internal::cr_binary64_settle(x, y, status));
  // For x < 0 the big part is the imaginary one and takes y's sign; for
  // x > 0 the small one does.
  // The signs as factors of +-1 (exact products), kept in the SSE registers.
  static constexpr double kSign[2] = {1.0, -1.0};
  const std::uint64_t y_negative = y_sign >> 63;
  const double big_factor = kSign[y_negative & x_negative], small_factor = kSign[y_negative & (1 - x_negative)];
  const double t = root.big.hi * big_factor + root.big.lo * big_factor;
  const double q = root.small.hi * small_factor + root.small.lo * small_factor;
  if (x_negative) return {q, t};
  return {t, q};
}

// Any finite non-zero x and y; the parts scaled back by integer additions
// to their exponents.
[[gnu::noinline]] inline Parts cr_binary64_scaled(double x, double y, std::uint64_t status) {
  const std::uint64_t y_sign = bits_of(y) & kSignBit, x_negative = bits_of(x) >> 63;
  const Binary64Root root = binary64_root(x, y);
  if (!(both_roundings_are_certain(root.big, root.small) && is_clear_of_underflow(root.small, root.small_scale)))
      [[unlikely]]
    return std::bit_cast<Parts>(ravo_internal::cr_binary64_settle(x, y, status));
  const double t = times_power_of_two(signed_rounding(root.big, y_sign & (0 - x_negative)), root.big_scale);
  const double q = times_power_of_two(signed_rounding(root.small, y_sign & (x_negative - 1)), root.small_scale);
  if (x_negative) return {q, t};
  return {t, q};
}

inline Parts cr_binary64_general(double x, double y, std::uint64_t status) {
  if (needs_no_scaling(x, y)) [[likely]]
    return cr_binary64_unscaled(x, y, status);
  return cr_binary64_scaled(x, y, status);
}

// Which path a general argument takes: 0 the fast path, 1 the slow path
// without an exact decision, 2 with one. Raises flags like the call.
inline int cr_binary64_path(double x, double y) {
  bool certain;
  if (needs_no_scaling(x, y)) {
    const double ay = from_bits(bits_of(y) & ~kSignBit);
    const RootPair root = root_core(from_bits(bits_of(x) & ~kSignBit), ay, ay);
    certain = both_roundings_are_certain(root.big, root.small);
  } else {
    const Binary64Root root = binary64_root(x, y);
    certain = both_roundings_are_certain(root.big, root.small) && is_clear_of_underflow(root.small, root.small_scale);
  }
  if (certain) return 0;
  return ravo_internal::cr_binary64_decides(x, y) ? 2 : 1;
}

#if !defined(__x86_64__)
// The whole of cr_csqrt_scalar on targets without the x87 unit: no
// environment to check; the rounding mode is the binary64 unit's.
inline Parts cr_binary64_dispatch(double x, double y) {
  // Arguments that need no scaling are general ones, and the common case.
  if (needs_no_scaling(x, y)) [[likely]]
    return cr_binary64_unscaled(x, y, binary64_status(x, y));
  if (is_general(x, y)) return cr_binary64_scaled(x, y, binary64_status(x, y));
  if (is_finite_pair(x, y)) return cr_axis_root(x, y, binary64_rounding());
  return special_result(x, y);
}
#endif

}  // namespace

#endif
