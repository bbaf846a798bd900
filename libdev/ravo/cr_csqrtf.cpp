// cr_csqrtf_scalar and its fixed directions: the principal root of a
// binary32 complex value, correctly rounded to binary32, on every target
// from this one source.
//
// Common case: both parts normal binary32 numbers, every exception masked.
// The kernel (binary32_kernel.h) computes both parts in binary64; where
// both roundings are certain and the small part is not tiny in binary32,
// each part is rounded to binary32 by integer steps in the library's mode
// (the x87 one on x86-64, FPCR's on aarch64), whatever MXCSR's mode, FTZ
// or DAZ, and inexact is raised by an operation of its own.
//
// Everything else (zeros, subnormals, infinities and NaNs, tiny parts,
// uncertain roundings, an enabled trap) takes the exact way: the binary64
// roots rounded down and up by cr_csqrt_rd and cr_csqrt_ru, which are
// correctly rounded in any environment, give each part rounded to odd
// (the one of the two with an odd last bit, or the exact part where they
// agree). A binary64 number rounded to odd has 29 more bits than binary32
// and is odd exactly when inexact, so rounding it once more to binary32 in
// any mode gives the exact part's rounding: no double rounding. Inexact is
// raised by those calls exactly when a part is inexact in binary64, which
// implies it is in binary32; the rest (inexact only in binary32, underflow)
// is raised here.
#include "../internal/build_guard.h"

#include <cstdint>

#include "../internal/argument_classes.h"
#include "../internal/binary32_kernel.h"
#include "../internal/binary64_status.h"
#include "../internal/complex_parts.h"
#include "../internal/csqrt_special.h"
#include "../internal/flag_operations.h"
#include "../internal/fp_bits.h"
#include "../internal/part_placement.h"
#include "ravo_libm.h"

using namespace ravo::internal;

