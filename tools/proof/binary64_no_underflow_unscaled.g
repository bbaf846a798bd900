# No underflow in the binary64 kernel, arguments used as they are,
# in every rounding mode (check.sh runs it once per mode: ne, dn, up, zr).
#
# root_core(X, Y, N) of libdev/internal/binary64_kernel.h with N = Y and
# binary64 X, Y in [2^-120, 2^121] (what needs_no_scaling lets through; the
# range is closed at 2^121, which only widens it), every operation rounded
# to binary64 in the mode, each residual c - a*b rounded once (FMA).
# Gappa proves every value the kernel computes, and the exact result of
# every operation (which decides the flag), zero or at least 2^-1022 in
# magnitude: no operation raises underflow or reads a subnormal operand.
#
# The goals. @FIX(v, k) says v is an integer multiple of 2^k, so v != 0
# implies |v| >= 2^k; each row states it for a rounded value and for the
# exact result of the operation that gives it. The exponents are those of
# binary64_kernel.h's granularity table at a = b = 120: the squares, their
# residuals, S's parts and s_lo 2^-344, zh's residual 2^-344, zl 2^-519,
# half_lo 2^-520, th's residual 2^-226, tl 2^-634, qh 2^-234, (2 qh) tl
# and the remainder 2^-867, ql 2^-981; a_lo is proved at 2^-519, one place
# finer than the table's 2^-520. Roots and quotients are not dyadic, and
# the products zh (0.5 / s.hi), th (1 / a_hi) and N (half reciprocal)
# take their granularity from their size: for those the goals are lower
# bounds (the table's zh factor >= 2^-(b+2.5), half reciprocal
# >= 2^-(b/2+1.65) and qh >= 2^-(a+b/2+1.65), rounded down to a power of
# two).
# Without FMA, residual(c, a, b) computes p = fl(a*b), c - p and the exact
# product error a*b - p, then subtracts: the p_ and gap_ rows cover those.
# The error's scale, the product of the factors' last places, is at least
# 2^-346 by the lower bounds on X, Y, zh, th and qh, a normal number.
#
# How: Gappa's granularity rules (rounding keeps a multiple of 2^k for
# k >= -1074, a sum keeps the smaller exponent, a product adds them, and a
# binary64 value at least 2^e is a multiple of 2^(e-52)) on top of interval
# bounds for the magnitudes. No hint is needed, but two magnitudes must be
# goals: z_factor = zh (0.5 / s.hi), about 1/(2 sqrt(s.hi)) >= 2^-122.5,
# and half_rec = th (1 / a_hi), about 1/(2 sqrt(half_hi)) >= 2^-61.6, are
# products whose factors interval arithmetic bounds independently, which
# leaves ql at 2^-1074. Stated as goals, z_factor >= 2^-123 and
# half_rec >= 2^-62 hold: Gappa assumes the contrary and propagates it
# back until a range empties (z_factor small with zh bounded makes
# 0.5 / s.hi small, so s.hi large, so zh large, and so on past the top of
# s.hi's range; half_rec likewise through a_hi). The granularities of zl, tl, qh and ql rest on these two.
#
# A wider range fails: with X, Y from 2^-250, the goals for (2 qh) tl, the
# remainder and ql fail even at 2^-1022 (Gappa finds the exact (2 qh) tl
# a multiple of 2^-1257 only), and binary64_kernel.h's perfect-square
# example shows they can indeed underflow there.

@rnd = float<ieee_64, ne>;   # the mode: check.sh substitutes dn, up, zr
@dbl = float<ieee_64, ne>;     # only states that the inputs are binary64

X = dbl(Xr);
Y = dbl(Yr);

# The kernel, one rounding per operation; names follow root_core.
# S = X^2 + Y^2: the squares, their 2Sum (s_hi, sum_lo = s.lo), the squares'
# residuals and s_lo.
xx         = rnd(X * X);
yy         = rnd(Y * Y);
s_hi       = rnd(xx + yy);
b_part     = rnd(s_hi - xx);
a_part     = rnd(s_hi - b_part);
xx_err     = rnd(xx - a_part);
yy_err     = rnd(yy - b_part);
sum_lo     = rnd(xx_err + yy_err);
res_xx     = rnd(xx - X * X);
res_yy     = rnd(yy - Y * Y);
res_sq     = rnd(res_xx + res_yy);
s_lo       = rnd(sum_lo - res_sq);
# Z = zh + zl, zl = (residual + s_lo) zh (0.5 / s.hi).
zh         = rnd(sqrt(s_hi));
res_z      = rnd(s_hi - zh * zh);
inv_s      = rnd(0.5 / s_hi);
z_factor   = rnd(zh * inv_s);
corr_z     = rnd(res_z + s_lo);
zl         = rnd(corr_z * z_factor);
# A = a_hi + a_lo by Fast2Sum, then halved.
a_hi       = rnd(zh + X);
a_diff     = rnd(a_hi - zh);
a_err      = rnd(X - a_diff);
a_lo       = rnd(a_err + zl);
half_hi    = rnd(0.5 * a_hi);
half_lo    = rnd(0.5 * a_lo);
# T = th + tl, with half_rec = th (1 / a_hi), about 1 / (2 th).
th         = rnd(sqrt(half_hi));
inv_a      = rnd(1 / a_hi);
half_rec   = rnd(th * inv_a);
res_t      = rnd(half_hi - th * th);
corr_t     = rnd(res_t + half_lo);
tl         = rnd(corr_t * half_rec);
# Q = qh + ql.
qh         = rnd(Y * half_rec);      # N = Y
qh2        = rnd(2 * qh);
res_n      = rnd(Y - qh2 * th);
qh2_tl     = rnd(qh2 * tl);
remainder  = rnd(res_n - qh2_tl);
ql         = rnd(remainder * half_rec);
# Without FMA, residual(c, a, b) = (c - p) - (a*b - p) with p = fl(a*b);
# for X*X and Y*Y, p is xx or yy and c - p is 0.
p_z        = rnd(zh * zh);
gap_z      = rnd(s_hi - p_z);
p_t        = rnd(th * th);
gap_t      = rnd(half_hi - p_t);
p_n        = rnd(qh2 * th);
gap_n      = rnd(Y - p_n);

