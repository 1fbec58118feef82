#!/usr/bin/env python3
"""Opens the one-file page of holestress in headless Chromium from a file:// URL and checks a run.

    browser_test.py PAGE [--against HOLESTRESS JOB.toml...] [--screenshot PNG [JOB.toml]]
    browser_test.py PAGE --smoke

With --smoke (a page built on the toolchain probe rather than the analysis) only the module is
checked: it loads under the page's policy, says its version, and reads the job file the page
writes (the title comes back).

Each job goes into the URL as #job=<base64url of the TOML>; the page fills its form from it and
runs it on load. The test reads the DOM after the run and checks: the job reached the form (the
job file as run holds its values), one reserve-factor table per load case with one row per
criterion, finite positive factors, the smallest one highlighted and named in the summary, the
dialogue tables and pictures present; that a job with values out of range is not run and its
fields are marked; and that no request left the page (the page's content security policy allows
none: a violation is recorded on the page and logged) and the console stays silent.
With --against, each job file goes through the page as a link and through `HOLESTRESS run
JOB.toml --format json`: it must run on load, and the laminate properties and every reserve factor
in the page (with its ply and angle; for a carpet plot the smallest factor of every layup) must be
the command line's within the tolerance of agreement.py (the two builds compile the same core over
different C libraries). On the test's job, on every job given and on a generated job
(compare_test.py's generator, a long load-case name) the page after the run is read at 1400, 1000
and 700 pixels for what a reader would see wrong (LAYOUT). The time of a
run of the first job is measured in real time through the DevTools protocol: Run pressed to the
results in the DOM, the first run (the module's loading included) and the next ones (the
screenshot is of that job).
Exits with 77 (skipped) when no Chromium is installed, unless HOLESTRESS_REQUIRE_BROWSER is set.
"""
import base64
import html.parser
import json
import os
import random
import re
import shutil
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from agreement import TOLERANCE  # noqa: E402
import time
import tomllib

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import compare_test  # noqa: E402
import devtools  # noqa: E402

FLAGS = ["--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
         "--disable-background-networking", "--disable-component-update", "--disable-sync",
         "--hide-scrollbars", "--enable-logging=stderr", "--v=0"]

JOB = """title = "two cases, \\"quoted\\" title"
[units]
stress = "MPa"
length = "mm"
[materials.carbon]
E1 = 138e3
E2 = 9.65e3
G12 = 5.2e3
nu12 = 0.3
T1 = 1500
C1 = 1200
T2 = 50
C2 = 200
S12 = 80
[materials."glass fabric"]
E1 = 25e3
E2 = 25e3
G12 = 4e3
nu12 = 0.12
T1 = 400
C1 = 350
T2 = 400
C2 = 350
S12 = 60
[[plies]]
angle = 0
thickness = 0.125
material = "carbon"
[[plies]]
angle = 45
thickness = 0.125
material = "carbon"
[[plies]]
angle = -45
thickness = 0.125
material = "carbon"
[[plies]]
angle = 90
thickness = 0.2
material = "glass fabric"
[hole]
diameter = 6.35
width = 40
[grid]
angle_step = 15
angle_low = 0
angle_high = 180
distance_step = 1.27
steps = 3
[[load_cases]]
name = "tension"
px = 100
py = 0
pxy = 0
off_axis = 0
bearing = 0
bolt_angle = 0
[[load_cases]]
name = "bolt"
px = 0
py = 0
pxy = 0
off_axis = 0
bearing = 300
bolt_angle = 0
[failure]
criteria = ["max-stress", "tsai-wu", "hoffman"]  # a subset
distance = 1.27
factor_of_safety = 1.5
[results]
tables = ["properties", "reserve"]
"""

# Out of range: no distance step and a ply of negative thickness.
BAD_JOB = JOB.replace("steps = 3", "steps = 0") + \
    '[[plies]]\nangle = 0\nthickness = -0.1\nmaterial = "carbon"\n'

EXAMPLES = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "examples")


def layup_job():
    """The 24-ply layup of examples/layup-library.toml with its library's materials copied in
    (the page reads one job file)."""
    job = os.path.join(EXAMPLES, "layup-library.toml")
    with open(job, encoding="utf-8") as f:
        return compare_test.with_materials_copied(job, f.read())


def thousand_ply_job():
    """A job of 1,000 ply rows ([[plies]], one material), the test's grid and load cases."""
    head, tail = JOB.split("[[plies]]", 1)[0], "[hole]" + JOB.split("[hole]", 1)[1]
    head = head.split('[materials."glass fabric"]')[0]
    plies = "".join("[[plies]]\nangle = %d\nthickness = 0.125\n" % (0, 45, -45, 90)[i % 4]
                    for i in range(1000))
    return head + plies + tail


class Dom(html.parser.HTMLParser):
    """The elements of the dumped DOM as (tag, attributes, text inside) in document order."""

    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.elements, self.open = [], []

    def handle_starttag(self, tag, attrs):
        e = [tag, dict(attrs), ""]
        self.elements.append(e)
        if tag not in ("input", "br", "meta", "link", "img", "hr", "col", "source", "wbr"):
            self.open.append(e)

    def handle_endtag(self, tag):
        for i in range(len(self.open) - 1, -1, -1):
            if self.open[i][0] == tag:
                del self.open[i:]
                break

    def handle_data(self, data):
        for e in self.open:
            e[2] += data

    def find(self, tag=None, **attrs):
        """Elements by tag and attributes: data_load_case="x" is data-load-case="x", class_ class."""
        names = {k: k.rstrip("_").replace("_", "-") for k in attrs}
        return [e for e in self.elements if (tag is None or e[0] == tag) and all(
            e[1].get(names[k]) == v for k, v in attrs.items())]


def url(page, job):
    return "file://" + os.path.abspath(page) + "#job=" + base64.urlsafe_b64encode(
        job.encode("utf-8")).decode("ascii").rstrip("=")


def chromium_run(chromium, args, work):
    profile = tempfile.mkdtemp(prefix="profile-", dir=work)
    try:
        result = subprocess.run([chromium] + FLAGS + ["--user-data-dir=" + profile] + args,
                                capture_output=True, text=True, timeout=180)
    finally:
        shutil.rmtree(profile, ignore_errors=True)
    if result.returncode != 0:
        raise SystemExit("FAIL: chromium exited with %d:\n%s" % (result.returncode, result.stderr))
    console = [l for l in result.stderr.splitlines()
               if re.search(r":CONSOLE[(:]|Refused to|net::ERR_|Content Security Policy", l)]
    return result.stdout, console


