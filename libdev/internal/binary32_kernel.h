// The binary32 root's kernel, its rounding test and its rounding, for one
// value or a vector of lanes (Lanes<V> of binary64_kernel.h gives the root).
//
// Binary32 parts are binary64 numbers whose squares are exact in binary64,
// so the whole root is computed in binary64, for |x| and |y| normal
// binary32 numbers (in [2^-126, 2^128)):
//   S = rnd(x*x + y*y)   R = rnd(sqrt(S))   big = rnd(sqrt(rnd(R + |x|) / 2))
//   small = rnd((|y| / 2) / big)
// with big = sqrt((|z| + |x|) / 2) and small = |y| / (2 big) exactly. In any
// rounding mode of the binary64 unit, big is within 2.5 * 2^-52 and small
// within 3.5 * 2^-52 of their exact values, relatively (both below
// 2^-50; tools/proof/binary32_kernel_bound.g, once per mode). Nothing
// leaves binary64's normal range: the squares are at least 2^-252, big is
// at least 2^-63.5 and small at least 2^-127 / 2^65 = 2^-192 (also proved
// there), so no operation underflows and FTZ and DAZ change nothing.
//
// Rounding test: v = big or small in [2^E, 2^(E+1)), E >= -126, has 29
// bits below binary32's last place. The exact part lies within 2^-50 |v|,
// less than 8 of v's last places, of v. The binary32 numbers and midpoints
// near v are multiples of 2^28 of those places (also the coarser grid
// above 2^(E+1), and the finer one below 2^E only where v lies within 8
// places of 2^E, a multiple itself). If v's bits are more than 16 places
// away from every multiple of 2^28, no such boundary lies between v and
// the exact part, so every rounding of v to binary32, in every mode, is the
// exact part's, and the exact part is not a binary32 number: inexact.
#ifndef RAVO_BINARY32_KERNEL_H
#define RAVO_BINARY32_KERNEL_H

#include <cstdint>

#include "binary64_kernel.h"
#include "fp_bits.h"
#include "target_namespace.h"

namespace ravo::internal {

// The two positive parts of the root: big (the real one for x >= 0) and
// small = |y| / (2 big).
template <typename V>
struct Binary32RootOf {
  V big, small;
};

// Binary32 bit patterns: the magnitudes of the normal numbers are
// kBinary32MinNormal .. below kBinary32Infinity.
constexpr std::uint32_t kBinary32MinNormal = 0x00800000, kBinary32Infinity = 0x7F800000;
constexpr std::uint32_t kBinary32Sign = 0x80000000;

// 2^-126 as a binary64 pattern: below it a part is tiny in binary32.
constexpr std::uint64_t kBinary32TinyBelow = std::uint64_t{1023 - 126} << 52;

// Places of binary64 below binary32's last place, for a normal binary32
// result, and the rounding test's margin in binary64 places.
constexpr int kDroppedBits = 29;
constexpr std::uint64_t kHalfBinary32Place = std::uint64_t{1} << (kDroppedBits - 1);
constexpr std::uint64_t kBinary32Margin = 16;

// Binary64's exponent bias less binary32's, in the exponent field.
constexpr std::uint64_t kBinary32Rebias = std::uint64_t{1023 - 127} << 52;

// The increment added to a binary64 magnitude's bits before its 29 lowest
// are dropped, rounding it to binary32 in a direction: half a place to
// nearest (ties cannot occur where the test passed), all but one place
// away from zero, nothing toward zero. Indexed by RoundingMode, then by the
// part's sign.
constexpr std::uint64_t kAway = (std::uint64_t{1} << kDroppedBits) - 1;
constexpr std::uint64_t kBinary32Increment[4][2] = {
    {kHalfBinary32Place, kHalfBinary32Place}, {0, kAway}, {kAway, 0}, {0, 0}};

}  // namespace ravo::internal

RAVO_INTERNAL_BEGIN

// ax = |x|, ay = |y|: binary64 values of normal binary32 numbers.
template <typename V>
inline Binary32RootOf<V> binary32_root_core(V ax, V ay) {
  using L = Lanes<V>;
  const V r = L::root(ax * ax + ay * ay);
  const V big = L::root((r + ax) * 0.5);
  return {big, (ay * 0.5) / big};
}

// The binary64 pattern of a normal binary32 magnitude's bits: the fraction
// moved up, the exponent rebiased; exact, and raising nothing (no DAZ).
template <typename Bits>
inline Bits widened_bits(Bits magnitude32) {
  return (magnitude32 << kDroppedBits) + kBinary32Rebias;
}

// Whether every rounding of v (a positive part's bits, v >= 2^-126) to
// binary32 is the exact part's: a bool, or a lane mask for vectors.
template <typename Bits>
inline auto binary32_rounding_is_certain(Bits v_bits) {
  return ((v_bits + kBinary32Margin) & (kHalfBinary32Place - 1)) > 2 * kBinary32Margin;
}

// The binary32 pattern of a positive part v in [2^-126, 2^128), rounded by
// `increment` (kBinary32Increment): the exponent rebiased in place, the
// increment added (a carry moves into the exponent field, as it should),
// the dropped bits shifted out. A tie goes up: none reaches here from a
// certain rounding, and the exact way sends its ties to even itself.
template <typename Bits>
inline Bits binary32_bits(Bits v_bits, Bits increment) {
  return (v_bits - kBinary32Rebias + increment) >> kDroppedBits;
}

RAVO_INTERNAL_END

#endif
