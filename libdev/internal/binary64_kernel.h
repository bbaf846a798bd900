// The general case in binary64 arithmetic only, for cr_csqrt_scalar's
// binary64-only path: both parts as double-double values (hi + lo) with a
// relative error below 2^-97, in any rounding mode, for every finite
// non-zero x and y.
//
// Scaling. Arguments whose exponents both lie within 2^+-120 are used as
// they are (needs_no_scaling). Otherwise, with |x| = mx 2^ex and
// |y| = my 2^ey (m in [1, 2), subnormals normalised from their bits) and
// k = floor(max(ex, ey) / 2), the kernel works on X = |x| 4^-k and
// Y = |y| 4^-k, the larger in [1, 4). The smaller is replaced by 0 below
// 2^-300: its square then changes x^2 + y^2 by less than 2^-600 relatively,
// and X by less than 2^-300 of |z|. Then
//   t = T 2^k,  T = sqrt((X + Z) / 2),  Z = sqrt(X^2 + Y^2)
//   q = Q 2^(ey - k),  Q = my / (2T)
// T is in [0.7, 2.3] and Q in [0.2, 1.5]. t is at least 2^-537 and never
// tiny; q may be, and the caller scales it with care.
//
// No intermediate underflows. Every value the kernel computes is zero or at
// least 2^-1022 in magnitude, so no operation raises underflow, whatever the
// rounding mode, and none sees a subnormal operand (DAZ and FTZ change
// nothing). Magnitudes alone do not show it: a sum may cancel down to the
// last place of its smaller operand (r + half_lo below cancels whenever T
// lies very close to th). So the bound is on granularity: g(v) is a power
// of two that v is an integer multiple of, and v != 0 implies |v| >= g(v).
// A sum or difference keeps the smaller granularity of its operands, a
// product the product of theirs, and rounding a multiple of G gives a
// multiple of G; a root or quotient is a multiple of its own last place.
// With every operand and input in [2^-a, 2^(b+1)) (and N = Y), step by step:
//   X, Y, N            last place                         2^-(a+52)
//   squares' residuals, S's parts, s_lo                     2^-(2a+104)
//   zh's factor 1/(2 zh), at least 2^-(b+2.5)           ulp 2^-(b+55)
//   zl = (residual + s_lo) factor, and a_lo (Fast2Sum's error is a
//   multiple of X's last place)                             2^-(2a+b+159)
//   half_lo                                                 2^-(2a+b+160)
//   th's residual (th >= 2^-(a/2+1))                        2^-(a+106)
//   half reciprocal, at least 2^-(b/2+1.65)             ulp 2^-(b/2+54)
//   tl = (residual + half_lo) half reciprocal               2^-(2a+1.5b+214)
//   qh >= 2^-(a+b/2+1.65)                               ulp 2^-(a+b/2+54)
//   (2 qh) tl, and so the remainder                         2^-(3a+2b+267)
//   ql = remainder half reciprocal                          2^-(3a+2.5b+321)
// Unscaled, a = b = 120: the finest is ql's 2^-981. A wider range fails:
// within 2^+-250, tl could reach 2^-1089, and (2 qh) tl, the remainder and
// ql lower still (a perfect square x with a tiny y leaves th's residual 0
// and tl near y^2 / |x|^1.5), raising underflow for normal results. Scaled, the larger operand in [1, 4) (a = 0, b = 1,
// granularity 2^-52), the smaller at least 2^-300 (granularity 2^-352) and
// N in [1, 2): the same steps give tl 2^-(2M+216) and ql 2^-(2M+325) for a
// flush at 2^-M, 2^-925 at M = 300 (at M = 400, ql could reach 2^-1125).
// The residuals without FMA scale their exact error by the product of the
// factors' last places, at least 2^-704, a normal number. Gappa checks the
// table for both domains in every mode, each rounded value and each exact
// result (tools/proof/binary64_no_underflow_*.g).
//
// Error bound. u = 2^-53; every operation errs by less than 2u relatively
// in any mode. The residuals c - ab are rounded once (by FMA, or from the
// product's exact error); the sums' error terms (2Sum, Fast2Sum) are exact
// in round to nearest and err by less than 4u^2 of their inputs in the
// directed modes. Step by step, relative to the exact value of the step's
// mathematical result, in units of u^2, rounded up:
//   S = X^2 + Y^2     squares 4, 2Sum 4, low parts' sum 8                <= 16
//   Z = sqrt(S)       correction 40 (|zl| < 4u Z, its factor zh / s.hi
//                     errs by 10u), Taylor remainder 8, residual, half S's <= 66
//   A = X + Z         Fast2Sum 4, low parts 12, plus Z's (X, Z >= 0)      <= 78
//   T = sqrt(A / 2)   as Z with |tl| < 5u T, plus half of A's             <= 114
//   Q = N / (2T)      qh within 15u of Q; the remainder, its scaling by
//                     the reciprocal, th in place of T, plus T's           <= 400
// Both stay below 512 u^2 = 2^-97; the flushed operand adds at most 2^-300.
// binary64-kernel-bound (tools/proof) measures at most 35 u^2 over the
// random classes and the hard corpus in every mode, with FMA and without;
// adversarial sampling found 38 u^2. The rounding test
// (double_double_rounding.h) asks for a margin of at least 2^-89 |v|.
#ifndef RAVO_BINARY64_KERNEL_H
#define RAVO_BINARY64_KERNEL_H

