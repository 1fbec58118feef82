#!/usr/bin/env python3
"""Writes N random load cases for the batch benchmark as CSV to standard output.

    make_loads.py N [SEED]

Far-field stresses up to 20 ksi in either sign at any off-axis angle, bearing stresses up to
40 ksi, the bolt loading in one of eight directions (every 45 degrees)."""
import random
import sys

n = int(sys.argv[1])
rng = random.Random(int(sys.argv[2]) if len(sys.argv) > 2 else 1)
out = sys.stdout
out.write("name,px,py,pxy,off_axis,bearing,bolt_angle\n")
for i in range(n):
    out.write("LC%d,%.1f,%.1f,%.1f,%.2f,%.1f,%d\n" % (
        i + 1, rng.uniform(-20000, 20000), rng.uniform(-20000, 20000), rng.uniform(-10000, 10000),
        rng.uniform(0, 90), rng.uniform(0, 40000), 45 * rng.randrange(8)))
