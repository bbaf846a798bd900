#include "dispatch_choice.h"

#include <cstdlib>

#if defined(__x86_64__)
#include "../../libdev/internal/cpu_features.h"

using ravo::internal::cpu_has_avx2_fma;
using ravo::internal::cpu_has_avx512f_fma;
using ravo::internal::cpu_has_fma;
using ravo::internal::init_cpu_features;
#endif

namespace ravo_test {
namespace {

std::string forced(const char* variable) {
  const char* value = std::getenv(variable);
  return value == nullptr ? "" : value;
}

}  // namespace

std::string expected_cr_csqrt_path() {
#if defined(__x86_64__) && !defined(RAVO_CR_PORTABLE)
  init_cpu_features();
  const std::string path = forced("RAVO_CR_CSQRT_PATH");
  if (!cpu_has_fma() || path == "x87") return "x87";
  return cpu_has_avx512f_fma() && path != "binary64-fma" ? "binary64-avx512" : "binary64-fma";
#else
  return "";
#endif
}

std::string expected_batch_target() {
  const std::string target = forced("RAVO_CR_BATCH_TARGET");
  if (target == "scalar") return "scalar";
#if defined(__x86_64__)
  init_cpu_features();
  if (cpu_has_avx512f_fma() && target != "avx2") return "avx512";
  return cpu_has_avx2_fma() ? "avx2" : "scalar";
#else
  return "neon";
#endif
}

}  // namespace ravo_test
