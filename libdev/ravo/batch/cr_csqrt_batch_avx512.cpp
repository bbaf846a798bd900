// cr_csqrt_batch's lanes for avx512: batch_lanes.h under this file's options.
#include "../../internal/build_guard.h"
#include "../../internal/batch_lanes.h"
#include "../../internal/batch_targets.h"

std::size_t ravo::internal::batch_lanes_avx512(std::size_t n, const double* x, double* y, std::uint32_t* left,
                                           bool& certified) {
  return batch_lanes(n, x, y, left, certified);
}
