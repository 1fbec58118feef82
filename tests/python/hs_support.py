"""What the tests of the Python module share: the program, the examples, running the command
line, and comparing the module's results with the command line's JSON number for number."""
import math
import os
import subprocess
import sys

import numpy as np

SOURCE = os.environ.get("HOLESTRESS_SOURCE",
                        os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__)))))
PROGRAM = os.environ.get("HOLESTRESS_PROGRAM", os.path.join(SOURCE, "build", "holestress"))
EXAMPLES = os.environ.get("HOLESTRESS_EXAMPLES", os.path.join(SOURCE, "examples"))

try:
    import holestress  # noqa: F401  (build/python on PYTHONPATH)
except ImportError as e:  # pragma: no cover - the test run says what is missing
    sys.exit(f"cannot import holestress ({e}); run through ctest or set PYTHONPATH=build/python")


def run_cli(*args, stdin=None, cwd=None):
    """The command line's completed process (text mode)."""
    return subprocess.run([PROGRAM, *args], input=stdin, capture_output=True, text=True,
                          cwd=cwd, check=False)


def differences(got, want, where="$"):
    """Where the module's results `got` differ from the JSON document `want`: a list of
    messages. Arrays must hold exactly the JSON's numbers (NaN for null), dicts the same keys in
    the same order, scalars the same value and type."""
    out = []
    if isinstance(got, np.ndarray):
        if got.dtype != np.float64:
            return [f"{where}: dtype {got.dtype}"]
        flat = want if got.ndim == 1 else [x for row in want for x in row]
        shape = (len(want),) if got.ndim == 1 else (len(want), len(want[0]))
        if got.shape != shape:
            return [f"{where}: shape {got.shape}, JSON {shape}"]
        for i, (g, w) in enumerate(zip(got.ravel().tolist(), flat)):
            same = math.isnan(g) if w is None else (g == w and isinstance(w, (int, float)))
            if not same:
                out.append(f"{where}[{i}]: {g!r} != {w!r}")
        return out
    if type(got) is not type(want):
        return [f"{where}: {type(got).__name__} {got!r}, JSON {type(want).__name__} {want!r}"]
    if isinstance(got, dict):
        if list(got) != list(want):
            return [f"{where}: keys {list(got)}, JSON {list(want)}"]
        for k in got:
            out += differences(got[k], want[k], f"{where}.{k}")
    elif isinstance(got, list):
        if len(got) != len(want):
            return [f"{where}: {len(got)} items, JSON {len(want)}"]
        for i, (g, w) in enumerate(zip(got, want)):
            out += differences(g, w, f"{where}[{i}]")
    elif got != want:
        out.append(f"{where}: {got!r} != {want!r}")
    return out
