#!/usr/bin/env python3
"""At a terminal, a mistyped value asks the question again instead of ending the run.

    terminal_test.py HOLESTRESS

Runs the dialogue with standard input on a pseudo-terminal and types "O.3" (a letter O) for a
Poisson's ratio: the diagnostic and the prompt come again, the corrected line is read, and the
run ends normally with the tables of the corrected input. The same answers piped end the run
with status 2, as scripts rely on."""
import os
import subprocess
import sys
import time

program = sys.argv[1]
typed = ["YES", "2/", "1 1", "20.0E6 1.4E6 0.7E6 O.3", "20.0E6 1.4E6 0.7E6 0.3", "0", "0.005",
         "NO"]
corrected = [t for t in typed if "O.3" not in t]

master, slave = os.openpty()
run = subprocess.Popen([program], stdin=slave, stdout=subprocess.PIPE, stderr=subprocess.PIPE)
os.close(slave)
for line in typed:
    os.write(master, (line + "\n").encode())
    time.sleep(0.05)
out, err = run.communicate(timeout=60)
os.close(master)

piped = subprocess.run([program], input=("\n".join(corrected) + "\n").encode(), capture_output=True)
prompt = (b" INPUT THE UNIDIRECTIONAL MATERIAL PROPERTIES FOR EACH MATERIAL\r\n"
          b" IN THE FOLLOWING ORDER:  E1, E2, G12, POISSONS RATIO\r\n")
failures = []
if run.returncode != 0:
    failures.append("terminal run ended with status %d" % run.returncode)
if b"Bad real number in item 4 of list input" not in err or b"Type the line again." not in err:
    failures.append("no diagnostic and no request to type again: %r" % err)
if out.count(prompt) != 2:
    failures.append("the prompt came %d times, not twice" % out.count(prompt))
if out.replace(prompt, b"", 1) != piped.stdout:
    failures.append("the tables differ from those of the corrected input")
bad = subprocess.run([program], input=("\n".join(typed) + "\n").encode(), capture_output=True)
if bad.returncode != 2 or bad.stderr != b"Bad real number in item 4 of list input\n":
    failures.append("piped input: status %d, %r" % (bad.returncode, bad.stderr))
for f in failures:
    print("FAIL:", f)
print("terminal re-ask checked" if not failures else "%d failures" % len(failures))
sys.exit(1 if failures else 0)
