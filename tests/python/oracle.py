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

The same decisions place the root of a binary32 pair on the binary32 grid
(cr_csqrtf), with binary32's tininess threshold 2^-126.

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


class _Format:
    """A binary format's grid: the largest member at most a value, the
    neighbours of a member, and its tininess threshold."""

    def __init__(self, precision, emin, code):
        self.smallest_normal = Fraction(2) ** emin
        # Just below the smallest normal the precision-bit grid (unbounded
        # exponent) has spacing 2^(emin - precision).
        self.below_step = Fraction(2) ** (emin - precision)
        self._code = code
        self._bits_code = "<I" if code == "<f" else "<Q"
        self._max = struct.unpack(code, struct.pack(self._bits_code, 0x7F7FFFFF if code == "<f" else 0x7FEFFFFFFFFFFFFF))[0]

    def _nearest(self, value):
        # Python's conversions round to nearest; a value above the format's
        # largest stays the largest (the roots here never come near it).
        f = min(float(value), self._max)
        return struct.unpack(self._code, struct.pack(self._code, f))[0]

    def floor(self, value):
        """The largest non-negative member at most value >= 0."""
        f = self._nearest(value)
        if Fraction(f) > value:
            f = self.down(f)
        return f

    def up(self, f):
        b = struct.unpack(self._bits_code, struct.pack(self._code, f))[0]
        return struct.unpack(self._code, struct.pack(self._bits_code, b + 1))[0]

    def down(self, f):
        if f == 0:
            return 0.0
        b = struct.unpack(self._bits_code, struct.pack(self._code, f))[0]
        return struct.unpack(self._code, struct.pack(self._bits_code, b - 1))[0]

    def is_even(self, f):
        return struct.unpack(self._bits_code, struct.pack(self._code, f))[0] % 2 == 0


BINARY64 = _Format(53, -1022, "<d")
BINARY32 = _Format(24, -126, "<f")


def _round_magnitude(compare, approx, direction, fmt=BINARY64):
    """(magnitude in fmt, exact, tiny) for the part that compare places.

    direction: 'nearest', 'toward' (zero) or 'away' (from zero), the
    magnitude's rounding. tiny: the part is inexact and its rounding to the
    format's precision with an unbounded exponent lies below the smallest
    normal (x86's tininess, after rounding).
    """
    lo = fmt.floor(approx)
    for _ in range(8):  # mpmath's error is far below one ulp: a step at most
        if compare(Fraction(lo)) < 0:
            lo = fmt.down(lo)
        elif compare(Fraction(fmt.up(lo))) >= 0:
            lo = fmt.up(lo)
        else:
            break
    else:
        raise AssertionError("the approximation is more than eight ulps off")
    if compare(Fraction(lo)) == 0:
        return lo, True, False
    hi = fmt.up(lo)
    if direction == "toward":
        result = lo
    elif direction == "away":
        result = hi
    else:
        c = compare((Fraction(lo) + Fraction(hi)) / 2)
        result = lo if c < 0 or (c == 0 and fmt.is_even(lo)) else hi
    last_below = fmt.smallest_normal - fmt.below_step
    if direction == "toward":
        tiny = compare(fmt.smallest_normal) < 0
    elif direction == "away":
        tiny = compare(last_below) <= 0
    else:
        tiny = compare(last_below + fmt.below_step / 2) < 0
    return result, False, tiny


def _direction(mode, negative):
    if mode == "nearest":
        return "nearest"
    if mode == "zero":
        return "toward"
    return "away" if (mode == "up") != negative else "toward"


def cr_csqrt(x, y, mode, fmt=BINARY64):
    """(re, im, underflow) of the correctly rounded root of finite x + iy."""
    fx, fy = Fraction(x), Fraction(y)
    w = _CTX.sqrt(_CTX.mpc(x, y))
    approx_re = _to_fraction(abs(w.real))
    approx_im = _to_fraction(abs(w.imag))
    im_negative = math.copysign(1.0, y) < 0
    re, _, tiny_re = _round_magnitude(lambda b: _compare_part(fx, fy, 1, b), approx_re, _direction(mode, False), fmt)
    im, _, tiny_im = _round_magnitude(lambda b: _compare_part(fx, fy, -1, b), approx_im, _direction(mode, im_negative),
                                      fmt)
    return re, math.copysign(im, y), tiny_re or tiny_im


def cr_csqrtf(x, y, mode):
    """(re, im, underflow) of the root of finite binary32 x + iy rounded to
    binary32 (x and y given as Python floats, which hold them exactly)."""
    return cr_csqrt(x, y, mode, BINARY32)


def _to_fraction(mpf_value):
    man, exp = mpf_value.man_exp
    return Fraction(int(man)) * Fraction(2) ** int(exp)
