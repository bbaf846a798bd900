# No underflow in the binary64 kernel, scaled arguments,
# in every rounding mode (check.sh runs it once per mode: ne, dn, up, zr).
#
# root_core(X, Y, N) as binary64_root calls it: the larger of X, Y in
# [1, 4), the smaller 0 or in [2^-300, 4), N (y's significand) in [1, 2),
# all binary64; every operation rounded to binary64 in the mode, each
# residual c - a*b rounded once (FMA). Gappa proves every value the kernel
# computes, and the exact result of every operation (which decides the
# flag), zero or at least 2^-1022 in magnitude: no operation raises
# underflow or reads a subnormal operand.
#
# The domain, as Gappa states it without a case split: X and Y binary64 in
# [0, 4], both multiples of 2^-352 (the smaller's last place is at least
# that, 0 included; the larger's, 2^-52, is coarser), X^2 + Y^2 >= 1 (the
# larger is at least 1), N binary64 in [1, 2]. It contains the kernel's
# domain, so proving the goals on it is enough.
#
# The goals. @FIX(v, k) says v is an integer multiple of 2^k, so v != 0
# implies |v| >= 2^k; each row states it for a rounded value and for the
# exact result of the operation that gives it. The squares, their
# residuals, S's parts and s_lo are multiples of 2^-704, zl and a_lo of
# 2^-760, half_lo of 2^-761, tl of 2^-816 (binary64_kernel.h's
# 2^-(2M+216) for the flush at 2^-M, M = 300), (2 qh) tl and the remainder
# of 2^-870, and ql of 2^-925 (2^-(2M+325)); the values near 1 (zh, a_hi,
# th, qh) and their residuals at their own last places. Roots and
# quotients are not dyadic, and the products zh (0.5 / s.hi),
# th (1 / a_hi) and N (half reciprocal) take their granularity from
# their size: for those the goals are lower bounds.
# Without FMA, residual(c, a, b) computes p = fl(a*b), c - p and the exact
# product error a*b - p, then subtracts: the p_ and gap_ rows cover those.
# The error's scale, the product of the factors' last places, is at least
# 2^-704 (the smaller operand's square; 0 returns early), a normal number.
#
# How: Gappa's granularity rules (rounding keeps a multiple of 2^k for
# k >= -1074, a sum keeps the smaller exponent, a product adds them, and a
# binary64 value at least 2^e is a multiple of 2^(e-52)) on top of interval
# bounds for the magnitudes. No hint is needed, but two magnitudes must be
# goals: z_factor = zh (0.5 / s.hi), about 1/(2 sqrt(s.hi)) >= 2^-3.5, and
# half_rec = th (1 / a_hi), about 1/(2 sqrt(half_hi)) >= 2^-2.14, are
# products whose factors interval arithmetic bounds independently, which
# leaves ql at 2^-931. Stated as goals, z_factor >= 2^-4 and
# half_rec >= 2^-3 hold: Gappa assumes the contrary and propagates it back
# until a range empties (z_factor small with zh bounded makes 0.5 / s.hi
# small, so s.hi large, so zh large, and so on past the top of s.hi's
# range; half_rec likewise through a_hi). The
# granularities of zl, tl, qh and ql rest on these two.
#
# A later flush fails: with the smaller operand's last place at 2^-452
# (flush at 2^-400), the goals for (2 qh) tl, the remainder and ql fail
# even at 2^-1022 (Gappa finds 2^-1070 for the first two and 2^-1125, as
# binary64_kernel.h says, for the exact ql).

@rnd = float<ieee_64, ne>;   # the mode: check.sh substitutes dn, up, zr
@dbl = float<ieee_64, ne>;     # only states that the inputs are binary64

X = dbl(Xr);
Y = dbl(Yr);
N = dbl(Nr);

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
qh         = rnd(N * half_rec);
qh2        = rnd(2 * qh);
res_n      = rnd(N - qh2 * th);
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
gap_n      = rnd(N - p_n);

