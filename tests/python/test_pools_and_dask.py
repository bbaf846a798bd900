"""Work handed to other threads and processes: a thread pool's workers and
dask's keep the rounding mode they started with, whatever block the
submitting thread is in, and the fixed-direction ufuncs give their
direction's bits there all the same."""
import threading
from concurrent.futures import ThreadPoolExecutor

import numpy as np
import pytest

import ravo_libm
from conftest import DIRECTED, argument_groups, bits, in_mode
from oracle import MODES

SEED = 20261209


def _arguments():
    # No signalling NaN: its invalid warning would be raised in a worker.
    groups = argument_groups(SEED)
    return np.concatenate([g for kind, g in groups.items() if kind != "signalling"])


def _in_every_mode(z):
    return {mode: bits(in_mode(mode, ravo_libm.cr_csqrt, z)).tolist() for mode in MODES}


def _started_pool(workers):
    """A ThreadPoolExecutor whose workers all run already: an executor starts
    a worker only when work arrives, and that worker copies the mode of the
    thread submitting it."""
    pool = ThreadPoolExecutor(workers)
    everyone = threading.Barrier(workers, timeout=10)
    for future in [pool.submit(everyone.wait) for _ in range(workers)]:
        future.result()
    return pool


def test_thread_pools():
    z = _arguments()
    want = _in_every_mode(z)
    chunks = np.array_split(z, 5)
    with _started_pool(2) as before:
        with ravo_libm.rounding("zero"):
            inside = _started_pool(2)
        with inside, ravo_libm.rounding("up"):
            for pool, workers_mode in ((before, "nearest"), (inside, "zero")):
                for name, direction in DIRECTED:
                    got = np.concatenate(list(pool.map(getattr(ravo_libm, name), chunks)))
                    assert bits(got).tolist() == want[direction], (workers_mode, name)
                # cr_csqrt follows the workers' mode, not the submitting
                # thread's block: nearest for those started before it, the
                # block's mode for those started in it, after it too.
                got = np.concatenate(list(pool.map(ravo_libm.cr_csqrt, chunks)))
                assert bits(got).tolist() == want[workers_mode], workers_mode
                # A decorated task sets the mode in the worker for its call.
                got = np.concatenate(list(pool.map(ravo_libm.rounding("down")(ravo_libm.cr_csqrt), chunks)))
                assert bits(got).tolist() == want["down"], workers_mode
            assert ravo_libm.get_rounding() == "up"


def test_dask_threads():
    da = pytest.importorskip("dask.array")
    z = _arguments()
    want = _in_every_mode(z)
    x = da.from_array(z, chunks=len(z) // 4 + 1)
    # dask's own pool: its workers' modes are whatever they started with.
    for (name, direction), block_mode in zip(DIRECTED, ("up", "zero", "down", "nearest")):
        with ravo_libm.rounding(block_mode):
            got = getattr(ravo_libm, name)(x).compute(scheduler="threads")
        assert bits(got).tolist() == want[direction], name
    got = x.map_blocks(ravo_libm.cr_csqrt_rd, dtype=np.complex128).compute(scheduler="threads")
    assert bits(got).tolist() == want["down"]
    # The block does not reach workers that already run.
    with _started_pool(2) as pool:
        with ravo_libm.rounding("down"):
            got = ravo_libm.cr_csqrt(x).compute(scheduler="threads", pool=pool)
    assert bits(got).tolist() == want["nearest"]


# Debian 12's distributed starts tornado's loop the way tornado 6.2 deprecates.
@pytest.mark.filterwarnings("ignore:make_current is deprecated:DeprecationWarning")
def test_dask_distributed_worker_processes():
    distributed = pytest.importorskip("dask.distributed")
    da = pytest.importorskip("dask.array")
    z = _arguments()
    want = _in_every_mode(z)
    x = da.from_array(z, chunks=len(z) // 4 + 1)
    # The worker processes import ravo_libm through the PYTHONPATH they
    # inherit; their threads start in round to nearest.
    with distributed.LocalCluster(n_workers=2, threads_per_worker=1, processes=True,
                                  dashboard_address=None) as cluster, distributed.Client(cluster):
        with ravo_libm.rounding("up"):
            for name, direction in DIRECTED:
                got = getattr(ravo_libm, name)(x).compute()
                assert bits(got).tolist() == want[direction], name
            got = x.map_blocks(ravo_libm.cr_csqrt_rz, dtype=np.complex128).compute()
            assert bits(got).tolist() == want["zero"]
            got = ravo_libm.cr_csqrt(x).compute()
            assert bits(got).tolist() == want["nearest"]
