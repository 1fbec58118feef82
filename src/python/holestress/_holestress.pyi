"""The compiled part of holestress (the package re-exports its names): stress analysis of a
composite laminate with a circular hole, open or loaded by a bolt.

A job is a job file (its path) or a dict of the same keys as the TOML job file. There is no unit
conversion: stresses and moduli are in the job's stress unit ([units] stress, psi by default),
lengths in its length unit ([units] length, in by default), angles in degrees counter-clockwise
from the laminate x axis. A mistake in a job raises ValueError with the command line's message:
every mistake as FILE:LINE:COLUMN: KEY: MESSAGE, one per line (FILE is <dict> for a dict).
"""

import os
from typing import Any, Mapping, Union

import numpy
import numpy.typing

__version__: str

_Job = Union[str, bytes, os.PathLike, Mapping[str, Any]]

def analyse(job: _Job) -> dict[str, Any]:
    """Runs the job; its results with the structure of `holestress run JOB --format json`.

    Keys: program, version, title, units, inputs, then laminate and load_cases (or layups, for a
    carpet plot). Every list of numbers is a float64 array (NaN where the JSON has null), the
    compliance a 3 x 3 array. Field values are at the stations of the grid, distance steps
    outermost: stations["distance"] (length unit, from the hole edge), stations["angle"]
    (degrees). Stresses in the job's stress unit, strains without unit, displacements and
    distances in its length unit, compliances in 1/stress unit, angles in degrees.

    A job with a load_cases_file is refused: give those loads to reserve_factors.
    Raises ValueError for a job that cannot be read or has mistakes.
    """

def reserve_factors(
    job: _Job, loads: numpy.typing.ArrayLike, threads: int = 0
) -> dict[str, numpy.ndarray]:
    """Reserve factors of many load cases on the job's laminate, hole and grid.

    The load factor at which the first ply fails at the job's characteristic distance from the
    hole edge (failure.distance, or the curve of distance_tension and distance_compression, by
    failure.method), per criterion of the job: the numbers a load-case file run by
    `holestress run` gives. The job's own load cases are not used.

    loads: shape (N, 6), columns px, py, pxy (far-field stresses in the load axes, stress unit),
    off_axis (degrees, laminate x axis to load x axis), bearing (bolt bearing stress, stress
    unit), bolt_angle (degrees); every value finite. In the strip model (hole.model = "strip")
    shape (N, 2), columns bearing (0 or more: the bolt bears towards +x) and bypass (the gross
    stress carried past the hole; 0 with an edge distance).
    threads: threads sharing the rows, 0 for one per core; the interpreter lock is released while
    they work, and Ctrl-C stops them within a block of rows (KeyboardInterrupt). Off-axis and
    bolt angles of a turn or more are reduced modulo 360 exactly.

    Returns arrays of length N, in this order: one per criterion, named as in the job
    ("max-strain", "max-stress", "tsai-hill", "tsai-wu", "hoffman"; inf where no factor is
    finite); "smallest" (inf where none); "criterion" (int index into the job's criteria, -1
    where none); "margin_of_safety" (smallest / factor_of_safety - 1, inf where none); "ply"
    (int, 1 = bottom ply, 0 where none); "ply_angle" (degrees, NaN where none); "angle" (of the
    station round the hole, degrees, NaN where none); "distance" (of that station from the hole
    edge, length unit, NaN where none; only when the job's reserve factors are not those of one
    point-stress distance); "component" (int: 0 fibre, 1 transverse, 2 shear, -1 where none).
    When the job lists D distances (failure.distance, or distance_tension and
    distance_compression, as lists) every array has shape (N, D), column d for distance d.
    Raises ValueError for a job with mistakes or without criteria and allowables, a carpet job,
    loads of another shape, or a load that is not finite (naming its row and column).
    """

def reserve_factors_of_text(
    text: str, source: str, loads: numpy.typing.ArrayLike, threads: int = 0
) -> dict[str, numpy.ndarray]:
    """reserve_factors for a job given as the text of its job file; source names it in the
    messages (as FILE). For holestress.dask, which sends the job to its workers so."""

def dict_to_toml(job: Mapping[str, Any]) -> str:
    """The job file text that analyse and reserve_factors read for a dict.

    In each table the plain keys first, then its tables and arrays of tables (lists of dicts),
    in dict order; numbers as the shortest text that reads back to the same value. The line and
    column of a mistake reported for a dict point into this text. Raises TypeError for a key that
    is not a string or a value with no TOML form (None).
    """
