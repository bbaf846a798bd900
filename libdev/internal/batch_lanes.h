// cr_csqrt_batch's vector lanes: the binary64-only path's scaled fast path,
// lane by lane, in one source for every vector target. Each target's
// file includes this under its own compiler options, which decide the width:
// 8 lanes with AVX-512, 4 with AVX2 and FMA, 2 with NEON. The kernel is
// binary64_kernel.h's root_core, the same source as the scalar path, so its
// error bound and its no-underflow bound hold in every lane.
//
// A lane is finished here when both parts of its argument are normal
// (finite, non-zero, no subnormal), its small part is clear of the
// subnormal range, and both parts' roundings are certain; then each part is
// one addition of its signed double-double value, correctly rounded and
// inexact, scaled back exactly. Every other lane keeps its argument in the
// output and is listed for the scalar path: specials, axes, subnormal
// parts, tiny results and uncertain roundings.
// Those lanes compute on 1 + 1i instead of their argument, so nothing but
// inexact is raised by the vector work, which the caller then sets itself.
#ifndef RAVO_BATCH_LANES_H
#define RAVO_BATCH_LANES_H

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "binary64_kernel.h"
#include "double_double_rounding.h"
#include "part_placement.h"
#include "target_namespace.h"

#if defined(__AVX512F__) && defined(__FMA__)
#include <immintrin.h>
#define RAVO_BATCH_LANES 8
#elif defined(__AVX2__) && defined(__FMA__)
#include <immintrin.h>
#define RAVO_BATCH_LANES 4
#elif defined(__aarch64__)
#include <arm_neon.h>
#define RAVO_BATCH_LANES 2
#else
#error "batch_lanes.h: build this with AVX-512, AVX2 and FMA, or for AArch64"
#endif

RAVO_INTERNAL_BEGIN

constexpr int kLanes = RAVO_BATCH_LANES;
typedef double LaneDouble __attribute__((vector_size(8 * kLanes)));
typedef std::int64_t LaneMask __attribute__((vector_size(8 * kLanes)));  // all ones or all zeros per lane
typedef std::uint64_t LaneBits
    __attribute__((vector_size(8 * kLanes)));  // shifts are logical: AVX2 has no 64-bit arithmetic one

// The root, the fused residual c - a*b, c + a/2 fused, and the nearest
// integer whatever the rounding mode (raising nothing): one instruction
// each.
template <>
struct Lanes<LaneDouble> {
  static LaneBits bits(LaneDouble v) { return (LaneBits)v; }
  static LaneDouble from_bits(LaneBits b) { return (LaneDouble)b; }
  static LaneDouble magnitude(LaneDouble v) { return (LaneDouble)((LaneBits)v & ~kSignBit); }
#if RAVO_BATCH_LANES == 8
  // Masked, all lanes on: GCC 12's unmasked forms start from an undefined
  // vector that -Wmaybe-uninitialized reports.
  static LaneDouble root(LaneDouble v) { return (LaneDouble)_mm512_mask_sqrt_pd((__m512d)v, 0xFF, (__m512d)v); }
  static LaneDouble residual(LaneDouble c, LaneDouble a, LaneDouble b) {
    return (LaneDouble)_mm512_fnmadd_pd((__m512d)a, (__m512d)b, (__m512d)c);
  }
  static LaneDouble plus_half(LaneDouble c, LaneDouble a) {
    return (LaneDouble)_mm512_fmadd_pd((__m512d)a, _mm512_set1_pd(0.5), (__m512d)c);
  }
  static LaneDouble nearest_integer(LaneDouble v) {
    return (LaneDouble)_mm512_mask_roundscale_pd((__m512d)v, 0xFF, (__m512d)v,
                                                 _MM_FROUND_TO_NEAREST_INT | _MM_FROUND_NO_EXC);
  }
#elif RAVO_BATCH_LANES == 4
  static LaneDouble root(LaneDouble v) { return (LaneDouble)_mm256_sqrt_pd((__m256d)v); }
  static LaneDouble residual(LaneDouble c, LaneDouble a, LaneDouble b) {
    return (LaneDouble)_mm256_fnmadd_pd((__m256d)a, (__m256d)b, (__m256d)c);
  }
  static LaneDouble plus_half(LaneDouble c, LaneDouble a) {
    return (LaneDouble)_mm256_fmadd_pd((__m256d)a, _mm256_set1_pd(0.5), (__m256d)c);
  }
  static LaneDouble nearest_integer(LaneDouble v) {
    return (LaneDouble)_mm256_round_pd((__m256d)v, _MM_FROUND_TO_NEAREST_INT | _MM_FROUND_NO_EXC);
  }
#else
  static LaneDouble root(LaneDouble v) { return (LaneDouble)vsqrtq_f64((float64x2_t)v); }
  static LaneDouble residual(LaneDouble c, LaneDouble a, LaneDouble b) {
    return (LaneDouble)vfmsq_f64((float64x2_t)c, (float64x2_t)a, (float64x2_t)b);
  }
  static LaneDouble plus_half(LaneDouble c, LaneDouble a) {
    return (LaneDouble)vfmaq_f64((float64x2_t)c, (float64x2_t)a, vdupq_n_f64(0.5));
  }
  static LaneDouble nearest_integer(LaneDouble v) { return (LaneDouble)vrndnq_f64((float64x2_t)v); }
#endif
};

