// The binary32 functions against the system csqrtf, per element over 65,536
// values: cr_csqrtf_batch beside a loop over the system csqrtf, the same
// values widened through cr_csqrt_batch, and two floors on the batch's own
// target (two roots and one division per element in binary64 lanes, which
// the kernel runs, and the same in binary32 lanes, twice as many per
// vector); cr_csqrtf_scalar's throughput and latency beside the system
// csqrtf's. Classes: general (parts' exponents in [-30, 30]) and mixed
// (general with 1 % specials and 1 % axes). Ends with a table of ratios.
#include <benchmark/benchmark.h>

#include <bit>
#include <cmath>
#include <complex>
#include <cstdint>
#include <cstdio>
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

#include "ravo_libm.h"

using cplx = std::complex<float>;
using cplx64 = std::complex<double>;

extern "C" ravo_c_complex_float system_csqrtf_c(ravo_c_complex_float) __asm__("csqrtf");

namespace {

cplx system_csqrtf(cplx z) {
  __extension__ ravo_c_complex_float c;
  __extension__ __real__ c = z.real();
  __extension__ __imag__ c = z.imag();
  const ravo_c_complex_float w = system_csqrtf_c(c);
  return {__extension__ __real__ w, __extension__ __imag__ w};
}

constexpr std::size_t kSize = 65536;

std::vector<cplx> make_inputs(const std::string& cls) {
  std::mt19937_64 rng(7);
  const auto part = [&] {
    const auto e = static_cast<int>(rng() % 61) - 30;
    return std::ldexp(1.0f + static_cast<float>(rng() >> 41) * 0x1p-23f, e) * ((rng() & 1) ? -1.0f : 1.0f);
  };
  const float inf = std::numeric_limits<float>::infinity(), nan = std::numeric_limits<float>::quiet_NaN();
  std::vector<cplx> v;
  while (v.size() < kSize) {
    if (cls == "mixed" && rng() % 100 == 0)
      v.emplace_back(rng() & 1 ? inf : nan, part());
    else if (cls == "mixed" && rng() % 99 == 0)
      v.emplace_back(part(), 0.0f);
    else
      v.emplace_back(part(), part());
  }
  return v;
}

struct Arrays {
  std::vector<cplx> in, out;
  std::vector<cplx64> wide_in, wide_out;
};

using Kernel = void (*)(Arrays&);

void batch(Arrays& a) { cr_csqrtf_batch(a.in.size(), a.in.data(), a.out.data()); }
void widened_batch(Arrays& a) { cr_csqrt_batch(a.wide_in.size(), a.wide_in.data(), a.wide_out.data()); }
void system_loop(Arrays& a) {
  for (std::size_t i = 0; i < a.in.size(); ++i) a.out[i] = system_csqrtf(a.in[i]);
}
void scalar_loop(Arrays& a) {
  for (std::size_t i = 0; i < a.in.size(); ++i) a.out[i] = cr_csqrtf_scalar(a.in[i]);
}

// Masked, all lanes on: GCC 12's unmasked forms start from an undefined
// vector that -Wmaybe-uninitialized reports.
// Per element two roots and one division, in binary64 lanes (the parts
// widened) and in binary32 lanes, on the batch's vector width.
#if defined(__x86_64__)
__attribute__((target("avx512f"))) void floor64(Arrays& a) {
  const auto* in = reinterpret_cast<const float*>(a.in.data());
  auto* out = reinterpret_cast<float*>(a.out.data());
  for (std::size_t i = 0; i + 8 <= a.in.size(); i += 8) {
    const __m512d z = _mm512_maskz_cvtps_pd(0xFF, _mm256_loadu_ps(in + 2 * i)),
                  w = _mm512_maskz_cvtps_pd(0xFF, _mm256_loadu_ps(in + 2 * i + 8));
    const __m512d r = _mm512_div_pd(_mm512_maskz_sqrt_pd(0xFF, z), _mm512_maskz_sqrt_pd(0xFF, w));
    _mm256_storeu_ps(out + 2 * i, _mm512_maskz_cvtpd_ps(0xFF, r));
  }
}
__attribute__((target("avx512f"))) void floor32(Arrays& a) {
  const auto* in = reinterpret_cast<const float*>(a.in.data());
  auto* out = reinterpret_cast<float*>(a.out.data());
  for (std::size_t i = 0; i + 16 <= a.in.size(); i += 16) {
    const __m512 z = _mm512_loadu_ps(in + 2 * i), w = _mm512_loadu_ps(in + 2 * i + 16);
    _mm512_storeu_ps(out + 2 * i, _mm512_div_ps(_mm512_maskz_sqrt_ps(0xFFFF, z), _mm512_maskz_sqrt_ps(0xFFFF, w)));
  }
}
#endif

void run(benchmark::State& state, Kernel kernel, Arrays* a) {
  for (auto _ : state) {
    kernel(*a);
    benchmark::DoNotOptimize(a->out.data());
    benchmark::DoNotOptimize(a->wide_out.data());
    benchmark::ClobberMemory();
  }
}

using Scalar = cplx (*)(cplx);

// Independent calls, and calls each waiting for the previous result (a
// zero derived from it added to the argument).
template <Scalar f>
void throughput(benchmark::State& state, const std::vector<cplx>* in) {
  for (auto _ : state)
    for (const cplx& z : *in) benchmark::DoNotOptimize(f(z));
}
template <Scalar f>
void latency(benchmark::State& state, const std::vector<cplx>* in) {
  std::uint32_t zero_mask = 0;
  benchmark::DoNotOptimize(zero_mask);
  cplx w{0, 0};
  for (auto _ : state)
    for (const cplx& z : *in) {
      const float dep = std::bit_cast<float>(std::bit_cast<std::uint32_t>(w.real()) & zero_mask);
      w = f({z.real() + dep, z.imag()});
    }
  benchmark::DoNotOptimize(w);
}
cplx cr(cplx z) { return cr_csqrtf_scalar(z); }
cplx sys(cplx z) { return system_csqrtf(z); }

class PerElement : public benchmark::ConsoleReporter {
 public:
  std::map<std::string, double> ns;
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& r : runs) {
      if (r.run_type == Run::RT_Aggregate && r.aggregate_name != "median") continue;
      const double seconds = r.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(r.time_unit);
      ns[r.run_name.function_name] = seconds * 1e9 / static_cast<double>(kSize);
    }
  }
};

}  // namespace

