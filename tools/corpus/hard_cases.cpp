#include "hard_cases.h"

#include <mpfr.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <random>

namespace ravo_corpus {
namespace {

using Rng = std::mt19937_64;

double with_sign(double v, bool negative) { return negative ? -v : v; }

// Odd s with s^2 = r (mod 2^bits), for r = 1 (mod 8), lifted one bit at a
// time: if s^2 = r (mod 2^i), then s or s + 2^(i-1) works mod 2^(i+1).
std::uint64_t odd_square_root_mod(std::uint64_t r, int bits) {
  std::uint64_t s = 1;
  for (int i = 3; i < bits; ++i) {
    const std::uint64_t mask = (std::uint64_t{2} << i) - 1;
    if (((s * s - r) & mask) != 0) s += std::uint64_t{1} << (i - 1);
  }
  return s & ((std::uint64_t{1} << bits) - 1);
}

// A binary64 a whose square root is within about r * 2^-(2p) relative of a
// number with a p-bit odd significand: a binary64 number (p = 53) or a
// midpoint (p = 54). S^2 = r (mod 2^(p+1)) makes S^2 - r = A * 2^(p+1) with
// A below 2^53, so a = A * 2^(p+1) * 4^e has sqrt(a) = S 2^e sqrt(1 - r/S^2).
// S, the p-bit odd significand of that number.
std::uint64_t near_grid_significand(std::uint64_t r, int p, bool other_root) {
  std::uint64_t s = odd_square_root_mod(r, p + 1) & ((std::uint64_t{1} << p) - 1);
  if (other_root) s = (std::uint64_t{1} << p) - s;  // also a root mod 2^(p+1)
  if (s < (std::uint64_t{1} << (p - 1))) s = (std::uint64_t{1} << p) - s;
  return s;
}

double square_near_grid(std::uint64_t r, int p, int e, bool other_root) {
  const std::uint64_t s = near_grid_significand(r, p, other_root);
  __extension__ typedef unsigned __int128 u128;
  const u128 square = static_cast<u128>(s) * s;
  const auto a = static_cast<std::uint64_t>((square - r) >> (p + 1));  // exact
  return std::ldexp(static_cast<double>(a), p + 1 + 2 * e);
}

// w^2 for w = (A + iB) 2^k with A, B below 2^26: both parts exact. k from
// -537 gives subnormal squares.
void exact_squares(Rng& rng, std::size_t n, std::vector<HardCase>& out) {
  for (std::size_t i = 0; i < n; ++i) {
    const int bits = 1 + static_cast<int>(rng() % 26);
    const auto a = static_cast<double>((rng() >> (64 - bits)) | 1);
    const auto b = static_cast<double>(rng() >> (64 - bits));
    if (b == 0) continue;
    const int k = -537 + static_cast<int>(rng() % (537 + 511 - 26));
    const double x = std::ldexp(a * a - b * b, 2 * k), y = std::ldexp(2 * a * b, 2 * k);
    if (x == 0) continue;
    // w in the right half-plane gives z in every quadrant.
    out.push_back({x, with_sign(y, rng() & 1), "exact-square"});
  }
}

// x = ±a^2 (a^2 exact) and a tiny y: the larger part is a plus about
// y^2/(8a^3), the smaller about |y|/(2a). The tiny part runs from 2^-1074.
void square_plus_tiny(Rng& rng, std::size_t n, std::vector<HardCase>& out) {
  out.push_back({-4, 0x1p-1070, "square-plus-tiny"});
  out.push_back({4, 0x1p-1000, "square-plus-tiny"});
  // Every power of two from 2^-1074 as the tiny part, against squares of
  // several sizes: the smaller part sweeps every rounding position of the
  // subnormal range and below.
  for (int e = -1074; e <= -1000; ++e)
    for (double square : {1.0, 4.0, 0x1p-40, 0x1p60})
      for (int signs = 0; signs < 4; ++signs)
        out.push_back({with_sign(square, signs & 1), with_sign(std::ldexp(1.0, e), signs & 2), "square-plus-tiny"});
  for (std::size_t i = 0; i < n; ++i) {
    const auto a = static_cast<double>((rng() >> 38) | 1);  // up to 26 bits
    const int k = -500 + static_cast<int>(rng() % 1000);
    const double square = std::ldexp(a * a, 2 * k);
    // a^2 2^2k passes the largest finite for a near 2^26 and k near 500, and
    // ilogb of infinity is INT_MAX, which the sum below would overflow.
    if (std::isinf(square)) continue;
    const int room = std::ilogb(square) + 1074;
    const int drop = 30 + static_cast<int>(rng() % std::max(1, room - 30 + 60));  // may reach 2^-1074
    double tiny = std::ldexp(std::bit_cast<double>(0x3FF0000000000000u | (rng() >> 12)), std::ilogb(square) - drop);
    if (rng() % 4 == 0) tiny = std::ldexp(1.0, std::max(-1074, std::ilogb(square) - drop));
    if (tiny == 0) tiny = 0x1p-1074;
    const bool swap = rng() % 4 == 0;  // tiny real part, 2a^2 imaginary: root near a(1 + i)
    if (swap)
      out.push_back({with_sign(tiny, rng() & 1), with_sign(2 * square, rng() & 1), "square-plus-tiny"});
    else
      out.push_back({with_sign(square, rng() & 1), with_sign(tiny, rng() & 1), "square-plus-tiny"});
  }
}

// Square roots within r 2^-106 or r 2^-108 relative of a binary64 number or
// a midpoint, on the axes (sqrt x, sqrt |x|, sqrt(|y|/2)) and in the general
// case with a tiny other part.
void near_grid_roots(Rng& rng, std::size_t n, std::vector<HardCase>& out) {
  for (std::size_t i = 0; i < n; ++i) {
    const std::uint64_t r = 1 + 8 * (rng() % 64);  // 1, 9, 17, ...: odd squares mod 8
    const bool midpoint = rng() & 1;
    const int e = -560 + static_cast<int>(rng() % 1000);
    double a = square_near_grid(r, midpoint ? 54 : 53, e, rng() & 1);
    if (!std::isfinite(a) || a == 0) continue;
    const bool neg = rng() & 1, yneg = rng() & 1;
    switch (rng() % 4) {
      case 0:
        out.push_back({with_sign(a, neg), with_sign(0.0, yneg), "near-grid-axis"});
        break;
      case 1:
        if (a < 0x1p1023) out.push_back({with_sign(0.0, neg), with_sign(2 * a, yneg), "near-grid-axis"});
        break;
      default: {
        // The exponent's draw first: see draw_scaled below.
        const int drop = 60 + static_cast<int>(rng() % 900);
        const double tiny = std::ldexp(1.0 + (rng() % 1024) / 1024.0, std::ilogb(a) - drop);
        out.push_back({with_sign(a, neg), with_sign(tiny == 0 ? 0x1p-1074 : tiny, yneg), "near-grid-general"});
      }
    }
  }
}

// Smaller parts at and just below 2^-1022, where the rounding goes
// subnormal and tininess changes: x = ±4^k (1 + d) and y = 2^(k+1) c, with
// c = 2^-1022 + j 2^-1075 a binary64 number, so the smaller part is c(1 - d/2)
// less a tiny amount: just below c, or near the 53-bit point half-way.
void tininess_edge(std::vector<HardCase>& out) {
  for (int k : {0, 1, 3, -200, 300})
    for (int j = -16; j <= 16; ++j)
      for (double d : {0.0, 0x1p-52, -0x1p-53, 0x1p-51}) {
        const std::int64_t significand = (std::int64_t{1} << 53) + j;
        if (significand >= (std::int64_t{1} << 53) && significand % 2 != 0) continue;  // needs 54 bits
        const double x = std::ldexp(1.0 + d, 2 * k);
        const double y = std::ldexp(static_cast<double>(significand), k + 1 - 1075);
        for (int signs = 0; signs < 4; ++signs)
          out.push_back({with_sign(x, signs & 1), with_sign(y, signs & 2), "tininess-edge"});
      }
}

// A significand in [1, 2) times 2^e, e from -1074 to 1023, the exponent
// drawn first. Two draws in one call's arguments would come in an order the
// language leaves open, and compilers differ (GCC takes the arguments right
// to left on x86-64, left to right on AArch64), so each draw is a statement
// of its own, in the order GCC gave them on x86-64, where the corpus was
// first drawn.
double draw_scaled(Rng& rng) {
  const int e = -1074 + static_cast<int>(rng() % 2098);
  return std::ldexp(1.0 + (rng() >> 12) * 0x1p-52, e);
}

// The kernel's extended roots, T = sqrt((sqrt(x^2 + y^2) + |x|) / 2) and
// Q = |y / 2| / T, each operation rounded to nearest with a 64-bit
// significand as on the x87 unit. MPFR at precision 64 gives those roundings
// on every target (long double is binary128 on AArch64), so the search below
// picks the same arguments everywhere. Every value stays between 2^-2148
// (the square of the smallest subnormal) and 2^2048, inside the x87 unit's
// 15-bit exponent range and, widened here, MPFR's: no step overflows or
// underflows on either.
class ExtendedRoots {
 public:
  ExtendedRoots() : emin_(mpfr_get_emin()), emax_(mpfr_get_emax()) {
    mpfr_set_emin(mpfr_get_emin_min());
    mpfr_set_emax(mpfr_get_emax_max());
    mpfr_inits2(64, x_, y_, t_, q_, s_, nullptr);
  }
  ~ExtendedRoots() {
    mpfr_clears(x_, y_, t_, q_, s_, nullptr);
    mpfr_set_emin(emin_);
    mpfr_set_emax(emax_);
  }
  ExtendedRoots(const ExtendedRoots&) = delete;
  ExtendedRoots& operator=(const ExtendedRoots&) = delete;

