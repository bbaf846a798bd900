// cr_csqrt_scalar's binary64-only path: the double-double kernel
// (binary64_kernel.h), its rounding test, and the slow path when the test
// fails or the small part may be tiny. The entries that dispatch to them,
// one per target, are cr_csqrt_binary64.cpp (x86-64) and
// cr_csqrt_binary64_aarch64.cpp.
#ifndef RAVO_CR_BINARY64_PATH_H
#define RAVO_CR_BINARY64_PATH_H

#include <cstdint>

#include "binary64_kernel.h"
#include "binary64_status.h"
#include "complex_parts.h"
#include "cr_axis.h"
#include "cr_binary64_decision.h"
#include "double_double_rounding.h"
#include "part_placement.h"
#include "target_namespace.h"

RAVO_INTERNAL_BEGIN

// A copy of v made of its two values at the call: GCC then keeps the
// kernel's results in registers, where passing the aggregate itself would
// first store it to the stack on every call, fast path included (and load
// it back in one 16-byte piece, which no store forwards).
inline DoubleDouble by_parts(const DoubleDouble& v) { return {v.hi, v.lo}; }

// x, y finite and non-zero; status is binary64_status() read on entry.
// When both roundings are certain, each part is one binary64 addition of
// its double-double value, signed first: correctly rounded, inexact (the
// value is off every binary64 number), never tiny. The kernel raises
// inexact, and nothing else. This one for arguments that need no scaling.
inline RootPair unscaled_root(double x, double y) {
  const double ay = from_bits(bits_of(y) & ~kSignBit);
  return root_core(from_bits(bits_of(x) & ~kSignBit), ay, ay);
}

// The scaled kernel's roundings are certain, and the small part not tiny.
inline bool is_certain(const Binary64Root& root) {
  return both_roundings_are_certain(root.big, root.small) && is_clear_of_underflow(root.small, root.small_scale);
}

inline Parts cr_binary64_unscaled(double x, double y, std::uint64_t status) {
  const RootPair root = unscaled_root(x, y);
  if (!both_roundings_are_certain(root.big, root.small)) [[unlikely]]
    return cr_binary64_settle(x, y, status, by_parts(root.big), by_parts(root.small), 0, 0);
  const PartSigns signs = part_signs(x, y);
  const double t = signed_rounding(root.big, signs.big), q = signed_rounding(root.small, signs.small);
  return placed(sign_bit(x), t, q);
}

// Any finite non-zero x and y; the parts scaled back by integer additions
// to their exponents.
[[gnu::noinline]] inline Parts cr_binary64_scaled(double x, double y, std::uint64_t status) {
  const Binary64Root root = binary64_root(x, y);
  if (!is_certain(root)) [[unlikely]]
    return cr_binary64_settle(x, y, status, by_parts(root.big), by_parts(root.small), root.big_scale, root.small_scale);
  const PartSigns signs = part_signs(x, y);
  const double t = times_power_of_two(signed_rounding(root.big, signs.big), root.big_scale);
  const double q = times_power_of_two(signed_rounding(root.small, signs.small), root.small_scale);
  return placed(sign_bit(x), t, q);
}

inline Parts cr_binary64_general(double x, double y, std::uint64_t status) {
  if (needs_no_scaling(x, y)) [[likely]]
    return cr_binary64_unscaled(x, y, status);
  return cr_binary64_scaled(x, y, status);
}

RAVO_INTERNAL_END

#endif
