// A complex value as the library handles it inside: two binary64 parts,
// taken from and put back into the C type of the public header.
#ifndef RAVO_COMPLEX_PARTS_H
#define RAVO_COMPLEX_PARTS_H

#include "../ravo/ravo_libm.h"
#include "target_namespace.h"

namespace ravo::internal {

// A result as two values (binary64 ones: Parts); kept out of std::complex
// inside the library, which GCC would assemble and take apart in memory.
template <typename T>
struct PartsOf {
  T re, im;
};
using Parts = PartsOf<double>;

}  // namespace ravo::internal

RAVO_INTERNAL_BEGIN

inline Parts parts_of(ravo_c_complex z) { return {__extension__ __real__ z, __extension__ __imag__ z}; }

inline ravo_c_complex to_c_complex(Parts w) {
  __extension__ ravo_c_complex z;
  __extension__ __real__ z = w.re;
  __extension__ __imag__ z = w.im;
  return z;
}

RAVO_INTERNAL_END

#endif
