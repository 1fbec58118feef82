"""The strip model from Python: a job dict with hole.model = "strip", its results, and the reserve
factors of bearing and bypass against the command line's load-case file."""
import csv
import io
import math
import os
import tempfile
import unittest

import numpy as np

import holestress
from hs_support import run_cli

CRITERIA = ["max-stress", "hoffman"]


def strip_job(edge_distance=None):
    hole = {"model": "strip", "diameter": 0.25, "width": 1.0}
    if edge_distance is not None:
        hole["edge_distance"] = edge_distance
    return {
        "materials": {"carbon": {"E1": 20e6, "E2": 1.4e6, "G12": 0.7e6, "nu12": 0.3, "T1": 200e3,
                                 "C1": 180e3, "T2": 8e3, "C2": 30e3, "S12": 12e3}},
        "plies": [{"angle": a, "thickness": 0.005} for a in (0, 45, -45, 90)],
        "hole": hole,
        "grid": {"angle_step": 10, "angle_high": 360, "distance_step": 0.05, "steps": 2},
        "load_cases": [{"name": "bolt", "bearing": 20000.0}],
        "failure": {"criteria": CRITERIA},
        "results": {"tables": ["polar", "reserve"]},
    }


class StripTest(unittest.TestCase):
    # Catches a dict whose strip keys do not reach the reader, or results without the strip.
    def test_analyse_states_the_strip(self):
        results = holestress.analyse(strip_job(0.5))
        self.assertEqual(results["inputs"]["hole"]["model"], "strip")
        self.assertEqual(results["inputs"]["hole"]["edge_distance"], 0.5)
        strip = results["load_cases"][0]["strip"]
        self.assertTrue(strip["solved"])
        self.assertLess(strip["residual_percent"]["bearing"]["sides"], 1.0)
        self.assertIsNone(strip["residual_percent"]["bypass"])

    # Catches module rows that are not the command line's (another unit field, the bearing and
    # bypass columns swapped), in a long strip and one with a free end.
    def test_reserve_factors_against_the_batch(self):
        rng = np.random.default_rng(3)
        for edge in (None, 0.5):
            with self.subTest(edge_distance=edge):
                n = 200
                loads = np.zeros((n, 2))
                loads[:, 0] = rng.uniform(0, 30000, n)
                if edge is None:
                    loads[:, 1] = rng.uniform(-10000, 10000, n)
                loads[0] = 0.0
                got = holestress.reserve_factors(strip_job(edge), loads, threads=2)
                with tempfile.TemporaryDirectory() as folder:
                    job = dict(strip_job(edge))
                    del job["load_cases"]
                    text = 'load_cases_file = "loads.csv"\n' + holestress.dict_to_toml(job)
                    with open(os.path.join(folder, "job.toml"), "w") as f:
                        f.write(text)
                    with open(os.path.join(folder, "loads.csv"), "w") as f:
                        f.write("bearing,bypass\n")
                        for b, s in loads:
                            f.write(f"{b!r},{s!r}\n")
                    run = run_cli("run", os.path.join(folder, "job.toml"))
                    self.assertEqual(run.returncode, 0, run.stderr)
                    rows = list(csv.DictReader(io.StringIO(run.stdout)))
                self.assertEqual(len(rows), n)
                for i, row in enumerate(rows):
                    for c in CRITERIA:
                        want = math.inf if row[c] == "none" else float(row[c])
                        self.assertEqual(got[c][i], want, f"row {i} {c}")
                self.assertEqual(got["criterion"][0], -1)  # no load

    # Catches strip loads of the infinite plate's shape, or loads the strip does not take, that
    # pass unremarked.
    def test_mistakes(self):
        cases = [
            ((strip_job(), np.zeros((2, 6))),
             "loads: shape (N, 2) is needed (bearing, bypass: the strip model's loads), not (2, 6)"),
            ((strip_job(), [[-1.0, 0.0]]),
             "loads[0, 0] (bearing) must be 0 or greater in the strip model (the bolt bears "
             "towards +x): -1"),
            ((strip_job(0.5), [[1.0, 0.0], [1.0, 2.0]]),
             "loads[1, 1] (bypass) must be 0 with an edge distance (the free end carries no "
             "stress): 2"),
        ]
        for args, message in cases:
            with self.subTest(message=message):
                with self.assertRaises(ValueError) as caught:
                    holestress.reserve_factors(*args)
                self.assertEqual(str(caught.exception), message)
        job = strip_job()
        job["load_cases"][0]["px"] = 100.0
        with self.assertRaises(ValueError) as caught:
            holestress.analyse(job)
        self.assertIn("load_cases[1].px: the strip model takes the stress along the strip as "
                      "bypass", str(caught.exception))


if __name__ == "__main__":
    unittest.main()
