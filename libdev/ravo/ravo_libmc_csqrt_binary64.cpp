// csqrt_scalar on targets without the x87 extended format: cr_csqrt_scalar's
// binary64-only path (cr_csqrt_binary64_aarch64.cpp), which has the same
// special values and NaN rules, with csqrt_scalar's underflow signal. It
// therefore differs from the x86-64 build only where the x87 design rounds
// twice.
#include "../internal/build_guard.h"

#include "../internal/complex_parts.h"
#include "../internal/cr_csqrt_paths.h"
#include "../internal/flag_operations.h"
#include "ravo_libm.h"

using namespace ravo::internal;

extern "C" ravo_c_complex csqrt_scalar(ravo_c_complex z) {
  const Parts w = parts_of(ravo::internal::cr_csqrt_binary64(z));
  signal_underflow_if_subnormal(w.re, w.im);
  return to_c_complex(w);
}