def load(chromium, page, job, work, runs=None):
    """Opens the page on the job's link in real time (DevTools protocol) and returns its DOM once
    the run is over (or, for a job not to be run, once the module has loaded and the form is
    filled); the console must stay silent."""
    want = runs or ("1" if job is JOB else None)
    b = devtools.Browser(chromium, [f for f in FLAGS if not f.startswith(("--enable-logging", "--v="))],
                         url(page, job))
    try:
        b.attach()
        try:
            b.wait("document.getElementById('version').textContent !== '' && "
                   "document.getElementById('load-status').textContent !== ''", seconds=60)
            if want:
                b.wait("document.body.getAttribute('data-runs') === %s" % json_str(want), seconds=60)
        except SystemExit:
            pass  # reported below from the DOM as it stands
        time.sleep(0.3)
        dom_text = b.eval("document.documentElement.outerHTML")
        console = b.messages()
    finally:
        b.close()
    if console:
        raise SystemExit("FAIL: console messages:\n" + "\n".join(l[:500] for l in console))
    dom = Dom()
    dom.feed(dom_text)
    body = dom.find("body")[0]
    if body[1].get("data-csp-violations"):
        raise SystemExit("FAIL: blocked by the page's policy: " + body[1]["data-csp-violations"])
    if body[1].get("data-runs") != want:
        status = dom.find(id="load-status")
        form = dom.find(id="form-status")
        errors = [e[1].get("data-for") + ": " + e[2] for e in dom.find(class_="msg error")]
        raise SystemExit("FAIL: runs on load: %r (load status %r, form %r, fields %r)"
                         % (body[1].get("data-runs"), status and status[0][2],
                            form and form[0][2], errors))
    return dom


def check_run(dom):
    failures = []

    def expect(ok, what):
        if not ok:
            failures.append(what)

    results = dom.find(id="results")[0]
    expect(results[1].get("data-status") == "0", "the run did not end with status 0")
    expect(not dom.find("li"), "error lines shown: %r" % [e[2] for e in dom.find("li")])
    title = dom.find(id="result-title")
    expect(title and title[0][2] == 'two cases, "quoted" title', "title: %r" % (title and title[0][2]))
    job_text = dom.find(id="job-text")[0][2]
    for line in ('[materials."glass fabric"]', 'stress = "MPa"', "diameter = 6.35",
                 "distance_step = 1.27", "steps = 3", 'name = "bolt"', "bearing = 300.0",
                 'criteria = ["max-stress", "tsai-wu", "hoffman"]', "factor_of_safety = 1.5",
                 'tables = ["properties", "reserve"]'):
        expect(line in job_text, "the job as run lacks %r" % line)
    expect(job_text.count("[[plies]]") == 4, "the job as run has not 4 plies")
    for case in ("tension", "bolt"):
        tables = dom.find("table", data_load_case=case)
        expect(len(tables) == 1, "load case %s: %d reserve tables" % (case, len(tables)))
        if len(tables) != 1:
            continue
        at = dom.elements.index(tables[0])
        rows = [e for e in dom.elements[at:] if e[0] == "tr" and "data-criterion" in e[1]][:3]
        expect([r[1]["data-criterion"] for r in rows] == ["max-stress", "tsai-wu", "hoffman"],
               "load case %s: criteria rows %r" % (case, [r[1]["data-criterion"] for r in rows]))
        factors = []
        for r in rows:
            i = dom.elements.index(r)
            cell = next(e for e in dom.elements[i:] if e[0] == "td" and "data-value" in e[1])
            factors.append(float(cell[1]["data-value"]))
        expect(all(f > 0 and f < float("inf") for f in factors), "factors %r" % factors)
        marked = [r[1]["data-criterion"] for r in rows if "smallest" in r[1].get("class", "")]
        smallest = rows[factors.index(min(factors))][1]["data-criterion"] if factors else None
        expect(marked == [smallest], "load case %s: highlighted %r, smallest %r" % (case, marked, smallest))
        line = dom.find("p", data_load_case=case)
        expect(line and ("%.3f" % min(factors)) in line[0][2],
               "load case %s: summary %r" % (case, line and line[0][2]))
    expect(dom.find(id="tables-text")[0][2].strip(), "no dialogue tables")
    # The pictures sit in a shadow root (not in the dumped DOM); the page counts their figures.
    figures = dom.find(id="pictures")[0][1].get("data-figures", "0")
    expect(int(figures) > 0, "no pictures (%s figures)" % figures)
    return failures


def agrees(got, want):
    """Within the tolerance of agreement.py (a number outside any table: relative to itself)."""
    return got == want or abs(got - want) <= TOLERANCE * abs(want)


