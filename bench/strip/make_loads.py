#!/usr/bin/env python3
"""Writes N random load cases of the strip model for its batch benchmark as CSV to standard output.

    make_loads.py N [SEED]

Bearing stresses up to 40 ksi (the bolt bears towards +x), bypass stresses up to 20 ksi in
either sign."""
import random
import sys

n = int(sys.argv[1])
rng = random.Random(int(sys.argv[2]) if len(sys.argv) > 2 else 1)
out = sys.stdout
out.write("name,bearing,bypass\n")
for i in range(n):
    out.write("LC%d,%.1f,%.1f\n" % (i + 1, rng.uniform(0, 40000), rng.uniform(-20000, 20000)))
