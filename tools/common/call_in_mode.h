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

struct MeasuredCall {
  std::complex<double> w;
  int flags;  // FE_INVALID | FE_INEXACT | FE_UNDERFLOW | FE_OVERFLOW | FE_DIVBYZERO
};

using CsqrtFunction = ravo_complex_double (*)(ravo_complex_double);

// cr_csqrt_scalar's entries of a fixed direction, one value and arrays, by
// the direction's mode and the suffix of their names.
using CsqrtArrayFunction = void (*)(std::size_t, const std::complex<double>*, std::complex<double>*);
struct FixedDirection {
  int fe;
  const char* suffix;
  CsqrtFunction scalar;
  CsqrtArrayFunction batch;
};
inline constexpr FixedDirection kFixedDirections[] = {{FE_TONEAREST, "rn", cr_csqrt_rn, cr_csqrt_batch_rn},
                                                      {FE_DOWNWARD, "rd", cr_csqrt_rd, cr_csqrt_batch_rd},
                                                      {FE_UPWARD, "ru", cr_csqrt_ru, cr_csqrt_batch_ru},
                                                      {FE_TOWARDZERO, "rz", cr_csqrt_rz, cr_csqrt_batch_rz}};

inline MeasuredCall call_in_mode(CsqrtFunction f, double x, double y, int fe_round) {
  std::fesetround(fe_round);
  std::feclearexcept(FE_ALL_EXCEPT);
  const std::complex<double> w = f({x, y});
  const int flags = std::fetestexcept(FE_ALL_EXCEPT);
  std::fesetround(FE_TONEAREST);
  return {w, flags};
}

inline MeasuredCall call_in_mode(double x, double y, int fe_round) {
  return call_in_mode(csqrt_scalar, x, y, fe_round);
}

// The binary32 functions: cr_csqrtf_scalar and its entries of a fixed
// direction, by the same modes and suffixes.
using CsqrtfFunction = std::complex<float> (*)(std::complex<float>);
using CsqrtfArrayFunction = void (*)(std::size_t, const std::complex<float>*, std::complex<float>*);
struct FixedDirection32 {
  int fe;
  const char* suffix;
  CsqrtfFunction scalar;
  CsqrtfArrayFunction batch;
};
inline constexpr FixedDirection32 kFixedDirections32[] = {{FE_TONEAREST, "rn", cr_csqrtf_rn, cr_csqrtf_batch_rn},
                                                          {FE_DOWNWARD, "rd", cr_csqrtf_rd, cr_csqrtf_batch_rd},
                                                          {FE_UPWARD, "ru", cr_csqrtf_ru, cr_csqrtf_batch_ru},
                                                          {FE_TOWARDZERO, "rz", cr_csqrtf_rz, cr_csqrtf_batch_rz}};

struct MeasuredCall32 {
  std::complex<float> w;
  int flags;
};

inline MeasuredCall32 call_in_mode(CsqrtfFunction f, float x, float y, int fe_round) {
  std::fesetround(fe_round);
  std::feclearexcept(FE_ALL_EXCEPT);
  const std::complex<float> w = f({x, y});
  const int flags = std::fetestexcept(FE_ALL_EXCEPT);
  std::fesetround(FE_TONEAREST);
  return {w, flags};
}

}  // namespace ravo_tools

#endif
