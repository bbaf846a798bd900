// The first calls of cr_csqrt_scalar and cr_csqrt_batch, which choose the
// path and the vector target, made by many threads at once, each in its own
// rounding mode: every thread must get MPC's bits and flags, and all must
// report the same choice, the one the CPU and the forcing variables call
// for. The choice is made once per process, so this program calls nothing
// of the library before the threads start, and runs as a ctest entry of
// its own (once as the CPU chooses, once per forced choice).
#include <gtest/gtest.h>

#include <atomic>
#include <cfenv>
#include <complex>
#include <string>
#include <thread>
#include <vector>

#include "support/dispatch_choice.h"
#include "support/fp_case.h"
#include "support/mpc_match.h"

namespace ravo_test {
namespace {

using cplx = std::complex<double>;

constexpr int kThreads = 16;

// Exact, general, tiny, axis and scaled arguments: each path's first call
// may start in any of its cases.
const cplx kArguments[] = {{3, 4},     {-1.5, 2.25},     {0x1p-1070, -4},
                           {-0.0, 2},  {1e300, -1e-300}, {-0x1.0000000000002p-926, 0},
                           {0.1, 0.7}, {-5, -12}};
constexpr std::size_t kCount = sizeof kArguments / sizeof kArguments[0];

struct Expected {
  Outcome scalar[kCount];
  int batch_flags;
};

// MPC's results in one mode, computed before any thread starts.
Expected expected_in(int mode) {
  Expected e{};
  for (std::size_t i = 0; i < kCount; ++i) {
    e.scalar[i] = mpc_outcome(kArguments[i].real(), kArguments[i].imag(), mode);
    e.batch_flags |= e.scalar[i].flags;
  }
  return e;
}

struct Seen {
  Outcome scalar[kCount];
  std::vector<cplx> batch;
  int batch_flags;
  std::string path, target;
};

TEST(FirstCall, ManyThreadsChooseAtOnce) {
  std::vector<Expected> expected;
  for (int mode : kRoundingModes) expected.push_back(expected_in(mode));

  std::atomic<int> ready{0};
  std::atomic<bool> go{false};
  std::vector<Seen> seen(kThreads);
  // Thread t's calls; the main thread makes thread 0's right after the
  // start, while the others wait yielding, so that whichever of them runs
  // on another core starts its first call at the same moment.
  const auto calls = [&](int t) {
    const int mode = kRoundingModes[t % 4];
    Seen& s = seen[t];
    std::fesetround(mode);
    if (t != 0) {
      ready.fetch_add(1);
      while (!go.load()) std::this_thread::yield();
    }
    // Half the threads start with the array function, half with the
    // scalar one, so that both first calls race with calls of the other.
    const auto run_batch = [&] {
      s.batch.resize(kCount);
      std::feclearexcept(FE_ALL_EXCEPT);
      cr_csqrt_batch(kCount, kArguments, s.batch.data());
      s.batch_flags = std::fetestexcept(FE_ALL_EXCEPT) & kAllFlags;
    };
    const auto run_scalar = [&] {
      for (std::size_t i = 0; i < kCount; ++i) {
        std::feclearexcept(FE_ALL_EXCEPT);
        const cplx w = cr_csqrt_scalar(kArguments[i]);
        s.scalar[i] = {to_bits(w.real()), to_bits(w.imag()), std::fetestexcept(FE_ALL_EXCEPT) & kAllFlags};
      }
    };
    if (t % 2 == 0) {
      run_batch();
      run_scalar();
    } else {
      run_scalar();
      run_batch();
    }
    std::fesetround(FE_TONEAREST);
    s.path = cr_csqrt_implementation();
    s.target = cr_csqrt_batch_implementation();
  };
  std::vector<std::thread> threads;
  for (int t = 1; t < kThreads; ++t) threads.emplace_back(calls, t);
  while (ready.load() < kThreads - 1) std::this_thread::yield();
  go.store(true);
  calls(0);
  for (auto& th : threads) th.join();

  const std::string path = expected_cr_csqrt_path(), target = expected_batch_target();
  for (int t = 0; t < kThreads; ++t) {
    const int m = t % 4;
    SCOPED_TRACE(testing::Message() << "thread " << t << " " << mode_name(kRoundingModes[m]));
    for (std::size_t i = 0; i < kCount; ++i) {
      EXPECT_EQ(seen[t].scalar[i], expected[m].scalar[i]) << kArguments[i];
      EXPECT_EQ(to_bits(seen[t].batch[i].real()), expected[m].scalar[i].re) << kArguments[i];
      EXPECT_EQ(to_bits(seen[t].batch[i].imag()), expected[m].scalar[i].im) << kArguments[i];
    }
    EXPECT_EQ(seen[t].batch_flags, expected[m].batch_flags);
    EXPECT_EQ(seen[t].path, seen[0].path);
    EXPECT_EQ(seen[t].target, seen[0].target);
  }
  if (!path.empty()) {
    EXPECT_EQ(seen[0].path, path);
  }
  EXPECT_EQ(seen[0].target, target);
}

}  // namespace
}  // namespace ravo_test
