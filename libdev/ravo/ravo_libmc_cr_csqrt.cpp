// cr_csqrt_scalar's x87 path: the principal square root, correctly rounded
// in the current rounding mode, with exactly the flags a correctly rounded
// operation raises.
//
// General case: the extended kernel gives the two parts' magnitudes with a
// proven relative error (below). When no rounding boundary of binary64 lies
// within that error of either value, rounding the extended value rounds the
// exact one, and the x87 conversion raises inexact (and underflow when the
// part is tiny) as the exact part warrants. Otherwise an exact decision in
// integer arithmetic says on which side of the nearest boundary the exact
// part lies, or that it lies on it.
//
// Error bound. Every x87 operation rounds once to 64 bits in the current
// mode: a relative error below u = 2^-64 in round to nearest, 2^-63 in the
// directed modes; no intermediate overflows or underflows. Then
//   S = (x^2(1+d1) + y^2(1+d2))(1+d3)         S/s       in [(1-u)^2, (1+u)^2]
//   R = sqrt(S)(1+d4)                         R/|z|     in [(1-u)^2, (1+u)^2]
//   A = (R + |x|)(1+d5)                       A/(|z|+|x|) in [(1-u)^3, (1+u)^3]
//   T = sqrt(A/2)(1+d6)                       T/t       in [(1-u)^2.5, (1+u)^2.5]
//   Q = ((y/2)/T)(1+d7)                       Q/q       in [(1-u)/(1+u)^2.5, (1+u)/(1-u)^2.5]
// (halvings exact; R + |x| errs no more than R, both being positive), so
// |T/t - 1| < 2.5u(1 + 2u) and |Q/q - 1| < 3.5u(1 + 3u). In units of the
// value's last extended place (2^(e-63) for a value in [2^e, 2^(e+1))) the
// error is below 2^64 u times that factor: 2.5 and 3.5 units in round to
// nearest, 5 and 7 units in the directed modes, each plus less than 2^-58.
// Distances to a boundary are whole units, so a distance above 2, 3, 5 or 7
// units certifies the rounding. tools/proof/ checks these bounds with gappa
// in each mode (2.5001, 3.5001, 5.0001 and 7.0001 units), for either sign of
// the quotient.
//
// Boundaries are the binary64 numbers (a part on one is exact, or a directed
// rounding changes across it) and in round to nearest also the midpoints.
// Below 2^-1022 the grid is that of subnormals; in [2^-1023, 2^-1022) it is
// kept at 53 bits, where the tininess of the 53-bit rounding with unbounded
// exponent (x86's underflow rule) can change.
//
// The x87 paths run in the kernel's environment (fp_environment.h), as
// csqrt_scalar's do; the slow path's flag handling below is relative to the
// status word at the start of that computation.
#include "../internal/build_guard.h"
// First, so that an unsupported build stops at its own message.
#include <cstdint>
#include <cstring>

#include "../internal/cr_axis.h"
#include "../internal/cr_csqrt_paths.h"
#include "../internal/cr_exact_decision.h"
#include "../internal/csqrt_special.h"
#include "../internal/extended_kernel.h"
#include "../internal/fp_environment.h"
#include "../internal/libm_internal.h"
#include "../internal/root_in_mode.h"
#include "../internal/scalar_primitives.h"
#include "../internal/subnormal_operand.h"
#include "ravo_libm.h"

