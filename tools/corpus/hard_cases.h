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

}  // namespace ravo_corpus

#endif
