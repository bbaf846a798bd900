#include "input_classes.h"

#include <algorithm>
#include <bit>
#include <cmath>

namespace ravo_accuracy {
namespace {

// splitmix64: a well-mixed stream from any 64-bit state.
class Stream {
 public:
  Stream(std::uint64_t seed, std::uint64_t cls, std::uint64_t index)
      : state_(seed * 0x9E3779B97F4A7C15u ^ cls * 0xD1B54A32D192ED03u ^ index) {}
  std::uint64_t next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15u);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9u;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBu;
    return z ^ (z >> 31);
  }
  std::int64_t uniform(std::int64_t lo, std::int64_t hi) {  // inclusive
    return lo + static_cast<std::int64_t>(next() % static_cast<std::uint64_t>(hi - lo + 1));
  }
  double sign() { return (next() & 1) ? -1.0 : 1.0; }
  // Significand uniform in [1, 2), scaled by 2^e (subnormal when e < -1022).
  double scaled(std::int64_t e) {
    const double m = std::bit_cast<double>(0x3FF0000000000000u | (next() >> 12));
    return sign() * std::ldexp(m, static_cast<int>(e));
  }

 private:
  std::uint64_t state_;
};

double finite_bits(Stream& s) {
  std::uint64_t b;
  do b = s.next();
  while ((b & 0x7FF0000000000000u) == 0x7FF0000000000000u);
  return std::bit_cast<double>(b);
}

Argument random_bits(std::uint64_t seed, std::uint64_t i) {
  Stream s(seed, 1, i);
  const double x = finite_bits(s);
  return {x, finite_bits(s)};
}

Argument log_uniform(std::uint64_t seed, std::uint64_t i) {
  Stream s(seed, 2, i);
  const double x = s.scaled(s.uniform(-1074, 1023));
  return {x, s.scaled(s.uniform(-1074, 1023))};
}

Argument ordinary(std::uint64_t seed, std::uint64_t i) {
  Stream s(seed, 3, i);
  const double x = s.scaled(s.uniform(-60, 60));
  return {x, s.scaled(s.uniform(-60, 60))};
}

// One part 2^-30 to 2^-1100 times the other, both orders, both signs.
Argument near_axes(std::uint64_t seed, std::uint64_t i) {
  Stream s(seed, 4, i);
  const std::int64_t e = s.uniform(-1000, 1023);
  const double big = s.scaled(e);
  const double small = s.scaled(e - s.uniform(30, 1100));
  return (s.next() & 1) ? Argument{big, small} : Argument{small, big};
}

// |y| within 2^20 ulps of |x|, signs independent.
Argument similar_magnitudes(std::uint64_t seed, std::uint64_t i) {
  Stream s(seed, 5, i);
  const double x = s.scaled(s.uniform(-1074, 1023));
  const std::uint64_t bits = std::bit_cast<std::uint64_t>(std::fabs(x));
  std::uint64_t near = bits + static_cast<std::uint64_t>(s.uniform(-(1 << 20), 1 << 20));
  if (near > 0x7FEFFFFFFFFFFFFFu) near = bits;  // stay finite and positive
  return {x, s.sign() * std::bit_cast<double>(near)};
}

// Near the largest finite, near the smallest normal, or subnormal, in each
// part independently.
double extreme_part(Stream& s) {
  const std::uint64_t offset = s.next() >> 32;
  std::uint64_t bits;
  switch (s.next() % 3) {
    case 0:
      bits = 0x7FEFFFFFFFFFFFFFu - offset;
      break;
    case 1:
      bits = 0x0010000000000000u + offset - (1u << 31);
      break;
    default:
      bits = s.next() & 0x000FFFFFFFFFFFFFu;
      break;
  }
  return s.sign() * std::bit_cast<double>(bits);
}

Argument extremes(std::uint64_t seed, std::uint64_t i) {
  Stream s(seed, 6, i);
  const double x = extreme_part(s);
  return {x, extreme_part(s)};
}

constexpr InputClass kClasses[] = {
    {"random-bits", "random bit patterns of finite values", random_bits},
    {"log-uniform", "magnitudes log-uniform over all binades", log_uniform},
    {"ordinary", "exponents -60..60", ordinary},
    {"near-axes", "one part 2^-30..2^-1100 times the other", near_axes},
    {"similar", "|x| and |y| within 2^20 ulps", similar_magnitudes},
    {"extremes", "near DBL_MAX, near DBL_MIN, subnormal", extremes},
};

