#!/usr/bin/env python3
"""Checks the page of holestress-plot for one dialogue against what holestress prints for it.

    check_page.py PLOT PROGRAM DIALOGUE

For a dialogue that holestress runs to its end: the page is the same bytes twice and parses as XML; each pass of the
dialogue has its section; the plots carry the curves and points that the printed tables imply;
the plotted values, read back from the data attributes, print as the tables print them (cases 2,
5, 9 and 10 and the carpet plot); the critical mark sits on the vertex of the ply and station
that case 10 prints. For a dialogue that ends in an input error: the same diagnostic and exit status as holestress, and no
page at all.
"""
import math
import re
import subprocess
import sys
import xml.etree.ElementTree as ET


def run(program, dialogue):
    with open(dialogue, "rb") as f:
        return subprocess.run([program], stdin=f, capture_output=True, timeout=300)


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


def same(printed, value, fmt):
    """Whether value prints as the table printed it (a full field of asterisks says nothing)."""
    printed = printed.strip()
    if not printed or set(printed) == {"*"}:
        return True
    if printed in ("NaN", "+Inf", "-Inf", "Inf"):
        return math.isnan(value) if printed == "NaN" else math.isinf(value)
    if fmt == "E":  # 0.ddd form, three significant digits
        return float(printed) == float("%.2e" % value)
    text = fmt % value
    return printed == text or printed == text.replace("0.", ".", 1)


def columns(line, widths):
    out, at = [], 0
    for w in widths:
        out.append(line[at:at + w])
        at += w
    return out


def rows_after(lines, i, widths):
    """The rows of the table whose title is on line i: the lines after its headings up to a blank."""
    data = re.compile(r"^\s*(-?\d*\.\d|\*)")
    i += 1
    while i < len(lines) and not data.match(lines[i]):
        i += 1
    rows = []
    while i < len(lines) and data.match(lines[i]):
        rows.append(columns(lines[i], widths))
        i += 1
    return rows


def run_length(rows, width):
    """How many rows from the first share its first `width` fields (the plies of one station)."""
    return next((i for i, r in enumerate(rows) if r[:width] != rows[0][:width]), len(rows))


def printed_passes(text):
    passes, current = [], None
    for line in text.split("\r\n"):
        if line.startswith("1DO YOU WANT INSTRUCTIONS"):
            current = []
            passes.append(current)
        elif current is not None:
            current.append(line)
    return passes


def luminance(colour):
    """The relative luminance of a #rrggbb colour (WCAG 2)."""
    channels = [int(colour[i:i + 2], 16) / 255 for i in (1, 3, 5)]
    linear = [c / 12.92 if c <= 0.04045 else ((c + 0.055) / 1.055) ** 2.4 for c in channels]
    return 0.2126 * linear[0] + 0.7152 * linear[1] + 0.0722 * linear[2]


def contrast_on_white(colour):
    return 1.05 / (luminance(colour) + 0.05)


def check_colours(page):
    """Every colour of a curve, a marker, a line label or a legend swatch keeps 3:1 on white
    (WCAG 2 non-text contrast). Returns the colours seen with their ratios."""
    seen = {}
    for svg in (e for e in page.iter() if local(e.tag) == "svg" and "plot" in classes(e)):
        for e in svg.iter():
            kind = local(e.tag)
            if kind == "path" and ("curve" in classes(e) or "coincide" in classes(e)):
                seen[e.get("stroke")] = None
            elif kind in ("circle", "text") and e.get("fill"):
                seen[e.get("fill")] = None
    for e in page.iter():
        if "sw" in classes(e):
            seen[re.match(r"background:(#[0-9a-fA-F]{6})$", e.get("style")).group(1)] = None
    for colour in seen:
        expect(re.fullmatch(r"#[0-9a-fA-F]{6}", colour or ""), "colour %r" % colour)
        seen[colour] = contrast_on_white(colour)
        expect(seen[colour] >= 3.0, "colour %s: contrast %.2f:1 on white" % (colour, seen[colour]))
    return seen


def polyline(d):
    return [(float(x), float(y)) for x, y in re.findall(r"[ML](-?[\d.]+) (-?[\d.]+)", d)]