namespace {

using ravo_internal::RootPart;
__extension__ typedef unsigned __int128 u128;

// Certifying margins, in units of the value's last extended place.
struct Margins {
  unsigned big, small;
};
constexpr Margins kNearestMargins{2, 3};
constexpr Margins kDirectedMargins{5, 7};

constexpr std::uint16_t kUnderflowFlag = 0x10, kInexactFlag = 0x20;  // x87 status word

inline bool is_nearest(std::uint16_t cw) { return (cw & kRoundingControl) == 0; }

inline std::uint16_t x87_status_word() {
  std::uint16_t sw;
  asm volatile("fnstsw %0" : "=am"(sw));
  return sw;
}

// An extended value v > 0 as significand * 2^(exponent - 63).
struct ExtendedBits {
  std::uint64_t significand;
  int exponent;
};

inline ExtendedBits bits_of(long double v) {
  unsigned char bytes[sizeof v];
  std::memcpy(bytes, &v, sizeof v);
  std::uint64_t significand;
  std::uint16_t sign_exponent;
  std::memcpy(&significand, bytes, 8);
  std::memcpy(&sign_exponent, bytes + 8, 2);
  return {significand, (sign_exponent & 0x7FFF) - 16383};
}

// Bits of the significand below the test grid's unit, or more than 64 when
// the value is below 2^-1076 and nowhere near a boundary (0 < v < 2^-1075
// rounds the same in every mode, and is tiny). The grid is the binary64 ulp
// (11 bits) down to 2^-1023 and one bit finer than the subnormal ulp below
// that; round to nearest halves it again for the midpoints.
constexpr int kBitsBelowBinary64 = 64 - 53;
inline int grid_shift(int exponent, bool nearest) {
  const int below = -1012 - exponent;
  return (below > kBitsBelowBinary64 ? below : kBitsBelowBinary64) - nearest;
}

// The sign of v is ignored.
inline bool rounding_is_certain(long double v, unsigned margin, bool nearest) {
  const ExtendedBits b = bits_of(v);
  const int shift = grid_shift(b.exponent, nearest);
  if (shift > 64 - nearest) return true;
  // The bits below the grid unit, left-aligned; a boundary is at 0 (mod 2^64).
  const std::uint64_t offset = b.significand << (64 - shift);
  const std::uint64_t tolerance = std::uint64_t{margin} << (64 - shift);
  return offset + tolerance > 2 * tolerance;
}

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
  const ExtendedBits b = bits_of(v);
  const int shift = grid_shift(b.exponent, nearest);
  // shift is 10 to 64 here (a value below 2^-1076 was certain).
  const auto k = static_cast<std::uint64_t>((static_cast<u128>(b.significand) + (u128{1} << (shift - 1))) >> shift);
  const int k_exponent = b.exponent - 63 + shift;
  const int side = ravo_internal::exact_part_vs(part, x, y, k, k_exponent);

  // b and the nudge built from their bits: exact, no flags.
  const auto power_of_two = [](int e) {
    const std::uint64_t significand = std::uint64_t{1} << 63;
    const std::uint16_t sign_exponent = static_cast<std::uint16_t>(e + 16383);
    long double p = 0;
    unsigned char bytes[sizeof p] = {};
    std::memcpy(bytes, &significand, 8);
    std::memcpy(bytes + 8, &sign_exponent, 2);
    std::memcpy(&p, bytes, sizeof p);
    return p;
  };
  const long double grid_point = static_cast<long double>(k) * power_of_two(k_exponent);
  // A part on the grid is a binary64 number: neither t nor q is ever a
  // midpoint (with b a midpoint, y = 2 b sqrt(b^2 -/+ |x|) would need a 54th
  // bit, or for a subnormal b a bit of x below 2^-1074).
  return {side == 0 ? grid_point : grid_point + side * power_of_two(b.exponent - 62), side == 0};
}

// Puts the x87 status flags back as they were on entry; modes and the rest
// of the state stay.
[[gnu::cold]] void restore_x87_flags(std::uint16_t status_at_entry) {
  X87Environment env;
  asm volatile("fnstenv %0" : "=m"(env));
  env.status = static_cast<std::uint16_t>((env.status & ~kX87Flags) | (status_at_entry & kX87Flags));
  asm volatile("fldenv %0" : : "m"(env));
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
  if (!rounding_is_certain(big, m.big, nearest)) b = decide(RootPart::big, x, y, big, nearest);
  if (!rounding_is_certain(small, m.small, nearest)) s = decide(RootPart::small, x, y, small, nearest);
  // The kernel raised inexact, and the fast path's conversions inexact and,
  // for a part below 2^-1022, underflow. Where the decided parts may not
  // warrant them, the flags go back to their state on entry; every inexact
  // part raises its flags again in its conversion below.
  const bool both_exact = b.exact && s.exact, maybe_tiny = small < 0x1p-1021L;
  if ((both_exact && !(status_at_entry & kInexactFlag)) || (maybe_tiny && !(status_at_entry & kUnderflowFlag)))
    restore_x87_flags(status_at_entry);
  const bool x_negative = high_word(x) >> 31, y_negative = high_word(y) >> 31;
  const long double re = x_negative ? s.value : b.value;
  const long double im = x_negative ? b.value : s.value;
  return {round_part(re), round_part(y_negative ? -im : im)};
}

// The fast path's test, both parts at once, kept to a few instructions (the
// call's instructions wait in the reorder buffer for the kernel's long
// chain, so each one costs throughput). It is the precise test for parts of
// at least 2^-1022, with the mode's own margins: the low 10 bits (round to
// nearest: the grid of binary64 numbers and midpoints) or 11 bits (directed:
// the binary64 numbers) of the significand say how far V lies from the grid.
// Below 2^-1022 the binary64 grid is coarser and a subset of this one, and
// in [2^-1023, 2^-1022) this grid is also where the tininess of the 53-bit
// rounding changes, so the test holds there without looking at the
// exponent; the slow path's precise test may still certify such a part.
// Margins per 16-bit lane: big in the low lane, small in the high one.
struct QuickTest {
  std::uint32_t tolerance, grid_mask, threshold;
};
constexpr std::uint32_t lanes(unsigned low, unsigned high) { return low | high << 16; }
constexpr QuickTest quick_test(bool nearest) {
  const Margins m = nearest ? kNearestMargins : kDirectedMargins;
  const std::uint32_t grid_mask = (1u << (kBitsBelowBinary64 - nearest)) - 1;
  return {lanes(m.big, m.small), lanes(grid_mask, grid_mask), lanes(2 * m.big + 1, 2 * m.small + 1)};
}
// Indexed by the x87 rounding control: nearest, down, up, toward zero.
constexpr QuickTest kQuickTests[4] = {quick_test(true), quick_test(false), quick_test(false), quick_test(false)};

