// cr_csqrt_batch and cr_csqrtf_batch: cr_csqrt_scalar and cr_csqrtf_scalar
// over an array, by one chunk loop. Chunks of the array go
// through the widest vector target the CPU has (batch_targets.h), which
// finishes the common arguments; every other element is one
// cr_csqrt_scalar call. The flags are handled per chunk: the vector work
// raises inexact and nothing else (its lanes compute on in-range values
// only), so the status word goes back to what it was before the chunk, plus
// inexact when a lane was finished there (such a lane is inexact), and then
// the scalar calls raise their own. With an exception trap enabled, or
// without a vector target, every element is a scalar call, so a trap fires
// at the element that raises it; so it is too where the SSE rounding mode
// differs from the x87 one, which the library follows.
//
// The target is chosen at the first call, by the CPU; RAVO_CR_BATCH_TARGET
// = avx2 or = scalar forces a narrower one (for tests and benchmarks).
#include "../internal/build_guard.h"

#include <cstddef>
#include <cstdint>

#include "../internal/batch_targets.h"
#include "../internal/first_call_choice.h"
#include "../internal/rounding_scope.h"
#if defined(__x86_64__)
#include "../internal/cpu_features.h"
#endif
#include "../internal/binary64_status.h"
#include "ravo_libm.h"

using namespace ravo::internal;

namespace {

using LaneFunction = std::size_t (*)(std::size_t, const double*, double*, std::uint32_t*, bool&);
using LaneFunction32 = std::size_t (*)(std::size_t, const float*, float*, std::uint32_t*, bool&, RoundingMode);

struct Target {
  const char* name;
  LaneFunction lanes;  // none: every element is a scalar call
  LaneFunction32 lanes32;
  bool (*runs)();
};

// In order of preference.
#if defined(__x86_64__)
constexpr Target kTargets[] = {
    {"avx512", batch_lanes_avx512, batch_lanes32_avx512, cpu_has_avx512f_fma},
    {"avx2", batch_lanes_avx2, batch_lanes32_avx2, cpu_has_avx2_fma},
    {"scalar", nullptr, nullptr, runs_anywhere},
};
#elif defined(__aarch64__)
constexpr Target kTargets[] = {
    {"neon", batch_lanes_neon, batch_lanes32_neon, runs_anywhere},
    {"scalar", nullptr, nullptr, runs_anywhere},
};
#endif
FirstCallChoice g_target(kTargets, "RAVO_CR_BATCH_TARGET");

// Elements per chunk: the scalar path's indices fit on the stack, and the
// status word is read and written once per chunk.
constexpr std::size_t kChunk = 512;

template <typename Complex>
void scalar_loop(std::size_t n, const Complex* x, Complex* y, Complex (*scalar)(Complex)) {
  for (std::size_t i = 0; i < n; ++i) y[i] = scalar(x[i]);
}

// The chunks: `lanes` (a call on m elements, filling `left`) and then
// `scalar` on the elements left.
template <typename Complex, typename Lanes>
void chunks(std::size_t n, const Complex* x, Complex* y, Complex (*scalar)(Complex), Lanes lanes) {
  std::uint32_t left[kChunk];
  for (std::size_t start = 0; start < n; start += kChunk) {
    const std::size_t m = n - start < kChunk ? n - start : kChunk;
    const std::uint64_t before = binary64_status();
    bool certified = false;
    const std::size_t count = lanes(m, x + start, y + start, left, certified);
    restore_flags_but_inexact(before, certified);
    for (std::size_t k = 0; k < count; ++k) y[start + left[k]] = scalar(x[start + left[k]]);
  }
}

// Out of line, so that the fixed directions' rounding scopes below have a
// call at each edge.
[[gnu::noinline]] void batch(std::size_t n, const ravo_c_complex* x, ravo_c_complex* y) {
  const Target& target = g_target.get();
  if (target.lanes == nullptr || n == 0 || !binary64_is_standard(binary64_status()))
    return scalar_loop(n, x, y, cr_csqrt_scalar);
  chunks(n, x, y, cr_csqrt_scalar,
         [&](std::size_t m, const ravo_c_complex* a, ravo_c_complex* b, std::uint32_t* left, bool& certified) {
           return target.lanes(m, reinterpret_cast<const double*>(a), reinterpret_cast<double*>(b), left, certified);
         });
}

// A fixed direction: the library's mode set for the whole array, once per
// call (the vector lanes' last additions round in it, and the elements left
// to cr_csqrt_scalar take it from the x87 word), and put back.
template <RoundingMode kMode>
void batch_in(std::size_t n, const ravo_c_complex* x, ravo_c_complex* y) {
  const RoundingScope scope(kMode);
  batch(n, x, y);
}

// Binary32 values round in `mode` by integer steps, in the lanes and in
// `scalar` (cr_csqrtf_scalar or the entry of that fixed direction), so a
// fixed direction needs no scope.
void batch32(std::size_t n, const ravo_c_complex_float* x, ravo_c_complex_float* y, RoundingMode mode,
             ravo_c_complex_float (*scalar)(ravo_c_complex_float)) {
  const Target& target = g_target.get();
  if (target.lanes32 == nullptr || n == 0 || !binary64_traps_masked(binary64_status()))
    return scalar_loop(n, x, y, scalar);
  chunks(
      n, x, y, scalar,
      [&](std::size_t m, const ravo_c_complex_float* a, ravo_c_complex_float* b, std::uint32_t* left, bool& certified) {
        return target.lanes32(m, reinterpret_cast<const float*>(a), reinterpret_cast<float*>(b), left, certified, mode);
      });
}

}  // namespace

extern "C" void cr_csqrt_batch(size_t n, const ravo_c_complex* x, ravo_c_complex* y) { batch(n, x, y); }
extern "C" void cr_csqrt_batch_rn(size_t n, const ravo_c_complex* x, ravo_c_complex* y) {
  batch_in<kToNearest>(n, x, y);
}
extern "C" void cr_csqrt_batch_rd(size_t n, const ravo_c_complex* x, ravo_c_complex* y) {
  batch_in<kDownward>(n, x, y);
}
extern "C" void cr_csqrt_batch_ru(size_t n, const ravo_c_complex* x, ravo_c_complex* y) { batch_in<kUpward>(n, x, y); }
extern "C" void cr_csqrt_batch_rz(size_t n, const ravo_c_complex* x, ravo_c_complex* y) {
  batch_in<kTowardZero>(n, x, y);
}

extern "C" void cr_csqrtf_batch(size_t n, const ravo_c_complex_float* x, ravo_c_complex_float* y) {
  batch32(n, x, y, library_rounding(), cr_csqrtf_scalar);
}
extern "C" void cr_csqrtf_batch_rn(size_t n, const ravo_c_complex_float* x, ravo_c_complex_float* y) {
  batch32(n, x, y, kToNearest, cr_csqrtf_rn);
}
extern "C" void cr_csqrtf_batch_rd(size_t n, const ravo_c_complex_float* x, ravo_c_complex_float* y) {
  batch32(n, x, y, kDownward, cr_csqrtf_rd);
}
extern "C" void cr_csqrtf_batch_ru(size_t n, const ravo_c_complex_float* x, ravo_c_complex_float* y) {
  batch32(n, x, y, kUpward, cr_csqrtf_ru);
}
extern "C" void cr_csqrtf_batch_rz(size_t n, const ravo_c_complex_float* x, ravo_c_complex_float* y) {
  batch32(n, x, y, kTowardZero, cr_csqrtf_rz);
}

extern "C" const char* cr_csqrt_batch_implementation(void) { return g_target.get().name; }
