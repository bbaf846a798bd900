# Fast-math options break the library twice over: its results and flags rest
# on IEEE arithmetic, and linking a shared library with -ffast-math or -Ofast
# adds start-up code that turns on FTZ and DAZ in every program that loads it.
# The target's -fno-fast-math would hide them from the compiler but not from
# the link, so the configuration stops here instead.
set(_ravo_fast_math_options
  "-ffast-math" "-Ofast" "-funsafe-math-optimizations" "-ffinite-math-only" "-fno-signed-zeros"
  "-fno-trapping-math" "-fassociative-math" "-freciprocal-math" "-fno-rounding-math")
set(_ravo_flag_variables CMAKE_C_FLAGS CMAKE_CXX_FLAGS CMAKE_SHARED_LINKER_FLAGS CMAKE_EXE_LINKER_FLAGS
  CMAKE_STATIC_LINKER_FLAGS CMAKE_MODULE_LINKER_FLAGS)
foreach(_config Debug Release RelWithDebInfo MinSizeRel ${CMAKE_BUILD_TYPE})
  string(TOUPPER "${_config}" _config)
  list(APPEND _ravo_flag_variables CMAKE_C_FLAGS_${_config} CMAKE_CXX_FLAGS_${_config}
    CMAKE_SHARED_LINKER_FLAGS_${_config} CMAKE_EXE_LINKER_FLAGS_${_config})
endforeach()
foreach(_variable IN LISTS _ravo_flag_variables)
  separate_arguments(_words UNIX_COMMAND "${${_variable}}")
  foreach(_option IN LISTS _ravo_fast_math_options)
    if(_option IN_LIST _words)
      message(FATAL_ERROR "ravo_libm cannot be built with ${_option} (found in ${_variable}): its results "
        "and flags depend on IEEE arithmetic, and a shared library linked with fast-math options turns on "
        "flush-to-zero and denormals-are-zero in every program that loads it. Remove the option.")
    endif()
  endforeach()
endforeach()
