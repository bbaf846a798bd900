// Error statistics of one result part (real or imaginary) over a sample, and
// their order-independent merge: the worst case is the largest error, ties
// going to the lowest sample index, so the thread split never shows.
#ifndef RAVO_ACCURACY_PART_STATS_H
#define RAVO_ACCURACY_PART_STATS_H

#include <cstdint>

namespace ravo_accuracy {

struct PartStats {
  double max_ulp = -1;
  std::uint64_t worst_index = 0;
  double worst_x = 0, worst_y = 0, worst_got = 0, worst_want = 0;
  std::uint64_t correctly_rounded = 0;
  std::uint64_t one_ulp_or_more = 0;

  void add(std::uint64_t index, double x, double y, double got, double want, double err_ulp);
  void merge(const PartStats& other);
};

struct ImplStats {
  PartStats re, im;
  std::uint64_t pairs_correctly_rounded = 0;
  std::uint64_t flags_exact = 0;      // the flags a correctly rounded operation raises
  std::uint64_t exact_decisions = 0;  // cr_csqrt_scalar only: calls deciding a part exactly
  void merge(const ImplStats& other) {
    re.merge(other.re);
    im.merge(other.im);
    pairs_correctly_rounded += other.pairs_correctly_rounded;
    flags_exact += other.flags_exact;
    exact_decisions += other.exact_decisions;
  }
};

// What --check demands of one implementation, per input class, in one
// rounding mode.
struct Bound {
  double max_ulp;                      // largest error of either part
  bool nothing_one_ulp_off;            // no part 1 ulp or more from the exact root
  double min_pairs_correctly_rounded;  // share of samples with both parts right
  double min_flags_exact = 0;          // share of samples with exactly the right flags
};

bool within(const ImplStats& s, std::uint64_t samples, const Bound& bound);

}  // namespace ravo_accuracy

#endif
