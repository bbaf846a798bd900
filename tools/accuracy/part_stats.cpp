#include "part_stats.h"

#include <bit>

namespace ravo_accuracy {

void PartStats::add(std::uint64_t index, double x, double y, double got, double want, double err_ulp) {
  PartStats one;
  one.max_ulp = err_ulp;
  one.worst_index = index;
  one.worst_x = x;
  one.worst_y = y;
  one.worst_got = got;
  one.worst_want = want;
  one.correctly_rounded = std::bit_cast<std::uint64_t>(got) == std::bit_cast<std::uint64_t>(want);
  one.one_ulp_or_more = err_ulp >= 1.0;
  merge(one);
}

void PartStats::merge(const PartStats& o) {
  correctly_rounded += o.correctly_rounded;
  one_ulp_or_more += o.one_ulp_or_more;
  const bool worse = o.max_ulp > max_ulp || (o.max_ulp == max_ulp && o.worst_index < worst_index);
  if (!worse) return;
  max_ulp = o.max_ulp;
  worst_index = o.worst_index;
  worst_x = o.worst_x;
  worst_y = o.worst_y;
  worst_got = o.worst_got;
  worst_want = o.worst_want;
}

bool within(const ImplStats& s, std::uint64_t samples, const Bound& bound) {
  if (s.re.max_ulp > bound.max_ulp || s.im.max_ulp > bound.max_ulp) return false;
  if (bound.nothing_one_ulp_off && s.re.one_ulp_or_more + s.im.one_ulp_or_more > 0) return false;
  return static_cast<double>(s.pairs_correctly_rounded) >=
             bound.min_pairs_correctly_rounded * static_cast<double>(samples) &&
         static_cast<double>(s.flags_exact) >= bound.min_flags_exact * static_cast<double>(samples);
}

}  // namespace ravo_accuracy
