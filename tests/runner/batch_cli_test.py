#!/usr/bin/env python3
"""The command line of a batch of load cases (a job with load_cases_file): what it refuses, its
exit status and summary, its progress line on a terminal, angles of many turns, and its memory
on input that never ends a line.

    batch_cli_test.py HOLESTRESS WORKDIR"""
import os
import pty
import re
import resource
import select
import subprocess
import sys
import time

program, work = sys.argv[1:3]
os.makedirs(work, exist_ok=True)
failures = []

JOB = """title = "batch command line"
load_cases_file = "{loads}"

[materials.carbon]
E1 = 20.0e6
E2 = 1.4e6
G12 = 0.7e6
nu12 = 0.3
T1 = 200e3
C1 = 180e3
T2 = 8e3
C2 = 30e3
S12 = 12e3

[[plies]]
angle = 0
thickness = 0.005
[[plies]]
angle = 45
thickness = 0.005
[[plies]]
angle = -45
thickness = 0.005
[[plies]]
angle = 90
thickness = 0.005

[hole]
diameter = 0.25
width = 1.0

[grid]
angle_step = 15
angle_high = 360
distance_step = 0.05
steps = 2
{extra}"""
FAILURE = """
[failure]
criteria = ["max-stress", "hoffman"]
distance = 0.05
"""
HEADER = "name,px,py,pxy,off_axis,bearing,bolt_angle\n"


def job(name, rows, extra=FAILURE, loads=None):
    """A job file in the work folder with its load-case file of the given text."""
    path = os.path.join(work, name + ".toml")
    loads = loads or name + ".csv"
    if rows is not None:
        with open(os.path.join(work, loads), "w") as f:
            f.write(rows)
    with open(path, "w") as f:
        f.write(JOB.format(loads=loads, extra=extra))
    return path


# AddressSanitizer reserves terabytes of address space for its shadow memory: under it the
# runs are not bounded (their memory is then only not checked here).
SANITIZED = b"libasan" in subprocess.run(["ldd", program], capture_output=True).stdout


def run(args, limit_memory=False, timeout=60):
    limit_memory = limit_memory and not SANITIZED

    def limit():
        # The address space a run of flat memory needs, with room: a file that never ends a line
        # must not take more.
        resource.setrlimit(resource.RLIMIT_AS, (512 << 20, 512 << 20))
    return subprocess.run([program] + args, capture_output=True, text=True, timeout=timeout,
                          preexec_fn=limit if limit_memory else None)


def check(what, ok, result=None):
    if not ok:
        detail = "" if result is None else " (status %d, stderr %r)" % (result.returncode,
                                                                      result.stderr[:300])
        failures.append(what + detail)


SUMMARY = re.compile(r"^holestress: (\d+) rows in \d+\.\d\d s \(\d+ rows/s\), (no error rows|"
                     r"(\d+) error rows? \(their error column says why\))\n$")

# 1. Bad rows: exit status 1, the summary counts them, each names its line.
rows = HEADER + "A,5000,0,0,0,20000,0\nB,5000\nC,1e3,,0,0,0,0\nD,100,0,0"
r = run(["run", job("bad", rows)])
summary = SUMMARY.match(r.stderr)
check("bad rows: status 1 and a summary of 3 error rows", r.returncode == 1 and summary and
      summary.group(1) == "4" and summary.group(3) == "3", r)
out = r.stdout.splitlines()
check("bad rows: one row each", len(out) == 5 and "error" not in out[1].split(",")[-1], r)
check("bad rows: the lines named", all(("error: line %d " % n) in out[n - 1] for n in (3, 4, 5)), r)

# 2. A clean batch: status 0, only the summary on standard error (not a terminal: no progress).
r = run(["run", job("clean", HEADER + "A,5000,0,0,0,20000,0\n")])
check("clean batch: status 0, summary only", r.returncode == 0 and SUMMARY.match(r.stderr) and
      r.stderr.count("\n") == 1 and "\r" not in r.stderr and "no error rows" in r.stderr, r)

# 3. What is refused, with status 2 and the key or option named; nothing written.
clean = job("clean", None)
refused = [
    (["run", job("no-failure", HEADER, extra="")], "failure.criteria"),
    (["run", job("carpet", HEADER, extra=FAILURE + "\n[carpet]\n")], "carpet"),
    (["run", clean, "--format", "json", "--output", os.path.join(work, "x.json")], "--format json"),
    (["run", clean, "--format", "table"], "--format table"),
    (["run", clean, "--threads", "300"], "256"),
    (["run", clean, "--threads", "-1"], "256"),
]
for args, named in refused:
    r = run(args)
    check("%s: status 2 naming %s" % (" ".join(args[2:]) or args[1], named),
          r.returncode == 2 and named in r.stderr and r.stdout == "" and len(r.stderr) < 400, r)
check("--format json: no file written", not os.path.exists(os.path.join(work, "x.json")))
r = run(["run", clean, "--threads", "-1"])
check("--threads -1: no 309-digit limit", not re.search(r"\d{20}", r.stderr), r)
r = run(["run", clean, "--format", "csv", "--threads", "2"])
check("--format csv: accepted", r.returncode == 0 and r.stdout.startswith("name,max-stress"), r)

