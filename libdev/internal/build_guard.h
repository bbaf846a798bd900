// The targets and options the library's arithmetic is written for. Anything
// else compiles to code that runs and gives wrong results, so it stops here.
// Every library source includes this header first, so that an unsupported
// build stops at its own message rather than at an error further on.
#ifndef RAVO_BUILD_GUARD_H
#define RAVO_BUILD_GUARD_H

#if !(defined(__x86_64__) && defined(__SSE2__)) && !defined(__aarch64__)
#error "ravo_libm is written for x86-64 (binary64 in SSE2 registers beside the x87 unit) and aarch64"
#endif

#if defined(__x86_64__)
// The kernel's 15-bit exponent and 64-bit significand are those of the x87
// extended format (no -mlong-double-64 or -mlong-double-128).
#if __LDBL_MANT_DIG__ != 64 || __LDBL_MAX_EXP__ != 16384
#error "ravo_libm needs long double to be the x87 80-bit extended format"
#endif
#endif

// binary64 operations must round once, to binary64; on the x87 unit
// (-mfpmath=387) they round to 64 bits first and then again on the store.
#if !defined(__FLT_EVAL_METHOD__) || __FLT_EVAL_METHOD__ != 0
#error "ravo_libm needs binary64 arithmetic in SSE2 (FLT_EVAL_METHOD 0): do not build it with -mfpmath=387"
#endif

#if defined(__FAST_MATH__) || __FINITE_MATH_ONLY__ || defined(__NO_SIGNED_ZEROS__) || defined(__NO_TRAPPING_MATH__) || \
    defined(__RECIPROCAL_MATH__) || defined(__ASSOCIATIVE_MATH__)
#error \
    "ravo_libm must not be built with -ffast-math, -Ofast or any of their parts: results and flags depend on IEEE semantics"
#endif

// The square-root builtins must be the bare instructions.
#ifndef __NO_MATH_ERRNO__
#error "ravo_libm is built with -fno-math-errno"
#endif

#endif
