#!/usr/bin/python3
"""Draws the largest error over the plane from csqrt-accuracy --plane-csv.

One panel per implementation (every NAME_re_max_ulp column of the CSV) and
rounding mode; the colour of a cell is the larger of its real and imaginary
maxima, in ulps. Prints one line per panel: cells, samples and the maximum.

    plot_accuracy.py PLANE.csv OUT.png [--modes nearest,up]
"""
import argparse
import csv
import sys
from decimal import ROUND_DOWN, Decimal

import matplotlib

matplotlib.use("Agg")
import matplotlib.pyplot as plt  # noqa: E402
import numpy as np  # noqa: E402
from matplotlib.colors import BoundaryNorm, ListedColormap  # noqa: E402

ZERO_BINADE = -1075  # the tool's binade of zero, one below the smallest subnormal
TOP_BINADE = 1023
# Below 0.5 ulp is correctly rounded in nearest, below 1 ulp in the directed
# modes; the steps just above each show the double rounding's few thousandths.
BOUNDS = [0, 0.5, 0.5005, 0.501, 1.0, 1.002, 1.5, 2, 3, 5]
COLOURS = ["#1a9850", "#91cf60", "#d9ef8b", "#fee08b", "#fdae61", "#f46d43", "#d73027", "#a50026", "#67001f", "#2d0010"]


def colours():
    """The colour map and the norm that puts an error in its bin: bin i holds
    BOUNDS[i] <= error < BOUNDS[i + 1], so an edge belongs to the bin above."""
    cmap = ListedColormap(COLOURS)
    cmap.set_bad("white")
    return cmap, BoundaryNorm(BOUNDS, cmap.N, extend="max")


def cut(value, places=4):
    """The value cut toward zero, not rounded, to the places shown: a largest
    error of 0.49999996 reads 0.4999, not 0.5000, which would claim a
    misrounded result. The decimal is the shortest one of the double."""
    return str(Decimal(repr(float(value))).quantize(Decimal(1).scaleb(-places), rounding=ROUND_DOWN))


def read_plane(path):
    """Returns (implementations, cell width, {mode: {(x, y): {impl: max}}, samples})."""
    with open(path, newline="") as f:
        rows = list(csv.DictReader(f))
    if not rows:
        raise ValueError(f"{path}: no cells")
    impls = [c[: -len("_re_max_ulp")] for c in rows[0] if c.endswith("_re_max_ulp")]
    if not impls:
        raise ValueError(f"{path}: no NAME_re_max_ulp column")
    width = int(rows[0]["binades"])
    modes = {}
    for r in rows:
        cells, samples = modes.setdefault(r["mode"], ({}, {}))
        key = (int(r["x_binade"]), int(r["y_binade"]))
        cells[key] = {i: max(float(r[i + "_re_max_ulp"]), float(r[i + "_im_max_ulp"])) for i in impls}
        samples[key] = int(r["samples"])
    return impls, width, modes


def grid(cells, impl, width):
    """Image rows are y cells, columns x cells; NaN where nothing was sampled."""
    n = (TOP_BINADE - ZERO_BINADE) // width + 1
    g = np.full((n, n), np.nan)
    for (x, y), errs in cells.items():
        g[(y - ZERO_BINADE) // width, (x - ZERO_BINADE) // width] = errs[impl]
    return g


def main(argv):
    p = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    p.add_argument("csv")
    p.add_argument("png")
    p.add_argument("--modes", default="nearest,up", help="comma-separated rounding modes (default nearest,up)")
    a = p.parse_args(argv)
    try:
        impls, width, modes = read_plane(a.csv)
    except (OSError, ValueError, KeyError) as e:
        sys.exit(f"plot_accuracy: {e}")
    wanted = a.modes.split(",")
    missing = [m for m in wanted if m not in modes]
    if missing:
        sys.exit(f"plot_accuracy: no rows for mode {', '.join(missing)} in {a.csv}")

    cmap, norm = colours()
    fig, axes = plt.subplots(len(wanted), len(impls), figsize=(3.6 * len(impls) + 1, 3.4 * len(wanted)),
                             squeeze=False, constrained_layout=True)
    extent = [ZERO_BINADE, ZERO_BINADE + len(grid({}, None, width)) * width] * 2
    for row, mode in enumerate(wanted):
        cells, samples = modes[mode]
        for col, impl in enumerate(impls):
            g = grid(cells, impl, width)
            ax = axes[row][col]
            image = ax.imshow(g, origin="lower", extent=extent, cmap=cmap, norm=norm, interpolation="nearest")
            worst = np.nanmax(g)
            ax.set_title(f"{impl}, {mode}: max {cut(worst)} ulp", fontsize=9)
            ax.set_xlabel("binade of |x|", fontsize=8)
            ax.set_ylabel("binade of |y|", fontsize=8)
            ax.tick_params(labelsize=7)
            print(f"{impl} {mode}: {len(cells)} cells, {sum(samples.values())} samples, max {cut(worst)} ulp")
    bar = fig.colorbar(image, ax=axes, shrink=0.8, ticks=BOUNDS)
    bar.set_ticklabels([f"{b:g}" for b in BOUNDS])
    bar.set_label("largest error of either part, ulps", fontsize=8)
    bar.ax.tick_params(labelsize=7)
    fig.suptitle(f"csqrt: largest error per cell of {width}x{width} binades, signs folded", fontsize=10)
    fig.savefig(a.png, dpi=110)


if __name__ == "__main__":
    main(sys.argv[1:])
