// The C++ side: the std::complex<double> overloads.
#include <complex>

#include "ravo_libm.h"

extern "C" void cpp_side(double x, double y, double out[4]) {
  const std::complex<double> a = csqrt_scalar({x, y}), b = cr_csqrt_scalar({x, y});
  out[0] = a.real();
  out[1] = a.imag();
  out[2] = b.real();
  out[3] = b.imag();
}
