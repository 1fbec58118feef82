#!/usr/bin/env python3
"""Checks the page of holestress-plot for one job file against what `holestress run` gives for it.

    check_job_page.py PLOT PROGRAM JOB.toml

The page is the same bytes twice and parses as XML; it is titled with the job's title and has one
section per load case, in order, under the load case's name; its polar plots are on the job's grid
(every distance step, every station) and plot the command line's hoop, radial and shear stresses
to the last bit, with scale numbers on their rings; the reserve chart has one curve, one legend
line and one ring per criterion in the job's order, each ring on the command line's reserve
factor, station and ply, and each curve's lowest value is that factor; with the failure table
every criterion has its failure figures, whose values are the command line's failure numbers;
a carpet plot charts each load case's smallest reserve factor of each layup. What a reader sees
is rounded (no number of more than seven digits, no NaN, no "undefined") and in the job's words
(no pass, output case or DIST).
"""
import json
import math
import re
import subprocess
import sys
import xml.etree.ElementTree as ET

SVG = "{http://www.w3.org/2000/svg}"


def fail(message):
    print("FAIL: " + message)
    sys.exit(1)


def expect(condition, message):
    if not condition:
        fail(message)


def local(tag):
    return tag.rsplit("}", 1)[-1]


def classes(e):
    return e.get("class", "").split()


def floats(text):
    return [float(v) for v in text.split()]


def same(a, b):
    return a == b or (math.isnan(a) and math.isnan(b))


def visible_text(e):
    """The text of e as a reader sees it: without tooltips (<title>) and the style sheet."""
    if local(e.tag) in ("title", "style"):
        return " " + (e.tail or "")
    return " " + (e.text or "") + "".join(visible_text(c) for c in e) + " " + (e.tail or "")


def series(values, nstep, nang):
    """A flattened [k][j] series of the JSON results, as rows per distance step."""
    return [values[k * nang:(k + 1) * nang] for k in range(nstep)]


def check_polar(section, lc, grid, name):
    plots = [e for e in section.iter() if local(e.tag) == "svg" and "polar" in classes(e)]
    steps, stations = grid["steps"], len(set(lc["stations"]["angle"])) if "stations" in lc else None
    expect(len(plots) == 3 * steps, "%s: %d polar plots for %d distance steps" % (name, len(plots), steps))
    for plot in plots:
        k = int(plot.get("data-step")) - 1
        expect(float(plot.get("data-dist")) == k * grid["distance_step"],
               "%s: step %d at %s" % (name, k + 1, plot.get("data-dist")))
        curve = next(c for c in plot.iter() if "curve" in classes(c))
        values = floats(curve.get("data-values"))
        if stations is not None:
            expect(len(values) == stations, "%s: %d stations plotted, %d computed" % (name, len(values), stations))
        quantity = plot.get("data-quantity") + "_stress"
        if "polar" in lc:
            want = series(lc["polar"][quantity], steps, len(values))[k]
            expect(all(same(a, b) for a, b in zip(values, want)),
                   "%s: %s at step %d differs from the command line's" % (name, quantity, k + 1))
        scale = float(plot.get("data-scale"))
        labels = [t for t in plot.iter() if local(t.tag) == "text" and "scale" in classes(t)]
        expect(any(float(t.get("data-value")) == 0 for t in labels) and len(labels) >= 2,
               "%s: the polar plot has no scale" % name)
        for t in labels:
            v = float(t.get("data-value"))
            radius = math.hypot(float(t.get("x")), float(t.get("y")) - 3.0)
            expect(abs(radius - (50 + v * scale)) < 0.02, "%s: scale %s at radius %.2f" % (name, t.text, radius))


def check_reserve(section, lc, criteria, name):
    charts = [e for e in section.iter() if local(e.tag) == "svg" and "reserve" in classes(e)]
    expect(len(charts) == 1, "%s: %d reserve charts" % (name, len(charts)))
    chart = charts[0]
    curves = [c for c in chart.iter() if "curve" in classes(c)]
    legend = [t.get("data-criterion") for t in chart.iter() if local(t.tag) == "text" and "legend" in classes(t)]
    # Read from the top down, as written: each legend line below the one before.
    heights = [float(t.get("y")) for t in chart.iter() if local(t.tag) == "text" and "legend" in classes(t)]
    expect(heights == sorted(heights) and len(set(heights)) == len(heights),
           "%s: legend lines at heights %r, not top to bottom in the job's order" % (name, heights))
    rings = {c.get("data-criterion"): c for c in chart.iter() if "minimum" in classes(c)}
    expect([c.get("data-criterion") for c in curves] == criteria, "%s: curves %r" % (name, [c.get("data-criterion") for c in curves]))
    expect(legend == criteria, "%s: legend %r, the job's criteria %r" % (name, legend, criteria))
    angles = sorted(set(lc["stations"]["angle"])) if "stations" in lc else None
    for curve in curves:
        c = curve.get("data-criterion")
        want = lc["reserve"]["criteria"][c]
        values = floats(curve.get("data-values"))
        if want["factor"] is None:
            expect(c not in rings and not any(map(math.isfinite, values)), "%s %s: no factor" % (name, c))
            continue
        expect(min(values) == want["factor"], "%s %s: lowest %r, command line %r" % (name, c, min(values), want["factor"]))
        ring = rings[c]
        expect(float(ring.get("data-factor")) == want["factor"], "%s %s: ring at %s" % (name, c, ring.get("data-factor")))
        station = int(ring.get("data-station")) - 1
        expect(floats(curve.get("data-angles"))[station] == want["angle"], "%s %s: ring angle" % (name, c))
        expect(int(ring.get("data-ply")) == want["ply"], "%s %s: ring ply" % (name, c))


