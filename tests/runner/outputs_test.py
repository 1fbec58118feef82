#!/usr/bin/env python3
"""Every output of a job against its JSON results: each column of each CSV file, each column of
each printed table, the unit labels of both, on a job with every table (two materials, far-field
loads with a bolt at an angle, Tan's correction, every criterion).

    outputs_test.py HOLESTRESS WORK

A CSV number must be the JSON number itself (both are the shortest text of the same double); a
printed number must be the JSON number rounded to the digits the column prints. A column written
from the wrong quantity, two columns swapped, a sign dropped, a unit label wrong or a row lost
fails here.
"""
import csv
import io
import json
import math
import os
import re
import subprocess
import sys

JOB = """title = "every output"
[units]
stress = "MPa"
length = "mm"
[materials.tape]
E1 = 138000.0
E2 = 9600.0
G12 = 4800.0
nu12 = 0.3
T1 = 1500.0
C1 = 1200.0
T2 = 50.0
C2 = 200.0
S12 = 80.0
[materials.glass]
E1 = 45000.0
E2 = 12000.0
G12 = 5500.0
nu12 = 0.28
T1 = 1100.0
C1 = 700.0
T2 = 40.0
C2 = 140.0
S12 = 70.0
[[plies]]
angle = 0
thickness = 0.125
material = "tape"
[[plies]]
angle = 45
thickness = 0.2
material = "glass"
[[plies]]
angle = -30
thickness = 0.125
material = "tape"
[hole]
diameter = 6.0
width = 30.0
finite_width_correction = "tan"
[grid]
angle_step = 45
angle_low = -45
angle_high = 180
distance_step = 1.5
steps = 3
[[load_cases]]
name = "tension"
px = 120.0
py = -35.0
pxy = 20.0
off_axis = 10.0
[[load_cases]]
name = "bolt"
px = 40.0
bearing = 250.0
bolt_angle = 30.0
[failure]
criteria = ["max-strain", "max-stress", "tsai-hill", "tsai-wu", "hoffman"]
distance = 1.0
factor_of_safety = 1.5
[results]
tables = ["properties", "stresses", "strains", "polar", "displacements", "ply-strains",
          "ply-stresses", "failure", "reserve"]
"""

failures = []


def check(condition, message):
    if not condition:
        failures.append(message)


def printed(value, decimals):
    """The JSON value rounded as a fixed-decimal column prints it (a negative zero included)."""
    text = "%.*f" % (decimals, value)
    return float(text)


# ---- CSV -----------------------------------------------------------------------------------------

def station_rows(lc):
    st = lc["stations"]
    return list(zip(st["distance"], st["angle"]))


