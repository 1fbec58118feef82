"""How closely the page's numbers must agree with the command line's, and the comparisons that
hold them to it.

The page and the command line compile the same core; they differ in the C and C++ libraries that
serve it: glibc and libstdc++ (with GCC's run-time complex quotient) for the command line, musl and
libc++ for the page. Their sin, cos, atan, atan2, log, sqrt of a complex number and complex
quotient are each within an ulp or two of the exact value, but not the same ulp. So the core's
inputs to the characteristic quartic and the coordinates of the stations differ by a few parts in
2^52 (about 4e-16) between the builds.

Where the two characteristic roots of the laminate are far apart, that difference reaches the
field a few ulp large (1e-15 of it). Where they nearly coincide (a quasi-isotropic laminate) or
coincide (an isotropic plate: a double root), a perturbation e of the quartic's coefficients moves
the roots by about sqrt(e), a double root splitting as the square root of the perturbation: with
e a few parts in 2^52, some 3e-8 of their size. The stress functions divide by mu1 - mu2, and
their two terms cancel in the field: the field keeps an error of a few times that relative to its
largest value, not to each value (a stress that should be zero carries the same absolute error
as the peak; measured up to 4e-7). Quantities derived with further cancellation (the modified
Tsai-Wu and Hoffman failure numbers, whose linear and quadratic terms nearly cancel; the failure
ratios R = r / sqrt(F) where F nearly vanishes) lose up to another factor of ten. So:

- a number of a field may differ by TOLERANCE = 1e-5 of the largest magnitude among the numbers
  of its kind in its table (the stresses of a table together, its strains together: the x, y, xy
  and principal values, or the hoop, radial and shear components), about 300 sqrt(2^-52);
- a number outside any table (a laminate constant, a reserve factor) by 1e-5 of itself;
- a failure ratio as R sqrt(|F|), the value over its allowable;
- a principal direction by what its stresses determine: TOLERANCE times the stress scale over
  the difference of the principal values, in radians (none for a state without a direction);
- a reserve factor reached at two places within rounding of each other may be reported at either
  (a tie, counted);
- a residual traction of the strip model (in percent of the peak hoop stress) by TOLERANCE of 100
  percent: it is the difference of tractions of the size of the field, which carries their error
  whatever its own size (a residual of 1e-6 percent differs by a few parts in 1e5 of itself).

Measured over the examples and 200 generated jobs (2.0 million numbers, 12 percent bit-identical):
the largest difference was 2.2e-6 of its table, and 21 reserve factors were ties.

Printed tables and CSV files are text: the same lines, and the same numbers within one unit of
their last printed digit or by the rules above (a negative zero may print as "-0.00" in one build
and "0.00" in the other).
"""
import math
import re

TOLERANCE = 1e-5


class Tally:
    def __init__(self):
        self.numbers = 0
        self.identical = 0
        self.worst = 0.0  # largest difference over its scale
        self.ties = 0  # reserve factors found at another place of the same factor
        self.differences = []

    def other(self, message):
        self.differences.append(message)

    def number(self, page, cli, scale, where):
        """Counts one number; a difference beyond the tolerance of scale is a failure."""
        self.numbers += 1
        if page == cli and math.copysign(1, page) == math.copysign(1, cli):
            self.identical += 1
            return
        if page == cli:  # 0.0 against -0.0: the sign of a zero is rounding
            return
        if not (math.isfinite(page) and math.isfinite(cli)):
            self.other("%s: page %r, command line %r" % (where, page, cli))
            return
        ratio = abs(page - cli) / scale if scale > 0 else math.inf
        self.worst = max(self.worst, ratio)
        if ratio > TOLERANCE:
            self.other("%s: page %r, command line %r (%.2g of %g)" % (where, page, cli, ratio, scale))


def _largest(values):
    m = 0.0
    for v in values:
        if isinstance(v, float) and math.isfinite(v):
            m = max(m, abs(v))
    return m