def check_against(dom, expected, tally):
    """The laminate properties and reserve factors in the page against the command line's JSON
    results, each within the tolerance of agreement.py; tally counts the numbers compared."""
    failures = []

    def number(what, got, want):
        if agrees(got, want):
            tally[0] += 1
        else:
            failures.append("%s: %r in the page, %r on the command line" % (what, got, want))

    lam = expected.get("laminate")
    if lam:
        for k in ("EX", "EY", "GXY", "VXY"):
            cell = dom.find("span", data_property=k)
            if not cell:
                failures.append("laminate %s not shown" % k)
                continue
            number("laminate " + k, float(cell[0][1]["data-value"]), lam[k])
    for layup_index, layup in enumerate(expected.get("layups", [])):
        for lc in layup["load_cases"]:
            cells = [e for e in dom.find("td", class_="factor", data_load_case=lc["name"])]
            if len(cells) != len(expected["layups"]):
                failures.append("carpet: %d factors of %s shown" % (len(cells), lc["name"]))
                break
            number("layup %d, %s" % (layup_index + 1, lc["name"]),
                   float(cells[layup_index][1]["data-value"]),
                   lc["reserve"]["smallest"]["factor"])
    for lc in expected.get("load_cases", []):
        if "reserve" not in lc:
            if not dom.find("p", class_="no-reserve", data_load_case=lc["name"]):
                failures.append("load case %s: no line saying it has no reserve table" % lc["name"])
            continue
        tables = dom.find("table", data_load_case=lc["name"])
        if len(tables) != 1:
            failures.append("load case %s: %d reserve tables" % (lc["name"], len(tables)))
            continue
        at = dom.elements.index(tables[0])
        end = next((i for i in range(at + 1, len(dom.elements)) if dom.elements[i][0] == "table"),
                   len(dom.elements))
        rows = {e[1]["data-criterion"]: dom.elements.index(e) for e in dom.elements[at:end]
                if e[0] == "tr" and "data-criterion" in e[1]}
        criteria = lc["reserve"]["criteria"]
        if sorted(rows) != sorted(criteria):
            failures.append("load case %s: criteria %r, command line %r" % (lc["name"], sorted(rows),
                                                                            sorted(criteria)))
        for c, want in criteria.items():
            if c not in rows:
                continue
            cells = [e for e in dom.elements[rows[c]:end] if e[0] == "td"][:7]
            if want["factor"] is None:
                if cells[1][1].get("data-value") != "Infinity":
                    failures.append("load case %s, %s: %r in the page, no factor on the command line"
                                    % (lc["name"], c, cells[1][1].get("data-value")))
                continue
            number("load case %s, %s" % (lc["name"], c), float(cells[1][1]["data-value"]),
                   want["factor"])
            if cells[2][2] != str(want["ply"]) or cells[4][2] != "%s°" % fmt_js(float("%.6g" % want["angle"])):
                failures.append("load case %s, %s: ply %s at %s in the page, %s at %s"
                                % (lc["name"], c, cells[2][2], cells[4][2], want["ply"], want["angle"]))
        smallest = lc["reserve"]["smallest"]
        marked = [c for c, i in rows.items() if "smallest" in dom.elements[i][1].get("class", "")]
        if marked != [smallest["criterion"]]:
            failures.append("load case %s: %r highlighted, the command line's smallest is %r"
                            % (lc["name"], marked, smallest["criterion"]))
    return failures


# What a reader would see wrong once a job has run, as a list of messages: a value gone missing
# ("undefined", "NaN", "null" in any text, field value or tooltip of the page and of its pictures);
# a page wider than the window; a field whose value is cut off; a field, label or cell reaching
# past its fieldset or the results; two pieces of text, or text and a field, on top of each other
# in the form or the results; in the pictures, SVG texts on each other or outside their figure.
LAYOUT = r"""(() => {
  const faults = [];
  const say = (what) => { if (faults.length < 40) faults.push(what); };
  const name = (e) => e.tagName.toLowerCase() + (e.id ? '#' + e.id : '') +
      (e.getAttribute('data-path') ? '[' + e.getAttribute('data-path') + ']' : '') +
      (e.getAttribute('class') ? '.' + e.getAttribute('class').split(' ').join('.') : '');
  const shown = (r) => r.width > 0 && r.height > 0;
  const apart = (a, b, slack) => Math.min(a.right, b.right) - Math.max(a.left, b.left) <= slack ||
                                 Math.min(a.bottom, b.bottom) - Math.max(a.top, b.top) <= slack;
  const pictures = document.getElementById('pictures').shadowRoot;
  const missing = /\b(undefined|NaN|null)\b/;
  for (const root of [document.body, pictures].filter((r) => r)) {
    const walk = document.createTreeWalker(root, NodeFilter.SHOW_TEXT);
    for (let n = walk.nextNode(); n; n = walk.nextNode()) {
      const p = n.parentElement;
      if (!p || p.closest('script, style') || !missing.test(n.textContent)) continue;
      say(missing.exec(n.textContent)[0] + ' in the text of ' + name(p) + ': ' +
          n.textContent.trim().slice(0, 100));
    }
    for (const e of root.querySelectorAll('[title], input')) {
      for (const v of [e.getAttribute('title'), e.value]) {
        if (v && missing.test(v)) say(missing.exec(v)[0] + ' in ' + name(e) + ': ' + v.slice(0, 100));
      }
    }
  }
  if (document.documentElement.scrollWidth > innerWidth + 0.5) {
    say('the page is ' + document.documentElement.scrollWidth + ' px wide in a window of ' + innerWidth);
  }
  for (const i of document.querySelectorAll('input[type=text]')) {
    if (shown(i.getBoundingClientRect()) && i.scrollWidth > i.clientWidth + 1) {
      say('the value of ' + name(i) + ' is cut off: ' + i.value);
    }
  }
  for (const box of document.querySelectorAll('fieldset, #results')) {
    const outer = box.getBoundingClientRect();
    for (const e of box.querySelectorAll('input, select, button, label, th, td, caption, p, span')) {
      const r = e.getBoundingClientRect();
      if (shown(r) && (r.right > outer.right + 0.5 || r.left < outer.left - 0.5)) {
        say(name(e) + ' reaches past ' + name(box) + ': ' + r.left.toFixed(0) + ' to ' +
            r.right.toFixed(0) + ', the box ' + outer.left.toFixed(0) + ' to ' + outer.right.toFixed(0));
      }
    }
  }
  // The pieces of the form and the results: fields, buttons, and each line of every text.
  const pieces = [];
  for (const e of document.querySelectorAll('#job-form input, #job-form select, #job-form button')) {
    const r = e.getBoundingClientRect();
    if (shown(r) && e.type !== 'checkbox') pieces.push({owner: e, what: name(e), r});
  }
  for (const root of [document.getElementById('job-form'), document.getElementById('results')]) {
    const walk = document.createTreeWalker(root, NodeFilter.SHOW_TEXT);
    for (let n = walk.nextNode(); n; n = walk.nextNode()) {
      if (!n.textContent.trim() || n.parentElement.closest('select, button')) continue;
      const range = document.createRange();
      range.selectNodeContents(n);
      for (const r of range.getClientRects()) {
        if (shown(r)) pieces.push({owner: n, what: JSON.stringify(n.textContent.trim().slice(0, 40)), r});
      }
    }
  }
  for (let i = 0; i < pieces.length; ++i) {
    for (let j = i + 1; j < pieces.length; ++j) {
      const a = pieces[i], b = pieces[j];
      if (a.owner === b.owner || apart(a.r, b.r, 1)) continue;
      say(a.what + ' and ' + b.what + ' on each other');
    }
  }
  if (pictures) {
    for (const svg of pictures.querySelectorAll('svg')) {
      const outer = svg.getBoundingClientRect();
      const texts = Array.from(svg.querySelectorAll('text'), (t) => [t, t.getBoundingClientRect()]);
      texts.forEach(([t, r], i) => {
        if (r.left < outer.left - 0.5 || r.right > outer.right + 0.5 || r.top < outer.top - 0.5 ||
            r.bottom > outer.bottom + 0.5) {
          say('picture text ' + JSON.stringify(t.textContent) + ' leaves its figure');
        }
        for (const [u, q] of texts.slice(i + 1)) {
          if (!apart(r, q, 0.5)) {
            say('picture texts ' + JSON.stringify(t.textContent) + ' and ' +
                JSON.stringify(u.textContent) + ' on each other');
          }
        }
      });
    }
  }
  return JSON.stringify(faults);
})()"""

