// A function against MPC in every rounding mode, bits and flags, in one
// check: EXPECT_PRED_FORMAT2(MatchesMpcInEveryMode(), x, y) runs
// cr_csqrt_scalar (or the runner given) on x + iy in all four modes and
// compares each result with MPC's correctly rounded root and the flags a
// correctly rounded operation raises (tools/oracle), naming every mode that
// differs. Finite x and y.
#ifndef RAVO_TEST_MPC_MATCH_H
#define RAVO_TEST_MPC_MATCH_H

#include <gtest/gtest.h>

#include "support/fp_case.h"

namespace ravo_test {

// MPC's result of x + iy in the mode, as an Outcome. One oracle per thread.
Outcome mpc_outcome(double x, double y, int fe_round);

class MatchesMpcInEveryMode {
 public:
  using Runner = Outcome (*)(double x, double y, int fe_round);
  explicit MatchesMpcInEveryMode(Runner run = run_cr_csqrt) : run_(run) {}
  testing::AssertionResult operator()(const char* x_text, const char* y_text, double x, double y) const;

 private:
  Runner run_;
};

}  // namespace ravo_test

#endif
