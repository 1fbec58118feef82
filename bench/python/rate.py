"""The Python module's reserve_factors against the command line's batch: 200,000 load cases of
the batch benchmark (bench/batch), both best of 5 on the same number of threads, measured in
turn so that a change of load on the machine falls on both; and the module on one thread against
two. Exit status 1 when the module is slower per row than the command line (on one thread or on
two), or gains less than 1.8 times from a second thread. A timing, not a test: run it on a quiet
machine (`uptime` below 1).

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

ROWS = 200_000
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

            def cli(threads):
                return lambda: subprocess.run([PROGRAM, "run", job, "--threads", str(threads)],
                                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                                              check=True)

            def module(threads):
                return lambda: holestress.reserve_factors(job, loads, threads=threads)

            cli1, mod1, cli2, mod2 = best_times(cli(1), module(1), cli(2), module(2))
        rate = {k: ROWS / t for k, t in
                {"cli1": cli1, "mod1": mod1, "cli2": cli2, "mod2": mod2}.items()}
        print(f"\n  {ROWS} load cases, rows/s (best of {RUNS}):\n"
              f"    1 thread:  command line {rate['cli1']:,.0f}, module {rate['mod1']:,.0f} "
              f"({rate['mod1'] / rate['cli1']:.2f} times)\n"
              f"    2 threads: command line {rate['cli2']:,.0f}, module {rate['mod2']:,.0f} "
              f"({rate['mod2'] / rate['cli2']:.2f} times)\n"
              f"    the module from 1 to 2 threads: {rate['mod2'] / rate['mod1']:.2f} times",
              file=sys.stderr)
        self.assertGreaterEqual(rate["mod1"], rate["cli1"])
        self.assertGreaterEqual(rate["mod2"], rate["cli2"])
        self.assertGreaterEqual(rate["mod2"], 1.8 * rate["mod1"])


if __name__ == "__main__":
    unittest.main()
