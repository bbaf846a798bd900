/* Calls the library from C through double _Complex, so the C++ side can
 * check that both languages reach the same symbol with the same bits. */
#include <complex.h>

#include "ravo_libm.h"

void c_caller_csqrt(double x, double y, double out[2]) {
  const double _Complex w = csqrt_scalar(CMPLX(x, y));
  out[0] = creal(w);
  out[1] = cimag(w);
}
