// The accuracy tool's statistics: the worst case is the largest error with
// ties to the lowest index, whatever the order of adding and merging; an
// error of exactly one ulp counts as one ulp off; a part counts as correctly
// rounded only when its bits equal the wanted ones; and the --check bounds.
#include "part_stats.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace ravo_accuracy {
namespace {

struct Sample {
  std::uint64_t index;
  double got, want, err;
};

struct Expect {
  double max_ulp;
  std::uint64_t worst_index, correctly_rounded, one_ulp_or_more;
};

const struct {
  const char* what;
  std::vector<Sample> samples;
  Expect expect;
} kRows[] = {
    {"largest kept", {{0, 1, 1, 0.3}, {1, 2, 3, 0.7}, {2, 1, 1, 0.2}}, {0.7, 1, 2, 0}},
    {"exactly one ulp counts", {{0, 1, 2, 1.0}, {1, 1, 2, 0.999999}, {2, 1, 2, 2.5}}, {2.5, 2, 0, 2}},
    {"tie to the lowest index", {{7, 1, 2, 0.5}, {3, 1, 2, 0.5}, {9, 1, 2, 0.5}}, {0.5, 3, 0, 0}},
    {"signed zeros differ", {{0, -0.0, 0.0, 0}, {1, 0.0, 0.0, 0}}, {0, 0, 1, 0}},
};

// Every order of adding, and every split into two merged halves, gives the
// same statistics.
TEST(PartStats, WorstCaseAndCountsInAnyOrder) {
  for (const auto& row : kRows) {
    std::vector<Sample> order = row.samples;
    std::sort(order.begin(), order.end(), [](auto& a, auto& b) { return a.index < b.index; });
    do {
      for (std::size_t split = 0; split <= order.size(); ++split) {
        PartStats first, second;
        for (std::size_t i = 0; i < order.size(); ++i)
          (i < split ? first : second).add(order[i].index, 1, 2, order[i].got, order[i].want, order[i].err);
        first.merge(second);
        SCOPED_TRACE(testing::Message() << row.what << ", split " << split);
        EXPECT_EQ(first.max_ulp, row.expect.max_ulp);
        EXPECT_EQ(first.worst_index, row.expect.worst_index);
        EXPECT_EQ(first.correctly_rounded, row.expect.correctly_rounded);
        EXPECT_EQ(first.one_ulp_or_more, row.expect.one_ulp_or_more);
      }
    } while (std::next_permutation(order.begin(), order.end(), [](auto& a, auto& b) { return a.index < b.index; }));
  }
}

TEST(PartStats, WorstCaseKeepsItsArgumentAndResult) {
  PartStats s;
  s.add(4, 1.5, 2.5, 3.5, 4.5, 0.75);
  s.add(5, 9, 9, 9, 9, 0.25);
  EXPECT_EQ((std::vector<double>{s.worst_x, s.worst_y, s.worst_got, s.worst_want}),
            (std::vector<double>{1.5, 2.5, 3.5, 4.5}));
}

// 1000 samples against {max 0.501 ulp, nothing 1 ulp off, 99.9 % pairs}.
TEST(PartStats, CheckBounds) {
  const Bound bound{0.501, true, 0.999};
  const struct {
    const char* what;
    double re_max, im_max;
    std::uint64_t one_ulp_off, pairs;
    bool ok;
  } rows[] = {
      {"at every bound", 0.501, 0.501, 0, 999, true}, {"re above", 0.5011, 0.5, 0, 1000, false},
      {"im above", 0.5, 0.5011, 0, 1000, false},      {"one part one ulp off", 0.5, 0.5, 1, 1000, false},
      {"too few pairs", 0.5, 0.5, 0, 998, false},
  };
  for (const auto& r : rows) {
    ImplStats s;
    s.re.max_ulp = r.re_max;
    s.im.max_ulp = r.im_max;
    s.im.one_ulp_or_more = r.one_ulp_off;
    s.pairs_correctly_rounded = r.pairs;
    EXPECT_EQ(within(s, 1000, bound), r.ok) << r.what;
  }
  ImplStats one_off;
  one_off.re.one_ulp_or_more = 3;
  one_off.pairs_correctly_rounded = 700;
  EXPECT_TRUE(within(one_off, 1000, {1.002, false, 0.70})) << "directed: one ulp off allowed";
  EXPECT_FALSE(within(one_off, 1000, {1.002, false, 0.701})) << "directed: pairs bound";
}

}  // namespace
}  // namespace ravo_accuracy
