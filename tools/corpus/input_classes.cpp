#include "input_classes.h"

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

}  // namespace

std::span<const InputClass> input_classes() { return kClasses; }

}  // namespace ravo_accuracy