  // Whether T or Q lies within one extended unit of a binary64 number or
  // midpoint (x and y finite, non-zero).
  bool either_near_boundary(double x, double y) {
    mpfr_set_d(x_, x, MPFR_RNDN);  // exact
    mpfr_set_d(y_, y, MPFR_RNDN);
    mpfr_mul(t_, x_, x_, MPFR_RNDN);
    mpfr_mul(s_, y_, y_, MPFR_RNDN);
    mpfr_add(t_, t_, s_, MPFR_RNDN);
    mpfr_sqrt(t_, t_, MPFR_RNDN);
    mpfr_abs(x_, x_, MPFR_RNDN);
    mpfr_add(t_, t_, x_, MPFR_RNDN);
    mpfr_div_2ui(t_, t_, 1, MPFR_RNDN);  // exact
    mpfr_sqrt(t_, t_, MPFR_RNDN);
    mpfr_div_2ui(q_, y_, 1, MPFR_RNDN);
    mpfr_div(q_, q_, t_, MPFR_RNDN);
    mpfr_abs(q_, q_, MPFR_RNDN);
    return near_boundary(t_) || near_boundary(q_);
  }

 private:
  // The ten bits of v below the binary64 midpoint grid (the subnormal grid
  // for v under 2^-1022), read by truncation: all ones or at most 1 is near.
  bool near_boundary(const mpfr_t v) {
    const mpfr_exp_t e = mpfr_get_exp(v);                    // v = m 2^e, m in [0.5, 1)
    const mpfr_exp_t scale = e - 1 < -1022 ? e + 1075 : 54;  // in midpoint units
    mpfr_mul_2si(s_, v, scale + 10 - e, MPFR_RNDN);          // m 2^(scale + 10), exact
    static_assert(sizeof(unsigned long) == 8, "64-bit truncation");
    const std::uint64_t units = mpfr_get_ui(s_, MPFR_RNDZ);  // below 2^64
    const std::uint64_t frac = units & 1023;
    return frac <= 1 || frac >= 1023;
  }

