#!/usr/bin/env python3
"""The page's numbers against the command line's: every example job file through the page's module
(run by node) and through `holestress run`.

    compare_test.py MODULE_JS HOLESTRESS JOB.toml...

The two builds do the same arithmetic in the same order, but not with the same mathematical
library: musl's sin, cos and atan (Emscripten) and glibc's agree to within an ulp but not always
to the bit, and so do libc++'s and libstdc++'s complex division and square root. Where a laminate
has two nearly equal characteristic roots (quasi-isotropic), their difference divides, and one ulp
becomes about 1e-9 of a stress; a value that should be zero shows the rounding of the largest
value it was computed from. So each number must be the command line's to the last bit, or lie
within the tolerance of its group:

  - a number of an array (stresses.x, a compliance matrix): 1e-7 of the largest magnitude of the
    array;
  - the reserve factors of a load case and its margin of safety: 1e-7 of the largest factor of
    that reserve table (a reserve factor is a stress ratio at one station and carries that
    stress's difference);
  - any other number (a scalar): 1e-9 of its own magnitude;
  - the tables (text) and the CSV files: every number field against the command line's field,
    grouped by column (text: over a block of rows with the same count of numbers; CSV: over the
    rows with the same text fields, load case and criterion), 1e-7 of the largest magnitude of the
    column plus, for the text, one unit of the field's last printed digit (two values that close
    may round to neighbouring printed values). The text between the numbers must be identical.

Printed per job and in total: how many numbers are bit-identical (text: the same characters), how
many differ within the tolerance, the largest difference found relative to its group's scale, and
every difference beyond the tolerance (a failure). Jobs with a file of load cases are left out
(the page does not run them) after checking that the module refuses them with a message. Exit 77
(skipped) when node or the program is missing, unless HOLESTRESS_REQUIRE_WEB=1.
"""
import json
import math
import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))

ARRAY_TOLERANCE = 1e-7  # of the largest magnitude of the array, table column or reserve table
SCALAR_TOLERANCE = 1e-9  # relative, for a number on its own


def bits(x):
    return struct.pack("<d", x)


class Tally:
    """Counts of the numbers compared and the differences found."""

    def __init__(self):
        self.identical = 0
        self.within = 0
        self.beyond = []  # messages
        self.worst = 0.0  # largest |difference| / scale of its group
        self.worst_where = ""
        self.derived = 0  # within only the propagated tolerance of an ill-conditioned quantity
        self.worst_derived = 0.0  # largest |difference| / that tolerance
        self.worst_derived_where = ""

    def number(self, where, page, cli, scale, tolerance, slack=0.0, same=None, derived=0.0):
        """One number: page and cli parsed values; scale the magnitude the tolerance is relative
        to; slack an absolute allowance (the unit of a printed field's last digit); same whether
        the two are identical (bits, or characters for printed fields); derived the tolerance
        propagated to an ill-conditioned quantity (see direction_allowance, ratio_allowance)."""
        if same is None:
            same = bits(page) == bits(cli) or (page != page and cli != cli)
        if same:
            self.identical += 1
            return
        if not (math.isfinite(page) and math.isfinite(cli)):
            self.beyond.append("%s: page %r, command line %r" % (where, page, cli))
            return
        diff = abs(page - cli)
        relative = diff / scale if scale > 0 else math.inf
        if diff <= tolerance * scale + slack:
            self.within += 1
            if diff > slack and (relative > self.worst):
                self.worst, self.worst_where = relative, where
        elif diff <= derived + slack:
            self.within += 1
            self.derived += 1
            if diff / derived > self.worst_derived:
                self.worst_derived, self.worst_derived_where = diff / derived, where
        else:
            self.beyond.append("%s: page %r, command line %r (difference %.3g, %.3g of %.6g)"
                               % (where, page, cli, diff, relative, scale))

    def other(self, message):
        self.beyond.append(message)

    def add(self, other):
        self.identical += other.identical
        self.within += other.within
        self.beyond += other.beyond
        if other.worst > self.worst:
            self.worst, self.worst_where = other.worst, other.worst_where
        self.derived += other.derived
        if other.worst_derived > self.worst_derived:
            self.worst_derived = other.worst_derived
            self.worst_derived_where = other.worst_derived_where

    def summary(self):
        text = ("%d numbers: %d bit-identical, %d within the tolerance, %d beyond; largest "
                "difference %.3g of its group's scale%s"
                % (self.identical + self.within + len(self.beyond), self.identical, self.within,
                   len(self.beyond), self.worst,
                   " (%s)" % self.worst_where if self.worst_where else ""))
        if self.derived:
            text += ("; %d ill-conditioned within their propagated tolerance (at most %.2g of it,"
                     " %s)" % (self.derived, self.worst_derived, self.worst_derived_where))
        return text


