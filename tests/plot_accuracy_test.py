#!/usr/bin/python3
"""The accuracy plot on a small hand-written CSV: every implementation column
group becomes a panel in each mode asked for, a cell shows the larger part's
maximum at its own (x, y) place, and a CSV without the mode is refused."""
import importlib.machinery
import os
import subprocess
import sys
import tempfile
import types
import unittest

SCRIPT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tools", "accuracy", "plot_accuracy.py")

# Three implementations, cells of 16 binades; the cell at x -1075 (zero),
# y 5 is deliberately off the diagonal.
CSV = """mode,x_binade,y_binade,binades,samples,ravo_re_max_ulp,ravo_im_max_ulp,system_re_max_ulp,system_im_max_ulp,cr_re_max_ulp,cr_im_max_ulp
nearest,-1075,5,16,3,0.25,0.5004,1.5,0.75,0.5,0.25
nearest,5,5,16,4,0.125,0.0625,0.5,1.875,0.25,0.5
up,5,5,16,4,1.0009,0.5,3.5,2.25,0.75,0.875
down,5,-1075,16,1,0.5,1.001,1.25,3.75,0.5,0.5
"""


def load_module():
    loader = importlib.machinery.SourceFileLoader("plot_accuracy", SCRIPT)
    module = types.ModuleType(loader.name)
    module.__file__ = SCRIPT
    loader.exec_module(module)
    return module


class PlotAccuracy(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.TemporaryDirectory()
        self.csv = os.path.join(self.dir.name, "plane.csv")
        with open(self.csv, "w") as f:
            f.write(CSV)

    def tearDown(self):
        self.dir.cleanup()

    def run_script(self, *args):
        return subprocess.run([sys.executable, SCRIPT, self.csv, *args], capture_output=True, text=True)

    def test_one_panel_per_implementation_and_mode(self):
        png = os.path.join(self.dir.name, "out.png")
        result = self.run_script(png, "--modes", "nearest,down")
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertEqual(result.stdout.splitlines(), [
            "ravo nearest: 2 cells, 7 samples, max 0.5004 ulp",
            "system nearest: 2 cells, 7 samples, max 1.8750 ulp",
            "cr nearest: 2 cells, 7 samples, max 0.5000 ulp",
            "ravo down: 1 cells, 1 samples, max 1.0010 ulp",
            "system down: 1 cells, 1 samples, max 3.7500 ulp",
            "cr down: 1 cells, 1 samples, max 0.5000 ulp",
        ])
        with open(png, "rb") as f:
            self.assertEqual(f.read(8), b"\x89PNG\r\n\x1a\n")

    def test_cells_land_at_their_binades(self):
        module = load_module()
        impls, width, modes = module.read_plane(self.csv)
        self.assertEqual((impls, width), (["ravo", "system", "cr"], 16))
        g = module.grid(modes["nearest"][0], "system", width)
        # Row is the y cell, column the x cell: zero's cell is column 0.
        y5, x5 = (5 + 1075) // 16, (5 + 1075) // 16
        self.assertEqual(g[y5, 0], 1.5)
        self.assertEqual(g[y5, x5], 1.875)
        self.assertEqual(int((~(g != g)).sum()), 2)  # every other cell empty

    def test_errors_just_below_an_edge_keep_the_colour_below(self):
        # The tool writes maxima as shortest round-trip decimals; read back
        # and binned, a correctly rounded 0.49999999999999994 stays in the
        # first colour and 0.9999999999999999 below the ">= 1 ulp" ones.
        module = load_module()
        path = os.path.join(self.dir.name, "edges.csv")
        rows = [("0.49999999999999994", 0), ("0.5", 1), ("0.5004999", 1), ("0.5005", 2),
                ("0.9999999999999999", 3), ("1", 4), ("1.0019999999999998", 4), ("4.999", 8)]
        with open(path, "w") as f:
            f.write("mode,x_binade,y_binade,binades,samples,cr_re_max_ulp,cr_im_max_ulp\n")
            for x, (text, _) in enumerate(rows):
                f.write(f"up,{x * 16 - 1075},5,16,1,0,{text}\n")
        _, width, modes = module.read_plane(path)
        _, norm = module.colours()
        g = module.grid(modes["up"][0], "cr", width)
        got = [int(norm(g[(5 + 1075) // 16, x])) for x in range(len(rows))]
        self.assertEqual(got, [colour for _, colour in rows])
        # The captions cut toward zero: the largest correct error is not 0.5000.
        self.assertEqual([module.cut(v) for v in (0.49999999999999994, 0.5004, 1.0009, 0.9999999)],
                         ["0.4999", "0.5004", "1.0009", "0.9999"])

    def test_missing_mode_is_refused(self):
        result = self.run_script(os.path.join(self.dir.name, "x.png"), "--modes", "nearest,zero")
        self.assertNotEqual(result.returncode, 0)
        self.assertIn("no rows for mode zero", result.stderr)


if __name__ == "__main__":
    unittest.main()
