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

typedef float LaneFloat __attribute__((vector_size(4 * kLanes)));
typedef float LaneFloatPairs __attribute__((vector_size(8 * kLanes)));
typedef std::uint32_t LaneWord __attribute__((vector_size(4 * kLanes)));
typedef std::uint32_t LaneWordPairs __attribute__((vector_size(8 * kLanes)));
typedef std::int32_t LaneWordMask __attribute__((vector_size(4 * kLanes)));

#if RAVO_BATCH_LANES == 8
#define RAVO_EVEN 0, 2, 4, 6, 8, 10, 12, 14
#define RAVO_ODD 1, 3, 5, 7, 9, 11, 13, 15
#define RAVO_PAIRS 0, 8, 1, 9, 2, 10, 3, 11, 4, 12, 5, 13, 6, 14, 7, 15
#elif RAVO_BATCH_LANES == 4
#define RAVO_EVEN 0, 2, 4, 6
#define RAVO_ODD 1, 3, 5, 7
#define RAVO_PAIRS 0, 4, 1, 5, 2, 6, 3, 7
#else
#define RAVO_EVEN 0, 2
#define RAVO_ODD 1, 3
#define RAVO_PAIRS 0, 2, 1, 3
#endif

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
// Returns a bit per lane that the scalar path must finish.
__attribute__((always_inline)) inline unsigned root_lanes32(const float* x, float* y, const LaneIncrements& inc) {
  LaneWordPairs z;
  std::memcpy(&z, x, sizeof z);
  const LaneWord x_bits = __builtin_shufflevector(z, z, RAVO_EVEN), y_bits = __builtin_shufflevector(z, z, RAVO_ODD);
  // Both parts normal: magnitudes in [2^-126, 2^128), from the bits.
  const LaneWord sign = LaneWord{} + kBinary32Sign;
  const LaneWordMask taken32 = ((x_bits & ~sign) - kBinary32MinNormal < kBinary32Infinity - kBinary32MinNormal) &
                               ((y_bits & ~sign) - kBinary32MinNormal < kBinary32Infinity - kBinary32MinNormal);
  const LaneMask taken = __builtin_convertvector(taken32, LaneMask);
  // Other lanes widen 1 instead, so that widening raises nothing.
  const auto magnitude = [&](LaneWord bits) {
    const LaneWord kept = (bits & ~sign & (LaneWord)taken32) | (0x3F800000u & ~(LaneWord)taken32);
    return __builtin_convertvector((LaneFloat)kept, LaneDouble);
  };
  const LaneDouble ax = magnitude(x_bits), ay = magnitude(y_bits);
  const Binary32RootOf<LaneDouble> root = binary32_root_core(ax, ay);
  const LaneBits big = (LaneBits)root.big, small = (LaneBits)root.small;
  const LaneMask done = taken & (LaneMask)(small >= kBinary32TinyBelow) & binary32_rounding_is_certain(big) &
                        binary32_rounding_is_certain(small);
  // The parts placed by x's sign (part_placement.h); the imaginary one takes
  // y's sign and the increment of its sign.
  const LaneMask x_negative = __builtin_convertvector((LaneWordMask)x_bits < 0, LaneMask);
  const LaneMask y_negative = __builtin_convertvector((LaneWordMask)y_bits < 0, LaneMask);
  const PartsOf<LaneMask> w = placed(x_negative, (LaneMask)big, (LaneMask)small);
  const LaneBits im_increment = (LaneBits)select(y_negative, (LaneMask)inc.negative, (LaneMask)inc.positive);
  const LaneWord re = __builtin_convertvector(binary32_bits((LaneBits)w.re, inc.positive), LaneWord);
  const LaneWord im = __builtin_convertvector(binary32_bits((LaneBits)w.im, im_increment), LaneWord) | (y_bits & sign);
  const LaneWordMask done32 = __builtin_convertvector(done, LaneWordMask);
  const LaneWord out_re = (re & (LaneWord)done32) | (x_bits & ~(LaneWord)done32);
  const LaneWord out_im = (im & (LaneWord)done32) | (y_bits & ~(LaneWord)done32);
  const LaneWordPairs out = __builtin_shufflevector(out_re, out_im, RAVO_PAIRS);
  std::memcpy(y, &out, sizeof out);
  return ~lane_bits(done) & ((1u << kLanes) - 1);
}

#undef RAVO_EVEN
#undef RAVO_ODD
#undef RAVO_PAIRS

// The first n values of x (interleaved) through the lanes, rounding in
// `mode`; as batch_lanes.
inline std::size_t batch_lanes32(std::size_t n, const float* x, float* y, std::uint32_t* left, bool& certified,
                                 RoundingMode mode) {
  const LaneIncrements inc = lane_increments(mode);
  std::size_t count = 0, i = 0;
  for (; i + kLanes <= n; i += kLanes) {
    unsigned rest = root_lanes32(x + 2 * i, y + 2 * i, inc);
    certified |= rest != (1u << kLanes) - 1;
    for (; rest != 0; rest &= rest - 1) left[count++] = static_cast<std::uint32_t>(i + __builtin_ctz(rest));
  }
  for (; i < n; ++i) left[count++] = static_cast<std::uint32_t>(i);
  return count;
}

RAVO_INTERNAL_END

#endif
