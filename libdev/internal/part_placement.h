// Where the kernels' two magnitudes go in the principal root, for every
// path and lane type. With big = sqrt((|z| + |x|) / 2) and
// small = |y| / (2 big):
//   x with its sign bit clear   re = big,   im = small with y's sign;
//   x negative                  re = small, im = big with y's sign.
// The real part is positive. Signs are set before a part's last rounding
// (a sign flip is exact), so that a negative part rounds as itself in the
// directed modes.
#ifndef RAVO_PART_PLACEMENT_H
#define RAVO_PART_PLACEMENT_H

#include <cstdint>

#include "complex_parts.h"
#include "fp_bits.h"
#include "target_namespace.h"

namespace ravo::internal {
template <typename V>
struct DoubleDoubleOf;
}  // namespace ravo::internal

RAVO_INTERNAL_BEGIN

// m ? a : b for a selector type M: a bool here (a branch or a select, as the
// compiler likes; x's sign is known long before the parts), a lane mask in
// batch_lanes.h, an AVX-512 mask register in quiet_lanes.h.
template <typename M>
struct Choice;

template <>
struct Choice<bool> {
  template <typename T>
  static T of(bool m, T a, T b) {
    return m ? a : b;
  }
};

// re and im from big and small by x's sign (x_negative a selector); the
// imaginary part's sign is the caller's, set before or after as its
// rounding needs.
template <typename M, typename T>
inline PartsOf<T> placed(M x_negative, T big, T small) {
  return {Choice<M>::of(x_negative, small, big), Choice<M>::of(x_negative, big, small)};
}

// The same for double-double values, part by part.
template <typename M, typename V>
inline PartsOf<DoubleDoubleOf<V>> placed(M x_negative, DoubleDoubleOf<V> big, DoubleDoubleOf<V> small) {
  const PartsOf<V> hi = placed(x_negative, big.hi, small.hi), lo = placed(x_negative, big.lo, small.lo);
  return {{hi.re, lo.re}, {hi.im, lo.im}};
}

// The sign bit each magnitude takes: big y's for x < 0, small y's for
// x > 0. As bits, for operands that may be subnormal (DAZ would read them
// as zero in a product).
struct PartSignBits {
  std::uint64_t big, small;
};
inline PartSignBits part_sign_bits(double x, double y) {
  const std::uint64_t x_negative = sign_bit(x), y_sign = bits_of(y) & kSignBit;
  return {y_sign & (0 - x_negative), y_sign & (x_negative - 1)};
}

// The same as factors +-1, for a product before the rounding that needs no
// move to the integer unit.
struct PartSigns {
  double big, small;
};
inline PartSigns part_signs(double x, double y) {
  const PartSignBits bits = part_sign_bits(x, y);
  return {sign_factor(bits.big >> 63), sign_factor(bits.small >> 63)};
}

RAVO_INTERNAL_END

#endif
