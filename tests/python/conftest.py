"""Shared by the Python module's tests: the module, the library's C functions
through ctypes (a second, independent route to the same code), and numpy's
view of the floating-point flags."""
import ctypes
import os

import numpy as np
import pytest
from hypothesis import settings

import ravo_libm

settings.register_profile("ravo", max_examples=60, deadline=None, database=None, print_blob=True)
settings.load_profile("ravo")

# numpy's error mask, as np.errstate's call handler receives it.
UNDERFLOW = 4
INVALID = 8


class _Complex(ctypes.Structure):
    # Passed and returned like double _Complex: two doubles in registers on
    # x86-64 and aarch64.
    _fields_ = [("re", ctypes.c_double), ("im", ctypes.c_double)]


@pytest.fixture(scope="session")
def clib():
    """The shared library, with cr_csqrt_scalar and csqrt_scalar taking and
    returning (re, im) tuples."""
    path = os.environ.get("RAVO_LIBM_SHARED")
    if not path:
        pytest.skip("RAVO_LIBM_SHARED names no shared library (ctest sets it)")
    lib = ctypes.CDLL(path)
    functions = {}
    for name in ("cr_csqrt_scalar", "csqrt_scalar"):
        f = getattr(lib, name)
        f.argtypes = [_Complex]
        f.restype = _Complex

        def call(re, im, f=f):
            w = f(_Complex(re, im))
            return w.re, w.im

        functions[name] = call
    return functions


def numpy_flags(compute):
    """(compute(), the union of the error masks numpy saw in it, 0 for none)."""
    seen = [0]
    with np.errstate(all="call", call=lambda kind, mask: seen.append(mask)):
        result = compute()
    return result, np.bitwise_or.reduce(seen)


def bits(a):
    """The bit patterns of a complex128 array's parts, shape (..., 2)."""
    a = np.ascontiguousarray(a, dtype=np.complex128)
    return a.view(np.uint64).reshape(a.shape + (2,))


# The fixed-direction ufuncs with the thread mode whose cr_csqrt each equals.
DIRECTED = (("cr_csqrt_rn", "nearest"), ("cr_csqrt_rd", "down"), ("cr_csqrt_ru", "up"), ("cr_csqrt_rz", "zero"))


def from_bits(pairs):
    """complex128 array of (re, im) bit patterns: no arithmetic touches the
    values, so signalling NaNs stay signalling."""
    return np.array(pairs, dtype=np.uint64).view(np.complex128).ravel()


def _bits_of(x):
    return int(np.float64(x).view(np.uint64))


def argument_groups(seed):
    """Arguments by kind, each a complex128 array: every quadrant at random
    magnitudes, the axes, quiet specials (NaN signs and payloads), signalling
    NaNs, tiny and subnormal parts, huge ones, and imaginary parts just
    inside the normal range, positive and negative, which round to the
    smallest normal (no underflow) or below it (underflow) by direction:
    every pair of directions differs in their bits and in their flags."""
    rng = np.random.default_rng(seed)

    def parts(re, im):
        z = np.empty(len(re), dtype=np.complex128)
        z.real, z.imag = re, im
        return z

    n = 240
    general = parts(
        rng.standard_normal(n) * 10.0 ** rng.integers(-150, 150, n),
        rng.standard_normal(n) * 10.0 ** rng.integers(-150, 150, n),
    )
    sign, inf, qnan, snan = 1 << 63, 0x7FF0000000000000, 0x7FF8000000000000, 0x7FF0000000000001
    one, two, three = _bits_of(1.0), _bits_of(2.0), _bits_of(3.0)
    axes = []
    for x in (2.0, 3.0, 1e-310, 5e-324, 1.5e308, rng.uniform(1, 10)):
        for s in (0, sign):
            axes += [(_bits_of(x) | s, 0), (_bits_of(x) | s, sign), (0, _bits_of(x) | s), (sign, _bits_of(x) | s)]
    axes += [(0, 0), (sign, sign)]
    special = [
        (inf, three), (inf | sign, three | sign), (two, inf | sign), (qnan | 0x123, inf), (inf | sign, qnan),
        (qnan | sign | 0x42, three), (two, qnan | sign | 7), (inf, qnan | sign), (qnan, qnan | sign),
    ]
    signalling = [(snan, one), (one | sign, snan | sign | 5), (snan | sign, 0), (inf | sign, snan)]
    tiny_y = (2.0**-1070, 1e-300, 5e-324, 2.0**-1022)
    tiny = [(_bits_of(x), _bits_of(y) | s) for x, y in zip((4.0, 1e300, 5e-324, 1e-310), tiny_y)
            for s in (0, sign)]
    tiny += [(_bits_of(-5e-324), s) for s in (0, sign)]
    subnormal = parts(rng.uniform(-1, 1, 20) * 2.0**-1022, rng.uniform(-1, 1, 20) * 2.0**-1022)
    huge = parts(rng.choice([-1, 1], 20) * rng.uniform(1e300, 1.7e308, 20), rng.uniform(-1, 1, 20) * 1e308)
    biggest = _bits_of(np.finfo(np.float64).max)
    huge_edges = [(biggest, biggest), (biggest | sign, biggest), (biggest | sign, biggest | sign), (biggest, one)]
    return {
        "general": general,
        "axes": from_bits(axes),
        "special": from_bits(special),
        "signalling": from_bits(signalling),
        "tiny": np.concatenate([from_bits(tiny), subnormal]),
        "huge": np.concatenate([huge, from_bits(huge_edges)]),
        # Im = y / (2 Re) is just below 2**-1022 in magnitude.
        "threshold positive": from_bits([(one, _bits_of(2.0**-1021)), (_bits_of(4.0), _bits_of(2.0**-1020))]),
        "threshold negative": from_bits([(one, _bits_of(-(2.0**-1021))), (_bits_of(4.0), _bits_of(-(2.0**-1020)))]),
    }


def in_mode(mode, ufunc, z, **kwargs):
    """ufunc(z) with the calling thread in mode, put back afterwards."""
    with ravo_libm.rounding(mode):
        return ufunc(z, **kwargs)
