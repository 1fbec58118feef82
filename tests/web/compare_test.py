#!/usr/bin/env python3
"""The page's numbers against the command line's: job files through the page's module (run by
node) and through `holestress run`.

    compare_test.py MODULE_JS HOLESTRESS [--random N] JOB.toml...

The two builds compile the same core over different C and C++ libraries, whose elementary and
complex functions differ in the last bits: every JSON number must agree with the command line's
within the tolerance agreement.py derives (1e-7 of the largest value of its table), the tables and
CSV files of the bundled examples must be the same characters, and those of generated jobs the
same but for a last printed digit.

--random N adds N generated jobs (a fixed seed, so the same jobs every run): random laminates of
one to three materials, quasi-isotropic and nearly isotropic ones among them (two nearly equal
characteristic roots magnify an ulp of any function into the results), off-axis and shear loads,
bolts at any angle with bypass, finite width with and without Tan's correction, every criterion
and every table.

Jobs with a file of load cases are left out (the page does not run them) after checking that the
module refuses them with a message. So are jobs that take their materials from a file beside them
(materials_file): the page reads one file, and the module must refuse them without looking for
the other; each is then compared with that file's materials copied into it, as the refusal asks.
A material library given among the jobs (a file without [hole]) is not a job and is passed over.
For each layup of a job, the module's expandLayup must give the plies the command line ran. A joint
job is compared as any job: its JSON (the joint's rows, holes and critical hole, the critical hole's
laminate and reserve factors, the laminates' plies), its tables and CSV files.
Exit 77 (skipped) when node or the program is missing, unless HOLESTRESS_REQUIRE_WEB=1.
"""
import json
import math
import os
import random
import re
import shutil
import subprocess
import sys
import tempfile
import tomllib

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)

from agreement import TOLERANCE, Tally, compare_csv, compare_json, compare_text  # noqa: E402


def random_job(rng, index):
    """One job file's text: a random but valid analysis that exercises the whole core."""
    materials = []
    for m in range(rng.choice([1, 1, 2, 3])):
        if rng.random() < 0.2:  # isotropic: an exact double root
            e = rng.uniform(5e6, 3e7)
            nu = rng.uniform(0.2, 0.35)
            materials.append((e, e, e / (2 * (1 + nu)), nu))
        else:
            e1 = rng.uniform(5e6, 4e7)
            materials.append((e1, e1 / rng.uniform(1.5, 25), e1 / rng.uniform(10, 60),
                              rng.uniform(0.1, 0.4)))
    lines = ['title = "generated job %d"' % index, "", "[units]", 'stress = "psi"',
             'length = "in"', ""]
    for m, (e1, e2, g12, nu) in enumerate(materials):
        t1 = rng.uniform(5e4, 3e5)
        lines += ["[materials.m%d]" % m, "E1 = %r" % e1, "E2 = %r" % e2, "G12 = %r" % g12,
                  "nu12 = %r" % nu, "T1 = %r" % t1, "C1 = %r" % (t1 * rng.uniform(0.5, 1.2)),
                  "T2 = %r" % rng.uniform(4e3, 1.5e4), "C2 = %r" % rng.uniform(1.5e4, 4e4),
                  "S12 = %r" % rng.uniform(8e3, 2e4), ""]
    quasi_isotropic = rng.random() < 0.3
    angles = ([0, 45, -45, 90] if quasi_isotropic else
              [rng.choice([0, 15, 30, 45, -45, 60, 90, rng.uniform(-90, 90)])
               for _ in range(rng.randint(1, 8))])
    thickness = rng.uniform(0.004, 0.02)
    for a in angles:
        lines += ["[[plies]]", "angle = %r" % a,
                  "thickness = %r" % (thickness if quasi_isotropic
                                      else rng.uniform(0.004, 0.02)),
                  'material = "m%d"' % rng.randrange(len(materials)), ""]
    diameter = rng.uniform(0.1, 0.5)
    bolted = rng.random() < 0.5
    lines += ["[hole]", "diameter = %r" % diameter]
    if rng.random() < 0.5:
        lines.append("width = %r" % (diameter * rng.uniform(2.5, 10)))
        if rng.random() < 0.5:
            lines.append('finite_width_correction = "tan"')
    step = rng.choice([5, 10, 15, 22.5, 30, 45])
    low = rng.choice([0, 0, -90, rng.uniform(-180, 180)])
    stations = rng.randint(1, min(37, int(360 / step)))
    lines += ["", "[grid]", "angle_step = %r" % step, "angle_low = %r" % low,
              "angle_high = %r" % (low + step * (stations - 1)),
              "distance_step = %r" % (diameter * rng.uniform(0.05, 0.4)),
              "steps = %d" % rng.randint(1, 7), ""]
    for c in range(rng.randint(1, 3)):
        lines += ["[[load_cases]]", 'name = "case %d"' % c]
        for key in ("px", "py", "pxy"):
            if rng.random() < 0.6:
                lines.append("%s = %r" % (key, rng.uniform(-3e4, 3e4)))
        if rng.random() < 0.4:
            lines.append("off_axis = %r" % rng.uniform(-90, 90))
        if bolted:
            lines += ["bearing = %r" % rng.uniform(1e4, 6e4),
                      "bolt_angle = %r" % rng.choice([0, 90, 180, rng.uniform(-180, 180)])]
        lines.append("")
    criteria = rng.sample(["max-strain", "max-stress", "tsai-hill", "tsai-wu", "hoffman"],
                          rng.randint(1, 5))
    lines += ["[failure]", "criteria = %s" % json.dumps(criteria),
              "factor_of_safety = %r" % rng.choice([1.0, 1.5]), ""]
    tables = ["properties", "stresses", "strains", "polar", "displacements", "ply-strains",
              "ply-stresses", "failure", "reserve"]
    lines += ["[results]", "tables = %s" % json.dumps(rng.sample(tables, rng.randint(4, 9))), ""]
    return "\n".join(lines)


