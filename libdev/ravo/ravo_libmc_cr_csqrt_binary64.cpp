// cr_csqrt_scalar on its binary64-only path (cr_binary64_path.h): the only
// path on targets without the x87 unit and on x86-64 when the build asks
// for it, and on x86-64 otherwise the path taken where the CPU has FMA
// (built with FMA, cr_csqrt_dispatch.cpp chooses). Same results and flags
// as the x87 path, bit for bit.
//
// On x86-64 this path follows the x87 rounding mode, as the library does
// everywhere (the one fegetround reports; fesetround sets both units): it
// computes in MXCSR's mode when the two agree and every SSE exception is
// masked, checked with one stmxcsr (which also gives the flags at entry)
// and one fnstcw. Otherwise the finite cases run in the standard
// environment, the x87 mode in both units and every exception masked, and
// raise their flags afterwards (fp_environment.h), so that an exact result
// traps on nothing.
#include "../internal/build_guard.h"
#include <cstdint>

#include "../internal/cr_binary64_path.h"
#include "../internal/cr_csqrt_paths.h"
#include "../internal/csqrt_special.h"
#include "ravo_libm.h"

#if defined(__x86_64__)
#include "../internal/fp_environment.h"

namespace {

Parts cr_general_masked(double x, double y, std::uint16_t) { return cr_binary64_general(x, y, binary64_status(x, y)); }
Parts cr_axis_masked(double x, double y, std::uint16_t) { return cr_axis_root<true>(x, y, binary64_rounding); }

// MXCSR as this path needs it: every exception masked and the x87 unit's
// rounding mode (the library's, the one fegetround reports), which the
// binary64 operations then round in. One comparison.
inline bool sse_is_standard(std::uint64_t status, std::uint16_t cw) {
  const std::uint64_t wanted = kSseMasks | std::uint64_t{static_cast<std::uint16_t>(cw & kRoundingControl)}
                                                << kSseRoundingShift;
  return (status & (kSseMasks | kSseRounding)) == wanted;
}

// Everything but the common case, kept out of the entry: its registers
// would otherwise be saved and restored on every call. Where MXCSR is not
// standard, the finite cases run in the standard environment with the x87
// mode in both units.
[[gnu::noinline]] ravo_c_complex cr_other_cases(double x, double y) {
  if (!is_finite_pair(x, y)) return to_c_complex(special_result(x, y));
  const std::uint64_t status = binary64_status(x, y);
  const std::uint16_t cw = x87_control_word();
  const bool general = is_general(x, y);
  if (!sse_is_standard(status, cw)) [[unlikely]] {
    const auto standard = static_cast<std::uint16_t>((cw & kRoundingControl) | kStandardX87);
    return to_c_complex(general ? in_standard_environment(standard, x, y, cr_general_masked)
                                : in_standard_environment(standard, x, y, cr_axis_masked));
  }
  if (general) return to_c_complex(cr_binary64_scaled(x, y, status));
  return to_c_complex(cr_axis_root<true>(x, y, binary64_rounding));
}

}  // namespace

ravo_c_complex ravo_internal::cr_csqrt_binary64(ravo_c_complex z) {
  auto [x, y] = parts_of(z);
  // Arguments that need no scaling are general ones, and the common case.
  if (needs_no_scaling(x, y)) [[likely]] {
    const std::uint64_t status = binary64_status(x, y);
    if (sse_is_standard(status, x87_control_word())) [[likely]]
      return to_c_complex(cr_binary64_unscaled(x, y, status));
  }
  return cr_other_cases(x, y);
}
#else
ravo_c_complex ravo_internal::cr_csqrt_binary64(ravo_c_complex z) {
  const auto [x, y] = parts_of(z);
  return to_c_complex(cr_binary64_dispatch(x, y));
}
#endif

#if !defined(RAVO_CR_DISPATCH)
// The only path of this build: the entries themselves.
extern "C" ravo_c_complex cr_csqrt_scalar(ravo_c_complex z) { return ravo_internal::cr_csqrt_binary64(z); }

extern "C" const char* cr_csqrt_implementation(void) {
#if defined(__FP_FAST_FMA)
  return "binary64-fma";
#else
  return "binary64";
#endif
}
#endif