def check_field(lines, section, n):
    plots = [e for e in section.iter() if local(e.tag) == "svg" and "plot" in classes(e)]
    polar = [p for p in plots if "polar" in classes(p)]
    failure = [p for p in plots if "failure" in classes(p)]
    for i, line in enumerate(lines):
        if "CIRCUMFERENTIAL AND RADIAL STRESSES" in line:
            rows = rows_after(lines, i, [6, 10, 12, 11, 11])
            # Rows come step by step, station by station; each row is matched below to the
            # step and angle of its plot point, so the grid of the page must be the printed one.
            nang = int(polar[0].find(".//*[@data-points]").get("data-points")) if polar else 0
            expect(len(polar) % 3 == 0 and len(rows) == nang * len(polar) // 3,
                   "pass %d: %d polar plots for %d rows" % (n, len(polar), len(rows)))
            for plot in polar:
                curves = [c for c in plot.iter() if "curve" in classes(c)]
                expect(plot.get("data-curves") == "1" and len(curves) == 1, "polar curves")
                values, angles = floats(curves[0].get("data-values")), floats(curves[0].get("data-angles"))
                expect(int(curves[0].get("data-points")) == nang == len(values) == len(angles),
                       "pass %d: polar points" % n)
                expect(int(plot.get("data-undefined")) == len(values) - sum(map(math.isfinite, values)),
                       "pass %d: undefined points counted" % n)
                titles = [m.find("{http://www.w3.org/2000/svg}title").text
                          for m in plot.iter() if local(m.tag) == "circle" and
                          m.find("{http://www.w3.org/2000/svg}title") is not None]
                finite = [v for v in values if math.isfinite(v)]
                expect(len(polyline(curves[0].get("d"))) == len(finite) == len(titles),
                       "pass %d: %d points drawn, %d titled markers, %d finite values"
                       % (n, len(polyline(curves[0].get("d"))), len(titles), len(finite)))
                for t, v in zip(titles, finite):  # a dialogue's values name no unit
                    expect(same(t.rsplit(": ", 1)[-1], v, "%.2f"),
                           "pass %d: marker title %r for %r" % (n, t, v))
                column = {"hoop": 2, "radial": 3, "shear": 4}[plot.get("data-quantity")]
                step = int(plot.get("data-step")) - 1
                for j, row in enumerate(rows[step * nang:(step + 1) * nang]):
                    expect(same(row[0], float(plot.get("data-dist")), "%.3f"), "polar dist")
                    expect(same(row[1], angles[j], "%.2f"), "polar angle")
                    expect(same(row[column], values[j], "%.2f"),
                           "pass %d %s step %d station %d: %s printed, %r plotted"
                           % (n, plot.get("data-quantity"), step + 1, j + 1, row[column], values[j]))
        if line.strip() == "FAILURE CRITERIA PER PLY":
            rows = rows_after(lines, i, [7, 10, 10, 10, 10, 10, 10])
            nply = run_length(rows, 2)
            nang = int(failure[0].find(".//*[@data-points]").get("data-points")) if failure else 0
            expect(len(rows) == len(failure) * nang * nply,
                   "pass %d: %d failure plots for %d rows" % (n, len(failure), len(rows)))
            for plot in failure:
                curves = [c for c in plot.iter() if "curve" in classes(c)]
                expect(plot.get("data-curves") == str(nply) == str(len(curves)), "failure curves")
                step = int(plot.get("data-step")) - 1
                undefined = 0
                for p, curve in enumerate(curves):
                    values, angles = floats(curve.get("data-values")), floats(curve.get("data-angles"))
                    expect(int(curve.get("data-points")) == nang == len(values), "failure points")
                    finite = sum(map(math.isfinite, values))
                    undefined += len(values) - finite
                    expect(len(polyline(curve.get("d"))) == finite, "failure points drawn")
                    for j, v in enumerate(values):
                        row = rows[(step * nang + j) * nply + p]
                        expect(same(row[0], float(plot.get("data-dist")), "%.3f"), "failure dist")
                        expect(same(row[1], angles[j], "%.2f"), "failure angle")
                        if plot.get("data-criterion") in "345":
                            ok = same(row[3], v, "%.3f")
                        else:  # the component of largest magnitude
                            printed = [c.strip() for c in row[3:6]]
                            ok = any(same(c, v, "%.3f") for c in printed) and not any(
                                abs(float(c)) > abs(v) + 0.0015 for c in printed if "*" not in c)
                        expect(ok, "pass %d failure step %d station %d ply %d: %s printed, %r plotted"
                               % (n, step + 1, j + 1, p + 1, row[3:], v))
                expect(int(plot.get("data-undefined")) == undefined, "failure undefined points")
        if line.strip() == "AUTOMATIC SEARCH FOR FAILURE":
            loads = columns(lines[i + 4], [11, 12, 12, 12, 12])[1:]
            wide = "RATIOS" in lines[i + 6]
            rows = rows_after(lines, i + 5, [11, 9, 10] + ([10] * 4 if wide else [8] * 3))
            marks = [c for c in section.iter() if "critical" in classes(c)]
            expect(len(marks) == 1, "pass %d: %d critical marks" % (n, len(marks)))
            mark = marks[0]
            expect(same(rows[0][1], float(mark.get("data-angle")), "%.2f"), "mark angle")
            for text, v in zip(loads, floats(mark.get("data-loads"))):
                expect(same(text, v, "%.2f"), "mark loads %s %r" % (text, v))
            magnitude = [abs(float(r[3])) if wide else max(abs(float(c)) for c in r[3:6]) for r in rows]
            ply = int(mark.get("data-ply"))
            expect(magnitude[ply - 1] == max(magnitude), "pass %d: mark on ply %d" % (n, ply))
            plot = [p for p in failure if mark in list(p.iter())]
            expect(len(plot) == 1 and plot[0].get("data-step") == "2", "mark not at step 2")
            curve = [c for c in plot[0].iter() if c.get("data-ply") == str(ply) and "curve" in classes(c)][0]
            vertex = polyline(curve.get("d"))[int(mark.get("data-station")) - 1]
            expect(abs(vertex[0] - float(mark.get("cx"))) < 0.006 and abs(vertex[1] - float(mark.get("cy"))) < 0.006,
                   "mark off its vertex")


