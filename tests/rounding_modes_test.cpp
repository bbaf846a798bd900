// Seeded random arguments over all binades and near the axes, in all four
// rounding modes: principal branch and sign rules, flags that must never
// appear, underflow for every subnormal part, conj symmetry, and the error
// against MPC's exact root.
#include <gtest/gtest.h>
#include <mpfr.h>

#include <cfloat>
#include <cmath>
#include <random>
#include <vector>

#include "csqrt_oracle.h"
#include "support/fp_case.h"
#include "support/mpc_match.h"

namespace ravo_test {
namespace {

struct Arg {
  double x, y;
};

std::vector<Arg> random_arguments(std::size_t n) {
  std::mt19937_64 rng(20261207);
  std::vector<Arg> args;
  const auto finite = [&] {
    std::uint64_t b;
    do b = rng();
    while ((b & 0x7FF0000000000000) == 0x7FF0000000000000);
    return from_bits(b);
  };
  while (args.size() < n) {
    const double x = finite();
    args.push_back({x, finite()});
    // One part 2^-k times the other, k up to 1100: tiny quotients and
    // subnormal or vanishing parts.
    const double y = std::ldexp(x, -static_cast<int>(rng() % 1100)) * ((rng() & 1) ? 1 : -1);
    args.push_back({x, y});
    args.push_back({y, x});
  }
  return args;
}

bool is_subnormal(std::uint64_t b) { return (b & 0x7FF0000000000000) == 0 && (b << 1) != 0; }

std::int64_t bit_distance(std::uint64_t a, std::uint64_t b) {
  // Same sign here, so the ordered distance is the difference of magnitudes.
  const auto mag = [](std::uint64_t v) { return static_cast<std::int64_t>(v & ~(1ull << 63)); };
  return std::llabs(mag(a) - mag(b));
}

TEST(RoundingModes, SignsFlagsSymmetryAndAccuracy) {
  ravo_oracle::CsqrtOracle oracle;
  for (const Arg& a : random_arguments(6000)) {
    oracle.set(a.x, a.y);
    for (int mode : kRoundingModes) {
      const Outcome w = run_csqrt(a.x, a.y, mode);
      const Outcome c = run_csqrt(a.x, -a.y, mode);
      SCOPED_TRACE(testing::Message() << std::hexfloat << a.x << " " << a.y << " " << mode_name(mode) << " " << w);
      // Right half-plane, imaginary sign from y, zeros included.
      EXPECT_EQ(w.re >> 63, 0u);
      EXPECT_EQ(w.im >> 63, std::signbit(a.y) ? 1u : 0u);
      EXPECT_EQ(w.flags & (FE_OVERFLOW | FE_DIVBYZERO | FE_INVALID), 0);
      if (is_subnormal(w.re) || is_subnormal(w.im)) {
        EXPECT_TRUE(w.flags & FE_UNDERFLOW);
      }
      // Conjugate: same real part and mirrored imaginary part. Upward and
      // downward round the two magnitudes in opposite directions.
      EXPECT_EQ(c.im >> 63, w.im >> 63 ^ 1);
      if (mode == FE_TONEAREST || mode == FE_TOWARDZERO) {
        EXPECT_EQ(c, (Outcome{w.re, w.im ^ (1ull << 63), w.flags}));
      } else {
        EXPECT_LE(bit_distance(c.re, w.re), 1);
        EXPECT_LE(bit_distance(c.im, w.im), 1);
      }
      // Within one ulp in round to nearest. A directed rounding alone may
      // cost one ulp, and it applies to magnitudes before the signs are set,
      // so a part may land two units from the correctly rounded value; the
      // extended intermediates add a few thousandths of an ulp.
      const double bound = mode == FE_TONEAREST ? 1.0 : 1.002;
      EXPECT_LE(oracle.ulp_error_re(from_bits(w.re)), bound);
      EXPECT_LE(oracle.ulp_error_im(from_bits(w.im)), bound);
    }
  }
}

#if defined(__x86_64__)
using ravo_oracle::to_mpfr;

// csqrt_scalar's imaginary-axis root on x86-64, built from MPFR as the x87
// design computes it: sqrt(a/2) rounded in the mode to the extended format's 64-bit
// significand, then rounded again to binary64 in the same mode; inexact when
// either rounding is. a/2 is exact, and the root (at least 2^-538) is far
// from any exponent limit.
Outcome imaginary_axis_root(double a, int mode) {
  mpfr_t half, extended, binary64;
  mpfr_inits2(64, half, extended, static_cast<mpfr_ptr>(nullptr));
  mpfr_init2(binary64, 53);
  const mpfr_rnd_t rnd = to_mpfr(mode);
  mpfr_set_d(half, a, MPFR_RNDN);
  mpfr_div_2ui(half, half, 1, MPFR_RNDN);
  const int first = mpfr_sqrt(extended, half, rnd);
  const int second = mpfr_set(binary64, extended, rnd);
  const std::uint64_t root = to_bits(mpfr_get_d(binary64, MPFR_RNDN));
  mpfr_clears(half, extended, binary64, static_cast<mpfr_ptr>(nullptr));
  return {root, root, (first != 0 || second != 0) ? FE_INEXACT : 0};
}
#endif

// The real axis is one rounding of a binary64 square root in the current
// mode, as is sqrt_scalar: both must equal MPC's correctly rounded root bit
// for bit, flags included. The imaginary axis is the extended root rounded
// again (above), which in round to nearest differs from the correct rounding
// where the extended root falls on a binary64 midpoint. The first argument
// is such a case for the real axis (an extended root rounded again would be
// one ulp off), the second, its double, for the imaginary axis. Without the
// x87 unit csqrt_scalar is correctly rounded on both axes.
TEST(RoundingModes, AxisRootsAndSqrtScalarAsTheDesignRoundsThem) {
  std::mt19937_64 rng(20261208);
  std::vector<double> args = {from_bits(0x3ff119826714c7c7), from_bits(0x400119826714c7c7), 2.0, 0x1p-1074, DBL_MAX};
  while (args.size() < 3000) {
    const std::uint64_t b = rng() >> 1;  // positive
    if ((b & 0x7FF0000000000000) != 0x7FF0000000000000 && b != 0) args.push_back(from_bits(b));
  }
  for (const double a : args) {
    for (int mode : kRoundingModes) {
      SCOPED_TRACE(testing::Message() << std::hexfloat << a << " " << mode_name(mode));
      const Outcome want = mpc_outcome(a, 0, mode);
      const std::uint64_t root = want.re;
      std::fesetround(mode);
      const double s = sqrt_scalar(a);
      std::fesetround(FE_TONEAREST);
      EXPECT_EQ(to_bits(s), root);
      EXPECT_EQ(run_csqrt(a, 0.0, mode), want);
      EXPECT_EQ(run_csqrt(-a, 0.0, mode), (Outcome{0, root, want.flags}));
#if defined(__x86_64__)
      EXPECT_EQ(run_csqrt(0.0, a, mode), imaginary_axis_root(a, mode));
#else
      EXPECT_EQ(run_csqrt(0.0, a, mode), mpc_outcome(0, a, mode));
#endif
    }
  }
}

}  // namespace
}  // namespace ravo_test