  mpfr_exp_t emin_, emax_;
  mpfr_t x_, y_, t_, q_, s_;
};

// Random arguments whose extended roots (round to nearest) lie within one
// extended unit of a binary64 number or midpoint: the cases a rounding
// test must send to the exact decision.
void near_boundary_search(Rng& rng, std::size_t n, std::vector<HardCase>& out) {
  ExtendedRoots roots;
  std::size_t found = 0;
  for (std::size_t tries = 0; found < n && tries < 4000 * n; ++tries) {
    const double x = draw_scaled(rng), y = draw_scaled(rng);
    if (!std::isfinite(x) || !std::isfinite(y) || x == 0 || y == 0) continue;
    if (roots.either_near_boundary(x, y)) {
      out.push_back({with_sign(x, rng() & 1), with_sign(y, rng() & 1), "near-boundary"});
      ++found;
    }
  }
}

// Random values on the axes: sqrt x, sqrt |x| and sqrt(|y|/2) in both signs.
void axes(Rng& rng, std::size_t n, std::vector<HardCase>& out) {
  for (std::size_t i = 0; i < n; ++i) {
    double v;
    do v = std::bit_cast<double>(rng());
    while (!std::isfinite(v));
    const double zero = with_sign(0.0, rng() & 1);
    out.push_back(rng() & 1 ? HardCase{v, zero, "axis"} : HardCase{zero, v, "axis"});
  }
}

// One argument of the squares-with-tiny-parts sweep: the square 4^k, the
// tiny part 2^e, significands and signs from `variant`. a has at most 24
// bits, so a^2 is exact; b has 1, 7 or 53 bits, so that b^2 is exact or not.
HardCase square_with_tiny_part(int k, int e, std::uint64_t variant) {
  static constexpr double kRoots[] = {1.0, 0x1.8p0, 0x1.b7p0, 0x1.6a09e6p0, 0x1.fffffep0};
  static constexpr double kTiny[] = {1.0, 0x1.fcp0, 0x1.5555555555555p0, 0x1.fffffffffffffp0};
  const double a = kRoots[variant % 5], b = kTiny[(variant / 5) % 4];
  const bool mirror = (variant / 20) % 2, x_negative = (variant / 40) % 2, y_negative = (variant / 80) % 2;
  const double square = std::ldexp(a * a, 2 * k), tiny = std::ldexp(b, e);
  if (mirror) return {with_sign(tiny, x_negative), with_sign(2 * square, y_negative), "square-tiny-sweep"};
  return {with_sign(square, x_negative), with_sign(tiny, y_negative), "square-tiny-sweep"};
}

constexpr int kSweepLowest = -1074, kSweepSquares = 131, kSweepDepth = 600, kSweepNearest = 20;

// n random points of the sweep.
void squares_with_tiny_parts_sample(Rng& rng, std::size_t n, std::vector<HardCase>& out) {
  for (std::size_t i = 0; i < n; ++i) {
    const int k = -kSweepSquares + static_cast<int>(rng() % (2 * kSweepSquares + 1));
    const int depth = kSweepNearest + static_cast<int>(rng() % (kSweepDepth - kSweepNearest + 1));
    const std::uint64_t variant = rng();
    out.push_back(square_with_tiny_part(k, std::max(kSweepLowest, 2 * k - depth), variant));
  }
}

// MPFR values wide enough for every exact product and difference below and
// for the near-grid roots' square roots (300 bits against 53-bit operands),
// in MPFR's widest exponent range.
class WideValues {
 public:
  WideValues() : emin_(mpfr_get_emin()), emax_(mpfr_get_emax()) {
    mpfr_set_emin(mpfr_get_emin_min());
    mpfr_set_emax(mpfr_get_emax_max());
    mpfr_inits2(300, a_, b_, c_, nullptr);
  }
  ~WideValues() {
    mpfr_clears(a_, b_, c_, nullptr);
    mpfr_set_emin(emin_);
    mpfr_set_emax(emax_);
  }
  WideValues(const WideValues&) = delete;
  WideValues& operator=(const WideValues&) = delete;

