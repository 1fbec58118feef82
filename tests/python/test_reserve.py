"""holestress.reserve_factors against the command line's batch of a load-case file."""
import concurrent.futures
import csv
import io
import math
import os
import random
import tempfile
import unittest

import numpy as np

import holestress
from hs_support import run_cli

CRITERIA = ["max-strain", "max-stress", "tsai-hill", "tsai-wu", "hoffman"]
COMPONENTS = {"fibre": 0, "transverse": 1, "shear": 2}

# A laminate of two materials on a plate of finite width, every criterion, a factor of safety:
# the load-case file takes the place of [[load_cases]].
JOB = """title = "batch against the module"
load_cases_file = "loads.csv"

[units]
stress = "MPa"
length = "mm"

[materials.carbon]
E1 = 138e3
E2 = 9.6e3
G12 = 4.8e3
nu12 = 0.3
T1 = 1500
C1 = 1200
T2 = 50
C2 = 200
S12 = 80

[materials.glass]
E1 = 45e3
E2 = 12e3
G12 = 5.5e3
nu12 = 0.28
T1 = 1000
C1 = 600
T2 = 35
C2 = 140
S12 = 70
strain_T1 = 0.02
strain_C1 = 0.012
strain_T2 = 0.003
strain_C2 = 0.011
strain_S12 = 0.013

[[plies]]
angle = 0
thickness = 0.25
material = "carbon"
[[plies]]
angle = 45
thickness = 0.125
material = "glass"
[[plies]]
angle = -45
thickness = 0.125
material = "glass"
[[plies]]
angle = 90
thickness = 0.25
material = "carbon"

[hole]
diameter = 6.0
width = 30.0

[grid]
angle_step = 15
angle_high = 360
distance_step = 1.0
steps = 2

[failure]
criteria = ["max-strain", "max-stress", "tsai-hill", "tsai-wu", "hoffman"]
distance = 0.5
factor_of_safety = 1.5
"""

# Rows chosen for their kind, then random ones: px, py, pxy, off_axis, bearing, bolt_angle.
SPECIAL = [
    [0, 0, 0, 0, 0, 0],           # no load: no finite factor
    [100, 0, 0, 0, 0, 0],         # tension
    [-100, 0, 0, 30, 0, 0],       # compression off axis
    [0, 0, 50, 0, 0, 0],          # shear
    [0, 0, 0, 0, 200, 0],         # bolt alone, several directions
    [0, 0, 0, 0, 200, 90],
    [0, 0, 0, 0, 200, 225],
    [50, -20, 10, 12.5, 150, 45],
    [1e-300, 0, 0, 0, 0, 0],      # a vanishing load: huge but finite factors
]


def make_loads(count, seed):
    rng = random.Random(seed)
    rows = [list(map(float, r)) for r in SPECIAL]
    for _ in range(count):
        rows.append([rng.uniform(-200, 200), rng.uniform(-200, 200), rng.uniform(-80, 80),
                     rng.uniform(0, 90), rng.choice([0.0, rng.uniform(0, 300)]),
                     45.0 * rng.randrange(8)])
    return np.array(rows)


def cli_batch(folder, loads, threads):
    """The command line's rows for the loads: a dict of columns."""
    with open(os.path.join(folder, "job.toml"), "w") as f:
        f.write(JOB)
    with open(os.path.join(folder, "loads.csv"), "w") as f:
        f.write("name,px,py,pxy,off_axis,bearing,bolt_angle\n")
        for i, row in enumerate(loads):
            f.write(f"R{i}," + ",".join(repr(float(v)) for v in row) + "\n")
    run = run_cli("run", os.path.join(folder, "job.toml"), "--threads", str(threads))
    assert run.returncode == 0, run.stderr
    return list(csv.DictReader(io.StringIO(run.stdout)))


def number(text, none):
    return none if text in ("none", "") else float(text)


class ReserveFactorsTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.tmp = tempfile.TemporaryDirectory()
        cls.folder = cls.tmp.name
        cls.loads = make_loads(300, seed=7)
        cls.rows = cli_batch(cls.folder, cls.loads, threads=2)
        cls.job = os.path.join(cls.folder, "job.toml")

    @classmethod
    def tearDownClass(cls):
        cls.tmp.cleanup()

    def test_against_the_batch(self):
        got = holestress.reserve_factors(self.job, self.loads, threads=2)
        self.assertEqual(list(got), CRITERIA + ["smallest", "criterion", "margin_of_safety", "ply",
                                                "ply_angle", "angle", "component"])
        self.assertEqual(len(self.rows), len(self.loads))
        inf, nan = math.inf, math.nan
        for i, row in enumerate(self.rows):
            want = {c: number(row[c], inf) for c in CRITERIA}
            want.update({
                "smallest": number(row["smallest"], inf),
                "criterion": CRITERIA.index(row["criterion"]) if row["criterion"] else -1,
                "margin_of_safety": number(row["margin_of_safety"], inf),
                "ply": int(row["ply"] or 0),
                "ply_angle": number(row["ply_angle [deg]"], nan),
                "angle": number(row["angle [deg]"], nan),
                "component": COMPONENTS.get(row["component"], -1),
            })
            have = {k: got[k][i].item() for k in want}
            self.assertEqual(row["error"], "")
            for k in want:
                same = (math.isnan(have[k]) and math.isnan(want[k])) or have[k] == want[k]
                self.assertTrue(same, f"row {i} {k}: {have[k]!r}, batch {want[k]!r}")
        self.assertEqual(got["criterion"][0], -1)  # the row without load
        self.assertTrue(np.isfinite(got["smallest"][1:]).all())

    def test_threads_give_the_same_numbers(self):
        one = holestress.reserve_factors(self.job, self.loads, threads=1)
        for threads in (0, 3, 7):
            with self.subTest(threads=threads):
                other = holestress.reserve_factors(self.job, self.loads, threads=threads)
                for k in one:
                    np.testing.assert_array_equal(other[k], one[k], err_msg=k)

    def test_concurrent_calls(self):
        # The interpreter lock is released while the rows are worked: calls from several Python
        # threads run side by side, each with its own batch.
        serial = holestress.reserve_factors(self.job, self.loads, threads=1)
        with concurrent.futures.ThreadPoolExecutor(3) as pool:
            calls = [pool.submit(holestress.reserve_factors, self.job, self.loads, 1)
                     for _ in range(3)]
            for call in calls:
                np.testing.assert_array_equal(call.result()["smallest"], serial["smallest"])

    def test_types_and_empty(self):
        got = holestress.reserve_factors(self.job, self.loads[:3].tolist())  # a list will do
        self.assertEqual(got["smallest"].dtype, np.float64)
        self.assertEqual(got["ply"].dtype, np.int64)
        empty = holestress.reserve_factors(self.job, np.zeros((0, 6)))
        self.assertEqual([len(v) for v in empty.values()], [0] * 12)
        # A strided view reads as the same numbers.
        strided = holestress.reserve_factors(self.job, np.asfortranarray(self.loads[::2]))
        whole = holestress.reserve_factors(self.job, self.loads)
        np.testing.assert_array_equal(strided["smallest"], whole["smallest"][::2])

    def test_mistakes(self):
        job = self.job
        nan_row = self.loads[:4].copy()
        nan_row[2, 4] = np.nan
        inf_row = self.loads[:2].copy()
        inf_row[1, 0] = -np.inf
        no_criteria = {k: v for k, v in _dict_job().items() if k != "failure"}
        carpet = dict(_dict_job(), carpet={})
        cases = [
            ((job, nan_row), "loads[2, 4] (bearing) is not a finite number: nan"),
            ((job, inf_row), "loads[1, 0] (px) is not a finite number: -inf"),
            ((job, np.zeros((3, 5))), "loads: shape (N, 6) is needed (px, py, pxy, off_axis, "
                                      "bearing, bolt_angle), not (3, 5)"),
            ((job, np.zeros(6)), "loads: shape (N, 6) is needed (px, py, pxy, off_axis, bearing, "
                                 "bolt_angle), not (6,)"),
            ((job, [["a"] * 6]), "loads: an array of numbers of shape (N, 6) is needed, not list"),
            ((job, np.zeros((1, 6)), -1), "threads: 0 (every core) or a number from 1 to 256, not -1"),
            ((no_criteria, np.zeros((1, 6))),
             "<dict>: failure.criteria: the reserve factors need a [failure] table with criteria"),
            ((carpet, np.zeros((1, 6))), "<dict>: carpet: the reserve factors of load cases are "
                                         "for the job's own laminate, not a carpet plot"),
        ]
        for args, message in cases:
            with self.subTest(message=message):
                with self.assertRaises(ValueError) as caught:
                    holestress.reserve_factors(*args)
                self.assertEqual(str(caught.exception), message)


def _dict_job():
    return {
        "materials": {"carbon": {"E1": 20e6, "E2": 1.4e6, "G12": 0.7e6, "nu12": 0.3, "T1": 200e3,
                                 "C1": 180e3, "T2": 8e3, "C2": 30e3, "S12": 12e3}},
        "plies": [{"angle": a, "thickness": 0.005} for a in (0, 45, -45, 90)],
        "hole": {"diameter": 0.25},
        "grid": {"angle_step": 15, "angle_high": 90, "distance_step": 0.05},
        "load_cases": [{"px": 1.0}],
        "failure": {"criteria": ["max-stress"]},
    }


if __name__ == "__main__":
    unittest.main()