// One bit per lane of a mask, lane i at bit i.
inline unsigned lane_bits(LaneMask m) {
#if RAVO_BATCH_LANES == 8
  return _mm512_test_epi64_mask((__m512i)m, (__m512i)m);
#elif RAVO_BATCH_LANES == 4
  return static_cast<unsigned>(_mm256_movemask_pd((__m256d)m));
#else
  return static_cast<unsigned>(m[0] & 1) | static_cast<unsigned>(m[1] & 2);
#endif
}

inline LaneDouble select(LaneMask m, LaneDouble a, LaneDouble b) {
  return (LaneDouble)((m & (LaneMask)a) | (~m & (LaneMask)b));
}
inline LaneMask select(LaneMask m, LaneMask a, LaneMask b) { return (m & a) | (~m & b); }

// The selector of a lane mask, lane by lane.
template <>
struct Choice<LaneMask> {
  template <typename T>
  static T of(LaneMask m, T a, T b) {
    return select(m, a, b);
  }
};

// Real and imaginary parts of kLanes complex values at p, and back.
#if RAVO_BATCH_LANES == 8
#define RAVO_EVEN 0, 2, 4, 6, 8, 10, 12, 14
#define RAVO_ODD 1, 3, 5, 7, 9, 11, 13, 15
#define RAVO_LOW 0, 8, 1, 9, 2, 10, 3, 11
#define RAVO_HIGH 4, 12, 5, 13, 6, 14, 7, 15
#elif RAVO_BATCH_LANES == 4
#define RAVO_EVEN 0, 2, 4, 6
#define RAVO_ODD 1, 3, 5, 7
#define RAVO_LOW 0, 4, 1, 5
#define RAVO_HIGH 2, 6, 3, 7
#else
#define RAVO_EVEN 0, 2
#define RAVO_ODD 1, 3
#define RAVO_LOW 0, 2
#define RAVO_HIGH 1, 3
#endif

struct LanePair {
  LaneDouble re, im;
};

inline LanePair load_complex(const double* p) {
  LaneDouble a, b;
  std::memcpy(&a, p, sizeof a);
  std::memcpy(&b, p + kLanes, sizeof b);
  return {__builtin_shufflevector(a, b, RAVO_EVEN), __builtin_shufflevector(a, b, RAVO_ODD)};
}

