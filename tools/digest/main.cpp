// csqrt-digest: runs csqrt_scalar (or, with --cr, cr_csqrt_scalar) over a
// fixed, seeded corpus in all four rounding modes and prints one digest of
// every result bit pattern and every flag set. Builds of the library that
// compute the same bits and flags print the same digest, whatever the
// compiler, options or target: flags are digested in one encoding (x86's
// bit values), not in the target's FE_ constants.
//
// Corpus: every pair of a grid of special values (signed zeros, subnormals,
// the smallest normal, ordinary values, the largest finite, infinities, quiet
// and signalling NaNs with payloads), then random pairs over all binades and
// near the axes; with --cr also the hard-case corpus (exact roots, roots
// near rounding boundaries, the subnormal and tininess edges). With --float,
// cr_csqrtf_scalar over the binary32 counterparts: a grid of binary32
// special values, the binary32 input classes in turn, the binary32 hard
// corpus.
#include <algorithm>
#include <bit>
#include <cfenv>
#include <complex>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "call_in_mode.h"
#include "command_line.h"
#include "hard_cases.h"
#include "input_classes.h"

namespace {

constexpr std::uint64_t kGrid[] = {
    0x0000000000000000, 0x0000000000000001, 0x0000000000000002, 0x000FFFFFFFFFFFFF,  // zero, subnormals
    0x0010000000000000, 0x0010000000000001, 0x3FF0000000000000, 0x4000000000000000,  // smallest normal, 1, 2
    0x4010000000000000, 0x4008000000000000, 0x3FE0000000000000, 0x3FB999999999999A,  // 4, 3, 0.5, 0.1
    0x5FEFFFFFFFFFFFFF, 0x7FEFFFFFFFFFFFFF, 0x7FEFFFFFFFFFFFFE, 0x399FB671ABF55062,  // near 2^512, largest
    0x7FF0000000000000, 0x7FF8000000000000, 0x7FF8000000000123, 0x7FF0000000000001,  // inf, quiet, signalling
    0x7FF4000000000ABC, 0x7FFFFFFFFFFFFFFF,
};

// splitmix64
struct Rng {
  std::uint64_t s;
  std::uint64_t next() {
    std::uint64_t z = (s += 0x9E3779B97F4A7C15u);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9u;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBu;
    return z ^ (z >> 31);
  }
};

std::vector<std::pair<std::uint64_t, std::uint64_t>> corpus(std::size_t random_pairs) {
  std::vector<std::uint64_t> grid;
  for (std::uint64_t g : kGrid) {
    grid.push_back(g);
    grid.push_back(g | 0x8000000000000000u);  // both signs
  }
  std::vector<std::pair<std::uint64_t, std::uint64_t>> pairs;
  for (std::uint64_t a : grid)
    for (std::uint64_t b : grid) pairs.emplace_back(a, b);
  Rng rng{0x5EEDC0DE};
  while (pairs.size() < grid.size() * grid.size() + random_pairs) {
    std::uint64_t a = rng.next(), b = rng.next();
    if (rng.next() & 1) {
      // Near an axis: the second part's exponent 30 to 1100 below the first,
      // clamped into the subnormal range.
      const std::int64_t ea = static_cast<std::int64_t>((a >> 52) & 0x7FF);
      const std::int64_t eb = std::max<std::int64_t>(0, ea - 30 - static_cast<std::int64_t>(rng.next() % 1071));
      b = (b & 0x800FFFFFFFFFFFFFu) | static_cast<std::uint64_t>(eb) << 52;
      if (rng.next() & 1) std::swap(a, b);
    }
    pairs.emplace_back(a, b);
  }
  return pairs;
}

// The raised flags in x86's encoding, whatever the target's FE_ values.
std::uint64_t portable_flags(int flags) {
  return (flags & FE_INVALID ? 0x01 : 0) | (flags & FE_DIVBYZERO ? 0x04 : 0) | (flags & FE_OVERFLOW ? 0x08 : 0) |
         (flags & FE_UNDERFLOW ? 0x10 : 0) | (flags & FE_INEXACT ? 0x20 : 0);
}

// The flags of cr_csqrt_batch on eight copies of z (as many as the widest
// vector's lanes), which are z's own.
int batch_flags_in_mode(std::complex<double> z, int fe_round) {
  std::complex<double> in[8], out[8];
  for (auto& v : in) v = z;
  std::fesetround(fe_round);
  std::feclearexcept(FE_ALL_EXCEPT);
  cr_csqrt_batch(8, in, out);
  const int flags = std::fetestexcept(FE_ALL_EXCEPT);
  std::fesetround(FE_TONEAREST);
  return flags;
}

constexpr std::uint32_t kGrid32[] = {
    0x00000000, 0x00000001, 0x00000002, 0x007FFFFF, 0x00800000, 0x00800001,  // zero, subnormals, smallest normal
    0x3F800000, 0x40000000, 0x40800000, 0x40400000, 0x3F000000, 0x3DCCCCCD,  // 1, 2, 4, 3, 0.5, 0.1
    0x5F7FFFFF, 0x7F7FFFFF, 0x7F7FFFFE, 0x0CFB671A,                          // near 2^64, largest
    0x7F800000, 0x7FC00000, 0x7FC00123, 0x7F800001, 0x7FA00ABC, 0x7FFFFFFF,  // inf, quiet, signalling
};

// The binary32 corpus: every pair of the grid in both signs, then
// random_pairs from the binary32 input classes in turn, then the hard cases.
std::vector<std::complex<float>> corpus32(std::size_t random_pairs) {
  std::vector<float> grid;
  for (std::uint32_t g : kGrid32) {
    grid.push_back(std::bit_cast<float>(g));
    grid.push_back(std::bit_cast<float>(g | 0x80000000u));
  }
  std::vector<std::complex<float>> pairs;
  for (float a : grid)
    for (float b : grid) pairs.emplace_back(a, b);
  const auto classes = ravo_accuracy::input_classes32();
  for (std::size_t i = 0; i < random_pairs; ++i) {
    const auto [x, y] = classes[i % classes.size()].generate(0x5EEDC0DE, i / classes.size());
    pairs.emplace_back(x, y);
  }
  for (const auto& h : ravo_corpus::hard_cases32()) pairs.emplace_back(h.x, h.y);
  return pairs;
}

// The flags of cr_csqrtf_batch on sixteen copies of z (as many as the
// widest vector's binary32 lanes), which are z's own.
int batch32_flags_in_mode(std::complex<float> z, int fe_round) {
  std::complex<float> in[16], out[16];
  for (auto& v : in) v = z;
  std::fesetround(fe_round);
  std::feclearexcept(FE_ALL_EXCEPT);
  cr_csqrtf_batch(16, in, out);
  const int flags = std::fetestexcept(FE_ALL_EXCEPT);
  std::fesetround(FE_TONEAREST);
  return flags;
}

// FNV-1a, 64-bit, fed byte by byte.
struct Digest {
  std::uint64_t h = 0xCBF29CE484222325u;
  void add(std::uint64_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) {
      h ^= (v >> (8 * i)) & 0xFF;
      h *= 0x100000001B3u;
    }
  }
};