def csv_checks(doc, folder):
    lcs = doc["load_cases"]
    crit = list(lcs[0]["failure"].keys())

    def read(name):
        with open(os.path.join(folder, name), newline="") as f:
            rows = list(csv.reader(f))
        return rows[0], rows[1:]

    def same(got, want, where):
        # The CSV holds the shortest text of the double the JSON holds; null is an empty cell.
        if want is None:
            check(got == "", "%s: %r where the JSON has null" % (where, got))
        else:
            check(got != "" and float(got) == want and
                  math.copysign(1, float(got)) == math.copysign(1, want),
                  "%s: %r, JSON %r" % (where, got, want))

    head, rows = read("properties.csv")
    check(head == ["thickness [mm]", "EX [MPa]", "EY [MPa]", "GXY [MPa]", "VXY"],
          "properties header %r" % head)
    for name, cell in zip(["thickness", "EX", "EY", "GXY", "VXY"], rows[0]):
        same(cell, doc["laminate"][name], "properties.csv " + name)

    fields = {
        "stresses.csv": (["sigma_x [MPa]", "sigma_y [MPa]", "tau_xy [MPa]", "max_principal [MPa]",
                          "min_principal [MPa]", "principal_direction [deg]"],
                         "stresses", ["x", "y", "xy", "max_principal", "min_principal",
                                      "principal_direction"]),
        "strains.csv": (["eps_x", "eps_y", "gamma_xy", "max_principal", "min_principal",
                         "principal_direction [deg]"],
                        "strains", ["x", "y", "xy", "max_principal", "min_principal",
                                    "principal_direction"]),
        "polar.csv": (["hoop_stress [MPa]", "radial_stress [MPa]", "shear_stress [MPa]",
                       "hoop_strain", "radial_strain", "shear_strain"],
                      "polar", ["hoop_stress", "radial_stress", "shear_stress", "hoop_strain",
                                "radial_strain", "shear_strain"]),
        "displacements.csv": (["u [mm]", "v [mm]"], "displacements", ["u", "v"]),
    }
    for name, (columns, key, names) in fields.items():
        head, rows = read(name)
        check(head == ["load_case", "distance [mm]", "angle [deg]"] + columns,
              "%s header %r" % (name, head))
        n = 0
        for lc in lcs:
            for i, (dist, angle) in enumerate(station_rows(lc)):
                row = rows[n]
                n += 1
                check(row[0] == lc["name"], "%s row %d: load case %r" % (name, n, row[0]))
                same(row[1], dist, "%s row %d distance" % (name, n))
                same(row[2], angle, "%s row %d angle" % (name, n))
                for c, field in enumerate(names):
                    same(row[3 + c], lc[key][field][i], "%s row %d %s" % (name, n, columns[c]))
        check(n == len(rows), "%s: %d rows, %d expected" % (name, len(rows), n))

    for name, kind, columns in (("ply_strains.csv", "strain", ["eps_1", "eps_2", "gamma_12"]),
                                ("ply_stresses.csv", "stress",
                                 ["sigma_1 [MPa]", "sigma_2 [MPa]", "tau_12 [MPa]"])):
        head, rows = read(name)
        check(head == ["load_case", "distance [mm]", "angle [deg]", "ply", "ply_angle [deg]"] +
              columns, "%s header %r" % (name, head))
        n = 0
        for lc in lcs:
            for i, (dist, angle) in enumerate(station_rows(lc)):
                for ply in lc["plies"]:
                    row = rows[n]
                    n += 1
                    where = "%s row %d" % (name, n)
                    check(row[0] == lc["name"] and int(row[3]) == ply["ply"], where + " order")
                    same(row[1], dist, where + " distance")
                    same(row[2], angle, where + " angle")
                    same(row[4], ply["angle"], where + " ply angle")
                    for c, comp in enumerate(["1", "2", "12"]):
                        same(row[5 + c], ply["%s_%s" % (kind, comp)][i], where + " " + columns[c])
        check(n == len(rows), "%s: %d rows, %d expected" % (name, len(rows), n))

    head, rows = read("failure.csv")
    check(head == ["load_case", "criterion", "distance [mm]", "angle [deg]", "ply",
                   "ply_angle [deg]", "number_1", "number_2", "number_12", "number", "ratio_1",
                   "ratio_2", "ratio_12"], "failure header %r" % head)
    n = 0
    for lc in lcs:
        for i, (dist, angle) in enumerate(station_rows(lc)):
            for p in range(len(lc["plies"])):
                for c in crit:
                    ply = lc["failure"][c][p]
                    row = rows[n]
                    n += 1
                    where = "failure.csv row %d (%s)" % (n, c)
                    check(row[0] == lc["name"] and row[1] == c and int(row[4]) == ply["ply"],
                          where + " order")
                    same(row[2], dist, where + " distance")
                    same(row[3], angle, where + " angle")
                    same(row[5], lc["plies"][p]["angle"], where + " ply angle")
                    keys = (["number_1", "number_2", "number_12"] if "number_1" in ply else
                            ["number", "ratio_1", "ratio_2", "ratio_12"])
                    offset = 6 if "number_1" in ply else 9
                    for k, key in enumerate(keys):
                        same(row[offset + k], ply[key][i], where + " " + key)
                    for k in range(6, 13):
                        if not offset <= k < offset + len(keys):
                            check(row[k] == "", where + " column %d not empty" % (k + 1))
    check(n == len(rows), "failure.csv: %d rows, %d expected" % (len(rows), n))

    head, rows = read("reserve.csv")
    check(head == ["load_case", "criterion", "factor", "ply", "ply_angle [deg]", "angle [deg]",
                   "distance [mm]", "component", "margin_of_safety"], "reserve header %r" % head)
    n = 0
    for lc in lcs:
        r = lc["reserve"]
        for c in crit:
            row = rows[n]
            n += 1
            e = r["criteria"][c]
            where = "reserve.csv row %d (%s)" % (n, c)
            check(row[0] == lc["name"] and row[1] == c, where + " order")
            same(row[2], e["factor"], where + " factor")
            check(int(row[3]) == e["ply"], where + " ply")
            same(row[4], e["ply_angle"], where + " ply angle")
            same(row[5], e["angle"], where + " angle")
            same(row[6], r["distance"], where + " distance")
            check(row[7] == e["component"], where + " component")
            smallest = r["smallest"]["criterion"] == c
            same(row[8], r["margin_of_safety"] if smallest else None, where + " margin")
    check(n == len(rows), "reserve.csv: %d rows, %d expected" % (len(rows), n))


