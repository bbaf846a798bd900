#include "binary32.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <cfenv>
#include <complex>
#include <cstdio>
#include <iterator>
#include <span>
#include <thread>

#include "call_in_mode.h"
#include "csqrt_oracle.h"
#include "hard_cases.h"
#include "input_classes.h"

namespace ravo_accuracy {
namespace {

using cplx = std::complex<float>;

std::uint32_t bits(float v) { return std::bit_cast<std::uint32_t>(v); }

struct Result {
  std::uint32_t re, im;
  int flags;
};

// One argument that went wrong, kept as the lowest-numbered of its class.
struct Failure {
  std::uint64_t index = UINT64_MAX;
  float x = 0, y = 0;
  Result got{}, want{};
  const char* what = "";
};

struct Stats {
  std::uint64_t samples = 0, re_wrong = 0, im_wrong = 0, flags_wrong = 0, pairs_right = 0;
  // The array function against the scalar loop: elements whose bits or
  // flags differ, and calls whose flags are not the union of the loop's.
  std::uint64_t batch_differs = 0;
  // Expected exact roots and underflows: how much of a class reaches them.
  std::uint64_t exact = 0, underflow = 0;
  Failure first;
  void merge(const Stats& o) {
    samples += o.samples, re_wrong += o.re_wrong, im_wrong += o.im_wrong, flags_wrong += o.flags_wrong;
    pairs_right += o.pairs_right, batch_differs += o.batch_differs, exact += o.exact, underflow += o.underflow;
    if (o.first.index < first.index) first = o.first;
  }
  bool clean() const { return re_wrong == 0 && im_wrong == 0 && flags_wrong == 0 && batch_differs == 0; }
};

constexpr int kFlags = FE_INVALID | FE_INEXACT | FE_UNDERFLOW | FE_OVERFLOW | FE_DIVBYZERO;

// The mode the thread is in while a fixed direction's entry runs: never
// the direction's own.
int other_mode(int fe) { return fe == FE_UPWARD ? FE_DOWNWARD : FE_UPWARD; }

// The functions measured in one mode.
struct Entry {
  int thread_mode;
  ravo_tools::CsqrtfFunction scalar;
  ravo_tools::CsqrtfArrayFunction batch;
};

Entry entry_for(int fe, const Binary32Options& opt) {
  if (opt.fixed_direction)
    for (const auto& d : ravo_tools::kFixedDirections32)
      if (d.fe == fe) return {other_mode(fe), d.scalar, d.batch};
  return {fe, cr_csqrtf_scalar, cr_csqrtf_batch};
}

Result call_scalar(const Entry& e, cplx z) {
  std::fesetround(e.thread_mode);
  std::feclearexcept(FE_ALL_EXCEPT);
  const cplx w = e.scalar(z);
  const int flags = std::fetestexcept(kFlags);
  std::fesetround(FE_TONEAREST);
  return {bits(w.real()), bits(w.imag()), flags};
}

// The array function over n arguments; returns the flags of the call.
int call_batch(const Entry& e, std::size_t n, const cplx* in, cplx* out) {
  std::fesetround(e.thread_mode);
  std::feclearexcept(FE_ALL_EXCEPT);
  e.batch(n, in, out);
  const int flags = std::fetestexcept(kFlags);
  std::fesetround(FE_TONEAREST);
  return flags;
}

// One argument's own flags from the array function: sixteen copies (the
// widest vector's binary32 lanes), all of whose results must agree.
Result batch_alone(const Entry& e, cplx z) {
  cplx in[16], out[16];
  std::fill(std::begin(in), std::end(in), z);
  const int flags = call_batch(e, 16, in, out);
  for (const cplx& w : out)
    if (bits(w.real()) != bits(out[0].real()) || bits(w.imag()) != bits(out[0].imag())) return {~0u, ~0u, -1};
  return {bits(out[0].real()), bits(out[0].imag()), flags};
}

// Measures the arguments in one mode against MPC's results `want`, into s;
// `first_index` numbers the arguments for the failure kept.
void measure(std::span<const cplx> args, std::span<const Result> want, int fe, const Binary32Options& opt,
             std::uint64_t first_index, Stats& s) {
  const Entry e = entry_for(fe, opt);
  std::vector<cplx> out(args.size());
  int union_flags = 0, loop_flags = 0;
  if (opt.batch) union_flags = call_batch(e, args.size(), args.data(), out.data());
  const auto fail = [&](std::size_t i, const Result& got, const char* what) {
    if (first_index + i < s.first.index)
      s.first = {first_index + i, args[i].real(), args[i].imag(), got, want[i], what};
  };
  for (std::size_t i = 0; i < args.size(); ++i) {
    const Result scalar = call_scalar(e, args[i]);
    loop_flags |= scalar.flags;
    Result got = scalar;
    if (opt.batch) {
      const Result alone = batch_alone(e, args[i]);
      got = {bits(out[i].real()), bits(out[i].imag()), alone.flags};
      if (got.re != scalar.re || got.im != scalar.im || alone.re != scalar.re || alone.im != scalar.im ||
          alone.flags != scalar.flags) {
        ++s.batch_differs;
        fail(i, got, "array function differs from the scalar loop");
      }
    }
    const Result& w = want[i];
    ++s.samples;
    s.exact += w.flags == 0;
    s.underflow += (w.flags & FE_UNDERFLOW) != 0;
    s.re_wrong += got.re != w.re;
    s.im_wrong += got.im != w.im;
    s.flags_wrong += got.flags != w.flags;
    s.pairs_right += got.re == w.re && got.im == w.im;
    if (got.re != w.re || got.im != w.im) fail(i, got, "misrounded");
    if (got.flags != w.flags) fail(i, got, "wrong flags");
  }
  if (opt.batch && union_flags != loop_flags) {
    ++s.batch_differs;
    if (first_index < s.first.index)
      s.first = {first_index, 0, 0, {0, 0, union_flags}, {0, 0, loop_flags}, "array call's flags"};
  }
}

// MPC's results for every argument in every mode of opt: want[m][i].
std::vector<std::vector<Result>> oracle_results(std::span<const cplx> args, const Binary32Options& opt,
                                                ravo_oracle::CsqrtOracle& oracle) {
  std::vector<std::vector<Result>> want(opt.modes.size(), std::vector<Result>(args.size()));
  for (std::size_t i = 0; i < args.size(); ++i) {
    oracle.set(args[i].real(), args[i].imag());
    for (std::size_t m = 0; m < opt.modes.size(); ++m) {
      const auto r = oracle.rounded32_with_flags(opt.modes[m]);
      want[m][i] = {bits(r.re), bits(r.im), r.flags};
    }
  }
  return want;
}

const char* mode_name(int fe) {
  for (const auto& m : ravo_tools::kRoundingModes)
    if (m.fe == fe) return m.name;
  return "?";
}

double percent(std::uint64_t count, std::uint64_t total) {
  return total == 0 ? 0.0 : 100.0 * static_cast<double>(count) / static_cast<double>(total);
}

void print_failure(const char* label, const Failure& f) {
  if (f.index == UINT64_MAX) return;
  std::printf("  %-14s #%llu %a %a (0x%08x 0x%08x): %s: got 0x%08x 0x%08x flags 0x%x, want 0x%08x 0x%08x flags 0x%x\n",
              label, static_cast<unsigned long long>(f.index), static_cast<double>(f.x), static_cast<double>(f.y),
              bits(f.x), bits(f.y), f.what, f.got.re, f.got.im, static_cast<unsigned>(f.got.flags), f.want.re,
              f.want.im, static_cast<unsigned>(f.want.flags));
}

void print_header() {
  std::printf("%-14s | %10s %9s %9s %11s %10s %9s | %8s %10s\n", "class", "samples", "re wrong", "im wrong",
              "flags wrong", "pair CR %", "batch !=", "exact %", "underflow %");
}

void print_row(const char* name, const Stats& s) {
  std::printf("%-14s | %10llu %9llu %9llu %11llu %10.4f %9llu | %8.4f %10.4f\n", name,
              static_cast<unsigned long long>(s.samples), static_cast<unsigned long long>(s.re_wrong),
              static_cast<unsigned long long>(s.im_wrong), static_cast<unsigned long long>(s.flags_wrong),
              percent(s.pairs_right, s.samples), static_cast<unsigned long long>(s.batch_differs),
              percent(s.exact, s.samples), percent(s.underflow, s.samples));
}

}  // namespace

int run_binary32(const Binary32Options& opt) {
  const auto classes = input_classes32();
  constexpr std::uint64_t kChunk = 1024;
  const std::uint64_t chunks_per_class = (opt.samples + kChunk - 1) / kChunk;
  const std::uint64_t total_chunks = chunks_per_class * classes.size();
  // stats[m][class], per thread, then merged.
  using Table = std::vector<std::vector<Stats>>;
  std::vector<Table> partial(opt.threads, Table(opt.modes.size(), std::vector<Stats>(classes.size())));
  std::atomic<std::uint64_t> next_chunk{0};
  std::vector<std::thread> workers;
  for (unsigned t = 0; t < opt.threads; ++t)
    workers.emplace_back([&, t] {
      ravo_oracle::CsqrtOracle oracle;
      std::vector<cplx> args;
      for (std::uint64_t c; (c = next_chunk++) < total_chunks;) {
        const std::size_t cls = c / chunks_per_class;
        const std::uint64_t begin = (c % chunks_per_class) * kChunk, end = std::min(begin + kChunk, opt.samples);
        args.clear();
        for (std::uint64_t i = begin; i < end; ++i) {
          const auto [x, y] = classes[cls].generate(opt.seed, i);
          args.emplace_back(x, y);
        }
        const auto want = oracle_results(args, opt, oracle);
        for (std::size_t m = 0; m < opt.modes.size(); ++m)
          measure(args, want[m], opt.modes[m], opt, begin, partial[t][m][cls]);
      }
    });
  for (auto& w : workers) w.join();
  Table table(opt.modes.size(), std::vector<Stats>(classes.size()));
  for (const Table& p : partial)
    for (std::size_t m = 0; m < p.size(); ++m)
      for (std::size_t c = 0; c < classes.size(); ++c) table[m][c].merge(p[m][c]);

  // The hard corpus, in one array per mode.
  std::vector<cplx> hard;
  for (const auto& h : ravo_corpus::hard_cases32(opt.seed)) hard.emplace_back(h.x, h.y);
  ravo_oracle::CsqrtOracle oracle;
  const auto hard_want = oracle_results(hard, opt, oracle);
  std::vector<Stats> hard_stats(opt.modes.size());
  for (std::size_t m = 0; m < opt.modes.size(); ++m) measure(hard, hard_want[m], opt.modes[m], opt, 0, hard_stats[m]);

  // Counts and shares cut toward zero, as in the binary64 report: 99.99995 %
  // shows as 99.9999, never 100.
  std::fesetround(FE_TOWARDZERO);
  const char* const measured = opt.batch ? (opt.fixed_direction ? "cr_csqrtf_batch_rn ... _rz" : "cr_csqrtf_batch")
                                         : (opt.fixed_direction ? "cr_csqrtf_rn ... _rz" : "cr_csqrtf_scalar");
  std::printf(
      "csqrtf accuracy: %s against MPC rounded to binary32, bits and flags; %llu samples per class, seed %llu\n",
      measured, static_cast<unsigned long long>(opt.samples), static_cast<unsigned long long>(opt.seed));
  bool ok = true;
  for (std::size_t m = 0; m < opt.modes.size(); ++m) {
    std::printf("\nrounding %s\n", mode_name(opt.modes[m]));
    print_header();
    for (std::size_t c = 0; c < classes.size(); ++c) print_row(classes[c].name, table[m][c]);
    print_row("hard corpus", hard_stats[m]);
    for (std::size_t c = 0; c < classes.size(); ++c) {
      print_failure(classes[c].name, table[m][c].first);
      ok = ok && table[m][c].clean();
    }
    print_failure("hard corpus", hard_stats[m].first);
    ok = ok && hard_stats[m].clean();
  }
  std::fesetround(FE_TONEAREST);
  if (!ok) std::printf("BOUND EXCEEDED: a binary32 root misrounded, a flag wrong or the array function off the loop\n");
  std::fflush(stdout);
  return opt.check && !ok ? 1 : 0;
}

}  // namespace ravo_accuracy
