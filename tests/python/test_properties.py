"""Property tests: on arbitrary arrays, shapes and views (any strides,
negative ones too, transposed, in place, strided out=), in any rounding mode,
each ufunc gives what the library's scalar function gives for each element,
called through ctypes, bit for bit, and numpy sees the union of the flags the
elements raise one at a time."""
import numpy as np
from hypothesis import given
from hypothesis import strategies as st
from hypothesis.extra import numpy as hnp

import ravo_libm
from conftest import bits, numpy_flags
from oracle import MODES

# Zeros, subnormals, the normal range's ends, infinities and NaNs with
# payloads (quiet and signalling), both signs.
SPECIAL_BITS = [
    0x0, 0x1, 0x000FFFFFFFFFFFFF, 0x0010000000000000, 0x3FF0000000000000, 0x4010000000000000,
    0x7FEFFFFFFFFFFFFF, 0x7FF0000000000000, 0x7FF8000000000000, 0x7FF800000000ABCD, 0x7FF0000000000001,
    0x7FF4000000000123,
]
PART_BITS = st.one_of(
    st.sampled_from(SPECIAL_BITS + [b | 1 << 63 for b in SPECIAL_BITS]),
    st.integers(0, 2**64 - 1),
    st.floats(allow_nan=False, allow_infinity=False, width=64).map(lambda v: int(np.float64(v).view(np.uint64))),
)


def _complex_from_bits(parts):
    return np.array(parts, dtype=np.uint64).view(np.complex128)


@st.composite
def views(draw):
    """A view of a fresh complex128 array: any dimensions, steps and axis order."""
    shape = draw(hnp.array_shapes(min_dims=1, max_dims=3, min_side=0, max_side=6))
    if draw(st.booleans()):
        shape = (draw(st.integers(0, 700)),)  # long enough to cross the 256-element blocks
    steps = [draw(st.sampled_from([1, 1, 2, 3, -1, -2])) for _ in shape]
    base_shape = tuple(n * abs(s) for n, s in zip(shape, steps))
    count = int(np.prod(base_shape))
    parts = draw(st.lists(PART_BITS, min_size=2 * count, max_size=2 * count))
    base = _complex_from_bits(parts).reshape(base_shape)
    view = base[tuple(slice(None, None, s) for s in steps)]
    order = draw(st.permutations(range(view.ndim)))
    return view.transpose(order)


def _per_element(scalar_function, z):
    """The C function on each element in turn, through ctypes."""
    flat = np.ascontiguousarray(z).ravel()
    out = np.array([complex(*scalar_function(v.real, v.imag)) for v in flat], dtype=np.complex128)
    return out.reshape(z.shape)


def _check(ufunc, scalar_function, z, mode, where_out):
    with ravo_libm.rounding(mode):
        want = _per_element(scalar_function, z)
        element_masks = [numpy_flags(lambda: ufunc(v))[1] for v in np.ascontiguousarray(z).ravel()]
        if where_out == "in place":  # z is this example's own view: overwrite it
            got = z
            _, mask = numpy_flags(lambda: ufunc(z, out=z))
        elif where_out == "strided out":
            backing = np.zeros(z.shape + (2,), dtype=np.complex128)
            got = backing[..., 1]
            _, mask = numpy_flags(lambda: ufunc(z, out=got))
        else:
            got, mask = numpy_flags(lambda: ufunc(z))
    assert got.shape == z.shape
    assert bits(got).tolist() == bits(want).tolist()
    assert mask == np.bitwise_or.reduce([0] + element_masks)


OUTS = st.sampled_from(["new", "in place", "strided out"])


@given(views(), st.sampled_from(MODES), OUTS)
def test_cr_csqrt_is_cr_csqrt_scalar_elementwise(clib, z, mode, where_out):
    _check(ravo_libm.cr_csqrt, clib["cr_csqrt_scalar"], z, mode, where_out)


@given(views(), st.sampled_from(MODES), OUTS)
def test_csqrt_is_csqrt_scalar_elementwise(clib, z, mode, where_out):
    _check(ravo_libm.csqrt, clib["csqrt_scalar"], z, mode, where_out)
