#include "part_stats.h"

#include <bit>

namespace ravo_accuracy {

void PartStats::add(std::uint64_t index, double x, double y, double got, double want, double err_ulp) {
  if (std::bit_cast<std::uint64_t>(got) == std::bit_cast<std::uint64_t>(want)) ++correctly_rounded;
  if (err_ulp >= 1.0) ++one_ulp_or_more;
  if (err_ulp > max_ulp || (err_ulp == max_ulp && index < worst_index)) {
    max_ulp = err_ulp;
    worst_index = index;
    worst_x = x;
    worst_y = y;
    worst_got = got;
    worst_want = want;
  }
}

void PartStats::merge(const PartStats& o) {
  correctly_rounded += o.correctly_rounded;
  one_ulp_or_more += o.one_ulp_or_more;
  if (o.max_ulp > max_ulp || (o.max_ulp == max_ulp && o.worst_index < worst_index)) {
    max_ulp = o.max_ulp;
    worst_index = o.worst_index;
    worst_x = o.worst_x;
    worst_y = o.worst_y;
    worst_got = o.worst_got;
    worst_want = o.worst_want;
  }
}

}  // namespace ravo_accuracy
