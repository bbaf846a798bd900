/* ravo_libm: principal complex square root of a binary64 complex value, and
 * the scalar primitives it is built on.
 *
 * Usable from C and C++ with one ABI. In C the complex type is
 * `double _Complex`. In C++ it is `std::complex<double>`, which on x86-64
 * System V is passed and returned exactly like `double _Complex` (real part in
 * the first floating-point slot, imaginary part in the second), so both
 * languages call the same undecorated symbol.
 *
 * Precondition: the x87 precision control is at its default (64-bit
 * significand). The functions read the current rounding mode and report only
 * through the IEEE 754 status flags of the calling thread (invalid, inexact,
 * underflow); they never set errno and never raise overflow or divide-by-zero.
 */
#ifndef RAVO_LIBM_H
#define RAVO_LIBM_H

/* The library is built with hidden visibility; these are its only exports. */
#if defined(__GNUC__)
#define RAVO_LIBM_API __attribute__((visibility("default")))
#else
#define RAVO_LIBM_API
#endif

#ifdef __cplusplus
#include <complex>
typedef std::complex<double> ravo_complex_double;
extern "C" {
#else
typedef double _Complex ravo_complex_double;
#endif

#if defined(__cplusplus) && defined(__clang__)
/* std::complex<double> has the C layout and calling convention of
 * double _Complex on this platform; clang only sees a class type. */
#pragma clang diagnostic push
#pragma clang diagnostic ignored "-Wreturn-type-c-linkage"
#endif

/* Principal square root: the real part is +0 or positive, the imaginary part
 * has the sign of Im z. Special values follow ISO C Annex G for csqrt. */
RAVO_LIBM_API ravo_complex_double csqrt_scalar(ravo_complex_double z);

/* The same principal square root, correctly rounded: each part is the exact
 * root's part rounded once to binary64 in the current rounding mode (all
 * four, subnormals included). Inexact is raised exactly when a part is
 * inexact, underflow when a part is inexact and tiny after rounding, invalid
 * only for a signalling NaN. Arguments with an infinite or NaN part give
 * csqrt_scalar's results and flags. */
RAVO_LIBM_API ravo_complex_double cr_csqrt_scalar(ravo_complex_double z);

#if defined(__cplusplus) && defined(__clang__)
#pragma clang diagnostic pop
#endif

/* Correctly rounded square root of a binary64 value, current rounding mode. */
RAVO_LIBM_API double sqrt_scalar(double a);
/* Correctly rounded square root of an x87 extended value (64-bit significand
 * at the default precision control), current rounding mode. */
RAVO_LIBM_API long double sqrtl_scalar(long double a);
RAVO_LIBM_API double fabs_scalar(double a);
RAVO_LIBM_API double copysign_scalar(double magnitude, double sign);

#ifdef __cplusplus
}
#endif

#endif