WIDTHS = (1400, 1000, 700)


def check_layout(chromium, page, job, what):
    """Opens the job's link, waits for its run, and reads the page for LAYOUT's faults at each
    of WIDTHS; returns the faults found."""
    b = devtools.Browser(chromium, [f for f in FLAGS if not f.startswith(("--enable-logging", "--v="))],
                         url(page, job))
    faults = []
    try:
        b.attach()
        b.wait("document.body.getAttribute('data-runs') === '1'", seconds=60)
        for width in WIDTHS:
            b.send("Emulation.setDeviceMetricsOverride", {"width": width, "height": 1000,
                                                          "deviceScaleFactor": 1, "mobile": False})
            time.sleep(0.3)
            faults += ["%s at %d px: %s" % (what, width, f) for f in json.loads(b.eval(LAYOUT))]
        if b.messages():
            faults.append("%s: console %r" % (what, b.messages()))
    finally:
        b.close()
    return faults


def generated_job():
    """A job as compare_test.py generates them (fixed seed), with the reserve table, its first
    load case with a long name."""
    text = compare_test.random_job(random.Random(20260412), 0)
    if '"reserve"' not in text:
        text = text.replace('tables = ["', 'tables = ["reserve", "', 1)
    return text.replace('name = "case 0"',
                        'name = "case 0: ultimate bearing with bypass in a forward flight manoeuvre"', 1)


def time_runs(chromium, page, job, repeats=5):
    """Real time, through the DevTools protocol: the page opened with the job's link runs it on
    load (the page's own clock gives the module's loading and that run); then Run is clicked
    `repeats` times, each timed in the page from the click to the results in the DOM
    (performance.now(), a MutationObserver on the count of runs the page keeps) and by the wall
    clock here around the whole exchange. Returns (first run attributes, [(page ms, wall ms)])."""
    b = devtools.Browser(chromium, [f for f in FLAGS if not f.startswith(("--enable-logging", "--v="))],
                         url(page, job))
    try:
        b.attach()
        b.wait("document.body.getAttribute('data-runs') === '1'", seconds=60)
        first = b.eval("['data-load-ms', 'data-job-ms', 'data-run-ms'].map((k) => "
                       "document.getElementById('results').getAttribute(k)).join(' ')")
        b.eval("""window.__time = () => {
                    const runs = () => Number(document.body.getAttribute('data-runs') || 0);
                    const before = runs(), t0 = performance.now();
                    window.__done = null;
                    const seen = new MutationObserver(() => {
                      if (runs() > before) { window.__done = performance.now() - t0; seen.disconnect(); }
                    });
                    seen.observe(document.body, {attributes: true});
                    document.getElementById('run').click();
                  }""".replace("\n", " "))
        times = []
        for _ in range(repeats):
            started = time.time()
            b.eval("__time()")
            b.wait("window.__done !== null", seconds=60)
            times.append((b.eval("window.__done"), (time.time() - started) * 1000))
        return first, times
    finally:
        b.close()


def screenshot(chromium, page, job, png, width=1200):
    """The page after the job's link has run, the whole height, in real time (DevTools)."""
    b = devtools.Browser(chromium, [f for f in FLAGS if not f.startswith(("--enable-logging", "--v="))],
                         url(page, job))
    try:
        b.attach()
        b.wait("document.body.getAttribute('data-runs') === '1'", seconds=60)
        b.send("Emulation.setDeviceMetricsOverride", {"width": width, "height": 1000,
                                                      "deviceScaleFactor": 1, "mobile": False})
        time.sleep(0.5)
        # From the top to the end of the pictures of the first load case (the other load cases
        # and the text tables below are long).
        height = b.eval("(() => { const host = document.getElementById('pictures'); "
                        "const first = host.shadowRoot && host.shadowRoot.querySelector('section.load-case'); "
                        "return Math.ceil((first || host).getBoundingClientRect().bottom + window.scrollY + 8); })()")
        wide = b.eval("Math.max(%d, document.documentElement.scrollWidth)" % width)
        data = b.send("Page.captureScreenshot", {
            "format": "png", "captureBeyondViewport": True,
            "clip": {"x": 0, "y": 0, "width": wide, "height": height, "scale": 1}})
        with open(png, "wb") as f:
            f.write(base64.b64decode(data["data"]))
        if b.messages():
            raise SystemExit("FAIL: screenshot: %r" % b.messages())
    finally:
        b.close()


def fmt_js(v):
    """A number as JavaScript's String() writes it, for the integers and short decimals here."""
    return str(int(v)) if float(v).is_integer() else repr(float(v))


