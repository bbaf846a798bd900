// Throughput and latency of csqrt_scalar, cr_csqrt_scalar, the system csqrt and
// std::sqrt(std::complex<double>) per input class, with an empty call as the
// harness baseline and, on x86-64, an inline x87 formula as the design's limit.
// The hard class is arguments whose roots lie within a few thousandths of an
// ulp of a rounding boundary, where cr_csqrt_scalar takes its exact decision.
// Ends with a table of ratios against the system csqrt of the same run.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <bit>
#include <cfenv>
#include <cmath>
#include <complex>
#include <cstdio>
#include <limits>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "hard_cases.h"
#include "ravo_libm.h"

using cplx = std::complex<double>;

// The C library's csqrt under its own symbol: std::complex<double> has the
// calling convention of double _Complex on x86-64 System V and on AArch64
// (a homogeneous aggregate of two doubles).
extern "C" cplx system_csqrt(cplx) __asm__("csqrt");

namespace {

[[gnu::noinline]] cplx empty_call(cplx z) {
  benchmark::DoNotOptimize(z);
  return z;
}

#if defined(__x86_64__)
// The kernel's formula written plainly and inlined into the loop: two fsqrt
// and one fdiv, no classification. Its arguments go through volatile slots
// for the same reason as the library's (GCC's shared SSE <-> x87 slot would
// otherwise serialise successive calls), so it shows the arithmetic's limit.
// long double is the x87 format on x86-64 only; elsewhere this would time
// software binary128, so the row is left out (its columns print nan).
inline cplx inline_formula(cplx z) {
  volatile double sx = z.real(), sy = z.imag();
  const long double x = sx, y = sy;
  const long double r = __builtin_sqrtl(x * x + y * y);
  if (x > 0) {
    const long double t = __builtin_sqrtl(0.5L * (x + r));
    return {static_cast<double>(t), static_cast<double>(0.5L * y / t)};
  }
  const long double t = __builtin_sqrtl(0.5L * (r - x));
  const double im = static_cast<double>(t);
  return {std::fabs(static_cast<double>(0.5L * y / t)), y < 0 ? -im : im};
}
#endif

cplx std_sqrt(cplx z) { return std::sqrt(z); }

// Large enough that the branch predictor cannot learn the sequence of
// classes and signs, which flatters branchy code.
constexpr std::size_t kInputs = 65536;
// The hard class repeats the corpus's near-boundary arguments (about 2,500).
constexpr std::size_t kHardDraws = 4096;

std::vector<cplx> make_inputs(const std::string& cls) {
  std::mt19937_64 rng(42);
  const auto mag = [&](int lo, int hi) {
    return std::ldexp(1.0 + static_cast<double>(rng() >> 11) * 0x1p-53, lo + static_cast<int>(rng() % (hi - lo + 1))) *
           ((rng() & 1) ? -1 : 1);
  };
  const double inf = std::numeric_limits<double>::infinity(), nan = std::numeric_limits<double>::quiet_NaN();
  std::vector<cplx> v;
  if (cls == "hard") {
    for (const auto& c : ravo_corpus::hard_cases(1, kHardDraws))
      if (std::string(c.kind) == "near-boundary") v.emplace_back(c.x, c.y);
    for (std::size_t i = 0; v.size() < kInputs; ++i) v.push_back(v[i]);
    return v;
  }
  while (v.size() < kInputs) {
    if (cls == "general") {
      v.emplace_back(mag(-60, 60), mag(-60, 60));
    } else if (cls == "axis") {
      const double a = mag(-60, 60);
      const double zero = (rng() & 1) ? 0.0 : -0.0;
      v.push_back((rng() & 1) ? cplx(a, zero) : cplx(zero, a));
    } else if (cls == "special") {
      const double s[] = {inf, -inf, nan, -nan, 1.5, -0.0};
      v.emplace_back(s[rng() % 6], s[rng() % 4]);
    } else {  // tiny: subnormal parts
      v.emplace_back(mag(-1074, -1023), mag(-1074, -1023));
    }
  }
  return v;
}

// The function is a template argument, so every call is direct (and the
// inline formula is inlined), as in a caller's own loop.
template <cplx (*fn)(cplx)>
void throughput(benchmark::State& state, const std::vector<cplx>& in) {
  for (auto _ : state)
    for (const cplx& z : in) {
      cplx w = fn(z);
      benchmark::DoNotOptimize(w);
    }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * in.size()));
}

// Each argument depends on the previous result through an integer OR with a
// mask that is zero at run time, so values are unchanged but calls serialise.
template <cplx (*fn)(cplx)>
void latency(benchmark::State& state, const std::vector<cplx>& in) {
  std::uint64_t zero_mask = 0;
  benchmark::DoNotOptimize(zero_mask);
  cplx w{0, 0};
  for (auto _ : state)
    for (const cplx& z : in) {
      const std::uint64_t dep = std::bit_cast<std::uint64_t>(w.real()) & zero_mask;
      w = fn({std::bit_cast<double>(std::bit_cast<std::uint64_t>(z.real()) | dep), z.imag()});
    }
  benchmark::DoNotOptimize(w);
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * in.size()));
}

// A benchmark with the thread's mode set for its whole run.
template <void (*bench)(benchmark::State&, const std::vector<cplx>&), int kMode>
void in_mode(benchmark::State& state, const std::vector<cplx>& in) {
  std::fesetround(kMode);
  bench(state, in);
  std::fesetround(FE_TONEAREST);
}

