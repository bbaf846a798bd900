/* ravo_libm: principal complex square root of a binary64 complex value, and
 * the scalar primitives it is built on.
 *
 * Usable from C and C++ with one ABI. Each symbol has one C declaration, with
 * the complex type `double _Complex`, for every language, so that a program
 * built with link-time optimisation sees one type per symbol. C++ gets
 * overloads taking a `std::complex<double>` or a real number and returning
 * `std::complex<double>`, inline wrappers around the same symbols.
 *
 * Environment: the complex functions give the results and flags of the
 * current rounding mode, the x87 one on x86-64 (what fegetround reports;
 * fesetround sets both units), whichever path runs, whatever the x87
 * precision control, the exception masks, FTZ and DAZ. The scalar
 * primitives are the bare instructions and follow the environment as it is. The functions report
 * only through the IEEE 754 status flags of the calling thread
 * (invalid, inexact, underflow); they never set errno and never raise
 * overflow or divide-by-zero. In the complex functions a trap enabled with
 * feenableexcept fires inside the call, exactly when its flag is raised; the
 * control words are left as the caller set them, the x87 stack empty.
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
#include <cstddef>
#include <type_traits>
/* The complex type of the language: what the C++ overloads take. */
typedef std::complex<double> ravo_complex_double;
extern "C" {
/* double _Complex, under the name C++ compilers accept as an extension. */
__extension__ typedef __complex__ double ravo_c_complex;
#else
#include <stddef.h>
typedef double _Complex ravo_complex_double;
typedef double _Complex ravo_c_complex;
#endif

/* Principal square root: the real part is +0 or positive, the imaginary part
 * has the sign of Im z. Special values follow ISO C Annex G for csqrt. */
RAVO_LIBM_API ravo_c_complex csqrt_scalar(ravo_c_complex z);

/* The same principal square root, correctly rounded: each part is the exact
 * root's part rounded once to binary64 in the current rounding mode (all
 * four, subnormals included). Inexact is raised exactly when a part is
 * inexact, underflow when a part is inexact and tiny after rounding, invalid
 * only for a signalling NaN. Arguments with an infinite or NaN part give
 * csqrt_scalar's results and flags. */
RAVO_LIBM_API ravo_c_complex cr_csqrt_scalar(ravo_c_complex z);
/* Which implementation cr_csqrt_scalar runs in this process:
 * "binary64-avx512", "binary64-fma", "x87" or "binary64" (same results and
 * flags, different speed). On x86-64 the default build chooses at the first
 * call, the fastest the CPU can run; RAVO_CR_CSQRT_PATH=x87 or
 * =binary64-fma in the environment forces that path. */
RAVO_LIBM_API const char *cr_csqrt_implementation(void);

/* cr_csqrt_scalar in a fixed rounding direction, whatever the thread's
 * mode: _rn to nearest, _rd downward, _ru upward, _rz toward zero. Each
 * gives exactly the bits and flags cr_csqrt_scalar gives when the thread's
 * mode is that direction, and the thread's mode is the same after the call;
 * the flags go to the thread's status word, and a trap the caller enabled
 * fires, as for cr_csqrt_scalar. For callers that need one direction per
 * call (interval arithmetic), from threads whose mode they do not own. */
RAVO_LIBM_API ravo_c_complex cr_csqrt_rn(ravo_c_complex z);
RAVO_LIBM_API ravo_c_complex cr_csqrt_rd(ravo_c_complex z);
RAVO_LIBM_API ravo_c_complex cr_csqrt_ru(ravo_c_complex z);
RAVO_LIBM_API ravo_c_complex cr_csqrt_rz(ravo_c_complex z);

/* cr_csqrt_scalar over an array: y[i] = cr_csqrt_scalar(x[i]) for i < n,
 * bit for bit, in the current rounding mode, and afterwards exactly the
 * flags the n calls would leave (and those raised before). x == y (in place)
 * works; any other overlap is undefined. Pointers need the alignment of
 * double; n == 0 does nothing. With an exception trap enabled, it traps at
 * the element that raises. */
RAVO_LIBM_API void cr_csqrt_batch(size_t n, const ravo_c_complex *x, ravo_c_complex *y);
/* cr_csqrt_batch in a fixed rounding direction, as cr_csqrt_rn ... _rz:
 * y[i] = cr_csqrt_rd(x[i]) for i < n, and so on, with the flags of the n
 * calls; the thread's mode is the same after the call. */
RAVO_LIBM_API void cr_csqrt_batch_rn(size_t n, const ravo_c_complex *x, ravo_c_complex *y);
RAVO_LIBM_API void cr_csqrt_batch_rd(size_t n, const ravo_c_complex *x, ravo_c_complex *y);
RAVO_LIBM_API void cr_csqrt_batch_ru(size_t n, const ravo_c_complex *x, ravo_c_complex *y);
RAVO_LIBM_API void cr_csqrt_batch_rz(size_t n, const ravo_c_complex *x, ravo_c_complex *y);
/* The vector instructions cr_csqrt_batch uses in this process: "avx512",
 * "avx2", "neon" or "scalar" (one cr_csqrt_scalar call per element); the
 * widest the CPU has, chosen at the first call. RAVO_CR_BATCH_TARGET=avx2
 * or =scalar in the environment forces a narrower one. */
RAVO_LIBM_API const char *cr_csqrt_batch_implementation(void);

/* Correctly rounded square root of a binary64 value, current rounding mode. */
RAVO_LIBM_API double sqrt_scalar(double a);
/* Correctly rounded square root of an x87 extended value (64-bit significand
 * at the default precision control), current rounding mode. */
RAVO_LIBM_API long double sqrtl_scalar(long double a);
RAVO_LIBM_API double fabs_scalar(double a);
RAVO_LIBM_API double copysign_scalar(double magnitude, double sign);

#ifdef __cplusplus
}

