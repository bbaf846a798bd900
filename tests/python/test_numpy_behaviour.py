"""What numpy users expect of a ufunc: casting of scalars and other dtypes,
empty and 0-d arrays, out= (aliasing the input too), where=, broadcasting,
and views of every layout, each against the same values computed from a
fresh contiguous complex128 copy; the rounding context, as a decorator too."""
import math
import threading

import numpy as np
import pytest

import ravo_libm
from conftest import bits

UFUNCS = [ravo_libm.cr_csqrt, ravo_libm.csqrt]


def _values(n):
    # Every quadrant, the axes, subnormal and huge parts.
    rng = np.random.default_rng(n)
    z = rng.standard_normal(n) * 10.0 ** rng.integers(-300, 300, n) + 1j * rng.standard_normal(n)
    z[::7] = -z[::7].real
    z[1::11] = 5e-324j
    return z


def _reference(ufunc, z):
    return ufunc(np.ascontiguousarray(z, dtype=np.complex128))


# Input, expected root (exact, so written down), shape, and whether cr_csqrt
# keeps it in single precision (complex64; csqrt always gives complex128).
CASTS = [
    (np.float32(4), 2 + 0j, (), True),
    (np.float16(-4), 2j, (), True),
    (-4.0, 2j, (), False),
    (9, 3 + 0j, (), False),
    (np.int8(-9), 3j, (), False),
    (np.array([4, 9], dtype=np.uint16), [2, 3], (2,), False),
    (3 + 4j, 2 + 1j, (), False),
    (np.complex64(-3 - 4j), 1 - 2j, (), True),
    (np.array([1, 2], dtype=np.complex64), [1, math.sqrt(2)], (2,), True),
    (np.array([4, -16], dtype=np.float32), [2, 4j], (2,), True),
    ([[-4.0, 0.25]], [[2j, 0.5]], (1, 2), False),
    (np.array([-1 + 0j], dtype=">c16"), [1j], (1,), False),  # byte-swapped, cast on the way in
    (np.array([-1 + 0j], dtype=">c8"), [1j], (1,), True),
]


@pytest.mark.parametrize("ufunc", UFUNCS, ids=lambda u: u.__name__)
@pytest.mark.parametrize("argument, root, shape, single", CASTS)
def test_casts(ufunc, argument, root, shape, single):
    dtype = np.complex64 if single and ufunc is ravo_libm.cr_csqrt else np.complex128
    w = ufunc(argument)
    assert w.dtype == dtype and np.shape(w) == shape
    assert bits(w).tolist() == bits(np.array(root, dtype=dtype)).tolist()
    if shape == ():
        assert isinstance(w, dtype)


@pytest.mark.parametrize("ufunc", UFUNCS, ids=lambda u: u.__name__)
def test_empty_and_zero_dimensional(ufunc):
    for shape in [(0,), (3, 0, 2)]:
        w = ufunc(np.empty(shape, dtype=np.complex128))
        assert w.shape == shape and w.dtype == np.complex128
    out = np.zeros((), dtype=np.complex128)
    assert ufunc(np.array(-4 + 0j), out=out) is out and out[()] == 2j


def _layouts():
    """(name, function of a fresh 2-D base array giving the input view)."""
    return [
        ("every second", lambda a: a.ravel()[::2]),
        ("reversed", lambda a: a.ravel()[::-1]),
        ("transposed", lambda a: a.T),
        ("column step 3", lambda a: a[:, ::3]),
        ("fortran order", lambda a: np.asfortranarray(a)),
        ("unaligned", lambda a: _unaligned(a.ravel())),
        ("real part only", lambda a: a.real[::2]),
    ]


def _unaligned(z):
    raw = np.zeros(z.nbytes + 1, dtype=np.uint8)
    u = np.ndarray(z.shape, dtype=np.complex128, buffer=raw, offset=1)
    u[...] = z
    return u


@pytest.mark.parametrize("ufunc", UFUNCS, ids=lambda u: u.__name__)
@pytest.mark.parametrize("name, view", _layouts(), ids=[n for n, _ in _layouts()])
def test_views(ufunc, name, view):
    # 600 rows of 2 cross the 256-element blocks of the strided path.
    z = view(_values(1200).reshape(600, 2))
    assert bits(ufunc(z)).tolist() == bits(_reference(ufunc, z)).tolist()


