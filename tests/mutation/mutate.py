#!/usr/bin/env python3
"""Mutation testing of the program's own code: each fault below is put into the source, one at a
time, the program and its tests are built, and the fast suite is run. A fault that makes no test
fail has survived. The faults are the kind a tired developer makes: a piece of a superposition
left without its factor, a column of the wrong quantity, a sign, a tie broken the other way, an
off-by-one at a boundary.

    tests/mutation/mutate.py BUILD_DIR [--only SUBSTRING ...]

BUILD_DIR is a configured build tree of this source (it is rebuilt after each fault). Writes the
score and the survivors; exit status 1 when a fault could not be put in (its text has moved).
Takes about a minute per fault on two cores: a tool to run by hand, not part of the suite.
"""
import os
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))

# (file, the text as it stands, the text with the fault, what the fault is)
FAULTS = [
    ("src/analysis/superposition.cpp",
     "add_uniaxial(loads.bypass * k.bypass, loads.bolt_angle, t);",
     "add_uniaxial(loads.bypass, loads.bolt_angle, t);",
     "batch: the bypass piece without its finite-width factor"),
    ("src/analysis/superposition.cpp",
     "add_uniaxial(loads.py * k.py, loads.off_axis + 90.0, t);",
     "add_uniaxial(loads.py * k.px, loads.off_axis + 90.0, t);",
     "batch: py given the factor of px's direction"),
    ("src/analysis/superposition.cpp",
     "return std::memcmp(&b.angle, &loads.bolt_angle, sizeof(double)) == 0;",
     "return std::fabs(b.angle - loads.bolt_angle) < 1e-6;",
     "batch: bolt fields kept by an angle rounded too coarsely"),
    ("src/ply/reserve_formulas-inl.hpp",
     "  const V disc = lin * lin + l.set(4.0) * quad;",
     "  const V disc = lin * lin + l.set(4.0) * l.abs(quad);",
     "reserve: modified Tsai-Wu and Hoffman stop at F = -1 as well"),
    ("src/ply/failure_criteria.cpp",
     "  int component = r[1] > r[0] ? 1 : 0;",
     "  int component = r[1] > r[0] ? 0 : 1;",
     "reserve: fibre and transverse components swapped"),
    ("src/ply/failure_criteria.cpp",
     "      if (f > 0.0 && f < best.factor) {\n        best = {f, j, p, governing_component(",
     "      if (f > 0.0 && f <= best.factor) {\n        best = {f, j, p, governing_component(",
     "reserve: a tie goes to the last point"),
    ("src/analysis/reserve.cpp",
     "r.margin = r.criterion[r.smallest].factor / factor_of_safety - 1.0;",
     "r.margin = r.criterion[r.smallest].factor - 1.0;",
     "margin of safety without the factor of safety"),
    ("src/analysis/reserve_stations.cpp",
     "    b.grid.distance_step = reach * offsets[i];\n    b.grid.steps = 2;",
     "    b.grid.distance_step = reach * offsets[i] / 2;\n    b.grid.steps = 2;",
     "reserve grid one step short"),
    ("src/runner/csv_results.cpp",
     "csv_number(v.hoop_stress), csv_number(v.radial_stress)",
     "csv_number(v.radial_stress), csv_number(v.hoop_stress)",
     "CSV: hoop and radial columns swapped"),
    ('src/runner/json_results.cpp',
     '{"angle", at.angle[f.station]}};',
     '{"angle", at.angle[f.station + 1]}};',
     'JSON: reserve angle of the next station'),
    ("src/runner/json_results.cpp",
     '{"ply", f.ply + 1},',
     '{"ply", f.ply},',
     "JSON: reserve ply counted from 0"),
    ("src/runner/table_results.cpp",
     "        row += fixed(12, 4, f.factor) + right(std::to_string(f.ply + 1), 8) +",
     "        row += fixed(12, 4, f.factor) + right(std::to_string(f.ply), 8) +",
     "tables: reserve ply counted from 0"),
    ("src/runner/load_case_file.cpp",
     "  append_number(out, r.margin);",
     "  append_number(out, at.factor / job.factor_of_safety);",
     "batch rows: the margin of safety written as factor over factor of safety"),
    ("src/runner/load_case_file.cpp",
     "  out += component_name(at.component);",
     "  out += component_name(at.component == 0 ? 1 : at.component);",
     "batch rows: fibre written as transverse"),
    ("src/analysis/worker_pool.cpp",
     "    work(0, 0, n / size_);",
     "    work(0, 0, n / size_ - (n / size_ > 0 ? 1 : 0));",
     "thread pool: the last row of the first share lost"),
    ("src/analysis/finite_width.cpp",
     "  k.pxy_compression = factor(loads.off_axis - 45.0);",
     "  k.pxy_compression = factor(loads.off_axis + 45.0);",
     "Tan: the compression half of the shear given the tension half's factor"),
    ("src/analysis/finite_width.cpp",
     "std::sqrt(2.0 * (std::sqrt(a(2, 2) / a(1, 1)) + a(1, 2) / a(1, 1)) + a(3, 3) / a(1, 1));",
     "std::sqrt(2.0 * (std::sqrt(a(1, 1) / a(2, 2)) + a(1, 2) / a(1, 1)) + a(3, 3) / a(1, 1));",
     "Tan: the orthotropic ratio inverted"),
    ("src/job/layup.cpp",
     "      const std::size_t half = out.size() - (middle_ ? 1 : 0);",
     "      const std::size_t half = out.size();",
     "layup: the middle ply repeated"),
    ("src/job/layup.cpp",
     "      plies.push_back({-pair * angle, material});",
     "      plies.push_back({pair * angle, material});",
     "layup: ±45 gives 45/45"),
    ("src/job/job_reader.cpp",
     "    if (!overridden) materials_.push_back(e);",
     "    materials_.push_back(e);",
     "materials file: a job's material does not override the library's"),
    ("src/job/toml_limits.cpp",
     "      if (++depth > kMaxTomlNesting) {",
     "      if (++depth > 10 * kMaxTomlNesting) {",
     "TOML limits: nesting checked ten times too loosely"),
    ("src/job/job_fields.hpp",
     "if (x != 0.0 && !(std::fabs(x) <= kLargestMagnitude && std::fabs(x) >= kSmallestMagnitude)) {",
     "if (false) {",
     "job reader: numbers beyond the analysis's range accepted"),
    ("src/laminate/membrane_compliance.cpp",
     "    below = above;",
     "    below = z0;",
     "lamination: each ply weighted by its top's height instead of its thickness"),
    ("src/ply/failure_criteria.cpp",
     "  return c.f1 * s1 + c.f2 * s2 + c.f11 * s1 * s1 + c.f22 * s2 * s2 -\n         s1 * s2 / (allow.T1 * allow.C1) + c.f66 * s12 * s12;",
     "  return c.f1 * s1 + c.f2 * s2 + c.f11 * s1 * s1 + c.f22 * s2 * s2 +\n         s1 * s2 / (allow.T1 * allow.C1) + c.f66 * s12 * s12;",
     "Hoffman: the interaction term's sign"),
    ("src/ply/reserve_formulas-inl.hpp",
     "  return l.select(l.lt(l.abs(s1 + s2 + s12), l.set(kReserveNone)), factor,\n                  l.set(kReserveUndefined));",
     "  return factor;",
     "reserve: a field that is not finite read as never failing"),
    ("src/runner/convert.cpp",
     "    job.stress_unit = units_.stress;",
     "",
     "convert: the stress unit asked for not written"),
    ("src/runner/json_results.cpp",
     "    if (!job.material_sources[m].empty()) mat[\"source\"] = job.material_sources[m];",
     "",
     "JSON: the source of a library material not named"),
    ("src/io/output_file.cpp",
     "  if (std::rename(temporary.c_str(), path.c_str()) != 0) {",
     "  if (std::rename(temporary.c_str(), (path + \".new\").c_str()) != 0) {",
     "output files: renamed to the wrong name"),
    ("src/runner/csv_results.cpp",
     "    if (!kept && std::filesystem::exists(stale, ec)) {",
     "    if (false) {",
     "CSV: a stale file of an earlier job kept"),
    ("src/hole/hole_field.cpp",
     "    open_hole_field(g, loads.bypass * k.bypass, a, loads.bolt_angle, disp, cache.open, st, ut, vt);",
     "    open_hole_field(g, loads.bypass * k.px, a, loads.bolt_angle, disp, cache.open, st, ut, vt);",
     "field: the bypass given px's finite-width factor"),
    ("src/job/toml_text.cpp",
     "                               : double_to_chars(buf, buf + sizeof buf, x);",
     "                               : std::to_chars(buf, buf + sizeof buf, x, std::chars_format::general, 15);",
     "job writer: numbers with 15 significant digits"),
    ("src/analysis/superposition.cpp",
     "                        ? scratch.bolts[slot].values[kind * 3 + j].data() + first",
     "                        ? scratch.bolts[slot].values[kind * 3 + j].data()",
     "batch: every characteristic distance given the bolt field of the first"),
    ("src/analysis/superposition.cpp",
     "      for (std::size_t n = 0; n < half; ++n) w[n] = b * fb[n] + s * fs[n];",
     "      for (std::size_t n = 0; n < half; ++n) w[n] = b * fb[n] + s * fb[n];",
     "strip batch: the bypass given the bearing's unit field"),
    ("src/model/assessment.hpp",
     "std::fabs(std::cos(radians(angle - axis)))",
     "std::fabs(std::sin(radians(angle - axis)))",
     "characteristic curve: tension and compression distances swapped round the hole"),
    ("src/analysis/load_case.cpp",
     "  within_a_turn.bolt_angle = reduce_degrees(loads.bolt_angle);",
     "  within_a_turn.bolt_angle = loads.bolt_angle;",
     "job load case: bolt angles of many turns taken as they are"),
    ("src/runner/load_case_file.cpp",
     "    for (std::size_t i = from; i < to; ++i) {\n      std::string_view name;",
     "    for (std::size_t i = from; i + 1 < to; ++i) {\n      std::string_view name;",
     "batch: the last row of each block of a chunk not read"),
    ("src/plot/reserve_figures.cpp",
     "    const double yl = base + kLine * static_cast<double>(c + 1);",
     "    const double yl = base + kLine * static_cast<double>(r.reserve.size() - c);",
     "pictures: the reserve chart's legend in reverse order"),
    ("src/plot/job_pictures.cpp",
     "            if (std::fabs(fv[i]) > std::fabs(governing)) governing = fv[i];",
     "            if (std::fabs(fv[i]) > std::fabs(governing)) governing = std::fabs(fv[i]);",
     "pictures: failure numbers drawn without their sign"),
    ("src/python/module.cpp",
     "    py::gil_scoped_release unlocked;\n    const auto batch",
     "    const auto batch",
     "Python: the interpreter lock held while the threads work"),
    ("src/python/module.cpp",
     "              margin_out[i] = any ? r.margin : none;",
     "              margin_out[i] = any ? at.factor - 1.0 : none;",
     "Python: the margin of safety without the factor of safety"),
]