def interact(chromium, page, work):
    """Uses the form as a person would, through the DevTools protocol: rows added and removed,
    a wrong value typed and corrected, a material renamed, a link made and followed, the job and
    a CSV file downloaded, a job file loaded through the file input."""
    b = devtools.Browser(chromium, [f for f in FLAGS if not f.startswith(("--enable-logging", "--v="))],
                         "file://" + os.path.abspath(page))
    failures = []

    def expect(ok, what):
        if not ok:
            failures.append(what)

    try:
        b.attach()
        b.send("Network.enable")
        downloads = os.path.join(work, "downloads")
        os.makedirs(downloads)
        b.send("Browser.setDownloadBehavior", {"behavior": "allow", "downloadPath": downloads},
               session=False)
        b.wait("document.getElementById('version').textContent.startsWith('holestress')")
        js = """
          const $ = (id) => document.getElementById(id);
          const at = (p) => document.querySelector('[data-path="' + p + '"]');
          const type = (p, v) => { const e = at(p); e.value = v;
                                   e.dispatchEvent(new Event('input', {bubbles: true})); };
          const msg = (p) => document.querySelector('.msg[data-for="' + p + '"]').textContent;
          const plies = () => document.querySelectorAll('#plies tr').length;
        """
        b.eval(js.replace("const ", "var ").replace("\n", " "))
        for _ in range(5):
            b.eval("$('add-ply').click()")
        expect(b.eval("plies()") == 9 and not b.eval("$('add-ply').disabled"),
               "9 plies, and more may be added")
        b.eval("document.querySelector('#plies tr button.remove').click()")
        expect(b.eval("[0,1,2,3].map((i) => at('plies.' + i + '.angle').value).join(' ')") ==
               "45 -45 90 90", "ply 1 removed")
        b.eval("type('hole.diameter', '0,25')")
        expect(b.eval("msg('hole.diameter')") == "not a number" and b.eval("$('run').disabled"),
               "a wrong diameter is marked and stops the run")
        b.eval("type('hole.diameter', '0.3')")
        expect(b.eval("msg('hole.diameter')") == "" and not b.eval("$('run').disabled"),
               "a corrected diameter")
        b.eval("type('materials.0.name', 'cfrp')")
        expect(b.eval("at('plies.0.material').value") == "cfrp" and b.eval("msg('plies.0.material')") == "",
               "plies follow the renamed material")
        b.eval("$('copy-link').click()")
        link = b.wait("$('link').value")
        expect(link.startswith("file://") and "#job=" in link, "link %r" % link[:80])
        text = base64.urlsafe_b64decode(link.split("#job=")[1] + "===").decode("utf-8")
        expect('material = "cfrp"' in text and "diameter = 0.3" in text and text.count("[[plies]]") == 8,
               "the link holds the form's job")
        # Following the link runs the job.
        b.eval("type('hole.diameter', '0.5'); location.hash = " + json_str("#job=" + link.split("#job=")[1]))
        b.wait("document.body.getAttribute('data-runs') === '1'")
        expect(b.eval("at('hole.diameter').value") == "0.3", "the link refills the form")
        expect(b.eval("document.querySelectorAll('table.reserve').length") == 1, "the link's job ran")
        # Downloads: the job file as the form writes it, and a CSV file as the module gave it.
        b.eval("$('save-job').click()")
        csv_name = b.eval("document.querySelector('#csv-buttons button').textContent")
        b.eval("document.querySelector('#csv-buttons button').click()")
        deadline = time.time() + 20
        while time.time() < deadline and len([f for f in os.listdir(downloads)
                                              if not f.endswith(".crdownload")]) < 2:
            time.sleep(0.2)
        files = sorted(os.listdir(downloads))
        job_files = [f for f in files if f.endswith(".toml")]
        expect(len(job_files) == 1 and csv_name in files, "downloads %r" % files)
        if job_files:
            with open(os.path.join(downloads, job_files[0]), encoding="utf-8") as f:
                expect(f.read() == text, "the downloaded job is the link's job")
        # A job file through the file input: its unknown key is reported, the form refilled, run.
        job_path = os.path.join(work, "typo.toml")
        with open(job_path, "w", encoding="utf-8") as f:
            f.write(JOB.replace("width = 40", "widht = 40"))
        root = b.send("DOM.getDocument")["root"]["nodeId"]
        node = b.send("DOM.querySelector", {"nodeId": root, "selector": "#load-file"})["nodeId"]
        b.send("DOM.setFileInputFiles", {"nodeId": node, "files": [job_path]})
        b.wait("document.body.getAttribute('data-runs') === '2'")
        expect("hole.widht" in b.eval("$('load-status').textContent"), "the unknown key is reported")
        expect(b.eval("at('hole.diameter').value") == "6.35" and b.eval("at('hole.width').value") == "",
               "the file refills the form")
        expect(b.eval("document.querySelectorAll('table.reserve').length") == 2, "the file's job ran")
        time.sleep(0.5)
        b.eval("0")
        expect(not b.messages(), "console: %r" % b.messages())
        # Every request the page made: only its own file (and the module's data: URL).
        requests = [e["params"]["request"]["url"][:80] for e in b.events
                    if e.get("method") == "Network.requestWillBeSent"]
        expect(all(u.startswith(("file:", "data:")) for u in requests), "requests %r" % requests)
        expect(not b.eval("document.body.getAttribute('data-csp-violations')"), "CSP violations")
    finally:
        b.close()
    return failures