# ---- printed tables -------------------------------------------------------------------------------

def widths(fmt):
    """The (width, decimals) of each field of a format such as (F6.3,F8.2,5F11.2)."""
    out = []
    for count, w, d in re.findall(r"(\d*)F(\d+)\.(\d+)", fmt):
        out += [(int(w), int(d))] * (int(count) if count else 1)
    return out


def fields(line, fmt):
    values, at = [], 0
    for w, d in widths(fmt):
        values.append((float(line[at:at + w]), d))
        at += w
    return values


_ROW = re.compile(r"^ *-?\d*\.\d")


def raw_tables(lines, title):
    """The data lines of each table with this title, in order: after its column headings, up to
    the first line that is not a row."""
    out = []
    k = 0
    while k < len(lines):
        if lines[k].strip() == title:
            k += 1
            while k < len(lines) and not _ROW.match(lines[k]):
                k += 1
            rows = []
            while k < len(lines) and _ROW.match(lines[k]):
                rows.append(lines[k])
                k += 1
            out.append(rows)
        k += 1
    return out


def table_rows(lines, title, fmt):
    """The rows of each table with this title, each as (value, decimals) fields."""
    return [[fields(r, fmt) for r in rows] for rows in raw_tables(lines, title)]


def table_checks(doc, text):
    lines = text.replace("\r", "").split("\n")
    lcs = doc["load_cases"]

    def same(value_and_decimals, want, where):
        got, d = value_and_decimals
        check(want is not None and abs(got - printed(want, d)) < 0.5 * 10.0 ** -d,
              "%s: printed %r, JSON %r" % (where, got, want))

    lam = doc["laminate"]
    line = next(l for l in lines if l.startswith(" EX = "))
    ex, ey, gxy, vxy = re.findall(r"= *(\S+)", line)
    for name, got in (("EX", ex), ("EY", ey), ("GXY", gxy)):
        # E9.3: three significant digits, 0.DDDE+XX.
        check(float(got) == float("%.2e" % lam[name]), "properties %s %s, JSON %r" % (name, got, lam[name]))
    check(abs(float(vxy) - lam["VXY"]) < 5e-4, "properties VXY %s, JSON %r" % (vxy, lam["VXY"]))

    for title, fmt, key, names in (
            ("LAMINATE STRESSES", "(F6.3,F8.2,5F11.2,F8.2)", "stresses",
             ["x", "y", "xy", "max_principal", "min_principal", "principal_direction"]),
            ("LAMINATE STRAINS", "(F6.3,F8.2,5F11.6,F8.2)", "strains",
             ["x", "y", "xy", "max_principal", "min_principal", "principal_direction"]),
            ("CIRCUMFERENTIAL AND RADIAL STRESSES & STRAINS", "(F6.3,F10.2,F12.2,2F11.2,3F9.6)",
             "polar", ["hoop_stress", "radial_stress", "shear_stress", "hoop_strain",
                       "radial_strain", "shear_strain"]),
            ("DISPLACEMENTS", "(F7.3,F10.2,F13.6,F12.6)", "displacements", ["u", "v"])):
        tables = table_rows(lines, title, fmt)
        check(len(tables) == len(lcs), "%d %s tables for %d load cases" % (len(tables), title, len(lcs)))
        for lc, rows in zip(lcs, tables):
            check(len(rows) == len(station_rows(lc)), "%s of %s: %d rows" % (title, lc["name"], len(rows)))
            for i, row in enumerate(rows):
                where = "%s of %s row %d" % (title, lc["name"], i + 1)
                same(row[0], lc["stations"]["distance"][i], where + " distance")
                same(row[1], lc["stations"]["angle"][i], where + " angle")
                for c, name in enumerate(names):
                    same(row[2 + c], lc[key][name][i], where + " " + name)

    for title, fmt, kind in (("STRAINS PER PLY", "(F6.3,2F8.2,3F12.6)", "strain"),
                             ("STRESSES PER PLY", "(F6.3,2F8.2,3F12.2)", "stress")):
        tables = table_rows(lines, title, fmt)
        check(len(tables) == len(lcs), "%d %s tables" % (len(tables), title))
        for lc, rows in zip(lcs, tables):
            n = 0
            for i in range(len(station_rows(lc))):
                for ply in lc["plies"]:
                    row = rows[n]
                    n += 1
                    where = "%s of %s row %d" % (title, lc["name"], n)
                    same(row[0], lc["stations"]["distance"][i], where + " distance")
                    same(row[1], lc["stations"]["angle"][i], where + " angle")
                    same(row[2], ply["angle"], where + " ply angle")
                    for c, comp in enumerate(["1", "2", "12"]):
                        same(row[3 + c], ply["%s_%s" % (kind, comp)][i], where + " " + comp)
            check(n == len(rows), "%s of %s: %d rows" % (title, lc["name"], len(rows)))

    # FAILURE CRITERIA PER PLY: one table per criterion and load case, in the job's order.
    failure = raw_tables(lines, "FAILURE CRITERIA PER PLY")
    crit = list(lcs[0]["failure"].keys())
    check(len(failure) == len(lcs) * len(crit), "%d failure tables" % len(failure))
    k = 0
    for lc in lcs:
        for c in crit:
            plies = lc["failure"][c]
            linear = "number_1" in plies[0]
            fmt = "(F7.3,2F10.2,3F10.3)" if linear else "(F7.3,2F10.2,4F10.3)"
            rows = [fields(r, fmt) for r in failure[k]]
            k += 1
            keys = ["number_1", "number_2", "number_12"] if linear else ["number", "ratio_1", "ratio_2", "ratio_12"]
            n = 0
            for i in range(len(station_rows(lc))):
                for p, ply in enumerate(plies):
                    row = rows[n]
                    n += 1
                    where = "failure %s of %s row %d" % (c, lc["name"], n)
                    same(row[2], lc["plies"][p]["angle"], where + " ply angle")
                    for j, key in enumerate(keys):
                        same(row[3 + j], ply[key][i], where + " " + key)

    # RESERVE FACTORS: criterion, factor (F12.4), ply, ply angle, angle, component.
    blocks = [i for i, l in enumerate(lines) if "RESERVE FACTORS AT DISTANCE" in l]
    check(len(blocks) == len(lcs), "%d reserve tables" % len(blocks))
    for lc, at in zip(lcs, blocks):
        r = lc["reserve"]
        check(abs(float(lines[at].split()[-1]) - r["distance"]) < 5e-4, "reserve distance")
        for j, c in enumerate(crit):
            row = lines[at + 3 + j].split()
            e = r["criteria"][c]
            where = "reserve %s of %s" % (c, lc["name"])
            check(row[0] == c, where + " order")
            check(abs(float(row[1]) - printed(e["factor"], 4)) < 5e-5, where + " factor %s, JSON %r" % (row[1], e["factor"]))
            check(int(row[2]) == e["ply"], where + " ply")
            check(abs(float(row[3]) - e["ply_angle"]) < 5e-3, where + " ply angle")
            check(abs(float(row[4]) - e["angle"]) < 5e-3, where + " angle")
            check(row[5] == e["component"], where + " component")
        line = lines[at + 3 + len(crit)]
        check(r["smallest"]["criterion"] in line and
              ("%.4f" % r["margin_of_safety"]) in line, "reserve smallest: %r" % line)


