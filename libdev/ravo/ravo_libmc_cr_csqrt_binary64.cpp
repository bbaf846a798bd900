// cr_csqrt_scalar on its binary64-only path (cr_binary64_path.h): the
// default on targets without the x87 unit, and on x86-64 when the build
// asks for it. Same results and flags as the x87 path, bit for bit.
//
// On x86-64 the library follows the x87 rounding mode and runs in its
// standard environment (fp_environment.h): a call whose MXCSR has an
// exception unmasked or a rounding mode other than the x87 one runs in the
// cold path that sets both and raises the flags afterwards.
#include "../internal/build_guard.h"
// First, so that an unsupported build stops at its own message.
#include <cstdint>

#include "../internal/cr_binary64_path.h"
#include "../internal/csqrt_special.h"
#include "ravo_libm.h"

#if defined(__x86_64__)
#include "../internal/fp_environment.h"

namespace {

Parts cr_general_x86(double x, double y, std::uint16_t cw) {
  const std::uint64_t status = binary64_status(x, y);
  const bool standard = (status & kSseMasks) == kSseMasks && ((status >> 13) & 3u) == x87_rounding(cw);
  if (!standard) [[unlikely]]
    return in_standard_environment(cw, x, y,
                                   [](double a, double b, std::uint16_t c) { return cr_general_x86(a, b, c); });
  return cr_binary64_general(x, y, status);
}

Parts cr_axis_x86(double x, double y, std::uint16_t cw) { return cr_axis_root(x, y, x87_rounding(cw)); }

}  // namespace

extern "C" ravo_c_complex cr_csqrt_scalar(ravo_c_complex z) {
  const auto [x, y] = parts_of(z);
  return to_c_complex(dispatch<cr_general_x86, cr_axis_x86>(x, y));
}
#else
extern "C" ravo_c_complex cr_csqrt_scalar(ravo_c_complex z) {
  const auto [x, y] = parts_of(z);
  return to_c_complex(binary64_dispatch<cr_general_here, cr_axis_here>(x, y));
}
#endif

// Which path cr_csqrt_scalar takes for finite non-zero x and y: 0 the fast
// path, 1 the slow path without an exact decision, 2 with one. For the
// accuracy tool's statistics; not exported from the shared library.
extern "C" int __ravo_internal_cr_csqrt_path(double x, double y) { return cr_binary64_path(x, y); }
