// libFuzzer target over argument classes rather than bit patterns: the
// bytes pick a class and its parameters, so that mutations stay inside the
// classes where faults hide and raw bits almost never land (an exact square
// with a tiny other part, an axis argument a few binades from a path's
// threshold, a subnormal part, a part near the overflow threshold), and on
// x86-64 an MXCSR setting (FTZ, DAZ) under which every function must give
// the default environment's bits and flags. The argument's checks are
// fuzz_checks.h's.
//
// Bytes: [0] the class; [1] the rounding mode (bits 0-1), the MXCSR setting
// (bits 2-3: none, FTZ, DAZ, both), the signs of x and y (bits 4-5) and a
// swap of the parts (bit 6); [2, 10) and [10, 18) two parameters a and b
// (missing bytes are zero).
#include <cstdint>
#include <cstring>

#include "fuzz_checks.h"
#if defined(__x86_64__)
#include <xmmintrin.h>
#endif

namespace {

enum Class { kRawBits, kSquarePlusTiny, kExactRoot, kAxis, kSubnormalPart, kNearOverflow, kClasses };

constexpr std::uint64_t kFraction = 0x000FFFFFFFFFFFFFu;

double from(std::uint64_t bits) { return std::bit_cast<double>(bits); }

// An odd integer of 1 to max_width bits, its top bit set: squares and
// products of two of them are exact up to 26 bits (products up to 53).
double short_significand(std::uint64_t bits, int max_width) {
  const int width = 1 + static_cast<int>(bits % static_cast<std::uint64_t>(max_width));
  const std::uint64_t s = ((bits >> (64 - width)) | 1) | (std::uint64_t{1} << (width - 1));
  return static_cast<double>(s);
}

// A binary64 number with a's fraction and a biased exponent in [low, low + span).
double with_exponent(std::uint64_t a, unsigned low, unsigned span) {
  return from((a & kFraction) | (std::uint64_t{low + static_cast<unsigned>((a >> 52) % span)} << 52));
}

// x = +-u^2 (exact) with a tiny y 20 to 1100 binades below (rounding to
// 2^-1074 at the least); swapped, a tiny x with y = 2u^2, whose root is
// near u (1 + i).
void square_plus_tiny(std::uint64_t a, std::uint64_t b, double& x, double& y) {
  const double u = short_significand(a, 26);
  const int k = -500 + static_cast<int>((a >> 5) % 1000);
  const double square = std::ldexp(u * u, 2 * k);
  const int drop = 20 + static_cast<int>(b % 1100);
  double tiny = std::ldexp(from(0x3FF0000000000000u | (b >> 12)), std::ilogb(square) - drop);
  if (tiny == 0) tiny = 0x1p-1074;
  x = square;
  y = tiny;
}

// (u + iv)^2 for u, v of up to 30 bits, exponents up to 12 apart: exact
// where x = u^2 - v^2 and 2uv fit, within an ulp of an exact square
// otherwise; b's top bits then move x by up to two ulps.
void exact_root(std::uint64_t a, std::uint64_t b, double& x, double& y) {
  const int e = -540 + static_cast<int>((a >> 40) % 1050);
  const double u = std::ldexp(short_significand(a, 30), e);
  const double v = std::ldexp(short_significand(b, 30), e - static_cast<int>((b >> 40) % 13));
  x = u * u - v * v;
  y = 2 * u * v;
  for (int steps = static_cast<int>((b >> 60) % 5) - 2; steps != 0; steps += steps > 0 ? -1 : 1)
    x = std::nextafter(x, steps > 0 ? INFINITY : -INFINITY);
}

// One part zero; the other any finite number, or half the time one within
// 2^-1074 to 2^-880, where the axis paths change. Its fraction is random,
// or a few units from either end of the binade: 1 + 2j 2^-52 is
// (2^52 + j)^2 - j^2 in units of 2^52, a near square whose root's residual
// j^2 is tiny (and so on below the top of the binade), which is where a
// root's residual can be subnormal.
void axis(std::uint64_t a, std::uint64_t b, double& x, double& y) {
  double v = b & 1 ? with_exponent(a, 0, 195) : from(a & 0x7FFFFFFFFFFFFFFFu);
  const std::uint64_t few = a & 0x3F;
  switch ((b >> 1) % 3) {
    case 0:
      break;
    case 1:
      v = from((std::bit_cast<std::uint64_t>(v) & ~kFraction) | few);
      break;
    default:
      v = from((std::bit_cast<std::uint64_t>(v) & ~kFraction) | (kFraction - few));
  }
  if (!std::isfinite(v)) v = 1.0;
  x = v;
  y = 0.0;
}

// A subnormal part beside a subnormal, a small normal or any finite part.
void subnormal_part(std::uint64_t a, std::uint64_t b, double& x, double& y) {
  x = from(a & kFraction);
  switch (b % 3) {
    case 0:
      y = from((b >> 2) & kFraction);
      break;
    case 1:
      y = with_exponent(b, 1, 120);
      break;
    default:
      y = with_exponent(b, 1, 2046);
  }
}

// Parts within 2^1000 to 2^1024, or one of them any finite number.
void near_overflow(std::uint64_t a, std::uint64_t b, double& x, double& y) {
  x = with_exponent(a, 2023, 24);
  y = a & 1 ? with_exponent(b, 2023, 24) : with_exponent(b, 1, 2046);
}

#if defined(__x86_64__)
// The function's bits and flags with MXCSR's FTZ and DAZ bits set as asked,
// the mode set first; MXCSR's controls put back afterwards.
ravo_fuzz::Outcome call_under(ravo_tools::CsqrtFunction f, double x, double y, int mode, unsigned mxcsr_bits) {
  std::fesetround(mode);
  std::feclearexcept(FE_ALL_EXCEPT);
  const unsigned controls = _mm_getcsr();
  _mm_setcsr(controls | mxcsr_bits);
  const std::complex<double> w = f({x, y});
  const int flags = std::fetestexcept(FE_ALL_EXCEPT);
  _mm_setcsr(controls);
  std::fesetround(FE_TONEAREST);
  return {std::bit_cast<std::uint64_t>(w.real()), std::bit_cast<std::uint64_t>(w.imag()), flags};
}

ravo_complex_double batch_of_eight(ravo_complex_double z) {
  ravo_complex_double in[8], out[8];
  for (auto& v : in) v = z;
  cr_csqrt_batch(8, in, out);
  return out[0];
}

// FTZ and DAZ change no result and no flag of any function.
void check_environment(double x, double y, int mode, unsigned mxcsr_bits) {
  const ravo_tools::CsqrtFunction functions[] = {csqrt_scalar, cr_csqrt_scalar, batch_of_eight};
  const std::uint64_t bx = std::bit_cast<std::uint64_t>(x), by = std::bit_cast<std::uint64_t>(y);
  for (const auto f : functions) {
    const ravo_fuzz::Outcome want = call_under(f, x, y, mode, 0), got = call_under(f, x, y, mode, mxcsr_bits);
    if (got.re != want.re || got.im != want.im || got.flags != want.flags)
      ravo_fuzz::fail(mxcsr_bits == 0x8040   ? "FTZ and DAZ change a result or flag"
                      : mxcsr_bits == 0x8000 ? "FTZ changes a result or flag"
                                             : "DAZ changes a result or flag",
                      bx, by, mode, got);
  }
}
#endif

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  std::uint8_t bytes[18] = {};
  std::memcpy(bytes, data, size < sizeof bytes ? size : sizeof bytes);
  std::uint64_t a, b;
  std::memcpy(&a, bytes + 2, 8);
  std::memcpy(&b, bytes + 10, 8);
  double x = 0, y = 0;
  switch (bytes[0] % kClasses) {
    case kRawBits:
      x = from(a);
      y = from(b);
      break;
    case kSquarePlusTiny:
      square_plus_tiny(a, b, x, y);
      break;
    case kExactRoot:
      exact_root(a, b, x, y);
      break;
    case kAxis:
      axis(a, b, x, y);
      break;
    case kSubnormalPart:
      subnormal_part(a, b, x, y);
      break;
    default:
      near_overflow(a, b, x, y);
  }
  const unsigned control = bytes[1];
  if (control & 0x40) std::swap(x, y);
  if (control & 0x10) x = -x;
  if (control & 0x20) y = -y;
  const int mode = ravo_tools::kRoundingModes[control & 3].fe;
  ravo_fuzz::check_argument(std::bit_cast<std::uint64_t>(x), std::bit_cast<std::uint64_t>(y), mode);
#if defined(__x86_64__)
  constexpr unsigned kSettings[] = {0, 0x8000, 0x0040, 0x8040};  // none, FTZ, DAZ, both
  if (const unsigned bits = kSettings[(control >> 2) & 3]; bits != 0) check_environment(x, y, mode, bits);
#endif
  return 0;
}