def main():
    program, work = sys.argv[1], sys.argv[2]
    os.makedirs(work, exist_ok=True)
    job = os.path.join(work, "every-output.toml")
    with open(job, "w") as f:
        f.write(JOB)
    doc = json.loads(subprocess.run([program, "run", job], check=True, capture_output=True,
                                    text=True).stdout)
    check(doc["units"]["stress"] == "MPa" and doc["units"]["length"] == "mm",
          "JSON units %r" % doc["units"])
    folder = os.path.join(work, "every-output-csv")
    subprocess.run([program, "run", job, "--format", "csv", "--output", folder], check=True,
                   capture_output=True)
    csv_checks(doc, folder)
    # The same folder again for a job of fewer tables: the files of the others go (they would be
    # taken for this job's), a file of the user's stays.
    before = set(os.listdir(folder))
    with open(os.path.join(folder, "notes.txt"), "w") as f:
        f.write("mine")
    fewer = os.path.join(work, "fewer-tables.toml")
    with open(fewer, "w") as f:
        f.write(re.sub(r"tables = \[[^]]*\]", 'tables = ["properties", "stresses"]', JOB))
    subprocess.run([program, "run", fewer, "--format", "csv", "--output", folder], check=True,
                   capture_output=True)
    after = set(os.listdir(folder))
    check("ply_stresses.csv" in before and "ply_stresses.csv" not in after and
          "stresses.csv" in after and "notes.txt" in after,
          "a reused folder: before %r, after %r" % (sorted(before), sorted(after)))
    text = subprocess.run([program, "run", job, "--format", "table"], check=True,
                          capture_output=True).stdout.decode()
    table_checks(doc, text)
    for f in failures[:40]:
        print("FAIL:", f)
    print("%d mistakes" % len(failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
