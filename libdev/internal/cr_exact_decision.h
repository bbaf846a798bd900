// The exact decision behind cr_csqrt_scalar's slow path: on which side of a
// candidate b > 0 the exact root's part lies, decided in integer arithmetic.
//
// With t = sqrt((|z| + |x|)/2) (the larger part) and q = |y| / (2t) (the
// smaller), t^2 and q^2 are the positive roots of u^2 -/+ |x| u - y^2/4 = 0,
// so for every b > 0
//   t > b  <=>  y^2 > 4 b^2 (b^2 - |x|)
//   q > b  <=>  y^2 > 4 b^2 (b^2 + |x|)
// and equality on one side means equality on the other. Both sides are
// integers times powers of two, compared exactly whatever their exponents:
// no fixed precision would do (csqrt(4 + 2^-1000 i) has a real part
// 2 + 2^-2007).
#ifndef RAVO_CR_EXACT_DECISION_H
#define RAVO_CR_EXACT_DECISION_H

#include <cstdint>

namespace ravo::internal {

enum class RootPart { big, small };

// sign(part - b) in {-1, 0, +1} for finite non-zero x and y and
// b = b_significand * 2^b_exponent with 0 < b_significand < 2^56.
int exact_part_vs(RootPart part, double x, double y, std::uint64_t b_significand, int b_exponent);

}  // namespace ravo::internal

#endif