@pytest.mark.parametrize("ufunc", UFUNCS, ids=lambda u: u.__name__)
def test_out_where_and_broadcasting(ufunc):
    z = _values(700)
    want = bits(_reference(ufunc, z))
    # In place, contiguous and strided, and into a strided out.
    a = z.copy()
    assert ufunc(a, out=a) is a and bits(a).tolist() == want.tolist()
    b = np.repeat(z, 3)
    ufunc(b[::3], out=b[::3])
    assert bits(b[::3]).tolist() == want.tolist() and (b[1::3] == z).all()
    c = np.zeros(2 * len(z), dtype=np.complex128)
    ufunc(z, out=c[1::2])
    assert bits(c[1::2]).tolist() == want.tolist() and (c[::2] == 0).all()
    # Overlapping input and output: numpy works on a copy.
    d = z.copy()
    ufunc(d[:-1], out=d[1:])
    assert bits(d[1:]).tolist() == want[:-1].tolist()
    # where=: untouched elements keep what out held.
    mask = np.arange(len(z)) % 3 == 0
    e = np.full(len(z), 7 + 7j)
    ufunc(z, out=e, where=mask)
    assert bits(e[mask]).tolist() == want[mask].tolist() and (e[~mask] == 7 + 7j).all()
    # A column broadcast along the output's rows.
    f = np.empty((len(z), 4), dtype=np.complex128)
    ufunc(z[:, None], out=f)
    assert all(bits(f[:, k]).tolist() == want.tolist() for k in range(4))
    # Output cast down to complex64 as numpy's same-kind rule allows.
    small = z[np.abs(z) < 1e30]
    g = np.empty(len(small), dtype=np.complex64)
    ufunc(small, out=g)
    assert (g == _reference(ufunc, small).astype(np.complex64)).all()


def test_ordinary_input_raises_no_warning():
    # pytest.ini turns warnings into errors: an invalid, overflow or
    # divide-by-zero flag from ordinary arguments would fail here.
    z = _values(5000)
    for ufunc in UFUNCS:
        with np.errstate(all="raise", under="ignore"):
            ufunc(z)
        ufunc(z)


def test_rounding_context():
    assert ravo_libm.get_rounding() == "nearest"
    with ravo_libm.rounding("down"):
        low = ravo_libm.cr_csqrt(2.0).real
        design_low = ravo_libm.csqrt(2.0).real
    with ravo_libm.rounding("up") as mode:
        assert mode == "up"
        high = ravo_libm.cr_csqrt(2.0).real
        design_high = ravo_libm.csqrt(2.0).real
        # numpy's own float64 arithmetic rounds in the same mode.
        assert np.float64(1.0) + np.float64(2.0**-60) > 1.0
    # Both units are set: the SSE mode (cr_csqrt) and the x87 mode (csqrt).
    assert math.nextafter(low, math.inf) == high and math.sqrt(2.0) in (low, high)
    assert (design_low, design_high) == (low, high)
    # Restored on exceptions and nested exits; each exit puts back what its
    # entry found.
    with ravo_libm.rounding("zero"):
        with pytest.raises(KeyError):
            with ravo_libm.rounding("up"):
                raise KeyError
        assert ravo_libm.get_rounding() == "zero"
    assert ravo_libm.get_rounding() == "nearest"
    with pytest.raises(ValueError, match="rounding mode"):
        ravo_libm.rounding("upward")
    assert ravo_libm.get_rounding() == "nearest"


def test_rounding_as_decorator():
    # Each call sets the mode and puts back the one it found, on return and
    # on raise, with its own saved mode: recursion and two threads in the
    # same decorated function at once.
    together = threading.Barrier(2, timeout=10)

    @ravo_libm.rounding("down")
    def lower(z, depth=0, fail=False, meet=False):
        """sqrt z rounded down."""
        assert ravo_libm.get_rounding() == "down"
        if meet:
            together.wait()
        if depth:
            with ravo_libm.rounding("up"):
                lower(z, depth - 1)
                assert ravo_libm.get_rounding() == "up"
        if fail:
            raise KeyError
        return ravo_libm.cr_csqrt(z)

    with ravo_libm.rounding("down"):
        want = ravo_libm.cr_csqrt(2.0)
    assert want != ravo_libm.cr_csqrt(2.0)
    assert lower(2.0, depth=2) == want and ravo_libm.get_rounding() == "nearest"
    with ravo_libm.rounding("zero"):
        with pytest.raises(KeyError):
            lower(2.0, fail=True)
        assert ravo_libm.get_rounding() == "zero"
    results = []
    threads = [threading.Thread(target=lambda: results.append((lower(2.0, meet=True), ravo_libm.get_rounding())))
               for _ in range(2)]
    for thread in threads:
        thread.start()
    for thread in threads:
        thread.join()
    assert results == [(want, "nearest")] * 2
    # It looks like the function it wraps, and binds as a method.
    assert (lower.__name__, lower.__doc__, lower.__wrapped__.__name__) == ("lower", "sqrt z rounded down.", "lower")

    class Holder:
        @ravo_libm.rounding("up")
        def mode(self):
            return self, ravo_libm.get_rounding()

    holder = Holder()
    assert holder.mode() == (holder, "up") and ravo_libm.get_rounding() == "nearest"
    context = ravo_libm.rounding("zero")
    assert isinstance(context, ravo_libm.rounding) and repr(context) == "ravo_libm.rounding('zero')"


def test_rounding_is_the_calling_threads():
    # A thread running while another sets its mode keeps its own (one started
    # inside the block would begin with the creator's mode, as threads do).
    entered, measured = threading.Event(), threading.Event()
    seen = []

    def worker():
        entered.wait()
        seen.append((ravo_libm.get_rounding(), ravo_libm.cr_csqrt(2.0)))
        measured.set()

    thread = threading.Thread(target=worker)
    thread.start()
    with ravo_libm.rounding("down"):
        entered.set()
        measured.wait()
        assert ravo_libm.get_rounding() == "down"
    thread.join()
    assert seen == [("nearest", ravo_libm.cr_csqrt(2.0))]