  // u^2 - v^2 and 2uv, when both are binary64 numbers (normal or zero).
  bool exact_square(double u, double v, double& x, double& y) {
    mpfr_set_d(a_, u, MPFR_RNDN);  // exact, and so is every step
    mpfr_set_d(b_, v, MPFR_RNDN);
    mpfr_mul(c_, a_, b_, MPFR_RNDN);
    mpfr_mul_2ui(c_, c_, 1, MPFR_RNDN);
    if (!fits(c_, y)) return false;
    mpfr_sqr(a_, a_, MPFR_RNDN);
    mpfr_sqr(b_, b_, MPFR_RNDN);
    mpfr_sub(c_, a_, b_, MPFR_RNDN);
    return fits(c_, x);
  }

  // For a > 0 and the grid point g = s 2^e > sqrt(a) (s below 2^64): the y
  // whose root of a + iy has real part g exactly, y = 2g sqrt(g^2 - a),
  // rounded toward zero (the part then lies just below g, as it grows with
  // |y|) or away from it (just above). 0 when y is not a normal binary64
  // number.
  double tuned_tiny_part(double a, std::uint64_t s, int e, bool below) {
    static_assert(sizeof(unsigned long) == 8, "64-bit significands");
    mpfr_set_d(a_, a, MPFR_RNDN);
    mpfr_set_ui(b_, s, MPFR_RNDN);
    mpfr_mul_2si(b_, b_, e, MPFR_RNDN);
    mpfr_sqr(c_, b_, MPFR_RNDN);
    mpfr_sub(c_, c_, a_, MPFR_RNDN);
    mpfr_sqrt(c_, c_, MPFR_RNDN);
    mpfr_mul(c_, c_, b_, MPFR_RNDN);
    mpfr_mul_2ui(c_, c_, 1, MPFR_RNDN);
    const double y = mpfr_get_d(c_, below ? MPFR_RNDZ : MPFR_RNDA);
    return std::isnormal(y) ? y : 0.0;
  }

