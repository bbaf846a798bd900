// Arguments whose roots are hard to round: exact, within a tiny fraction of
// an ulp of a binary64 number or of a midpoint, or at the edge of the
// subnormal range. Seeded and reproducible; the expected results come from
// MPC, never from here.
#ifndef RAVO_CORPUS_HARD_CASES_H
#define RAVO_CORPUS_HARD_CASES_H

#include <cstdint>
#include <string>
#include <vector>

namespace ravo_corpus {

struct HardCase {
  double x, y;
  const char* kind;
};

// Every kind, about `per_kind` arguments each (fixed lists are whole).
std::vector<HardCase> hard_cases(std::uint64_t seed = 1, std::size_t per_kind = 2000);

// Perfect squares x = +-a^2 4^k with a tiny y = +-b 2^e, and the mirror
// (a tiny x with y = +-2 a^2 4^k, whose root is near a 2^k (1 + i)): every
// k with 2k in [-262, 262] and every e from 2k - 20 down to 2k - 600 (not
// below 2^-1074). Exact squares leave the kernel's corrections as small as
// the tiny part allows, on both sides of the exponents where scaling starts
// and of the point where a tiny part is dropped. The hard corpus holds a
// sample of them; the whole sweep is about 300,000 arguments.
std::vector<HardCase> squares_with_tiny_parts();

// Binary32 arguments whose roots are hard to round to binary32: exact roots
// ((a + ib)^2, a and b of up to 12 bits), roots a few places of x or y off
// those and off 13-bit ones, real roots a tiny amount from a binary32 number
// or midpoint, squares with a tiny other part, parts at the tininess edge
// 2^-126; every kind with x < 0 too. Seeded; MPC gives the expected results.
struct HardCase32 {
  float x, y;
  const char* kind;
};
std::vector<HardCase32> hard_cases32(std::uint64_t seed = 1, std::size_t per_kind = 2000);

}  // namespace ravo_corpus

#endif
