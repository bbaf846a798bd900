# Flags that keep the compiler honest about the floating-point environment:
# no contraction, no folding that assumes round to nearest, no speculation or
# removal of operations whose only effect is on the status flags. The
# primitives need -fno-math-errno to become bare sqrtsd / fsqrt.
set(RAVO_WARNINGS -Wall -Wextra -Wpedantic)
set(RAVO_FP_FLAGS -fno-fast-math -frounding-math -ffp-contract=off -fno-math-errno)
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  list(APPEND RAVO_FP_FLAGS -fsignaling-nans)
elseif(CMAKE_CXX_COMPILER_ID MATCHES "Clang")
  list(APPEND RAVO_FP_FLAGS -ffp-exception-behavior=strict)
endif()