// Binary32 parts: a random significand times 2^e, e from -149 (below -126
// the part is subnormal, its significand cut to the bits that fit) to 127,
// built from bits so that no rounding mode touches it.
float part32(Stream& s, std::int64_t e) {
  const auto fraction = static_cast<std::uint32_t>(s.next() >> 41);  // 23 bits
  const std::uint32_t sign = (s.next() & 1) ? 0x80000000u : 0;
  if (e < -126) return std::bit_cast<float>(sign | (0x800000u | fraction) >> (-126 - e));
  return std::bit_cast<float>(sign | static_cast<std::uint32_t>(e + 127) << 23 | fraction);
}

Argument32 general32(std::uint64_t seed, std::uint64_t i) {
  Stream s(seed, 101, i);
  const float x = part32(s, s.uniform(-30, 30));
  return {x, part32(s, s.uniform(-30, 30))};
}

Argument32 full_range32(std::uint64_t seed, std::uint64_t i) {
  Stream s(seed, 102, i);
  const float x = part32(s, s.uniform(-149, 127));
  return {x, part32(s, s.uniform(-149, 127))};
}

// x of 2^0 to 2^127, either sign, and y so small that the smaller root
// part, about |y| / (2 sqrt |x|), lies below 2^-126: subnormal, or below
// half the smallest subnormal.
Argument32 tiny_part32(std::uint64_t seed, std::uint64_t i) {
  Stream s(seed, 103, i);
  const std::int64_t ex = s.uniform(0, 127);
  const float x = part32(s, ex);
  return {x, part32(s, std::max<std::int64_t>(-149, ex / 2 - s.uniform(100, 170)))};
}

// A subnormal part beside a subnormal, a small normal or any finite part,
// in either order.
Argument32 subnormal32(std::uint64_t seed, std::uint64_t i) {
  Stream s(seed, 104, i);
  const float sub = part32(s, s.uniform(-149, -127));
  const std::uint64_t kind = s.next() % 3;
  const float other = part32(s, kind == 0   ? s.uniform(-149, -127)
                                : kind == 1 ? s.uniform(-126, -100)
                                            : s.uniform(-149, 127));
  return (s.next() & 1) ? Argument32{sub, other} : Argument32{other, sub};
}

// (a + ib)^2 with a, b of 12 bits (an exact root when x and y fit binary32)
// or 13 (x and y of up to 26 bits, rounded to binary32: roots a hair off
// the 13-bit grid), then x or y moved by up to two places: root parts on
// or a tiny amount from binary32 numbers, where a rounding test has to
// decide exactly. Either part the larger, every quadrant.
Argument32 near_boundary32(std::uint64_t seed, std::uint64_t i) {
  Stream s(seed, 105, i);
  for (;;) {
    const int bits = static_cast<int>(s.uniform(12, 13));
    const std::int64_t ea = s.uniform(-74, 63), eb = ea - s.uniform(0, 12);
    const double a =
        std::ldexp(static_cast<double>(s.uniform(std::int64_t{1} << (bits - 1), (std::int64_t{1} << bits) - 1)),
                   static_cast<int>(ea) - bits);
    const double b =
        std::ldexp(static_cast<double>(s.uniform(1, (std::int64_t{1} << bits) - 1)), static_cast<int>(eb) - bits);
    const bool swap = s.next() & 1;
    const double u = swap ? b : a, v = swap ? a : b;
    // Both exact in binary64 (at most 50 bits apart), rounded once here.
    float x = static_cast<float>(u * u - v * v), y = static_cast<float>(2 * u * v);
    const std::int64_t nudge = s.uniform(-2, 2);
    float& moved = (s.next() & 1) ? x : y;
    const std::uint32_t mb = std::bit_cast<std::uint32_t>(moved);
    if ((mb & 0x7FFFFFFFu) > 2) moved = std::bit_cast<float>(mb + static_cast<std::uint32_t>(nudge));
    if (!std::isfinite(x) || !std::isfinite(y) || x == 0 || y == 0) continue;
    if (s.next() & 1) x = -x;
    if (s.next() & 1) y = -y;
    return {x, y};
  }
}

constexpr InputClass32 kClasses32[] = {
    {"general", "exponents -30..30", general32},
    {"full-range", "exponents -149..127, subnormal parts included", full_range32},
    {"tiny-imaginary", "x 2^0..2^127 (either sign), y tiny: Im (Re for x < 0) below 2^-126", tiny_part32},
    {"subnormal", "a subnormal part beside any other", subnormal32},
    {"near-boundary", "(a + ib)^2, a and b of 12-13 bits, x or y moved 0-2 places", near_boundary32},
};

}  // namespace

std::span<const InputClass> input_classes() { return kClasses; }
std::span<const InputClass32> input_classes32() { return kClasses32; }

}  // namespace ravo_accuracy
