// cr_csqrt_scalar's binary64-only path on x86-64 (cr_binary64_path.h):
// the path taken where the CPU has FMA (built with FMA; cr_csqrt_dispatch.cpp
// chooses), or the only one when the build asks for it
// (cr_csqrt_single_path.cpp). Same results and flags as the x87 path, bit
// for bit. aarch64 has its own entry, cr_csqrt_binary64_aarch64.cpp.
//
// This path follows the x87 rounding mode, as the library does everywhere
// (the one fegetround reports; fesetround sets both units): it computes in
// MXCSR's mode when the two agree and every SSE exception is masked,
// checked with one stmxcsr (which also gives the flags at entry) and one
// fnstcw. Otherwise the finite cases run in the standard environment, the
// x87 mode in both units and every exception masked, and raise their flags
// afterwards (fp_environment.h), so that an exact result traps on nothing.
#include "../internal/build_guard.h"

#include <cstdint>

#include "../internal/argument_classes.h"
#include "../internal/complex_parts.h"
#include "../internal/cr_binary64_path.h"
#include "../internal/cr_csqrt_paths.h"
#include "../internal/csqrt_special.h"
#include "../internal/fp_environment.h"
#include "ravo_libm.h"

using namespace ravo::internal;

namespace {

Parts cr_general_masked(double x, double y, std::uint16_t) { return cr_binary64_general(x, y, binary64_status(x, y)); }

}  // namespace

// The dispatch but its common case (the entries below and in
// cr_csqrt_binary64_avx512.cpp), kept out of the entries so that they save
// no register: special values, the axes, then the environment and general
// arguments that need scaling. Where MXCSR is not standard, those run in
// the standard environment with the x87 mode in both units. The classes are disjoint, so the entry's test of
// the common case first changes no result.
//
// An axis root needs no MXCSR: its square roots of normal operands raise
// inexact exactly when the part is inexact (and trap there, if the caller
// unmasked it), and each root is moved to the x87 mode by integer steps,
// whatever MXCSR's mode; reading MXCSR (stmxcsr, 15 to 20 cycles on some
// CPUs) would cost more than the root.
[[gnu::noinline]] ravo_c_complex ravo::internal::cr_csqrt_binary64_other_cases(double x, double y) {
  if (!is_finite_pair(x, y)) return to_c_complex(special_result(x, y));
  const std::uint16_t cw = x87_control_word();
  if (!is_general(x, y)) return to_c_complex(cr_axis_root<false>(x, y, [cw] { return x87_rounding(cw); }));
  const std::uint64_t status = binary64_status(x, y);
  if (!sse_is_standard(status, cw)) [[unlikely]] {
    return to_c_complex(in_standard_environment(cw, x, y, cr_general_masked));
  }
  return to_c_complex(cr_binary64_scaled(x, y, status));
}

// The common case: general arguments that need no scaling (both exponents
// within 2^+-120), in a standard MXCSR; everything else in
// cr_csqrt_binary64_other_cases.
ravo_c_complex ravo::internal::cr_csqrt_binary64(ravo_c_complex z) {
  auto [x, y] = parts_of(z);
  if (needs_no_scaling(x, y)) [[likely]] {
    const std::uint64_t status = binary64_status(x, y);
    if (sse_is_standard(status, x87_control_word())) [[likely]]
      return to_c_complex(cr_binary64_unscaled(x, y, status));
  }
  return cr_csqrt_binary64_other_cases(x, y);
}