def _kind(key):
    """Which scale an array of a table shares: strains, stresses, failure ratios, or its own."""
    for kind in ("strain", "stress", "ratio", "number"):
        if kind in key:
            return kind
    return "field"


def _directions(page, cli, where, tally):
    """The principal directions of a table, each within what its stresses determine: a difference
    d of the stresses turns the principal axes by about d / (max - min) radians, without bound
    where the two principal values meet (a null or hydrostatic state has no direction)."""
    scale = max(_largest(cli["max_principal"]), _largest(cli["min_principal"]))
    for i, (a, b) in enumerate(zip(page["principal_direction"], cli["principal_direction"])):
        if a is None or b is None:
            if (a is None) != (b is None):
                tally.other("%s.principal_direction[%d]: page %r, command line %r" % (where, i, a, b))
            continue
        spread = abs(cli["max_principal"][i] - cli["min_principal"][i])
        allowed = math.degrees(TOLERANCE * scale / spread) if spread > 0 else math.inf
        tally.numbers += 1
        if a == b:
            tally.identical += 1
        elif not abs(a - b) <= allowed and not abs(abs(a - b) - 90.0) <= allowed:
            tally.other("%s.principal_direction[%d]: page %r, command line %r (allowed %.2g)"
                        % (where, i, a, b, allowed))


def _ratios(page, cli, where, tally):
    """Failure ratios R = (value / allowable) / sqrt(F): compared as R sqrt(F), the value over its
    allowable, a field quantity; R itself has no bound where F nearly vanishes."""
    def values(d, key):
        return [None if r is None or f is None else r * math.sqrt(abs(f))
                for r, f in zip(d[key], d["number"])]

    scale = max(_largest(values(cli, key)) for key in ("ratio_1", "ratio_2", "ratio_12"))
    for key in ("ratio_1", "ratio_2", "ratio_12"):
        got, want = values(page, key), values(cli, key)
        for i, (a, b) in enumerate(zip(got, want)):
            what = "%s.%s[%d] (times the root of the number)" % (where, key, i)
            if a is None or b is None:
                if (a is None) != (b is None):
                    tally.other("%s: page %r, command line %r" % (what, a, b))
                continue
            tally.number(a, b, scale, what)


def compare_json(page, cli, where, tally, scale=None):
    """Structures equal, strings and integers equal, every number within the tolerance: in an
    array of numbers against the largest of the command line's array, elsewhere against itself;
    principal directions and failure ratios as their conditioning allows (_directions, _ratios)."""
    if isinstance(page, dict) and isinstance(cli, dict):
        if list(page) != list(cli):
            tally.other("%s: keys %s against %s" % (where, list(page), list(cli)))
        special = set()
        if {"principal_direction", "max_principal", "min_principal"} <= set(cli) and set(cli) == set(page):
            _directions(page, cli, where, tally)
            special.add("principal_direction")
        if {"factor", "ply", "angle"} <= set(cli) and set(cli) == set(page):
            # A reserve factor reached at two places within rounding of each other: either
            # place is the first, as the last bits fall.
            tally.number(page["factor"], cli["factor"], abs(cli["factor"]), where + ".factor")
            if any(page[k] != cli[k] for k in ("ply", "ply_angle", "angle", "component") if k in cli):
                tally.ties += 1
            special |= {"factor", "ply", "ply_angle", "angle", "component"}
        if {"number", "ratio_1"} <= set(cli) and set(cli) == set(page):
            _ratios(page, cli, where, tally)
            special |= {"ratio_1", "ratio_2", "ratio_12"}
        # The arrays of one kind in a table share a scale: the stresses of a point (x, y, xy and
        # the principal values; hoop, radial and shear) carry the error of the largest of them.
        groups = {}
        for k, v in cli.items():
            if isinstance(v, list) and any(isinstance(x, float) for x in v):
                groups[_kind(k)] = max(groups.get(_kind(k), 0.0), _largest(v))
        for k in page:
            if k in cli and k not in special:
                # The strip's residual tractions, percent of the peak: on the scale of 100 percent.
                inherited = 100.0 if k == "residual_percent" or ".residual_percent" in where else None
                compare_json(page[k], cli[k], "%s.%s" % (where, k), tally,
                             groups.get(_kind(k), inherited))
    elif isinstance(page, list) and isinstance(cli, list):
        if len(page) != len(cli):
            tally.other("%s: %d items against %d" % (where, len(page), len(cli)))
        table = scale if scale is not None else (
            _largest(cli) if any(isinstance(v, float) for v in cli) else None)
        for i, (x, y) in enumerate(zip(page, cli)):
            compare_json(x, y, "%s[%d]" % (where, i), tally, table)
    elif isinstance(page, float) and isinstance(cli, float):
        tally.number(page, cli, scale if scale else abs(cli), where)
    elif isinstance(page, (int, float)) and isinstance(cli, (int, float)) and not isinstance(page, bool):
        tally.number(float(page), float(cli), scale if scale else abs(cli), where)
    elif type(page) is not type(cli) or page != cli:
        tally.other("%s: page %r, command line %r" % (where, page, cli))
    elif isinstance(page, int) and not isinstance(page, bool):
        tally.numbers += 1
        tally.identical += 1


