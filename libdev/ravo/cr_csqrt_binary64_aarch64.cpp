// cr_csqrt_scalar's binary64-only path on aarch64 (cr_binary64_path.h), the
// only path there, and csqrt_scalar's too (ravo_libmc_csqrt_binary64.cpp).
// Rounds in FPCR's mode, the library's on this target: with no second unit
// whose mode it must follow, there is no environment to check.
#include "../internal/build_guard.h"

#include <cstdint>

#include "../internal/argument_classes.h"
#include "../internal/binary64_status.h"
#include "../internal/complex_parts.h"
#include "../internal/cr_axis.h"
#include "../internal/cr_binary64_path.h"
#include "../internal/cr_csqrt_paths.h"
#include "../internal/csqrt_special.h"
#include "ravo_libm.h"

using namespace ravo::internal;

// General arguments that need no scaling (both exponents within 2^+-120)
// first: the common case, and the classes are disjoint. Then the general
// arguments that need scaling, the axes, and the special values.
ravo_c_complex ravo::internal::cr_csqrt_binary64(ravo_c_complex z) {
  auto [x, y] = parts_of(z);
  if (needs_no_scaling(x, y)) [[likely]]
    return to_c_complex(cr_binary64_unscaled(x, y, binary64_status(x, y)));
  if (is_general(x, y)) return to_c_complex(cr_binary64_scaled(x, y, binary64_status(x, y)));
  if (is_finite_pair(x, y)) return to_c_complex(cr_axis_root<true>(x, y, binary64_rounding));
  return to_c_complex(special_result(x, y));
}
