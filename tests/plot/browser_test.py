#!/usr/bin/env python3
"""Opens pages of holestress-plot in headless Chromium from local files, through the DevTools
protocol (tests/web/devtools.py), and checks what a reader sees.

    browser_test.py PLOT WORKDIR INPUT...

INPUT is a dialogue (fed on standard input) or a job file (*.toml, named on the command line).
For each page: no message on the browser console, a screenshot that is not blank, and every SVG
<text> laid out where it can be read: no two text boxes of a figure overlap (by more than half a
pixel, the rounding of the layout), and no text box reaches outside the box of its <svg>, which
would clip it. Exits with 77 (skipped) when no Chromium is installed, unless
HOLESTRESS_REQUIRE_BROWSER is set (as CI does).
"""
import base64
import json
import os
import shutil
import struct
import subprocess
import sys
import time
import zlib

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "web"))
import devtools  # noqa: E402

FLAGS = ["--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
         "--disable-background-networking", "--disable-component-update", "--disable-sync",
         "--hide-scrollbars"]
SLACK = 0.5  # pixels

# The boxes of every <svg> of the page and of each <text> in it, in page pixels.
BOXES = """JSON.stringify(Array.from(document.querySelectorAll('svg')).map((svg, i) => {
  const box = e => { const r = e.getBoundingClientRect();
                     return [r.left, r.top, r.right, r.bottom]; };
  return {index: i, cls: svg.getAttribute('class') || '',
          quantity: svg.getAttribute('data-quantity') || '', box: box(svg),
          texts: Array.from(svg.querySelectorAll('text')).map(t => ({text: t.textContent,
                                                                     box: box(t)}))};
}))"""


def pixels(png):
    """The RGB pixels of an 8-bit, non-interlaced RGB or RGBA PNG, row by row."""
    data = png
    assert data[:8] == b"\x89PNG\r\n\x1a\n", "not a PNG"
    at, chunks, header = 8, [], None
    while at < len(data):
        length, kind = struct.unpack(">I4s", data[at:at + 8])
        body = data[at + 8:at + 8 + length]
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            chunks.append(body)
        at += 12 + length
    width, height, depth, colour, _, _, interlace = header
    assert depth == 8 and colour in (2, 6) and interlace == 0, "unexpected PNG form"
    bpp = 3 if colour == 2 else 4
    raw, stride, rows, prev = zlib.decompress(b"".join(chunks)), width * bpp, [], bytearray(width * bpp)
    for y in range(height):
        kind, line = raw[y * (stride + 1)], bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            a = line[i - bpp] if i >= bpp else 0
            b, c = prev[i], prev[i - bpp] if i >= bpp else 0
            if kind == 1:
                line[i] = (line[i] + a) & 255
            elif kind == 2:
                line[i] = (line[i] + b) & 255
            elif kind == 3:
                line[i] = (line[i] + (a + b) // 2) & 255
            elif kind == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                line[i] = (line[i] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
        rows.append([tuple(line[x:x + 3]) for x in range(0, stride, bpp)])
        prev = line
    return rows


def blank(png):
    rows = pixels(png)
    all_pixels = [p for row in rows for p in row]
    inked = sum(1 for p in all_pixels if min(p) < 200)
    return inked < 0.005 * len(all_pixels) or len(set(all_pixels)) < 8


def overlap(a, b):
    return (min(a[2], b[2]) - max(a[0], b[0]) > SLACK and
            min(a[3], b[3]) - max(a[1], b[1]) > SLACK)


def outside(inner, outer):
    return (inner[0] < outer[0] - SLACK or inner[1] < outer[1] - SLACK or
            inner[2] > outer[2] + SLACK or inner[3] > outer[3] + SLACK)


def text_faults(figures):
    """Pairs of overlapping texts and texts outside their figure, as messages."""
    faults = []
    for svg in figures:
        name = "svg %d (%s%s)" % (svg["index"], svg["cls"],
                                  " " + svg["quantity"] if svg["quantity"] else "")
        texts = svg["texts"]
        for i, t in enumerate(texts):
            if outside(t["box"], svg["box"]):
                faults.append("%s: %r at %s leaves the figure %s"
                              % (name, t["text"], fmt(t["box"]), fmt(svg["box"])))
            for u in texts[i + 1:]:
                if overlap(t["box"], u["box"]):
                    faults.append("%s: %r at %s overlaps %r at %s"
                                  % (name, t["text"], fmt(t["box"]), u["text"], fmt(u["box"])))
    return faults


def fmt(box):
    return "(%.1f %.1f %.1f %.1f)" % tuple(box)


def inspect(chromium, page, png, width=1000, height=1400):
    """Opens the page; returns its console messages and the boxes of its figures and texts, and
    writes a screenshot of the top of the page."""
    b = devtools.Browser(chromium, FLAGS, "file://" + os.path.abspath(page))
    try:
        b.attach()
        b.send("Emulation.setDeviceMetricsOverride", {"width": width, "height": height,
                                                      "deviceScaleFactor": 1, "mobile": False})
        # The page itself, not the blank page the browser starts on.
        b.wait("location.protocol === 'file:' && document.readyState === 'complete' && "
               "document.fonts.status === 'loaded'")
        time.sleep(0.2)
        figures = json.loads(b.eval(BOXES))
        data = b.send("Page.captureScreenshot", {"format": "png"})
        with open(png, "wb") as f:
            f.write(base64.b64decode(data["data"]))
        return b.messages(), figures
    finally:
        b.close()


def main():
    plot, work, inputs = sys.argv[1], sys.argv[2], sys.argv[3:]
    chromium = shutil.which("chromium") or shutil.which("chromium-browser")
    if not chromium:
        if os.environ.get("HOLESTRESS_REQUIRE_BROWSER"):
            raise SystemExit("FAIL: no chromium installed")
        print("SKIP: no chromium installed")
        sys.exit(77)
    os.makedirs(work, exist_ok=True)
    failed = False
    for source in inputs:
        name = os.path.basename(source).replace(".", "-")  # a dialogue and a job may share a stem
        page, png = os.path.join(work, name + ".html"), os.path.join(work, name + ".png")
        with open(source, "rb") as f, open(page, "wb") as out:
            job = source.endswith(".toml")
            status = subprocess.run([plot, source] if job else [plot], stdin=None if job else f,
                                    stdout=out, timeout=300).returncode
        if status != 0:
            raise SystemExit("FAIL: %s: holestress-plot exited with %d" % (name, status))
        if os.path.exists(png):
            os.remove(png)
        console, figures = inspect(chromium, page, png)
        if console:
            raise SystemExit("FAIL: %s: console messages:\n%s" % (name, "\n".join(console)))
        with open(png, "rb") as f:
            if blank(f.read()):
                raise SystemExit("FAIL: %s: a blank screenshot" % name)
        texts = sum(len(s["texts"]) for s in figures)
        faults = text_faults(figures)
        if not figures or not texts:
            faults.append("no figure with text")
        for fault in faults:
            print("FAIL: %s: %s" % (name, fault))
        failed = failed or bool(faults)
        print("%s: %d figures, %d texts, %d faults; screenshot %s, no console messages"
              % (name, len(figures), texts, len(faults), png))
    if failed:
        sys.exit(1)


if __name__ == "__main__":
    main()
