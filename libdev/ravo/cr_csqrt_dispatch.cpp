// cr_csqrt_scalar on x86-64 builds with both paths: the binary64-only path,
// built with FMA, where the CPU has FMA (and the AVX state the OS must save
// for it), with its common case on AVX-512 lanes that need no MXCSR where
// the CPU has AVX-512 (binary64-avx512), and the x87 path elsewhere. All
// give the same bits and flags, so the choice (first_call_choice.h) only
// changes the speed; RAVO_CR_CSQRT_PATH=x87 or =binary64-fma forces that
// path. Later calls cost one load and one indirect jump.
#include "../internal/build_guard.h"

#include <atomic>

#include "../internal/cpu_features.h"
#include "../internal/cr_csqrt_paths.h"
#include "../internal/first_call_choice.h"
#include "../internal/fixed_direction.h"
#include "ravo_libm.h"

using namespace ravo::internal;

namespace {

using Entry = ravo_c_complex (*)(ravo_c_complex);

struct Path {
  const char* name;
  Entry entry;
  const Entry* in_direction;  // four entries, indexed by RoundingMode
  bool (*runs)();
};

// In order of preference.
constexpr Path kPaths[] = {
    {"binary64-avx512", cr_csqrt_binary64_avx512, cr_csqrt_binary64_avx512_in, cpu_has_avx512f_fma},
    {"binary64-fma", cr_csqrt_binary64, kInFixedDirection<cr_csqrt_binary64>, cpu_has_fma},
    {"x87", cr_csqrt_x87, kInFixedDirection<cr_csqrt_x87>, runs_anywhere},
};
FirstCallChoice g_path(kPaths, "RAVO_CR_CSQRT_PATH");

ravo_c_complex first_call(ravo_c_complex z);

// Relaxed: racing first calls store the same entry.
std::atomic<ravo_c_complex (*)(ravo_c_complex)> g_entry{first_call};

ravo_c_complex first_call(ravo_c_complex z) {
  const Path& path = g_path.get();
  g_entry.store(path.entry, std::memory_order_relaxed);
  return path.entry(z);
}

}  // namespace

extern "C" ravo_c_complex cr_csqrt_scalar(ravo_c_complex z) { return g_entry.load(std::memory_order_relaxed)(z); }

extern "C" const char* cr_csqrt_implementation(void) { return g_path.get().name; }

extern "C" ravo_c_complex cr_csqrt_rn(ravo_c_complex z) { return g_path.get().in_direction[kToNearest](z); }
extern "C" ravo_c_complex cr_csqrt_rd(ravo_c_complex z) { return g_path.get().in_direction[kDownward](z); }
extern "C" ravo_c_complex cr_csqrt_ru(ravo_c_complex z) { return g_path.get().in_direction[kUpward](z); }
extern "C" ravo_c_complex cr_csqrt_rz(ravo_c_complex z) { return g_path.get().in_direction[kTowardZero](z); }
