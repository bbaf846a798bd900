// The library's one vocabulary of bits: binary64 and x87 extended fields,
// signs, subnormals normalised, the 128-bit integers and the rounding-mode
// codes. Every read of a field from a value's bits goes through here, for
// one value or a vector of them; the few places that build a pattern (a
// power of two, a scaled exponent) say so beside the bound that keeps it
// normal. Reading bits raises no flag, also for
// a signalling NaN.
#ifndef RAVO_FP_BITS_H
#define RAVO_FP_BITS_H

#include <bit>
#include <cstdint>
#include <cstring>

#include "target_namespace.h"

RAVO_INTERNAL_BEGIN

__extension__ typedef __int128 i128;
__extension__ typedef unsigned __int128 u128;

// binary64: sign (bit 63), biased exponent (bits 52-62, bias 1023; 0 for
// zero and subnormals, 0x7FF for infinities and NaNs), fraction (0-51).
constexpr std::uint64_t kSignBit = std::uint64_t{1} << 63;
constexpr std::uint64_t kExponentBits = std::uint64_t{0x7FF} << 52;
constexpr std::uint64_t kFractionBits = (std::uint64_t{1} << 52) - 1;
constexpr std::uint64_t kImplicitBit = std::uint64_t{1} << 52;

constexpr std::uint64_t bits_of(double v) { return std::bit_cast<std::uint64_t>(v); }
constexpr double from_bits(std::uint64_t b) { return std::bit_cast<double>(b); }

// cond ? a : b, without a branch (by masks, which compilers keep).
inline std::uint64_t select_bits(bool cond, std::uint64_t a, std::uint64_t b) {
  const std::uint64_t mask = 0 - static_cast<std::uint64_t>(cond);
  return (a & mask) | (b & ~mask);
}
inline double select_bits(bool cond, double a, double b) {
  return from_bits(select_bits(cond, bits_of(a), bits_of(b)));
}

// The high word (sign, exponent, top 20 fraction bits) and the low word
// (bottom 32 fraction bits).
constexpr std::uint32_t high_word(double v) { return static_cast<std::uint32_t>(bits_of(v) >> 32); }
constexpr std::uint32_t low_word(double v) { return static_cast<std::uint32_t>(bits_of(v)); }

// Whether the sign bit is set (v negative, -0, or a NaN with the sign set).
// A bool: GCC then tests the bit where it branches, without a shift.
constexpr bool sign_bit(double v) { return bits_of(v) >> 63; }

// The sign bit as a factor: +1 or -1. A product with it sets a sign before a
// rounding, in the SSE or x87 registers, without a move to the integer unit.
constexpr double kSignFactors[2] = {1.0, -1.0};
inline double sign_factor(std::uint64_t negative) { return kSignFactors[negative]; }

// v's bits with the sign shifted out. Finite values are the patterns below
// kInfinityMagnitude, and non-zero ones are at least 1; the larger or smaller
// of two patterns decides a class for both values in one comparison.
constexpr std::uint64_t magnitude_bits(double v) { return bits_of(v) << 1; }
constexpr std::uint64_t kInfinityMagnitude = 0xFFE0000000000000u;

// The biased exponent field of a pattern, or of each lane's pattern in a
// vector of them.
template <typename Bits>
constexpr Bits exponent_field(Bits b) {
  return (b >> 52) & 0x7FF;
}
inline int biased_exponent(double v) { return static_cast<int>(exponent_field(bits_of(v))); }
// v positive (the sign bit clear): one shift.
inline std::int64_t positive_biased_exponent(double v) { return static_cast<std::int64_t>(bits_of(v) >> 52); }

// |v| = significand 2^exponent, significand an integer.
struct Binary64Fields {
  std::uint64_t significand;
  int exponent;
};

// Any finite v: a subnormal has no implicit bit and the exponent -1074.
inline Binary64Fields fields_of(double v) {
  const int biased = biased_exponent(v);
  const std::uint64_t fraction = bits_of(v) & kFractionBits;
  if (biased == 0) return {fraction, -1074};
  return {fraction | kImplicitBit, biased - 1075};
}

// v positive and normal (the sign bit is not masked): one shift each.
inline Binary64Fields positive_normal_fields(double v) {
  return {(bits_of(v) & kFractionBits) | kImplicitBit, static_cast<int>(bits_of(v) >> 52) - 1075};
}

// |v| = m 2^e with m in [1, 2), for finite non-zero v; a subnormal is
// normalised from its bits.
struct Normalized {
  double m;
  int e;
};
inline Normalized normalize(double v) {
  std::uint64_t b = bits_of(v) & ~kSignBit;
  int biased = static_cast<int>(b >> 52);
  if (biased == 0) [[unlikely]] {
    // The significand as a binary64 integer (exact: below 2^52) holds the
    // normalised fraction, and v = that 2^-1074. A count of leading zeros
    // would do as well, but x86's bsr waits for its destination register's
    // old value, which can tie each call to the one before.
    const std::uint64_t integer = bits_of(static_cast<double>(static_cast<std::int64_t>(b)));
    b = integer;
    biased = static_cast<int>(integer >> 52) - 1074;
  }
  return {from_bits((b & kFractionBits) | (std::uint64_t{1023} << 52)), biased - 1023};
}

// x87 extended (80 bits, little-endian): a 64-bit significand with an
// explicit leading bit, then sign (bit 15) and biased exponent (bits 0-14,
// bias 16383) in the next 16 bits. v = significand 2^(exponent - 63).
struct ExtendedFields {
  std::uint64_t significand;
  int exponent;
};

// v normal; its sign is ignored.
inline ExtendedFields extended_fields(long double v) {
  unsigned char bytes[sizeof v];
  std::memcpy(bytes, &v, sizeof v);
  std::uint64_t significand;
  std::uint16_t sign_exponent;
  std::memcpy(&significand, bytes, 8);
  std::memcpy(&sign_exponent, bytes + 8, 2);
  return {significand, (sign_exponent & 0x7FFF) - 16383};
}

// The low 16 bits of v's significand.
inline std::uint16_t extended_low_bits(long double v) {
  std::uint16_t low;
  std::memcpy(&low, &v, sizeof low);
  return low;
}

// 2^e in extended, built from its bits: exact, no flags.
inline long double extended_power_of_two(int e) {
  const std::uint64_t significand = std::uint64_t{1} << 63;
  const std::uint16_t sign_exponent = static_cast<std::uint16_t>(e + 16383);
  long double p = 0;
  unsigned char bytes[sizeof p] = {};
  std::memcpy(bytes, &significand, 8);
  std::memcpy(bytes + 8, &sign_exponent, 2);
  std::memcpy(&p, bytes, sizeof p);
  return p;
}

// A rounding mode, in the x87 rounding control's encoding (bits 10-11 of
// the control word; MXCSR's bits 13-14 use the same one): 0 to nearest,
// 1 down (toward -inf), 2 up (toward +inf), 3 toward zero. Every mode the
// library reads is converted to this one (FPCR's is another).
using RoundingMode = unsigned;
constexpr RoundingMode kToNearest = 0, kDownward = 1, kUpward = 2, kTowardZero = 3;

// The mode that rounds -v as the given mode rounds v: down and up swap.
inline RoundingMode mirrored_rounding(RoundingMode rounding) {
  return rounding == kDownward || rounding == kUpward ? 3 - rounding : rounding;
}

RAVO_INTERNAL_END

#endif
