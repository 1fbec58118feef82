"""Reserve factors of load cases held in Dask collections, chunk by chunk, on any Dask scheduler.

    import holestress.dask
    factors = holestress.dask.reserve_factors("joint.toml", loads)  # loads: Dask array (n, 6)
    smallest = factors["smallest"].compute()

Each chunk of rows becomes one call of holestress.reserve_factors in whichever process runs it:
a thread of this process with Dask's default scheduler, a worker of a distributed cluster under a
dask.distributed.Client. The job travels to the workers as the text of its job file (a dict as
holestress.dict_to_toml writes it), so the workers need the holestress package but not the
job's files. The numbers are those of holestress.reserve_factors on the same rows, to the bit.
"""
import os

import numpy as np
import dask.array as da

from . import _holestress

COLUMNS = ("px", "py", "pxy", "off_axis", "bearing", "bolt_angle")
_INTEGERS = ("criterion", "ply", "component")


def _job_text(job):
    """The job file's text and the name its messages give it: a path, or a dict."""
    if isinstance(job, dict):
        return _holestress.dict_to_toml(job), "<dict>"
    if not isinstance(job, (str, bytes, os.PathLike)):
        raise TypeError("job: a path (str or os.PathLike) or a dict, not " + type(job).__name__)
    path = os.fsdecode(job)
    try:
        with open(path, "rb") as f:
            return f.read(), path
    except OSError:
        raise ValueError("holestress: cannot read " + path) from None


def _as_loads_array(loads):
    """The loads as a Dask array of float64, shape (n, 6), chunked by rows only."""
    if isinstance(loads, da.Array):
        if loads.ndim != 2 or loads.shape[1] != 6:
            raise ValueError("loads: shape (n, 6) is needed (px, py, pxy, off_axis, bearing, "
                             "bolt_angle), not %s" % (loads.shape,))
        if loads.numblocks[1] != 1:
            loads = loads.rechunk({1: 6})
        return loads.astype(np.float64)
    if hasattr(loads, "to_dask_array") and hasattr(loads, "columns"):
        # A Dask dataframe: the load-case columns by name, in any order, a missing one 0, a name
        # column left aside, as in a load-case file.
        unknown = [c for c in loads.columns if c not in COLUMNS and c != "name"]
        if unknown:
            raise ValueError("loads: unknown column %r (name, %s)" % (unknown[0],
                                                                       ", ".join(COLUMNS)))
        frame = loads[[c for c in COLUMNS if c in loads.columns]]
        frame = frame.assign(**{c: 0.0 for c in COLUMNS if c not in loads.columns})[list(COLUMNS)]
        return frame.astype(np.float64).to_dask_array(lengths=True)
    raise TypeError("loads: a Dask array of shape (n, 6) or a Dask dataframe, not "
                    + type(loads).__name__)


def _chunk(block, text, source, threads, dtype):
    """One chunk of rows through the module, its arrays side by side in one record array."""
    factors = _holestress.reserve_factors_of_text(text, source, block, threads)
    out = np.empty(len(block), dtype)
    for name in dtype.names:
        out[name] = factors[name]
    return out


def reserve_factors(job, loads, threads=1):
    """Dask arrays of the reserve factors of the load cases in `loads`, one row each.

    job: the path of a job file or a dict of its keys, as for holestress.reserve_factors; read
    here (a mistake raises ValueError at once) and sent to the workers as its text.
    loads: a Dask array of shape (n, 6), columns px, py, pxy, off_axis, bearing, bolt_angle
    (holestress.reserve_factors), chunked by rows (chunks across the columns are joined); or a
    Dask dataframe with columns named so, in any order (a missing one is 0, a name column is
    left aside; the lengths of its partitions are worked out first).
    threads: threads of each chunk's call (default 1: Dask runs the chunks side by side; 0 for
    every core of the worker).

    Returns a dict of Dask arrays of length n with the keys and dtypes of
    holestress.reserve_factors. Computing several of them together (dask.compute) runs each
    chunk once.
    """
    text, source = _job_text(job)
    # The job's mistakes, and the names of its results, from a call without rows.
    names = list(_holestress.reserve_factors_of_text(text, source, np.zeros((0, 6)), 1))
    dtype = np.dtype([(n, np.int64 if n in _INTEGERS else np.float64) for n in names])
    rows = _as_loads_array(loads)
    records = rows.map_blocks(_chunk, text, source, threads, dtype, dtype=dtype, drop_axis=1,
                              meta=np.empty((0,), dtype))
    return {name: records[name] for name in names}
