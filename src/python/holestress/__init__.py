"""Stress analysis of a composite laminate with a circular hole, open or loaded by a bolt.

A job is a job file (its path) or a dict of the same keys as the TOML job file. There is no unit
conversion: stresses and moduli are in the job's stress unit ([units] stress, psi by default),
lengths in its length unit ([units] length, in by default), angles in degrees counter-clockwise
from the laminate x axis. A mistake in a job raises ValueError with the command line's message:
every mistake as FILE:LINE:COLUMN: KEY: MESSAGE, one per line (FILE is <dict> for a dict).

analyse(job) runs a job into the structure of `holestress run JOB --format json`;
analyse_joint(job) runs a joint job the same way and gives its joint object (the rows' loads,
every hole's factors, the critical hole, and the arrays);
reserve_factors(job, loads) gives the reserve factors of many load cases as NumPy arrays;
dict_to_toml(job) is the job file a dict stands for. The subpackage holestress.dask (imported
on its own, with Dask installed) runs reserve_factors over the chunks of a Dask array or
dataframe, on a cluster.
"""
from ._holestress import __version__, analyse, dict_to_toml, reserve_factors

__all__ = ["__version__", "analyse", "analyse_joint", "dict_to_toml", "reserve_factors"]


def analyse_joint(job):
    """The joint of a joint job: how its rows of fasteners share the load and every hole's
    reserve factors, as the "joint" object of analyse(job) (NumPy arrays under "arrays"), with
    the program, version and title of the results beside it. A job of one hole raises ValueError.
    """
    results = analyse(job)
    if "joint" not in results:
        raise ValueError("not a joint job (no [joint] table): analyse gives its results")
    joint = dict(results["joint"])
    for key in ("program", "version", "title", "units"):
        if key in results:
            joint.setdefault(key, results[key])
    return joint
