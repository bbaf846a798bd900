// cr_csqrt_batch against cr_csqrt_scalar: every element bit for bit, and the
// flags of a call exactly the union of its elements' flags, in all four
// modes; lengths that leave every tail, one odd element at every position
// among ordinary ones, in place and at an offset of one double.
#include <gtest/gtest.h>

#include <cfenv>
#include <complex>
#include <cstring>
#include <vector>

#include "hard_cases.h"
#include "input_classes.h"
#include "support/dispatch_choice.h"
#include "support/fp_case.h"

namespace ravo_test {
namespace {

using cplx = std::complex<double>;

struct Batch {
  std::vector<cplx> w;
  int flags;
};

// The batch over in[0, n) in the mode, flags clear before; out may be in.
Batch run_batch(const cplx* in, cplx* out, std::size_t n, int mode) {
  std::fesetround(mode);
  std::feclearexcept(FE_ALL_EXCEPT);
  cr_csqrt_batch(n, in, out);
  const int flags = std::fetestexcept(FE_ALL_EXCEPT) & kAllFlags;
  std::fesetround(FE_TONEAREST);
  return {std::vector<cplx>(out, out + n), flags};
}

// The scalar function element by element: results, and the union of flags.
Batch run_scalar(const cplx* in, std::size_t n, int mode) {
  Batch r{{}, 0};
  for (std::size_t i = 0; i < n; ++i) {
    const Outcome o = run_cr_csqrt(in[i].real(), in[i].imag(), mode);
    r.w.emplace_back(from_bits(o.re), from_bits(o.im));
    r.flags |= o.flags;
  }
  return r;
}

// Reports the first mismatch; returns whether all agreed.
bool same(const Batch& got, const Batch& want, const cplx* in, std::size_t n, int mode, const char* what) {
  for (std::size_t i = 0; i < n; ++i) {
    if (to_bits(got.w[i].real()) == to_bits(want.w[i].real()) && to_bits(got.w[i].imag()) == to_bits(want.w[i].imag()))
      continue;
    ADD_FAILURE() << what << " " << mode_name(mode) << " element " << i << " of " << n << ": x " << std::hexfloat
                  << in[i].real() << " y " << in[i].imag() << " got " << got.w[i] << " want " << want.w[i];
    return false;
  }
  if (got.flags == want.flags) return true;
  ADD_FAILURE() << what << " " << mode_name(mode) << " length " << n << ": flags " << flag_names(got.flags) << ", want "
                << flag_names(want.flags);
  return false;
}

// Whole arrays, then every window of `window` elements, so that a wrong
// flag of one element is not hidden by its neighbours' flags.
void expect_as_scalar(const std::vector<cplx>& args, const char* what, std::size_t window = 7) {
  std::vector<cplx> out(args.size());
  for (int mode : kRoundingModes) {
    if (!same(run_batch(args.data(), out.data(), args.size(), mode), run_scalar(args.data(), args.size(), mode),
              args.data(), args.size(), mode, what))
      continue;
    for (std::size_t start = 0; start + window <= args.size(); start += window)
      if (!same(run_batch(args.data() + start, out.data(), window, mode), run_scalar(args.data() + start, window, mode),
                args.data() + start, window, mode, what))
        break;
  }
}

TEST(CrCsqrtBatch, RandomClassesAsScalar) {
  for (const auto& cls : ravo_accuracy::input_classes()) {
    std::vector<cplx> args;
    for (std::uint64_t i = 0; i < 20000; ++i) {
      const auto a = cls.generate(20261208, i);
      args.emplace_back(a.x, a.y);
    }
    expect_as_scalar(args, cls.name);
  }
}

TEST(CrCsqrtBatch, HardCorpusAsScalar) {
  std::vector<cplx> args;
  for (const auto& c : ravo_corpus::hard_cases()) args.emplace_back(c.x, c.y);
  expect_as_scalar(args, "hard corpus", 5);
}

// Every pair of a grid of special, exact, tiny and ordinary parts, so that
// every kind of element sits beside every other.
TEST(CrCsqrtBatch, SpecialGridAsScalar) {
  const std::uint64_t grid[] = {0x0000000000000000, 0x0000000000000001, 0x000FFFFFFFFFFFFF, 0x0010000000000000,
                                0x3FF0000000000000, 0x4010000000000000, 0x4008000000000000, 0x7FEFFFFFFFFFFFFF,
                                0x7FF0000000000000, 0x7FF8000000000123, 0x7FF4000000000ABC, 0x3FB999999999999A};
  std::vector<cplx> args;
  for (std::uint64_t a : grid)
    for (std::uint64_t b : grid)
      for (std::uint64_t signs = 0; signs < 4; ++signs)
        args.emplace_back(from_bits(a | (signs & 1) << 63), from_bits(b | (signs >> 1) << 63));
  expect_as_scalar(args, "special grid", 3);
}

// One odd element (exact, special, on an axis, tiny, needing scaling, near
// a rounding boundary) at every position of every length up to 70 among
// ordinary ones: every tail and every lane of every vector width.
TEST(CrCsqrtBatch, OneOddElementAtEveryPositionOfEveryLength) {
  const cplx odd[] = {{3, 4},
                      {-0.0, -2},
                      {INFINITY, NAN},
                      {from_bits(0x7FF4000000000ABC), 1},
                      {4, 0x1p-1070},
                      {0x1p600, 0x1p-600},
                      {0x1.66d1381f32395p+4, 0x1.2f145dfe77f4p-1019}};
  const cplx ordinary{1.5, -2.25};
  for (const cplx& e : odd)
    for (std::size_t n = 0; n <= 70; ++n)
      for (std::size_t at = 0; at < n || (n == 0 && at == 0); ++at) {
        std::vector<cplx> args(n, ordinary);
        if (n > 0) args[at] = e;
        std::vector<cplx> out(n);
        for (int mode : kRoundingModes)
          if (!same(run_batch(args.data(), out.data(), n, mode), run_scalar(args.data(), n, mode), args.data(), n, mode,
                    "one odd element"))
            return;
      }
}

// Arrays of exact roots raise nothing, in every length; flags raised before
// the call stay raised.
TEST(CrCsqrtBatch, ExactArraysRaiseNothingAndEarlierFlagsStay) {
  for (std::size_t n = 1; n <= 40; ++n) {
    std::vector<cplx> args;
    const cplx exact[] = {{3, 4}, {-5, -12}, {-3, 4}, {15, -8}, {-0.0, -2}, {4, -0.0}, {0x1.8p-999, 0x1p-998}};
    for (std::size_t i = 0; i < n; ++i) args.push_back(exact[i % 7]);
    std::vector<cplx> out(n);
    for (int mode : kRoundingModes) EXPECT_EQ(run_batch(args.data(), out.data(), n, mode).flags, 0) << n;
  }
  const std::vector<cplx> args(9, cplx{3, 4});
  std::vector<cplx> out(args.size());
  std::feclearexcept(FE_ALL_EXCEPT);
  std::feraiseexcept(FE_UNDERFLOW | FE_INEXACT);
  cr_csqrt_batch(args.size(), args.data(), out.data());
  EXPECT_EQ(std::fetestexcept(FE_ALL_EXCEPT) & kAllFlags, FE_UNDERFLOW | FE_INEXACT);
  std::feclearexcept(FE_ALL_EXCEPT);
}

// In place, and at an offset of one double from the array's alignment
// (the complex values straddle vector boundaries).
TEST(CrCsqrtBatch, InPlaceAndOffsetByOneDouble) {
  std::vector<cplx> args;
  for (const auto& c : ravo_corpus::hard_cases(3, 40)) args.emplace_back(c.x, c.y);
  const std::size_t n = args.size();
  const Batch want = run_scalar(args.data(), n, FE_UPWARD);
  std::vector<cplx> in_place = args;
  EXPECT_TRUE(
      same(run_batch(in_place.data(), in_place.data(), n, FE_UPWARD), want, args.data(), n, FE_UPWARD, "in place"));
  std::vector<double> raw(2 * n + 1);
  std::memcpy(raw.data() + 1, args.data(), n * sizeof(cplx));
  auto* shifted = reinterpret_cast<cplx*>(raw.data() + 1);
  EXPECT_TRUE(same(run_batch(shifted, shifted, n, FE_UPWARD), want, args.data(), n, FE_UPWARD, "offset in place"));
}

// The suite runs once as the CPU chooses and once per narrower target
// forced (ctest), which must then be the one that runs, as the library's
// own CPU checks call for.
TEST(CrCsqrtBatch, TargetChosenByTheCpuOrForced) {
  EXPECT_EQ(cr_csqrt_batch_implementation(), expected_batch_target());
}

TEST(CrCsqrtBatch, EmptyArrayTouchesNothing) {
  std::feclearexcept(FE_ALL_EXCEPT);
  cr_csqrt_batch(0, static_cast<const cplx*>(nullptr), static_cast<cplx*>(nullptr));
  EXPECT_EQ(std::fetestexcept(FE_ALL_EXCEPT) & kAllFlags, 0);
}

}  // namespace
}  // namespace ravo_test