{ X in [0, 4] /\ Y in [0, 4] /\ @FIX(X, -352) /\ @FIX(Y, -352)
  /\ X * X + Y * Y >= 1 /\ N in [1, 2] ->
# Magnitudes: the two products the finer granularities rest on, then the
# roots, the quotients and the products that take their granularity from
# their size.
    z_factor >= 1b-4 /\ half_rec >= 1b-3
 /\ sqrt(s_hi) >= 1b-1 /\ zh >= 1b-1 /\ 0.5 / s_hi >= 1b-6 /\ zh * inv_s >= 1b-4
 /\ sqrt(half_hi) >= 1b-1 /\ th >= 1b-1 /\ 1 / a_hi >= 1b-4
 /\ th * inv_a >= 1b-3
 /\ half_rec >= 1b-3 /\ N * half_rec >= 1b-3 /\ qh >= 1b-3
# Granularity: each value, and its operation's exact result.
 /\ @FIX(xx, -704) /\ @FIX(X * X, -704)
 /\ @FIX(yy, -704) /\ @FIX(Y * Y, -704)
 /\ @FIX(s_hi, -704) /\ @FIX(xx + yy, -704)
 /\ @FIX(b_part, -704) /\ @FIX(s_hi - xx, -704)
 /\ @FIX(a_part, -704) /\ @FIX(s_hi - b_part, -704)
 /\ @FIX(xx_err, -704) /\ @FIX(xx - a_part, -704)
 /\ @FIX(yy_err, -704) /\ @FIX(yy - b_part, -704)
 /\ @FIX(sum_lo, -704) /\ @FIX(xx_err + yy_err, -704)
 /\ @FIX(res_xx, -704) /\ @FIX(xx - X * X, -704)
 /\ @FIX(res_yy, -704) /\ @FIX(yy - Y * Y, -704)
 /\ @FIX(res_sq, -704) /\ @FIX(res_xx + res_yy, -704)
 /\ @FIX(s_lo, -704) /\ @FIX(sum_lo - res_sq, -704)
 /\ @FIX(zh, -53)
 /\ @FIX(res_z, -106) /\ @FIX(s_hi - zh * zh, -106)
 /\ @FIX(inv_s, -58)
 /\ @FIX(z_factor, -56)
 /\ @FIX(corr_z, -704) /\ @FIX(res_z + s_lo, -704)
 /\ @FIX(zl, -760) /\ @FIX(corr_z * z_factor, -760)
 /\ @FIX(a_hi, -53) /\ @FIX(zh + X, -352)
 /\ @FIX(a_diff, -53) /\ @FIX(a_hi - zh, -53)
 /\ @FIX(a_err, -352) /\ @FIX(X - a_diff, -352)
 /\ @FIX(a_lo, -760) /\ @FIX(a_err + zl, -760)
 /\ @FIX(half_hi, -54) /\ @FIX(0.5 * a_hi, -54)
 /\ @FIX(half_lo, -761) /\ @FIX(0.5 * a_lo, -761)
 /\ @FIX(th, -54)
 /\ @FIX(inv_a, -56)
 /\ @FIX(half_rec, -55)
 /\ @FIX(res_t, -106) /\ @FIX(half_hi - th * th, -106)
 /\ @FIX(corr_t, -761) /\ @FIX(res_t + half_lo, -761)
 /\ @FIX(tl, -816) /\ @FIX(corr_t * half_rec, -816)
 /\ @FIX(qh, -55)
 /\ @FIX(res_n, -107) /\ @FIX(N - qh2 * th, -107)
 /\ @FIX(qh2, -54) /\ @FIX(2 * qh, -54)
 /\ @FIX(qh2_tl, -870) /\ @FIX(qh2 * tl, -870)
 /\ @FIX(remainder, -870) /\ @FIX(res_n - qh2_tl, -870)
 /\ @FIX(ql, -925) /\ @FIX(remainder * half_rec, -925)
 /\ @FIX(p_z, -53) /\ @FIX(zh * zh, -106)
 /\ @FIX(gap_z, -53) /\ @FIX(s_hi - p_z, -53)
 /\ @FIX(zh * zh - p_z, -106)
 /\ @FIX(gap_z - (zh * zh - p_z), -106)
 /\ @FIX(p_t, -106) /\ @FIX(th * th, -106)
 /\ @FIX(gap_t, -106) /\ @FIX(half_hi - p_t, -106)
 /\ @FIX(th * th - p_t, -106)
 /\ @FIX(gap_t - (th * th - p_t), -106)
 /\ @FIX(p_n, -107) /\ @FIX(qh2 * th, -107)
 /\ @FIX(gap_n, -107) /\ @FIX(N - p_n, -107)
 /\ @FIX(qh2 * th - p_n, -107)
 /\ @FIX(gap_n - (qh2 * th - p_n), -107) }
