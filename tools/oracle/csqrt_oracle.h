// Reference complex square root from MPC: the correctly rounded binary64
// (or binary32) result in any rounding mode (subnormals rounded right), and the error of a
// computed part in ulps of the exact value's binade. Used by tests and tools,
// never by the library. Not thread-safe: one instance per thread.
#ifndef RAVO_CSQRT_ORACLE_H
#define RAVO_CSQRT_ORACLE_H

#include <mpc.h>

namespace ravo_oracle {

struct Pair {
  double re;
  double im;
};

// MPFR's rounding for an FE_ rounding mode.
mpfr_rnd_t to_mpfr(int fe_round);

class CsqrtOracle {
 public:
  CsqrtOracle();
  ~CsqrtOracle();
  CsqrtOracle(const CsqrtOracle&) = delete;
  CsqrtOracle& operator=(const CsqrtOracle&) = delete;

  // Sets the argument (finite x and y); later calls refer to its root.
  void set(double x, double y);
  // The correctly rounded root; fe_round is FE_TONEAREST, FE_DOWNWARD, ...
  Pair rounded(int fe_round);
  // The same, with the flags a correctly rounded operation raises: inexact
  // when a part is inexact, underflow when a part is inexact and its 53-bit
  // rounding with unbounded exponent is below 2^-1022 (tininess after
  // rounding, as on x86).
  struct Flagged {
    Pair w;
    int flags;  // FE_INEXACT | FE_UNDERFLOW
  };
  Flagged rounded_with_flags(int fe_round);
  // The same rounded to binary32 (for an argument of binary32 parts):
  // underflow when a part is inexact and its 24-bit rounding is below
  // 2^-126.
  struct Flagged32 {
    float re, im;
    int flags;
  };
  Flagged32 rounded32_with_flags(int fe_round);
  // |got - exact| in ulps of the exact part (2^-1074 below the normal range),
  // rounded to a double upward by default, so that error <= bound holds when
  // the result does. Rounded toward zero instead, it keeps every strict
  // comparison with a double: error < 1 exactly when the exact error is, so
  // a part just below an edge (1 - 2^-87 ulp, rounded away from far below
  // 2^-1074) is not shown on it.
  double ulp_error_re(double got, mpfr_rnd_t rounding = MPFR_RNDU);
  double ulp_error_im(double got, mpfr_rnd_t rounding = MPFR_RNDU);

 private:
  Flagged rounded_into(mpc_ptr dest, int fe_round, mpfr_exp_t emin, mpfr_exp_t emax);
  double ulp_error(double got, mpfr_srcptr exact, mpfr_rnd_t rounding);
  mpc_t z_;
  mpc_t exact_;      // 256-bit root, exponent range unlimited
  mpc_t rounded_;    // 53-bit root
  mpc_t rounded32_;  // 24-bit root
  mpfr_t diff_;
};

}  // namespace ravo_oracle

#endif