_NUMBER = re.compile(r"[-+]?(\d+\.?\d*|\.\d+)([eE][-+]?\d+)?$")


def _decimals(token):
    mantissa = re.split(r"[eE]", token)[0]
    return len(mantissa.split(".")[1]) if "." in mantissa else 0


def compare_text(page, cli, where, tally, exact):
    """Printed tables: the same characters when exact; otherwise the same lines but for numbers,
    each within one unit of its last printed digit or the tolerance of its column, and for the
    principal direction of a state whose two principal values print alike (it has none)."""
    if page == cli:
        return
    page_lines, cli_lines = page.split("\n"), cli.split("\n")
    if exact or len(page_lines) != len(cli_lines):
        for n, (p, c) in enumerate(zip(page_lines, cli_lines), 1):
            if p != c:
                tally.other("%s line %d: page %r, command line %r" % (where, n, p, c))
                return
        tally.other("%s: %d lines against %d" % (where, len(page_lines), len(cli_lines)))
        return
    columns = {}
    for line in cli_lines:
        for i, token in enumerate(tokens(line)):
            if _NUMBER.match(token):
                columns[i] = max(columns.get(i, 0.0), abs(float(token)))
    ratio_scale = 0.0  # of value over allowable in the failure tables: R sqrt(|F|)
    for line in cli_lines:
        t = tokens(line)
        if len(t) == 7 and all(_NUMBER.match(x) for x in t):
            for r in t[4:]:
                ratio_scale = max(ratio_scale, abs(float(r)) * math.sqrt(abs(float(t[3]))))
    for n, (p, c) in enumerate(zip(page_lines, cli_lines), 1):
        if p == c:
            continue
        pt, ct = tokens(p), tokens(c)
        if len(pt) != len(ct):
            tally.other("%s line %d: page %r, command line %r" % (where, n, p, c))
            continue
        numeric = all(_NUMBER.match(x) for x in ct)
        reserve_row = bool(ct) and ct[0] in ("max-strain", "max-stress", "tsai-hill", "tsai-wu", "hoffman")
        for i, (a, b) in enumerate(zip(pt, ct)):
            if a == b:
                continue
            if reserve_row and i > 1 and pt[1] == ct[1]:
                tally.ties += 1  # the same factor reached first at another place
                break
            if not (_NUMBER.match(a) and _NUMBER.match(b)):
                tally.other("%s line %d: page %r, command line %r" % (where, n, a, b))
                continue
            x, y = float(a), float(b)
            unit = unit_of(b) if "e" not in b.lower() else 0.0
            allowed = max(unit * 1.000001, TOLERANCE * columns.get(i, 0.0))
            if numeric and len(ct) == 8 and i == 7:
                # DIST ANGLE X Y XY MAX MIN DIRECTION: the direction as its stresses determine it.
                spread = abs(float(ct[5]) - float(ct[6]))
                scale = max(columns.get(k, 0.0) for k in range(2, 7))
                allowed = max(allowed, math.degrees(TOLERANCE * scale / spread) if spread > 0 else math.inf)
                if abs(abs(x - y) - 90.0) <= allowed:
                    continue
            if numeric and len(ct) == 7 and i >= 4:
                # DIST ANGLE PLY F R1 R2 R12: a ratio as R sqrt(|F|), the value over allowable.
                root = math.sqrt(abs(float(ct[3])))
                allowed = max(allowed, TOLERANCE * ratio_scale / root if root > 0 else math.inf)
            if abs(x - y) <= allowed:
                continue
            tally.other("%s line %d: page %r, command line %r" % (where, n, a, b))


