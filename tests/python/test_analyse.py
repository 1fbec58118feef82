"""holestress.analyse against the command line's JSON results, number for number."""
import glob
import json
import os
import pathlib
import tomllib
import unittest

import numpy as np

import holestress
from hs_support import EXAMPLES, differences, run_cli


def example_jobs():
    """The example job files that analyse takes (not those of a load-case file)."""
    jobs = []
    for path in sorted(glob.glob(os.path.join(EXAMPLES, "*.toml"))):
        with open(path, "rb") as f:
            if "load_cases_file" not in tomllib.load(f):
                jobs.append(path)
    return jobs


class AnalyseTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.jobs = example_jobs()
        assert len(cls.jobs) >= 3, f"examples missing in {EXAMPLES}"
        cls.cli = {}
        for path in cls.jobs:
            run = run_cli("run", path, "--format", "json")
            assert run.returncode == 0, run.stderr
            cls.cli[path] = json.loads(run.stdout)

    def test_path_gives_the_command_lines_numbers(self):
        for path in self.jobs:
            with self.subTest(job=os.path.basename(path)):
                self.assertEqual(differences(holestress.analyse(path), self.cli[path]), [])

    def test_dict_gives_the_same_numbers(self):
        # The dict of the same keys, as tomllib reads the file, through dict_to_toml.
        for path in self.jobs:
            with self.subTest(job=os.path.basename(path)):
                with open(path, "rb") as f:
                    job = tomllib.load(f)
                # A dict's materials_file is found as open() finds a file: from the current folder.
                here = os.getcwd()
                os.chdir(os.path.dirname(path))
                try:
                    results = holestress.analyse(job)
                finally:
                    os.chdir(here)
                self.assertEqual(differences(results, self.cli[path]), [])

    def test_path_forms(self):
        path = self.jobs[0]
        for form in (pathlib.Path(path), path.encode()):
            with self.subTest(form=type(form).__name__):
                self.assertEqual(differences(holestress.analyse(form), self.cli[path]), [])

    def test_arrays(self):
        lc = holestress.analyse(os.path.join(EXAMPLES, "bolted-joint.toml"))["load_cases"][0]
        stations = lc["stations"]
        self.assertIsInstance(stations["angle"], np.ndarray)
        self.assertEqual(stations["angle"].shape, (21,))  # 3 steps x 7 angles, steps outermost
        self.assertEqual(stations["angle"][:7].tolist(), [0.0, 30.0, 60.0, 90.0, 120.0, 150.0, 180.0])
        self.assertEqual(stations["distance"][::7].tolist(), [0.0, 0.05, 0.1])
        self.assertEqual(lc["compliance_bolt_axes"].shape, (3, 3))
        # Bolt bearing on the hole edge: the radial stress at 0 degrees is minus 4P/pi.
        self.assertAlmostEqual(lc["polar"]["radial_stress"][0], -4 * 20000 / np.pi, delta=1.0)

    def test_version(self):
        self.assertEqual(holestress.__version__, run_cli("--version").stdout.split()[-1])


class DictToTomlTest(unittest.TestCase):
    def test_values(self):
        cases = [
            ({"title": "a \"b\"\n"}, 'title = "a \\"b\\"\\n"\n'),
            ({"x": 0.1, "y": 3, "z": 2.0, "w": 1e300}, "x = 0.1\ny = 3\nz = 2.0\nw = 1e+300\n"),
            ({"f": float("nan"), "g": -float("inf")}, "f = nan\ng = -inf\n"),
            ({"t": True, "l": ["a", 1]}, 't = true\nl = ["a", 1]\n'),
            ({"n": np.float64(0.3), "i": np.int64(7), "a": np.array([1.5, 2.0])},
             "n = 0.3\ni = 7\na = [1.5, 2.0]\n"),
            ({"p": pathlib.PurePosixPath("loads.csv")}, 'p = "loads.csv"\n'),
            ({"carpet": {}, "title": "x"}, 'title = "x"\n\n[carpet]\n'),
            ({"materials": {"T300/5208": {"E1": 1.0}}}, '[materials."T300/5208"]\nE1 = 1.0\n'),
            ({"plies": [{"angle": 0}, {"angle": 45}]}, "[[plies]]\nangle = 0\n\n[[plies]]\nangle = 45\n"),
            ({"l": [{"a": 1}, 2]}, "l = [{ a = 1 }, 2]\n"),
        ]
        for job, text in cases:
            with self.subTest(job=job):
                self.assertEqual(holestress.dict_to_toml(job), text)

    def test_values_without_toml_form(self):
        cases = [
            ({"title": None}, "<dict>: title: a value of type NoneType has no form in a job file"),
            ({"plies": [{"angle": None}]},
             "<dict>: plies[0].angle: a value of type NoneType has no form in a job file"),
            ({1: 2}, "<dict>: the top level: a key must be a string, not int"),
        ]
        for job, message in cases:
            with self.subTest(job=job):
                with self.assertRaises(TypeError) as caught:
                    holestress.dict_to_toml(job)
                self.assertEqual(str(caught.exception), message)


if __name__ == "__main__":
    unittest.main()
