// The entries of a fixed direction (cr_csqrt_rn ... _rz and their array
// forms) against cr_csqrt_scalar with the thread's mode set to that
// direction, which the other tables check against MPC: every argument
// class, every pair of direction and thread mode, bits and flags, and the
// thread's mode unchanged after the call.
#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <complex>
#include <limits>
#include <vector>

#include "call_in_mode.h"
#include "hard_cases.h"
#include "input_classes.h"
#include "support/fp_case.h"

namespace ravo_test {
namespace {

using Complex = std::complex<double>;

Outcome outcome(Complex w, int flags) { return {to_bits(w.real()), to_bits(w.imag()), flags}; }

// Samples of every input class, the hard corpus's kinds, and the specials
// with a signalling NaN.
std::vector<Complex> arguments() {
  std::vector<Complex> v;
  for (const auto& c : ravo_accuracy::input_classes())
    for (std::uint64_t i = 0; i < 400; ++i) {
      const auto a = c.generate(20261208, i);
      v.emplace_back(a.x, a.y);
    }
  for (const auto& h : ravo_corpus::hard_cases(3, 150)) v.emplace_back(h.x, h.y);
  const double inf = std::numeric_limits<double>::infinity(), snan = std::numeric_limits<double>::signaling_NaN();
  for (const double s : {inf, -inf, snan, -0.0, 2.0, 0x1p-1074})
    for (const double t : {inf, snan, 0.0, -3.0}) v.emplace_back(s, t);
  return v;
}

TEST(DirectedEntries, EqualTheThreadModeEntryInEveryModeOneByOne) {
  const std::vector<Complex> args = arguments();
  for (const auto& d : ravo_tools::kFixedDirections) {
    std::vector<Outcome> want;
    std::fesetround(d.fe);
    for (const Complex z : args) {
      std::feclearexcept(FE_ALL_EXCEPT);
      const Complex w = cr_csqrt_scalar(z);
      want.push_back(outcome(w, std::fetestexcept(kAllFlags)));
    }
    for (const int thread_mode : kRoundingModes) {
      std::fesetround(thread_mode);
      for (std::size_t i = 0; i < args.size(); ++i) {
        std::feclearexcept(FE_ALL_EXCEPT);
        const Complex w = d.scalar(args[i]);
        const Outcome got = outcome(w, std::fetestexcept(kAllFlags));
        ASSERT_EQ(std::fegetround(), thread_mode) << "the thread's mode changed";
        ASSERT_EQ(got, want[i]) << std::hexfloat << args[i].real() << " " << args[i].imag() << ", " << mode_name(d.fe)
                                << " entry in thread mode " << mode_name(thread_mode);
      }
    }
  }
  std::fesetround(FE_TONEAREST);
}

// Whole arrays, in place too: the elements and the union of the flags,
// with flags raised before the call kept.
TEST(DirectedEntries, ArraysEqualTheThreadModeArrayInEveryMode) {
  const std::vector<Complex> args = arguments();
  for (const auto& d : ravo_tools::kFixedDirections) {
    std::vector<Complex> want(args.size());
    std::fesetround(d.fe);
    std::feclearexcept(FE_ALL_EXCEPT);
    cr_csqrt_batch(args.size(), args.data(), want.data());
    const int want_flags = std::fetestexcept(kAllFlags);
    for (const int thread_mode : kRoundingModes) {
      for (const bool in_place : {false, true}) {
        std::fesetround(thread_mode);
        std::vector<Complex> got = args;
        std::feclearexcept(FE_ALL_EXCEPT);
        const fexcept_t earlier = FE_DIVBYZERO;  // set, not raised: no other flag comes with it
        std::fesetexceptflag(&earlier, FE_DIVBYZERO);
        if (in_place)
          d.batch(got.size(), got.data(), got.data());
        else
          d.batch(args.size(), args.data(), got.data());
        const int flags = std::fetestexcept(kAllFlags);
        ASSERT_EQ(std::fegetround(), thread_mode);
        EXPECT_EQ(flags, want_flags | FE_DIVBYZERO) << mode_name(d.fe) << " in " << mode_name(thread_mode);
        for (std::size_t i = 0; i < args.size(); ++i)
          ASSERT_EQ(outcome(got[i], 0), outcome(want[i], 0))
              << std::hexfloat << args[i].real() << " " << args[i].imag() << ", " << mode_name(d.fe)
              << " array in thread mode " << mode_name(thread_mode) << (in_place ? ", in place" : "");
      }
    }
  }
  std::fesetround(FE_TONEAREST);
}

}  // namespace
}  // namespace ravo_test
