#!/usr/bin/env python3
"""Checks the page of holestress-plot for one joint job against `holestress run --format html`.

    check_joint_page.py PLOT PROGRAM JOB.toml

The two programs must give the same bytes (one home for the joint's page), a page that parses as
XML, names the job's title and draws the rows' shares, and the same page with --output FILE.
"""
import os
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET


def fail(message):
    print("FAIL: " + message)
    sys.exit(1)


plot, program, job = sys.argv[1:4]
drawn = subprocess.run([plot, job], capture_output=True)
if drawn.returncode != 0:
    fail("holestress-plot %s: status %d %r" % (job, drawn.returncode, drawn.stderr[:300]))
run = subprocess.run([program, "run", job, "--format", "html"], capture_output=True)
if run.returncode != 0:
    fail("holestress run %s --format html: status %d" % (job, run.returncode))
if drawn.stdout != run.stdout:
    fail("the page of holestress-plot is not that of holestress run --format html")
page = drawn.stdout.decode("utf-8")
if "How the rows share the load" not in page:
    fail("no chart of the rows' shares")
try:
    ET.fromstring(page[page.index("<html"):])
except (ET.ParseError, ValueError) as e:
    fail("the page does not parse as XML: %s" % e)
with tempfile.TemporaryDirectory() as folder:
    out = os.path.join(folder, "joint.html")
    written = subprocess.run([plot, job, "--output", out], capture_output=True)
    if written.returncode != 0 or open(out, "rb").read() != drawn.stdout:
        fail("--output does not write the same page")
print("ok: %s" % os.path.basename(job))