def is_joint(text):
    """A joint job ([joint]): it has no [hole] either, and is compared as any job."""
    return re.search(r"^\s*\[joint\]", text, re.M) is not None


def is_library(text):
    """A file of materials for materials_file, not a job: it has no [hole]."""
    return re.search(r"^\s*\[hole\]", text, re.M) is None


def materials_file_of(text):
    m = re.search(r'^\s*materials_file\s*=\s*"([^"]*)"', text, re.M)
    return m.group(1) if m else None


def with_materials_copied(job, text):
    """The job's text with its materials_file line taken out and the materials of that file that
    the job does not define itself added as [materials.NAME] tables."""
    with open(os.path.join(os.path.dirname(job), materials_file_of(text)), "rb") as f:
        library = tomllib.load(f)["materials"]
    own = tomllib.loads(text).get("materials", {})
    lines = [re.sub(r"^\s*materials_file\s*=.*$", "", text, count=1, flags=re.M)]
    for name, values in library.items():
        if name in own:
            continue
        lines.append("[materials.%s]" % json.dumps(name))
        lines += ["%s = %r" % (k, float(v)) for k, v in values.items()]
    return "\n".join(lines) + "\n"


def ran_plies(inputs, layup):
    """The plies the command line ran for a layup: the job's own (inputs.plies) for a hole, the
    laminate of that layup (inputs.laminates.NAME.plies) for a joint; None when none has it."""
    if "plies" in inputs:
        return inputs["plies"]
    return next((lam["plies"] for lam in inputs.get("laminates", {}).values()
                 if lam.get("layup") == layup), None)


def main():
    args = sys.argv[1:]
    generated = 0
    if "--random" in args:
        i = args.index("--random")
        generated = int(args[i + 1])
        del args[i:i + 2]
    if len(args) < 2:
        raise SystemExit(__doc__)
    module_js, holestress, jobs = args[0], args[1], args[2:]
    node = shutil.which("node")
    missing = ("node" if not node else
               holestress if not (os.path.isfile(holestress) and os.access(holestress, os.X_OK))
               else module_js if not os.path.isfile(module_js) else None)
    if missing:
        print("%s not found: skipped" % missing)
        return 1 if os.environ.get("HOLESTRESS_REQUIRE_WEB") == "1" else 77
    with tempfile.TemporaryDirectory() as work:
        for job in list(jobs):
            with open(job, encoding="utf-8") as f:
                text = f.read()
            if (is_joint(text) or not is_library(text)) and materials_file_of(text):
                path = os.path.join(work, os.path.basename(job)[:-5] + "-materials-copied.toml")
                with open(path, "w", encoding="utf-8") as f:
                    f.write(with_materials_copied(job, text))
                jobs.append(path)
        rng = random.Random(20261207)
        for k in range(generated):
            path = os.path.join(work, "generated-%03d.toml" % k)
            with open(path, "w", encoding="utf-8") as f:
                f.write(random_job(rng, k))
            jobs.append(path)
        return compare(node, module_js, holestress, jobs)


