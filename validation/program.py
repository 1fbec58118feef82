"""The program's edge values, behind one function.

Today the program is driven through its dialogue (output case 5 prints the hoop stress around the
hole); when a job interface with JSON output is available only `_run` needs to change.
"""
import os
import subprocess
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
PROGRAM = Path(os.environ.get("HOLESTRESS", ROOT / "build" / "holestress"))


def _fmt(x):
    return repr(float(x))


def _dialogue(job):
    m = job["material"]
    lines = [
        "NO",
        "5/",
        f"{len(job['angles'])} 1",
        " ".join(_fmt(v) for v in (m["E1"], m["E2"], m["G12"], m["nu12"])),
        " ".join(_fmt(a) for a in job["angles"]),
        " ".join(_fmt(t) for t in job["thicknesses"]),
        " ".join(
            _fmt(job.get(k, 0.0)) for k in ("PX", "PY", "PXY", "OFFANG", "P", "BOLTANG")
        ),
    ]
    if job.get("P", 0.0) != 0.0:
        lines.append(_fmt(job.get("W", 0.0)))
    step = job.get("step", 0.0)
    nstep = job.get("nstep", 1)
    lines.append(f"{_fmt(job.get('D', 1.0))} 5.0 0.0 360.0 {_fmt(step)} {nstep}")
    lines.append("NO")
    return "\n".join(lines) + "\n"


def _run(job):
    out = subprocess.run(
        [str(PROGRAM)], input=_dialogue(job).encode(), capture_output=True, check=True
    ).stdout.decode()
    rows = []
    started = False
    for line in out.split("\r\n"):
        if "CIRCUMFERENTIAL AND RADIAL" in line:
            started = True
            continue
        if not started:
            continue
        # (F6.3,F10.2,F12.2,2F11.2,3F9.6): columns may touch, so cut by position
        try:
            rows.append(tuple(float(line[a:b]) for a, b in ((0, 6), (6, 16), (16, 28), (28, 39), (39, 50))))
        except ValueError:
            pass
    return rows  # (dist, angle, hoop, radial, shear)


def field(job):
    """Rows (distance from the edge, angle in degrees, hoop, radial, shear stress)."""
    return _run(job)


def edge_hoop_stress(job):
    """Angles 0, 5, ..., 360 degrees and the hoop stress on the hole edge there.

    job: material {E1, E2, G12, nu12}, angles, thicknesses (plies), loads PX, PY, PXY, OFFANG,
    P, BOLTANG, W (plate width for the bypass, 0 for an infinite plate), D (hole diameter).
    """
    rows = [r for r in _run(dict(job, step=0.0, nstep=1)) if r[0] == 0.0]
    return [r[1] for r in rows], [r[2] for r in rows]


def edge_radial_stress(job):
    rows = [r for r in _run(dict(job, step=0.0, nstep=1)) if r[0] == 0.0]
    return [r[1] for r in rows], [r[3] for r in rows]
