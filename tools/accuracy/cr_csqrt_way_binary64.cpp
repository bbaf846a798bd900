// The binary64-only path's way per argument: its fast path's rounding test,
// then whether its slow path needs the exact decision for a part.
#include "../../libdev/internal/build_guard.h"

#include "../../libdev/internal/binary64_kernel.h"
#include "../../libdev/internal/cr_binary64_decision.h"
#include "../../libdev/internal/cr_binary64_path.h"
#include "cr_csqrt_way.h"

using namespace ravo::internal;

ravo_accuracy::CrWay ravo_accuracy::cr_csqrt_way_binary64(double x, double y) {
  if (needs_no_scaling(x, y)) {
    const RootPair root = unscaled_root(x, y);
    if (both_roundings_are_certain(root.big, root.small)) return CrWay::fast;
  }
  const Binary64Root root = binary64_root(x, y);
  if (!needs_no_scaling(x, y) && is_certain(root)) return CrWay::fast;
  const bool exact =
      needs_exact_decision(root.big, root.big_scale) || needs_exact_decision(root.small, root.small_scale);
  return exact ? CrWay::exact_decision : CrWay::slow;
}