// The low 16 bits of each value's significand, one per 16-bit lane.
inline std::uint32_t low_significand_bits(long double a, long double b) {
  std::uint16_t low_a, low_b;
  std::memcpy(&low_a, &a, sizeof low_a);
  std::memcpy(&low_b, &b, sizeof low_b);
  return low_a | std::uint32_t{low_b} << 16;
}

// True when both lanes keep more than their margin from the grid:
// ((low + margin) mod grid) > 2 margin in each lane, compared without
// borrows crossing lanes (bit 15 of each lane is set before subtracting).
inline bool both_roundings_are_certain(std::uint32_t low_bits, std::uint16_t cw) {
  const QuickTest& test = kQuickTests[(cw & kRoundingControl) >> 10];
  constexpr std::uint32_t kBorrowGuards = lanes(0x8000, 0x8000);
  const std::uint32_t offsets = (low_bits + test.tolerance) & test.grid_mask;
  return (((offsets | kBorrowGuards) - test.threshold) & kBorrowGuards) == kBorrowGuards;
}

// The kernel's two values with the signs of the parts they become. Signs
// are set before the rounding, so that a negative part is rounded as
// itself. small has the sign of its numerator: y for x > 0 (the imaginary
// part), |y| for x < 0 (the real part). big is the imaginary part for x < 0
// and takes y's sign by a product with a selected ±1. No branches: the
// signs are random.
inline ExtendedRoot signed_root(double x, double y) {
  const std::uint64_t x_bits = std::bit_cast<std::uint64_t>(x), y_bits = std::bit_cast<std::uint64_t>(y);
  const std::uint64_t x_negative = x_bits >> 63, y_negative = y_bits >> 63;
  const ExtendedRoot root = extended_root(x, std::bit_cast<double>(y_bits & ~(x_negative << 63)));
  static constexpr float kSign[2] = {1.0f, -1.0f};
  return {root.big * kSign[x_negative & y_negative], root.small};
}

// x, y finite and non-zero; cw is the x87 control word, a standard one.
inline Parts __ravo_internal_cr_csqrt(double x, double y, std::uint16_t cw) {
  const std::uint16_t status_at_entry = x87_status_word();
  const ExtendedRoot root = signed_root(x, y);
  // Rounded before the test, from the registers; the slow path puts back
  // any flag these conversions raise that the decided result does not
  // warrant.
  const double t = round_part(root.big), q = round_part(root.small);
  if (!both_roundings_are_certain(low_significand_bits(root.big, root.small), cw)) [[unlikely]]
    return decide_rounding(x, y, is_nearest(cw), status_at_entry, root.big, root.small);
  // A branch on x's sign, known long before the kernel ends, so that a
  // misprediction discards little; a select would lengthen the latency.
  if (high_word(x) >> 31) return {q, t};
  return {t, q};
}

// x and y finite, one of them ±0: the axis roots in cw's mode.
Parts cr_axis_result(double x, double y, std::uint16_t cw) {
  return cr_axis_root<false>(x, y, [cw] { return x87_rounding(cw); });
}

}  // namespace

// 0 the fast path, 1 the slow path's precise test, 2 an exact decision for
// at least one part, in the current mode.
int ravo_internal::cr_csqrt_way_x87(double x, double y) {
  const ExtendedRoot root = signed_root(x, y);
  const std::uint16_t cw = x87_control_word();
  if (both_roundings_are_certain(low_significand_bits(root.big, root.small), cw)) return 0;
  const bool nearest = is_nearest(cw);
  const Margins m = nearest ? kNearestMargins : kDirectedMargins;
  const bool certain =
      rounding_is_certain(root.big, m.big, nearest) && rounding_is_certain(root.small, m.small, nearest);
  return certain ? 1 : 2;
}

ravo_c_complex ravo_internal::cr_csqrt_x87(ravo_c_complex z) {
  const auto [x, y] = parts_of(z);
  return to_c_complex(dispatch<__ravo_internal_cr_csqrt, cr_axis_result>(x, y));
}
