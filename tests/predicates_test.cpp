// The classification predicates on the boundary bit patterns of each class,
// and without raising invalid for signalling NaNs.
#include <gtest/gtest.h>

#include <cfenv>

#include "../libdev/internal/libm_internal.h"
#include "support/fp_case.h"

using namespace ravo::internal;

namespace ravo_test {
namespace {

struct Row {
  std::uint64_t bits;
  int isnan, isninf, ispinf, isnegzero;
};

constexpr Row kRows[] = {
    {0x7FF0000000000000, 0, 0, 1, 0},                                    // +inf
    {0xFFF0000000000000, 0, 1, 0, 0},                                    // -inf
    {0x7FEFFFFFFFFFFFFF, 0, 0, 0, 0},                                    // largest finite
    {0xFFEFFFFFFFFFFFFF, 0, 0, 0, 0},                                    // most negative finite
    {0x0000000000000000, 0, 0, 0, 0},                                    // +0
    {0x8000000000000000, 0, 0, 0, 1},                                    // -0
    {0x8000000000000001, 0, 0, 0, 0},                                    // negative smallest subnormal
    {0x8000000100000000, 0, 0, 0, 0},                                    // -0 with a low bit of the high word
    {0x7FF0000000000001, 1, 0, 0, 0},                                    // signalling NaN, only significand bit 0
    {0x7FF0000100000000, 1, 0, 0, 0},                                    // only a high-word significand bit
    {0x7FF8000000000000, 1, 0, 0, 0},                                    // quiet NaN
    {0xFFF8000000000000, 1, 0, 0, 0},                                    // negative quiet NaN
    {0xFFF0000000000001, 1, 0, 0, 0},                                    // negative NaN, low word only
    {0xFFFFFFFFFFFFFFFF, 1, 0, 0, 0}, {0x7FE0000000000001, 0, 0, 0, 0},  // exponent one below all-ones
    {0x0010000000000000, 0, 0, 0, 0},                                    // smallest normal
};

TEST(Predicates, BoundaryBitPatternsRaiseNothing) {
  for (const Row& r : kRows) {
    const double v = from_bits(r.bits);
    std::feclearexcept(FE_ALL_EXCEPT);
    EXPECT_EQ(__libm_internal_isnan(v), r.isnan) << std::hex << r.bits;
    EXPECT_EQ(__libm_internal_isninf(v), r.isninf) << std::hex << r.bits;
    EXPECT_EQ(__libm_internal_ispinf(v), r.ispinf) << std::hex << r.bits;
    EXPECT_EQ(__libm_internal_isnegzero(v), r.isnegzero) << std::hex << r.bits;
    EXPECT_EQ(std::fetestexcept(FE_ALL_EXCEPT), 0) << std::hex << r.bits;
  }
}

}  // namespace
}  // namespace ravo_test
