"""Shared by the Python module's tests: the module, the library's C functions
through ctypes (a second, independent route to the same code), and numpy's
view of the floating-point flags."""
import ctypes
import os

import numpy as np
import pytest
from hypothesis import settings

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
