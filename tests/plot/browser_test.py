#!/usr/bin/env python3
"""Opens pages of holestress-plot in headless Chromium from local files and takes screenshots.

    browser_test.py PLOT WORKDIR DIALOGUE...

Fails on any message on the browser console and on a blank screenshot. Exits with 77 (skipped)
when no Chromium is installed, unless HOLESTRESS_REQUIRE_BROWSER is set (as CI does).
"""
import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import zlib

FLAGS = ["--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
         "--disable-background-networking", "--disable-component-update", "--disable-sync",
         "--hide-scrollbars", "--enable-logging=stderr", "--v=0"]


def screenshot(chromium, page, png, size="1000,1400"):
    """Takes the screenshot; returns the console messages that Chromium logged."""
    profile = tempfile.mkdtemp(prefix="profile-", dir=os.path.dirname(png))
    try:
        result = subprocess.run(
            [chromium] + FLAGS + ["--user-data-dir=" + profile, "--window-size=" + size,
                                  "--screenshot=" + png, "file://" + os.path.abspath(page)],
            capture_output=True, text=True, timeout=180)
    finally:
        shutil.rmtree(profile, ignore_errors=True)
    if result.returncode != 0:
        raise SystemExit("FAIL: chromium exited with %d:\n%s" % (result.returncode, result.stderr))
    return [l for l in result.stderr.splitlines() if re.search(r":CONSOLE[(:]", l)]


def pixels(png):
    """The RGB pixels of an 8-bit, non-interlaced RGB or RGBA PNG, row by row."""
    with open(png, "rb") as f:
        data = f.read()
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


def main():
    plot, work, dialogues = sys.argv[1], sys.argv[2], sys.argv[3:]
    chromium = shutil.which("chromium") or shutil.which("chromium-browser")
    if not chromium:
        if os.environ.get("HOLESTRESS_REQUIRE_BROWSER"):
            raise SystemExit("FAIL: no chromium installed")
        print("SKIP: no chromium installed")
        sys.exit(77)
    os.makedirs(work, exist_ok=True)
    for dialogue in dialogues:
        name = os.path.splitext(os.path.basename(dialogue))[0]
        page, png = os.path.join(work, name + ".html"), os.path.join(work, name + ".png")
        with open(dialogue, "rb") as f, open(page, "wb") as out:
            status = subprocess.run([plot], stdin=f, stdout=out, timeout=300).returncode
        if status != 0:
            raise SystemExit("FAIL: %s: holestress-plot exited with %d" % (name, status))
        if os.path.exists(png):
            os.remove(png)
        console = screenshot(chromium, page, png)
        if console:
            raise SystemExit("FAIL: %s: console messages:\n%s" % (name, "\n".join(console)))
        if not os.path.exists(png) or blank(png):
            raise SystemExit("FAIL: %s: no screenshot, or a blank one" % name)
        print("%s: screenshot %s, no console messages" % (name, png))


if __name__ == "__main__":
    main()
