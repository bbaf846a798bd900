#include <ravo_libm.h>

#include <complex>
#include <cstdio>

int main() {
  const std::complex<double> w = csqrt_scalar({-3.0, -4.0});
  std::printf("%g %+gi\n", w.real(), w.imag());
  return w == std::complex<double>(1.0, -2.0) && sqrtl_scalar(16.0L) == 4.0L ? 0 : 1;
}
