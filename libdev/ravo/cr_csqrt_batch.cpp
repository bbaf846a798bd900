// cr_csqrt_batch: cr_csqrt_scalar over an array, one element at a time.
// Each call raises exactly its element's flags, so the array's flags are
// the union, and a trap fires at the element that raises it.
#include "../internal/build_guard.h"
// First, so that an unsupported build stops at its own message.
#include <cstddef>

#include "ravo_libm.h"

extern "C" void cr_csqrt_batch(size_t n, const ravo_c_complex* x, ravo_c_complex* y) {
  for (size_t i = 0; i < n; ++i) y[i] = cr_csqrt_scalar(x[i]);
}