#include <cstdint>

#include "target_namespace.h"
#if defined(__SSE4_1__) && defined(__clang__)
#include <immintrin.h>
#endif

#include "fp_bits.h"

namespace ravo::internal {

// hi + lo, in one lane (V = double) or in each lane of a vector.
template <typename V>
struct DoubleDoubleOf {
  V hi, lo;
};
using DoubleDouble = DoubleDoubleOf<double>;

}  // namespace ravo::internal

RAVO_INTERNAL_BEGIN

// The scaling's rules, for one value (int exponents) or a vector of lanes
// (the lane masks' 64-bit exponents); binary64_root and the vector lanes'
// scaled_operands apply them.
//
// The magnitude patterns of the unscaled range [2^-120, 2^121).
constexpr std::uint64_t kUnscaledLowest = std::uint64_t{1023 - 120} << 52;
constexpr std::uint64_t kUnscaledAbove = std::uint64_t{1023 + 121} << 52;
// Scaled, an operand below 2^kFlushedBelow (relative to the larger one's
// [1, 4)) is replaced by 0.
constexpr int kFlushedBelow = -300;

// A pattern times 2^e by its exponent field: the value and the result normal.
template <typename Bits, typename E>
inline Bits exponent_added(Bits b, E e) {
  return b + ((Bits)e << 52);
}
inline double times_power_of_two(double v, int e) {
  return from_bits(exponent_added(bits_of(v), static_cast<std::int64_t>(e)));
}

// A part whose high value has the exponent field hi_field and which is then
// scaled by 2^scale is at least 2^-1021, whatever the rounding: normal, and
// not tiny by any tininess rule.
template <typename E>
inline auto exponent_clears_underflow(E hi_field, E scale) {
  return hi_field + scale > 2;
}

// a + b = s + error; 2Sum, whatever the order of magnitudes.
template <typename V>
inline DoubleDoubleOf<V> two_sum(V a, V b) {
  const V s = a + b;
  const V b_part = s - a;
  return {s, (a - (s - b_part)) + (b - b_part)};
}

// a*b - p for a, b >= 0 and p = fl(a*b) in any mode, exactly: the error of
// a rounded product is a binary64 number (a multiple of the factors' last
// places, at least 2^-704 here), found from the significands' product in
// 128 bits.
inline double product_error(double a, double b, double p) {
  if (p == 0) return 0;  // a factor 0 (the smaller operand flushed)
  const auto [ma, ea] = positive_normal_fields(a);
  const auto [mb, eb] = positive_normal_fields(b);
  const auto [mp, ep] = positive_normal_fields(p);
  // a*b = ma mb 2^(ea+eb) and p = mp 2^ep with ep - ea - eb in {52, 53};
  // the difference is below 2^53 units of 2^(ea+eb).
  const i128 error = static_cast<i128>(static_cast<u128>(ma) * mb) - (static_cast<i128>(mp) << (ep - ea - eb));
  const double units = static_cast<double>(static_cast<std::int64_t>(error));
  return units * from_bits(static_cast<std::uint64_t>(ea + eb + 1023) << 52);
}

// c - a*b rounded once, for a, b >= 0 and a product close to c (so that
// c - fl(a*b) is exact): by FMA where the target has it, else from the
// product's exact error, which gives the same single rounding.
inline double binary64_residual(double c, double a, double b) {
#if RAVO_HAS_FMA
  return __builtin_fma(-a, b, c);
#else
  const double p = a * b;
  return (c - p) - product_error(a, b, p);
#endif
}

// The operations of the kernel that are not operators, per lane type: the
// correctly rounded square root, c - a*b rounded once, and c + a/2 rounded
// once (a/2 is exact: one FMA where there is one, else two operations). One binary64
// value here; vectors of them in batch_lanes.h. The kernel below is the same
// source for both, so its bounds hold lane by lane.
template <typename V>
struct Lanes;