// Collects the per-call time of each run (median when repeated) for the table.
// Colours only on a terminal: a reporter passed in does not get the
// library's --benchmark_color=auto handling.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  RatioReporter() : ConsoleReporter(isatty(STDOUT_FILENO) ? OO_ColorTabular : OO_Tabular) {}
  std::map<std::string, double> ns_per_call;

  // Debian's libbenchmark is built without NDEBUG and warns "Library was
  // built as DEBUG" in the context; that is the harness, whose timing loop
  // is unaffected, not this library (built Release), so the line is dropped.
  bool ReportContext(const Context& context) override {
    std::ostringstream text;
    std::ostream& err = GetErrorStream();
    SetErrorStream(&text);
    const bool ok = ConsoleReporter::ReportContext(context);
    SetErrorStream(&err);
    std::istringstream lines(text.str());
    for (std::string line; std::getline(lines, line);)
      if (line.find("Library was built as DEBUG") == std::string::npos) err << line << '\n';
    return ok;
  }

  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& r : runs) {
      if (r.run_type == Run::RT_Aggregate && r.aggregate_name != "median") continue;
      const double seconds = r.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(r.time_unit);
      const double ns = seconds * 1e9 / static_cast<double>(kInputs);
      ns_per_call[r.run_name.function_name] = ns;
    }
  }
};

}  // namespace

int main(int argc, char** argv) {
  const std::string classes[] = {"general", "axis", "special", "tiny", "hard"};
  static std::map<std::string, std::vector<cplx>> inputs;
  for (const auto& c : classes) inputs[c] = make_inputs(c);
  using Bench = void (*)(benchmark::State&, const std::vector<cplx>&);
  const std::pair<const char*, Bench> impls[][2] = {
    {{"ravo", throughput<csqrt_scalar>}, {"ravo", latency<csqrt_scalar>}},
    {{"cr", throughput<cr_csqrt_scalar>}, {"cr", latency<cr_csqrt_scalar>}},
    {{"system", throughput<system_csqrt>}, {"system", latency<system_csqrt>}},
    {{"std", throughput<std_sqrt>}, {"std", latency<std_sqrt>}},
#if defined(__x86_64__)
    {{"inline", throughput<inline_formula>}, {"inline", latency<inline_formula>}},
#endif
    {{"empty", throughput<empty_call>}, {"empty", latency<empty_call>}},
    // The fixed directions (the thread in round to nearest) beside
    // cr_csqrt_scalar with the thread's mode set to the same direction.
    {{"cr_rn", throughput<cr_csqrt_rn>}, {"cr_rn", latency<cr_csqrt_rn>}},
    {{"cr_rd", throughput<cr_csqrt_rd>}, {"cr_rd", latency<cr_csqrt_rd>}},
    {{"cr_down", in_mode<throughput<cr_csqrt_scalar>, FE_DOWNWARD>},
     {"cr_down", in_mode<latency<cr_csqrt_scalar>, FE_DOWNWARD>}},
  };
  for (int kind = 0; kind < 2; ++kind)
    for (const auto& c : classes)
      for (const auto& impl : impls) {
        const auto& [impl_name, bench] = impl[kind];
        const std::string name = std::string(kind == 0 ? "throughput/" : "latency/") + c + "/" + impl_name;
        benchmark::RegisterBenchmark(name.c_str(), bench, std::cref(inputs[c]))->Unit(benchmark::kMicrosecond);
      }
  benchmark::AddCustomContext("cr_csqrt_scalar", cr_csqrt_implementation());
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);

  // The table of docs/speed.md, as Markdown rows.
  std::printf("\nns per call, and ratios in this run (lower is faster); cr_csqrt_scalar runs %s\n\n",
              cr_csqrt_implementation());
  std::printf(
      "| kind | class | ravo ns | cr ns | system ns | std ns | inline ns | empty ns | ravo/system | cr/system "
      "| cr/ravo |\n|---|---|---|---|---|---|---|---|---|---|---|\n");
  for (const char* kind : {"throughput", "latency"})
    for (const auto& c : classes) {
      const auto ns = [&](const char* impl) {
        const auto it = reporter.ns_per_call.find(std::string(kind) + "/" + c + "/" + impl);
        return it == reporter.ns_per_call.end() ? NAN : it->second;
      };
      const double sys = ns("system");
      std::printf("| %s | %s | %.2f | %.2f | %.2f | %.2f | %.2f | %.2f | %.2f | %.2f | %.2f |\n", kind, c.c_str(),
                  ns("ravo"), ns("cr"), sys, ns("std"), ns("inline"), ns("empty"), ns("ravo") / sys, ns("cr") / sys,
                  ns("cr") / ns("ravo"));
    }
  std::printf(
      "\n| kind | class | cr_rn ns | cr (nearest) ns | cr_rn/cr | cr_rd ns | cr (down) ns | cr_rd/cr |\n"
      "|---|---|---|---|---|---|---|---|\n");
  for (const char* kind : {"throughput", "latency"})
    for (const auto& c : classes) {
      const auto ns = [&](const char* impl) {
        const auto it = reporter.ns_per_call.find(std::string(kind) + "/" + c + "/" + impl);
        return it == reporter.ns_per_call.end() ? NAN : it->second;
      };
      std::printf("| %s | %s | %.2f | %.2f | %.2f | %.2f | %.2f | %.2f |\n", kind, c.c_str(), ns("cr_rn"), ns("cr"),
                  ns("cr_rn") / ns("cr"), ns("cr_rd"), ns("cr_down"), ns("cr_rd") / ns("cr_down"));
    }
  benchmark::Shutdown();
}