def check_failure(section, lc, criteria, nply, name):
    headings = [h.get("data-criterion") for h in section.iter() if local(h.tag) == "h3" and h.get("data-criterion")]
    numbers = ["max-strain", "max-stress", "tsai-hill", "tsai-wu", "hoffman"]
    expect([numbers[int(k) - 1] for k in headings] == criteria, "%s: failure figures of %r" % (name, headings))
    plots = [e for e in section.iter() if local(e.tag) == "svg" and "failure" in classes(e)]
    for plot in plots:
        crit = numbers[int(plot.get("data-criterion")) - 1]
        k = int(plot.get("data-step")) - 1
        for curve in (c for c in plot.iter() if "curve" in classes(c)):
            p = int(curve.get("data-ply")) - 1
            values = floats(curve.get("data-values"))
            ply = lc["failure"][crit][p]
            keys = ["number_1", "number_2", "number_12"] if "number_1" in ply else ["number"]
            rows = [series(ply[key], k + 1, len(values))[k] for key in keys]
            for j, v in enumerate(values):
                # The value of largest magnitude, the first on ties.
                want = max((r[j] for r in rows), key=abs)
                expect(same(v, want), "%s %s step %d ply %d station %d: %r, command line %r"
                       % (name, crit, k + 1, p + 1, j + 1, v, want))


def main():
    plot, program, job = sys.argv[1:4]
    first = subprocess.run([plot, job], capture_output=True, timeout=300)
    second = subprocess.run([plot, job], capture_output=True, timeout=300)
    expect(first.returncode == 0 and first.stderr == b"", "status %d %r" % (first.returncode, first.stderr))
    expect(first.stdout == second.stdout, "the same job gave different pages")
    results = json.loads(subprocess.run([program, "run", job, "--format", "json"], check=True,
                                        capture_output=True, timeout=300).stdout)
    page = ET.fromstring(first.stdout)
    h1 = [e for e in page.iter() if local(e.tag) == "h1"]
    expect(len(h1) == 1 and "".join(h1[0].itertext()) == (results["title"] or "holestress: pictures of a job"),
           "title %r" % (h1 and "".join(h1[0].itertext())))
    text = visible_text(page.find(".//{http://www.w3.org/1999/xhtml}body"))
    for word in ("undefined", "NaN", "Pass ", "Output cases", "DIST"):
        expect(word not in text, "the page says %r" % word)
    long_number = re.search(r"\d[\d.]{7,}\d", text)
    expect(not long_number, "a number in full: %s" % (long_number and long_number.group(0)))
    inputs = results["inputs"]
    criteria = inputs.get("failure", {}).get("criteria", [])
    tables = inputs["results"]["tables"]
    sections = [e for e in page.iter() if "load-case" in classes(e)]
    names = [lc["name"] for lc in inputs["load_cases"]]
    expect([s.get("data-load-case") for s in sections] == names, "sections %r for load cases %r"
           % ([s.get("data-load-case") for s in sections], names))
    for s, n in zip(sections, names):
        heading = next(e for e in s.iter() if local(e.tag) == "h2")
        expect("".join(heading.itertext()).endswith(": " + n), "heading %r" % "".join(heading.itertext()))
    if results.get("layups"):
        for s in sections:
            charts = [e for e in s.iter() if local(e.tag) == "svg" and e.get("data-quantity") == "reserve"]
            expect(len(charts) == (1 if "reserve" in tables else 0), "carpet: reserve charts %d" % len(charts))
            for chart in charts:
                for curve in (c for c in chart.iter() if "curve" in classes(c)):
                    b = int(curve.get("data-share45"))
                    for a, v in zip(floats(curve.get("data-share0")), floats(curve.get("data-values"))):
                        layup = next(l for l in results["layups"]
                                     if round(l["shares"]["0"]) == a and round(l["shares"]["45"]) == b)
                        lc = next(x for x in layup["load_cases"] if x["name"] == s.get("data-load-case"))
                        want = lc["reserve"]["smallest"]["factor"] if lc["reserve"]["smallest"] else float("nan")
                        expect(same(v, want), "carpet %d/%d: %r, command line %r" % (a, b, v, want))
        print("%s: %d load cases, carpet charts as the command line's" % (job, len(sections)))
        return
    for s, lc in zip(sections, results["load_cases"]):
        check_polar(s, lc, inputs["grid"], lc["name"])
        if "reserve" in lc:
            check_reserve(s, lc, criteria, lc["name"])
        if "failure" in lc:
            check_failure(s, lc, criteria, len(inputs["plies"]), lc["name"])
    print("%s: %d load cases, pictures as the command line's results" % (job, len(sections)))


if __name__ == "__main__":
    main()
