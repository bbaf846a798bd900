"""cr_csqrt and its fixed directions on complex64: every bit and the
underflow flag against the exact oracle rounded to binary32, in all four
modes, through the array function (contiguous) and the scalar one
(strided); which loop numpy picks for each input type and out=; and a
root that a float64 result cast to complex64 gets wrong."""
import functools
import math
import random
import struct

import numpy as np
import pytest

import oracle
import ravo_libm
from conftest import DIRECTED, UNDERFLOW, bits, numpy_flags

SEED = 20261209
F32_MAX = float(np.finfo(np.float32).max)
TINY32 = 2.0**-149  # the smallest binary32 subnormal


def f32(v):
    """v rounded to binary32 (to nearest), as a Python float."""
    return struct.unpack("<f", struct.pack("<f", v))[0]


def from_bits32(b):
    return struct.unpack("<f", struct.pack("<I", b))[0]


def bits32(a):
    """The bit patterns of a complex64 array's parts, shape (..., 2)."""
    a = np.ascontiguousarray(a)
    assert a.dtype == np.complex64
    return a.view(np.uint32).reshape(a.shape + (2,))


# z = (1 + 2^-23) + i 2^-23 (1 + 2^-23): sqrt(1 + 2^-23) lies 2^-49 below
# the binary32 midpoint 1 + 2^-24, and this imaginary part lifts Re z^(1/2)
# just above it, by far less than half a float64 ulp. The float64 root is
# the midpoint itself, which a cast to complex64 rounds to even (1), while
# the root rounded once to nearest is 1 + 2^-23. With -x the same happens
# to the imaginary part. Found by search against the oracle.
DOUBLE_ROUNDING = [(1 + 2.0**-23, 2.0**-23 * (1 + 2.0**-23)), (-(1 + 2.0**-23), -(2.0**-23) * (1 + 2.0**-23))]


def _finite32(rng):
    while True:
        v = from_bits32(rng.getrandbits(32))
        if math.isfinite(v):
            return v


def _signed(rng, v):
    return -v if rng.random() < 0.5 else v


def _arguments(seed):
    rng = random.Random(seed)
    out = []
    for _ in range(60):
        # Random bit patterns (every binade, subnormals), ordinary
        # magnitudes, one part far below the other (the small part of the
        # root then underflows or is subnormal), parts of similar magnitude.
        out.append((_finite32(rng), _finite32(rng)))
        out.append((f32(_signed(rng, math.ldexp(rng.random(), rng.randint(-30, 30)))),
                    f32(_signed(rng, math.ldexp(rng.random(), rng.randint(-30, 30))))))
        big = _finite32(rng)
        small = f32(big * math.ldexp(rng.random() + 0.5, -rng.randint(10, 200)))
        out.append((big, small) if rng.random() < 0.5 else (small, big))
        x = _finite32(rng)
        out.append((x, f32(_signed(rng, x * (1 - math.ldexp(rng.random(), -12))))))
        # Exact squares: (a + bi)^2 with 12-bit a, b, so both parts of the
        # root are binary32 numbers and the result is exact.
        e = rng.randint(-70, 50)
        a = math.ldexp(_signed(rng, rng.getrandbits(12)), e)
        b = math.ldexp(_signed(rng, rng.getrandbits(12)), e)
        out.append((a * a - b * b, 2 * a * b))
    # Im sqrt(x + yi) ~ y / (2 sqrt x) around 2^-126: tiny before rounding
    # and not after, or tiny after too, by direction; subnormal and the
    # smallest subnormal imaginary parts; the largest parts.
    for k in range(-2, 3):
        y = from_bits32(struct.unpack("<I", struct.pack("<f", 2.0**-125))[0] + k)
        for x in (1.0, -1.0, 4.0, -0.25):
            out += [(x, y), (x, -y)]
    for m in (1, 2, 3, 5, 2**23 - 1, 2**23, 2**23 + 1):
        out += [(1.0, math.ldexp(m, -149)), (-2.0, -math.ldexp(m, -149)), (math.ldexp(m, -149), math.ldexp(m, -149))]
    out += [(F32_MAX, F32_MAX), (-F32_MAX, TINY32), (F32_MAX, -TINY32), (TINY32, 0.0), (-TINY32, -0.0), (3.0, -4.0),
            (2.0, 0.0), (-2.0, 0.0)]
    assert all(f32(x) == x and f32(y) == y for x, y in out)
    return out


ARGUMENTS = _arguments(SEED)


