// What cr_csqrt_scalar's and cr_csqrt_batch's first calls must choose here:
// the library's own CPU checks (internal/cpu_features.h) and the variables
// that force a narrower choice, read as the dispatchers read them.
#ifndef RAVO_TEST_DISPATCH_CHOICE_H
#define RAVO_TEST_DISPATCH_CHOICE_H

#include <string>

namespace ravo_test {

// "x87", "binary64-fma" or "binary64-avx512" in x86-64 builds with both
// paths; empty in builds with one (its name is fixed when it is built).
std::string expected_cr_csqrt_path();
// "avx512", "avx2" or "scalar" on x86-64; "neon" or "scalar" on aarch64.
std::string expected_batch_target();

}  // namespace ravo_test

#endif
