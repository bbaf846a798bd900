#include "support/mpc_match.h"

#include <cstdio>

#include "csqrt_oracle.h"

namespace ravo_test {

Outcome mpc_outcome(double x, double y, int fe_round) {
  thread_local ravo_oracle::CsqrtOracle oracle;
  oracle.set(x, y);
  const auto want = oracle.rounded_with_flags(fe_round);
  return {to_bits(want.w.re), to_bits(want.w.im), want.flags};
}

testing::AssertionResult MatchesMpcInEveryMode::operator()(const char* x_text, const char* y_text, double x,
                                                           double y) const {
  bool all_match = true;
  testing::Message differences;
  for (int mode : kRoundingModes) {
    const Outcome want = mpc_outcome(x, y, mode), got = run_(x, y, mode);
    if (got == want) continue;
    all_match = false;
    differences << "\n  " << mode_name(mode) << ": got " << got << ", MPC " << want;
  }
  if (all_match) return testing::AssertionSuccess();
  char value[80];
  std::snprintf(value, sizeof value, "%a + i %a", x, y);
  return testing::AssertionFailure() << "the root of " << x_text << " + i " << y_text << " = " << value
                                     << " differs from MPC's:" << differences;
}

}  // namespace ravo_test
