#!/usr/bin/env python3
"""Checks that every program output shown in the README is what the program prints.

Each excerpt is a code block preceded by a marker
    <!-- output of examples/NAME.in, lines A-B -->
and must equal lines A to B of the program's output for that dialogue (line ends aside)."""
import os
import re
import subprocess
import sys

program, readme = sys.argv[1], sys.argv[2]
root = os.path.dirname(os.path.abspath(readme))
text = open(readme, encoding="utf-8").read()
marker = re.compile(r"<!-- output of (\S+), lines (\d+)-(\d+) -->\n```\n(.*?)```", re.S)
checked = failed = 0
for match in marker.finditer(text):
    dialogue, first, last, shown = match.group(1), int(match.group(2)), int(match.group(3)), match.group(4)
    with open(f"{root}/{dialogue}", "rb") as stdin:
        printed = subprocess.run([program], stdin=stdin, capture_output=True, check=False).stdout
    lines = printed.decode("ascii").split("\r\n")[first - 1:last]
    checked += 1
    if shown.rstrip("\n").split("\n") != lines:
        failed += 1
        print(f"README excerpt of {dialogue}, lines {first}-{last}, differs from the program's output")
if checked == 0:
    print("no output excerpts found in the README")
    sys.exit(1)
print(f"{checked} README excerpts checked, {failed} differ")
sys.exit(1 if failed else 0)