def _complex64(pairs):
    z = np.empty(len(pairs), dtype=np.complex64)
    z.real = [x for x, _ in pairs]
    z.imag = [y for _, y in pairs]
    return z


@functools.lru_cache(maxsize=None)
def expected(mode):
    """Bits of the roots rounded once to binary32, shape (n, 2), and the
    underflow flag of each."""
    rows = [oracle.cr_csqrtf(x, y, mode) for x, y in ARGUMENTS]
    return bits32(_complex64([(re, im) for re, im, _ in rows])), np.array([tiny for _, _, tiny in rows])


def _mismatches(z, got, want):
    bad = np.nonzero((got != want).any(axis=1))[0]
    return [f"z=({float(z[i].real).hex()}, {float(z[i].imag).hex()}) got {[hex(v) for v in got[i]]} "
            f"want {[hex(v) for v in want[i]]}" for i in bad[:5]]


@pytest.mark.parametrize("name, mode", DIRECTED, ids=[m for _, m in DIRECTED])
def test_bits_and_flags_against_the_oracle(name, mode):
    z = _complex64(ARGUMENTS)
    want, tiny = expected(mode)
    directed = getattr(ravo_libm, name)
    other = oracle.MODES[(oracle.MODES.index(mode) + 1) % len(oracle.MODES)]
    doubled = np.repeat(z, 2)
    runs = {}
    with ravo_libm.rounding(mode):
        runs["contiguous"] = numpy_flags(lambda: ravo_libm.cr_csqrt(z))
        runs["strided"] = numpy_flags(lambda: ravo_libm.cr_csqrt(doubled[::2]))
        each = [numpy_flags(lambda: ravo_libm.cr_csqrt(v))[1] for v in z]
    # The fixed direction from a thread in another mode, both paths.
    with ravo_libm.rounding(other):
        runs[name] = numpy_flags(lambda: directed(z))
        runs[name + " strided"] = numpy_flags(lambda: directed(doubled[::-2])[::-1])
        assert ravo_libm.get_rounding() == other
    assert ravo_libm.get_rounding() == "nearest"
    for run, (got, mask) in runs.items():
        assert _mismatches(z, bits32(got), want) == [], run
        # Underflow exactly when some part is inexact and tiny after
        # rounding; nothing else numpy watches for finite input.
        assert mask == (UNDERFLOW if tiny.any() else 0), run
    wrong = [(z[i], each[i]) for i in range(len(z)) if each[i] != (UNDERFLOW if tiny[i] else 0)]
    assert wrong == []


def test_the_double_rounding_rows_are_what_they_claim():
    # Independently of the library: in round to nearest the float64 root
    # cast to float32 differs from the root rounded once, and the library's
    # complex64 loop gives the latter while the complex128 route gives the
    # former. A complex64 loop that widened would fail here and in the
    # table above.
    for x, y in DOUBLE_ROUNDING:
        once = oracle.cr_csqrtf(x, y, "nearest")[:2]
        twice = tuple(f32(v) for v in oracle.cr_csqrt(x, y, "nearest")[:2])
        assert once != twice
        z = _complex64([(x, y)])
        new = ravo_libm.cr_csqrt(z)
        old = ravo_libm.cr_csqrt(z.astype(np.complex128)).astype(np.complex64)
        assert bits32(new).tolist() == bits32(_complex64([once])).tolist()
        assert bits32(old).tolist() == bits32(_complex64([twice])).tolist()


def _loop_rows():
    """(case, function of a complex64 array z of double-rounding arguments
    giving the result, the dtype it must have, whether its values are the
    binary32 roots (else the float64 ones))."""
    def into(dtype, a):
        out = np.zeros(a.shape, dtype=dtype)
        return lambda f: (f(a, out=out), out)[1]

    def strided_out(f, a):
        out = np.zeros(2 * a.size, dtype=np.complex64)
        f(a, out=out[1::2])
        assert (out[::2] == 0).all()
        return out[1::2]

    return [
        ("complex64", lambda f, z: f(z), np.complex64, True),
        ("complex64 out=complex64", lambda f, z: into(np.complex64, z)(f), np.complex64, True),
        ("complex64 in place", lambda f, z: (lambda a: (f(a, out=a), a)[1])(z.copy()), np.complex64, True),
        ("complex64 strided out", lambda f, z: strided_out(f, z), np.complex64, True),
        ("complex64 out=complex128", lambda f, z: into(np.complex128, z)(f), np.complex128, True),
        ("complex64 reversed", lambda f, z: f(z[::-1])[::-1], np.complex64, True),
        ("complex64 column", lambda f, z: f(np.stack([z, z], axis=1)[:, 1]), np.complex64, True),
        ("complex64 big-endian", lambda f, z: f(z.astype(">c8")), np.complex64, True),
        ("complex64 scalar", lambda f, z: np.array([f(np.complex64(v)) for v in z]), np.complex64, True),
        ("complex128", lambda f, z: f(z.astype(np.complex128)), np.complex128, False),
        ("complex128 out=complex64", lambda f, z: into(np.complex64, z.astype(np.complex128))(f), np.complex64,
         False),
        ("Python complex", lambda f, z: np.array([f(complex(v)) for v in z]), np.complex128, False),
        ("complex64 dtype=complex128", lambda f, z: f(z, dtype=np.complex128), np.complex128, False),
    ]


