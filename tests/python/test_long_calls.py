"""holestress.reserve_factors over many rows: the interpreter lock released while the threads
work, Ctrl-C within a tenth of a second, angles of many turns."""
import os
import signal
import threading
import time
import unittest

import numpy as np

import holestress
import hs_support  # noqa: F401  (says what is missing when holestress is not found)

# The batch benchmark's laminate (bench/batch/job.toml) with every criterion and stations every
# 2.5 degrees: about ten times the work per row of the benchmark.
JOB = {
    "materials": {"carbon": {"E1": 20e6, "E2": 1.4e6, "G12": 0.7e6, "nu12": 0.3, "T1": 200e3,
                             "C1": 180e3, "T2": 8e3, "C2": 30e3, "S12": 12e3}},
    "plies": [{"angle": a, "thickness": 0.005} for a in (0, 45, -45, 90, 90, -45, 45, 0)],
    "hole": {"diameter": 0.25, "width": 1.0},
    "grid": {"angle_step": 2.5, "angle_high": 360, "distance_step": 0.05, "steps": 2},
    "load_cases": [{"px": 1.0}],
    "failure": {"criteria": ["max-strain", "max-stress", "tsai-hill", "tsai-wu", "hoffman"],
                "distance": 0.05},
}


def random_loads(rows, seed=1):
    rng = np.random.default_rng(seed)
    loads = np.empty((rows, 6))
    loads[:, :2] = rng.uniform(-20000, 20000, (rows, 2))
    loads[:, 2] = rng.uniform(-10000, 10000, rows)
    loads[:, 3] = rng.uniform(0, 90, rows)
    loads[:, 4] = rng.uniform(0, 40000, rows)
    loads[:, 5] = 45.0 * rng.integers(0, 8, rows)
    return loads


def seconds_of(call):
    start = time.perf_counter()
    call()
    return time.perf_counter() - start


class LongCallTest(unittest.TestCase):
    # Fails when the interpreter lock is held while the rows are worked through: another Python
    # thread, counting, must keep a good part of the pace it has while this one sleeps.
    def test_other_threads_run_meanwhile(self):
        loads = random_loads(20_000)
        rows_per_second = len(loads) / seconds_of(
            lambda: holestress.reserve_factors(JOB, loads, threads=1))
        loads = random_loads(int(0.6 * rows_per_second) + 1)  # about 0.6 s of work
        count, stop = [0], threading.Event()

        def counter():
            while not stop.is_set():
                count[0] += 1

        thread = threading.Thread(target=counter)
        thread.start()
        try:
            before, idle = count[0], seconds_of(lambda: time.sleep(0.2))
            idle_pace = (count[0] - before) / idle
            before = count[0]
            busy = seconds_of(lambda: holestress.reserve_factors(JOB, loads, threads=1))
            busy_pace = (count[0] - before) / busy
        finally:
            stop.set()
            thread.join()
        self.assertGreater(busy, 0.2)
        self.assertGreater(busy_pace, 0.2 * idle_pace,
                           f"another thread counted {busy_pace:.0f}/s during the call, "
                           f"{idle_pace:.0f}/s while this one slept")

    # Fails when Ctrl-C waits for the end of the call, or is lost: SIGINT 0.3 s into a call of
    # a few seconds raises KeyboardInterrupt within a tenth of a second.
    def test_ctrl_c_stops_the_call(self):
        loads = random_loads(20_000)
        rows_per_second = len(loads) / seconds_of(
            lambda: holestress.reserve_factors(JOB, loads, threads=2))
        loads = random_loads(int(3 * rows_per_second) + 1)  # about 3 s of work
        sent = []

        def interrupt():
            time.sleep(0.3)
            sent.append(time.perf_counter())
            os.kill(os.getpid(), signal.SIGINT)

        thread = threading.Thread(target=interrupt)
        thread.start()
        try:
            with self.assertRaises(KeyboardInterrupt):
                holestress.reserve_factors(JOB, loads, threads=2)
            raised = time.perf_counter()
        finally:
            thread.join()
        self.assertLess(raised - sent[0], 0.1, "KeyboardInterrupt %.3f s after SIGINT"
                        % (raised - sent[0]))
        # The module works on afterwards.
        self.assertEqual(len(holestress.reserve_factors(JOB, loads[:10])["smallest"]), 10)

    # Fails when angles of a turn or more reach the trigonometry as they are: bolt angles of 1e15
    # to 1e20 degrees (280 modulo 360 in double) give the factors of 280, off-axis 400 those of 40.
    def test_angles_of_many_turns(self):
        rows = [[5000, 1000, 500, 40, 20000, 280]]
        rows += [[5000, 1000, 500, 400, 20000, 10.0 ** e] for e in range(15, 21)]
        got = holestress.reserve_factors(JOB, np.array(rows))
        for name, values in got.items():
            np.testing.assert_array_equal(values, np.full(len(rows), values[0]), err_msg=name)


if __name__ == "__main__":
    unittest.main()
