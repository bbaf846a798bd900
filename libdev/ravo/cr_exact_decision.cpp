// Exact sign of y^2 -/+ 4 b^2 |x| - 4 b^4 (see cr_exact_decision.h).
//
// Each of the three terms is an integer below 2^256 times a power of two
// (y^2 below 2^106, b^2 x below 2^165, b^4 below 2^224).
// Their exponents can be thousands apart, so they are summed in clusters:
// taken from the highest top bit down, a term joins the running sum when its
// top bit reaches the sum's lowest bit; otherwise the sum, a multiple of
// 2^low, is either zero or larger in magnitude than everything left
// (< 2^(top + 1) <= 2^low) and decides. A cluster spans at most the terms'
// lengths plus carries (224 + 165 + 106 + 3 bits), well inside kLimbs words.
#include "../internal/build_guard.h"

#include "../internal/cr_exact_decision.h"

#include <cstdint>
#include <cstring>
#include <utility>

#include "../internal/fp_bits.h"

namespace ravo::internal {
namespace {

constexpr int kLimbs = 9;  // two's complement accumulator of 576 bits

struct Term {
  std::uint64_t limb[4];  // magnitude, least significant word first
  int exponent;           // weight of limb[0]'s bit 0
  int top;                // exponent + bit length: the term is below 2^top
  bool negative;
};

int bit_length(const std::uint64_t (&limb)[4]) {
  for (int i = 3; i >= 0; --i)
    if (limb[i]) return 64 * i + 64 - __builtin_clzll(limb[i]);
  return 0;
}

Term make_term(u128 low, u128 high, int exponent, bool negative) {
  Term t{{static_cast<std::uint64_t>(low), static_cast<std::uint64_t>(low >> 64), static_cast<std::uint64_t>(high),
          static_cast<std::uint64_t>(high >> 64)},
         exponent,
         0,
         negative};
  t.top = exponent + bit_length(t.limb);
  return t;
}

// a * b for a, b < 2^128, as (low 128 bits, high 128 bits).
std::pair<u128, u128> multiply(u128 a, u128 b) {
  const u128 mask = ~std::uint64_t{0};
  const u128 a0 = a & mask, a1 = a >> 64, b0 = b & mask, b1 = b >> 64;
  const u128 p00 = a0 * b0, p01 = a0 * b1, p10 = a1 * b0, p11 = a1 * b1;
  const u128 middle = (p00 >> 64) + (p01 & mask) + (p10 & mask);
  const u128 low = (p00 & mask) | (middle << 64);
  const u128 high = p11 + (p01 >> 64) + (p10 >> 64) + (middle >> 64);
  return {low, high};
}

struct Accumulator {
  std::uint64_t limb[kLimbs] = {};

  void shift_left(int bits) {
    const int words = bits / 64, rest = bits % 64;
    for (int i = kLimbs - 1; i >= 0; --i) {
      const int from = i - words;
      std::uint64_t v = from >= 0 ? limb[from] << rest : 0;
      if (rest && from - 1 >= 0) v |= limb[from - 1] >> (64 - rest);
      limb[i] = v;
    }
  }

  // += or -= term * 2^shift.
  void add(const Term& t, int shift) {
    std::uint64_t wide[kLimbs] = {};
    const int words = shift / 64, rest = shift % 64;
    for (int i = 0; i < 4; ++i) {
      if (i + words < kLimbs) wide[i + words] |= t.limb[i] << rest;
      if (rest && i + words + 1 < kLimbs) wide[i + words + 1] |= t.limb[i] >> (64 - rest);
    }
    unsigned char carry = t.negative;  // two's complement: ~w + 1
    for (int i = 0; i < kLimbs; ++i) {
      const std::uint64_t w = t.negative ? ~wide[i] : wide[i];
      const u128 s = static_cast<u128>(limb[i]) + w + carry;
      limb[i] = static_cast<std::uint64_t>(s);
      carry = static_cast<unsigned char>(s >> 64);
    }
  }

  int sign() const {
    if (limb[kLimbs - 1] >> 63) return -1;
    for (std::uint64_t w : limb)
      if (w) return 1;
    return 0;
  }
};

int sign_of_sum(Term (&terms)[3]) {
  // Highest top first.
  if (terms[0].top < terms[1].top) std::swap(terms[0], terms[1]);
  if (terms[1].top < terms[2].top) std::swap(terms[1], terms[2]);
  if (terms[0].top < terms[1].top) std::swap(terms[0], terms[1]);

  Accumulator sum;
  bool open = false;
  int low = 0;
  for (int i = 0; i < 3;) {
    const Term& t = terms[i];
    if (!open) {
      sum = Accumulator{};
      sum.add(t, 0);
      low = t.exponent;
      open = true;
      ++i;
    } else if (t.top + 1 <= low) {
      if (const int s = sum.sign()) return s;
      open = false;
    } else {
      if (t.exponent < low) {
        sum.shift_left(low - t.exponent);
        low = t.exponent;
      }
      sum.add(t, t.exponent - low);
      ++i;
    }
  }
  return sum.sign();
}

}  // namespace

int exact_part_vs(RootPart part, double x, double y, std::uint64_t b_significand, int b_exponent) {
  const Binary64Fields ax = fields_of(x), ay = fields_of(y);
  const u128 b2 = static_cast<u128>(b_significand) * b_significand;  // < 2^112
  const auto [b4_low, b4_high] = multiply(b2, b2);                   // < 2^224
  const auto [xb2_low, xb2_high] = multiply(b2, ax.significand);     // < 2^165
  Term terms[3] = {
      make_term(static_cast<u128>(ay.significand) * ay.significand, 0, 2 * ay.exponent, false),
      make_term(xb2_low, xb2_high, ax.exponent + 2 * b_exponent + 2, part == RootPart::small),
      make_term(b4_low, b4_high, 4 * b_exponent + 2, true),
  };
  return sign_of_sum(terms);
}

}  // namespace ravo::internal
