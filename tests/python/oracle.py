"""The correctly rounded complex square root of a finite binary64 pair, and
the underflow flag a correctly rounded operation raises, decided exactly.

mpmath (200 bits) gives each part's approximate magnitude; the binary64
numbers around it, the rounding boundary and the tininess point are then
placed against the exact part in rational arithmetic. With x, y the
arguments and |z| = sqrt(x^2 + y^2), the parts are re = sqrt((|z| + x)/2)
and |im| = sqrt((|z| - x)/2), so for b >= 0

    re  > b  exactly when  |z| > 2b^2 - x,
    |im| > b  exactly when  |z| > 2b^2 + x,

and |z| > t is t < 0 or x^2 + y^2 > t^2: integers over powers of two. No
approximation enters the result, however close the root lies to a boundary.

Call it in round to nearest: float conversions here follow the thread's mode.
"""
import math
import struct
from fractions import Fraction

import mpmath

MODES = ("nearest", "down", "up", "zero")
SMALLEST_NORMAL = Fraction(2) ** -1022
_CTX = mpmath.MPContext()
_CTX.prec = 200


def bits(v):
    return struct.unpack("<Q", struct.pack("<d", v))[0]


def from_bits(b):
    return struct.unpack("<d", struct.pack("<Q", b))[0]


def _compare_part(x, y, sign_x, b):
    """Sign of (part - b) for the part sqrt((|z| + sign_x*x)/2), b >= 0 rational."""
    t = 2 * b * b - sign_x * x
    if t < 0:
        return 1
    lhs, rhs = x * x + y * y, t * t
    return (lhs > rhs) - (lhs < rhs)


def _floor_binary64(value):
    """The largest non-negative binary64 number at most value >= 0."""
    f = float(value)
    if Fraction(f) > value:
        f = math.nextafter(f, 0.0)
    return f


def _round_magnitude(compare, approx, direction):
    """(binary64 magnitude, exact, tiny) for the part that compare places.

    direction: 'nearest', 'toward' (zero) or 'away' (from zero), the
    magnitude's rounding. tiny: the part is inexact and its rounding to 53
    bits with an unbounded exponent lies below 2^-1022 (x86's tininess).
    """
    lo = _floor_binary64(approx)
    for _ in range(8):  # mpmath's error is far below one ulp: a step at most
        if compare(Fraction(lo)) < 0:
            lo = math.nextafter(lo, 0.0)
        elif compare(Fraction(math.nextafter(lo, math.inf))) >= 0:
            lo = math.nextafter(lo, math.inf)
        else:
            break
    else:
        raise AssertionError("the approximation is more than eight ulps off")
    if compare(Fraction(lo)) == 0:
        return lo, True, False
    hi = math.nextafter(lo, math.inf)
    if direction == "toward":
        result = lo
    elif direction == "away":
        result = hi
    else:
        c = compare((Fraction(lo) + Fraction(hi)) / 2)
        result = lo if c < 0 or (c == 0 and bits(lo) % 2 == 0) else hi
    # Just below 2^-1022 the 53-bit grid has spacing 2^-1075.
    last_below = SMALLEST_NORMAL - Fraction(2) ** -1075
    if direction == "toward":
        tiny = compare(SMALLEST_NORMAL) < 0
    elif direction == "away":
        tiny = compare(last_below) <= 0
    else:
        tiny = compare(last_below + Fraction(2) ** -1076) < 0
    return result, False, tiny


def _direction(mode, negative):
    if mode == "nearest":
        return "nearest"
    if mode == "zero":
        return "toward"
    return "away" if (mode == "up") != negative else "toward"


def cr_csqrt(x, y, mode):
    """(re, im, underflow) of the correctly rounded root of finite x + iy."""
    fx, fy = Fraction(x), Fraction(y)
    w = _CTX.sqrt(_CTX.mpc(x, y))
    approx_re = _to_fraction(abs(w.real))
    approx_im = _to_fraction(abs(w.imag))
    im_negative = math.copysign(1.0, y) < 0
    re, _, tiny_re = _round_magnitude(lambda b: _compare_part(fx, fy, 1, b), approx_re, _direction(mode, False))
    im, _, tiny_im = _round_magnitude(lambda b: _compare_part(fx, fy, -1, b), approx_im, _direction(mode, im_negative))
    return re, math.copysign(im, y), tiny_re or tiny_im


def _to_fraction(mpf_value):
    man, exp = mpf_value.man_exp
    return Fraction(int(man)) * Fraction(2) ** int(exp)