def direction_allowance(scale, first, second):
    """Degrees a principal direction may move when the components it comes from move by the
    tolerance of their array (scale the largest principal magnitude): half the angle of
    (sx - sy, 2 txy), whose length is the difference of the principal values, so the direction
    is as ill-conditioned as that difference is small (undefined where they coincide)."""
    gap = abs(first - second)
    eps = ARRAY_TOLERANCE * scale
    return math.degrees(math.sqrt(2.0) * eps / gap) if gap > 0 else math.inf


def ratio_allowance(terms, numbers, ratio, number):
    """A failure ratio is a term of the criterion over its failure number: where the number is
    near zero the ratio is ill-conditioned. terms and numbers: the largest magnitudes of the
    terms (ratio times number) and of the numbers of the array."""
    eps = ARRAY_TOLERANCE * max(terms, numbers)
    return eps * (1.0 + abs(ratio)) / abs(number) if number != 0 else math.inf


def is_number(v):
    return isinstance(v, (int, float)) and not isinstance(v, bool)


def flatten(v):
    if isinstance(v, list):
        for x in v:
            yield from flatten(x)
    elif is_number(v):
        yield v


def numeric_array(v):
    return isinstance(v, list) and all(is_number(x) or numeric_array(x) for x in v)


def compare_json(page, cli, where, tally, group_scale=None):
    """Walks both parsed documents; group_scale is the scale of the enclosing group, if any."""
    if isinstance(page, dict) and isinstance(cli, dict):
        if list(page) != list(cli):
            tally.other("%s: keys %s against %s" % (where, list(page), list(cli)))
        scale = group_scale
        if where.endswith(".reserve") and isinstance(cli.get("criteria"), dict):
            # The reserve table of a load case: its factors are one group.
            factors = [c.get("factor") for c in cli["criteria"].values() if isinstance(c, dict)]
            scale = max((abs(f) for f in factors if is_number(f)), default=0.0)
        derived = derived_allowances(cli)
        for k in page:
            if k not in cli:
                continue
            if k in derived and isinstance(page[k], list) and isinstance(cli[k], list):
                compare_derived(page[k], cli[k], "%s.%s" % (where, k), tally, derived[k])
            else:
                compare_json(page[k], cli[k], "%s.%s" % (where, k), tally, scale)
    elif isinstance(page, list) and isinstance(cli, list):
        if len(page) != len(cli):
            tally.other("%s: %d items against %d" % (where, len(page), len(cli)))
        scale = group_scale
        if scale is None and numeric_array(cli) and cli:
            scale = max(abs(x) for x in flatten(cli))
        for i, (x, y) in enumerate(zip(page, cli)):
            compare_json(x, y, "%s[%d]" % (where, i), tally, scale)
    elif is_number(page) and is_number(cli):
        if isinstance(page, int) and isinstance(cli, int):
            if page == cli:
                tally.identical += 1
            else:
                tally.other("%s: page %r, command line %r" % (where, page, cli))
        elif isinstance(page, float) and isinstance(cli, float):
            if group_scale is not None:
                tally.number(where, page, cli, group_scale, ARRAY_TOLERANCE)
            else:
                tally.number(where, page, cli, abs(cli), SCALAR_TOLERANCE)
        else:
            tally.other("%s: page %r, command line %r (not the same type)" % (where, page, cli))
    elif type(page) is not type(cli) or page != cli:
        tally.other("%s: page %r, command line %r" % (where, page, cli))


def derived_allowances(record):
    """The propagated tolerances, index by index, of the ill-conditioned arrays of a record (a
    stress or strain field with its principal direction, a failure criterion with its ratios)."""
    out = {}
    try:
        if all(numeric_array(record.get(k)) for k in
               ("principal_direction", "max_principal", "min_principal")):
            first, second = record["max_principal"], record["min_principal"]
            scale = max(abs(x) for x in list(flatten(first)) + list(flatten(second)))
            out["principal_direction"] = [direction_allowance(scale, a, b)
                                          for a, b in zip(first, second)]
        ratios = [k for k in ("ratio_1", "ratio_2", "ratio_12") if numeric_array(record.get(k))]
        if ratios and numeric_array(record.get("number")):
            numbers = record["number"]
            top_numbers = max((abs(x) for x in numbers), default=0.0)
            top_terms = max((abs(r * n) for k in ratios for r, n in zip(record[k], numbers)),
                            default=0.0)
            for k in ratios:
                out[k] = [ratio_allowance(top_terms, top_numbers, r, n)
                          for r, n in zip(record[k], numbers)]
    except (TypeError, ValueError):
        return {}
    return out