/* std::complex<double> and double _Complex share layout and calling
 * convention; the parts are copied, never combined arithmetically, so
 * infinities, NaNs and signed zeros pass unchanged. */
inline ravo_c_complex ravo_to_c_complex(std::complex<double> z) {
  __extension__ ravo_c_complex c;
  __extension__ __real__ c = z.real();
  __extension__ __imag__ c = z.imag();
  return c;
}

inline std::complex<double> csqrt_scalar(std::complex<double> z) {
  const ravo_c_complex w = csqrt_scalar(ravo_to_c_complex(z));
  return {__extension__ __real__ w, __extension__ __imag__ w};
}

/* A real argument x is x + 0i (here and in the overloads below). Without these, a double reaches the C
 * declaration (to double _Complex is a standard conversion, to
 * std::complex<double> a user-defined one) and the caller gets the C type
 * back; as templates they match any arithmetic type exactly, int included. */
template <typename Real, typename std::enable_if<std::is_arithmetic<Real>::value, int>::type = 0>
inline std::complex<double> csqrt_scalar(Real x) {
  return csqrt_scalar(std::complex<double>(static_cast<double>(x), 0.0));
}

/* The correctly rounded functions, in the thread's mode and in the fixed
 * directions, take std::complex<double> or a real number; their array forms
 * take arrays of std::complex<double>, which has the layout of
 * double _Complex (two doubles, real part first), and contiguous ranges:
 * y[i] = f(x[i]) for the first min(x.size(), y.size()) elements. */
#define RAVO_LIBM_CR_OVERLOADS(scalar, batch)                                                       \
  inline std::complex<double> scalar(std::complex<double> z) {                                      \
    const ravo_c_complex w = scalar(ravo_to_c_complex(z));                                          \
    return {__extension__ __real__ w, __extension__ __imag__ w};                                    \
  }                                                                                                 \
  template <typename Real, typename std::enable_if<std::is_arithmetic<Real>::value, int>::type = 0> \
  inline std::complex<double> scalar(Real x) {                                                      \
    return scalar(std::complex<double>(static_cast<double>(x), 0.0));                               \
  }                                                                                                 \
  inline void batch(size_t n, const std::complex<double> *x, std::complex<double> *y) {             \
    batch(n, reinterpret_cast<const ravo_c_complex *>(x), reinterpret_cast<ravo_c_complex *>(y));   \
  }
RAVO_LIBM_CR_OVERLOADS(cr_csqrt_scalar, cr_csqrt_batch)
RAVO_LIBM_CR_OVERLOADS(cr_csqrt_rn, cr_csqrt_batch_rn)
RAVO_LIBM_CR_OVERLOADS(cr_csqrt_rd, cr_csqrt_batch_rd)
RAVO_LIBM_CR_OVERLOADS(cr_csqrt_ru, cr_csqrt_batch_ru)
RAVO_LIBM_CR_OVERLOADS(cr_csqrt_rz, cr_csqrt_batch_rz)
#undef RAVO_LIBM_CR_OVERLOADS
#if __cplusplus >= 202002L
#include <span>
#define RAVO_LIBM_CR_RANGES(batch)                                                                \
  inline void batch(std::span<const std::complex<double>> x, std::span<std::complex<double>> y) { \
    batch(x.size() < y.size() ? x.size() : y.size(), x.data(), y.data());                         \
  }
RAVO_LIBM_CR_RANGES(cr_csqrt_batch)
RAVO_LIBM_CR_RANGES(cr_csqrt_batch_rn)
RAVO_LIBM_CR_RANGES(cr_csqrt_batch_rd)
RAVO_LIBM_CR_RANGES(cr_csqrt_batch_ru)
RAVO_LIBM_CR_RANGES(cr_csqrt_batch_rz)
#undef RAVO_LIBM_CR_RANGES
#endif
#endif

#endif