# 4. Angles of many turns: reduced modulo 360 exactly, 1e15 to 1e20 degrees are 280.
rows = HEADER + "".join("R%d,5000,1000,500,%s,20000,%s\n" % (i, off, bolt) for i, (off, bolt) in
                        enumerate([(40, 280)] + [(400, "1e%d" % e) for e in range(15, 21)]))
r = run(["run", job("turns", rows)])
values = [line.split(",", 1)[1] for line in r.stdout.splitlines()[1:]]
check("angles of many turns: the factors of 280 and 40", r.returncode == 0 and len(values) == 7
      and len(set(values)) == 1, r)

# 5. Input that never ends a line: /dev/zero ends the run at once within bounded memory, and a
#    row of 3 MB is an error row while the rows after it are computed.
r = run(["run", job("zero", None, loads="/dev/zero"), "--threads", "1"], limit_memory=True,
        timeout=30)
check("/dev/zero: status 2, line 1 too long", r.returncode == 2 and
      "line 1: longer than 1048576 bytes" in r.stderr, r)
rows = HEADER + "A,1,0,0,0,0,0\nB," + "1" * (3 << 20) + "\nC,1,0,0,0,0,0\n"
r = run(["run", job("long", rows), "--threads", "1"], limit_memory=True)
out = r.stdout.splitlines()
check("3 MB row: an error row, the next computed", r.returncode == 1 and len(out) == 4 and
      "line 3: longer than 1048576 bytes" in out[2] and out[3][1:] == out[1][1:], r)

# 6. On a terminal, a progress line rewritten in place while rows arrive, then the summary.
path = job("slow", None, loads="-")
master, slave = pty.openpty()
p = subprocess.Popen([program, "run", path], stdin=subprocess.PIPE, stdout=subprocess.DEVNULL,
                     stderr=slave)
os.close(slave)
p.stdin.write(HEADER.encode())
for k in range(12):  # rows in bursts over about 1.2 s
    p.stdin.write("".join("R,%d,0,0,0,1000,0\n" % (100 + i) for i in range(2000)).encode())
    p.stdin.flush()
    time.sleep(0.1)
p.stdin.close()
seen = b""
while True:
    ready, _, _ = select.select([master], [], [], 10)
    if not ready:
        break
    try:
        chunk = os.read(master, 4096)
    except OSError:
        break
    if not chunk:
        break
    seen += chunk
p.wait(timeout=30)
text = seen.decode()
updates = text.count("\rholestress:")  # the progress lines, and the summary over the last
check("terminal: progress lines (%d) and the summary of 24000 rows: %r" % (updates, text[-200:]),
      p.returncode == 0 and 2 <= updates <= 12 and "24000 rows in" in text.splitlines()[-1])

# 7. Rows where the reader's chunks (16384 lines) and the threads' blocks (512) meet: every row
#    once, in order, with the bytes it has alone, whatever the count (exact multiples included),
#    the thread count, and an error row or a blank line at a boundary.
CHUNK = 16384
big = []
for i in range(2 * CHUNK + 513):
    if i in (CHUNK - 1, 2 * CHUNK):
        big.append("E%d,1e3,x,0,0,0,0\n" % i)  # an error row at a boundary
    else:
        big.append("R%d,%d,%d,%d,%d,%d,%d\n" % (i, 1000 + 7 * (i % 997), -500 + 3 * (i % 331),
                                               (i % 89) * 11, (i % 7) * 15, (i % 5) * 4000,
                                               (i % 3) * 30))
whole = run(["run", job("chunks", HEADER + "".join(big)), "--threads", "1"])
reference = whole.stdout.splitlines()
check("chunks: %d rows of %d, in order" % (len(reference) - 1, len(big)),
      whole.returncode == 1 and len(reference) == len(big) + 1 and
      [line.split(",", 1)[0] for line in reference[1:]] == [b.split(",", 1)[0] for b in big],
      whole)
for count in (512, CHUNK, CHUNK + 1, 2 * CHUNK):
    rows = big[:count]
    if count == CHUNK + 1:
        rows = rows[:CHUNK] + ["\n"] + rows[CHUNK:]  # a blank line where the chunk ends
    for threads in ("1", "2"):
        r = run(["run", job("chunks-%d" % count, HEADER + "".join(rows)), "--threads", threads])
        out = r.stdout.splitlines()
        check("chunks: %d rows on %s threads the same bytes as in the whole" % (count, threads),
              out == reference[:count + 1], r)
for i in (CHUNK - 2, CHUNK, CHUNK + 1, 2 * CHUNK - 1, 2 * CHUNK + 1, len(big) - 1):
    r = run(["run", job("alone", HEADER + big[i]), "--threads", "1"])
    check("chunks: row %d alone as in the whole" % i, r.stdout.splitlines()[1:] == [reference[i + 1]],
          r)

for f in failures:
    print("FAIL:", f)
print("batch command line: %d failed" % len(failures))
sys.exit(1 if failures else 0)
