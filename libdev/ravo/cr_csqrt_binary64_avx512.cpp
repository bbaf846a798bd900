// cr_csqrt_scalar's binary64 path on CPUs with AVX-512: the common case,
// general arguments that need no scaling, through the kernel on quiet
// lanes (quiet_lanes.h), which raise nothing and follow no MXCSR setting,
// so that nothing reads MXCSR. The rounding mode is the x87 one (the
// library's, as everywhere; one fnstcw), applied by the encoding of the two
// final additions. Certain roundings give inexact results, and inexact is
// raised by an operation of its own, which traps where the caller enabled
// that trap. Everything else, and every uncertain rounding, goes to the
// binary64 path (cr_csqrt_binary64.cpp), which finds the flags as the
// caller left them; same bits and flags as every path.
#include "../internal/build_guard.h"

#include "../internal/argument_classes.h"
#include "../internal/binary64_kernel.h"
#include "../internal/binary64_status.h"
#include "../internal/complex_parts.h"
#include "../internal/cr_csqrt_paths.h"
#include "../internal/double_double_rounding.h"
#include "../internal/fixed_direction.h"
#include "../internal/flag_operations.h"
#include "../internal/part_placement.h"
#include "../internal/quiet_lanes.h"
#include "ravo_libm.h"

using namespace ravo::internal;

namespace {

// The parts from certain roundings (part_placement.h), chosen by a mask
// register made from x long before the kernel ends, not by a branch, which
// random signs would mispredict one call in two: a blend and, for the
// imaginary part, a sign flip (exact) before each rounding.
template <int kEmbedded>
inline ravo_c_complex certain_result(double x, double y, const RootPairOf<Quiet>& root) {
  const PartsOf<DoubleDoubleOf<Quiet>> w = placed(static_cast<__mmask8>(sign_bit(x)), root.big, root.small);
  const __m128d y_sign = _mm_and_pd(_mm_set_sd(y), _mm_castsi128_pd(_mm_set1_epi64x(static_cast<long long>(kSignBit))));
  const __m128d im_hi = _mm_xor_pd(w.im.hi.v, y_sign), im_lo = _mm_xor_pd(w.im.lo.v, y_sign);
  const double re = _mm_cvtsd_f64(_mm_add_round_sd(w.re.hi.v, w.re.lo.v, kEmbedded | _MM_FROUND_NO_EXC));
  const double im = _mm_cvtsd_f64(_mm_add_round_sd(im_hi, im_lo, kEmbedded | _MM_FROUND_NO_EXC));
  raise_inexact_here();
  return to_c_complex({re, im});
}

// The kernel on quiet lanes, for x and y that need no scaling.
inline RootPairOf<Quiet> quiet_root(double x, double y) {
  const Quiet ay = quiet(__builtin_fabs(y));
  return root_core(quiet(__builtin_fabs(x)), ay, ay);
}

// A fixed direction: the thread's mode is neither read nor changed where
// the roundings are certain.
template <RoundingMode kMode, int kEmbedded>
ravo_c_complex in_direction(ravo_c_complex z) {
  const auto [x, y] = parts_of(z);
  if (needs_no_scaling(x, y)) [[likely]] {
    const RootPairOf<Quiet> root = quiet_root(x, y);
    if (both_roundings_are_certain(root.big, root.small)) [[likely]]
      return certain_result<kEmbedded>(x, y, root);
  }
  return in_fixed_direction<kMode, cr_csqrt_binary64>(z);
}

}  // namespace

ravo_c_complex (*const ravo::internal::cr_csqrt_binary64_avx512_in[4])(ravo_c_complex) = {
    in_direction<kToNearest, _MM_FROUND_TO_NEAREST_INT>, in_direction<kDownward, _MM_FROUND_TO_NEG_INF>,
    in_direction<kUpward, _MM_FROUND_TO_POS_INF>, in_direction<kTowardZero, _MM_FROUND_TO_ZERO>};

ravo_c_complex ravo::internal::cr_csqrt_binary64_avx512(ravo_c_complex z) {
  const auto [x, y] = parts_of(z);
  if (!needs_no_scaling(x, y)) return cr_csqrt_binary64_other_cases(x, y);
  const RootPairOf<Quiet> root = quiet_root(x, y);
  if (both_roundings_are_certain(root.big, root.small)) [[likely]] {
    // The x87 rounding control and the embedded rounding share their
    // encoding: to nearest, down, up, toward zero.
    switch (x87_rounding(x87_control_word())) {
      case kToNearest:
        return certain_result<_MM_FROUND_TO_NEAREST_INT>(x, y, root);
      case kDownward:
        return certain_result<_MM_FROUND_TO_NEG_INF>(x, y, root);
      case kUpward:
        return certain_result<_MM_FROUND_TO_POS_INF>(x, y, root);
      default:
        return certain_result<_MM_FROUND_TO_ZERO>(x, y, root);
    }
  }
  return cr_csqrt_binary64(z);
}
