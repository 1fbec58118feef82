#!/usr/bin/env python3
"""Draws docs/python-hoop-stress.png: the hoop stress round the edge of the hole of the README's
Python session, for far-field tension, shear and a bolt bearing on the hole. Run by hand:

    PYTHONPATH=build/python /usr/bin/python3 tests/python/make_hoop_figure.py [OUTPUT.png]
"""
import os
import sys

import matplotlib

matplotlib.use("Agg")
import matplotlib.pyplot as plt  # noqa: E402

import holestress  # noqa: E402

job = {
    "units": {"stress": "MPa", "length": "mm"},
    "materials": {"carbon": {"E1": 138e3, "E2": 9.6e3, "G12": 4.8e3, "nu12": 0.3,
                             "T1": 1500, "C1": 1200, "T2": 50, "C2": 200, "S12": 80}},
    "plies": [{"angle": a, "thickness": 0.125} for a in (0, 45, -45, 90, 90, -45, 45, 0)],
    "hole": {"diameter": 6.0},
    "grid": {"angle_step": 5, "angle_high": 360, "distance_step": 1.0, "steps": 2},
    "load_cases": [
        {"name": "tension px = 100 MPa", "px": 100.0},
        {"name": "shear pxy = 100 MPa", "pxy": 100.0},
        {"name": "bolt bearing 100 MPa along x", "bearing": 100.0},
    ],
    "results": {"tables": ["polar"]},
}

results = holestress.analyse(job)
fig, ax = plt.subplots(figsize=(8, 5), dpi=100)
for lc in results["load_cases"]:
    edge = lc["stations"]["distance"] == 0
    ax.plot(lc["stations"]["angle"][edge], lc["polar"]["hoop_stress"][edge], label=lc["name"])
ax.axhline(0, color="0.6", linewidth=0.8)
ax.set_xlim(0, 360)
ax.set_xticks(range(0, 361, 45))
ax.set_xlabel("angle round the hole from the laminate x axis [deg]")
ax.set_ylabel(f"hoop stress at the hole edge [{results['units']['stress']}]")
ax.set_title("[0/45/-45/90]s carbon/epoxy, 6 mm open hole (holestress.analyse)")
ax.grid(True, color="0.9")
ax.legend(loc="upper center", bbox_to_anchor=(0.5, -0.14), ncol=3, frameon=False)
fig.tight_layout()
here = os.path.dirname(os.path.abspath(__file__))
out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "..", "docs", "python-hoop-stress.png")
fig.savefig(out)
print(os.path.normpath(out))
