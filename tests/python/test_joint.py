"""Joint jobs from Python: holestress.analyse recognises a joint job (a path or a dict with a
[joint] table) and gives its rows' loads and its holes' factors as NumPy arrays."""
import os
import tomllib
import unittest

import numpy as np

import holestress
from hs_support import EXAMPLES

JOINT = os.path.join(EXAMPLES, "joint-single-shear.toml")


class JointTest(unittest.TestCase):
    # Catches arrays that are not the rows' and holes' numbers: each array against the joint's
    # rows and holes, shaped [row] and [plate][row], the critical hole the smallest factor.
    def test_arrays(self):
        joint = holestress.analyse(JOINT)["joint"]
        arrays = joint["arrays"]
        self.assertIsInstance(arrays["row_load"], np.ndarray)
        np.testing.assert_array_equal(arrays["row_load"], [r["load"] for r in joint["rows"]])
        np.testing.assert_array_equal(arrays["fastener_load"],
                                      [r["fastener_load"] for r in joint["rows"]])
        self.assertAlmostEqual(arrays["row_load"].sum(), joint["load"], delta=1e-9 * joint["load"])
        self.assertEqual(arrays["bearing"].shape, (2, 3))
        for p, plate in enumerate(joint["plates"]):
            for i, row in enumerate(joint["rows"]):
                self.assertEqual(arrays["bearing"][p, i], row["plates"][p]["bearing"])
                self.assertEqual(arrays["bypass"][p, i], row["plates"][p]["bypass"])
        for hole in joint["holes"]:
            p = [q["name"] for q in joint["plates"]].index(hole["plate"])
            i = hole["row"] - 1
            for name, entry in hole["criteria"].items():
                self.assertEqual(arrays["factor"][name][p, i], entry["factor"])
            self.assertEqual(arrays["smallest_factor"][p, i], hole["smallest"]["factor"])
        p, i = np.unravel_index(np.argmin(arrays["smallest_factor"]), (2, 3))
        self.assertEqual(f"{joint['plates'][p]['name']}:{i + 1}", joint["critical"]["hole"])

    # Catches a dict of a joint job that does not reach the reader as the file does.
    def test_dict_as_the_file(self):
        with open(JOINT, "rb") as f:
            job = tomllib.load(f)
        a = holestress.analyse(job)["joint"]
        b = holestress.analyse(JOINT)["joint"]
        np.testing.assert_array_equal(a["arrays"]["smallest_factor"], b["arrays"]["smallest_factor"])
        self.assertEqual(a["critical"], b["critical"])

    # Catches analyse_joint giving other numbers than analyse, or taking a job of one hole.
    def test_analyse_joint(self):
        joint = holestress.analyse_joint(JOINT)
        np.testing.assert_array_equal(joint["arrays"]["smallest_factor"],
                                      holestress.analyse(JOINT)["joint"]["arrays"]["smallest_factor"])
        self.assertEqual(joint["critical"]["hole"], "skin:1")
        self.assertIn("units", joint)
        with self.assertRaisesRegex(ValueError, "not a joint job"):
            holestress.analyse_joint(os.path.join(EXAMPLES, "bolted-joint.toml"))

    # Catches the reserve factors of many load cases run on a joint job, whose plies and hole
    # are its plates' and rows', not the job's: refused with the reason.
    def test_reserve_factors_refused(self):
        with self.assertRaisesRegex(ValueError, "joint"):
            holestress.reserve_factors(JOINT, np.ones((2, 2)))


if __name__ == "__main__":
    unittest.main()
