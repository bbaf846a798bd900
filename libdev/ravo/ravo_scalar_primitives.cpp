// Exported out-of-line definitions of sqrt_scalar, sqrtl_scalar, fabs_scalar
// and copysign_scalar.
#define RAVO_PRIMITIVE_DEFINE
#include "../internal/scalar_primitives.h"
