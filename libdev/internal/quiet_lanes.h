// The double-double kernel's lane type for AVX-512 CPUs: one binary64 value
// in the low lane of a vector register, every operation rounded to nearest
// by its own encoding (embedded rounding) with its exceptions suppressed. The
// kernel then raises no flag and follows neither MXCSR's rounding mode nor
// its trap masks, so cr_csqrt_scalar's common case need not read MXCSR
// (stmxcsr, 15 to 20 cycles on some CPUs): the caller raises inexact itself
// once the result is known to be inexact, and the rare cases run on the
// binary64 path, which finds the flags untouched. The kernel's bounds hold
// in round to nearest as in every mode.
#ifndef RAVO_QUIET_LANES_H
#define RAVO_QUIET_LANES_H

#include "target_namespace.h"

#if !defined(__AVX512F__)
#error "quiet_lanes.h: build this with AVX-512"
#endif

#include <immintrin.h>

#include <cstdint>

#include "binary64_kernel.h"
#include "fp_bits.h"
#include "part_placement.h"

RAVO_INTERNAL_BEGIN

constexpr int kQuietNearest = _MM_FROUND_TO_NEAREST_INT | _MM_FROUND_NO_EXC;

struct Quiet {
  __m128d v;
};

// a in the low lane; the upper lane is whatever the register held (scalar
// operations neither compute nor read it), so no instruction clears it.
// Clang 14 cannot compile that tie under strict floating-point semantics,
// so there the upper lane is cleared.
inline Quiet quiet(double a) {
#if defined(__clang__)
  return {_mm_set_sd(a)};
#else
  __m128d v;
  asm("" : "=x"(v) : "0"(a));
  return {v};
#endif
}
inline double value_of(Quiet a) { return _mm_cvtsd_f64(a.v); }

inline Quiet operator+(Quiet a, Quiet b) { return {_mm_add_round_sd(a.v, b.v, kQuietNearest)}; }
inline Quiet operator-(Quiet a, Quiet b) { return {_mm_sub_round_sd(a.v, b.v, kQuietNearest)}; }
inline Quiet operator*(Quiet a, Quiet b) { return {_mm_mul_round_sd(a.v, b.v, kQuietNearest)}; }
inline Quiet operator*(double a, Quiet b) { return quiet(a) * b; }
inline Quiet operator/(double a, Quiet b) { return {_mm_div_round_sd(quiet(a).v, b.v, kQuietNearest)}; }

// The selector of an AVX-512 mask register's low bit: m ? a : b.
template <>
struct Choice<__mmask8> {
  static Quiet of(__mmask8 m, Quiet a, Quiet b) { return {_mm_mask_move_sd(b.v, m, b.v, a.v)}; }
};

template <>
struct Lanes<Quiet> {
  static std::uint64_t bits(Quiet a) { return bits_of(value_of(a)); }
  static Quiet from_bits(std::uint64_t b) { return quiet(ravo::internal::from_bits(b)); }
  static double magnitude(Quiet a) { return __builtin_fabs(value_of(a)); }
  static Quiet nearest_integer(Quiet a) {
    return {_mm_roundscale_round_sd(a.v, a.v, _MM_FROUND_TO_NEAREST_INT, _MM_FROUND_NO_EXC)};
  }
  static Quiet root(Quiet a) { return {_mm_sqrt_round_sd(a.v, a.v, kQuietNearest)}; }
  static Quiet residual(Quiet c, Quiet a, Quiet b) { return {_mm_fnmadd_round_sd(a.v, b.v, c.v, kQuietNearest)}; }
  static Quiet plus_half(Quiet c, Quiet a) { return {_mm_fmadd_round_sd(a.v, quiet(0.5).v, c.v, kQuietNearest)}; }
};

RAVO_INTERNAL_END

#endif
