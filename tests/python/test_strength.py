"""The module with the keys of [failure] that say how and where failure is judged: a list of
characteristic distances, the characteristic curve's two, the average-stress method."""
import json
import math
import os
import tempfile
import unittest

import numpy as np

import holestress
from hs_support import differences, run_cli

# A quasi-isotropic carbon/epoxy laminate, a bolt in a plate of finite width, three
# characteristic distances (the second a curve) averaged along the radius.
JOB = {
    "units": {"stress": "MPa", "length": "mm"},
    "materials": {"carbon": {"E1": 138e3, "E2": 9.6e3, "G12": 4.8e3, "nu12": 0.3, "T1": 1500,
                             "C1": 1200, "T2": 50, "C2": 200, "S12": 80}},
    "plies": [{"angle": a, "thickness": 0.25} for a in (0, 45, -45, 90)],
    "hole": {"diameter": 6.0, "width": 30.0, "finite_width_correction": "tan"},
    "grid": {"angle_step": 15, "angle_high": 360, "distance_step": 1.0},
    "load_cases": [{"name": "bolt", "px": 40, "bearing": 300, "bolt_angle": 20},
                   {"name": "open", "px": -120, "py": 30, "off_axis": 10}],
    "failure": {"criteria": ["max-stress", "hoffman"],
                "distance_tension": [0.5, 0.8, 1.2], "distance_compression": [0.5, 1.5, 1.2],
                "method": "average", "average_points": 8},
}

LOADS = np.array([[40, 0, 0, 0, 300, 20], [-120, 30, 0, 10, 0, 0], [0, 0, 0, 0, 0, 0],
                  [10, 5, 60, 35, 150, 200]], dtype=float)


class StrengthKeysTest(unittest.TestCase):
    def test_analyse_as_the_command_line(self):
        got = holestress.analyse(JOB)
        with tempfile.TemporaryDirectory() as folder:
            path = os.path.join(folder, "job.toml")
            with open(path, "w") as f:
                f.write(holestress.dict_to_toml(JOB))
            run = run_cli("run", path)
            self.assertEqual(run.returncode, 0, run.stderr)
        want = json.loads(run.stdout)
        self.assertEqual(differences(got, want), [])
        reserve = got["load_cases"][0]["reserve"]
        self.assertEqual(len(reserve), 3)
        self.assertEqual(reserve[1]["distance_tension"], 0.8)
        self.assertEqual(reserve[1]["method"], "average")

    def test_reserve_factors_per_distance(self):
        got = holestress.reserve_factors(JOB, LOADS)
        self.assertEqual(list(got), ["max-stress", "hoffman", "smallest", "criterion",
                                     "margin_of_safety", "ply", "ply_angle", "angle", "distance",
                                     "component"])
        for key, array in got.items():
            self.assertEqual(array.shape, (4, 3), key)
        full = holestress.analyse(JOB)
        for i, case in enumerate(full["load_cases"]):
            for d, entry in enumerate(case["reserve"]):
                smallest = entry["smallest"]
                self.assertTrue(math.isclose(got["smallest"][i, d], smallest["factor"],
                                             rel_tol=1e-9))
                self.assertEqual(got["angle"][i, d], smallest["angle"])
                self.assertEqual(got["distance"][i, d], smallest["distance"])
        self.assertTrue(np.isinf(got["smallest"][2]).all())  # no load
        self.assertTrue(np.isnan(got["distance"][2]).all())
        # Across the bolt's axis the tension distance, on it the compression distance.
        axis = LOADS[3, 5]
        for d in range(3):
            t = math.radians(got["angle"][3, d] - axis)
            dt, dc = JOB["failure"]["distance_tension"][d], JOB["failure"]["distance_compression"][d]
            self.assertAlmostEqual(got["distance"][3, d], dt + (dc - dt) * abs(math.cos(t)), 6)

    def test_one_distance_keeps_its_shape(self):
        job = json.loads(json.dumps(JOB))
        job["failure"] = {"criteria": ["hoffman"], "distance": 0.5}
        plain = holestress.reserve_factors(job, LOADS)
        self.assertNotIn("distance", plain)
        self.assertEqual(plain["smallest"].shape, (4,))
        job["failure"]["method"] = "average"
        averaged = holestress.reserve_factors(job, LOADS)
        self.assertEqual(averaged["distance"].shape, (4,))
        # The average over the distance takes in the peak nearer the edge: less reserve.
        self.assertTrue(np.all(averaged["smallest"][:2] < plain["smallest"][:2]))

    def test_mistakes(self):
        job = json.loads(json.dumps(JOB))
        job["failure"]["distance"] = 1.0
        with self.assertRaises(ValueError) as e:
            holestress.analyse(job)
        self.assertIn("failure.distance_tension: give either distance or distance_tension",
                      str(e.exception))


if __name__ == "__main__":
    unittest.main()
