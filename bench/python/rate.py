"""The Python module's reserve_factors against the command line's batch: 100,000 load cases of
the batch benchmark (bench/batch), both best of 5 on the same number of threads, the two measured
in turn so that a change of load on the machine falls on both. Exit status 1 when the module runs
at less than 0.9 times the command line's rate. A timing, not a test: run it on a quiet machine.

    PYTHONPATH=build/python /usr/bin/python3 bench/python/rate.py [--program build/holestress]
"""
import os
import shutil
import subprocess
import sys
import tempfile
import time
import unittest

import numpy as np

import holestress

SOURCE = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
PROGRAM = os.path.join(SOURCE, "build", "holestress")
if "--program" in sys.argv:
    PROGRAM = sys.argv[sys.argv.index("--program") + 1]
    del sys.argv[sys.argv.index("--program"):sys.argv.index("--program") + 2]

ROWS = 100_000
THREADS = 2
RUNS = 5


def best_times(*works):
    """The best time of each of the works over RUNS rounds, one run of each per round."""
    best = [float("inf")] * len(works)
    for _ in range(RUNS):
        for i, work in enumerate(works):
            start = time.perf_counter()
            work()
            best[i] = min(best[i], time.perf_counter() - start)
    return best


class RateTest(unittest.TestCase):
    def test_rate_against_the_batch(self):
        bench = os.path.join(SOURCE, "bench", "batch")
        with tempfile.TemporaryDirectory() as folder:
            job = os.path.join(folder, "job.toml")
            shutil.copy(os.path.join(bench, "job.toml"), job)
            with open(os.path.join(folder, "loads.csv"), "w") as f:
                subprocess.run([sys.executable, os.path.join(bench, "make_loads.py"), str(ROWS)],
                               stdout=f, check=True)
            loads = np.loadtxt(os.path.join(folder, "loads.csv"), delimiter=",", skiprows=1,
                               usecols=range(1, 7))
            self.assertEqual(loads.shape, (ROWS, 6))

            def cli():
                subprocess.run([PROGRAM, "run", job, "--threads", str(THREADS)],
                               stdout=subprocess.DEVNULL, check=True)

            result = {}

            def module():
                result.update(holestress.reserve_factors(job, loads, threads=THREADS))

            cli_time, module_time = best_times(cli, module)
            cli_rate, module_rate = ROWS / cli_time, ROWS / module_time
        print(f"\n  {ROWS} load cases on {THREADS} threads: command line {cli_rate:,.0f} rows/s, "
              f"module {module_rate:,.0f} rows/s ({module_rate / cli_rate:.2f} times)",
              file=sys.stderr)
        self.assertEqual(len(result["hoffman"]), ROWS)
        self.assertGreaterEqual(module_rate, 0.9 * cli_rate)


if __name__ == "__main__":
    unittest.main()
