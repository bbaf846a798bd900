// Exported out-of-line definitions of sqrt_scalar, sqrtl_scalar, fabs_scalar
// and copysign_scalar.
#include "../internal/build_guard.h"
#define RAVO_PRIMITIVE_DEFINE
#include "../internal/scalar_primitives.h"
