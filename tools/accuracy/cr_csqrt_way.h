// Which way cr_csqrt_scalar takes for an argument, for the accuracy tool's
// statistics: the path the library chose (cr_csqrt_implementation()), its
// fast path's test and its slow path's, recomputed here from the library's
// internal headers, so the shipped library carries none of it.
#ifndef RAVO_ACCURACY_CR_CSQRT_WAY_H
#define RAVO_ACCURACY_CR_CSQRT_WAY_H

namespace ravo_accuracy {

enum class CrWay { fast, slow, exact_decision };

// x and y finite and non-zero, in the current rounding mode (may raise
// flags).
CrWay cr_csqrt_way(double x, double y);

// The binary64-only path's way (cr_csqrt_way_binary64.cpp, built with the
// options the library builds that path with).
CrWay cr_csqrt_way_binary64(double x, double y);

}  // namespace ravo_accuracy

#endif