namespace {

using Parts32 = PartsOf<float>;

std::uint32_t bits32(float v) { return std::bit_cast<std::uint32_t>(v); }
float from_bits32(std::uint32_t b) { return std::bit_cast<float>(b); }

// The binary64 value of a binary32 one, exactly and raising nothing, also
// for a signalling NaN and under DAZ: by integer steps (a subnormal is its
// significand, converted exactly, times 2^-149, a normal product).
double widened(float v) {
  const std::uint32_t b = bits32(v), magnitude = b & ~kBinary32Sign;
  const std::uint64_t sign = std::uint64_t{b & kBinary32Sign} << 32;
  if (magnitude >= kBinary32Infinity)
    return from_bits(sign | kExponentBits | std::uint64_t{magnitude & (kBinary32MinNormal - 1)} << kDroppedBits);
  if (magnitude >= kBinary32MinNormal) return from_bits(sign | widened_bits(std::uint64_t{magnitude}));
  return from_bits(sign | bits_of(static_cast<double>(static_cast<std::int32_t>(magnitude)) * 0x1p-149));
}

// A binary64 value narrowed where it is a binary32 one (special results:
// infinities, zeros, quiet NaNs), raising nothing.
float narrowed(double v) { return static_cast<float>(v); }

struct Rounded32 {
  float value;
  bool inexact, tiny;  // tiny: below 2^-126 after rounding to 24 bits
};

// v rounded to binary32 in `mode` by integer steps, from any binary64
// value that is exact or rounded to odd (so a tie is an exact tie, which
// goes to the even neighbour; no root of binary32 parts lies on a binary32
// midpoint, but this rounding does not rely on it). A part below 2^-126
// loses more bits, down to a shift that leaves nothing.
Rounded32 round_to_binary32(double v, RoundingMode mode) {
  const std::uint64_t b = bits_of(v), sign = b >> 63, magnitude = b & ~kSignBit;
  if (magnitude == 0) return {from_bits32(static_cast<std::uint32_t>(sign << 31)), false, false};
  const std::uint64_t increment_at_29 = kBinary32Increment[mode][sign];
  const auto signed_even = [&](std::uint64_t bits, std::uint64_t dropped, std::uint64_t half) {
    if (mode == kToNearest && dropped == half) bits &= ~std::uint64_t{1};
    return from_bits32(static_cast<std::uint32_t>(bits | sign << 31));
  };
  const int e = static_cast<int>(magnitude >> 52) - 1023;
  if (e >= -126) {
    const std::uint64_t dropped = magnitude & (2 * kHalfBinary32Place - 1);
    return {signed_even(binary32_bits(magnitude, increment_at_29), dropped, kHalfBinary32Place), dropped != 0, false};
  }
  // Fewer places: shift by k, at most 55 (the significand is below 2^53, so
  // a larger shift rounds the same way).
  const int k = e < -152 ? 55 : kDroppedBits + (-126 - e);
  const std::uint64_t significand = (magnitude & kFractionBits) | kImplicitBit;
  const std::uint64_t place = std::uint64_t{1} << k;
  // The increment scaled to k places: half a place, all but one, or none.
  const std::uint64_t increment =
      increment_at_29 == kHalfBinary32Place ? place / 2 : (increment_at_29 == kAway ? place - 1 : 0);
  const std::uint64_t dropped = significand & (place - 1);
  // Tiny after rounding to 24 bits with an unbounded exponent: always below
  // 2^-127, and in [2^-127, 2^-126) unless that rounding carries to 2^-126.
  const bool tiny = e < -127 || ((significand + increment_at_29) >> 53) == 0;
  return {signed_even((significand + increment) >> k, dropped, place / 2), dropped != 0, tiny};
}

// Each part of the binary64 root rounded to odd, from its roundings down
// and up.
double rounded_to_odd(double down, double up) { return (bits_of(down) & 1) != 0 ? down : up; }

// The exact way, for every argument the common case does not take; reads
// no status word and raises exactly the flags of the result.
[[gnu::noinline]] Parts32 exact_way(float x32, float y32, RoundingMode mode) {
  const double x = widened(x32), y = widened(y32);
  if (!is_finite_pair(x, y)) {
    const Parts w = special_result(x, y);
    return {narrowed(w.re), narrowed(w.im)};
  }
  const ravo_c_complex arg = to_c_complex({x, y});
  const Parts down = parts_of(cr_csqrt_rd(arg)), up = parts_of(cr_csqrt_ru(arg));
  const bool exact64 = bits_of(down.re) == bits_of(up.re) && bits_of(down.im) == bits_of(up.im);
  const Rounded32 re = round_to_binary32(rounded_to_odd(down.re, up.re), mode);
  const Rounded32 im = round_to_binary32(rounded_to_odd(down.im, up.im), mode);
  if ((re.inexact && re.tiny) || (im.inexact && im.tiny))
    raise_underflow();
  else if (exact64 && (re.inexact || im.inexact))
    raise_inexact();
  return {re.value, im.value};
}

// Whether both parts are normal binary32 numbers, from their bits.
inline bool both_normal(std::uint32_t x, std::uint32_t y) {
  const std::uint32_t mx = (x & ~kBinary32Sign) - kBinary32MinNormal, my = (y & ~kBinary32Sign) - kBinary32MinNormal;
  return (mx > my ? mx : my) < kBinary32Infinity - kBinary32MinNormal;
}

// kMode: a fixed direction, or kThreadMode for the library's mode.
constexpr RoundingMode kThreadMode = 4;

// The argument and the result as one 64-bit pattern each, the real part's
// bits low and the imaginary part's high: float _Complex in a register.
#if defined(__x86_64__)
// On x86-64 a float _Complex comes and goes in the low half of xmm0, as a
// double does, so the entries are written on doubles and exported under
// aliases of the C type (below). Written on the complex type, GCC splits
// the argument into two stores and builds the result from two more, each
// pair read back by one 8-byte load that no store forwards.
using Carrier = double;
std::uint64_t pair_of(Carrier z) { return bits_of(z); }
Carrier carried(std::uint64_t pair) { return from_bits(pair); }
#else
using Carrier = ravo_c_complex_float;
std::uint64_t pair_of(Carrier z) {
  return bits32(__extension__ __real__ z) | std::uint64_t{bits32(__extension__ __imag__ z)} << 32;
}
Carrier carried(std::uint64_t pair) {
  __extension__ ravo_c_complex_float z;
  __extension__ __real__ z = from_bits32(static_cast<std::uint32_t>(pair));
  __extension__ __imag__ z = from_bits32(static_cast<std::uint32_t>(pair >> 32));
  return z;
}
#endif

Carrier carried(Parts32 w) { return carried(bits32(w.re) | std::uint64_t{bits32(w.im)} << 32); }

// The parts read, widened and narrowed by integer steps.
template <RoundingMode kMode>
Carrier entry(Carrier z) {
  const std::uint64_t pair = pair_of(z);
  const auto x = static_cast<std::uint32_t>(pair), y = static_cast<std::uint32_t>(pair >> 32);
  if (both_normal(x, y)) [[likely]] {
    double ax = from_bits(widened_bits(std::uint64_t{x & ~kBinary32Sign}));
    double ay = from_bits(widened_bits(std::uint64_t{y & ~kBinary32Sign}));
    const std::uint64_t status = binary64_status(ax, ay);
    const RoundingMode mode = kMode == kThreadMode ? library_rounding() : kMode;
    if (binary64_traps_masked(status)) [[likely]] {
      const Binary32RootOf<double> root = binary32_root_core(ax, ay);
      const std::uint64_t big = bits_of(root.big), small = bits_of(root.small);
      if (small >= kBinary32TinyBelow && binary32_rounding_is_certain(big) && binary32_rounding_is_certain(small))
          [[likely]] {
        const std::uint32_t y_negative = y >> 31;
        const PartsOf<std::uint64_t> w = placed(x >> 31 != 0, big, small);
        const std::uint64_t re = binary32_bits(w.re, kBinary32Increment[mode][0]);
        const std::uint64_t im = binary32_bits(w.im, kBinary32Increment[mode][y_negative]) | (y & kBinary32Sign);
        raise_inexact_here();
        return carried(re | im << 32);
      }
      restore_flags_but_inexact(status, false);
    }
    return carried(exact_way(from_bits32(x), from_bits32(y), mode));
  }
  return carried(exact_way(from_bits32(x), from_bits32(y), kMode == kThreadMode ? library_rounding() : kMode));
}

}  // namespace