def compare_derived(page, cli, where, tally, allowances):
    if len(page) != len(cli):
        tally.other("%s: %d items against %d" % (where, len(page), len(cli)))
    scale = max((abs(x) for x in flatten(cli)), default=0.0)
    for i, (x, y, a) in enumerate(zip(page, cli, allowances)):
        if isinstance(x, float) and isinstance(y, float):
            tally.number("%s[%d]" % (where, i), x, y, scale, ARRAY_TOLERANCE, derived=a)
        else:
            compare_json(x, y, "%s[%d]" % (where, i), tally, scale)


# A number as the tables and CSV files print it: fixed or exponent form, the exponent with E or D.
NUMBER = re.compile(r"[-+]?(?:\d+\.\d*|\.\d+|\d+)(?:[EeDd][-+]?\d+)?")
# In the tables, with the blanks that right-align it: "  -0.00" and "   0.00" are the same field.
FIELD = re.compile(r" *" + NUMBER.pattern)


def parse(token):
    return float(token.strip().replace("D", "E").replace("d", "e"))


def last_digit(token):
    """The value of one unit in the last printed digit of a number field."""
    m = re.fullmatch(r"[-+]?(\d*)(?:\.(\d*))?(?:[EeDd]([-+]?\d+))?", token.strip())
    decimals = len(m.group(2) or "")
    exponent = int(m.group(3) or 0)
    return 10.0 ** (exponent - decimals)


def column_name(header):
    return re.sub(r" \[.*\]$", "", header)


def compare_text(page_text, cli_text, where, tally, csv=False):
    """Number fields by the rule, grouped by column, the rest character for character."""
    page_lines = page_text.split("\n")
    cli_lines = cli_text.split("\n")
    if len(page_lines) != len(cli_lines):
        tally.other("%s: %d lines against %d" % (where, len(page_lines), len(cli_lines)))
        return
    # Per line: (line number, page fields, cli fields, group key per field, names per field).
    rows = []
    names = []
    for n, (p, c) in enumerate(zip(page_lines, cli_lines), 1):
        if csv:
            pf, cf = p.split(","), c.split(",")
            if n == 1:
                names = [column_name(x) for x in cf]
            numeric = [bool(NUMBER.fullmatch(x)) for x in cf]
            if (len(pf) != len(cf) or [bool(NUMBER.fullmatch(x)) for x in pf] != numeric
                    or [x for x, m in zip(pf, numeric) if not m]
                    != [x for x, m in zip(cf, numeric) if not m]):
                tally.other("%s line %d: page %r, command line %r" % (where, n, p, c))
                continue
            text = tuple(x for x, m in zip(cf, numeric) if not m)
            rows.append((n, [x for x, m in zip(pf, numeric) if m],
                         [x for x, m in zip(cf, numeric) if m],
                         [(text, i) for i, m in enumerate(numeric) if m],
                         [names[i] if i < len(names) else "" for i, m in enumerate(numeric) if m]))
        else:
            def skeleton(line):
                return FIELD.sub(lambda m: "#%d#" % len(m.group()), line)
            if skeleton(p) != skeleton(c):
                tally.other("%s line %d: page %r, command line %r" % (where, n, p, c))
                continue
            rows.append((n, FIELD.findall(p), FIELD.findall(c), None, None))
    if not csv:
        # A block: consecutive lines with the same count of numbers; its columns are the groups.
        # Under a heading naming a DIRECTION, the last three columns are the largest and the
        # smallest principal value and the principal direction.
        block, previous, last = 0, None, 0
        for j, (n, pt, ct, _, _) in enumerate(rows):
            if len(ct) != previous or n != last + 1:
                block += 1
                previous = len(ct)
                heading = " ".join(cli_lines[max(0, n - 4):n - 1])
                direction = "DIRECTION" in heading and len(ct) >= 3
            last = n
            labels = [""] * len(ct)
            if direction:
                labels[-3:] = ["max_principal", "min_principal", "principal_direction"]
            rows[j] = (n, pt, ct, [(block, i) for i in range(len(ct))], labels)
    scales = {}
    for n, pt, ct, keys, labels in rows:
        for tok, key in zip(ct, keys):
            scales[key] = max(scales.get(key, 0.0), abs(parse(tok)))
    # The terms (ratio times number) and the failure numbers of the rows of one group.
    terms, numbers = {}, {}
    for n, pt, ct, keys, labels in rows:
        row = {l: parse(t) for l, t in zip(labels, ct)}
        if "number" in row:
            group = keys[0][0]
            numbers[group] = max(numbers.get(group, 0.0), abs(row["number"]))
            for k in ("ratio_1", "ratio_2", "ratio_12"):
                if k in row:
                    terms[group] = max(terms.get(group, 0.0), abs(row[k] * row["number"]))
    for n, pt, ct, keys, labels in rows:
        row = {l: parse(t) for l, t in zip(labels, ct)}
        for i, (p, c, key, label) in enumerate(zip(pt, ct, keys, labels)):
            derived = 0.0
            if label == "principal_direction" and "max_principal" in row:
                scale = max(scales[k] for k, l in zip(keys, labels)
                            if l in ("max_principal", "min_principal"))
                derived = direction_allowance(scale, row["max_principal"], row["min_principal"])
            elif label.startswith("ratio_") and "number" in row:
                derived = ratio_allowance(terms.get(key[0], 0.0), numbers.get(key[0], 0.0),
                                          row[label], row["number"])
            slack = 0.0 if csv else last_digit(c)
            tally.number("%s line %d field %d" % (where, n, i + 1), parse(p), parse(c),
                         scales[key], ARRAY_TOLERANCE, slack, same=(p == c), derived=derived)


