// A C caller (double _Complex) and a C++ caller (std::complex<double>) get the
// same bits, NaN payloads and signed zeros included.
#include <gtest/gtest.h>

#include <cfloat>
#include <complex>

#include "support/fp_case.h"

extern "C" void c_caller_csqrt(double x, double y, double out[2]);

namespace ravo_test {
namespace {

TEST(CAndCppCallers, SameBits) {
  const double args[][2] = {
      {3, 4},
      {-3, -4},
      {2, -3},
      {-0.0, -8},
      {-4, -0.0},
      {DBL_MAX, DBL_MAX},
      {-2, 1e-310},
      {from_bits(0xFFF8000000000456), 1},
      {1, from_bits(0x7FF0000000000789)},
      {-INFINITY, -0.0},
  };
  for (const auto& a : args) {
    double c_side[2];
    c_caller_csqrt(a[0], a[1], c_side);
    const std::complex<double> cpp_side = csqrt_scalar({a[0], a[1]});
    EXPECT_EQ(to_bits(c_side[0]), to_bits(cpp_side.real())) << a[0] << " " << a[1];
    EXPECT_EQ(to_bits(c_side[1]), to_bits(cpp_side.imag())) << a[0] << " " << a[1];
  }
  // An unmistakable value, so that matching garbage cannot pass.
  double c_side[2];
  c_caller_csqrt(-3, 4, c_side);
  EXPECT_EQ(c_side[0], 1.0);
  EXPECT_EQ(c_side[1], 2.0);
}

}  // namespace
}  // namespace ravo_test