def compare(node, module_js, holestress, jobs):
    answers = json.loads(subprocess.run(
        [node, os.path.join(HERE, "run_module.js"), module_js] + jobs,
        check=True, capture_output=True, text=True).stdout)
    failures = 0
    total_numbers = 0
    print("rule: every number within %g of the largest of its table (agreement.py); the tables and "
          "CSV files of the bundled examples the same characters" % TOLERANCE)
    worst = 0.0
    identical = 0
    ties = 0
    for answer in answers:
        job, response = answer["file"], json.loads(answer["response"])
        name = os.path.basename(job)
        with open(job, encoding="utf-8") as f:
            text = f.read()
        if is_library(text) and not is_joint(text):
            print("--   %s: a material library, not a job" % name)
            continue
        if materials_file_of(text):
            want = "materials_file: the page reads a single job file: copy the materials of \"%s\" into [materials]" % materials_file_of(text)
            if response["status"] != 2 or want not in response["errors"]:
                print("FAIL %s: a job with a materials file was not refused as it should be: %r"
                      % (name, response["errors"]))
                failures += 1
            else:
                print("ok   %s: refused by the page (a materials file), as it should be" % name)
            continue
        batch = re.search(r"^\s*load_cases_file\s*=", text, re.M) is not None
        if batch:
            if response["status"] != 2 or "load_cases_file" not in response["errors"]:
                print("FAIL %s: a job with a file of load cases was not refused: %r"
                      % (name, response["errors"]))
                failures += 1
            else:
                print("ok   %s: refused by the page (a file of load cases), as it should be" % name)
            continue
        run = subprocess.run([holestress, "run", job, "--format", "json"], capture_output=True,
                             text=True)
        if response["status"] != run.returncode:
            print("FAIL %s: status %d in the page, %d on the command line:\n%s%s"
                  % (name, response["status"], run.returncode, response["errors"], run.stderr))
            failures += 1
            continue
        if response["status"] != 0:
            print("FAIL %s: refused by both:\n%s" % (name, response["errors"]))
            failures += 1
            continue
        tally = Tally()
        compare_json(response["results"], json.loads(run.stdout), "results", tally)
        tables = subprocess.run([holestress, "run", job, "--format", "table"], check=True,
                                capture_output=True).stdout.decode("utf-8")
        compare_text(response["tables"], tables, "tables", tally, False)
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
                compare_csv(response["csv"][n], files[n], n, tally)
        if "<svg" not in response["pictures"]:
            tally.other("no pictures")
        inputs = json.loads(run.stdout)["inputs"]
        for layup in answer.get("layups", []):
            expanded, ran = layup["plies"], ran_plies(inputs, layup["layup"])
            if ran is None:
                tally.other("expandLayup: the command line ran no laminate of the layup %r" % layup["layup"])
            elif expanded.get("angles") != [p["angle"] for p in ran] or any(
                    m and m != p["material"] for m, p in zip(expanded.get("materials", []), ran)):
                tally.other("expandLayup: %r, the command line ran %d plies"
                            % (str(expanded)[:200], len(ran)))
        if is_joint(text):
            joint = json.loads(run.stdout)["joint"]
            what = " (joint: %d rows, %d holes, critical %s)" % (
                len(joint["rows"]), len(joint["holes"]), joint["critical"]["hole"])
        else:
            what = ""
        total_numbers += tally.numbers
        identical += tally.identical
        ties += tally.ties
        worst = max(worst, tally.worst)
        if tally.differences:
            failures += 1
            print("FAIL %s: %d numbers, %d differences:\n  %s"
                  % (name, tally.numbers, len(tally.differences),
                     "\n  ".join(tally.differences[:40])))
        else:
            print("ok   %s: %d numbers (%d bit-identical, the largest difference %.2g of its "
                  "table), tables and %d CSV files agree%s; %.1f ms in node"
                  % (name, tally.numbers, tally.identical, tally.worst, len(files), what, answer["ms"]))
    print("all: %d jobs, %d numbers, %d bit-identical, the largest difference %.2g of its table; "
          "%d reserve factors reached first at another place of the same factor; %d jobs differ"
          % (len(answers), total_numbers, identical, worst, ties, failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
