#include <complex.h>
#include <ravo_libm.h>
#include <stdio.h>

int main(void) {
  const double _Complex w = csqrt_scalar(-3.0 + 4.0 * I);
  printf("%g %+gi\n", creal(w), cimag(w));
  return creal(w) == 1.0 && cimag(w) == 2.0 && sqrt_scalar(9.0) == 3.0 ? 0 : 1;
}
