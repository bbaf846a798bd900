// libFuzzer target for the binary32 functions, over argument classes as
// csqrt_structured_fuzz.cpp: the bytes pick a class and its parameters, so
// that mutations stay where binary32 faults hide (roots on or a few places
// off binary32 numbers, a square beside a tiny part, subnormal parts, parts
// near the overflow threshold). In all four modes: cr_csqrtf_scalar's bits
// and flags against MPC rounded to binary32 (against csqrt_scalar's
// narrowed for infinite and NaN parts), each fixed direction's entry from a
// thread in another mode, cr_csqrtf_batch against the scalar function; on
// x86-64, under the MXCSR setting (FTZ, DAZ) the bytes pick, the same bits
// and flags as in the default environment.
//
// Bytes: [0] the class; [1] the MXCSR setting (bits 2-3: none, FTZ, DAZ,
// both), the signs of x and y (bits 4-5) and a swap of the parts (bit 6);
// [2, 6) and [6, 10) two parameters a and b (missing bytes are zero).
#include <cstdint>
#include <cstring>

#include "fuzz_checks.h"
#if defined(__x86_64__)
#include <xmmintrin.h>
#endif

namespace {

using cplx = std::complex<float>;

enum Class { kRawBits, kNearRoot, kSquarePlusTiny, kSubnormalPart, kNearOverflow, kClasses };

float from(std::uint32_t bits) { return std::bit_cast<float>(bits); }
std::uint32_t bits(float v) { return std::bit_cast<std::uint32_t>(v); }

// A binary32 number with a's fraction and a biased exponent in [low, low + span).
float with_exponent(std::uint32_t a, unsigned low, unsigned span) {
  return from((a & 0x7FFFFFu) | (low + (a >> 23) % span) << 23);
}

// (u + iv)^2 with u, v of 12 bits (exact roots when x and y fit) or 13
// (x, y of 26 bits rounded to binary32), exponents up to 12 apart; then x
// or y moved by -2 to 2 places.
void near_root(std::uint32_t a, std::uint32_t b, float& x, float& y) {
  const int width = 12 + static_cast<int>(a & 1);
  const int e = -74 + static_cast<int>((a >> 1) % 138);
  const double u = std::ldexp(static_cast<double>((a >> 8) % (1u << width) | 1u << (width - 1)), e - width);
  const double v =
      std::ldexp(static_cast<double>(1 + (b >> 8) % ((1u << width) - 1)), e - width - static_cast<int>(b % 13));
  x = static_cast<float>(u * u - v * v);  // exact in binary64, rounded once
  y = static_cast<float>(2 * u * v);
  const int places = static_cast<int>((b >> 4) % 5) - 2;
  float& moved = b & 0x80000000u ? x : y;
  if ((bits(moved) & 0x7FFFFFFFu) > 2 && std::isfinite(moved))
    moved = from(bits(moved) + static_cast<std::uint32_t>(places));
}

// x = m^2 4^k (m of up to 12 bits, exact) and a tiny y, 12 to 170 binades
// below (2^-149 at the least): the smaller part in and below the subnormal
// range, the larger a hair above m 2^k.
void square_plus_tiny(std::uint32_t a, std::uint32_t b, float& x, float& y) {
  const auto m = static_cast<float>((a >> 20) | 1);
  const float square = std::ldexp(m * m, 2 * (-60 + static_cast<int>(a % 110)));
  x = square == 0 || std::isinf(square) ? 1.0f : square;
  y = std::ldexp(from(0x3F800000u | (b >> 9)), std::ilogb(x) - 12 - static_cast<int>(b % 159));
  if (y == 0) y = 0x1p-149f;
}

// A subnormal part beside a subnormal, a small normal or any finite part.
void subnormal_part(std::uint32_t a, std::uint32_t b, float& x, float& y) {
  x = from(a & 0x7FFFFFu);
  switch (b % 3) {
    case 0:
      y = from((b >> 2) & 0x7FFFFFu);
      break;
    case 1:
      y = with_exponent(b, 1, 30);
      break;
    default:
      y = with_exponent(b, 1, 254);
  }
}

// Parts within 2^100 to 2^128, or one of them any finite number.
void near_overflow(std::uint32_t a, std::uint32_t b, float& x, float& y) {
  x = with_exponent(a, 227, 28);
  y = a & 1 ? with_exponent(b, 227, 28) : with_exponent(b, 1, 254);
}

// v in binary64, NaNs with their kind, sign and payload (a conversion
// would quiet a signalling one, raising invalid).
double widened(float v) {
  const std::uint32_t b = bits(v);
  if (!std::isnan(v)) return v;
  return std::bit_cast<double>(std::uint64_t{b >> 31} << 63 | 0x7FF0000000000000u | std::uint64_t{b & 0x7FFFFFu} << 29);
}

struct Outcome32 {
  std::uint32_t re, im;
  int flags;
  bool operator==(const Outcome32&) const = default;
};

[[noreturn]] void fail(const char* what, float x, float y, int mode, const Outcome32& got, const Outcome32& want) {
  std::fprintf(stderr,
               "invariant broken: %s\n  x=0x%08x y=0x%08x mode=%d -> 0x%08x 0x%08x flags=0x%x, want 0x%08x 0x%08x "
               "flags=0x%x\n",
               what, bits(x), bits(y), mode, got.re, got.im, static_cast<unsigned>(got.flags), want.re, want.im,
               static_cast<unsigned>(want.flags));
  std::abort();
}

// f in the thread's mode `mode`, MXCSR's FTZ and DAZ bits set as asked on
// x86-64; the controls put back afterwards.
Outcome32 call(ravo_tools::CsqrtfFunction f, float x, float y, int mode, unsigned mxcsr_bits = 0) {
  std::fesetround(mode);
  std::feclearexcept(FE_ALL_EXCEPT);
#if defined(__x86_64__)
  const unsigned controls = _mm_getcsr();
  _mm_setcsr(controls | mxcsr_bits);
#endif
  const cplx w = f({x, y});
  const int flags = std::fetestexcept(FE_ALL_EXCEPT);
#if defined(__x86_64__)
  _mm_setcsr(controls);
#endif
  std::fesetround(FE_TONEAREST);
  return {bits(w.real()), bits(w.imag()), flags};
}

// cr_csqrtf_batch with the argument in every lane of sixteen (the widest
// vector's binary32 lanes), and last of seventeen behind an ordinary value
// (a tail): the argument's result, and the call's flags.
template <bool kTail>
cplx batch_call(cplx z) {
  cplx in[17], out[17];
  for (auto& v : in) v = kTail ? cplx(1.5f, -2.25f) : z;
  in[16] = z;
  cr_csqrtf_batch(kTail ? 17 : 16, in, out);
  return out[kTail ? 16 : 0];
}

void check(float x, float y, unsigned mxcsr_bits) {
  static ravo_oracle::CsqrtOracle oracle;
  const bool finite = std::isfinite(x) && std::isfinite(y);
  if (finite) oracle.set(x, y);
  for (const auto& d : ravo_tools::kFixedDirections32) {
    const int mode = d.fe;
    const Outcome32 got = call(cr_csqrtf_scalar, x, y, mode);
    if (finite) {
      const auto r = oracle.rounded32_with_flags(mode);
      const Outcome32 want{bits(r.re), bits(r.im), r.flags};
      if (got != want) fail("cr_csqrtf_scalar differs from MPC in bits or flags", x, y, mode, got, want);
    } else {
      // Infinite and NaN parts: csqrt_scalar's results on the parts
      // widened bit for bit (a signalling NaN stays one), narrowed, with
      // its flags; NaNs compare as NaNs.
      std::fesetround(mode);
      std::feclearexcept(FE_ALL_EXCEPT);
      const std::complex<double> w = csqrt_scalar(std::complex<double>(widened(x), widened(y)));
      const int flags = std::fetestexcept(FE_ALL_EXCEPT);
      std::fesetround(FE_TONEAREST);
      const auto same = [](std::uint32_t g, double want) {
        const float n = static_cast<float>(want);
        return std::isnan(n) ? std::isnan(from(g)) : g == bits(n);
      };
      const Outcome32 want{bits(static_cast<float>(w.real())), bits(static_cast<float>(w.imag())), flags};
      if (!same(got.re, w.real()) || !same(got.im, w.imag()) || got.flags != flags)
        fail("cr_csqrtf_scalar differs from csqrt_scalar on a special argument", x, y, mode, got, want);
    }
    const Outcome32 fixed = call(d.scalar, x, y, mode == FE_UPWARD ? FE_DOWNWARD : FE_UPWARD);
    if (fixed != got) fail("a fixed direction's entry differs from the thread's mode", x, y, mode, fixed, got);
    const Outcome32 lanes = call(batch_call<false>, x, y, mode);
    if (lanes != got) fail("cr_csqrtf_batch differs from cr_csqrtf_scalar", x, y, mode, lanes, got);
    const Outcome32 tail = call(batch_call<true>, x, y, mode);
    if (tail.re != got.re || tail.im != got.im)
      fail("cr_csqrtf_batch's tail differs from cr_csqrtf_scalar", x, y, mode, tail, got);
    if (mxcsr_bits != 0) {
      for (const ravo_tools::CsqrtfFunction f :
           {ravo_tools::CsqrtfFunction{cr_csqrtf_scalar}, d.scalar, ravo_tools::CsqrtfFunction{batch_call<false>}}) {
        const int thread_mode = f == d.scalar ? (mode == FE_UPWARD ? FE_DOWNWARD : FE_UPWARD) : mode;
        const Outcome32 under = call(f, x, y, thread_mode, mxcsr_bits);
        if (under != got)
          fail(mxcsr_bits == 0x8040   ? "FTZ and DAZ change a result or flag"
               : mxcsr_bits == 0x8000 ? "FTZ changes a result or flag"
                                      : "DAZ changes a result or flag",
               x, y, mode, under, got);
      }
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  std::uint8_t bytes[10] = {};
  std::memcpy(bytes, data, size < sizeof bytes ? size : sizeof bytes);
  std::uint32_t a, b;
  std::memcpy(&a, bytes + 2, 4);
  std::memcpy(&b, bytes + 6, 4);
  float x = 0, y = 0;
  switch (bytes[0] % kClasses) {
    case kRawBits:
      x = from(a);
      y = from(b);
      break;
    case kNearRoot:
      near_root(a, b, x, y);
      break;
    case kSquarePlusTiny:
      square_plus_tiny(a, b, x, y);
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
  constexpr unsigned kSettings[] = {0, 0x8000, 0x0040, 0x8040};  // none, FTZ, DAZ, both
  check(x, y, kSettings[(control >> 2) & 3]);
  return 0;
}
