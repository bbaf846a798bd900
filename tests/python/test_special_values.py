"""The special-value table through both ufuncs, in every mode: bit patterns
(NaN signs and payloads included) and the invalid flag as numpy reports it."""
import numpy as np
import pytest

import ravo_libm
from conftest import INVALID, bits, numpy_flags
from oracle import MODES

INF, NINF = 0x7FF0000000000000, 0xFFF0000000000000
PZERO, NZERO = 0x0000000000000000, 0x8000000000000000
SIGN = 1 << 63
TWO, FOUR, EIGHT = 0x4000000000000000, 0x4010000000000000, 0x4020000000000000
THREE = 0x4008000000000000


def qnan(payload):
    return 0x7FF8000000000000 | payload


def snan(payload):
    return 0x7FF0000000000000 | payload


# (x, y) -> (re, im), invalid. A NaN made from the product x*y carries x's
# sign and payload (quieted) when x is a NaN, otherwise y's; only a
# signalling NaN in that product raises invalid.
TABLE = [
    ((qnan(0x123), INF), (INF, INF), False),  # an infinite y wins over any x
    ((snan(5), NINF), (INF, NINF), False),  # ... raising nothing, even for sNaN
    ((NINF, SIGN | qnan(0x77)), (SIGN | qnan(0x77), INF), False),
    ((NINF, snan(9)), (qnan(9), INF), True),
    ((INF, SIGN | qnan(0x42)), (INF, SIGN | qnan(0x42)), False),
    ((TWO, qnan(5)), (qnan(5), qnan(5)), False),
    ((SIGN | snan(7), THREE), (SIGN | qnan(7), SIGN | qnan(7)), True),
    ((qnan(1), snan(2)), (qnan(1), qnan(1)), True),  # both NaN: x's payload
    ((NINF, SIGN | TWO), (PZERO, NINF), False),
    ((NINF, PZERO), (PZERO, INF), False),
    ((NINF, NZERO), (PZERO, NINF), False),
    ((INF, NZERO), (INF, NZERO), False),
    ((INF, THREE), (INF, PZERO), False),
    ((SIGN | FOUR, NZERO), (PZERO, SIGN | TWO), False),
    ((SIGN | FOUR, PZERO), (PZERO, TWO), False),
    ((FOUR, NZERO), (TWO, NZERO), False),
    ((NZERO, NZERO), (PZERO, NZERO), False),
    ((PZERO, PZERO), (PZERO, PZERO), False),
    ((NZERO, EIGHT), (TWO, TWO), False),
    ((PZERO, SIGN | EIGHT), (TWO, SIGN | TWO), False),
]


def _arguments():
    return np.array([pair for pair, _, _ in TABLE], dtype=np.uint64).view(np.complex128).ravel()


@pytest.mark.parametrize("name", ["cr_csqrt", "csqrt"])
@pytest.mark.parametrize("mode", MODES)
def test_special_values(name, mode):
    ufunc = getattr(ravo_libm, name)
    z = _arguments()
    with ravo_libm.rounding(mode):
        got, mask = numpy_flags(lambda: ufunc(z))
        each = [numpy_flags(lambda: ufunc(v))[1] for v in z]
    want = np.array([root for _, root, _ in TABLE], dtype=np.uint64)
    wrong = [(hex(x), hex(y), [hex(v) for v in g]) for ((x, y), _, _), g, w in zip(TABLE, bits(got), want)
             if (g != w).any()]
    assert wrong == []
    assert each == [INVALID if invalid else 0 for _, _, invalid in TABLE]
    assert mask == INVALID


@pytest.mark.parametrize("name", ["cr_csqrt", "csqrt"])
def test_signalling_nan_reaches_numpy_error_handling(name):
    ufunc = getattr(ravo_libm, name)
    z = np.array([1 + 2j, 3 + 0j], dtype=np.complex128)
    z.view(np.uint64)[2] = snan(1)  # Re z[1]
    with pytest.warns(RuntimeWarning, match=f"invalid value encountered in {name}"):
        ufunc(z)
    with np.errstate(invalid="raise"), pytest.raises(FloatingPointError, match="invalid value"):
        ufunc(z)
    with np.errstate(invalid="ignore"):
        assert bits(ufunc(z))[1].tolist() == [qnan(1), qnan(1)]
