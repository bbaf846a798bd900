// The entries of a fixed direction (cr_csqrt_rn ... _rz and their array
// forms) against cr_csqrt_scalar with the thread's mode set to that
// direction, which the other tables check against MPC: every argument
// class, every pair of direction and thread mode, bits and flags, and the
// thread's mode unchanged after the call.
#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <limits>
#include <vector>

#include "hard_cases.h"
#include "input_classes.h"
#include "support/fp_case.h"

namespace ravo_test {
namespace {

using Scalar = ravo_c_complex (*)(ravo_c_complex);
using Batch = void (*)(size_t, const ravo_c_complex*, ravo_c_complex*);

struct Direction {
  int fe_round;
  Scalar scalar;
  Batch batch;
};
const Direction kDirections[] = {{FE_TONEAREST, cr_csqrt_rn, cr_csqrt_batch_rn},
                                 {FE_DOWNWARD, cr_csqrt_rd, cr_csqrt_batch_rd},
                                 {FE_UPWARD, cr_csqrt_ru, cr_csqrt_batch_ru},
                                 {FE_TOWARDZERO, cr_csqrt_rz, cr_csqrt_batch_rz}};

ravo_c_complex c_complex(double x, double y) { return ravo_to_c_complex({x, y}); }
Outcome outcome(ravo_c_complex w, int flags) {
  return {to_bits(__extension__ __real__ w), to_bits(__extension__ __imag__ w), flags};
}

// Samples of every input class, the hard corpus's kinds, and the specials
// with a signalling NaN.
std::vector<ravo_c_complex> arguments() {
  std::vector<ravo_c_complex> v;
  for (const auto& c : ravo_accuracy::input_classes())
    for (std::uint64_t i = 0; i < 400; ++i) {
      const auto a = c.generate(20261208, i);
      v.push_back(c_complex(a.x, a.y));
    }
  for (const auto& h : ravo_corpus::hard_cases(3, 150)) v.push_back(c_complex(h.x, h.y));
  const double inf = std::numeric_limits<double>::infinity(), snan = std::numeric_limits<double>::signaling_NaN();
  for (const double s : {inf, -inf, snan, -0.0, 2.0, 0x1p-1074})
    for (const double t : {inf, snan, 0.0, -3.0}) v.push_back(c_complex(s, t));
  return v;
}

TEST(DirectedEntries, EqualTheThreadModeEntryInEveryModeOneByOne) {
  const std::vector<ravo_c_complex> args = arguments();
  for (const Direction& d : kDirections) {
    std::vector<Outcome> want;
    std::fesetround(d.fe_round);
    for (const ravo_c_complex z : args) {
      std::feclearexcept(FE_ALL_EXCEPT);
      const ravo_c_complex w = cr_csqrt_scalar(z);
      want.push_back(outcome(w, std::fetestexcept(kAllFlags)));
    }
    for (const int thread_mode : kRoundingModes) {
      std::fesetround(thread_mode);
      for (std::size_t i = 0; i < args.size(); ++i) {
        std::feclearexcept(FE_ALL_EXCEPT);
        const ravo_c_complex w = d.scalar(args[i]);
        const Outcome got = outcome(w, std::fetestexcept(kAllFlags));
        ASSERT_EQ(std::fegetround(), thread_mode) << "the thread's mode changed";
        ASSERT_EQ(got, want[i]) << std::hexfloat << __real__ args[i] << " " << __imag__ args[i] << ", "
                                << mode_name(d.fe_round) << " entry in thread mode " << mode_name(thread_mode);
      }
    }
  }
  std::fesetround(FE_TONEAREST);
}

// Whole arrays, in place too: the elements and the union of the flags,
// with flags raised before the call kept.
TEST(DirectedEntries, ArraysEqualTheThreadModeArrayInEveryMode) {
  const std::vector<ravo_c_complex> args = arguments();
  for (const Direction& d : kDirections) {
    std::vector<ravo_c_complex> want(args.size());
    std::fesetround(d.fe_round);
    std::feclearexcept(FE_ALL_EXCEPT);
    cr_csqrt_batch(args.size(), args.data(), want.data());
    const int want_flags = std::fetestexcept(kAllFlags);
    for (const int thread_mode : kRoundingModes) {
      for (const bool in_place : {false, true}) {
        std::fesetround(thread_mode);
        std::vector<ravo_c_complex> got = args;
        std::feclearexcept(FE_ALL_EXCEPT);
        const fexcept_t earlier = FE_DIVBYZERO;  // set, not raised: no other flag comes with it
        std::fesetexceptflag(&earlier, FE_DIVBYZERO);
        if (in_place)
          d.batch(got.size(), got.data(), got.data());
        else
          d.batch(args.size(), args.data(), got.data());
        const int flags = std::fetestexcept(kAllFlags);
        ASSERT_EQ(std::fegetround(), thread_mode);
        EXPECT_EQ(flags, want_flags | FE_DIVBYZERO) << mode_name(d.fe_round) << " in " << mode_name(thread_mode);
        for (std::size_t i = 0; i < args.size(); ++i)
          ASSERT_EQ(outcome(got[i], 0), outcome(want[i], 0))
              << std::hexfloat << __real__ args[i] << " " << __imag__ args[i] << ", " << mode_name(d.fe_round)
              << " array in thread mode " << mode_name(thread_mode) << (in_place ? ", in place" : "");
      }
    }
  }
  std::fesetround(FE_TONEAREST);
}

}  // namespace
}  // namespace ravo_test
