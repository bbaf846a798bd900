// Concurrent calls, each thread in its own rounding mode: every thread must
// see the results and flags of a single-threaded run in that mode, for
// csqrt_scalar, cr_csqrt_scalar and cr_csqrt_batch (whose flags are those
// of the whole array).
#include <gtest/gtest.h>

#include <complex>
#include <random>
#include <thread>
#include <vector>

#include "support/fp_case.h"

namespace ravo_test {
namespace {

using Args = std::vector<std::pair<double, double>>;

Args mixed_arguments() {
  std::mt19937_64 rng(7);
  Args args;
  for (int i = 0; i < 2000; ++i) {
    std::uint64_t a = rng(), b = rng();
    // Keep exponents small or large and include tiny parts, so underflow and
    // inexact flags vary from call to call.
    args.emplace_back(from_bits(a & 0xBFFFFFFFFFFFFFFF), from_bits(b & 0x83FFFFFFFFFFFFFF));
  }
  args.emplace_back(from_bits(0x7FF0000000000001), 1.0);  // invalid
  args.emplace_back(-0.25, -0x1p-1074);                   // underflow
  args.emplace_back(-4.0, 0.0);                           // axis
  return args;
}

// The array function over args as one result list (the first element's
// flags are the whole call's; the others carry none).
std::vector<Outcome> run_batch(const Args& args, int mode) {
  std::vector<std::complex<double>> in, out(args.size());
  for (const auto& [x, y] : args) in.emplace_back(x, y);
  std::fesetround(mode);
  std::feclearexcept(FE_ALL_EXCEPT);
  cr_csqrt_batch(in.size(), in.data(), out.data());
  const int flags = std::fetestexcept(FE_ALL_EXCEPT) & kAllFlags;
  std::fesetround(FE_TONEAREST);
  std::vector<Outcome> r;
  for (const auto& w : out) r.push_back({to_bits(w.real()), to_bits(w.imag()), r.empty() ? flags : 0});
  return r;
}

// Runs `all(args, mode)` (every result in that mode) once per mode alone,
// then from two threads per mode at once, 20 times each.
template <typename AllResults>
void expect_same_when_concurrent(AllResults all) {
  const Args args = mixed_arguments();
  std::vector<std::vector<Outcome>> expected;
  for (int mode : kRoundingModes) expected.push_back(all(args, mode));

  constexpr int kThreadsPerMode = 2;
  std::vector<int> mismatches(4 * kThreadsPerMode, 0);
  std::vector<std::thread> threads;
  for (int t = 0; t < 4 * kThreadsPerMode; ++t) {
    threads.emplace_back([&, t] {
      const int m = t % 4;
      for (int rep = 0; rep < 20; ++rep)
        if (all(args, kRoundingModes[m]) != expected[m]) ++mismatches[t];
    });
  }
  for (auto& th : threads) th.join();
  for (int t = 0; t < 4 * kThreadsPerMode; ++t) EXPECT_EQ(mismatches[t], 0) << "thread " << t;
}

template <Outcome (*kRun)(double, double, int)>
std::vector<Outcome> run_each(const Args& args, int mode) {
  std::vector<Outcome> r;
  for (const auto& [x, y] : args) r.push_back(kRun(x, y, mode));
  return r;
}

TEST(Threads, ConcurrentCallsMatchSingleThreadedRuns) { expect_same_when_concurrent(run_each<run_csqrt>); }

TEST(Threads, ConcurrentCorrectlyRoundedCallsMatchSingleThreadedRuns) {
  expect_same_when_concurrent(run_each<run_cr_csqrt>);
}

TEST(Threads, ConcurrentArrayCallsMatchSingleThreadedRuns) { expect_same_when_concurrent(run_batch); }

}  // namespace
}  // namespace ravo_test