inline void store_complex(double* p, LanePair w) {
  const LaneDouble a = __builtin_shufflevector(w.re, w.im, RAVO_LOW),
                   b = __builtin_shufflevector(w.re, w.im, RAVO_HIGH);
  std::memcpy(p, &a, sizeof a);
  std::memcpy(p + kLanes, &b, sizeof b);
}

#undef RAVO_EVEN
#undef RAVO_ODD
#undef RAVO_LOW
#undef RAVO_HIGH

// A part's biased exponent, read from the bits, so that no lane raises
// anything.
inline LaneMask biased_exponent(LaneMask bits) { return (LaneMask)exponent_field((LaneBits)bits); }

// hi + lo with the sign bit `sign` applied to both first: the signed
// value rounded once in the current mode.
inline LaneDouble signed_sum(DoubleDoubleOf<LaneDouble> v, LaneMask sign) {
  return (LaneDouble)((LaneMask)v.hi ^ sign) + (LaneDouble)((LaneMask)v.lo ^ sign);
}

// The lanes of the kLanes values at x (interleaved re, im), written to y:
// the root of each lane finished here, the argument itself for the others.
// Returns a bit per lane that the scalar path must finish.
// The kernel's operands for the lanes, their parts' scales, and which
// lanes they are meant for.
struct LaneOperands {
  LaneDouble x, y, n;
  LaneMask big_scale, small_scale, taken;
};

// Lanes with both parts normal (finite, non-zero, no subnormal), as
// binary64_root scales them, from the bits: k = floor(max exponent / 2),
// X = |x| 4^-k and Y = |y| 4^-k (the larger in [1, 4), the smaller 0 below
// 2^-300), N = y's significand; t = T 2^k, q = Q 2^(ey - k).
inline LaneOperands scaled_operands(LaneMask x_bits, LaneMask y_bits) {
  const LaneMask ex = biased_exponent(x_bits), ey = biased_exponent(y_bits);
  const LaneMask taken = (ex >= 1) & (ex <= 2046) & (ey >= 1) & (ey <= 2046);
  const LaneMask x_larger = ex > ey;
  const LaneMask e_max = (x_larger & ex) | (~x_larger & ey);
  const LaneMask k = (LaneMask)((LaneBits)(e_max - 1023 + 2048) >> 1) - 1024;  // floor, by a logical shift
  const auto scaled = [&](LaneMask bits, LaneMask e) {
    const LaneMask kept = (e - 1023 - (k + k)) >= kFlushedBelow;
    return (LaneDouble)(kept & (LaneMask)(((LaneBits)bits & ~kSignBit) - ((LaneBits)k << 53)));
  };
  const LaneDouble one = LaneDouble{} + 1.0;
  return {select(taken, scaled(x_bits, ex), one),
          select(taken, scaled(y_bits, ey), one),
          select(taken, (LaneDouble)(((LaneBits)y_bits & kFractionBits) | (std::uint64_t{1023} << 52)), one),
          k,
          ey - 1023 - k,
          taken};
}

inline LaneDouble times_power_of_two(LaneDouble v, LaneMask scale) {
  return (LaneDouble)exponent_added((LaneBits)v, scale);
}

// The kernel on the operands, and the lanes finished here written to y:
// the root where both roundings are certain (and, scaled, the lane taken
// and its small part at least 2^-1021 after scaling: normal, and not tiny
// by any tininess rule, as is_clear_of_underflow asks; always so
// unscaled), the argument z itself elsewhere. Returns a bit per lane that
// the scalar path must finish.
template <bool kScaled>
__attribute__((always_inline)) inline unsigned finish_lanes(LanePair z, const LaneOperands& op, double* y) {
  const RootPairOf<LaneDouble> root = root_core(op.x, op.y, op.n);
  LaneMask done = rounding_is_certain(root.big) & rounding_is_certain(root.small);
  if (kScaled) done &= op.taken & exponent_clears_underflow(biased_exponent((LaneMask)root.small.hi), op.small_scale);
  // The parts placed by x's sign (part_placement.h); the imaginary one takes
  // y's sign.
  const LaneMask x_negative = (LaneMask)z.re < 0, y_sign = (LaneMask)((LaneBits)z.im & kSignBit);
  const PartsOf<DoubleDoubleOf<LaneDouble>> w = placed(x_negative, root.big, root.small);
  const PartsOf<LaneMask> scale = placed(x_negative, op.big_scale, op.small_scale);
  LaneDouble w_re = w.re.hi + w.re.lo, w_im = signed_sum(w.im, y_sign);
  if (kScaled) w_re = times_power_of_two(w_re, scale.re), w_im = times_power_of_two(w_im, scale.im);
  store_complex(y, {select(done, w_re, z.re), select(done, w_im, z.im)});
  return ~lane_bits(done) & ((1u << kLanes) - 1);
}