int main(int argc, char** argv) {
  static std::map<std::string, Arrays> arrays;
  static std::map<std::string, std::vector<cplx>> inputs;
  const std::string target = cr_csqrt_batch_implementation();
  for (const char* c : {"general", "mixed"}) {
    Arrays& a = arrays[c];
    a.in = make_inputs(c);
    a.out.resize(kSize);
    for (const cplx& z : a.in) a.wide_in.emplace_back(z.real(), z.imag());
    a.wide_out.resize(kSize);
    std::vector<std::pair<const char*, Kernel>> kernels = {
        {"batch", batch}, {"system", system_loop}, {"scalar", scalar_loop}, {"widened", widened_batch}};
#if defined(__x86_64__)
    if (target == "avx512") kernels.insert(kernels.end(), {{"floor64", floor64}, {"floor32", floor32}});
#endif
    for (const auto& [name, kernel] : kernels)
      benchmark::RegisterBenchmark((std::string("batch/") + c + "/" + name).c_str(), run, kernel, &a)
          ->Unit(benchmark::kMicrosecond);
  }
  inputs["general"] = arrays["general"].in;
  for (const char* impl : {"cr", "system"}) {
    const bool is_cr = std::string(impl) == "cr";
    benchmark::RegisterBenchmark((std::string("throughput/general/") + impl).c_str(),
                                 is_cr ? throughput<cr> : throughput<sys>, &inputs["general"])
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark((std::string("latency/general/") + impl).c_str(), is_cr ? latency<cr> : latency<sys>,
                                 &inputs["general"])
        ->Unit(benchmark::kMicrosecond);
  }
  benchmark::AddCustomContext("cr_csqrt_batch", target);
  benchmark::Initialize(&argc, argv);
  PerElement reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);

  const auto ns = [&](const std::string& name) {
    const auto it = reporter.ns.find(name);
    return it == reporter.ns.end() ? NAN : it->second;
  };
  std::printf("\nns per element (%zu values); arrays on %s\n\n", kSize, target.c_str());
  std::printf(
      "| class | batch | system loop | widened batch | floor64 | floor32 | batch/system | batch/widened | "
      "batch/floor64 |\n|---|---|---|---|---|---|---|---|---|\n");
  for (const char* c : {"general", "mixed"}) {
    const std::string k = std::string("batch/") + c + "/";
    const double b = ns(k + "batch"), s = ns(k + "system"), w = ns(k + "widened"), f = ns(k + "floor64");
    std::printf("| %s | %.2f | %.2f | %.2f | %.2f | %.2f | %.3f | %.2f | %.2f |\n", c, b, s, w, f, ns(k + "floor32"),
                b / s, b / w, b / f);
  }
  std::printf("\n| cr_csqrtf_scalar, general | cr | system | cr/system |\n|---|---|---|---|\n");
  for (const char* kind : {"throughput", "latency"}) {
    const double c = ns(std::string(kind) + "/general/cr"), s = ns(std::string(kind) + "/general/system");
    std::printf("| %s | %.2f | %.2f | %.2f |\n", kind, c, s, c / s);
  }
}
