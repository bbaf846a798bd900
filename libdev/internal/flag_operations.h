// Operations that exist for the flags they raise, and the underflow signal
// csqrt_scalar ends with. Each is a volatile asm, so the operation is formed
// at run time and never dropped although nothing reads its result.
#ifndef RAVO_FLAG_OPERATIONS_H
#define RAVO_FLAG_OPERATIONS_H

#include <algorithm>
#include <cstdint>

#include "libm_internal.h"
#include "target_namespace.h"

RAVO_INTERNAL_BEGIN

// Raises underflow and inexact, nothing else, also under FTZ (which flushes
// the product and raises both).
[[gnu::noinline, gnu::cold]] inline void raise_underflow() {
  double tiny = _DBL_MIN_NORMAL;
#if defined(__x86_64__) && defined(__AVX__)
  asm volatile("vmulsd %0, %0, %0" : "+x"(tiny));
#elif defined(__x86_64__)
  asm volatile("mulsd %0, %0" : "+x"(tiny));
#elif defined(__aarch64__)
  asm volatile("fmul %d0, %d0, %d0" : "+w"(tiny));
#else
#error "flag_operations.h: no flag-raising product for this target"
#endif
}

// Raises inexact, nothing else: 1 + 2^-60 is inexact in every mode. Inline,
// for a path that raises it on every call.
[[gnu::always_inline]] inline void raise_inexact_here() {
  double one = 1.0;
  const double small = 0x1p-60;
#if defined(__x86_64__) && defined(__AVX__)
  asm volatile("vaddsd %1, %0, %0" : "+x"(one) : "x"(small));
#elif defined(__x86_64__)
  asm volatile("addsd %1, %0" : "+x"(one) : "x"(small));
#elif defined(__aarch64__)
  asm volatile("fadd %d0, %d0, %d1" : "+w"(one) : "w"(small));
#endif
}

// The same out of line, for the rare paths.
[[gnu::noinline, gnu::cold]] inline void raise_inexact() { raise_inexact_here(); }

// csqrt_scalar's paths all end here. Only a subnormal part signals; a part
// that rounded to zero has raised underflow through its own rounding.
// Subnormals are the magnitude patterns 1 .. 2^53 - 1 (zero wraps to the
// top); the smaller of the two decides for both parts.
inline void signal_underflow_if_subnormal(double re, double im) {
  constexpr std::uint64_t kNormalMagnitude = std::uint64_t{1} << 53;
  if (std::min(magnitude_bits(re) - 1, magnitude_bits(im) - 1) < kNormalMagnitude - 1) [[unlikely]]
    raise_underflow();
}

RAVO_INTERNAL_END

#endif
