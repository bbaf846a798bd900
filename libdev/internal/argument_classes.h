// The argument classes every entry dispatches on, each tested in one
// comparison for both parts: general (both finite and non-zero), axis (both
// finite, one of them zero), special (an infinite or NaN part). The classes
// are disjoint, so an entry may test them in any order.
#ifndef RAVO_ARGUMENT_CLASSES_H
#define RAVO_ARGUMENT_CLASSES_H

#include <cstdint>

#include "fp_bits.h"
#include "target_namespace.h"

RAVO_INTERNAL_BEGIN

// Both parts finite and non-zero.
inline bool is_general(double x, double y) {
  const std::uint64_t mx = magnitude_bits(x), my = magnitude_bits(y);
  return (mx - 1 > my - 1 ? mx - 1 : my - 1) < kInfinityMagnitude - 1;
}

// Both parts finite (one of them zero once is_general has failed).
inline bool is_finite_pair(double x, double y) {
  const std::uint64_t mx = magnitude_bits(x), my = magnitude_bits(y);
  return (mx > my ? mx : my) < kInfinityMagnitude;
}

RAVO_INTERNAL_END

#endif