// The binary32 digest: the parts' 32-bit patterns and the flags byte.
int digest32(std::size_t random_pairs, bool batch) {
  const auto in = corpus32(random_pairs);
  std::vector<std::complex<float>> out(in.size());
  Digest all;
  for (const auto& mode : ravo_tools::kRoundingModes) {
    if (batch) {
      std::fesetround(mode.fe);
      cr_csqrtf_batch(in.size(), in.data(), out.data());
      std::fesetround(FE_TONEAREST);
    }
    Digest d;
    for (std::size_t i = 0; i < in.size(); ++i) {
      auto [w, flags] =
          ravo_tools::call_in_mode(ravo_tools::CsqrtfFunction{cr_csqrtf_scalar}, in[i].real(), in[i].imag(), mode.fe);
      if (batch) {
        w = out[i];
        flags = batch32_flags_in_mode(in[i], mode.fe);
      }
      d.add(std::bit_cast<std::uint32_t>(w.real()), 4);
      d.add(std::bit_cast<std::uint32_t>(w.imag()), 4);
      d.add(portable_flags(flags), 1);
    }
    std::printf("%-8s %016llx\n", mode.name, static_cast<unsigned long long>(d.h));
    all.add(d.h, 8);
  }
  std::printf("digest   %016llx  (%zu pairs x 4 modes)\n", static_cast<unsigned long long>(all.h), in.size());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  bool cr = false;
  std::uint64_t random_pairs = 1000000;
  ravo_tools::CommandLine command_line(
      "csqrt-digest",
      "One digest of every result bit and flag of csqrt_scalar (or cr_csqrt_scalar) over a fixed, seeded corpus "
      "in all four rounding modes: builds that compute the same bits and flags print the same digest.");
  bool batch = false;
  command_line.flag("--cr", cr, "digest cr_csqrt_scalar, with the hard-case corpus added");
  command_line.flag("--batch", batch,
                    "the same digest as --cr, computed by cr_csqrt_batch: the bits from one call over the whole "
                    "corpus, each element's flags from a call on eight copies of it");
  bool binary32 = false;
  command_line.flag("--float", binary32,
                    "digest cr_csqrtf_scalar over the binary32 corpus (random classes and hard cases); with --batch, "
                    "the same digest computed by cr_csqrtf_batch");
  command_line.count("pairs", random_pairs, "random pairs after the grid of special values (default 1000000)");
  if (const auto done = command_line.parse(argc, argv)) return *done;
  if (binary32) return digest32(random_pairs, batch);
  cr = cr || batch;
  const ravo_tools::CsqrtFunction f =
      cr ? ravo_tools::CsqrtFunction{cr_csqrt_scalar} : ravo_tools::CsqrtFunction{csqrt_scalar};
  auto pairs = corpus(random_pairs);
  if (cr)
    for (const auto& h : ravo_corpus::hard_cases())
      pairs.emplace_back(std::bit_cast<std::uint64_t>(h.x), std::bit_cast<std::uint64_t>(h.y));
  std::vector<std::complex<double>> in, out(pairs.size());
  for (const auto& [a, b] : pairs) in.emplace_back(std::bit_cast<double>(a), std::bit_cast<double>(b));
  Digest all;
  for (const auto& mode : ravo_tools::kRoundingModes) {
    if (batch) {
      std::fesetround(mode.fe);
      cr_csqrt_batch(in.size(), in.data(), out.data());
      std::fesetround(FE_TONEAREST);
    }
    Digest d;
    for (std::size_t i = 0; i < in.size(); ++i) {
      auto [w, flags] = ravo_tools::call_in_mode(f, in[i].real(), in[i].imag(), mode.fe);
      if (batch) {
        w = out[i];
        flags = batch_flags_in_mode(in[i], mode.fe);
      }
      d.add(std::bit_cast<std::uint64_t>(w.real()), 8);
      d.add(std::bit_cast<std::uint64_t>(w.imag()), 8);
      d.add(portable_flags(flags), 1);
    }
    std::printf("%-8s %016llx\n", mode.name, static_cast<unsigned long long>(d.h));
    all.add(d.h, 8);
  }
  std::printf("digest   %016llx  (%zu pairs x 4 modes)\n", static_cast<unsigned long long>(all.h), pairs.size());
}
