"""cr_csqrt_rn, _rd, _ru, _rz: each equals cr_csqrt computed with the thread
in its direction (bits and numpy's flags), whatever mode the calling thread
is in, and leaves that mode as it was; through every layout, out=, where=
and input cast numpy offers."""
import numpy as np
import pytest

import ravo_libm
from conftest import DIRECTED, argument_groups, bits, in_mode, numpy_flags
from oracle import MODES

SEED = 20261208


@pytest.mark.parametrize("name, direction", DIRECTED)
def test_same_bits_and_flags_as_cr_csqrt_in_that_mode_from_every_mode(name, direction):
    ufunc = getattr(ravo_libm, name)
    for kind, z in argument_groups(SEED).items():
        want, want_flags = numpy_flags(lambda: in_mode(direction, ravo_libm.cr_csqrt, z))
        for mode in MODES:
            with ravo_libm.rounding(mode):
                got, flags = numpy_flags(lambda: ufunc(z))
                after = ravo_libm.get_rounding()
            assert after == mode, (kind, mode)
            assert bits(got).tolist() == bits(want).tolist(), (kind, mode)
            assert flags == want_flags, (kind, mode)


def test_arguments_tell_the_directions_apart():
    # Else a ufunc wired to another direction's array function could pass.
    groups = argument_groups(SEED)
    seen = {}
    for mode in MODES:
        general = in_mode(mode, ravo_libm.cr_csqrt, groups["general"])
        flags = tuple(numpy_flags(lambda: in_mode(mode, ravo_libm.cr_csqrt, groups[kind]))[1]
                      for kind in ("threshold positive", "threshold negative"))
        seen[mode] = (bits(general).tolist(), flags)
    for i, a in enumerate(MODES):
        for b in MODES[:i]:
            assert seen[a][0] != seen[b][0] and seen[a][1] != seen[b][1], (a, b)


@pytest.mark.parametrize("name, direction", DIRECTED)
def test_layouts_out_where_and_casts(name, direction):
    ufunc = getattr(ravo_libm, name)
    groups = argument_groups(SEED)
    # 3 x 287 elements, so the strided path crosses its 256-element blocks.
    z = np.tile(np.concatenate([g for kind, g in groups.items() if kind != "signalling"]), 3)
    moderate = groups["general"][np.all(np.abs([groups["general"].real, groups["general"].imag]) < 1e30, axis=0)]

    def want(x):
        return in_mode(direction, ravo_libm.cr_csqrt, x)

    # The calling thread in another mode than the ufunc's direction.
    other = MODES[(MODES.index(direction) + 1) % len(MODES)]
    with ravo_libm.rounding(other):
        cases = [
            ("reversed every third", ufunc(z[::-3]), want(z[::-3])),
            ("transposed", ufunc(z[:600].reshape(300, 2).T), want(z[:600].reshape(300, 2).T)),
            ("complex64", ufunc(moderate.astype(np.complex64)), want(moderate.astype(np.complex64))),
            ("float32", ufunc(moderate.real.astype(np.float32)), want(moderate.real.astype(np.float32))),
            ("complex64 reversed", ufunc(moderate.astype(np.complex64)[::-1]), want(moderate.astype(np.complex64)[::-1])),
            ("float64 strided", ufunc(z.real[::2]), want(z.real[::2])),
            ("Python float", ufunc(-2.0), want(-2.0)),
            ("integer", ufunc(-7), want(-7)),
        ]
        in_place = z.copy()
        ufunc(in_place, out=in_place)
        cases.append(("in place", in_place, want(z)))
        strided_out = np.zeros(2 * len(z), dtype=np.complex128)
        ufunc(z, out=strided_out[1::2])
        cases.append(("strided out", strided_out[1::2], want(z)))
        mask = np.arange(len(z)) % 3 != 1
        masked = np.full(len(z), 7 + 7j)
        ufunc(z, out=masked, where=mask)
        cases.append(("where", masked, np.where(mask, want(z), 7 + 7j)))
        assert ravo_libm.get_rounding() == other
    for case, got, expected in cases:
        # Single-precision input keeps its precision, as in cr_csqrt.
        single = case.startswith(("complex64", "float32"))
        assert np.asarray(got).dtype == (np.complex64 if single else np.complex128), case
        assert bits(got).tolist() == bits(expected).tolist(), case
    assert (strided_out[::2] == 0).all()
