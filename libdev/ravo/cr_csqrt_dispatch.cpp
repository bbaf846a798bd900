// cr_csqrt_scalar on x86-64 builds with both paths: the binary64-only path,
// built with FMA, where the CPU has FMA (and the AVX state the OS must save
// for it), with its common case on AVX-512 lanes that need no MXCSR where
// the CPU has AVX-512 (binary64-avx512), and the x87 path elsewhere. All
// give the same bits and flags, so the choice only changes the speed. It is
// made at the first call, not at load time, so that it may read the
// environment: RAVO_CR_CSQRT_PATH=x87 or =binary64-fma forces that path
// (for tests and benchmarks; the fastest one the CPU can run is the
// default). Later calls cost one load and one indirect jump.
#include "../internal/build_guard.h"
#include <atomic>
#include <cstdlib>
#include <cstring>

#include "../internal/cpu_features.h"
#include "../internal/cr_csqrt_paths.h"
#include "ravo_libm.h"

using namespace ravo::internal;

namespace {

struct Path {
  const char* name;
  ravo_c_complex (*entry)(ravo_c_complex);
};

constexpr Path kX87{"x87", ravo::internal::cr_csqrt_x87};
constexpr Path kBinary64Fma{"binary64-fma", ravo::internal::cr_csqrt_binary64};
constexpr Path kBinary64Avx512{"binary64-avx512", ravo::internal::cr_csqrt_binary64_avx512};

const Path& choose() {
  init_cpu_features();
  const char* forced = std::getenv("RAVO_CR_CSQRT_PATH");
  const bool force_x87 = forced != nullptr && std::strcmp(forced, "x87") == 0;
  const bool force_fma = forced != nullptr && std::strcmp(forced, "binary64-fma") == 0;
  if (force_x87 || !cpu_has_fma()) return kX87;
  return cpu_has_avx512f_fma() && !force_fma ? kBinary64Avx512 : kBinary64Fma;
}

ravo_c_complex first_call(ravo_c_complex z);

// Relaxed: racing first calls store the same values, and each is a whole
// answer on its own.
std::atomic<const Path*> g_path{nullptr};
std::atomic<ravo_c_complex (*)(ravo_c_complex)> g_entry{first_call};

const Path& chosen() {
  const Path* path = g_path.load(std::memory_order_relaxed);
  if (path == nullptr) [[unlikely]] {
    path = &choose();
    g_path.store(path, std::memory_order_relaxed);
    g_entry.store(path->entry, std::memory_order_relaxed);
  }
  return *path;
}

ravo_c_complex first_call(ravo_c_complex z) { return chosen().entry(z); }

}  // namespace

extern "C" ravo_c_complex cr_csqrt_scalar(ravo_c_complex z) {
  return g_entry.load(std::memory_order_relaxed)(z);
}

extern "C" const char* cr_csqrt_implementation(void) { return chosen().name; }
