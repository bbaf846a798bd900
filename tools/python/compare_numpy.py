#!/usr/bin/python3
"""ravo_libm.cr_csqrt and ravo_libm.csqrt beside numpy.sqrt on random complex
numbers: accuracy against mpmath on a subsample, and time on the whole array
(contiguous, and every second element of an array twice as long).

    PYTHONPATH=build/python tools/python/compare_numpy.py [--n 1000000]
        [--check 20000] [--seed 1] [--repeat 7] [--plane-csv FILE]

The arguments: both parts with random signs, log-uniform magnitudes with
exponents -60..60 (the benchmark's general class). The error of a part is
in ulps of the exact part's binade (2^-1074 below the normal range); a pair
is correctly rounded when both parts are the exact ones rounded to nearest.
--plane-csv writes the largest errors per cell of 16 by 16 binades in the
form tools/accuracy/plot_accuracy.py draws.
"""
import argparse
import math
import platform
import sys
import time

import mpmath
import numpy as np

import ravo_libm

ZERO_BINADE = -1075


def arguments(rng, n):
    def part():
        return rng.choice([-1.0, 1.0], n) * np.ldexp(rng.uniform(1.0, 2.0, n), rng.integers(-60, 61, n))

    return part() + 1j * part()


def ulp_errors(z, results):
    """{name: (n, 2) errors in ulps} against mpmath's root at 200 bits."""
    ctx = mpmath.MPContext()
    ctx.prec = 200
    errors = {name: np.empty((len(z), 2)) for name in results}
    for i, v in enumerate(z):
        w = ctx.sqrt(ctx.mpc(v.real, v.imag))
        for k, exact in enumerate((w.real, w.imag)):
            ulp = ctx.ldexp(1, max(int(ctx.floor(ctx.log(abs(exact), 2))) - 52, -1074)) if exact else ctx.ldexp(1, -1074)
            for name, r in results.items():
                got = r[i].real if k == 0 else r[i].imag
                errors[name][i, k] = float(abs(ctx.mpf(got) - exact) / ulp)
    return errors


def binade(v):
    return np.where(v == 0, ZERO_BINADE, np.floor(np.log2(np.abs(v), where=v != 0, out=np.zeros_like(v))))


def write_plane(path, z, errors, width=16):
    cells = {}
    xb = ((binade(z.real) - ZERO_BINADE) // width).astype(int)
    yb = ((binade(z.imag) - ZERO_BINADE) // width).astype(int)
    for i in range(len(z)):
        cell = cells.setdefault((xb[i], yb[i]), {"samples": 0, **{n: [0.0, 0.0] for n in errors}})
        cell["samples"] += 1
        for name, e in errors.items():
            cell[name] = [max(cell[name][0], e[i, 0]), max(cell[name][1], e[i, 1])]
    with open(path, "w") as f:
        f.write("mode,x_binade,y_binade,binades,samples," + ",".join(f"{n}_re_max_ulp,{n}_im_max_ulp" for n in errors) + "\n")
        for (cx, cy), c in sorted(cells.items()):
            maxima = ",".join(f"{c[n][0]:.6g},{c[n][1]:.6g}" for n in errors)
            f.write(f"nearest,{ZERO_BINADE + cx * width},{ZERO_BINADE + cy * width},{width},{c['samples']},{maxima}\n")


def best_time(f, repeat):
    times = []
    for _ in range(repeat):
        t = time.perf_counter()
        f()
        times.append(time.perf_counter() - t)
    return min(times)


def cpu_name():
    try:
        with open("/proc/cpuinfo") as f:
            for line in f:
                if line.startswith("model name"):
                    return line.split(":", 1)[1].strip()
    except OSError:
        pass
    return platform.processor() or "unknown CPU"


def main(argv):
    p = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    p.add_argument("--n", type=int, default=1_000_000)
    p.add_argument("--check", type=int, default=20_000, help="subsample checked against mpmath")
    p.add_argument("--seed", type=int, default=1)
    p.add_argument("--repeat", type=int, default=7)
    p.add_argument("--plane-csv")
    a = p.parse_args(argv)

    rng = np.random.default_rng(a.seed)
    z = arguments(rng, a.n)
    functions = {"cr": ravo_libm.cr_csqrt, "ravo": ravo_libm.csqrt, "numpy": np.sqrt}
    results = {name: f(z) for name, f in functions.items()}
    print(f"{a.n} arguments (seed {a.seed}); cr_csqrt differs from numpy.sqrt in "
          f"{np.mean(results['cr'] != results['numpy']) * 100:.2f} % of them")

    sample = rng.choice(a.n, size=min(a.check, a.n), replace=False)
    errors = ulp_errors(z[sample], {name: r[sample] for name, r in results.items()})
    print(f"against mpmath, {len(sample)} of them:")
    print("| function | max ulp (re / im) | pairs correctly rounded |")
    print("|---|---|---|")
    label = {"cr": "ravo_libm.cr_csqrt", "ravo": "ravo_libm.csqrt", "numpy": "numpy.sqrt"}
    for name, e in errors.items():
        print(f"| {label[name]} | {e[:, 0].max():.5f} / {e[:, 1].max():.5f} | {np.mean((e <= 0.5).all(axis=1)) * 100:.2f} % |")
    if a.plane_csv:
        write_plane(a.plane_csv, z[sample], errors)

    wide = np.repeat(z, 2)  # wide[::2] holds the same values, 32 bytes apart
    strided = wide[::2]
    print(f"time per call on {a.n} values, best of {a.repeat} (numpy {np.__version__}, "
          f"cr_csqrt on the {ravo_libm.implementation()} path, {cpu_name()}):")
    print("| layout | numpy.sqrt ms | cr_csqrt ms | csqrt ms | cr/numpy | csqrt/numpy |")
    print("|---|---|---|---|---|---|")
    for layout, data in (("contiguous", z), ("every second", strided)):
        t = {name: best_time(lambda f=f: f(data), a.repeat) for name, f in functions.items()}
        print(f"| {layout} | {t['numpy'] * 1e3:.2f} | {t['cr'] * 1e3:.2f} | {t['ravo'] * 1e3:.2f} | "
              f"{t['cr'] / t['numpy']:.2f} | {t['ravo'] / t['numpy']:.2f} |")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
