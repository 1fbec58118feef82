"""The module's messages for jobs it cannot run are the command line's."""
import copy
import os
import tempfile
import unittest

import holestress
from hs_support import run_cli

GOOD = {
    "title": "open hole",
    "units": {"stress": "psi", "length": "in"},
    "materials": {"carbon": {"E1": 20e6, "E2": 1.4e6, "G12": 0.7e6, "nu12": 0.3}},
    "plies": [{"angle": a, "thickness": 0.005} for a in (0, 45, -45, 90)],
    "hole": {"diameter": 0.25},
    "grid": {"angle_step": 15, "angle_high": 90, "distance_step": 0.05},
    "load_cases": [{"name": "tension", "px": 10000.0}],
}


def broken(**changes):
    """GOOD with keys replaced (dotted paths; None removes the key)."""
    job = copy.deepcopy(GOOD)
    for path, value in changes.items():
        *parents, last = path.split("__")
        table = job
        for p in parents:
            table = table[int(p)] if isinstance(table, list) else table[p]
        if value is None:
            del table[last]
        else:
            table[last] = value
    return job


# Broken dicts, each with one or more mistakes of a different kind.
BROKEN = [
    broken(units__stress="bar"),
    broken(materials__carbon__E2="1.4e6", plies=[{"angle": 0, "thickness": -1, "material": "glass"}]),
    broken(grid__angle_high=None, hole__diameter=float("inf")),
    broken(load_cases=[{"name": "a", "px": 1.0}, {"name": "a", "py": 1.0, "pz": 2.0}]),
    broken(results={"tables": ["reserve"]}),
    broken(failure={"criteria": ["max-stress", "von-mises"]}),
    broken(plies__0__angle=2 ** 70),  # beyond a TOML integer: a syntax error
]


class ErrorMessageTest(unittest.TestCase):
    def assert_message(self, call, job, expected):
        with self.assertRaises(ValueError) as caught:
            call(job)
        self.assertEqual(str(caught.exception), expected)

    def test_missing_job_file(self):
        # The command line gives the system's reason; the module raises what open() raises.
        path = os.path.join(tempfile.gettempdir(), "no-such-folder-holestress", "job.toml")
        run = run_cli("run", path)
        self.assertEqual(run.returncode, 1)
        self.assertEqual(run.stderr, f"holestress: cannot read {path}: No such file or directory\n")
        with self.assertRaises(FileNotFoundError) as caught:
            holestress.analyse(path)
        self.assertEqual(caught.exception.filename, path)
        with self.assertRaises(IsADirectoryError):
            holestress.reserve_factors(tempfile.gettempdir(), [[0, 0, 0, 0, 0, 0]])
        # A path that is not UTF-8 is named with its bytes escaped, not a cast error.
        with self.assertRaises(FileNotFoundError) as caught:
            holestress.analyse(os.fsencode(tempfile.gettempdir()) + b"/\xff\xfe.toml")
        self.assertIn("\\xff\\xfe.toml", caught.exception.filename)

    def test_dicts_that_contain_themselves(self):
        # A dict or list that contains itself, or one nested 20,000 deep, is refused, not a crash.
        looped = {}
        looped["a"] = looped
        listed = []
        listed.append(listed)
        deep = {}
        for _ in range(20000):
            deep = {"a": deep}
        for job in (looped, {"plies": listed}, deep):
            with self.assertRaises(ValueError) as caught:
                holestress.analyse(job)
            self.assertIn("nested more than 64 deep", str(caught.exception))

    def test_broken_dicts(self):
        for job in BROKEN:
            text = holestress.dict_to_toml(job)
            run = run_cli("run", "-", stdin=text)
            with self.subTest(job=text):
                self.assertEqual(run.returncode, 2)
                expected = run.stderr.rstrip("\n").replace("<stdin>", "<dict>")
                self.assertIn("<dict>:", expected)
                self.assert_message(holestress.analyse, job, expected)
                self.assert_message(lambda j: holestress.reserve_factors(j, [[0] * 6]), job, expected)

    def test_broken_job_file(self):
        with tempfile.TemporaryDirectory() as folder:
            path = os.path.join(folder, "broken.toml")
            with open(path, "w") as f:
                f.write(holestress.dict_to_toml(BROKEN[1]) + "\n[extra]\nkey = 1\n")
            run = run_cli("run", path)
            self.assertEqual(run.returncode, 2)
            self.assertEqual(len(run.stderr.splitlines()), 4)  # three, and [extra]
            self.assert_message(holestress.analyse, path, run.stderr.rstrip("\n"))

    def test_load_case_file_is_for_reserve_factors(self):
        with tempfile.TemporaryDirectory() as folder:
            path = os.path.join(folder, "job.toml")
            job = dict(load_cases_file="loads.csv", **broken(load_cases=None))
            with open(path, "w") as f:
                f.write(holestress.dict_to_toml(job))
            self.assert_message(holestress.analyse, path,
                                path + ": the load cases are in a file (load_cases_file); for the "
                                "reserve factors of many load cases give them to reserve_factors "
                                "as an array")

    def test_not_a_job(self):
        for job in (3, None, [GOOD]):
            with self.subTest(job=job), self.assertRaises(TypeError):
                holestress.analyse(job)


if __name__ == "__main__":
    unittest.main()
