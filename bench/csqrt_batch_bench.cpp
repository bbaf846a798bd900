// Time per element of cr_csqrt_batch over arrays of 1,024 and 65,536
// values, beside a loop over the system csqrt, a loop over cr_csqrt_scalar
// and the divider floor: the same array through two vector square roots
// and one vector division per element on the batch's own target, nothing
// else (the arithmetic the kernel cannot avoid). Classes: general (parts in
// 2^+-60), full-range (every binade), hard (the corpus's near-boundary
// arguments, repeated), mixed (general with 1 % specials and 1 % axes).
// Ends with a table of ratios against the system loop of the same run.
#include <benchmark/benchmark.h>

#include <cfenv>
#include <cmath>
#include <complex>
#include <cstdio>
#include <cstring>
#include <limits>
#include <map>
#include <random>
#include <string>
#include <vector>

#if defined(__x86_64__)
#include <immintrin.h>
#elif defined(__aarch64__)
#include <arm_neon.h>
#endif

#include "hard_cases.h"
#include "ravo_libm.h"

using cplx = std::complex<double>;

extern "C" cplx system_csqrt(cplx) __asm__("csqrt");

namespace {

std::vector<cplx> make_inputs(const std::string& cls, std::size_t n) {
  std::mt19937_64 rng(7);
  const auto mag = [&](int lo, int hi) {
    return std::ldexp(1.0 + static_cast<double>(rng() >> 11) * 0x1p-53, lo + static_cast<int>(rng() % (hi - lo + 1))) *
           ((rng() & 1) ? -1 : 1);
  };
  std::vector<cplx> v;
  if (cls == "hard") {
    for (const auto& c : ravo_corpus::hard_cases(1, 4096))
      if (std::string(c.kind) == "near-boundary") v.emplace_back(c.x, c.y);
    for (std::size_t i = 0; v.size() < n; ++i) v.push_back(v[i]);
    v.resize(n);
    return v;
  }
  const double inf = std::numeric_limits<double>::infinity(), nan = std::numeric_limits<double>::quiet_NaN();
  while (v.size() < n) {
    if (cls == "full-range") {
      v.emplace_back(mag(-1022, 1023), mag(-1022, 1023));
    } else if (cls == "mixed" && rng() % 100 == 0) {
      v.emplace_back(rng() & 1 ? inf : nan, mag(-60, 60));
    } else if (cls == "mixed" && rng() % 99 == 0) {
      v.emplace_back(mag(-60, 60), 0.0);
    } else {
      v.emplace_back(mag(-60, 60), mag(-60, 60));
    }
  }
  return v;
}

void batch(const cplx* x, cplx* y, std::size_t n) { cr_csqrt_batch(n, x, y); }

// The fixed directions, and the array function with the thread's mode set to
// the same direction (put back after the call; a call is 65,536 elements).
void batch_rn(const cplx* x, cplx* y, std::size_t n) { cr_csqrt_batch_rn(n, x, y); }
void batch_rd(const cplx* x, cplx* y, std::size_t n) { cr_csqrt_batch_rd(n, x, y); }
void batch_down(const cplx* x, cplx* y, std::size_t n) {
  std::fesetround(FE_DOWNWARD);
  cr_csqrt_batch(n, x, y);
  std::fesetround(FE_TONEAREST);
}

void system_loop(const cplx* x, cplx* y, std::size_t n) {
  for (std::size_t i = 0; i < n; ++i) y[i] = system_csqrt(x[i]);
}

void scalar_loop(const cplx* x, cplx* y, std::size_t n) {
  for (std::size_t i = 0; i < n; ++i) y[i] = cr_csqrt_scalar(x[i]);
}

// Two roots and one division per element, on the batch's vector width: for
// every two vectors of doubles (a vector's width of elements), two roots
// and one division.
#if defined(__x86_64__)
__attribute__((target("avx512f"))) void floor_avx512(const cplx* x, cplx* y, std::size_t n) {
  const auto* in = reinterpret_cast<const double*>(x);
  auto* out = reinterpret_cast<double*>(y);
  for (std::size_t i = 0; i + 8 <= n; i += 8) {
    const __m512d a = _mm512_loadu_pd(in + 2 * i), b = _mm512_loadu_pd(in + 2 * i + 8);
    const __m512d ra = _mm512_mask_sqrt_pd(a, 0xFF, a), rb = _mm512_mask_sqrt_pd(b, 0xFF, b);
    _mm512_storeu_pd(out + 2 * i, _mm512_div_pd(ra, rb));
  }
}
__attribute__((target("avx2"))) void floor_avx2(const cplx* x, cplx* y, std::size_t n) {
  const auto* in = reinterpret_cast<const double*>(x);
  auto* out = reinterpret_cast<double*>(y);
  for (std::size_t i = 0; i + 4 <= n; i += 4) {
    const __m256d a = _mm256_loadu_pd(in + 2 * i), b = _mm256_loadu_pd(in + 2 * i + 4);
    _mm256_storeu_pd(out + 2 * i, _mm256_div_pd(_mm256_sqrt_pd(a), _mm256_sqrt_pd(b)));
  }
}
#elif defined(__aarch64__)
void floor_neon(const cplx* x, cplx* y, std::size_t n) {
  const auto* in = reinterpret_cast<const double*>(x);
  auto* out = reinterpret_cast<double*>(y);
  for (std::size_t i = 0; i + 2 <= n; i += 2) {
    const float64x2_t a = vld1q_f64(in + 2 * i), b = vld1q_f64(in + 2 * i + 2);
    vst1q_f64(out + 2 * i, vdivq_f64(vsqrtq_f64(a), vsqrtq_f64(b)));
  }
}
#endif

using Kernel = void (*)(const cplx*, cplx*, std::size_t);

Kernel divider_floor() {
  const std::string target = cr_csqrt_batch_implementation();
#if defined(__x86_64__)
  if (target == "avx512") return floor_avx512;
  if (target == "avx2") return floor_avx2;
#elif defined(__aarch64__)
  if (target == "neon") return floor_neon;
#endif
  return nullptr;
}

void run(benchmark::State& state, Kernel kernel, const std::vector<cplx>* in) {
  std::vector<cplx> out(in->size());
  for (auto _ : state) {
    kernel(in->data(), out.data(), in->size());
    benchmark::DoNotOptimize(out.data());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * in->size()));
}