TESTS_EXCLUDED = "web|validation|configure|install|python|plot.browser|bench"


def run(cmd, **kw):
    return subprocess.run(cmd, cwd=ROOT, capture_output=True, text=True, **kw)


def main():
    if len(sys.argv) < 2:
        raise SystemExit(__doc__)
    build = sys.argv[1]
    # --only SUBSTRING, repeated: the faults whose description holds any of them.
    only = [sys.argv[i + 1] for i, a in enumerate(sys.argv[:-1]) if a == "--only"]
    faults = [f for f in FAULTS if not only or any(o in f[3] for o in only)]
    killed, survived, broken = [], [], []
    for path, before, after, what in faults:
        file = os.path.join(ROOT, path)
        with open(file) as f:
            text = f.read()
        if text.count(before) != 1:
            broken.append(what)
            print("MOVED    %s (%s)" % (what, path), flush=True)
            continue
        start = time.time()
        try:
            with open(file, "w") as f:
                f.write(text.replace(before, after))
            python = path.startswith("src/python/")
            b = run(["cmake", "--build", build, "-j2", "--target", "holestress",
                     "holestress_tests", "holestress-plot"] + (["holestress_python"] if python else []))
            if b.returncode != 0:
                killed.append(what)
                print("KILLED   %s (does not build)" % what, flush=True)
                continue
            # A fault in the Python module is for the module's tests; every other for the fast suite.
            select = ["-R", "python"] if python else ["-E", TESTS_EXCLUDED]
            t = run(["ctest", "--test-dir", build, "-j2", "--timeout", "300"] + select)
            failed = [line.split(" - ")[1].split(" (")[0] for line in t.stdout.splitlines()
                      if " - " in line and "(Failed" in line or "(SEGFAULT" in line]
            if t.returncode != 0:
                killed.append(what)
                print("KILLED   %s (%d tests, e.g. %s) %.0f s"
                      % (what, len(failed), ", ".join(failed[:3]), time.time() - start), flush=True)
            else:
                survived.append(what)
                print("SURVIVED %s %.0f s" % (what, time.time() - start), flush=True)
        finally:
            with open(file, "w") as f:
                f.write(text)
    run(["cmake", "--build", build, "-j2", "--target", "holestress", "holestress_tests",
         "holestress-plot", "holestress_python"])
    total = len(killed) + len(survived)
    print("score: %d of %d faults killed (%.0f%%)" % (len(killed), total,
                                                      100.0 * len(killed) / max(total, 1)))
    for what in survived:
        print("  survived: " + what)
    return 1 if broken else 0


if __name__ == "__main__":
    sys.exit(main())
