"""holestress.dask on a cluster of two worker processes, against holestress.reserve_factors in
this process: a few million rows of a Dask array, and a Dask dataframe."""
import hashlib
import os
import time
import unittest
import warnings

import numpy as np

import holestress
import hs_support  # noqa: F401  (says what is missing when holestress is not found)

try:
    import dask
    import dask.array as da
    from distributed import Client, LocalCluster
    import holestress.dask as hsd
except ImportError as e:  # pragma: no cover - CI installs them; the test says what is missing
    if os.environ.get("HOLESTRESS_REQUIRE_DASK") == "1":
        raise
    raise unittest.SkipTest(f"Dask not found ({e}): python3-dask, python3-distributed")

ROWS = 3_000_000
CHUNK = 250_000

# The bolted joint of the batch benchmark, two criteria; the job's own load case is not used.
JOB = {
    "materials": {"carbon": {"E1": 20e6, "E2": 1.4e6, "G12": 0.7e6, "nu12": 0.3, "T1": 200e3,
                             "C1": 180e3, "T2": 8e3, "C2": 30e3, "S12": 12e3}},
    "plies": [{"angle": a, "thickness": 0.005} for a in (0, 45, -45, 90)],
    "hole": {"diameter": 0.25, "width": 1.0},
    "grid": {"angle_step": 5, "angle_high": 360, "distance_step": 0.05, "steps": 2},
    "load_cases": [{"px": 1.0}],
    "failure": {"criteria": ["max-stress", "hoffman"], "distance": 0.05,
                "factor_of_safety": 1.5},
}


def digest(values):
    return hashlib.sha256(np.ascontiguousarray(values).tobytes()).hexdigest() + str(values.dtype)


def random_loads(rows, chunk):
    """Loads made chunk by chunk where the chunks are computed: the same numbers on a cluster and
    here."""
    u = da.random.RandomState(7).uniform(-1.0, 1.0, size=(rows, 6), chunks=(chunk, 6))
    scale = np.array([20000.0, 20000.0, 10000.0, 45.0, 20000.0, 1.0])
    offset = np.array([0.0, 0.0, 0.0, 45.0, 20000.0, 0.0])
    loads = u * scale + offset
    bolt = da.floor((u[:, 5] + 1.0) * 4.0) * 45.0  # eight directions
    return da.concatenate([loads[:, :5], bolt[:, None]], axis=1)


class DaskTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.cluster = LocalCluster(n_workers=2, threads_per_worker=1, processes=True,
                                   dashboard_address=None)
        cls.client = Client(cls.cluster)

    @classmethod
    def tearDownClass(cls):
        cls.client.close()
        cls.cluster.close()

    # Fails when a chunk on a worker gives other numbers than the same rows here (the job lost or
    # changed on its way as TOML text, chunks joined or shifted, an integer array as floats): the
    # bytes of every chunk of every array, compared by their SHA-256 (the workers send digests,
    # not 200 MB of results).
    def test_array_on_two_workers(self):
        loads = random_loads(ROWS, CHUNK)
        started = time.perf_counter()
        lazy = hsd.reserve_factors(JOB, loads)
        self.assertEqual(list(lazy), ["max-stress", "hoffman", "smallest", "criterion",
                                      "margin_of_safety", "ply", "ply_angle", "angle",
                                      "component"])
        # Unoptimized chunks keep the keys the arrays share: each chunk runs once.
        (digests,) = dask.compute({
            name: [dask.delayed(digest)(chunk) for chunk in a.to_delayed(optimize_graph=False)]
            for name, a in lazy.items()})
        seconds = time.perf_counter() - started
        for b in range(loads.numblocks[0]):
            with warnings.catch_warnings():  # the chunk made here, not on the cluster
                warnings.simplefilter("ignore")
                rows = loads.blocks[b].compute(scheduler="synchronous")
            want = holestress.reserve_factors(JOB, rows)
            for name, values in want.items():
                self.assertEqual(lazy[name].dtype, values.dtype, name)
                self.assertEqual(digests[name][b], digest(values), f"{name}, chunk {b}")
        print(f"\n  {ROWS} rows on two worker processes: {seconds:.1f} s", flush=True)

    # Fails when a dataframe's columns are taken by position rather than by name, a missing
    # column is not 0, or the name column is read as a load.
    def test_dataframe(self):
        import pandas as pd
        import dask.dataframe as dd

        with warnings.catch_warnings():
            warnings.simplefilter("ignore")
            rows = random_loads(10_000, 2_500).compute(scheduler="synchronous")
        names = [f"LC{i}" for i in range(len(rows))]
        frame = pd.DataFrame({"bolt_angle": rows[:, 5], "name": names, "bearing": rows[:, 4],
                              "px": rows[:, 0], "pxy": rows[:, 2]})
        lazy = hsd.reserve_factors(JOB, dd.from_pandas(frame, npartitions=3))
        (got,) = dask.compute(lazy)
        full = rows.copy()
        full[:, [1, 3]] = 0.0  # py and off_axis missing
        want = holestress.reserve_factors(JOB, full)
        for name, values in want.items():
            np.testing.assert_array_equal(got[name], values, err_msg=name)

    # Fails when a job's mistakes or wrong loads surface only on the workers.
    def test_mistakes_at_once(self):
        with self.assertRaises(ValueError):
            hsd.reserve_factors({k: v for k, v in JOB.items() if k != "failure"},
                                da.zeros((10, 6), chunks=5))
        with self.assertRaises(ValueError):
            hsd.reserve_factors(JOB, da.zeros((10, 5), chunks=5))


if __name__ == "__main__":
    unittest.main()