def laminates(chromium, page, work, program):
    """The laminates the page takes beyond ply rows of a few plies, with the module: a 24-ply
    layup and 1,000 ply rows run from their links (results shown, the stack as run echoed, the
    numbers the command line's, the layout read); the collapsed ply table and "show all"; a
    layup typed, mistaken and corrected; a grid beyond the working storage refused with the
    module's message at the grid; a job with a materials file refused at load. Returns the
    failures and the layout's faults, and prints the measured times."""
    failures, faults, tally = [], [], [0]

    def expect(ok, what):
        if not ok:
            failures.append(what)

    def against(text, name):
        path = os.path.join(work, name)
        with open(path, "w", encoding="utf-8") as f:
            f.write(text)
        return json.loads(subprocess.run([program, "run", path, "--format", "json"], check=True,
                                         capture_output=True, text=True).stdout)

    for name, text, count in (("24-ply layup", layup_job(), 24),
                              ("1000 ply rows", thousand_ply_job(), 1000)):
        dom = load(chromium, page, text, work, runs="1")
        expect(dom.find(id="results")[0][1].get("data-status") == "0",
               "%s: the run did not end with status 0: %r" % (name, [e[2] for e in dom.find("li")]))
        echoed = dom.find(id="stack-as-run")
        expect(echoed and echoed[0][1].get("data-plies") == str(count),
               "%s: the stack as run %r" % (name, echoed and echoed[0][2]))
        expect(dom.find("table", class_="reserve"), "%s: no reserve table" % name)
        failures += ["%s: %s" % (name, f) for f in check_against(dom, against(text, "job.toml"), tally)]
        faults += check_layout(chromium, page, text, name)
        print("%s: runs from its link (%d characters), results shown, %s"
              % (name, len(url(page, text)), echoed and echoed[0][2][:90]))

    b = devtools.Browser(chromium, [f for f in FLAGS if not f.startswith(("--enable-logging", "--v="))],
                         url(page, thousand_ply_job()))
    try:
        b.attach()
        b.wait("document.body.getAttribute('data-runs') === '1'", seconds=60)
        js = """
          const $ = (id) => document.getElementById(id);
          const at = (p) => document.querySelector('[data-path="' + p + '"]');
          const type = (p, v) => { const e = at(p); e.value = v;
                                   e.dispatchEvent(new Event('input', {bubbles: true})); };
          const msg = (p) => document.querySelector('.msg[data-for="' + p + '"]').textContent;
          const rows = () => document.querySelectorAll('#plies tr').length;
          const timed = (f) => { const t0 = performance.now(); f(); return performance.now() - t0; };
        """
        b.eval(js.replace("const ", "var ").replace("\n", " "))
        expect(b.eval("rows()") == 13 and "1000 plies" in b.eval("$('ply-summary').textContent"),
               "1000 plies collapsed to 12 rows and a count: %r rows, %r"
               % (b.eval("rows()"), b.eval("$('ply-summary').textContent")))
        typed_collapsed = b.eval("timed(() => type('plies.0.angle', '30'))")
        shown = b.eval("timed(() => $('show-plies').click())")
        expect(b.eval("rows()") == 1001, "show all: %r rows" % b.eval("rows()"))
        typed_all = b.eval("timed(() => type('plies.999.thickness', '-1'))")
        expect(b.eval("msg('plies.999.thickness')") == "must be greater than 0" and b.eval("$('run').disabled"),
               "a wrong thickness in the last of 1000 rows is marked")
        layout = json.loads(b.eval(LAYOUT))
        faults += ["1000 rows shown: %s" % f for f in layout]
        b.eval("$('show-plies').click()")
        expect(b.eval("rows()") == 13 and "ply 1000 thickness: must be greater than 0" in b.eval("msg('plies')"),
               "collapsed again, the hidden row's mistake at the table: %r" % b.eval("msg('plies')"))
        b.eval("type('plies.0.angle', '0')")
        print("1000 ply rows: a key typed checks the form in %.0f ms collapsed, %.0f ms with every row "
              "shown; show all renders 1000 rows in %.0f ms" % (typed_collapsed, typed_all, shown))
        if b.messages():
            failures.append("1000 rows: console %r" % b.messages())
    finally:
        b.close()

    # A layup typed into the form of the test's job.
    b = devtools.Browser(chromium, [f for f in FLAGS if not f.startswith(("--enable-logging", "--v="))],
                         url(page, JOB))
    try:
        b.attach()
        b.wait("document.body.getAttribute('data-runs') === '1'", seconds=60)
        b.eval(js.replace("const ", "var ").replace("\n", " "))
        b.eval("$('stack-layup').click()")
        expect(b.eval("at('laminate.layup').value") == '[0/45/-45/90]',
               "a layup from the ply rows: %r" % b.eval("at('laminate.layup').value"))
        b.eval("type('laminate.layup', '[0/45')")
        expect(b.eval("msg('laminate.layup')").startswith("column ") and b.eval("$('run').disabled"),
               "a mistaken layup marked at its column: %r" % b.eval("msg('laminate.layup')"))
        b.eval("type('laminate.layup', '[0/±45/90]2s')")
        expect(b.eval("msg('laminate.layup')") == "" and
               b.eval("$('layup-stack').textContent").startswith("16 plies"),
               "the corrected layup's stack: %r" % b.eval("$('layup-stack').textContent"))
        b.eval("$('thickness-mode').value = 'per material'; "
               "$('thickness-mode').dispatchEvent(new Event('change', {bubbles: true}))")
        b.eval("type('laminate.ply_thickness.0', '0.15')")
        b.eval("$('run').click()")
        b.wait("document.body.getAttribute('data-runs') === '2'")
        expect(b.eval("$('stack-as-run').getAttribute('data-plies')") == "16", "the layup ran")
        expect("ply_thickness = { carbon = 0.15, \"glass fabric\" = 0.2 }" in b.eval("$('job-text').textContent"),
               "the job as run has a table of thicknesses: %r" % b.eval("$('job-text').textContent")[:600])
        b.eval("$('stack-plies').click()")
        expect(b.eval("rows()") == 16 and b.eval("at('plies.1.angle').value") == "45" and
               b.eval("at('plies.0.thickness').value") == "0.15",
               "ply rows from the layup: %r rows" % b.eval("rows()"))
        b.eval("$('show-stack').click()")
        expect(b.eval("document.querySelectorAll('#stack-table tr').length") == 17,
               "the plies as run in a table: %r rows" % b.eval("document.querySelectorAll('#stack-table tr').length"))
        faults += ["typed layup: %s" % f for f in json.loads(b.eval(LAYOUT))]
        if b.messages():
            failures.append("typed layup: console %r" % b.messages())
    finally:
        b.close()

    # The working storage is the module's to bound: its message shows at the grid.
    huge = JOB.replace("angle_step = 15", "angle_step = 0.01").replace("angle_high = 180", "angle_high = 360") \
              .replace("steps = 3", "steps = 1000").replace("distance_step = 1.27", "distance_step = 0.001")
    dom = load(chromium, page, huge, work, runs="1")
    grid = [e[2] for e in dom.find(class_="msg error", data_for="grid")]
    expect(dom.find(id="results")[0][1].get("data-status") == "2" and grid and "working storage" in grid[0],
           "a grid beyond the working storage: %r" % grid)
    # A job with a materials file is refused at load, not run.
    with open(os.path.join(EXAMPLES, "layup-library.toml"), encoding="utf-8") as f:
        dom = load(chromium, page, f.read(), work)
    status = dom.find(id="load-status")[0][2]
    expect('copy the materials of "library/materials.toml" into [materials]' in status and
           not dom.find(id="results")[0][1].get("data-status"), "materials file: %r" % status)
    print("grid beyond the working storage: %r; materials file: %r" % (grid and grid[0][:80], status))
    print("layups and long stacks: %d numbers the command line's" % tally[0])
    return failures, faults


JOINT_EXAMPLE = os.path.join(EXAMPLES, "joint-single-shear.toml")