@pytest.mark.parametrize("name, mode", [("cr_csqrt", "nearest")] + list(DIRECTED[:1]))
@pytest.mark.parametrize("case, compute, dtype, single", _loop_rows(), ids=[r[0] for r in _loop_rows()])
def test_loop_selection_by_values(name, mode, case, compute, dtype, single):
    # The double-rounding arguments tell the loops apart by their bits:
    # complex64 input stays in binary32 through every layout and out=.
    z = _complex64(DOUBLE_ROUNDING)
    got = compute(getattr(ravo_libm, name), z)
    assert got.dtype == dtype
    rows = [(oracle.cr_csqrtf if single else oracle.cr_csqrt)(x, y, mode)[:2] for x, y in DOUBLE_ROUNDING]
    want = np.array([complex(re, im) for re, im in rows], dtype=dtype)
    assert bits(got).tolist() == bits(want).tolist()


# Input, the result dtype: float16, float32 and complex64 stay single,
# everything else is complex128 as before the complex64 loop, narrow
# integers and booleans included (numpy's default would take them to
# complex64 too).
DTYPES = [
    (np.float16, np.complex64), (np.float32, np.complex64), (np.complex64, np.complex64), (">f4", np.complex64),
    (np.float64, np.complex128), (np.complex128, np.complex128), (np.int64, np.complex128),
    (np.int8, np.complex128), (np.uint8, np.complex128), (np.int16, np.complex128), (np.uint16, np.complex128),
    (np.int32, np.complex128), (np.uint64, np.complex128), (np.bool_, np.complex128),
]


@pytest.mark.parametrize("ufunc", ["cr_csqrt", "cr_csqrt_rn", "cr_csqrt_rd", "cr_csqrt_ru", "cr_csqrt_rz"])
def test_result_dtypes(ufunc):
    f = getattr(ravo_libm, ufunc)
    got = [f(np.array([1, 4], dtype=t)).dtype for t, _ in DTYPES]
    assert got == [np.dtype(r) for _, r in DTYPES]
    got = [np.asarray(f(np.array(4, dtype=t)[()])).dtype for t, _ in DTYPES]
    assert got == [np.dtype(r) for _, r in DTYPES]
    # Python numbers are float64, int64 and complex128 to numpy.
    assert [np.asarray(f(v)).dtype for v in (4, 4.0, 4j, True)] == [np.complex128] * 4
    # The x87 design has the complex128 loop only.
    assert ravo_libm.csqrt(np.float32(4)).dtype == np.complex128
    # An input that does not cast safely to complex128 stays refused.
    with pytest.raises(TypeError):
        f(np.array([1.5], dtype=np.longdouble))


# Parts within 2^-53 of a binary32 midpoint, to nearest, from threads in
# every mode: the real part of the first lies 2^-72 below 1 + 2^-24, the
# second's just above it; only the exact root tells the side, never the
# binary64 value or the thread's mode.
NEAR_MIDPOINTS = [
    ("cr_csqrt", "nearest", (1 + 2.0**-23, 2.0**-23)),
    ("cr_csqrt_rn", "down", (1 + 2.0**-23, 2.0**-23)),
    ("cr_csqrt_rn", "down", DOUBLE_ROUNDING[0]),
    ("cr_csqrt_rn", "zero", DOUBLE_ROUNDING[0]),
]


@pytest.mark.parametrize("name, thread_mode, pair", NEAR_MIDPOINTS)
def test_near_midpoints(name, thread_mode, pair):
    z = _complex64([pair])
    with ravo_libm.rounding(thread_mode):
        got = getattr(ravo_libm, name)(z)
    want = _complex64([oracle.cr_csqrtf(*pair, "nearest")[:2]])
    assert bits32(got).tolist() == bits32(want).tolist()
