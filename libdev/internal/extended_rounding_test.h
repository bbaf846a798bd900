// cr_csqrt_scalar's rounding test on its x87 path: whether rounding the
// extended kernel's value to binary64 rounds the exact part, so that the
// x87 conversion gives the correctly rounded part and its flags.
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
#ifndef RAVO_EXTENDED_ROUNDING_TEST_H
#define RAVO_EXTENDED_ROUNDING_TEST_H

#include <cstdint>

#include "extended_kernel.h"
#include "fp_bits.h"
#include "part_placement.h"
#include "target_namespace.h"
#include "x87_status.h"

RAVO_INTERNAL_BEGIN

// Certifying margins, in units of the value's last extended place.
struct Margins {
  unsigned big, small;
};
constexpr Margins kNearestMargins{2, 3};
constexpr Margins kDirectedMargins{5, 7};

inline bool is_nearest(std::uint16_t cw) { return x87_rounding(cw) == kToNearest; }

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
inline bool precise_rounding_is_certain(long double v, unsigned margin, bool nearest) {
  const ExtendedFields b = extended_fields(v);
  const int shift = grid_shift(b.exponent, nearest);
  if (shift > 64 - nearest) return true;
  // The bits below the grid unit, left-aligned; a boundary is at 0 (mod 2^64).
  const std::uint64_t offset = b.significand << (64 - shift);
  const std::uint64_t tolerance = std::uint64_t{margin} << (64 - shift);
  return offset + tolerance > 2 * tolerance;
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
// Indexed by the rounding mode.
constexpr QuickTest kQuickTests[4] = {quick_test(true), quick_test(false), quick_test(false), quick_test(false)};

// The low 16 bits of each value's significand, one per 16-bit lane.
inline std::uint32_t low_significand_bits(long double a, long double b) {
  return extended_low_bits(a) | std::uint32_t{extended_low_bits(b)} << 16;
}

// True when both lanes keep more than their margin from the grid:
// ((low + margin) mod grid) > 2 margin in each lane, compared without
// borrows crossing lanes (bit 15 of each lane is set before subtracting).
inline bool quick_roundings_are_certain(std::uint32_t low_bits, std::uint16_t cw) {
  const QuickTest& test = kQuickTests[x87_rounding(cw)];
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
  const PartSignBits signs = part_sign_bits(x, y);
  const ExtendedRoot root = extended_root(x, from_bits((bits_of(y) & ~kSignBit) | signs.small));
  return {root.big * sign_factor(signs.big >> 63), root.small};
}

RAVO_INTERNAL_END

#endif
