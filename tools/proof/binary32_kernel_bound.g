# Relative error of the binary32 root's kernel (binary32_kernel.h), and
# that none of its values leaves binary64's normal range.
#
# For binary32 x, y with |x|, |y| normal (in [2^-126, 2^128]; the kernel
# works on the magnitudes), every operation rounded to binary64 in the mode
# of the @rnd line (check.sh runs this script once per mode):
#   S = rnd(rnd(x*x) + rnd(y*y))      R = rnd(sqrt(S))
#   B = rnd(sqrt(rnd(rnd(R + x) * 0.5)))
#   Q = rnd(rnd(y * 0.5) / B)
# and with b = sqrt((sqrt(x^2 + y^2) + x) / 2), q = y / (2b), Gappa proves
#   |B - b| <= 5.0001 * 2^-53 * b      |Q - q| <= 7.0001 * 2^-53 * q
# (2.5 and 3.5 binary64 places of 2^-52 relative, with room; Gappa's
# enclosures are about 2.25u and 3.25u to nearest), both below the 2^-50
# the rounding test assumes. The squares of binary32 numbers (48 bits) and
# the halvings are exact: stated as goals, not assumed.
#
# No underflow or overflow: S is at least 2^-252, B at least 2^-63.5 and Q
# at least 2^-192, far above binary64's smallest normal 2^-1022 (so FTZ
# and DAZ change nothing), and all stay below 2^258.
#
# Options: as for the other kernel bounds (the tiny lower bounds need
# -Echange-threshold=0, the enclosures of sqrt(1 + e) a wide precision).
#@-Echange-threshold=0
#@-Eprecision=200

@rnd = float<ieee_64, ne>;
@flt = float<ieee_32, ne>;

# |x| and |y|, binary32 numbers.
X = flt(Xr);
Y = flt(Yr);

# The kernel, one rounding per operation.
XX = rnd(X * X);
YY = rnd(Y * Y);
S  = rnd(XX + YY);
R  = rnd(sqrt(S));
A  = rnd(R + X);
H  = rnd(A * 0.5);
B  = rnd(sqrt(H));
Yh = rnd(Y * 0.5);
Q  = rnd(Yh / B);

# Exact values.
s = X * X + Y * Y;
r = sqrt(s);
b = sqrt((r + X) * 0.5);
q = (Y * 0.5) / b;

{ X in [1b-126, 1b128] /\ Y in [1b-126, 1b128] ->
    XX - X * X in [0, 0] /\ YY - Y * Y in [0, 0] /\ H - A * 0.5 in [0, 0] /\ Yh - Y * 0.5 in [0, 0]
 /\ S in [1b-253, 1b258] /\ B in [1b-64, 1b65] /\ Q in [1b-193, 1b128]
 /\ |B -/ b| <= 5.55122614542824521777220070362091064453125E-16 /\ |Q -/ q| <= 7.77167219467855829861946403980255126953125E-16 }
