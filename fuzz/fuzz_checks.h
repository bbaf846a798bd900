// The fuzz targets' checks of one argument in one rounding mode:
// cr_csqrt_scalar's bits and flags against MPC (against csqrt_scalar for
// infinite and NaN parts), cr_csqrt_batch's against cr_csqrt_scalar, and
// csqrt_scalar's invariants instead of a recomputation of the function;
// each aborts on the first one broken.
#ifndef RAVO_FUZZ_CHECKS_H
#define RAVO_FUZZ_CHECKS_H

#include <bit>
#include <cfenv>
#include <cmath>
#include <complex>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "call_in_mode.h"
#include "csqrt_oracle.h"

namespace ravo_fuzz {

constexpr std::uint64_t kSign = 0x8000000000000000u;

struct Outcome {
  std::uint64_t re, im;
  int flags;
};

inline Outcome call(double x, double y, int mode, ravo_tools::CsqrtFunction f = csqrt_scalar) {
  const auto [w, flags] = ravo_tools::call_in_mode(f, x, y, mode);
  return {std::bit_cast<std::uint64_t>(w.real()), std::bit_cast<std::uint64_t>(w.imag()), flags};
}

// cr_csqrt_batch on eight copies (every vector width's lanes) and, beside
// one ordinary value, on the argument in the last position of nine (a tail).
inline Outcome call_batch(double x, double y, int mode, bool as_tail) {
  std::complex<double> in[9], out[9];
  for (auto& v : in) v = as_tail ? std::complex<double>(1.5, -2.25) : std::complex<double>(x, y);
  in[8] = {x, y};
  const std::size_t n = as_tail ? 9 : 8;
  std::fesetround(mode);
  std::feclearexcept(FE_ALL_EXCEPT);
  cr_csqrt_batch(n, in, out);
  const int flags = std::fetestexcept(FE_ALL_EXCEPT);
  std::fesetround(FE_TONEAREST);
  return {std::bit_cast<std::uint64_t>(out[n - 1].real()), std::bit_cast<std::uint64_t>(out[n - 1].imag()), flags};
}

inline bool is_nan(std::uint64_t b) { return (b & ~kSign) > 0x7FF0000000000000u; }
inline bool is_signalling(std::uint64_t b) { return is_nan(b) && !(b & 0x0008000000000000u); }
inline bool is_subnormal(std::uint64_t b) { return (b << 1) - 1 < (1ull << 53) - 1; }
inline std::uint64_t magnitude_distance(std::uint64_t a, std::uint64_t b) {
  const std::uint64_t ma = a & ~kSign, mb = b & ~kSign;
  return ma > mb ? ma - mb : mb - ma;
}

[[noreturn]] inline void fail(const char* what, std::uint64_t bx, std::uint64_t by, int mode, const Outcome& o) {
  std::fprintf(stderr, "invariant broken: %s\n  x=0x%016llx y=0x%016llx mode=%d -> 0x%016llx 0x%016llx flags=0x%x\n",
               what, static_cast<unsigned long long>(bx), static_cast<unsigned long long>(by), mode,
               static_cast<unsigned long long>(o.re), static_cast<unsigned long long>(o.im), o.flags);
  std::abort();
}

// Every check on x = bx, y = by (bit patterns) in the mode.
inline void check_argument(std::uint64_t bx, std::uint64_t by, int mode) {
  const double x = std::bit_cast<double>(bx), y = std::bit_cast<double>(by);
  static ravo_oracle::CsqrtOracle oracle;
  const Outcome cr = call(x, y, mode, cr_csqrt_scalar);
  if (std::isfinite(x) && std::isfinite(y)) {
    oracle.set(x, y);
    const auto want = oracle.rounded_with_flags(mode);
    if (cr.re != std::bit_cast<std::uint64_t>(want.w.re) || cr.im != std::bit_cast<std::uint64_t>(want.w.im) ||
        cr.flags != want.flags)
      fail("cr_csqrt_scalar differs from MPC in bits or flags", bx, by, mode, cr);
  } else {
    const Outcome w = call(x, y, mode);
    if (cr.re != w.re || cr.im != w.im || cr.flags != w.flags)
      fail("cr_csqrt_scalar differs from csqrt_scalar on a special argument", bx, by, mode, cr);
  }

  const Outcome lanes = call_batch(x, y, mode, false);
  if (lanes.re != cr.re || lanes.im != cr.im || lanes.flags != cr.flags)
    fail("cr_csqrt_batch differs from cr_csqrt_scalar", bx, by, mode, lanes);
  const Outcome tail = call_batch(x, y, mode, true);
  if (tail.re != cr.re || tail.im != cr.im)
    fail("cr_csqrt_batch's tail differs from cr_csqrt_scalar", bx, by, mode, tail);

  const Outcome w = call(x, y, mode);
  if (w.flags & (FE_OVERFLOW | FE_DIVBYZERO)) fail("overflow or divide-by-zero raised", bx, by, mode, w);
  if ((w.flags & FE_INVALID) && !is_signalling(bx) && !is_signalling(by))
    fail("invalid without a signalling NaN", bx, by, mode, w);
  if ((is_subnormal(w.re) || is_subnormal(w.im)) && !(w.flags & FE_UNDERFLOW))
    fail("subnormal part without underflow", bx, by, mode, w);
  if (is_nan(bx) || is_nan(by)) return;

  if (is_nan(w.re) || (w.re & kSign)) fail("real part negative or NaN", bx, by, mode, w);
  if (is_nan(w.im) || (w.im & kSign) != (by & kSign)) fail("imaginary part without the sign of y", bx, by, mode, w);

  const Outcome c = call(x, -y, mode);
  if (mode == FE_TONEAREST || mode == FE_TOWARDZERO) {
    if (c.re != w.re || c.im != (w.im ^ kSign)) fail("csqrt(conj z) != conj(csqrt z)", bx, by, mode, w);
  } else if ((c.im & kSign) == (w.im & kSign) || (c.re & kSign) || magnitude_distance(c.re, w.re) > 1 ||
             magnitude_distance(c.im, w.im) > 1) {
    fail("conjugate not mirrored within one ulp", bx, by, mode, w);
  }

  if (mode == FE_TONEAREST && std::isfinite(x) && std::isfinite(y)) {
    oracle.set(x, y);
    const ravo_oracle::Pair want = oracle.rounded(FE_TONEAREST);
    if (magnitude_distance(w.re, std::bit_cast<std::uint64_t>(want.re)) > 1 ||
        magnitude_distance(w.im, std::bit_cast<std::uint64_t>(want.im)) > 1)
      fail("more than one ulp from MPC", bx, by, mode, w);
  }
  return;
}

}  // namespace ravo_fuzz

#endif
