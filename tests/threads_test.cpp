// Concurrent calls, each thread in its own rounding mode: every thread must
// see the results and flags of a single-threaded run in that mode.
#include <gtest/gtest.h>

#include <random>
#include <thread>
#include <vector>

#include "support/fp_case.h"

namespace ravo_test {
namespace {

TEST(Threads, ConcurrentCallsMatchSingleThreadedRuns) {
  std::mt19937_64 rng(7);
  std::vector<std::pair<double, double>> args;
  for (int i = 0; i < 2000; ++i) {
    std::uint64_t a = rng(), b = rng();
    // Keep exponents small or large and include tiny parts, so underflow and
    // inexact flags vary from call to call.
    args.emplace_back(from_bits(a & 0xBFFFFFFFFFFFFFFF), from_bits(b & 0x83FFFFFFFFFFFFFF));
  }
  args.emplace_back(from_bits(0x7FF0000000000001), 1.0);  // invalid
  args.emplace_back(-0.25, -0x1p-1074);                   // underflow

  std::vector<std::vector<Outcome>> expected;
  for (int mode : kRoundingModes) {
    expected.emplace_back();
    for (const auto& [x, y] : args) expected.back().push_back(run_csqrt(x, y, mode));
  }

  constexpr int kThreadsPerMode = 2;
  std::vector<int> mismatches(4 * kThreadsPerMode, 0);
  std::vector<std::thread> threads;
  for (int t = 0; t < 4 * kThreadsPerMode; ++t) {
    threads.emplace_back([&, t] {
      const int m = t % 4;
      for (int rep = 0; rep < 20; ++rep)
        for (std::size_t i = 0; i < args.size(); ++i)
          if (!(run_csqrt(args[i].first, args[i].second, kRoundingModes[m]) == expected[m][i])) ++mismatches[t];
    });
  }
  for (auto& th : threads) th.join();
  for (int t = 0; t < 4 * kThreadsPerMode; ++t) EXPECT_EQ(mismatches[t], 0) << "thread " << t;
}

}  // namespace
}  // namespace ravo_test
