// cr_csqrtf_batch's vector lanes: binary32_kernel.h's kernel, rounding test
// and rounding, lane by lane, in binary64 lanes (kLanes complex values per
// vector, batch_lanes.h's widths), from the same source as the scalar path.
//
// A lane is finished here when both parts of its argument are normal
// binary32 numbers, both roundings are certain and the small part is not
// tiny in binary32; each part is then rounded by integer steps with the
// increments of the array's rounding direction. Every other lane keeps its
// argument in the output and is listed for the scalar path. Those lanes
// compute on 1 + 1i, so the vector work raises inexact and nothing else.
#ifndef RAVO_BINARY32_LANES_H
#define RAVO_BINARY32_LANES_H

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "batch_lanes.h"
#include "binary32_kernel.h"
#include "target_namespace.h"

RAVO_INTERNAL_BEGIN

// The rounding increments of one direction for positive and negative parts
// (kBinary32Increment), in every lane.
struct LaneIncrements {
  LaneBits positive, negative;
};

inline LaneIncrements lane_increments(RoundingMode mode) {
  return {LaneBits{} + kBinary32Increment[mode][0], LaneBits{} + kBinary32Increment[mode][1]};
}

// The kLanes binary32 complex values at x (interleaved re, im) through the
// kernel; the lanes finished here written to y, the argument elsewhere.
// Each complex value is one 64-bit lane (the real part's bits low, the
// imaginary part's high), so that parts are widened, tested and narrowed
// by integer steps in the binary64 lanes' own width, without shuffles.
// Returns a bit per lane that the scalar path must finish.
__attribute__((always_inline)) inline unsigned root_lanes32(const float* x, float* y, const LaneIncrements& inc) {
  LaneBits z;
  std::memcpy(&z, x, sizeof z);
  constexpr std::uint64_t kLow = 0xFFFFFFFF, kMagnitude = ~kBinary32Sign & kLow;
  const LaneBits x_magnitude = z & kMagnitude, y_magnitude = (z >> 32) & kMagnitude;
  // Both parts normal: magnitudes in [2^-126, 2^128), from the bits; other
  // lanes compute on 1 + 1i.
  const LaneMask taken = (x_magnitude - kBinary32MinNormal < kBinary32Infinity - kBinary32MinNormal) &
                         (y_magnitude - kBinary32MinNormal < kBinary32Infinity - kBinary32MinNormal);
  const auto widened = [&](LaneBits magnitude) {
    return (LaneDouble)select(taken, (LaneMask)widened_bits(magnitude), (LaneMask)(LaneBits{} + bits_of(1.0)));
  };
  const Binary32RootOf<LaneDouble> root = binary32_root_core(widened(x_magnitude), widened(y_magnitude));
  const LaneBits big = (LaneBits)root.big, small = (LaneBits)root.small;
  const LaneMask done =
      taken & (small >= kBinary32TinyBelow) & binary32_rounding_is_certain(big) & binary32_rounding_is_certain(small);
  // The parts placed by x's sign (part_placement.h); the imaginary one takes
  // y's sign and the increment of its sign.
  const LaneMask x_negative = (LaneMask)(z << 32) < 0, y_negative = (LaneMask)z < 0;
  const PartsOf<LaneMask> w = placed(x_negative, (LaneMask)big, (LaneMask)small);
  const LaneBits im_increment = (LaneBits)select(y_negative, (LaneMask)inc.negative, (LaneMask)inc.positive);
  const LaneBits re = binary32_bits((LaneBits)w.re, inc.positive);
  const LaneBits im = binary32_bits((LaneBits)w.im, im_increment) | ((z >> 32) & kBinary32Sign);
  const LaneBits out = (LaneBits)select(done, (LaneMask)(re | im << 32), (LaneMask)z);
  std::memcpy(y, &out, sizeof out);
  return ~lane_bits(done) & ((1u << kLanes) - 1);
}

// The first n values of x (interleaved) through the lanes, rounding in
// `mode` (run_lanes, batch_lanes.h).
inline std::size_t batch_lanes32(std::size_t n, const float* x, float* y, std::uint32_t* left, bool& certified,
                                 RoundingMode mode) {
  const LaneIncrements inc = lane_increments(mode);
  return run_lanes<2>(n, left, certified, [&](std::size_t i) { return root_lanes32(x + 2 * i, y + 2 * i, inc); });
}

RAVO_INTERNAL_END

#endif
