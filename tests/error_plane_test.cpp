// The accuracy picture's numbers stay on the right side of its colour edges
// (0.5 for correct rounding to nearest, 1 in the directed modes): the error
// measured toward zero is below an edge the exact error is below, and the
// plane CSV carries each cell's maxima bit for bit.
#include "error_plane.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdlib>
#include <sstream>
#include <string>

#include "csqrt_oracle.h"

namespace ravo_accuracy {
namespace {

// csqrt(2^716 + 2^-1059 i) has the imaginary part 2^-1418; rounded upward it
// is 2^-1074, correctly rounded and 1 - 2^-344 ulp off. The difference needs
// more bits than the oracle carries.
TEST(ErrorPlane, ErrorTowardZeroStaysBelowOneUlp) {
  ravo_oracle::CsqrtOracle oracle;
  oracle.set(std::ldexp(1.0, 716), std::ldexp(1.0, -1059));
  const double smallest_subnormal = std::ldexp(1.0, -1074);
  EXPECT_EQ(oracle.ulp_error_im(smallest_subnormal, MPFR_RNDZ), std::nextafter(1.0, 0.0));
  EXPECT_EQ(oracle.ulp_error_im(smallest_subnormal), 1.0);  // upward, for bounds
  EXPECT_EQ(oracle.ulp_error_im(0.0, MPFR_RNDZ), std::ldexp(1.0, -344));
}

TEST(ErrorPlane, MaximaReadBackToTheSameDouble) {
  const double kMaxima[] = {
      0.4999996,                 // six decimals made it 0.500000
      std::nextafter(0.5, 0.0),  // the largest error below 0.5
      0.5,
      0.50049999,                // below the 0.5005 edge
      std::nextafter(1.0, 0.0),  // a directed mode's largest correct error
      1.0019999,
      0.0,
      3.0e-7,
  };
  ErrorPlane plane(16, 1);
  // One cell per value, both parts: x = 2^(16 k) puts the value in the k-th
  // cell along x.
  for (std::size_t k = 0; k < std::size(kMaxima); ++k) {
    const double x = std::ldexp(1.0, 16 * static_cast<int>(k));
    plane.count(x, 1);
    plane.add(x, 1, 0, kMaxima[k], kMaxima[k]);
  }
  std::ostringstream out;
  plane.write_rows(out, "nearest");
  std::istringstream rows(out.str());
  std::size_t k = 0;
  for (std::string row; std::getline(rows, row); ++k) {
    ASSERT_LT(k, std::size(kMaxima)) << row;
    // mode, x binade, y binade, width, samples, re max, im max
    std::size_t field_start = 0;
    for (int comma = 0; comma < 5; ++comma) field_start = row.find(',', field_start) + 1;
    const std::string re = row.substr(field_start, row.find(',', field_start) - field_start);
    const std::string im = row.substr(row.rfind(',') + 1);
    for (const std::string& text : {re, im})
      EXPECT_EQ(std::bit_cast<std::uint64_t>(std::strtod(text.c_str(), nullptr)),
                std::bit_cast<std::uint64_t>(kMaxima[k]))
          << row;
  }
  EXPECT_EQ(k, std::size(kMaxima));
}

}  // namespace
}  // namespace ravo_accuracy
