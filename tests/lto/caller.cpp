// The C++ side: the std::complex<double> and std::complex<float> overloads.
#include <complex>

#include "ravo_libm.h"

extern "C" void cpp_side(double x, double y, double out[6]) {
  const std::complex<double> a = csqrt_scalar({x, y}), b = cr_csqrt_scalar({x, y});
  const std::complex<float> c = cr_csqrtf_scalar({static_cast<float>(x), static_cast<float>(y)});
  out[0] = a.real();
  out[1] = a.imag();
  out[2] = b.real();
  out[3] = b.imag();
  out[4] = c.real();
  out[5] = c.imag();
}
