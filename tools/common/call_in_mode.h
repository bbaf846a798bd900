// The rounding modes, and one csqrt_scalar (or cr_csqrt_scalar, or a binary32 cr_csqrtf) call in a given rounding
// mode with the status flags clear beforehand, returning the result and the flags it raised. Round to nearest is
// restored afterwards.
#ifndef RAVO_CALL_IN_MODE_H
#define RAVO_CALL_IN_MODE_H

#include <cfenv>
#include <complex>
#include <cstddef>

#include "ravo_libm.h"

namespace ravo_tools {

// The four IEEE rounding modes under the names the tools use for them.
struct RoundingMode {
  int fe;
  const char* name;
};
constexpr RoundingMode kRoundingModes[] = {
    {FE_TONEAREST, "nearest"}, {FE_DOWNWARD, "down"}, {FE_UPWARD, "up"}, {FE_TOWARDZERO, "zero"}};

// A result and the flags its call raised, for binary64 or binary32 parts.
template <typename Real>
struct MeasuredCallOf {
  std::complex<Real> w;
  int flags;  // FE_INVALID | FE_INEXACT | FE_UNDERFLOW | FE_OVERFLOW | FE_DIVBYZERO
};
using MeasuredCall = MeasuredCallOf<double>;
using MeasuredCall32 = MeasuredCallOf<float>;

template <typename Real>
using CsqrtFunctionOf = std::complex<Real> (*)(std::complex<Real>);
template <typename Real>
using CsqrtArrayFunctionOf = void (*)(std::size_t, const std::complex<Real>*, std::complex<Real>*);
using CsqrtFunction = CsqrtFunctionOf<double>;
using CsqrtArrayFunction = CsqrtArrayFunctionOf<double>;
using CsqrtfFunction = CsqrtFunctionOf<float>;
using CsqrtfArrayFunction = CsqrtArrayFunctionOf<float>;

// The correctly rounded functions' entries of a fixed direction, one value
// and arrays, by the direction's mode and the suffix of their names: the
// binary64 ones (cr_csqrt_rn ...) and the binary32 ones (cr_csqrtf_rn ...).
template <typename Real>
struct FixedDirectionOf {
  int fe;
  const char* suffix;
  CsqrtFunctionOf<Real> scalar;
  CsqrtArrayFunctionOf<Real> batch;
};
using FixedDirection = FixedDirectionOf<double>;
using FixedDirection32 = FixedDirectionOf<float>;
inline constexpr FixedDirection kFixedDirections[] = {{FE_TONEAREST, "rn", cr_csqrt_rn, cr_csqrt_batch_rn},
                                                      {FE_DOWNWARD, "rd", cr_csqrt_rd, cr_csqrt_batch_rd},
                                                      {FE_UPWARD, "ru", cr_csqrt_ru, cr_csqrt_batch_ru},
                                                      {FE_TOWARDZERO, "rz", cr_csqrt_rz, cr_csqrt_batch_rz}};
inline constexpr FixedDirection32 kFixedDirections32[] = {{FE_TONEAREST, "rn", cr_csqrtf_rn, cr_csqrtf_batch_rn},
                                                          {FE_DOWNWARD, "rd", cr_csqrtf_rd, cr_csqrtf_batch_rd},
                                                          {FE_UPWARD, "ru", cr_csqrtf_ru, cr_csqrtf_batch_ru},
                                                          {FE_TOWARDZERO, "rz", cr_csqrtf_rz, cr_csqrtf_batch_rz}};

template <typename Real>
inline MeasuredCallOf<Real> call_in_mode(CsqrtFunctionOf<Real> f, Real x, Real y, int fe_round) {
  std::fesetround(fe_round);
  std::feclearexcept(FE_ALL_EXCEPT);
  const std::complex<Real> w = f({x, y});
  const int flags = std::fetestexcept(FE_ALL_EXCEPT);
  std::fesetround(FE_TONEAREST);
  return {w, flags};
}

inline MeasuredCall call_in_mode(double x, double y, int fe_round) {
  return call_in_mode<double>(csqrt_scalar, x, y, fe_round);
}

}  // namespace ravo_tools

#endif
