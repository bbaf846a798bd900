// cr_csqrtf_scalar, its fixed directions and cr_csqrtf_batch: a table of
// exact, special and tiny cases with their bits and flags; random classes
// and constructed near-boundary arguments against MPC rounded to binary32
// in every mode; the array function against the scalar loop; the fixed
// directions against the thread's mode.
#include <gtest/gtest.h>

#include <bit>
#include <cfenv>
#include <cmath>
#include <complex>
#include <cstdint>
#include <random>
#include <vector>

#include "csqrt_oracle.h"
#include "support/fp_case.h"

namespace ravo_test {
namespace {

using cplx = std::complex<float>;

float f32(std::uint32_t b) { return std::bit_cast<float>(b); }
std::uint32_t bits32(float v) { return std::bit_cast<std::uint32_t>(v); }

struct Outcome32 {
  std::uint32_t re, im;
  int flags;
  bool operator==(const Outcome32&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Outcome32& o) {
  return os << std::hexfloat << f32(o.re) << " + " << f32(o.im) << "i [" << flag_names(o.flags) << "]";
}

using Entry32 = std::complex<float> (*)(std::complex<float>);

Outcome32 run(float x, float y, int mode, Entry32 f = cr_csqrtf_scalar) {
  std::fesetround(mode);
  std::feclearexcept(FE_ALL_EXCEPT);
  const cplx w = f(cplx(x, y));
  const int flags = std::fetestexcept(FE_ALL_EXCEPT) & kAllFlags;
  std::fesetround(FE_TONEAREST);
  return {bits32(w.real()), bits32(w.imag()), flags};
}

Outcome32 mpc32(float x, float y, int mode) {
  thread_local ravo_oracle::CsqrtOracle oracle;
  oracle.set(x, y);
  const auto r = oracle.rounded32_with_flags(mode);
  return {bits32(r.re), bits32(r.im), r.flags};
}

testing::AssertionResult matches_mpc(float x, float y) {
  for (int mode : kRoundingModes) {
    const Outcome32 got = run(x, y, mode), want = mpc32(x, y, mode);
    if (got != want)
      return testing::AssertionFailure() << std::hexfloat << x << " + " << y << "i " << mode_name(mode) << ": got "
                                         << got << ", want " << want;
  }
  return testing::AssertionSuccess();
}

constexpr int kI = FE_INEXACT, kU = FE_UNDERFLOW | FE_INEXACT, kV = FE_INVALID;
constexpr std::uint32_t kInf = 0x7F800000, kQNaN = 0x7FC00000, kSNaN = 0x7F800001, kMinSub = 1;

struct Row {
  float x, y;
  int mode;
  std::uint32_t re, im;
  int flags;
};

// Exact roots raise nothing; tiny parts underflow by binary32 tininess
// after rounding; specials as the double functions.
const Row kRows[] = {
    {3, 4, FE_TONEAREST, bits32(2.f), bits32(1.f), 0},
    {-3, -4, FE_UPWARD, bits32(1.f), bits32(-2.f), 0},
    {-0.f, 0.f, FE_DOWNWARD, 0, 0, 0},
    {0.f, -0.f, FE_TONEAREST, 0, 0x80000000, 0},
    {-4, -0.f, FE_TOWARDZERO, 0, bits32(-2.f), 0},
    {0, 8, FE_DOWNWARD, bits32(2.f), bits32(2.f), 0},
    // sqrt(2^-150) = 2^-75 from the smallest subnormal, exact under DAZ's
    // reach: the part is widened by its bits.
    {0, f32(kMinSub), FE_TONEAREST, bits32(0x1p-75f), bits32(0x1p-75f), 0},
    {f32(kMinSub), 0, FE_UPWARD, bits32(0x1.6a09e8p-75f), 0, kI},
    // 1 + 2^-140 i: the imaginary part lies just below 2^-141, a subnormal.
    {1, 0x1p-140f, FE_TONEAREST, bits32(1.f), bits32(0x1p-141f), kU},
    {1, 0x1p-140f, FE_DOWNWARD, bits32(1.f), bits32(0x1p-141f) - 1, kU},
    {1, -0x1p-140f, FE_UPWARD, bits32(0x1.000002p0f), 0x800000FF, kU},
    // 1 + 2^-125 i: the imaginary part a hair below 2^-126; its 24-bit
    // rounding reaches 2^-126 to nearest (not tiny after rounding, no
    // underflow), not toward zero.
    {1, 0x1p-125f, FE_TONEAREST, bits32(1.f), 0x00800000, kI},
    {1, 0x1p-125f, FE_TOWARDZERO, bits32(1.f), 0x007FFFFF, kU},
    {f32(kInf), f32(kSNaN), FE_TONEAREST, kInf, 0x7FC00001, kV},
    {-f32(kInf), 2, FE_TONEAREST, 0, kInf, 0},
    // (2^23 - 1 + i)^2: an exact root whose |z|^2 has 92 bits, so the
    // kernel's sum rounds and raises inexact, which must not stay.
    {0x1.fffff8p45f, 0x1.fffffcp23f, FE_UPWARD, bits32(0x1.fffffcp22f), bits32(1.f), 0},
    {-0x1.fffff8p45f, -0x1.fffffcp23f, FE_DOWNWARD, bits32(1.f), bits32(-0x1.fffffcp22f), 0},
    {f32(kQNaN), f32(kInf) * -1, FE_TONEAREST, kInf, 0xFF800000, 0},
};

TEST(CrCsqrtf, TableOfExactSpecialAndTinyCases) {
  for (const Row& r : kRows) {
    EXPECT_EQ(run(r.x, r.y, r.mode), (Outcome32{r.re, r.im, r.flags}))
        << std::hexfloat << r.x << " + " << r.y << "i " << mode_name(r.mode);
  }
}

// Random binary32 parts of a class: exponents in [lo, hi], both signs,
// subnormals where lo is below -126.
float random_part(std::mt19937_64& rng, int lo, int hi) {
  const int e = std::uniform_int_distribution<int>(lo, hi)(rng);
  const std::uint32_t fraction = static_cast<std::uint32_t>(rng()) & 0x7FFFFF;
  const std::uint32_t sign = static_cast<std::uint32_t>(rng() & 1) << 31;
  if (e < -126) return f32(sign | (fraction >> std::min(23, -126 - e)));
  return f32(sign | static_cast<std::uint32_t>(e + 127) << 23 | fraction);
}

struct Class {
  const char* name;
  int x_lo, x_hi, y_lo, y_hi;
};
const Class kClasses[] = {
    {"general", -30, 30, -30, 30},
    {"full range", -149, 127, -149, 127},
    {"tiny imaginary", 60, 127, -149, -100},
    {"subnormal", -149, -127, -149, -127},
};

std::uint64_t seed() {
  const char* s = std::getenv("RAVO_TEST_SEED");
  return s ? std::strtoull(s, nullptr, 10) : 20261208;
}

TEST(CrCsqrtf, RandomClassesMatchMpcInEveryMode) {
  std::mt19937_64 rng(seed());
  for (const Class& c : kClasses)
    for (int i = 0; i < 3000; ++i) {
      const float x = random_part(rng, c.x_lo, c.x_hi), y = random_part(rng, c.y_lo, c.y_hi);
      ASSERT_TRUE(matches_mpc(x, y)) << c.name;
    }
}

// Arguments whose root parts are binary32 numbers or midpoints, or lie
// next to them: (a + ib)^2 with a, b of 12 bits is exact, and moving x or y
// by a few places puts the parts near the boundary; midpoints need a, b of
// 13 bits (x, y of 26 bits, then rounded to binary32: near, not on). Closer
// still: x = m^2 and a small y put sqrt(x) + y^2 / (8 m^3) within 2^-40 to
// 2^-60 of the binary32 number m, where the binary64 kernel's own errors
// may land on either side of it.
// Draws in a fixed order (one per statement: the order of a call's
// arguments is the compiler's), so every compiler tests the same cases.
struct Draw {
  std::mt19937_64 rng;
  std::uint64_t below(std::uint64_t n) { return rng() % n; }
  // k 2^e, k in [1, count], e in [lo, lo + span).
  float scaled(std::uint64_t count, int lo, int span) {
    const auto k = static_cast<float>(below(count) + 1);
    return std::ldexp(k, lo + static_cast<int>(below(static_cast<std::uint64_t>(span))));
  }
  float signed_(float v) { return (rng() & 1) ? -v : v; }
};

TEST(CrCsqrtf, ConstructedNearBoundaryArgumentsMatchMpc) {
  Draw d{std::mt19937_64(seed() + 1)};
  for (int i = 0; i < 4000; ++i) {
    const float m = d.scaled(4096, -20, 40);
    const float t = 1 + static_cast<float>(d.below(1u << 23)) * 0x1p-23f;
    const float y = std::ldexp(m * m * t, -18 - static_cast<int>(d.below(12)));
    const float x = d.signed_(m * m);
    ASSERT_TRUE(matches_mpc(x, d.signed_(y)));
  }
  for (int i = 0; i < 4000; ++i) {
    const auto j = static_cast<float>(2 * d.below(8) + 1);
    const float x = std::ldexp(1 - j * 0x1p-24f, 2 * (static_cast<int>(d.below(120)) - 60));
    const float r = std::ldexp(static_cast<float>(d.below(4096)) - 2048, -31);
    const float y = x * j * 0x1p-24f * (1 + r);
    const float sx = d.signed_(x);
    ASSERT_TRUE(matches_mpc(sx, d.signed_(y)));
  }
  for (int i = 0; i < 4000; ++i) {
    const std::uint64_t bits = 12 + d.below(2);
    const float a = d.scaled(std::uint64_t{1} << bits, -20, 40);
    const float b = d.scaled(std::uint64_t{1} << bits, -20, 40);
    float x = a * a - b * b, y = 2 * a * b;
    const int nudge = static_cast<int>(d.below(5)) - 2;
    if (d.rng() & 1)
      x = f32(bits32(x) + static_cast<std::uint32_t>(nudge));
    else
      y = f32(bits32(y) + static_cast<std::uint32_t>(nudge));
    x = d.signed_(x);
    y = d.signed_(y);
    ASSERT_TRUE(matches_mpc(x, y));
  }
}

// The fixed directions give the thread-mode results of their direction,
// from a thread in every other mode, which they leave unchanged.
TEST(CrCsqrtf, FixedDirectionsAsThreadMode) {
  const Entry32 entries[] = {cr_csqrtf_rn, cr_csqrtf_rd, cr_csqrtf_ru, cr_csqrtf_rz};
  std::mt19937_64 rng(seed() + 2);
  for (int i = 0; i < 2000; ++i) {
    const Class& c = kClasses[i % 4];
    const float x = random_part(rng, c.x_lo, c.x_hi), y = random_part(rng, c.y_lo, c.y_hi);
    for (int d = 0; d < 4; ++d) {
      const Outcome32 want = mpc32(x, y, kRoundingModes[d]);
      for (int thread_mode : kRoundingModes) {
        if (thread_mode == kRoundingModes[d]) continue;
        std::fesetround(thread_mode);
        std::feclearexcept(FE_ALL_EXCEPT);
        const cplx w = entries[d](cplx(x, y));
        const Outcome32 got{bits32(w.real()), bits32(w.imag()), std::fetestexcept(FE_ALL_EXCEPT) & kAllFlags};
        const int left_in = std::fegetround();
        std::fesetround(FE_TONEAREST);
        ASSERT_EQ(got, want) << std::hexfloat << x << " + " << y << "i, direction " << mode_name(kRoundingModes[d])
                             << " from " << mode_name(thread_mode);
        ASSERT_EQ(left_in, thread_mode);
      }
    }
  }
}

// The array function element by element, in every mode: bits, and the
// union of the flags; arrays mixing every class, specials and zeros, at
// every length up to two vectors and beyond, in place and not.
TEST(CrCsqrtBatch, Binary32AsScalarLoop) {
  std::mt19937_64 rng(seed() + 3);
  std::vector<cplx> args;
  const float odd[] = {0.f, -0.f, f32(kInf), -f32(kInf), f32(kQNaN), f32(kSNaN), f32(kMinSub), 4.f, -9.f};
  for (int i = 0; i < 1200; ++i) {
    if (rng() % 10 == 0) {
      const float x = odd[rng() % 9];
      args.emplace_back(x, odd[rng() % 9]);
      continue;
    }
    const Class& c = kClasses[rng() % 4];
    const float x = random_part(rng, c.x_lo, c.x_hi);
    args.emplace_back(x, random_part(rng, c.y_lo, c.y_hi));
  }
  using Batch32 = void (*)(size_t, const cplx*, cplx*);
  const Batch32 batches[] = {cr_csqrtf_batch, cr_csqrtf_batch_rn, cr_csqrtf_batch_rd, cr_csqrtf_batch_ru,
                             cr_csqrtf_batch_rz};
  const Entry32 scalars[] = {cr_csqrtf_scalar, cr_csqrtf_rn, cr_csqrtf_rd, cr_csqrtf_ru, cr_csqrtf_rz};
  for (int f = 0; f < 5; ++f)
    for (int mode : kRoundingModes)
      for (std::size_t n : {std::size_t{1}, std::size_t{7}, std::size_t{17}, std::size_t{40}, args.size()}) {
        const std::size_t start = rng() % (args.size() - n + 1);
        std::vector<cplx> in(args.begin() + static_cast<long>(start), args.begin() + static_cast<long>(start + n));
        std::vector<Outcome32> want;
        int want_flags = 0;
        for (const cplx& z : in) {
          want.push_back(run(z.real(), z.imag(), mode, scalars[f]));
          want_flags |= want.back().flags;
        }
        std::fesetround(mode);
        std::feclearexcept(FE_ALL_EXCEPT);
        batches[f](n, in.data(), in.data());
        const int flags = std::fetestexcept(FE_ALL_EXCEPT) & kAllFlags;
        std::fesetround(FE_TONEAREST);
        for (std::size_t i = 0; i < n; ++i)
          ASSERT_EQ((Outcome32{bits32(in[i].real()), bits32(in[i].imag()), want[i].flags}), want[i])
              << "entry " << f << " " << mode_name(mode) << " element " << i << " of " << n;
        ASSERT_EQ(flag_names(flags), flag_names(want_flags)) << "entry " << f << " " << mode_name(mode) << " n " << n;
      }
}

}  // namespace
}  // namespace ravo_test