#if defined(__x86_64__)
// Each entry on the carrier, hidden, and its exported name an alias of it
// with the C type: the same function under the x86-64 calling convention.
#pragma GCC diagnostic push
#if !defined(__clang__)
#pragma GCC diagnostic ignored "-Wattribute-alias"
#pragma GCC diagnostic ignored "-Wmissing-attributes"
#endif
#define RAVO_BINARY32_ENTRY(name, mode)                                     \
  extern "C" double name##_in_register(double z) { return entry<mode>(z); } \
  extern "C" ravo_c_complex_float name(ravo_c_complex_float) __attribute__((alias(#name "_in_register")));
#else
#define RAVO_BINARY32_ENTRY(name, mode) \
  extern "C" ravo_c_complex_float name(ravo_c_complex_float z) { return entry<mode>(z); }
#endif
RAVO_BINARY32_ENTRY(cr_csqrtf_scalar, kThreadMode)
RAVO_BINARY32_ENTRY(cr_csqrtf_rn, kToNearest)
RAVO_BINARY32_ENTRY(cr_csqrtf_rd, kDownward)
RAVO_BINARY32_ENTRY(cr_csqrtf_ru, kUpward)
RAVO_BINARY32_ENTRY(cr_csqrtf_rz, kTowardZero)
#undef RAVO_BINARY32_ENTRY
#if defined(__x86_64__)
#pragma GCC diagnostic pop
#endif
