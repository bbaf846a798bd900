#include "csqrt_oracle.h"

#include <cfenv>
#include <cmath>

namespace ravo_oracle {

mpfr_rnd_t to_mpfr(int fe_round) {
  switch (fe_round) {
    case FE_DOWNWARD:
      return MPFR_RNDD;
    case FE_UPWARD:
      return MPFR_RNDU;
    case FE_TOWARDZERO:
      return MPFR_RNDZ;
    default:
      return MPFR_RNDN;
  }
}

namespace {

constexpr mpfr_prec_t kExactBits = 256;

// A binary format's exponent range in MPFR's terms (significands in
// [1/2, 1)): binary64 and binary32.
struct Range {
  mpfr_exp_t emin, emax;
};
constexpr Range kBinary64Range{-1073, 1024}, kBinary32Range{-148, 128};

// v holds a value rounded to the format's precision with ternary `inexact`
// in an unbounded exponent range; round it again into the format's range,
// subnormals included. The ternary lets mpfr_subnormalize avoid a wrong
// double rounding. Tiny: below the smallest normal, 2^(emin + p - 2).
double to_format(mpfr_ptr v, int inexact, mpfr_rnd_t rnd, Range range, int* flags) {
  const mpfr_exp_t min_normal_exp = range.emin + static_cast<mpfr_exp_t>(mpfr_get_prec(v)) - 1;
  const bool tiny = !mpfr_zero_p(v) && mpfr_get_exp(v) < min_normal_exp;
  const mpfr_exp_t emin = mpfr_get_emin();
  const mpfr_exp_t emax = mpfr_get_emax();
  mpfr_set_emin(range.emin);
  mpfr_set_emax(range.emax);
  inexact = mpfr_check_range(v, inexact, rnd);
  inexact = mpfr_subnormalize(v, inexact, rnd);
  if (flags && inexact) *flags |= tiny ? FE_INEXACT | FE_UNDERFLOW : FE_INEXACT;
  const double d = mpfr_get_d(v, rnd);  // exact: v is now a value of the format
  mpfr_set_emin(emin);
  mpfr_set_emax(emax);
  return d;
}

}  // namespace

CsqrtOracle::CsqrtOracle() {
  mpc_init2(z_, 53);
  mpc_init2(exact_, kExactBits);
  mpc_init2(rounded_, 53);
  mpc_init2(rounded32_, 24);
  mpfr_init2(diff_, kExactBits + 64);
}

CsqrtOracle::~CsqrtOracle() {
  mpc_clear(z_);
  mpc_clear(exact_);
  mpc_clear(rounded_);
  mpc_clear(rounded32_);
  mpfr_clear(diff_);
}

void CsqrtOracle::set(double x, double y) {
  mpc_set_d_d(z_, x, y, MPC_RNDNN);
  mpc_sqrt(exact_, z_, MPC_RNDNN);
}

Pair CsqrtOracle::rounded(int fe_round) { return rounded_with_flags(fe_round).w; }

// The root rounded to dest's precision (the format's) in the mode, then
// into the format's exponent range [emin, emax], with the flags.
CsqrtOracle::Flagged CsqrtOracle::rounded_into(mpc_ptr dest, int fe_round, mpfr_exp_t emin, mpfr_exp_t emax) {
  const Range range{emin, emax};
  const mpfr_rnd_t r = to_mpfr(fe_round);
  const int inexact = mpc_sqrt(dest, z_, MPC_RND(r, r));
  int flags = 0;
  const double re = to_format(mpc_realref(dest), MPC_INEX_RE(inexact), r, range, &flags);
  const double im = to_format(mpc_imagref(dest), MPC_INEX_IM(inexact), r, range, &flags);
  return {{re, im}, flags};
}

CsqrtOracle::Flagged CsqrtOracle::rounded_with_flags(int fe_round) {
  return rounded_into(rounded_, fe_round, kBinary64Range.emin, kBinary64Range.emax);
}

CsqrtOracle::Flagged32 CsqrtOracle::rounded32_with_flags(int fe_round) {
  const Flagged f =
      rounded_into(rounded32_, fe_round, kBinary32Range.emin, kBinary32Range.emax);  // binary32 values, exactly
  return {static_cast<float>(f.w.re), static_cast<float>(f.w.im), f.flags};
}

double CsqrtOracle::ulp_error(double got, mpfr_srcptr exact, mpfr_rnd_t rounding) {
  if (std::isnan(got) || std::isinf(got)) return INFINITY;
  // Not always exact (a part of 2^-1400 against 2^-1074 needs 330 bits), so
  // rounded in the direction asked for the magnitude: directed roundings
  // compose, and the double below is the exact error rounded once.
  const bool down = rounding == MPFR_RNDZ || rounding == MPFR_RNDD;
  mpfr_sub_d(diff_, exact, got, down ? MPFR_RNDZ : MPFR_RNDA);
  mpfr_abs(diff_, diff_, MPFR_RNDN);
  // exact lies in [2^(e-1), 2^e), so its ulp is 2^(e-53), floored at 2^-1074.
  long ulp_exponent = -1074;
  if (!mpfr_zero_p(exact)) {
    const long e = mpfr_get_exp(exact);
    if (e - 53 > ulp_exponent) ulp_exponent = e - 53;
  }
  mpfr_mul_2si(diff_, diff_, -ulp_exponent, MPFR_RNDN);
  return mpfr_get_d(diff_, rounding);
}

double CsqrtOracle::ulp_error_re(double got, mpfr_rnd_t rounding) {
  return ulp_error(got, mpc_realref(exact_), rounding);
}
double CsqrtOracle::ulp_error_im(double got, mpfr_rnd_t rounding) {
  return ulp_error(got, mpc_imagref(exact_), rounding);
}

}  // namespace ravo_oracle