def check_carpet(lines, section, n):
    layups, current = {}, None
    for i, line in enumerate(lines):
        m = re.match(r"\s+LAYUP:\s+(\d+)/\s*(\d+)/\s*(\d+)", line)
        if m:
            current = {}
            layups[(int(m.group(1)), int(m.group(2)))] = current
        elif line.startswith(" EX = "):
            current.update(zip(["EX", "EY", "GXY"], re.findall(r"=\s*(\S+)", line)[:3]))
        elif "FAILURE STRESSES" in line:
            current["failure"] = columns(lines[i + 2], [11, 12, 12, 12, 12])[1:]
    expect(len(layups) == 66, "pass %d: %d layups printed" % (n, len(layups)))
    plots = [e for e in section.iter() if local(e.tag) == "svg" and "carpet" in classes(e)]
    printed = {"EX", "EY", "GXY"} if "EX" in next(iter(layups.values())) else set()
    printed |= {"failure"} if any("failure" in v for v in layups.values()) else set()
    kinds = {p.get("data-quantity") for p in plots}
    expect(printed <= kinds, "pass %d: carpet charts %s" % (n, kinds))
    for plot in plots:
        curves = [c for c in plot.iter() if "curve" in classes(c)]
        expect(plot.get("data-curves") == "11" and len(curves) == 11, "carpet curves")
        for curve in curves:
            b = int(curve.get("data-share45"))
            values, shares = floats(curve.get("data-values")), floats(curve.get("data-share0"))
            expect(int(curve.get("data-points")) == 11 - b // 10 == len(values) == len(shares),
                   "carpet points")
            for a, v in zip(shares, values):
                layup, q = layups[(int(a), b)], plot.get("data-quantity")
                if q == "failure" and "failure" in layup:
                    text = layup["failure"][["PX", "PY", "PXY", "P"].index(plot.get("data-load"))]
                    expect(same(text, v, "%.2f"), "layup %d/%d failure %s %r" % (a, b, text, v))
                elif q in layup:
                    expect(same(layup[q], v, "E"), "layup %d/%d %s %s %r" % (a, b, q, layup[q], v))


def main():
    plot, program, dialogue = sys.argv[1:4]
    printed = run(program, dialogue)
    first = run(plot, dialogue)
    if printed.returncode != 0:
        expect(first.returncode == printed.returncode, "status %d" % first.returncode)
        expect(first.stderr == printed.stderr, "diagnostic %r" % first.stderr)
        expect(first.stdout == b"", "a page was written")
        return
    second = run(plot, dialogue)
    expect(first.returncode == 0 and first.stderr == b"", "status %d %r" % (first.returncode, first.stderr))
    expect(first.stdout == second.stdout, "the same dialogue gave different pages")
    page = ET.fromstring(first.stdout)
    for e in page.iter():
        for name in ("src", "href"):
            expect(e.get(name) is None, "the page refers to %s" % e.get(name))
        expect(local(e.tag) not in ("script", "link", "img", "iframe"), "element " + e.tag)
    check_colours(page)
    sections = [e for e in page.iter() if "pass" in classes(e)]
    passes = printed_passes(printed.stdout.decode())
    expect(len(sections) == len(passes), "%d sections for %d passes" % (len(sections), len(passes)))
    for n, (lines, section) in enumerate(zip(passes, sections), 1):
        plots = [e for e in section.iter() if local(e.tag) == "svg" and "plot" in classes(e)]
        nothing = [e for e in section.iter() if "nothing" in classes(e)]
        # A field that is nowhere defined is said to be, in place of its plots.
        undefined = [e for e in section.iter() if "undefined" in classes(e)]
        if undefined:
            expect(any("NaN" in l for l in lines), "pass %d: undefined field, tables without NaN" % n)
            nothing += undefined
        expect(bool(plots) != bool(nothing) and len(nothing) <= 1, "pass %d: plots and nothing" % n)
        if undefined:
            continue
        # Points that are not finite in a defined field are counted in a caption.
        gaps = sum(int(p.get("data-undefined", "0")) for p in plots if "polar" in classes(p))
        captions = " ".join("".join(e.itertext()) for e in section.iter() if "caption" in classes(e))
        if gaps:
            expect("undefined at %d point" % gaps in captions, "pass %d: %d undefined points not said"
                   % (n, gaps))
        else:
            expect("The stresses are undefined" not in captions, "pass %d: undefined said" % n)
        if section.get("data-carpet") == "1":
            if plots:
                check_carpet(lines, section, n)
        else:
            check_field(lines, section, n)


if __name__ == "__main__":
    main()
