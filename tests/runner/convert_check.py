#!/usr/bin/env python3
"""Converts dialogues into job files, runs the jobs, and checks that the JSON results give the
numbers the dialogue prints, to the printed digits.

    convert_check.py HOLESTRESS WORKDIR DIALOGUE...

For each dialogue: `holestress convert` writes its jobs, `holestress run --format json` runs
each, and every number of every printed table (cases 2 to 9) must lie within half a unit of its
last printed digit of the JSON value; the failure load of case 10 must be the typed loads times
the job's reserve factor of that criterion, within the search's window of 0.1 percent."""
import json
import math
import os
import re
import subprocess
import sys

CRITERIA = {1: "max-strain", 2: "max-stress", 3: "tsai-hill", 4: "tsai-wu", 5: "hoffman"}


def fields(line, widths):
    """The fixed-width fields of a row as floats (None where the field is asterisks or not a
    number)."""
    out, at = [], 0
    for w in widths:
        text = line[at:at + w].strip()
        at += w
        try:
            out.append(float(text))
        except ValueError:
            out.append(None)
    return out


def close(printed, value, decimals, what):
    if printed is None or value is None or (isinstance(value, float) and not math.isfinite(value)):
        return
    if abs(printed - value) > 0.5 * 10 ** -decimals * (1 + 1e-9) + 1e-12 * abs(value):
        raise AssertionError("%s: printed %r, JSON %r" % (what, printed, value))


def check_exponent(printed_text, value, what):
    m = re.match(r"\s*(-?)\.?0?\.?(\d+)E([+-]\d+)", printed_text)
    printed = float(printed_text.replace("E", "e"))
    if value is None or printed_text.strip().startswith("*"):
        return
    if abs(printed - value) > 0.5e-3 * 10 ** math.floor(math.log10(abs(value)) + 1) * (1 + 1e-9):
        raise AssertionError("%s: printed %s, JSON %r" % (what, printed_text, value))


def passes(text):
    """The output split into passes (each starting at the instructions question)."""
    parts = text.split("1DO YOU WANT INSTRUCTIONS (YES or NO)?\r\n")
    return parts[1:]


def tables(block):
    """Sections of a pass: (title, rows) in order, rows being the non-empty lines after it."""
    lines = block.split("\r\n")
    titles = ["LAMINATE PROPERTIES", "LAMINATE STRESSES", "LAMINATE STRAINS",
              "CIRCUMFERENTIAL AND RADIAL", "DISPLACEMENTS", "STRAINS PER PLY",
              "STRESSES PER PLY", "FAILURE CRITERIA PER PLY", "AUTOMATIC SEARCH FOR FAILURE",
              "LAYUP:"]
    out = []
    for line in lines:
        # Titles are indented; the case menu of the instructions names them too.
        head = next((t for t in titles if t in line), None) if line.startswith(" " * 10) else None
        if head:
            out.append([head, [line]])
        elif out:
            out[-1][1].append(line)
    return out


def data_rows(rows, start):
    return [r for r in rows[start:] if r.strip() and re.match(r"^\s*-?[\d.*]", r) and "CAUTION" not in r]


