"""The Python module from several threads at once, under ThreadSanitizer.

numpy runs the module's loops without the GIL, so the threads' calls of
csqrt_scalar, cr_csqrt_scalar, cr_csqrt_batch and its fixed directions
overlap, the first ones included (they choose the path and the vector
target, and the directions set and restore their thread's mode): every
thread must
get the bits a single thread gets afterwards. Run by the interpreter with
the sanitizer's runtime preloaded (LD_PRELOAD) and PYTHONPATH at a module
built with -DRAVO_SANITIZE=thread; a race makes the sanitizer fail the run.
"""
import sys
import threading

import numpy as np
import ravo_libm

rng = np.random.default_rng(20261208)
n = 50000
z = (rng.standard_normal(n) * 10.0 ** rng.integers(-300, 300, n)
     + 1j * rng.standard_normal(n) * 10.0 ** rng.integers(-300, 300, n))
functions = [ravo_libm.cr_csqrt, ravo_libm.csqrt, ravo_libm.cr_csqrt_rd, ravo_libm.cr_csqrt_ru]
results = {}


def work(i):
    f = functions[i % len(functions)]
    results[i] = [f(z).view(np.uint64).copy() for _ in range(3)]


threads = [threading.Thread(target=work, args=(i,)) for i in range(4)]
for t in threads:
    t.start()
for t in threads:
    t.join()

wrong = [i for i, got in results.items()
         for g in got if not (g == functions[i % len(functions)](z).view(np.uint64)).all()]
if wrong or len(results) != len(threads):
    sys.exit(f"threads with results unlike a single thread's: {sorted(set(wrong))}")
print(f"{len(threads)} threads agree ({ravo_libm.implementation()})")