 private:
  // v as a normal binary64 number or zero, exactly.
  static bool fits(const mpfr_t v, double& d) {
    d = mpfr_get_d(v, MPFR_RNDN);
    return mpfr_cmp_d(v, d) == 0 && (d == 0 || std::isnormal(d));
  }

  mpfr_exp_t emin_, emax_;
  mpfr_t a_, b_, c_;
};

// Roots u + iv known exactly: significands of 1 to 30 bits, exponents apart
// by up to 12, kept when x = u^2 - v^2 and y = 2uv are binary64 numbers (a
// difference may cancel the squares' low bits). The parts lie within
// 2^+-56, where the binary64 paths need no scaling and the kernels'
// values, off the exact root by rounding errors alone, sit a tiny amount to
// either side of a grid point: a rounding test that measures that distance
// wrongly calls an exact root inexact.
void exact_roots(Rng& rng, std::size_t n, std::vector<HardCase>& out) {
  WideValues wide;
  const auto draw = [&rng](int exponent) {
    const int bits = 1 + static_cast<int>(rng() % 30);
    const std::uint64_t significand = (rng() >> (64 - bits)) | 1 | (std::uint64_t{1} << (bits - 1));
    return std::ldexp(static_cast<double>(significand), exponent - bits + 1);
  };
  std::size_t found = 0;
  for (std::size_t tries = 0; found < n && tries < 200 * n; ++tries) {
    const int exponent = -56 + static_cast<int>(rng() % 112);
    const int apart = static_cast<int>(rng() % 13);
    const double u = draw(exponent);
    const double v = draw(exponent - apart);
    const std::uint64_t choice = rng();
    double x, y;
    // Either part the larger: z in every quadrant.
    if (!wide.exact_square(choice & 1 ? v : u, choice & 1 ? u : v, x, y) || x == 0) continue;
    out.push_back({x, with_sign(y, choice & 2), "exact-root"});
    ++found;
  }
}

// An exact square plus a tuned tiny part: a from square_near_grid, whose
// root lies below a binary64 number or midpoint g by about r 2^-106
// relative, then y putting the root of a + iy a tiny amount (2^-52 of the
// distance from sqrt(a) to g, from y's rounding) below or above g; x = -a
// moves that part to the imaginary side. Neither sqrt(a) nor y is near the
// grid by itself, only the combination is, and the kernels' values may fall
// on either side of g.
void tuned_near_grid_roots(Rng& rng, std::size_t n, std::vector<HardCase>& out) {
  WideValues wide;
  for (std::size_t i = 0; i < n; ++i) {
    const std::uint64_t r = 1 + 8 * (rng() % 64);
    const bool midpoint = rng() & 1;
    const int p = midpoint ? 54 : 53;
    const int e = -103 + static_cast<int>(rng() % 100);  // a within 2^+-100, no scaling
    const bool other_root = rng() & 1;
    const double a = square_near_grid(r, p, e, other_root);
    const bool below = rng() & 1, x_negative = rng() & 1, y_negative = rng() & 1;
    const double y = wide.tuned_tiny_part(a, near_grid_significand(r, p, other_root), e, below);
    if (y == 0) continue;
    out.push_back({with_sign(a, x_negative), with_sign(y, y_negative), "near-grid-tuned"});
  }
}

float with_sign(float v, bool negative) { return negative ? -v : v; }

// v as a binary32 number (subnormals included) when it is one exactly.
bool fits32(double v, float& f) {
  f = static_cast<float>(v);
  return static_cast<double>(f) == v && std::isfinite(f);
}

// u + iv with u of `bits` bits at 2^eu (u in [2^(eu-1), 2^eu)) and v of
// 1 to `bits` bits up to 12 binades lower, either part the larger.
void draw_root32(Rng& rng, int bits, double& u, double& v) {
  const int eu = -74 + static_cast<int>(rng() % 138);
  const int ev = eu - static_cast<int>(rng() % 13);
  const auto top = std::uint64_t{1} << (bits - 1);
  u = std::ldexp(static_cast<double>(top | (rng() >> (65 - bits))), eu - bits);
  v = std::ldexp(static_cast<double>(1 + (rng() >> (64 - bits)) % (2 * top - 1)), ev - bits);
  if (rng() & 1) std::swap(u, v);
}

// x and y moved by `places` binary32 places (of their magnitudes), zero and
// the infinities never reached.
float moved32(float v, int places) {
  const std::uint32_t b = std::bit_cast<std::uint32_t>(v);
  if ((b & 0x7FFFFFFFu) <= 2 || (b & 0x7FFFFFFFu) >= 0x7F7FFFFDu) return v;
  return std::bit_cast<float>(b + static_cast<std::uint32_t>(places));
}

// (u + iv)^2 with u of 8 to 12 bits and v of up to as many, kept when x and y are binary32
// numbers: exact roots, which raise nothing.
void exact_roots32(Rng& rng, std::size_t n, std::vector<HardCase32>& out) {
  std::size_t found = 0;
  for (std::size_t tries = 0; found < n && tries < 100 * n; ++tries) {
    double u, v;
    draw_root32(rng, 8 + static_cast<int>(rng() % 5), u, v);
    float x, y;
    if (!fits32(u * u - v * v, x) || !fits32(2 * u * v, y) || x == 0 || y == 0) continue;
    out.push_back({x, with_sign(y, rng() & 1), "exact-root32"});
    ++found;
  }
}

// 12- and 13-bit roots: x and y of up to 26 bits rounded to binary32, then
// x or y moved by -2 to 2 places. The parts lie a small fraction of a
// place from the 12- or 13-bit values, binary32 numbers, on either side.
void near_roots32(Rng& rng, std::size_t n, std::vector<HardCase32>& out) {
  for (std::size_t i = 0; i < n; ++i) {
    double u, v;
    draw_root32(rng, 12 + static_cast<int>(rng() % 2), u, v);
    float x = static_cast<float>(u * u - v * v), y = static_cast<float>(2 * u * v);  // both exact in binary64
    const int places = static_cast<int>(rng() % 5) - 2;
    if (rng() & 1)
      x = moved32(x, places);
    else
      y = moved32(y, places);
    if (!std::isfinite(x) || !std::isfinite(y) || x == 0 || y == 0) continue;
    out.push_back({x, with_sign(y, rng() & 1), "near-root32"});
  }
}

// square_near_grid at binary32's precision: a of at most 24 bits whose
// square root lies within about r 2^-50 (relative) of a binary32 number
// (p = 24) or midpoint (p = 25); on the axes (sqrt a, i sqrt a, and
// sqrt a (1 + i) from y = 2a) and beside a tiny other part.
void near_grid_roots32(Rng& rng, std::size_t n, std::vector<HardCase32>& out) {
  for (std::size_t i = 0; i < n; ++i) {
    // r of 1 to 17: within 2^-46 (relative) of the grid, where a kernel's
    // rounding errors reach.
    const std::uint64_t r = 1 + 8 * (rng() % 3);
    const int p = 24 + static_cast<int>(rng() & 1);
    const int e = -99 + static_cast<int>(rng() % 138);  // a from about 2^-149 to 2^127
    float a;
    if (!fits32(square_near_grid(r, p, e, rng() & 1), a) || a == 0) continue;
    const bool neg = rng() & 1, yneg = rng() & 1;
    switch (rng() % 4) {
      case 0:
        out.push_back({with_sign(a, neg), with_sign(0.0f, yneg), "near-grid32"});
        break;
      case 1:
        if (a < 0x1p127f) out.push_back({with_sign(0.0f, neg), with_sign(2 * a, yneg), "near-grid32"});
        break;
      default: {
        const int drop = 12 + static_cast<int>(rng() % 150);
        float tiny = std::ldexp(1.0f + static_cast<float>(rng() >> 41) * 0x1p-23f, std::ilogb(a) - drop);
        if (tiny == 0) tiny = 0x1p-149f;
        out.push_back({with_sign(a, neg), with_sign(tiny, yneg), "near-grid32"});
      }
    }
  }
}

// x = +-m^2 4^k with m of up to 12 bits (exact), y a tiny 2^-149 upward;
// mirrored, a tiny x beside y = 2 m^2 4^k (root near m 2^k (1 + i)). The
// smaller part sweeps the subnormal range and below; the larger is a hair
// above m 2^k.
void square_plus_tiny32(Rng& rng, std::size_t n, std::vector<HardCase32>& out) {
  for (int e = -149; e <= -120; ++e)
    for (float square : {1.0f, 4.0f, 0x1p-40f, 0x1p60f})
      for (int signs = 0; signs < 4; ++signs)
        out.push_back({with_sign(square, signs & 1), with_sign(std::ldexp(1.0f, e), signs & 2), "square-plus-tiny32"});
  for (std::size_t i = 0; i < n; ++i) {
    const auto m = static_cast<float>((rng() >> 52) | 1);  // up to 12 bits
    const int k = -60 + static_cast<int>(rng() % 110);
    const float square = std::ldexp(m * m, 2 * k);
    if (!std::isfinite(square) || square == 0) continue;
    const int drop = 12 + static_cast<int>(rng() % 160);
    float tiny = std::ldexp(1.0f + static_cast<float>(rng() >> 41) * 0x1p-23f, std::ilogb(square) - drop);
    if (rng() % 4 == 0) tiny = std::ldexp(1.0f, std::max(-149, std::ilogb(square) - drop));
    if (tiny == 0) tiny = 0x1p-149f;
    if (rng() % 4 == 0 && std::isfinite(2 * square))
      out.push_back({with_sign(tiny, rng() & 1), with_sign(2 * square, rng() & 1), "square-plus-tiny32"});
    else
      out.push_back({with_sign(square, rng() & 1), with_sign(tiny, rng() & 1), "square-plus-tiny32"});
  }
}

// The smaller part at and just below 2^-126: x = +-4^k (1 + d), y =
// 2^(k+1) c with c = 2^-126 + j 2^-150 (even j, so that y is a binary32
// number), the part then c (1 - d/2) less a tiny amount: where binary32's
// tininess after rounding changes, and the rounding goes subnormal.
void tininess_edge32(std::vector<HardCase32>& out) {
  for (int k : {0, 1, 3, 20, 60})
    for (int j = -16; j <= 16; j += 2)
      for (float d : {0.0f, 0x1p-23f, -0x1p-24f, 0x1p-22f}) {
        const float x = std::ldexp(1.0f + d, 2 * k);
        float y;
        if (!fits32(std::ldexp(static_cast<double>((1 << 24) + j), k + 1 - 150), y)) continue;
        for (int signs = 0; signs < 4; ++signs)
          out.push_back({with_sign(x, signs & 1), with_sign(y, signs & 2), "tininess-edge32"});
      }
}

// x = 4^k (1 - j 2^-24), j odd, has sqrt(x) about 2^k (1 - j 2^-25 -
// j^2 2^-51): j^2 2^-51 below a binary32 midpoint. y = x j 2^-24 (1 + r)
// adds about j^2 2^-51 (1 + r)^2 to the larger part, which puts it within
// about j^2 2^-50 |r| of the midpoint, above or below by r's sign: r of
// 2^-12 to 2^-23 makes parts 2^-55 to 2^-66 from it, where only an exact
// decision tells the side.
void near_midpoints32(Rng& rng, std::size_t n, std::vector<HardCase32>& out) {
  for (std::size_t i = 0; i < n; ++i) {
    const auto j = static_cast<float>(2 * (rng() % 16) + 1);
    const float x = std::ldexp(1 - j * 0x1p-24f, 2 * (static_cast<int>(rng() % 126) - 62));
    // One draw per statement: the order of a call's arguments is the
    // compiler's, and the corpus must be the same for every compiler.
    const float r_significand = static_cast<float>(rng() % 2048) + 1;
    const float r = std::ldexp(r_significand, -23 - static_cast<int>(rng() % 12));
    const float y = x * j * 0x1p-24f * (1 + with_sign(r, rng() & 1));
    out.push_back({with_sign(x, rng() & 1), with_sign(y, rng() & 1), "near-midpoint32"});
  }
}

}  // namespace

std::vector<HardCase32> hard_cases32(std::uint64_t seed, std::size_t per_kind) {
  Rng rng(seed);
  std::vector<HardCase32> out;
  exact_roots32(rng, per_kind, out);
  near_roots32(rng, per_kind, out);
  near_grid_roots32(rng, per_kind, out);
  square_plus_tiny32(rng, per_kind, out);
  near_midpoints32(rng, per_kind, out);
  tininess_edge32(out);
  return out;
}

std::vector<HardCase> squares_with_tiny_parts() {
  std::vector<HardCase> out;
  std::uint64_t variant = 0;
  for (int k = -kSweepSquares; k <= kSweepSquares; ++k)
    for (int e = 2 * k - kSweepNearest; e >= std::max(kSweepLowest, 2 * k - kSweepDepth); --e)
      for (int mirror = 0; mirror < 2; ++mirror) {
        // Significands and signs cycle, so that every combination meets
        // every pair of exponents' neighbourhood.
        const std::uint64_t v = variant++ % 160;
        out.push_back(square_with_tiny_part(k, e, (v % 20) + 20 * mirror + 40 * (v / 20 % 4)));
      }
  return out;
}

std::vector<HardCase> hard_cases(std::uint64_t seed, std::size_t per_kind) {
  Rng rng(seed);
  std::vector<HardCase> out;
  exact_squares(rng, per_kind, out);
  square_plus_tiny(rng, per_kind, out);
  near_grid_roots(rng, per_kind, out);
  tininess_edge(out);
  near_boundary_search(rng, per_kind, out);
  axes(rng, per_kind, out);
  squares_with_tiny_parts_sample(rng, per_kind, out);
  exact_roots(rng, per_kind, out);
  tuned_near_grid_roots(rng, per_kind, out);
  return out;
}

}  // namespace ravo_corpus