def joint(chromium, page, work, program):
    """The joint form with the module: the joint example from its link runs on load, and its
    summary (every row's load and share, every hole's bearing, bypass and factors, the critical
    hole, criterion and margin, the critical hole's laminate and reserve factors) is the command
    line's within agreement.py's tolerance; the form switched from a hole to a joint, its shear to
    double (three plates), a mistake marked at its field and the example run from its button.
    Returns the failures and the layout's faults."""
    failures, tally = [], [0]

    def expect(ok, what):
        if not ok:
            failures.append(what)

    def number(what, got, want):
        if want is None:
            expect(got in (None, ""), "%s: %r in the page, none on the command line" % (what, got))
        elif got is None or not agrees(float(got), want):
            failures.append("%s: %r in the page, %r on the command line" % (what, got, want))
        else:
            tally[0] += 1

    with open(JOINT_EXAMPLE, encoding="utf-8") as f:
        text = f.read()
    expected = json.loads(subprocess.run([program, "run", JOINT_EXAMPLE, "--format", "json"], check=True,
                                         capture_output=True, text=True).stdout)
    dom = load(chromium, page, text, work, runs="1")
    expect(dom.find(id="results")[0][1].get("data-status") == "0",
           "joint example: status %r, %r" % (dom.find(id="results")[0][1].get("data-status"),
                                             [e[2] for e in dom.find("li")]))
    j = expected["joint"]
    cell = lambda tr, **a: next((e for e in dom.elements[dom.elements.index(tr):]
                                 if e[0] == "td" and all(e[1].get(k.replace("_", "-")) == v
                                                         for k, v in a.items())), None)
    for row in j["rows"]:
        tr = dom.find("tr", data_row=str(row["row"]))
        if not tr:
            failures.append("row %d not shown" % row["row"])
            continue
        for k in ("load", "fastener_load", "share", "flexibility"):
            c = cell(tr[0], data_key=k)
            number("row %d %s" % (row["row"], k), c and c[1].get("data-value"), row[k])
    for hole in j["holes"]:
        tr = dom.find("tr", data_hole=hole["hole"])
        if not tr:
            failures.append("hole %s not shown" % hole["hole"])
            continue
        for k in ("bearing", "bypass", "margin_of_safety"):
            c = cell(tr[0], data_key=k)
            number("hole %s %s" % (hole["hole"], k), c and c[1].get("data-value"), hole[k])
        for c, want in hole["criteria"].items():
            got = cell(tr[0], data_criterion=c)
            number("hole %s %s" % (hole["hole"], c), got and got[1].get("data-value"), want["factor"])
    critical = dom.find("p", id="joint-critical")
    want = j["critical"]
    expect(critical and critical[0][1].get("data-hole") == want["hole"] and
           critical[0][1].get("data-criterion") == want["criterion"],
           "critical hole %r, the command line's %s, %s" % (critical and critical[0][1], want["hole"],
                                                            want["criterion"]))
    if critical:
        number("critical factor", critical[0][1].get("data-value"), want["factor"])
        number("critical margin", critical[0][1].get("data-margin"), want["margin_of_safety"])
        expect(("%.3f" % want["margin_of_safety"]) in critical[0][2], "critical line %r" % critical[0][2])
    marked = [e[1].get("data-hole") for e in dom.find("tr", class_="critical")]
    expect(marked == [want["hole"]], "holes marked critical: %r" % marked)
    # The critical hole as a hole of its own: its laminate and reserve factors.
    failures += ["critical hole: %s" % f for f in check_against(dom, expected["critical_hole"], tally)]
    figures = dom.find(id="pictures")[0][1].get("data-figures", "0")
    expect(int(figures) > 1, "joint pictures: %s figures" % figures)
    # The job the page ran is the example file, key for key: no grid, distance, criterion or hole
    # model of its own (nor a hole job's left in the form's fields).
    with open(JOINT_EXAMPLE, "rb") as f:
        example = tomllib.load(f)
    ran = dom.find(id="job-text")[0][2]
    expect(tomllib.loads(ran) == example, "the job as run from the link is not the example file:\n" + ran)
    faults = check_layout(chromium, page, text, "joint example")
    print("joint example: runs from its link; %d numbers of its summary the command line's; critical %s "
          "by %s, margin %.3f; %s figures" % (tally[0], want["hole"], want["criterion"],
                                              want["margin_of_safety"], figures))

    # The form: from a hole to a joint, double shear, a mistake, the example's button.
    b = devtools.Browser(chromium, [f for f in FLAGS if not f.startswith(("--enable-logging", "--v="))],
                         "file://" + os.path.abspath(page))
    try:
        b.attach()
        b.wait("document.getElementById('version').textContent !== ''", seconds=60)
        b.eval("""var $ = (id) => document.getElementById(id);
                  var at = (p) => document.querySelector('[data-path="' + p + '"]');
                  var msg = (p) => document.querySelector('.msg[data-for="' + p + '"]').textContent;
                  var type = (p, v) => { const e = at(p); e.value = v;
                                         e.dispatchEvent(new Event('input', {bubbles: true})); };
                  var choose = (p, v) => { const e = at(p); e.value = v;
                                           e.dispatchEvent(new Event('change', {bubbles: true})); }; 1""")
        b.eval("$('kind-joint').click()")
        expect(b.eval("document.querySelectorAll('#joint-plates .plate').length") == 2 and
               b.eval("document.querySelector('fieldset.hole-only').hidden") and
               b.eval("$('form-status').textContent") == "",
               "a joint from the kind's switch: %r plates, form %r"
               % (b.eval("document.querySelectorAll('#joint-plates .plate').length"), b.eval("$('form-status').textContent")))
        b.eval("choose('joint.shear', 'double')")
        expect(b.eval("document.querySelectorAll('#joint-plates .plate').length") == 3 and
               b.eval("at('joint.plates.2.name').value") == "skin-2",
               "double shear: %r plates" % b.eval("document.querySelectorAll('#joint-plates .plate').length"))
        b.eval("type('joint.rows.1.x', '3')")
        expect("overlap" in b.eval("msg('joint.rows.1.x')") and b.eval("$('run').disabled"),
               "overlapping rows marked: %r" % b.eval("msg('joint.rows.1.x')"))
        b.eval("$('kind-hole').click()")
        b.eval("$('kind-joint').click()")
        expect(b.eval("at('joint.rows.1.x').value") == "3", "the joint kept while a hole was shown")
        b.eval("$('reset-joint').click()")
        b.eval("$('run').click()")
        b.wait("document.body.getAttribute('data-runs') === '1'", seconds=60)
        expect(b.eval("$('joint-critical').getAttribute('data-hole')") == want["hole"],
               "the joint example from its button: %r" % b.eval("$('results').innerText.slice(0, 300)"))
        ran = b.eval("$('job-text').textContent")
        expect(tomllib.loads(ran) == example,
               "the job as run from the button after a hole is not the example file:\n" + ran)
        linked = critical[0][1].get("data-value") if critical else None
        expect(b.eval("$('joint-critical').getAttribute('data-value')") == linked,
               "the joint example from its button: factor %r, from its link %r"
               % (b.eval("$('joint-critical').getAttribute('data-value')"), linked))
        if b.messages():
            failures.append("joint form: console %r" % b.messages())
    finally:
        b.close()
    return failures, faults


