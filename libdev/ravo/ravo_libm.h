/* ravo_libm: principal complex square root of a binary64 complex value (and,
 * correctly rounded, of a binary32 one), and
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
/* double _Complex and float _Complex, under the names C++ compilers accept
 * as an extension. */
__extension__ typedef __complex__ double ravo_c_complex;
__extension__ typedef __complex__ float ravo_c_complex_float;
#else
#include <stddef.h>
typedef double _Complex ravo_complex_double;
typedef double _Complex ravo_c_complex;
typedef float _Complex ravo_c_complex_float;
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

/* The principal square root of a binary32 complex value, correctly rounded
 * to binary32: as cr_csqrt_scalar, in the same rounding mode, with
 * binary32's underflow (a part inexact and below 2^-126 after rounding);
 * arguments with an infinite or NaN part give csqrt_scalar's results. The
 * root is never rounded twice (through binary64): every part is the exact
 * one rounded once. */
RAVO_LIBM_API ravo_c_complex_float cr_csqrtf_scalar(ravo_c_complex_float z);
/* cr_csqrtf_scalar in a fixed rounding direction, as cr_csqrt_rn ... _rz. */
RAVO_LIBM_API ravo_c_complex_float cr_csqrtf_rn(ravo_c_complex_float z);
RAVO_LIBM_API ravo_c_complex_float cr_csqrtf_rd(ravo_c_complex_float z);
RAVO_LIBM_API ravo_c_complex_float cr_csqrtf_ru(ravo_c_complex_float z);
RAVO_LIBM_API ravo_c_complex_float cr_csqrtf_rz(ravo_c_complex_float z);
/* cr_csqrtf_scalar over an array, as cr_csqrt_batch (bits, flags, traps,
 * in place): pointers need the alignment of float. It runs on the vector
 * instructions cr_csqrt_batch_implementation names. */
RAVO_LIBM_API void cr_csqrtf_batch(size_t n, const ravo_c_complex_float *x, ravo_c_complex_float *y);
RAVO_LIBM_API void cr_csqrtf_batch_rn(size_t n, const ravo_c_complex_float *x, ravo_c_complex_float *y);
RAVO_LIBM_API void cr_csqrtf_batch_rd(size_t n, const ravo_c_complex_float *x, ravo_c_complex_float *y);
RAVO_LIBM_API void cr_csqrtf_batch_ru(size_t n, const ravo_c_complex_float *x, ravo_c_complex_float *y);
RAVO_LIBM_API void cr_csqrtf_batch_rz(size_t n, const ravo_c_complex_float *x, ravo_c_complex_float *y);

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
 * directions, take std::complex<double> (std::complex<float> for the
 * binary32 ones) or a real number; their array forms take arrays of
 * std::complex<double> or <float>, which have the layout of the C types
 * (two parts, real part first), and contiguous ranges:
 * y[i] = f(x[i]) for the first min(x.size(), y.size()) elements. */
#define RAVO_LIBM_CR_OVERLOADS(scalar, batch, Real_t, C_t)                                          \
  inline std::complex<Real_t> scalar(std::complex<Real_t> z) {                                      \
    __extension__ C_t c;                                                                            \
    __extension__ __real__ c = z.real();                                                            \
    __extension__ __imag__ c = z.imag();                                                            \
    const C_t w = scalar(c);                                                                        \
    return {__extension__ __real__ w, __extension__ __imag__ w};                                    \
  }                                                                                                 \
  template <typename Real, typename std::enable_if<std::is_arithmetic<Real>::value, int>::type = 0> \
  inline std::complex<Real_t> scalar(Real x) {                                                      \
    return scalar(std::complex<Real_t>(static_cast<Real_t>(x), Real_t(0)));                         \
  }                                                                                                 \
  inline void batch(size_t n, const std::complex<Real_t> *x, std::complex<Real_t> *y) {             \
    batch(n, reinterpret_cast<const C_t *>(x), reinterpret_cast<C_t *>(y));                         \
  }
RAVO_LIBM_CR_OVERLOADS(cr_csqrt_scalar, cr_csqrt_batch, double, ravo_c_complex)
RAVO_LIBM_CR_OVERLOADS(cr_csqrt_rn, cr_csqrt_batch_rn, double, ravo_c_complex)
RAVO_LIBM_CR_OVERLOADS(cr_csqrt_rd, cr_csqrt_batch_rd, double, ravo_c_complex)
RAVO_LIBM_CR_OVERLOADS(cr_csqrt_ru, cr_csqrt_batch_ru, double, ravo_c_complex)
RAVO_LIBM_CR_OVERLOADS(cr_csqrt_rz, cr_csqrt_batch_rz, double, ravo_c_complex)
RAVO_LIBM_CR_OVERLOADS(cr_csqrtf_scalar, cr_csqrtf_batch, float, ravo_c_complex_float)
RAVO_LIBM_CR_OVERLOADS(cr_csqrtf_rn, cr_csqrtf_batch_rn, float, ravo_c_complex_float)
RAVO_LIBM_CR_OVERLOADS(cr_csqrtf_rd, cr_csqrtf_batch_rd, float, ravo_c_complex_float)
RAVO_LIBM_CR_OVERLOADS(cr_csqrtf_ru, cr_csqrtf_batch_ru, float, ravo_c_complex_float)
RAVO_LIBM_CR_OVERLOADS(cr_csqrtf_rz, cr_csqrtf_batch_rz, float, ravo_c_complex_float)
#undef RAVO_LIBM_CR_OVERLOADS
#if __cplusplus >= 202002L
#include <span>
#define RAVO_LIBM_CR_RANGES(batch, Real_t)                                                        \
  inline void batch(std::span<const std::complex<Real_t>> x, std::span<std::complex<Real_t>> y) { \
    batch(x.size() < y.size() ? x.size() : y.size(), x.data(), y.data());                         \
  }
RAVO_LIBM_CR_RANGES(cr_csqrt_batch, double)
RAVO_LIBM_CR_RANGES(cr_csqrt_batch_rn, double)
RAVO_LIBM_CR_RANGES(cr_csqrt_batch_rd, double)
RAVO_LIBM_CR_RANGES(cr_csqrt_batch_ru, double)
RAVO_LIBM_CR_RANGES(cr_csqrt_batch_rz, double)
RAVO_LIBM_CR_RANGES(cr_csqrtf_batch, float)
RAVO_LIBM_CR_RANGES(cr_csqrtf_batch_rn, float)
RAVO_LIBM_CR_RANGES(cr_csqrtf_batch_rd, float)
RAVO_LIBM_CR_RANGES(cr_csqrtf_batch_ru, float)
RAVO_LIBM_CR_RANGES(cr_csqrtf_batch_rz, float)
#undef RAVO_LIBM_CR_RANGES
#endif
#endif

#endif