{ X in [1b-120, 1b121] /\ Y in [1b-120, 1b121] ->
# Magnitudes: the two products the finer granularities rest on, then the
# roots, the quotients and the products that take their granularity from
# their size.
    z_factor >= 1b-123 /\ half_rec >= 1b-62
 /\ sqrt(s_hi) >= 1b-120 /\ zh >= 1b-120 /\ 0.5 / s_hi >= 1b-244
 /\ zh * inv_s >= 1b-123
 /\ sqrt(half_hi) >= 1b-61 /\ th >= 1b-61 /\ 1 / a_hi >= 1b-123
 /\ th * inv_a >= 1b-62
 /\ half_rec >= 1b-62 /\ Y * half_rec >= 1b-182 /\ qh >= 1b-182
# Granularity: each value, and its operation's exact result.
 /\ @FIX(xx, -344) /\ @FIX(X * X, -344)
 /\ @FIX(yy, -344) /\ @FIX(Y * Y, -344)
 /\ @FIX(s_hi, -344) /\ @FIX(xx + yy, -344)
 /\ @FIX(b_part, -344) /\ @FIX(s_hi - xx, -344)
 /\ @FIX(a_part, -344) /\ @FIX(s_hi - b_part, -344)
 /\ @FIX(xx_err, -344) /\ @FIX(xx - a_part, -344)
 /\ @FIX(yy_err, -344) /\ @FIX(yy - b_part, -344)
 /\ @FIX(sum_lo, -344) /\ @FIX(xx_err + yy_err, -344)
 /\ @FIX(res_xx, -344) /\ @FIX(xx - X * X, -344)
 /\ @FIX(res_yy, -344) /\ @FIX(yy - Y * Y, -344)
 /\ @FIX(res_sq, -344) /\ @FIX(res_xx + res_yy, -344)
 /\ @FIX(s_lo, -344) /\ @FIX(sum_lo - res_sq, -344)
 /\ @FIX(zh, -172)
 /\ @FIX(res_z, -344) /\ @FIX(s_hi - zh * zh, -344)
 /\ @FIX(inv_s, -296)
 /\ @FIX(z_factor, -175)
 /\ @FIX(corr_z, -344) /\ @FIX(res_z + s_lo, -344)
 /\ @FIX(zl, -519) /\ @FIX(corr_z * z_factor, -519)
 /\ @FIX(a_hi, -172) /\ @FIX(zh + X, -172)
 /\ @FIX(a_diff, -172) /\ @FIX(a_hi - zh, -172)
 /\ @FIX(a_err, -172) /\ @FIX(X - a_diff, -172)
 /\ @FIX(a_lo, -519) /\ @FIX(a_err + zl, -519)
 /\ @FIX(half_hi, -173) /\ @FIX(0.5 * a_hi, -173)
 /\ @FIX(half_lo, -520) /\ @FIX(0.5 * a_lo, -520)
 /\ @FIX(th, -113)
 /\ @FIX(inv_a, -175)
 /\ @FIX(half_rec, -114)
 /\ @FIX(res_t, -226) /\ @FIX(half_hi - th * th, -226)
 /\ @FIX(corr_t, -520) /\ @FIX(res_t + half_lo, -520)
 /\ @FIX(tl, -634) /\ @FIX(corr_t * half_rec, -634)
 /\ @FIX(qh, -234)
 /\ @FIX(res_n, -346) /\ @FIX(Y - qh2 * th, -346)
 /\ @FIX(qh2, -233) /\ @FIX(2 * qh, -233)
 /\ @FIX(qh2_tl, -867) /\ @FIX(qh2 * tl, -867)
 /\ @FIX(remainder, -867) /\ @FIX(res_n - qh2_tl, -867)
 /\ @FIX(ql, -981) /\ @FIX(remainder * half_rec, -981)
 /\ @FIX(p_z, -344) /\ @FIX(zh * zh, -344)
 /\ @FIX(gap_z, -344) /\ @FIX(s_hi - p_z, -344)
 /\ @FIX(zh * zh - p_z, -344)
 /\ @FIX(gap_z - (zh * zh - p_z), -344)
 /\ @FIX(p_t, -226) /\ @FIX(th * th, -226)
 /\ @FIX(gap_t, -226) /\ @FIX(half_hi - p_t, -226)
 /\ @FIX(th * th - p_t, -226)
 /\ @FIX(gap_t - (th * th - p_t), -226)
 /\ @FIX(p_n, -346) /\ @FIX(qh2 * th, -346)
 /\ @FIX(gap_n, -346) /\ @FIX(Y - p_n, -346)
 /\ @FIX(qh2 * th - p_n, -346)
 /\ @FIX(gap_n - (qh2 * th - p_n), -346) }