def json_str(s):
    return '"' + s.replace("\\", "\\\\").replace('"', '\\"') + '"'


def main():
    args = sys.argv[1:]
    png, smoke, against = None, "--smoke" in args, None
    if smoke:
        args.remove("--smoke")
    if "--against" in args:
        i = args.index("--against")
        j = i + 2
        while j < len(args) and args[j].endswith(".toml"):
            j += 1
        against = args[i + 1:j]
        del args[i:j]
        if len(against) < 2:
            raise SystemExit(__doc__)
    shot_file = None
    if "--screenshot" in args:
        i = args.index("--screenshot")
        png = args[i + 1]
        j = i + 3 if i + 2 < len(args) and args[i + 2].endswith(".toml") else i + 2
        shot_file = args[i + 2] if j == i + 3 else None
        del args[i:j]
    if len(args) != 1:
        raise SystemExit(__doc__)
    page = args[0]
    chromium = shutil.which("chromium") or shutil.which("chromium-browser")
    if not chromium:
        if os.environ.get("HOLESTRESS_REQUIRE_BROWSER"):
            raise SystemExit("FAIL: no chromium installed")
        print("SKIP: no chromium installed")
        sys.exit(77)
    if against and not (os.path.isfile(against[0]) and os.access(against[0], os.X_OK)):
        if os.environ.get("HOLESTRESS_REQUIRE_WEB") == "1":
            raise SystemExit("FAIL: %s not found" % against[0])
        print("SKIP: %s not found (the command line to compare with)" % against[0])
        sys.exit(77)
    work = tempfile.mkdtemp(prefix="holestress-web-")
    try:
        if smoke:
            dom = load(chromium, page, JOB, work)
            version = dom.find(id="version")[0][2]
            title = dom.find(id="result-title")
            if not version.startswith("holestress ") or dom.find(id="results")[0][1].get(
                    "data-status") != "0" or not title or title[0][2] != 'two cases, "quoted" title':
                raise SystemExit("FAIL: smoke: version %r, title %r" % (version, title and title[0][2]))
            print("module %s loaded and read the job file, no requests, no console messages"
                  % version.split()[1])
            return
        failures = check_run(load(chromium, page, JOB, work))
        if failures:
            raise SystemExit("FAIL:\n  " + "\n  ".join(failures))
        print("run from the link: reserve tables, tables and pictures as expected, no requests")
        layout = check_layout(chromium, page, JOB, "the test's job")
        layout += check_layout(chromium, page, generated_job(), "a generated job")

        failures = interact(chromium, page, work)
        if failures:
            raise SystemExit("FAIL: using the form:\n  " + "\n  ".join(failures))
        print("form: rows, checks as typed, renamed material, link, downloads, file input work")

        shot_job = JOB
        if against:
            program, job_files = against[0], against[1:]
            failures, more = laminates(chromium, page, work, program)
            if failures:
                raise SystemExit("FAIL: laminates:\n  " + "\n  ".join(failures))
            layout += more
            failures, more = joint(chromium, page, work, program)
            if failures:
                raise SystemExit("FAIL: joint:\n  " + "\n  ".join(failures))
            layout += more
            tally, mismatches = [0], []
            for job_file in job_files:
                with open(job_file, encoding="utf-8") as f:
                    text = f.read()
                expected = json.loads(subprocess.run([program, "run", job_file, "--format", "json"],
                                                     check=True, capture_output=True, text=True).stdout)
                dom = load(chromium, page, text, work, runs="1")
                failures = check_against(dom, expected, tally)
                status = dom.find(id="results")[0][1].get("data-status")
                if status != "0":
                    failures.append("the run ended with status %r: %r" % (
                        status, [e[2] for e in dom.find("li")]))
                # The layout is read whatever the numbers, and both are reported.
                layout += check_layout(chromium, page, text, os.path.basename(job_file))
                if failures:
                    mismatches.append("%s against the command line:\n  %s"
                                      % (job_file, "\n  ".join(failures)))
                    continue
                print("%s: runs from its link; laminate and reserve factors as the command line's"
                      % os.path.basename(job_file))
            if layout:
                mismatches.append("what a reader sees:\n  " + "\n  ".join(layout))
            if mismatches:
                raise SystemExit("FAIL: " + "\n".join(mismatches))
            print("numbers in the DOM: %d, every one the command line's within %g" % (tally[0], TOLERANCE))
            with open(job_files[0], encoding="utf-8") as f:
                shot_job = f.read()
            first, times = time_runs(chromium, page, shot_job)
            load_ms, job_ms, run_ms = first.split()
            page_ms = sorted(t[0] for t in times)
            wall_ms = sorted(t[1] for t in times)
            print("%s in real time: on opening the link, module loaded in %s ms and run in %s ms "
                  "(%s ms to the results in the DOM); Run pressed to the results in the DOM: median "
                  "%.1f ms (%.1f to %.1f) in the page, %.1f ms over DevTools, of %d runs"
                  % (os.path.basename(job_files[0]), load_ms, job_ms, run_ms,
                     page_ms[len(page_ms) // 2], page_ms[0], page_ms[-1],
                     wall_ms[len(wall_ms) // 2], len(times)))
            print("page %s: %d bytes" % (os.path.basename(page), os.path.getsize(page)))

        if layout:
            raise SystemExit("FAIL: what a reader sees:\n  " + "\n  ".join(layout))
        print("layout at %s px: no value missing, nothing cut off, past its box or on other text"
              % ", ".join(map(str, WIDTHS)))

        bad = load(chromium, page, BAD_JOB, work)
        marked = {e[1].get("data-for"): e[2] for e in bad.find(class_="msg error")}
        if "plies.4.thickness" not in marked or "grid.steps" not in marked:
            raise SystemExit("FAIL: out-of-range job: messages %r" % marked)
        if bad.find("table", class_="reserve"):
            raise SystemExit("FAIL: out-of-range job was run")
        print("out-of-range job: not run; messages %r" % marked)

        if png:
            if shot_file:
                with open(shot_file, encoding="utf-8") as f:
                    shot_job = f.read()
            screenshot(chromium, page, shot_job, png)
            print("screenshot", png)
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
