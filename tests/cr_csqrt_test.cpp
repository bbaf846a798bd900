// cr_csqrt_scalar: every part correctly rounded and exactly the flags a
// correctly rounded operation raises, in all four rounding modes, checked
// against MPC on the hard-case corpus and the random input classes; rows
// pinned by hand where the answer is known; special arguments as
// csqrt_scalar.
#include <gtest/gtest.h>

#include <cfloat>

#include "hard_cases.h"
#include "input_classes.h"
#include "support/dispatch_choice.h"
#include "support/fp_case.h"
#include "support/mpc_match.h"

namespace ravo_test {
namespace {

constexpr int NONE = 0, INEXACT = FE_INEXACT, TINY = FE_INEXACT | FE_UNDERFLOW;
constexpr int N = FE_TONEAREST, D = FE_DOWNWARD, U = FE_UPWARD, Z = FE_TOWARDZERO;
// A row's mode: one of the four, or all of them (an exact root is the same
// in every mode).
constexpr int EVERY_MODE = -1;

TEST(CrCsqrt, PinnedRows) {
  const struct {
    double x, y;
    int mode;
    std::uint64_t re, im;
    int flags;
  } rows[] = {
      // Exact roots raise nothing: a Pythagorean pair, and a square whose
      // modulus the kernel rounds.
      {3, 4, D, 0x4000000000000000, 0x3ff0000000000000, NONE},
      {-3, 4, U, 0x3ff0000000000000, 0x4000000000000000, NONE},
      {1 + 0x1p-25, 0x1p-25 + 0x1p-51, N, 0x3ff0000004000000, 0x3e50000000000000, NONE},
      {1 + 0x1p-25, -0x1p-25 - 0x1p-51, U, 0x3ff0000004000000, 0xbe50000000000000, NONE},
      {0, -2, D, 0x3ff0000000000000, 0xbff0000000000000, NONE},
      // Exact roots whose low parts the kernel leaves a tiny amount off a
      // multiple of a quarter of the high part's last place: a rounding test
      // that measures the distance to the grid wrongly (the floor instead of
      // the nearest integer) or with too small a tolerance calls them
      // inexact. The roots are 0x1.b2942ep+21 - 0x1.7bf69p+18 i and
      // 0x1.d261958p+9 + 0x1.b1aae1p+9 i.
      {0x1.6c7578e6eap+43, -0x1.4281f778c6fp+41, EVERY_MODE, 0x414b2942e0000000, 0xc117bf6900000000, NONE},
      {0x1.cc0fa91c2235p+16, 0x1.8b072e4945b2cp+20, EVERY_MODE, 0x408d261958000000, 0x408b1aae10000000, NONE},
      // A product whose significand is all ones at the end: a Veltkamp
      // split rounded upward leaves halves whose cross product is inexact.
      {0x1.01d293a0ea1e4p-22, 0x1.00000080e949ap+3, U, 0x40000000080e949b, 0x4000000000000000, INEXACT},
      // A correction of 2^-1351 for a part near 2^225: no underflow.
      {0x1.8p+450, 0x1p-450, N, 0x4e03988e1409212e, 0x15aa20bd700c2c3e, INEXACT},
      // Double rounding in csqrt_scalar gets these wrong.
      {0, from_bits(0x400119826714c7c7), N, 0x3ff08a6a7bbcd1b1, 0x3ff08a6a7bbcd1b1, INEXACT},
      {0, from_bits(0x400119826714c7c7), U, 0x3ff08a6a7bbcd1b2, 0x3ff08a6a7bbcd1b2, INEXACT},
      {DBL_MAX, from_bits(0x399FB671ABF55062), N, 0x5fefffffffffffff, 0x198fb671abf55062, INEXACT},
      // Third quadrant: each part rounded in the mode as the signed value.
      {-3, -5, D, 0x3ff3092a773ccfbd, 0xc000cf78272ed4f7, INEXACT},
      {-3, -5, U, 0x3ff3092a773ccfbe, 0xc000cf78272ed4f6, INEXACT},
      {-2, -0.0, U, 0, 0xbff6a09e667f3bcc, INEXACT},
      {-2, -0.0, D, 0, 0xbff6a09e667f3bcd, INEXACT},
      // Parts a tiny amount off a binary64 number: 2^-1072 - 2^-3219 and
      // 2 + 2^-2006.
      {-4, 0x1p-1070, D, 0x0000000000000003, 0x4000000000000000, TINY},
      {-4, 0x1p-1070, U, 0x0000000000000004, 0x4000000000000001, TINY},
      {4, 0x1p-1000, U, 0x4000000000000001, 0x0150000000000000, INEXACT},
      {4, 0x1p-1000, Z, 0x4000000000000000, 0x014fffffffffffff, INEXACT},
      // Just below 2^-1022: not tiny after rounding to nearest, tiny after
      // rounding down.
      {4, 0x1p-1020, N, 0x4000000000000000, 0x0010000000000000, INEXACT},
      {4, 0x1p-1020, D, 0x4000000000000000, 0x000fffffffffffff, TINY},
      {4, 0x1.8p-1021, N, 0x4000000000000000, 0x000c000000000000, TINY},
      // Parts below half the smallest subnormal.
      {-4, -0x1p-1074, U, 0x0000000000000001, 0xc000000000000000, TINY},
      {-4, -0x1p-1074, D, 0x0000000000000000, 0xc000000000000001, TINY},
      // The largest power of two on the imaginary axis, whose doubling
      // would overflow: halved instead, exact.
      {0, 0x1p1023, N, 0x5fe0000000000000, 0x5fe0000000000000, NONE},
      // A subnormal x and the smallest y: the exact comparison's operands
      // lie far apart, and a cluster one unit too eager decides wrongly.
      {-0x0.0000000855ed3p-1022, 0x1p-1074, D, 0x1d962acb91cab8a7, 0x1f1718e37d874727, INEXACT},
      {-0x0.0000000855ed3p-1022, 0x1p-1074, Z, 0x1d962acb91cab8a7, 0x1f1718e37d874727, INEXACT},
      // A small part just below 2^-1022 that rounds up to it: tiny all the
      // same, which the fast path must leave to the slow one.
      {0x1.66d1381f32395p+4, 0x1.2f145dfe77f4p-1019, U, 0x4012f145dfe77f41, 0x0010000000000000, TINY},
      // The real part 2^-1075 less a tiny amount: its grid point is the
      // whole significand's width away.
      {-4, -0x1p-1073, U, 0x0000000000000001, 0xc000000000000000, TINY},
      {-4, -0x1p-1073, N, 0x0000000000000000, 0xc000000000000000, TINY},
  };
  for (const auto& r : rows) {
    for (int mode : kRoundingModes) {
      if (r.mode != EVERY_MODE && r.mode != mode) continue;
      EXPECT_EQ(run_cr_csqrt(r.x, r.y, mode), (Outcome{r.re, r.im, r.flags}))
          << std::hexfloat << r.x << " " << r.y << " " << mode_name(mode);
    }
  }
}

// Compares every argument in every mode with MPC; reports the first few.
template <typename Args>
void expect_correctly_rounded(const Args& args, const char* what) {
  const MatchesMpcInEveryMode matches_mpc;
  int wrong = 0;
  for (const auto& a : args) {
    const testing::AssertionResult r = matches_mpc("x", "y", a.x, a.y);
    if (!r && wrong++ < 10) ADD_FAILURE() << what << ": " << r.message();
  }
  EXPECT_EQ(wrong, 0) << what;
}

// The corpus comes from seeded streams, and its near-boundary search rounds
// as the x87 unit does through MPFR, so every target and compiler draws the
// same arguments: the digest (FNV-1a over each case's bits and kind) of the
// corpora as first drawn on x86-64, the default one and the accuracy test's.
TEST(CrCsqrt, HardCorpusIsTheSameOnEveryTarget) {
  const struct {
    std::uint64_t seed;
    std::size_t per_kind, size;
    std::uint64_t digest;
  } rows[] = {
      {1, 2000, 19034, 0x9e05906cf49f77ae},
      {20261207, 2000, 19056, 0xbfd6508b9b3c64f9},
  };
  for (const auto& r : rows) {
    const auto corpus = ravo_corpus::hard_cases(r.seed, r.per_kind);
    std::uint64_t h = 0xCBF29CE484222325u;
    const auto add = [&h](std::uint64_t v, int bytes) {
      for (int i = 0; i < bytes; ++i) h = (h ^ ((v >> (8 * i)) & 0xFF)) * 0x100000001B3u;
    };
    for (const auto& c : corpus) {
      add(to_bits(c.x), 8);
      add(to_bits(c.y), 8);
      for (const char* p = c.kind; *p != 0; ++p) add(static_cast<unsigned char>(*p), 1);
      add(0, 1);
    }
    EXPECT_EQ(corpus.size(), r.size) << "seed " << r.seed;
    EXPECT_EQ(h, r.digest) << std::hex << "seed " << r.seed << ": digest 0x" << h;
  }
}

TEST(CrCsqrt, HardCorpusAgainstMpc) {
  const auto corpus = ravo_corpus::hard_cases();
  ASSERT_GT(corpus.size(), 10000u);
  expect_correctly_rounded(corpus, "hard corpus");
}

// Exact squares with a tiny other part leave the kernels' corrections as
// small as the tiny part allows; a product of two of them must not reach the
// subnormal range. Whatever the mode, a result whose parts are both normal
// raises no underflow (the corpus's sample of the sweep checks the bits).
TEST(CrCsqrt, NoUnderflowForNormalResultsOfSquaresWithTinyParts) {
  constexpr std::uint64_t kMagnitude = ~(std::uint64_t{1} << 63), kSmallestNormal = 0x0010000000000000;
  const auto sweep = ravo_corpus::squares_with_tiny_parts();
  ASSERT_GT(sweep.size(), 200000u);
  int wrong = 0;
  for (const auto& c : sweep)
    for (int mode : kRoundingModes) {
      const Outcome got = run_cr_csqrt(c.x, c.y, mode);
      const bool normal = (got.re & kMagnitude) > kSmallestNormal && (got.im & kMagnitude) > kSmallestNormal;
      if (!normal || (got.flags & FE_UNDERFLOW) == 0) continue;
      if (wrong++ < 10)
        ADD_FAILURE() << std::hexfloat << "x " << c.x << " y " << c.y << " " << mode_name(mode) << " got " << got;
    }
  EXPECT_EQ(wrong, 0);
}

TEST(CrCsqrt, RandomClassesAgainstMpc) {
  for (const auto& cls : ravo_accuracy::input_classes()) {
    std::vector<ravo_accuracy::Argument> args;
    for (std::uint64_t i = 0; i < 20000; ++i) args.push_back(cls.generate(20261207, i));
    expect_correctly_rounded(args, cls.name);
  }
}

// Kernel errors close to the proven bound (up to 5.6 units of the last
// extended place in the directed modes, 2.7 in round to nearest) with the
// exact part just across a boundary from the extended value: a rounding test
// whose margins fall below the bound misrounds these.
TEST(CrCsqrt, KernelErrorsNearTheBound) {
  const struct {
    std::uint64_t x, y;
    int mode;
  } rows[] = {
      {0x411c67ad03b44e08, 0x4200002b13272980, N},
      {0x419014222ec4022e, 0x42600015c488a943, N},
      {0xbfb1c72245424d1f, 0xc100000051046c7c, N},
      {0xbc8246f949bd6fc7, 0xbe0000000eb40e9f, N},
      {0x3a87b2dc97a6097e, 0xbb57845a49ec8fe6, N},  // big more than one unit off
      {0xb8b264edd2522f4e, 0x39d001b7daafa988, N},
      {0xbe8827ae0f3bde65, 0xc000000018162b0e, D},
      {0x3cd6a6b7e5070fd2, 0xbe20000030cd2c99, D},
      {0xc1ee396095603f6d, 0xc340000046c7879c, D},
      {0x420ce24b62955095, 0xc3200005c3038e2b, U},
      {0xc18c198ce7b70a0c, 0xc2a0000189f610c5, U},
      {0xc1b2f13116d9b801, 0xc2c0000475133c3b, U},
      {0xc28f22a4d023de7f, 0xc3a0000527009eb8, Z},
      {0x4230aa7324bb235e, 0xc32000125eea547a, Z},
      {0xc1afe8138657abd8, 0xc2e00001ef0ebcd0, Z},
      {0x3c8438b05777f88e, 0xbe30000a0f890a2c, D},
      {0xc0a101c021d617ea, 0x41f00005c8b59e8a, D},
      {0xbdc41cde196f6f6d, 0x3f3000007bb9d352, D},
      {0xbf4cee43d765fed6, 0xc0f00069beb13240, D},
      {0xbfd6a422b0386788, 0xc0f0000a02c4ae69, U},
      {0xc0a28dbba9b8be82, 0xc1b000011614c8e7, U},
      {0xbd2f023bed48d045, 0xbe70003d9f079ecb, U},
      {0xbe52c104ec594d45, 0xbf60000039b1fdba, U},
      {0x3e49a8b47c977828, 0xbfa0000051bc5e7f, U},
      {0xbc0395b1cff68f25, 0xbd00000ea5592f70, U},
      // An exact square plus a tiny y: re, rounded upward to
      // 0x1.a17a9c14833b1p+0, lies a few 1e-30 ulp below that number, so the
      // binary64 kernel's approximation may fall on either side of it and
      // the rounding test needs its margin on both sides.
      {0x40054685599fb1e4, 0x3d000fb0d55c4b5a, U},
  };
  for (const auto& r : rows) {
    EXPECT_EQ(run_cr_csqrt(from_bits(r.x), from_bits(r.y), r.mode), mpc_outcome(from_bits(r.x), from_bits(r.y), r.mode))
        << std::hex << r.x << " " << r.y << " " << mode_name(r.mode);
  }
}

#if defined(__x86_64__) && !defined(RAVO_CR_PORTABLE)
// Both paths are in the library: the suite runs once as the CPU chooses and
// once with each narrower path forced, which must then be the one that runs
// (as the library's own CPU checks call for: a CPU without FMA never gets
// the path built for it).
TEST(CrCsqrt, ImplementationChosenByTheCpuOrForced) { EXPECT_EQ(cr_csqrt_implementation(), expected_cr_csqrt_path()); }
#endif

// Infinite and NaN parts: csqrt_scalar's results and flags, NaN payloads
// included (its own table pins those down).
TEST(CrCsqrt, SpecialArgumentsAsCsqrtScalar) {
  const std::uint64_t grid[] = {0x0000000000000000, 0x0000000000000001, 0x3FF0000000000000,
                                0x7FEFFFFFFFFFFFFF, 0x7FF0000000000000, 0x7FF8000000000000,
                                0x7FF8000000000123, 0x7FF0000000000001, 0x7FF4000000000ABC};
  for (std::uint64_t a : grid)
    for (std::uint64_t b : grid)
      for (std::uint64_t signs = 0; signs < 4; ++signs) {
        const double x = from_bits(a | (signs & 1) << 63), y = from_bits(b | (signs >> 1) << 63);
        if (!std::isnan(x) && !std::isinf(x) && !std::isnan(y) && !std::isinf(y)) continue;
        for (int mode : kRoundingModes)
          EXPECT_EQ(run_cr_csqrt(x, y, mode), run_csqrt(x, y, mode))
              << std::hex << to_bits(x) << " " << to_bits(y) << " " << mode_name(mode);
      }
}

}  // namespace
}  // namespace ravo_test