def check_pass(block, job, case, layup_number, strict):
    lam = case_lam = None
    stations = case and case.get("stations")
    for title, rows in tables(block):
        if title == "LAMINATE PROPERTIES":
            line = rows[1]
            vals = re.findall(r"= *(\S+)", line)
            for text, key in zip(vals[:3], ["EX", "EY", "GXY"]):
                check_exponent(text, job_laminate(job, layup_number)[key], "properties " + key)
            close(float(vals[3]) if not vals[3].startswith("*") else None,
                  job_laminate(job, layup_number)["VXY"], 3, "VXY")
        if not strict or case is None:
            continue
        if title in ("LAMINATE STRESSES", "LAMINATE STRAINS"):
            key = "stresses" if "STRESSES" in title else "strains"
            d = 2 if key == "stresses" else 6
            for i, row in enumerate(data_rows(rows, 3)):
                f = fields(row, [6, 8, 11, 11, 11, 11, 11, 8])
                close(f[0], stations["distance"][i], 3, title + " DIST")
                close(f[1], stations["angle"][i], 2, title + " ANGLE")
                for n, k in enumerate(["x", "y", "xy", "max_principal", "min_principal"]):
                    close(f[2 + n], case[key][k][i], d, "%s %s row %d" % (title, k, i))
                close(f[7], case[key]["principal_direction"][i], 2, title + " direction")
        elif title == "CIRCUMFERENTIAL AND RADIAL":
            for i, row in enumerate(data_rows(rows, 4)):
                f = fields(row, [6, 10, 12, 11, 11, 9, 9, 9])
                p = case["polar"]
                for n, (k, d) in enumerate([("hoop_stress", 2), ("radial_stress", 2),
                                            ("shear_stress", 2), ("hoop_strain", 6),
                                            ("radial_strain", 6), ("shear_strain", 6)]):
                    close(f[2 + n], p[k][i], d, "polar %s row %d" % (k, i))
        elif title == "DISPLACEMENTS":
            for i, row in enumerate(data_rows(rows, 3)):
                f = fields(row, [7, 10, 13, 12])
                close(f[2], case["displacements"]["u"][i], 6, "u row %d" % i)
                close(f[3], case["displacements"]["v"][i], 6, "v row %d" % i)
        elif title in ("STRAINS PER PLY", "STRESSES PER PLY"):
            strain = "STRAINS" in title
            nply = len(case["plies"])
            for i, row in enumerate(data_rows(rows, 3)):
                f = fields(row, [6, 8, 8, 12, 12, 12])
                ply = case["plies"][i % nply]
                names = ["strain_1", "strain_2", "strain_12"] if strain else ["stress_1", "stress_2", "stress_12"]
                for n, k in enumerate(names):
                    close(f[3 + n], ply[k][i // nply], 6 if strain else 2, "%s %s row %d" % (title, k, i))
        elif title == "FAILURE CRITERIA PER PLY":
            crit = job["inputs"]["failure"]["criteria"][0]
            plies = case["failure"][crit]
            nply = len(plies)
            three = crit in ("max-strain", "max-stress")
            for i, row in enumerate(data_rows(rows, 4)):
                f = fields(row, [7, 10, 10] + [10] * (3 if three else 4))
                names = ["number_1", "number_2", "number_12"] if three else ["number", "ratio_1", "ratio_2", "ratio_12"]
                for n, k in enumerate(names):
                    close(f[3 + n], plies[i % nply][k][i // nply], 3, "failure %s row %d" % (k, i))
        elif title == "AUTOMATIC SEARCH FOR FAILURE":
            loads = [float(x) for x in rows[4].split()]
            crit = job["inputs"]["failure"]["criteria"][0]
            factor = case["reserve"]["criteria"][crit]["factor"]
            typed = case["loads"]
            for got, key in zip(loads, ["px", "py", "pxy", "bearing"]):
                want = factor * typed[key]
                if abs(got - want) > 1.5e-3 * abs(want) + 0.005:
                    raise AssertionError("failure load %s: printed %r, reserve factor x typed %r"
                                         % (key, got, want))


def job_laminate(job, layup_number):
    if "layups" in job:
        return job["layups"][layup_number]["laminate"]
    return job["laminate"]


def main():
    program, work = sys.argv[1], sys.argv[2]
    os.makedirs(work, exist_ok=True)
    checked = 0
    for dialogue in sys.argv[3:]:
        name = os.path.splitext(os.path.basename(dialogue))[0]
        folder = os.path.join(work, name)
        os.makedirs(folder, exist_ok=True)
        printed = subprocess.run([program, dialogue], capture_output=True, check=True).stdout.decode()
        conv = subprocess.run([program, "convert", dialogue, "--output", folder],
                              capture_output=True, text=True)
        if conv.returncode != 0:
            raise SystemExit("FAIL: convert %s: %s" % (dialogue, conv.stderr))
        files = sorted(f for f in os.listdir(folder) if f.endswith(".toml"))
        if not files:  # a single job goes to the named file
            pass
        jobs = []
        for f in files:
            run = subprocess.run([program, "run", os.path.join(folder, f), "--format", "json"],
                                 capture_output=True, text=True)
            if run.returncode != 0:
                raise SystemExit("FAIL: run %s: %s" % (f, run.stderr))
            jobs.append(json.loads(run.stdout))
        # Each pass of the dialogue is a load case named "pass N" of one of the jobs.
        for n, block in enumerate(passes(printed), start=1):
            for job in jobs:
                if "layups" in job:
                    if job["inputs"]["load_cases"] and job["inputs"]["load_cases"][0]["name"] != "pass %d" % n:
                        continue
                    layups = re.split(r"\r\n[^\r\n]*LAYUP:[^\r\n]*", block)[1:] or [block]
                    for i, lay in enumerate(layups):
                        cases = job["layups"][i]["load_cases"]
                        # Past the first layup a search starts from the last failure load: only
                        # the properties and the failure load are comparable there.
                        check_pass(lay, job, cases[0] if cases else None, i, strict=(i == 0))
                        checked += 1
                    break
                named = [c for c in job.get("load_cases", []) if c["name"] == "pass %d" % n]
                if named or (not job.get("load_cases") and job["title"].endswith("pass %d" % n)):
                    check_pass(block, job, named[0] if named else None, 0, strict=True)
                    checked += 1
                    break
    print("%d passes and layups checked" % checked)


if __name__ == "__main__":
    main()
