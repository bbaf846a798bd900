// csqrt-accuracy: ulp errors of csqrt_scalar and of the system csqrt against
// MPC, per input class and rounding mode, on seeded reproducible samples.
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
#include <string>
#include <thread>
#include <vector>

#include "csqrt_oracle.h"
#include "error_plane.h"
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

struct Impl {
  const char* name;
  void (*call)(double x, double y, double out[2]);
};
void ravo_call(double x, double y, double out[2]) {
  const std::complex<double> w = csqrt_scalar({x, y});
  out[0] = w.real();
  out[1] = w.imag();
}
constexpr Impl kImpls[] = {{"ravo", ravo_call}, {"system", system_csqrt}};
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
};

[[noreturn]] void usage_error(const std::string& message) {
  std::fprintf(stderr,
               "csqrt-accuracy: %s\nusage: csqrt-accuracy [--samples N] [--seed S] "
               "[--round nearest|down|up|zero|all] [--threads T] [--csv FILE]\n"
               "       [--plane-csv FILE [--plane-cell BINADES]] [--check]\n",
               message.c_str());
  std::exit(2);
}

std::uint64_t parse_count(const char* text, const char* option) {
  char* end = nullptr;
  const unsigned long long v = std::strtoull(text, &end, 10);
  if (*text == '\0' || *end != '\0' || text[0] == '-')
    usage_error(std::string("bad value '") + text + "' for " + option);
  return v;
}

Options parse_options(int argc, char** argv) {
  Options o;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    const auto value = [&]() -> const char* {
      if (i + 1 >= argc) usage_error("missing value after '" + a + "'");
      return argv[++i];
    };
    if (a == "--samples") {
      o.samples = parse_count(value(), "--samples");
    } else if (a == "--seed") {
      o.seed = parse_count(value(), "--seed");
    } else if (a == "--threads") {
      o.threads = static_cast<unsigned>(parse_count(value(), "--threads"));
      if (o.threads == 0) usage_error("--threads must be at least 1");
    } else if (a == "--csv") {
      o.csv = value();
    } else if (a == "--plane-csv") {
      o.plane_csv = value();
    } else if (a == "--plane-cell") {
      const std::uint64_t n = parse_count(value(), "--plane-cell");
      if (n < 1 || n > 2100) usage_error("--plane-cell must be 1 to 2100");
      o.plane_cell = static_cast<int>(n);
    } else if (a == "--check") {
      o.check = true;
    } else if (a == "--round") {
      const std::string m = value();
      o.modes.clear();
      for (std::size_t k = 0; k < std::size(kModes); ++k)
        if (m == "all" || m == kModes[k].name) o.modes.push_back(k);
      if (o.modes.empty()) usage_error("unknown rounding mode '" + m + "'");
    } else {
      usage_error("unknown option '" + a + "'");
    }
  }
  return o;
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

void run_chunk(const Options& opt, std::size_t cls, std::uint64_t begin, std::uint64_t end,
               ravo_oracle::CsqrtOracle& oracle, Table& table, Planes& planes) {
  const auto& input = ravo_accuracy::input_classes()[cls];
  for (std::uint64_t i = begin; i < end; ++i) {
    const auto [x, y] = input.generate(opt.seed, i);
    oracle.set(x, y);
    for (std::size_t m : opt.modes) {
      const ravo_oracle::Pair want = oracle.rounded(kModes[m].fe);
      if (!planes.empty()) planes[m].count(x, y);
      for (std::size_t k = 0; k < kNumImpls; ++k) {
        double got[2];
        std::fesetround(kModes[m].fe);
        kImpls[k].call(x, y, got);
        std::fesetround(FE_TONEAREST);
        ImplStats& s = table[m][cls][k];
        const double err_re = oracle.ulp_error_re(got[0]), err_im = oracle.ulp_error_im(got[1]);
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

void print_report(const Options& opt, const Table& table) {
  const auto classes = ravo_accuracy::input_classes();
  std::printf("csqrt accuracy: %llu samples per class, seed %llu; errors in ulps of the exact root (MPC)\n",
              static_cast<unsigned long long>(opt.samples), static_cast<unsigned long long>(opt.seed));
  for (std::size_t m : opt.modes) {
    std::printf("\nrounding %s\n%-12s %-7s| %10s %9s %7s | %10s %9s %7s | %9s\n", kModes[m].name, "class", "impl",
                "re max", "re CR %", ">=1ulp", "im max", "im CR %", ">=1ulp", "pair CR %");
    for (std::size_t c = 0; c < classes.size(); ++c)
      for (std::size_t k = 0; k < kNumImpls; ++k) {
        const ImplStats& s = table[m][c][k];
        std::printf("%-12s %-7s| %10.6f %9.4f %7llu | %10.6f %9.4f %7llu | %9.4f\n", k == 0 ? classes[c].name : "",
                    kImpls[k].name, s.re.max_ulp, percent(s.re.correctly_rounded, opt.samples),
                    static_cast<unsigned long long>(s.re.one_ulp_or_more), s.im.max_ulp,
                    percent(s.im.correctly_rounded, opt.samples), static_cast<unsigned long long>(s.im.one_ulp_or_more),
                    percent(s.pairs_correctly_rounded, opt.samples));
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

void write_csv(const Options& opt, const Table& table) {
  std::ofstream out(opt.csv);
  out << "mode,class,impl,part,max_ulp,correctly_rounded_pct,one_ulp_or_more,pairs_correctly_rounded_pct,"
         "worst_x,worst_y,worst_got,worst_want\n";
  const auto classes = ravo_accuracy::input_classes();
  char buf[512];
  for (std::size_t m : opt.modes)
    for (std::size_t c = 0; c < classes.size(); ++c)
      for (std::size_t k = 0; k < kNumImpls; ++k) {
        const ImplStats& s = table[m][c][k];
        for (const auto& [part, p] : {std::pair{"re", &s.re}, std::pair{"im", &s.im}}) {
          std::snprintf(
              buf, sizeof buf, "%s,%s,%s,%s,%.9f,%.6f,%llu,%.6f,0x%016llx,0x%016llx,0x%016llx,0x%016llx\n",
              kModes[m].name, classes[c].name, kImpls[k].name, part, p->max_ulp,
              percent(p->correctly_rounded, opt.samples), static_cast<unsigned long long>(p->one_ulp_or_more),
              percent(s.pairs_correctly_rounded, opt.samples), static_cast<unsigned long long>(bits(p->worst_x)),
              static_cast<unsigned long long>(bits(p->worst_y)), static_cast<unsigned long long>(bits(p->worst_got)),
              static_cast<unsigned long long>(bits(p->worst_want)));
          out << buf;
        }
      }
  if (!out) {
    std::fprintf(stderr, "csqrt-accuracy: cannot write '%s'\n", opt.csv.c_str());
    std::exit(2);
  }
}

void write_plane_csv(const Options& opt, const Planes& planes) {
  std::ofstream out(opt.plane_csv);
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
    for (std::size_t c = 0; c < classes.size(); ++c) {
      if (ravo_accuracy::within(table[m][c][0], opt.samples, kModes[m].bound)) continue;
      std::printf("BOUND EXCEEDED: %s %s\n", kModes[m].name, classes[c].name);
      ok = false;
    }
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  const Options opt = parse_options(argc, argv);
  Planes planes;
  const Table table = run_all(opt, planes);
  print_report(opt, table);
  if (!opt.csv.empty()) write_csv(opt, table);
  if (!opt.plane_csv.empty()) write_plane_csv(opt, planes);
  if (opt.check && opt.samples > 0) return within_bounds(opt, table) ? 0 : 1;
  return 0;
}
