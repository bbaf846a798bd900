# Flags that keep the compiler honest about the floating-point environment:
# no contraction, no folding that assumes round to nearest, no speculation or
# removal of operations whose only effect is on the status flags. The
# primitives need -fno-math-errno to become bare sqrtsd / fsqrt. Targets
# take them by linking ravo::fp_flags (and ravo::warnings); the compiler of
# each source's own language decides its spelling of the strict exceptions.
add_library(ravo_warnings INTERFACE)
add_library(ravo::warnings ALIAS ravo_warnings)
target_compile_options(ravo_warnings INTERFACE -Wall -Wextra -Wpedantic)

set(_ravo_gnu "$<OR:$<COMPILE_LANG_AND_ID:C,GNU>,$<COMPILE_LANG_AND_ID:CXX,GNU>>")
set(_ravo_clang "$<OR:$<COMPILE_LANG_AND_ID:C,Clang,AppleClang>,$<COMPILE_LANG_AND_ID:CXX,Clang,AppleClang>>")
add_library(ravo_fp_flags INTERFACE)
add_library(ravo::fp_flags ALIAS ravo_fp_flags)
target_compile_options(ravo_fp_flags INTERFACE
  -fno-fast-math -frounding-math -ffp-contract=off -fno-math-errno
  $<${_ravo_gnu}:-fsignaling-nans>
  $<${_ravo_clang}:-ffp-exception-behavior=strict>)

# The same as a plain list for the scripts that run the compilers
# themselves (the LTO test), spelled for the C++ compiler's family.
set(RAVO_FP_FLAGS -fno-fast-math -frounding-math -ffp-contract=off -fno-math-errno)
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  list(APPEND RAVO_FP_FLAGS -fsignaling-nans)
elseif(CMAKE_CXX_COMPILER_ID MATCHES "Clang")
  list(APPEND RAVO_FP_FLAGS -ffp-exception-behavior=strict)
endif()