def main():
    if len(sys.argv) < 4:
        raise SystemExit(__doc__)
    module_js, holestress, jobs = sys.argv[1], sys.argv[2], sys.argv[3:]
    node = shutil.which("node")
    missing = ("node" if not node else
               holestress if not (os.path.isfile(holestress) and os.access(holestress, os.X_OK))
               else module_js if not os.path.isfile(module_js) else None)
    if missing:
        print("%s not found: skipped" % missing)
        return 1 if os.environ.get("HOLESTRESS_REQUIRE_WEB") == "1" else 77
    answers = json.loads(subprocess.run(
        [node, os.path.join(HERE, "run_module.js"), module_js] + jobs,
        check=True, capture_output=True, text=True).stdout)
    total = Tally()
    failures = 0
    print("rule: the command line's number to the last bit, or within %g of the largest "
          "magnitude of its array, reserve table or column (a scalar: %g of itself)"
          % (ARRAY_TOLERANCE, SCALAR_TOLERANCE))
    for answer in answers:
        job, response = answer["file"], json.loads(answer["response"])
        name = os.path.basename(job)
        with open(job, encoding="utf-8") as f:
            batch = re.search(r"^\s*load_cases_file\s*=", f.read(), re.M) is not None
        if batch:
            if response["status"] != 2 or "load_cases_file" not in response["errors"]:
                print("FAIL %s: a job with a file of load cases was not refused: %r"
                      % (name, response["errors"]))
                failures += 1
            else:
                print("ok   %s: refused by the page (a file of load cases), as it should be" % name)
            continue
        if response["status"] != 0:
            print("FAIL %s: the module refused it:\n%s" % (name, response["errors"]))
            failures += 1
            continue
        tally = Tally()
        run = subprocess.run([holestress, "run", job, "--format", "json"], check=True,
                             capture_output=True, text=True)
        compare_json(response["results"], json.loads(run.stdout), "results", tally)
        tables = subprocess.run([holestress, "run", job, "--format", "table"], check=True,
                                capture_output=True).stdout.decode("utf-8")
        compare_text(response["tables"], tables, "tables", tally)
        with tempfile.TemporaryDirectory() as folder:
            subprocess.run([holestress, "run", job, "--format", "csv", "--output", folder],
                           check=True, capture_output=True)
            files = {}
            for n in sorted(os.listdir(folder)):
                with open(os.path.join(folder, n), "rb") as f:
                    files[n] = f.read().decode("utf-8")
        if sorted(response["csv"]) != sorted(files):
            tally.other("CSV files: page %s, command line %s"
                        % (sorted(response["csv"]), sorted(files)))
        for n in files:
            if n in response["csv"]:
                compare_text(response["csv"][n], files[n], n, tally, csv=n.endswith(".csv"))
        if "<svg" not in response["pictures"]:
            tally.other("no pictures")
        total.add(tally)
        if tally.beyond:
            failures += 1
            print("FAIL %s: %s\n  %s" % (name, tally.summary(), "\n  ".join(tally.beyond[:40])))
        else:
            print("ok   %s: %s; %d CSV files; %.1f ms in node" % (name, tally.summary(), len(files),
                                                                 answer["ms"]))
    print("all: " + total.summary())
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
