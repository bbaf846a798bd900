/* The C side of the link-time optimised program: calls the functions
 * through the C declarations, then the C++ side through the overloads, and
 * compares the bits. */
#include <complex.h>
#include <stdint.h>
#include <stdio.h>
#include <string.h>

#include "ravo_libm.h"

void cpp_side(double x, double y, double out[6]);

static uint64_t bits(double d) {
  uint64_t b;
  memcpy(&b, &d, sizeof b);
  return b;
}

int main(void) {
  static const double args[][2] = {{-3, 4}, {2, -3}, {0x1p-1074, -0.0}, {-4, 0x1p-1070}, {0x1p-149, -5}};
  int bad = 0;
  for (unsigned i = 0; i < sizeof args / sizeof args[0]; ++i) {
    union {
      double parts[2];
      double _Complex z;
    } u = {{args[i][0], args[i][1]}};
    union {
      float parts[2];
      float _Complex z;
    } f = {{(float)args[i][0], (float)args[i][1]}};
    const double _Complex a = csqrt_scalar(u.z), b = cr_csqrt_scalar(u.z);
    const float _Complex c = cr_csqrtf_scalar(f.z);
    double c_side[6] = {creal(a), cimag(a), creal(b), cimag(b), crealf(c), cimagf(c)}, cpp[6];
    cpp_side(args[i][0], args[i][1], cpp);
    for (int k = 0; k < 6; ++k) bad |= bits(c_side[k]) != bits(cpp[k]);
  }
  const double _Complex w = csqrt_scalar(-3.0 + 4.0 * I);
  bad |= creal(w) != 1.0 || cimag(w) != 2.0;
  const float _Complex v = cr_csqrtf_scalar(-3.0f - 4.0f * I);
  bad |= crealf(v) != 1.0f || cimagf(v) != -2.0f;
  puts(bad ? "C and C++ sides disagree" : "C and C++ sides agree");
  return bad;
}