// The kLanes values at x (interleaved re, im) through the kernel. The
// common case, every part within 2^+-120 (needs_no_scaling, checked on the
// magnitudes' bits), takes the operands as they are, without the
// scaling's integer steps; a vector with any other lane takes them all
// scaled.
__attribute__((always_inline)) inline unsigned root_lanes(const double* x, double* y) {
  const LanePair z = load_complex(x);
  constexpr auto kLow = static_cast<std::int64_t>(kUnscaledLowest), kHigh = static_cast<std::int64_t>(kUnscaledAbove);
  const LaneMask ax = (LaneMask)((LaneBits)z.re & ~kSignBit), ay = (LaneMask)((LaneBits)z.im & ~kSignBit);
  const LaneMask unscaled = (ax >= kLow) & (ax < kHigh) & (ay >= kLow) & (ay < kHigh);
  if (lane_bits(unscaled) == (1u << kLanes) - 1)
    return finish_lanes<false>(
        z, LaneOperands{(LaneDouble)ax, (LaneDouble)ay, (LaneDouble)ay, LaneMask{}, LaneMask{}, ~LaneMask{}}, y);
  return finish_lanes<true>(z, scaled_operands((LaneMask)z.re, (LaneMask)z.im), y);
}

// The first n elements through `root` (root(i) computes the vector's
// worth of elements from i and returns a bit per lane the scalar path must
// finish), kVectors vectors per step: two let the divider take two
// independent chains of roots and divisions where a vector's other work is
// short (the binary32 lanes). The indices the scalar path must finish (the
// tail that fills no vector among them) go to `left`, and their count is
// returned. certified says whether any lane was finished here (and so is
// inexact).
template <int kVectors, typename Root>
__attribute__((always_inline)) inline std::size_t run_lanes(std::size_t n, std::uint32_t* left, bool& certified,
                                                            Root root) {
  constexpr unsigned kAll = (1u << kLanes) - 1;
  std::size_t count = 0, i = 0;
  const auto note = [&](std::size_t at, unsigned rest) {
    certified |= rest != kAll;
    for (; rest != 0; rest &= rest - 1) left[count++] = static_cast<std::uint32_t>(at + __builtin_ctz(rest));
  };
  for (; i + kVectors * kLanes <= n; i += kVectors * kLanes) {
    unsigned rest[kVectors];
    for (int v = 0; v < kVectors; ++v) rest[v] = root(i + v * kLanes);
    for (int v = 0; v < kVectors; ++v) note(i + v * kLanes, rest[v]);
  }
  for (; i + kLanes <= n; i += kLanes) note(i, root(i));
  for (; i < n; ++i) left[count++] = static_cast<std::uint32_t>(i);
  return count;
}

// The first n values of x (interleaved) through the lanes.
inline std::size_t batch_lanes(std::size_t n, const double* x, double* y, std::uint32_t* left, bool& certified) {
  return run_lanes<1>(n, left, certified, [&](std::size_t i) { return root_lanes(x + 2 * i, y + 2 * i); });
}

RAVO_INTERNAL_END

#endif
