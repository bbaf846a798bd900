// cr_csqrt_scalar's binary64-only slow path. A part whose rounding the fast
// test certifies and that cannot be tiny is rounded as in the fast path.
// Otherwise the part is placed against the candidate b nearest to the
// approximation, in fixed point, and where that cannot say on which side of
// b the exact part lies, the exact decision (cr_exact_decision.h) says it,
// or that the part is b:
//   - the candidates are multiples of a quarter of the last place at the
//     part's exponent, and of 2^-1077 below 2^-1022: every binary64 number
//     and midpoint, including the subnormal ones, and in [2^-1023, 2^-1022)
//     the points where the tininess of the 53-bit rounding changes;
//   - the approximation errs by less than 2^-97 relatively and lies within
//     half a candidate step (plus 2^-40 of one) of b, so the exact part lies
//     within one step of b: equal to b, or strictly between b and the next
//     candidate on the decided side, where no rounding boundary of any mode
//     lies; when the approximation's distance to b exceeds its error, that
//     side is certain without the exact decision;
//   - an exact part is b itself (never a midpoint nor a finer candidate: see
//     the exact decision's notes); an inexact part rounds as the point half
//     a step from b on its side, which is rounded here in integers, in the
//     caller's mode, with x86's tininess rule, so every platform gives the
//     same bits and flags.
#include "../internal/build_guard.h"

#include "../internal/cr_binary64_decision.h"

#include <cstdint>

#include "../internal/binary64_kernel.h"
#include "../internal/binary64_status.h"
#include "../internal/cr_exact_decision.h"
#include "../internal/flag_operations.h"
#include "../internal/fp_bits.h"
#include "../internal/part_placement.h"

using namespace ravo::internal;

namespace {

struct Rounded {
  std::uint64_t bits;  // the magnitude's pattern
  bool inexact, underflow;
};

// w 2^p for 0 < w < 2^58, rounded to binary64 in the magnitude's mode: to
// nearest, toward zero (down or toward zero) or away from zero (up); ties
// never occur here.
// Underflow when inexact and tiny: w 2^p rounded to 53 bits with an
// unbounded exponent is below 2^-1022.
Rounded round_scaled(std::uint64_t w, int p, RoundingMode rounding) {
  const int length = 64 - __builtin_clzll(w);
  const int e = p + length - 1;  // w 2^p in [2^e, 2^(e+1))
  // The significand kept to `kept` bits (at most 0: only the carry is left).
  struct Significand {
    std::uint64_t m;
    bool inexact;
  };
  const auto round_to = [&](int kept) -> Significand {
    const int drop = length - kept;
    if (drop <= 0) return {w << -drop, false};
    if (drop > 60) return {rounding == kUpward, true};  // below half the kept unit
    const std::uint64_t rest = w & ((std::uint64_t{1} << drop) - 1), half = std::uint64_t{1} << (drop - 1);
    const bool up = rest != 0 && (rounding == kUpward || (rounding == kToNearest && rest > half));
    return {(w >> drop) + up, rest != 0};
  };
  if (e >= -1022) {
    const Significand s = round_to(53);  // [2^52, 2^53]: a carry moves into the exponent
    return {(static_cast<std::uint64_t>(e + 1022) << 52) + s.m, s.inexact, false};
  }
  // Below 2^-1022 the unit is 2^-1074 and the pattern is the significand.
  const Significand s = round_to(e + 1075);
  const bool tiny = e < -1023 || round_to(53).m < (std::uint64_t{1} << 53);
  return {s.m, s.inexact, s.inexact && tiny};
}

struct Settled {
  double value;
  bool inexact, underflow;
};

// A part sign (v.hi + v.lo) 2^scale, v approximating its magnitude.
Settled settle(RootPart part, double x, double y, DoubleDouble v, int scale, std::uint64_t sign,
               RoundingMode rounding) {
  if (settles_as_fast_path(v, scale))
    return {times_power_of_two(signed_rounding(v, sign ? -1.0 : 1.0), scale), true, false};
  const auto [b, unit, certain_side] = place_part(v, scale);
  // b = 0 is below every positive part.
  int side = b == 0 ? 1 : certain_side;
  if (side == 0) {
    const int zeros = __builtin_ctzll(b);
    side = ravo::internal::exact_part_vs(part, x, y, b >> zeros, unit + zeros);
  }
  const RoundingMode magnitude_rounding = sign ? mirrored_rounding(rounding) : rounding;
  const Rounded r = side == 0 ? round_scaled(b, unit, magnitude_rounding)
                              : round_scaled(2 * b + static_cast<std::uint64_t>(side), unit - 1, magnitude_rounding);
  return {from_bits(r.bits | sign), r.inexact, r.underflow};
}

}  // namespace

namespace ravo::internal {

Parts cr_binary64_settle(double x, double y, std::uint64_t status_at_entry, DoubleDouble big, DoubleDouble small,
                         int big_scale, int small_scale) {
  const RoundingMode rounding = binary64_rounding();
  const PartSignBits signs = part_sign_bits(x, y);
  const Settled t = settle(RootPart::big, x, y, big, big_scale, signs.big, rounding);
  const Settled q = settle(RootPart::small, x, y, small, small_scale, signs.small, rounding);
  if (t.inexact || q.inexact) {
    raise_inexact();
    if (t.underflow || q.underflow) raise_underflow();
  } else if (!(status_at_entry & kInexactStatus)) {
    // Both parts exact: the approximation's inexact goes (a write of the
    // status word, which costs, only when there is one to undo).
    restore_flags_but_inexact(status_at_entry, false);
  }
  return placed(sign_bit(x), t.value, q.value);
}

}  // namespace ravo::internal
