/* Calls the library from C through double _Complex, so the C++ side can
 * check that both languages reach the same symbol with the same bits. */
#include <complex.h>

#include "ravo_libm.h"

/* CMPLX without arithmetic, so infinities and NaNs pass unchanged (glibc's
 * CMPLX macro is missing under clang). */
static double _Complex make_complex(double x, double y) {
  union {
    double parts[2];
    double _Complex z;
  } u = {{x, y}};
  return u.z;
}

void c_caller_csqrt(double x, double y, double out[2]) {
  const double _Complex w = csqrt_scalar(make_complex(x, y));
  out[0] = creal(w);
  out[1] = cimag(w);
}