class PerElement : public benchmark::ConsoleReporter {
 public:
  std::map<std::string, double> ns;
  std::map<std::string, std::size_t> elements;
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& r : runs) {
      if (r.run_type == Run::RT_Aggregate && r.aggregate_name != "median") continue;
      const double seconds = r.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(r.time_unit);
      const std::string name = r.run_name.function_name;
      ns[name] = seconds * 1e9 / static_cast<double>(elements[name]);
    }
  }
};

}  // namespace

int main(int argc, char** argv) {
  const char* classes[] = {"general", "full-range", "hard", "mixed"};
  const std::size_t sizes[] = {1024, 65536};
  static std::map<std::string, std::vector<cplx>> inputs;
  PerElement reporter;
  const Kernel floor = divider_floor();
  for (std::size_t n : sizes)
    for (const char* c : classes) {
      const std::string key = std::string(c) + "/" + std::to_string(n);
      inputs[key] = make_inputs(c, n);
      const std::pair<const char*, Kernel> kernels[] = {
          {"batch", batch},       {"system", system_loop}, {"scalar", scalar_loop},   {"floor", floor},
          {"batch_rn", batch_rn}, {"batch_rd", batch_rd},  {"batch_down", batch_down}};
      for (const auto& [name, kernel] : kernels) {
        if (kernel == nullptr) continue;
        const std::string full = key + "/" + name;
        reporter.elements[full] = n;
        benchmark::RegisterBenchmark(full.c_str(), run, kernel, &inputs[key])->Unit(benchmark::kMicrosecond);
      }
    }
  benchmark::AddCustomContext("cr_csqrt_batch", cr_csqrt_batch_implementation());
  benchmark::AddCustomContext("cr_csqrt_scalar", cr_csqrt_implementation());
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks(&reporter);

  const auto ns = [&](const std::string& key, const char* name) {
    const auto it = reporter.ns.find(key + "/" + name);
    return it == reporter.ns.end() ? NAN : it->second;
  };
  std::printf("\nns per element; cr_csqrt_batch on %s, cr_csqrt_scalar on %s\n\n", cr_csqrt_batch_implementation(),
              cr_csqrt_implementation());
  std::printf(
      "| class | n | batch | system loop | scalar loop | floor | batch/system | batch/floor | scalar/system |\n"
      "|---|---|---|---|---|---|---|---|---|\n");
  for (std::size_t n : sizes)
    for (const char* c : classes) {
      const std::string key = std::string(c) + "/" + std::to_string(n);
      const double b = ns(key, "batch"), s = ns(key, "system"), l = ns(key, "scalar"), f = ns(key, "floor");
      std::printf("| %s | %zu | %.2f | %.2f | %.2f | %.2f | %.2f | %.2f | %.2f |\n", c, n, b, s, l, f, b / s, b / f,
                  l / s);
    }
  // The fixed directions beside the thread-mode array function in the same
  // direction.
  std::printf(
      "\n| class | n | batch_rn | batch (nearest) | batch_rn/batch | batch_rd | batch (down) | batch_rd/batch |\n"
      "|---|---|---|---|---|---|---|---|\n");
  for (std::size_t n : sizes)
    for (const char* c : classes) {
      const std::string key = std::string(c) + "/" + std::to_string(n);
      const double rn = ns(key, "batch_rn"), b = ns(key, "batch"), rd = ns(key, "batch_rd"), d = ns(key, "batch_down");
      std::printf("| %s | %zu | %.2f | %.2f | %.2f | %.2f | %.2f | %.2f |\n", c, n, rn, b, rn / b, rd, d, rd / d);
    }
  benchmark::Shutdown();
}