_JOINED = re.compile(r"^(-?\d+\.\d+){2,}$")


def tokens(line):
    """The fields of a printed line: words and numbers, with numbers that fixed columns run
    together ("0.000135-0.000000") taken apart."""
    out = []
    for word in line.split():
        out += re.findall(r"-?\d+\.\d+", word) if _JOINED.match(word) else [word]
    return out


def unit_of(token):
    return 10.0 ** -_decimals(token)


def compare_csv(page, cli, where, tally):
    """A CSV file: the same header, rows and text cells; every number within the tolerance of
    its column's largest value (principal directions and failure ratios are held by the JSON
    comparison, which knows their conditioning)."""
    if page == cli:
        return
    page_rows = [line.split(",") for line in page.split("\n")]
    cli_rows = [line.split(",") for line in cli.split("\n")]
    if len(page_rows) != len(cli_rows) or page_rows[0] != cli_rows[0]:
        tally.other("%s: %d rows against %d, header %r against %r"
                    % (where, len(page_rows), len(cli_rows), page_rows[0], cli_rows[0]))
        return
    header = cli_rows[0]
    skip = {i for i, h in enumerate(header) if h.startswith(("principal_direction", "ratio_"))}

    def group(h):
        # Columns of one kind share a scale: by their unit ([psi], [mm]), else strains together
        # and failure numbers together; others (factors, margins) each their own.
        unit = re.search(r"\[(.*)\]", h)
        if unit:
            return unit.group(1)
        if "strain" in h or h.startswith(("eps_", "gamma_")):
            return "strain"
        if h.startswith("number"):
            return "number"
        return h

    scales = {}
    for row in cli_rows[1:]:
        for i, cell in enumerate(row):
            if i < len(header) and _NUMBER.match(cell):
                scales[group(header[i])] = max(scales.get(group(header[i]), 0.0), abs(float(cell)))
    location = {"ply", "ply_angle [deg]", "angle [deg]", "component"}
    for n, (p, c) in enumerate(zip(page_rows, cli_rows), 1):
        if p == c:
            continue
        if len(p) != len(c):
            tally.other("%s line %d: page %r, command line %r" % (where, n, p, c))
            continue
        tie = False
        for i, (a, b) in enumerate(zip(p, c)):
            if a == b or i in skip:
                continue
            if header[i] in location and "factor" in header:
                tie = True  # the same factor reached first at another place (its JSON is held)
                continue
            if _NUMBER.match(a) and _NUMBER.match(b):
                tally.number(float(a), float(b), scales.get(group(header[i]), 0.0),
                             "%s line %d %s" % (where, n, header[i]))
            else:
                tally.other("%s line %d: page %r, command line %r" % (where, n, a, b))
        tally.ties += tie
