// csqrt-accuracy: ulp errors and flags of csqrt_scalar, cr_csqrt_scalar and
// the system csqrt against MPC, per input class and rounding mode, on seeded
// reproducible samples, then on the hard-case corpus; and how often
// cr_csqrt_scalar takes its exact decision. With --float, cr_csqrtf_scalar
// against MPC rounded to binary32 instead (binary32.cpp).
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <bit>
#include <cfenv>
#include <chrono>
#include <complex>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "binary32.h"
#include "call_in_mode.h"
#include "command_line.h"
#include "cr_csqrt_way.h"
#include "csqrt_oracle.h"
#include "error_plane.h"
#include "hard_cases.h"
#include "input_classes.h"
#include "part_stats.h"
#include "ravo_libm.h"

extern "C" void system_csqrt(double x, double y, double out[2]);

namespace {

using ravo_accuracy::Bound;
using ravo_accuracy::ErrorPlane;
using ravo_accuracy::ImplStats;
using ravo_accuracy::PartStats;

// The bounds --check holds csqrt_scalar to. Upward and downward, a negative
// part computed as a magnitude is rounded against the mode, which leaves
// about three pairs in four correctly rounded; toward zero rounds magnitudes
// only, so it does as well as round to nearest.
struct Mode {
  const char* name;
  int fe;
  Bound bound;
};
constexpr Mode kModes[] = {
    {"nearest", FE_TONEAREST, {0.501, true, 0.999}},
    {"down", FE_DOWNWARD, {1.002, false, 0.70}},
    {"up", FE_UPWARD, {1.002, false, 0.70}},
    {"zero", FE_TOWARDZERO, {1.002, false, 0.998}},
};

// cr_csqrt_scalar is held to correct rounding and exact flags in every mode,
// and below one ulp in the directed ones: the errors are rounded toward zero
// (see run_chunk), so a part rounded away from far below 2^-1074, the
// smallest subnormal 1 - 2^-87 ulp off, counts below one ulp, as it is.
constexpr Bound kCorrectlyRounded[] = {{0.5, true, 1.0, 1.0}, {1.0, true, 1.0, 1.0}};

struct Impl {
  const char* name;
  void (*call)(double x, double y, double out[2]);
  bool correctly_rounded;
};
template <ravo_complex_double (*f)(ravo_complex_double)>
void library_call(double x, double y, double out[2]) {
  const std::complex<double> w = f({x, y});
  out[0] = w.real();
  out[1] = w.imag();
}
// With --batch, cr_csqrt_scalar's row is measured through cr_csqrt_batch:
// each argument as eight copies, so that it takes the vector lanes.
bool g_through_batch = false;
// With --fixed-direction, through the entry of the mode being measured
// (cr_csqrt_rd for down, and so on, or its array form with --batch), called
// while the thread's mode is another one, which it must not follow.
bool g_fixed_direction = false;
void cr_call(double x, double y, double out[2]) {
  ravo_tools::CsqrtFunction scalar = cr_csqrt_scalar;
  ravo_tools::CsqrtArrayFunction batch = cr_csqrt_batch;
  const int mode = std::fegetround();
  if (g_fixed_direction) {
    for (const auto& d : ravo_tools::kFixedDirections)
      if (d.fe == mode) scalar = d.scalar, batch = d.batch;
    std::fesetround(mode == FE_UPWARD ? FE_DOWNWARD : FE_UPWARD);
  }
  std::complex<double> w[8];
  if (g_through_batch) {
    std::complex<double> z[8];
    for (auto& v : z) v = {x, y};
    batch(8, z, w);
  } else {
    w[0] = scalar({x, y});
  }
  std::fesetround(mode);
  out[0] = w[0].real();
  out[1] = w[0].imag();
}
constexpr Impl kImpls[] = {
    {"ravo", library_call<csqrt_scalar>, false}, {"cr", cr_call, true}, {"system", system_csqrt, false}};
constexpr std::size_t kNumImpls = std::size(kImpls);

struct Options {
  std::uint64_t samples = 100000;
  std::uint64_t seed = 1;
  std::vector<std::size_t> modes = {0};
  unsigned threads = std::max(1u, std::thread::hardware_concurrency());
  std::string csv;
  std::string plane_csv;
  int plane_cell = 16;  // binades a side
  bool check = false;
  bool binary32 = false;  // --float
};

// Parses the command line into o and opens the output files; returns the
// exit status when the tool is done (help, version, a bad option or path).
std::optional<int> parse_options(int argc, char** argv, Options& o, std::ofstream& csv, std::ofstream& plane_csv) {
  ravo_tools::CommandLine command_line(
      "csqrt-accuracy",
      "Ulp errors and flags of csqrt_scalar, cr_csqrt_scalar and the system csqrt against MPC, per input class and "
      "rounding mode, on seeded reproducible samples, then on the hard-case corpus.");
  std::string round = "nearest";
  std::uint64_t threads = o.threads, plane_cell = static_cast<std::uint64_t>(o.plane_cell);
  command_line.count("--samples", o.samples, "samples per input class (default 100000)");
  command_line.count("--seed", o.seed, "seed of the samples (default 1)");
  command_line.text("--round", round, "nearest (default), down, up, zero or all", "MODE");
  command_line.count("--threads", threads, "worker threads (default: one per core)");
  command_line.text("--csv", o.csv, "also write the statistics to FILE", "FILE");
  command_line.text("--plane-csv", o.plane_csv, "also write the largest error per cell of the plane to FILE", "FILE");
  command_line.count("--plane-cell", plane_cell, "cell side in binades, 1 to 2100 (default 16)");
  command_line.flag("--check", o.check, "exit 1 when a bound is exceeded");
  command_line.flag("--batch", g_through_batch, "measure the cr row through cr_csqrt_batch");
  command_line.flag("--fixed-direction", g_fixed_direction,
                    "measure the cr row through the entries of a fixed direction (cr_csqrt_rn ... _rz), called "
                    "with the thread in another mode");
  command_line.flag("--float", o.binary32,
                    "cr_csqrtf_scalar on binary32 classes against MPC rounded to binary32 instead, bits and flags "
                    "(with --batch cr_csqrtf_batch, with --fixed-direction cr_csqrtf_rn ... _rz)");
  if (const auto done = command_line.parse(argc, argv)) return done;
  if (o.samples == 0) return command_line.fail("--samples must be at least 1");
  if (threads < 1 || threads > 4096) return command_line.fail("--threads must be 1 to 4096");
  if (plane_cell < 1 || plane_cell > 2100) return command_line.fail("--plane-cell must be 1 to 2100");
  o.threads = static_cast<unsigned>(threads);
  o.plane_cell = static_cast<int>(plane_cell);
  o.modes.clear();
  for (std::size_t k = 0; k < std::size(kModes); ++k)
    if (round == "all" || round == kModes[k].name) o.modes.push_back(k);
  if (o.modes.empty()) return command_line.fail("unknown rounding mode '" + round + "'");
  if (o.binary32 && (!o.csv.empty() || !o.plane_csv.empty()))
    return command_line.fail("--csv and --plane-csv are for the binary64 functions, not --float");
  if (!o.csv.empty() && !command_line.open_output(o.csv, csv)) return 2;
  if (!o.plane_csv.empty() && !command_line.open_output(o.plane_csv, plane_csv)) return 2;
  return std::nullopt;
}

// stats[mode][class][impl]
using Table = std::vector<std::vector<std::array<ImplStats, kNumImpls>>>;

Table make_table(std::size_t classes) {
  return Table(std::size(kModes), std::vector<std::array<ImplStats, kNumImpls>>(classes));
}

// planes[mode]; empty when no --plane-csv was asked for.
using Planes = std::vector<ErrorPlane>;

Planes make_planes(const Options& opt) {
  return opt.plane_csv.empty() ? Planes{} : Planes(std::size(kModes), ErrorPlane(opt.plane_cell, kNumImpls));
}

// Calls impl in the mode with the flags clear; returns the flags it raised.
int call_in_mode(const Impl& impl, double x, double y, int fe_round, double got[2]) {
  constexpr int kFlags = FE_INVALID | FE_INEXACT | FE_UNDERFLOW | FE_OVERFLOW | FE_DIVBYZERO;
  std::fesetround(fe_round);
  std::feclearexcept(FE_ALL_EXCEPT);
  impl.call(x, y, got);
  const int flags = std::fetestexcept(kFlags);
  std::fesetround(FE_TONEAREST);
  return flags;
}

bool takes_exact_decision(double x, double y, int fe_round) {
  if (x == 0 || y == 0) return false;  // the axes have no exact decision
  std::fesetround(fe_round);
  const bool exact = ravo_accuracy::cr_csqrt_way(x, y) == ravo_accuracy::CrWay::exact_decision;
  std::fesetround(FE_TONEAREST);
  return exact;
}

void run_chunk(const Options& opt, std::size_t cls, std::uint64_t begin, std::uint64_t end,
               ravo_oracle::CsqrtOracle& oracle, Table& table, Planes& planes) {
  const auto& input = ravo_accuracy::input_classes()[cls];
  for (std::uint64_t i = begin; i < end; ++i) {
    const auto [x, y] = input.generate(opt.seed, i);
    oracle.set(x, y);
    for (std::size_t m : opt.modes) {
      const auto [want, want_flags] = oracle.rounded_with_flags(kModes[m].fe);
      if (!planes.empty()) planes[m].count(x, y);
      for (std::size_t k = 0; k < kNumImpls; ++k) {
        double got[2];
        const int flags = call_in_mode(kImpls[k], x, y, kModes[m].fe, got);
        ImplStats& s = table[m][cls][k];
        s.flags_exact += flags == want_flags;
        if (kImpls[k].correctly_rounded) s.exact_decisions += takes_exact_decision(x, y, kModes[m].fe);
        // Rounded toward zero, an error is on the same side of every colour
        // edge and bound as the exact error (error < 0.5 exactly when it is).
        const double err_re = oracle.ulp_error_re(got[0], MPFR_RNDZ), err_im = oracle.ulp_error_im(got[1], MPFR_RNDZ);
        s.re.add(i, x, y, got[0], want.re, err_re);
        s.im.add(i, x, y, got[1], want.im, err_im);
        if (!planes.empty()) planes[m].add(x, y, k, err_re, err_im);
        if (std::bit_cast<std::uint64_t>(got[0]) == std::bit_cast<std::uint64_t>(want.re) &&
            std::bit_cast<std::uint64_t>(got[1]) == std::bit_cast<std::uint64_t>(want.im))
          ++s.pairs_correctly_rounded;
      }
    }
  }
}

Table run_all(const Options& opt, Planes& planes) {
  const std::size_t classes = ravo_accuracy::input_classes().size();
  constexpr std::uint64_t kChunk = 2048;
  const std::uint64_t chunks_per_class = (opt.samples + kChunk - 1) / kChunk;
  const std::uint64_t total_chunks = chunks_per_class * classes;
  std::atomic<std::uint64_t> next_chunk{0}, samples_done{0};
  std::vector<Table> partial(opt.threads, make_table(classes));
  std::vector<Planes> partial_planes(opt.threads, make_planes(opt));

  std::vector<std::thread> workers;
  for (unsigned t = 0; t < opt.threads; ++t) {
    workers.emplace_back([&, t] {
      ravo_oracle::CsqrtOracle oracle;
      for (std::uint64_t c; (c = next_chunk++) < total_chunks;) {
        const std::size_t cls = c / chunks_per_class;
        const std::uint64_t begin = (c % chunks_per_class) * kChunk;
        const std::uint64_t end = std::min(begin + kChunk, opt.samples);
        run_chunk(opt, cls, begin, end, oracle, partial[t], partial_planes[t]);
        samples_done += end - begin;
      }
    });
  }

  const std::uint64_t total = opt.samples * classes;
  const bool show_progress = isatty(STDERR_FILENO) && total * opt.modes.size() >= 200000;
  while (show_progress && samples_done < total) {
    const double done = static_cast<double>(samples_done) / static_cast<double>(total);
    const int filled = static_cast<int>(done * 40);
    std::fprintf(stderr, "\r[%-40s] %5.1f%%", std::string(filled, '#').c_str(), 100 * done);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
  }
  for (auto& w : workers) w.join();
  if (show_progress) std::fprintf(stderr, "\r%60s\r", "");

  Table merged = make_table(classes);
  for (const Table& p : partial)
    for (std::size_t m = 0; m < p.size(); ++m)
      for (std::size_t c = 0; c < classes; ++c)
        for (std::size_t k = 0; k < kNumImpls; ++k) merged[m][c][k].merge(p[m][c][k]);
  planes = make_planes(opt);
  for (const Planes& p : partial_planes)
    for (std::size_t m = 0; m < p.size(); ++m) planes[m].merge(p[m]);
  return merged;
}

std::uint64_t bits(double d) { return std::bit_cast<std::uint64_t>(d); }

double percent(std::uint64_t count, std::uint64_t total) {
  return 100.0 * static_cast<double>(count) / static_cast<double>(total);
}

void print_tables(const Options& opt, const Table& table) {
  const auto classes = ravo_accuracy::input_classes();
  std::printf("csqrt accuracy: %llu samples per class, seed %llu; errors in ulps of the exact root (MPC)\n",
              static_cast<unsigned long long>(opt.samples), static_cast<unsigned long long>(opt.seed));
  for (std::size_t m : opt.modes) {
    std::printf("\nrounding %s\n%-12s %-7s| %10s %9s %7s | %10s %9s %7s | %9s %9s %8s\n", kModes[m].name, "class",
                "impl", "re max", "re CR %", ">=1ulp", "im max", "im CR %", ">=1ulp", "pair CR %", "flags %",
                "exact %");
    for (std::size_t c = 0; c < classes.size(); ++c)
      for (std::size_t k = 0; k < kNumImpls; ++k) {
        const ImplStats& s = table[m][c][k];
        std::printf("%-12s %-7s| %10.6f %9.4f %7llu | %10.6f %9.4f %7llu | %9.4f %9.4f ", k == 0 ? classes[c].name : "",
                    kImpls[k].name, s.re.max_ulp, percent(s.re.correctly_rounded, opt.samples),
                    static_cast<unsigned long long>(s.re.one_ulp_or_more), s.im.max_ulp,
                    percent(s.im.correctly_rounded, opt.samples), static_cast<unsigned long long>(s.im.one_ulp_or_more),
                    percent(s.pairs_correctly_rounded, opt.samples), percent(s.flags_exact, opt.samples));
        if (kImpls[k].correctly_rounded)
          std::printf("%8.4f\n", percent(s.exact_decisions, opt.samples));
        else
          std::printf("%8s\n", "-");
      }
    std::printf("worst cases (x y -> got, want):\n");
    for (std::size_t c = 0; c < classes.size(); ++c)
      for (std::size_t k = 0; k < kNumImpls; ++k) {
        const ImplStats& s = table[m][c][k];
        const bool re_worse = s.re.max_ulp >= s.im.max_ulp;
        const PartStats& p = re_worse ? s.re : s.im;
        std::printf("  %-12s %-7s %s 0x%016llx 0x%016llx -> 0x%016llx, 0x%016llx (%.6f ulp)\n", classes[c].name,
                    kImpls[k].name, re_worse ? "re" : "im", static_cast<unsigned long long>(bits(p.worst_x)),
                    static_cast<unsigned long long>(bits(p.worst_y)),
                    static_cast<unsigned long long>(bits(p.worst_got)),
                    static_cast<unsigned long long>(bits(p.worst_want)), p.max_ulp);
      }
  }
}

// The report's numbers are cut toward zero, not rounded (glibc's printf
// follows the rounding mode), so a figure never crosses an edge it is below:
// a maximum of 0.4999996 ulp shows as 0.499999, not 0.500000, and 99.99995 %
// as 99.9999, not 100.
void print_report(const Options& opt, const Table& table) {
  std::fesetround(FE_TOWARDZERO);
  print_tables(opt, table);
  std::fesetround(FE_TONEAREST);
}

void write_csv(const Options& opt, const Table& table, std::ofstream& out) {
  out << "mode,class,impl,part,max_ulp,correctly_rounded_pct,one_ulp_or_more,pairs_correctly_rounded_pct,"
         "worst_x,worst_y,worst_got,worst_want,flags_exact_pct,exact_decision_pct\n";
  const auto classes = ravo_accuracy::input_classes();
  char buf[512];
  for (std::size_t m : opt.modes)
    for (std::size_t c = 0; c < classes.size(); ++c)
      for (std::size_t k = 0; k < kNumImpls; ++k) {
        const ImplStats& s = table[m][c][k];
        for (const auto& [part, p] : {std::pair{"re", &s.re}, std::pair{"im", &s.im}}) {
          std::snprintf(
              buf, sizeof buf, "%s,%s,%s,%s,%s,%.6f,%llu,%.6f,0x%016llx,0x%016llx,0x%016llx,0x%016llx,%.6f,%.6f\n",
              kModes[m].name, classes[c].name, kImpls[k].name, part, ravo_accuracy::ulp_text(p->max_ulp).c_str(),
              percent(p->correctly_rounded, opt.samples), static_cast<unsigned long long>(p->one_ulp_or_more),
              percent(s.pairs_correctly_rounded, opt.samples), static_cast<unsigned long long>(bits(p->worst_x)),
              static_cast<unsigned long long>(bits(p->worst_y)), static_cast<unsigned long long>(bits(p->worst_got)),
              static_cast<unsigned long long>(bits(p->worst_want)), percent(s.flags_exact, opt.samples),
              percent(s.exact_decisions, opt.samples));
          out << buf;
        }
      }
  out.flush();
  if (!out) {
    std::fprintf(stderr, "csqrt-accuracy: cannot write '%s'\n", opt.csv.c_str());
    std::exit(2);
  }
}

void write_plane_csv(const Options& opt, const Planes& planes, std::ofstream& out) {
  std::vector<std::string> names;
  for (const Impl& impl : kImpls) names.emplace_back(impl.name);
  out << ErrorPlane::header(names);
  for (std::size_t m : opt.modes) planes[m].write_rows(out, kModes[m].name);
  out.flush();
  if (!out) {
    std::fprintf(stderr, "csqrt-accuracy: cannot write '%s'\n", opt.plane_csv.c_str());
    std::exit(2);
  }
}

bool within_bounds(const Options& opt, const Table& table) {
  bool ok = true;
  const auto classes = ravo_accuracy::input_classes();
  for (std::size_t m : opt.modes)
    for (std::size_t c = 0; c < classes.size(); ++c)
      for (std::size_t k = 0; k < kNumImpls; ++k) {
        if (std::string(kImpls[k].name) == "system") continue;
        // --fixed-direction changes the cr row alone; the others' shares
        // of correctly rounded pairs need a plain run's larger samples.
        if (g_fixed_direction && !kImpls[k].correctly_rounded) continue;
        const Bound& bound =
            kImpls[k].correctly_rounded ? kCorrectlyRounded[kModes[m].fe != FE_TONEAREST] : kModes[m].bound;
        if (ravo_accuracy::within(table[m][c][k], opt.samples, bound)) continue;
        std::printf("BOUND EXCEEDED: %s %s %s\n", kImpls[k].name, kModes[m].name, classes[c].name);
        ok = false;
      }
  return ok;
}

// The hard-case corpus in every mode asked for: misrounded pairs and flag
// mismatches per implementation. Returns whether cr_csqrt_scalar had none.
bool run_hard_corpus(const Options& opt) {
  const auto corpus = ravo_corpus::hard_cases(opt.seed);
  ravo_oracle::CsqrtOracle oracle;
  // [mode][impl]: misrounded pairs, wrong flags; and exact decisions of cr.
  std::vector<std::array<std::array<std::uint64_t, 2>, kNumImpls>> wrong(std::size(kModes));
  std::vector<std::uint64_t> decisions(std::size(kModes));
  for (const auto& h : corpus) {
    oracle.set(h.x, h.y);
    for (std::size_t m : opt.modes) {
      const auto [want, want_flags] = oracle.rounded_with_flags(kModes[m].fe);
      for (std::size_t k = 0; k < kNumImpls; ++k) {
        double got[2];
        const int flags = call_in_mode(kImpls[k], h.x, h.y, kModes[m].fe, got);
        wrong[m][k][0] += bits(got[0]) != bits(want.re) || bits(got[1]) != bits(want.im);
        wrong[m][k][1] += flags != want_flags;
        if (kImpls[k].correctly_rounded) decisions[m] += takes_exact_decision(h.x, h.y, kModes[m].fe);
      }
    }
  }
  std::printf("\nhard-case corpus: %zu arguments (seed %llu); misrounded pairs / wrong flags\n%-8s", corpus.size(),
              static_cast<unsigned long long>(opt.seed), "mode");
  for (const Impl& impl : kImpls) std::printf(" | %-17s", impl.name);
  std::printf(" | cr exact %%\n");
  bool ok = true;
  for (std::size_t m : opt.modes) {
    std::printf("%-8s", kModes[m].name);
    for (std::size_t k = 0; k < kNumImpls; ++k) {
      std::printf(" | %8llu %8llu", static_cast<unsigned long long>(wrong[m][k][0]),
                  static_cast<unsigned long long>(wrong[m][k][1]));
      if (kImpls[k].correctly_rounded && (wrong[m][k][0] || wrong[m][k][1])) ok = false;
    }
    std::printf(" | %9.4f\n", percent(decisions[m], corpus.size()));
  }
  if (!ok) std::printf("BOUND EXCEEDED: cr on the hard-case corpus\n");
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  Options opt;
  std::ofstream csv, plane_csv;
  if (const auto done = parse_options(argc, argv, opt, csv, plane_csv)) return *done;
  if (opt.binary32) {
    std::vector<int> modes;
    for (std::size_t m : opt.modes) modes.push_back(kModes[m].fe);
    return ravo_accuracy::run_binary32(
        {opt.samples, opt.seed, modes, opt.threads, opt.check, g_through_batch, g_fixed_direction});
  }
  Planes planes;
  const Table table = run_all(opt, planes);
  print_report(opt, table);
  const bool hard_ok = run_hard_corpus(opt);
  if (!opt.csv.empty()) write_csv(opt, table, csv);
  if (!opt.plane_csv.empty()) write_plane_csv(opt, planes, plane_csv);
  if (opt.check) return hard_ok && within_bounds(opt, table) ? 0 : 1;
  return 0;
}
