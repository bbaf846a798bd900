// Finite arguments with both parts non-zero, in round to nearest: exact bits
// where the value is pinned down, and otherwise within one ulp of MPC's
// correctly rounded root, always with the exact flags.
#include <gtest/gtest.h>

#include <cfloat>

#include "csqrt_oracle.h"
#include "support/fp_case.h"

namespace ravo_test {
namespace {

constexpr int INEXACT = FE_INEXACT, TINY = FE_INEXACT | FE_UNDERFLOW;
constexpr std::uint64_t POS_ZERO = 0, NEG_ZERO = 0x8000000000000000;

TEST(KernelCases, ExactBits) {
  const struct {
    double x, y, re, im;
    int flags;
  } rows[] = {
      {2, -3, 1.6741492280355401, -0.8959774761298381, INEXACT},
      {1, 1, 1.09868411346781, 0.45508986056222733, INEXACT},
      {-1, 1, 0.45508986056222733, 1.09868411346781, INEXACT},
      {-0.5, 0.25, 0.17178037486125622, 0.7276733451126774, INEXACT},
      // Exact subnormal imaginary part: the underflow signal still runs.
      {4, 0x1p-1060, 2, 0x1p-1062, TINY},
      // Either side of the signal's boundary: the smallest normal raises
      // inexact only, the subnormal 0x0.cp-1022 just below it underflows.
      {4, 0x1p-1020, 2, 0x1p-1022, INEXACT},
      {4, 0x1.8p-1021, 2, 0x0.cp-1022, TINY},
      // The real part is the smallest subnormal.
      {-0.25, -0x1p-1074, 0x1p-1074, -0.5, TINY},
      // Tiny parts that round to zero: underflow comes from the rounding,
      // and the zero keeps the sign of y (imaginary) or is +0 (real).
      {1e300, 0x1p-1074, 1e150, 0.0, TINY},
      {1e300, -0x1p-1074, 1e150, -0.0, TINY},
      {-4, -0x1p-1074, 0.0, -2, TINY},
      {-4, 0x1p-1074, 0.0, 2, TINY},
      {-1e300, -0x1p-1074, 0.0, -1e150, TINY},
  };
  for (const auto& r : rows) {
    EXPECT_EQ(run_csqrt(r.x, r.y), (Outcome{to_bits(r.re), to_bits(r.im), r.flags})) << r.x << " " << r.y;
  }
}

#if defined(__x86_64__)
// The double rounding (extended, then binary64) is one ulp off here: the
// correctly rounded real part is 0x5FEFFFFFFFFFFFFF. Only the x87 kernel
// rounds twice; other targets' kernels have their own worst cases.
TEST(KernelCases, DocumentedOneUlpCaseAtTwoToThe512) {
  const Outcome got = run_csqrt(DBL_MAX, from_bits(0x399FB671ABF55062));
  EXPECT_EQ(got.re, 0x5FF0000000000000u);
  EXPECT_EQ(got.flags, INEXACT);
  ravo_oracle::CsqrtOracle oracle;
  oracle.set(DBL_MAX, from_bits(0x399FB671ABF55062));
  EXPECT_EQ(to_bits(oracle.rounded(FE_TONEAREST).re), 0x5FEFFFFFFFFFFFFFu);
}
#endif

// Extremes: no overflow, no spurious underflow, no result flushed to zero.
TEST(KernelCases, ExtremesStayWithinOneUlp) {
  const struct {
    double x, y;
    int flags;
  } rows[] = {
      {DBL_MAX, DBL_MAX, INEXACT},  // about 1.4730945569e154 + 6.1017574413e153i
      {-DBL_MAX, -DBL_MAX, INEXACT},
      {0x1p-1074, 0x1p-1074, INEXACT},  // about 2.4421097261e-162 + 1.0115549694e-162i
      {-0x1p-1074, 0x1p-1074, INEXACT},
      {-1e308, 1e308, INEXACT},    // about 4.5508986056e153 + 1.0986841135e154i
      {DBL_MAX, 0x1p-1074, TINY},  // imaginary part about 2^-1587: rounds to 0
      {-2, 1e-310, TINY},          // subnormal real part about 3.5355339e-311
      {0x1p-1022, -0x1p-1022, INEXACT},
      {DBL_MIN * 0.5, DBL_MAX, INEXACT},
  };
  ravo_oracle::CsqrtOracle oracle;
  for (const auto& r : rows) {
    const Outcome got = run_csqrt(r.x, r.y);
    oracle.set(r.x, r.y);
    EXPECT_LE(oracle.ulp_error_re(from_bits(got.re)), 1.0) << r.x << " " << r.y;
    EXPECT_LE(oracle.ulp_error_im(from_bits(got.im)), 1.0) << r.x << " " << r.y;
    EXPECT_EQ(got.flags, r.flags) << r.x << " " << r.y;
  }
  EXPECT_EQ(run_csqrt(-2, 1e-310).im, to_bits(M_SQRT2));
  EXPECT_EQ(run_csqrt(DBL_MAX, 0x1p-1074).im, POS_ZERO);
  EXPECT_EQ(run_csqrt(DBL_MAX, -0x1p-1074).im, NEG_ZERO);
}

}  // namespace
}  // namespace ravo_test
