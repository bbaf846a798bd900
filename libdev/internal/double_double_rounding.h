// The rounding test of the double-double kernel's parts, one definition
// for every lane type (one binary64 value, the AVX-512 quiet lane, the
// vector lanes): whether rounding hi + lo in any mode rounds the exact part.
//
// The binary64 numbers and midpoints near v = hi + lo (hi > 0; |lo| below
// 64 quarters of hi's last place, from qh's 13u) are multiples of a quarter
// of hi's last place, which also covers the finer grid below hi when hi is
// a power of two and lo < 0. lo in quarter places, w = lo 2^(54 - E) for hi
// in [2^E, 2^(E+1)), is exact: a power-of-two scaling whose result is
// normal (the kernel's non-zero values are at least 2^-981 unscaled and
// 2^-925 scaled, binary64_kernel.h, and E is at most 61, so w is 0 or
// above 2^-990), and
// below 64. Its distance to the nearest integer is exact too (a multiple
// of w's last place, at most 1/2). The kernel errs by less than 2^-97 |v|,
// and |v| < 2^55 quarter places, so the error is below 2^-42 quarter
// places; the test asks for a distance above kRoundingTolerance = 2^-34,
// which leaves the bound a factor of 2^8.
#ifndef RAVO_DOUBLE_DOUBLE_ROUNDING_H
#define RAVO_DOUBLE_DOUBLE_ROUNDING_H

#include <cstdint>

#include "binary64_kernel.h"
#include "fp_bits.h"
#include "target_namespace.h"

RAVO_INTERNAL_BEGIN

constexpr double kRoundingTolerance = 0x1p-34;  // quarter places

// The bits of 2^(54 - E) for the bits of hi in [2^E, 2^(E+1)), hi normal,
// by its exponent field: one subtraction, for a binary64 pattern or a vector
// of them.
template <typename Bits>
inline Bits quarter_place_scale(Bits hi_bits) {
  constexpr std::uint64_t kBiasedScale = std::uint64_t{2 * 1023 + 54} << 52;
  return kBiasedScale - (hi_bits & kExponentBits);
}

// |lo| in quarter places from the nearest one, per lane: Lanes<V> gives
// the bit pattern, the nearest integer whatever the rounding mode and the
// magnitude.
template <typename V>
inline auto distance_to_grid(const DoubleDoubleOf<V>& v) {
  using L = Lanes<V>;
  const V w = v.lo * L::from_bits(quarter_place_scale(L::bits(v.hi)));
  return L::magnitude(w - L::nearest_integer(w));
}

// A truth value per lane: a bool, or a lane mask for vectors.
template <typename V>
inline auto rounding_is_certain(const DoubleDoubleOf<V>& v) {
  return distance_to_grid(v) > kRoundingTolerance;
}

// Both parts of one root, for one branch (lane types of one value).
template <typename V>
inline bool both_roundings_are_certain(const DoubleDoubleOf<V>& a, const DoubleDoubleOf<V>& b) {
  const double da = distance_to_grid(a), db = distance_to_grid(b);
  return (da < db ? da : db) > kRoundingTolerance;
}

RAVO_INTERNAL_END

#endif