template <>
struct Lanes<double> {
  static std::uint64_t bits(double v) { return bits_of(v); }
  static double from_bits(std::uint64_t b) { return ravo::internal::from_bits(b); }
  static double magnitude(double v) { return __builtin_fabs(v); }
  // The nearest integer for |v| < 2^62, whatever the rounding mode. Without
  // SSE4.1's roundsd, v + 1/2 truncated: the sum may round, but only
  // where v lies near a midpoint between integers, which any test of the
  // distance to an integer passes either way. Raises inexact (the kernel
  // has raised it already), nothing else.
#if defined(__SSE4_1__) && defined(__clang__)
  static double nearest_integer(double v) {
    return _mm_cvtsd_f64(_mm_round_sd(_mm_set_sd(v), _mm_set_sd(v), _MM_FROUND_TO_NEAREST_INT | _MM_FROUND_NO_EXC));
  }
#elif defined(__SSE4_1__) || defined(__aarch64__)
  static double nearest_integer(double v) { return __builtin_roundeven(v); }
#else
  static double nearest_integer(double v) {
    return static_cast<double>(static_cast<std::int64_t>(v + select_bits(sign_bit(v), -0.5, 0.5)));
  }
#endif
  static double root(double v) { return __builtin_sqrt(v); }
  static double residual(double c, double a, double b) { return binary64_residual(c, a, b); }
#if RAVO_HAS_FMA
  static double plus_half(double c, double a) { return __builtin_fma(a, 0.5, c); }
#else
  static double plus_half(double c, double a) { return c + 0.5 * a; }
#endif
};

// The kernel proper, for X, Y >= 0 (not both zero) and N > 0 whose
// squares and the products below stay normal: big = sqrt((X + Z) / 2) with
// Z = sqrt(X^2 + Y^2), and small = N / (2 big).
template <typename V>
struct RootPairOf {
  DoubleDoubleOf<V> big, small;
};
using RootPair = RootPairOf<double>;

template <typename V>
inline RootPairOf<V> root_core(V X, V Y, V N) {
  using L = Lanes<V>;
  // S = X^2 + Y^2.
  const V xx = X * X, yy = Y * Y;
  const DoubleDoubleOf<V> s = two_sum(xx, yy);
  const V s_lo = s.lo - (L::residual(xx, X, X) + L::residual(yy, Y, Y));
  // Z = sqrt(S): the root of s.hi, corrected by (S - zh^2) / (2 zh), the
  // reciprocal taken of s.hi alongside the root rather than after it.
  const V zh = L::root(s.hi);
  const V zl = (L::residual(s.hi, zh, zh) + s_lo) * (zh * (0.5 / s.hi));
  // A / 2 = (X + Z) / 2; Z >= X, so Fast2Sum, and no cancellation.
  const V a_hi = zh + X;
  const V a_lo = (X - (a_hi - zh)) + zl;
  const V half_hi = 0.5 * a_hi;  // and half_lo = a_lo / 2, inside plus_half
  // T = sqrt(A / 2), corrected by the half reciprocal 1/(2 th) =
  // th / a_hi that Q needs anyway; its division runs alongside the root.
  // (Every product with 0.5 or 2 here is exact, so 0.5 (th / half_hi)
  // would round to the same value, one multiplication later.)
  const V th = L::root(half_hi);
  const V half_reciprocal = th * (1.0 / a_hi);
  const V tl = L::plus_half(L::residual(half_hi, th, th), a_lo) * half_reciprocal;
  // Q = N / (2T): qh from the reciprocal, ql from the remainder
  // N - 2 qh (th + tl).
  const V qh = N * half_reciprocal;
  const V twice_qh = 2.0 * qh;
  const V remainder = L::residual(N, twice_qh, th) - twice_qh * tl;
  const V ql = remainder * half_reciprocal;
  return {{th, tl}, {qh, ql}};
}

// Arguments whose exponents both lie within 2^+-120 need no scaling: the
// squares lie in [2^-240, 2^242], and no intermediate is below 2^-981
// unless zero (see the granularity bound above).
inline bool needs_no_scaling(double x, double y) {
  const std::uint64_t ox = (bits_of(x) & ~kSignBit) - kUnscaledLowest, oy = (bits_of(y) & ~kSignBit) - kUnscaledLowest;
  return (ox > oy ? ox : oy) < kUnscaledAbove - kUnscaledLowest;
}

// Both parts' magnitudes for any finite non-zero x and y, scaled:
// t = big 2^big_scale, q = small 2^small_scale.
struct Binary64Root {
  DoubleDouble big, small;
  int big_scale, small_scale;
};

inline Binary64Root binary64_root(double x, double y) {
  const Normalized nx = normalize(x), ny = normalize(y);
  const int k = (nx.e > ny.e ? nx.e : ny.e) >> 1;  // floor, also for negative exponents
  const auto scaled = [k](Normalized n) {
    return n.e - 2 * k < kFlushedBelow ? 0.0 : times_power_of_two(n.m, n.e - 2 * k);
  };
  const RootPair r = root_core(scaled(nx), scaled(ny), ny.m);
  // Built from the values, not by copying r's aggregates, which GCC would
  // pass through the stack.
  return {{r.big.hi, r.big.lo}, {r.small.hi, r.small.lo}, k, ny.e - k};
}

inline bool is_clear_of_underflow(const DoubleDouble& v, int scale) {
  return exponent_clears_underflow(biased_exponent(v.hi), scale);
}

// The rounding of sign (hi + lo) in the current mode, sign = +-1; the sign
// applied before the rounding (exact products), so a negative part rounds
// as itself.
inline double signed_rounding(DoubleDouble v, double sign) { return v.hi * sign + v.lo * sign; }

RAVO_INTERNAL_END

#endif
