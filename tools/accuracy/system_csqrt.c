/* The system C library's csqrt, reachable from C++ without _Complex. */
#include <complex.h>

void system_csqrt(double x, double y, double out[2]) {
  union {
    double parts[2];
    double _Complex z;
  } u = {{x, y}};
  const double _Complex w = csqrt(u.z);
  out[0] = creal(w);
  out[1] = cimag(w);
}
