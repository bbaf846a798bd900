// cr_csqrt_scalar's way per argument on the path the library chose; the
// x87 path's tests are recomputed here, the binary64 path's in
// cr_csqrt_way_binary64.cpp.
#include "../../libdev/internal/build_guard.h"

#include "cr_csqrt_way.h"

#include <cstring>

#include "ravo_libm.h"

#if defined(__x86_64__)
#include "../../libdev/internal/extended_rounding_test.h"
#include "../../libdev/internal/fp_environment.h"

using namespace ravo::internal;

namespace {

ravo_accuracy::CrWay cr_csqrt_way_x87(double x, double y) {
  const ExtendedRoot root = signed_root(x, y);
  const std::uint16_t cw = x87_control_word();
  if (quick_roundings_are_certain(low_significand_bits(root.big, root.small), cw)) return ravo_accuracy::CrWay::fast;
  const bool nearest = is_nearest(cw);
  const Margins m = nearest ? kNearestMargins : kDirectedMargins;
  const bool certain = precise_rounding_is_certain(root.big, m.big, nearest) &&
                       precise_rounding_is_certain(root.small, m.small, nearest);
  return certain ? ravo_accuracy::CrWay::slow : ravo_accuracy::CrWay::exact_decision;
}

}  // namespace
#endif

ravo_accuracy::CrWay ravo_accuracy::cr_csqrt_way(double x, double y) {
#if defined(__x86_64__)
  static const bool x87 = std::strcmp(cr_csqrt_implementation(), "x87") == 0;
  if (x87) return cr_csqrt_way_x87(x, y);
#endif
  return cr_csqrt_way_binary64(x, y);
}
