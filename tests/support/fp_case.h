// Running csqrt_scalar under a chosen rounding mode and capturing the result
// bits and the status flags it raised; shared by the test tables.
#ifndef RAVO_TEST_FP_CASE_H
#define RAVO_TEST_FP_CASE_H

#include <bit>
#include <cfenv>
#include <cstdint>
#include <ostream>
#include <string>

#include "ravo_libm.h"

namespace ravo_test {

constexpr int kRoundingModes[] = {FE_TONEAREST, FE_DOWNWARD, FE_UPWARD, FE_TOWARDZERO};
constexpr int kAllFlags = FE_INVALID | FE_INEXACT | FE_UNDERFLOW | FE_OVERFLOW | FE_DIVBYZERO;

inline double from_bits(std::uint64_t b) { return std::bit_cast<double>(b); }
inline std::uint64_t to_bits(double d) { return std::bit_cast<std::uint64_t>(d); }

struct Outcome {
  std::uint64_t re;
  std::uint64_t im;
  int flags;
  bool operator==(const Outcome&) const = default;
};

std::string mode_name(int fe_round);
std::string flag_names(int flags);
std::ostream& operator<<(std::ostream& os, const Outcome& o);

// Calls csqrt_scalar(x + iy) with fe_round set and all flags clear; restores
// round to nearest afterwards.
Outcome run_csqrt(double x, double y, int fe_round = FE_TONEAREST);
// The same for cr_csqrt_scalar.
Outcome run_cr_csqrt(double x, double y, int fe_round = FE_TONEAREST);

}  // namespace ravo_test

#endif
