#!/usr/bin/env python3
"""The command line of holestress and holestress-plot: help, version, the dialogue from a file
or from standard input, a job run in each format, a broken job, a broken command line.

    cli_test.py HOLESTRESS HOLESTRESS_PLOT EXAMPLES_DIR WORKDIR"""
import json
import os
import subprocess
import sys

program, plot, examples, work = sys.argv[1:5]
os.makedirs(work, exist_ok=True)
failures = []


def run(args, stdin=None, cwd=None):
    return subprocess.run(args, input=stdin, capture_output=True, cwd=cwd, timeout=120)


def check(what, ok):
    if not ok:
        failures.append(what)


dialogue = os.path.join(examples, "open-hole-tension.in")
joint = os.path.join(examples, "joint-single-shear.toml")
with open(dialogue, "rb") as f:
    piped = run([program], stdin=f.read())
# Each row: the arguments, the expected status, and a check of the result.
cases = [
    (["--help"], 0, lambda r: b"run" in r.stdout and b"convert" in r.stdout),
    (["run", "--help"], 0, lambda r: b"--format" in r.stdout and b"--threads" in r.stdout),
    (["--version"], 0, lambda r: r.stdout.startswith(b"holestress ")),
    ([dialogue], 0, lambda r: r.stdout == piped.stdout and piped.returncode == 0),
    (["run", os.path.join(examples, "bolted-joint-reserve.toml")], 0,
     lambda r: json.loads(r.stdout)["load_cases"][0]["reserve"]["smallest"]["factor"] > 1),
    (["run", os.path.join(examples, "bolted-joint-reserve.toml"), "--format", "table"], 0,
     lambda r: b"RESERVE FACTORS AT DISTANCE" in r.stdout),
    (["run", os.path.join(examples, "bolted-joint-reserve.toml"), "--format", "csv", "--output",
      os.path.join(work, "csv")], 0,
     lambda r: os.path.exists(os.path.join(work, "csv", "reserve.csv"))),
    (["run", os.path.join(examples, "no-such-job.toml")], 1, lambda r: b"cannot read" in r.stderr),
    (["run", os.path.join(examples, "bolted-joint-reserve.toml"), "--format", "xml"], 2,
     lambda r: r.stderr != b""),
    (["frobnicate", "--threads"], 2, lambda r: r.stderr != b""),
    (["convert", dialogue], 0, lambda r: b"[[load_cases]]" in r.stdout),
    (["convert", dialogue, "--stress-unit", "MPa", "--length-unit", "mm"], 0,
     lambda r: b'\nstress = "MPa"' in r.stdout and b'\nlength = "mm"' in r.stdout),
    # Each material of a library says where it came from.
    (["run", os.path.join(examples, "layup-library.toml")], 0,
     lambda r: all(m.get("source", "").endswith(os.path.join("library", "materials.toml"))
                   for m in json.loads(r.stdout)["inputs"]["materials"].values())),
    # A joint job in each format, its pictures, its interaction diagram.
    (["run", joint], 0, lambda r: json.loads(r.stdout)["joint"]["critical"]["hole"] == "skin:1"),
    (["run", joint, "--format", "table"], 0, lambda r: b"CRITICAL HOLE: skin:1" in r.stdout),
    (["run", joint, "--format", "csv", "--output", os.path.join(work, "joint")], 0,
     lambda r: os.path.exists(os.path.join(work, "joint", "joint_holes.csv"))),
    (["run", joint, "--format", "html", "--output", os.path.join(work, "joint.html")], 0,
     lambda r: b"How the rows share the load" in open(os.path.join(work, "joint.html"), "rb").read()),
    (["run", os.path.join(examples, "bolted-joint.toml"), "--format", "html"], 2,
     lambda r: b"holestress-plot" in r.stderr),
    (["interaction", joint, "--hole", "strap:2", "--output", os.path.join(work, "i.csv"),
      "--picture", os.path.join(work, "i.svg")], 0,
     lambda r: b"hole strap:2" in r.stdout and open(os.path.join(work, "i.svg"), "rb").read().startswith(b"<svg")),
    (["interaction", joint, "--hole", "strap:9"], 2, lambda r: b"no such hole" in r.stderr),
]
for args, status, ok in cases:
    r = run([program] + args)
    check("holestress %s: status %d, expected %d (%r)" % (" ".join(args[:2]), r.returncode, status,
                                                        r.stderr[:200]), r.returncode == status)
    if r.returncode == status:
        check("holestress %s: unexpected output" % " ".join(args[:2]), ok(r))

# A broken job reports every mistake with its place, and computes nothing.
broken = os.path.join(work, "broken.toml")
with open(os.path.join(examples, "bolted-joint-reserve.toml")) as f:
    text = f.read().replace("nu12 = 0.3", "nu12 = 4.0").replace('material = "carbon"', 'material = "glass"', 1)
with open(broken, "w") as f:
    f.write(text + "\nunknown_key = 1\n")
r = run([program, "run", broken])
lines = r.stderr.decode().splitlines()
check("broken job: status %d" % r.returncode, r.returncode == 2 and r.stdout == b"")
check("broken job: %r" % lines, len(lines) == 3 and all(l.startswith(broken + ":") for l in lines)
      and "nu12" in lines[0] and "unknown material" in lines[1] and "unknown_key" in lines[2])

# holestress-plot: a dialogue file or a job file, --output.
for source in ("bolted-joint.in", "bolted-joint.toml"):
    out = os.path.join(work, source + ".html")
    r = run([plot, os.path.join(examples, source), "--output", out])
    check("holestress-plot %s: status %d %r" % (source, r.returncode, r.stderr[:200]),
          r.returncode == 0 and open(out, "rb").read().startswith(b"<!DOCTYPE html>"))
# A joint job: the page of holestress run --format html, byte for byte.
r = run([plot, joint])
page = run([program, "run", joint, "--format", "html"])
check("holestress-plot on a joint job: %d %r" % (r.returncode, r.stderr[:200]),
      r.returncode == 0 and page.returncode == 0 and r.stdout == page.stdout
      and b"How the rows share the load" in r.stdout)
r = run([plot, "--version"])
check("holestress-plot --version", r.returncode == 0 and r.stdout.startswith(b"holestress-plot "))

for f in failures:
    print("FAIL:", f)
print("%d command-line checks, %d failed" % (len(cases) + 6, len(failures)))
sys.exit(1 if failures else 0)
