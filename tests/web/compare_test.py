#!/usr/bin/env python3
"""The page's numbers are the command line's: every example job file through the page's module
(run by node) and through `holestress run`, compared exactly.

    compare_test.py MODULE_JS HOLESTRESS JOB.toml...

For each job: the JSON results value by value (parsed doubles compared bit for bit; any
difference is printed with its path, both values and their distance in units in the last place),
the tables as text, and the CSV files by name and text. Jobs with a file of load cases are left
out (the page does not run them) after checking that the module refuses them with a message.
Exit 77 (skipped) when node or the program is missing, unless HOLESTRESS_REQUIRE_WEB=1.
"""
import json
import math
import os
import shutil
import struct
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))


def ulps(a, b):
    """Distance of two finite doubles in units in the last place."""
    def key(x):
        i = struct.unpack("<q", struct.pack("<d", x))[0]
        return i if i >= 0 else -(i & 0x7FFFFFFFFFFFFFFF)
    return abs(key(a) - key(b))


def differences(a, b, where, out):
    """Appends to out every place where the two parsed JSON values differ."""
    if isinstance(a, dict) and isinstance(b, dict):
        if list(a) != list(b):
            out.append("%s: keys %s against %s" % (where, list(a), list(b)))
        for k in a:
            if k in b:
                differences(a[k], b[k], "%s.%s" % (where, k), out)
    elif isinstance(a, list) and isinstance(b, list):
        if len(a) != len(b):
            out.append("%s: %d items against %d" % (where, len(a), len(b)))
        for i, (x, y) in enumerate(zip(a, b)):
            differences(x, y, "%s[%d]" % (where, i), out)
    elif isinstance(a, float) and isinstance(b, float):
        same = (a == b and math.copysign(1, a) == math.copysign(1, b)) or (a != a and b != b)
        if not same:
            out.append("%s: page %r, command line %r (%d ulp)" % (where, a, b, ulps(a, b)))
    elif type(a) is not type(b) or a != b:
        out.append("%s: page %r, command line %r" % (where, a, b))


def main():
    if len(sys.argv) < 4:
        raise SystemExit(__doc__)
    module_js, holestress, jobs = sys.argv[1], sys.argv[2], sys.argv[3:]
    node = shutil.which("node")
    missing = ("node" if not node else
               holestress if not (os.path.isfile(holestress) and os.access(holestress, os.X_OK))
               else None)
    if missing:
        print("%s not found: skipped" % missing)
        return 1 if os.environ.get("HOLESTRESS_REQUIRE_WEB") == "1" else 77
    answers = json.loads(subprocess.run(
        [node, os.path.join(HERE, "run_module.js"), module_js] + jobs,
        check=True, capture_output=True, text=True).stdout)
    failures = 0
    compared = 0
    for answer in answers:
        job, response = answer["file"], json.loads(answer["response"])
        name = os.path.basename(job)
        with open(job, encoding="utf-8") as f:
            batch = "load_cases_file" in f.read()
        if batch:
            if response["status"] != 2 or "load_cases_file" not in response["errors"]:
                print("FAIL %s: a job with a file of load cases was not refused: %r"
                      % (name, response["errors"]))
                failures += 1
            continue
        if response["status"] != 0:
            print("FAIL %s: the module refused it:\n%s" % (name, response["errors"]))
            failures += 1
            continue
        run = subprocess.run([holestress, "run", job, "--format", "json"], check=True,
                             capture_output=True, text=True)
        diffs = []
        differences(response["results"], json.loads(run.stdout), "results", diffs)
        tables = subprocess.run([holestress, "run", job, "--format", "table"], check=True,
                                capture_output=True).stdout.decode("utf-8")
        if response["tables"] != tables:
            page_lines, cli_lines = response["tables"].splitlines(), tables.splitlines()
            first = next((i for i, (p, c) in enumerate(zip(page_lines, cli_lines)) if p != c),
                         min(len(page_lines), len(cli_lines)))
            diffs.append("tables differ from line %d:\n  page: %r\n  cli:  %r" % (
                first + 1, page_lines[first] if first < len(page_lines) else None,
                cli_lines[first] if first < len(cli_lines) else None))
        with tempfile.TemporaryDirectory() as folder:
            subprocess.run([holestress, "run", job, "--format", "csv", "--output", folder],
                           check=True, capture_output=True)
            files = {}
            for n in sorted(os.listdir(folder)):
                with open(os.path.join(folder, n), "rb") as f:
                    files[n] = f.read().decode("utf-8")
        if sorted(response["csv"]) != sorted(files):
            diffs.append("CSV files: page %s, command line %s" % (sorted(response["csv"]), sorted(files)))
        for n in files:
            if n in response["csv"] and response["csv"][n] != files[n]:
                diffs.append("CSV file %s differs" % n)
        if "<svg" not in response["pictures"]:
            diffs.append("no pictures")
        numbers = count_numbers(response["results"])
        compared += numbers
        if diffs:
            failures += 1
            print("FAIL %s: %d differences\n  %s" % (name, len(diffs), "\n  ".join(diffs[:40])))
        else:
            print("ok   %s: %d numbers, the tables and %d CSV files the same (%.1f ms in node)"
                  % (name, numbers, len(files), answer["ms"]))
    print("%d numbers compared" % compared)
    return 1 if failures else 0


def count_numbers(v):
    if isinstance(v, dict):
        return sum(count_numbers(x) for x in v.values())
    if isinstance(v, list):
        return sum(count_numbers(x) for x in v)
    return 1 if isinstance(v, (int, float)) and not isinstance(v, bool) else 0


if __name__ == "__main__":
    sys.exit(main())
