// csqrt_scalar on targets without the x87 extended format: the same special
// values, NaN rules and underflow signal as on x86-64, with the general and
// axis cases computed by cr_csqrt_scalar's binary64-only path. It therefore
// differs from the x86-64 build only where the x87 design rounds twice.
#include "../internal/build_guard.h"
#include "../internal/cr_binary64_path.h"
#include "../internal/csqrt_special.h"
#include "../internal/flag_operations.h"
#include "ravo_libm.h"

extern "C" ravo_c_complex csqrt_scalar(ravo_c_complex z) {
  const auto [x, y] = parts_of(z);
  const Parts w = cr_binary64_dispatch(x, y);
  signal_underflow_if_subnormal(w.re, w.im);
  return to_c_complex(w);
}
