#include "job/job_reader.hpp"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "job/job.hpp"
#include "job/job_writer.hpp"
#include "same_job.hpp"

namespace hs {
namespace {

// A small job that reads cleanly; the broken files below are edits of it. Line numbers:
//  1 [materials.c]  2 E1  3 E2  4 G12  5 nu12  6 [[plies]]  7 angle  8 thickness  9 [hole]
// 10 diameter  11 [grid]  12 angle_step  13 angle_high  14 distance_step  15 [[load_cases]]  16 px
const char* const kMinimal = R"([materials.c]
E1 = 20e6
E2 = 1.4e6
G12 = 0.7e6
nu12 = 0.3
[[plies]]
angle = 0
thickness = 0.005
[hole]
diameter = 0.25
[grid]
angle_step = 15
angle_high = 90
distance_step = 0.05
[[load_cases]]
px = 1
)";

std::string edit(std::string text, const std::string& from, const std::string& to) {
  std::size_t at = text.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  if (at != std::string::npos) text.replace(at, from.size(), to);
  return text;
}

struct Expected {
  int line, column;
  std::string key;
  std::string message;  // the whole message, or its start when it ends in "..."
};

void expect_errors(const std::string& text, const std::vector<Expected>& expected,
                   const std::string& label) {
  Job job;
  std::vector<JobError> errors;
  EXPECT_FALSE(read_job(text, "job.toml", job, errors)) << label;
  std::string all;
  for (const JobError& e : errors) all += "\n  " + to_string(e);
  ASSERT_EQ(errors.size(), expected.size()) << label << all;
  for (std::size_t i = 0; i < expected.size(); ++i) {
    const Expected& x = expected[i];
    const JobError& e = errors[i];
    EXPECT_EQ(e.file, "job.toml");
    EXPECT_EQ(e.line, x.line) << label << all;
    EXPECT_EQ(e.column, x.column) << label << all;
    EXPECT_EQ(e.key, x.key) << label << all;
    if (x.message.size() > 3 && x.message.ends_with("...")) {
      EXPECT_TRUE(e.message.starts_with(x.message.substr(0, x.message.size() - 3))) << label << all;
    } else {
      EXPECT_EQ(e.message, x.message) << label << all;
    }
  }
}

TEST(JobReader, MinimalJobTakesTheDefaults) {
  Job job;
  std::vector<JobError> errors;
  ASSERT_TRUE(read_job(kMinimal, "job.toml", job, errors));
  EXPECT_TRUE(errors.empty());
  EXPECT_EQ(job.stress_unit, "psi");
  EXPECT_EQ(job.length_unit, "in");
  EXPECT_EQ(job.materials.count, 1);
  EXPECT_EQ(job.plies.material[0], 0);
  EXPECT_EQ(job.grid.angle_low, 0.0);
  EXPECT_EQ(job.grid.steps, 1);
  ASSERT_EQ(job.load_cases.size(), 1u);
  EXPECT_EQ(job.load_cases[0].name, "LC1");
  EXPECT_EQ(job.load_cases[0].loads.px, 1.0);  // an integer where a real is expected
  EXPECT_EQ(job.plate.width, 0.0);
  EXPECT_EQ(job.distances[0].tension, 0.05);
  EXPECT_TRUE(job.criteria.empty());
  EXPECT_TRUE(job.wants(ResultKind::kProperties) && job.wants(ResultKind::kStresses));
  EXPECT_FALSE(job.wants(ResultKind::kReserve));
}

TEST(JobReader, NonAsciiAfterALineContinuation) {
  // A line-ending backslash in a multi-line string skips the white space that follows; toml++ 3.3
  // tested the first non-ASCII character after it with undefined behaviour.
  Job job;
  std::vector<JobError> errors;
  ASSERT_TRUE(read_job("title = \"\"\"\\\n  \xc2\xa7 1\"\"\"\n" + std::string(kMinimal), "job.toml",
                       job, errors));
  EXPECT_EQ(job.title, "\xc2\xa7 1");
}

TEST(JobReader, EachMistakeWithItsPlace) {
  struct Case {
    std::string label, from, to;
    std::vector<Expected> errors;
  };
  const std::string missing = "missing required key";
  const std::vector<Case> cases = {
      {"syntax", "px = 1", "px = = 1", {{16, 6, "", "error while parsing value..."}}},
      // toml++ 3.3 ran into undefined behaviour on these non-ASCII characters outside strings.
      {"non-ASCII letter in a key",
       "px = 1",
       "p\xc9\x96x = 1",
       {{16, 2, "", "error while parsing key-value pair: expected '=', saw '\xc9\x96'"}}},
      {"non-ASCII space",
       "px = 1",
       "px =\xc2\xa0"
       "1",
       {{16, 5, "", "error while parsing..."}}},
      {"redefined table", "[grid]", "[hole]", {{11, 1, "", "error while parsing table header..."}}},
      {"unknown key", "[hole]", "[hole]\ndepth = 3", {{10, 1, "hole.depth", "unknown key"}}},
      {"unknown top-level table",
       "[hole]",
       "[holes]\nx = 1\n[hole]",
       {{9, 2, "holes", "unknown key"}}},
      {"missing key: at its table", "E1 = 20e6\n", "", {{1, 1, "materials.c.E1", missing}}},
      {"missing table: at the top", "[hole]\ndiameter = 0.25\n", "", {{1, 1, "hole", missing}}},
      {"string for a number",
       "E2 = 1.4e6",
       "E2 = \"1.4e6\"",
       {{3, 6, "materials.c.E2", "expected a number, found a string"}}},
      {"boolean for a number",
       "angle = 0",
       "angle = true",
       {{7, 9, "plies[1].angle", "expected a number, found a boolean"}}},
      {"table expected",
       "[materials.c]",
       "units = 5\n[materials.c]",
       {{1, 9, "units", "expected a table, found an integer"}}},
      {"zero thickness",
       "thickness = 0.005",
       "thickness = 0",
       {{8, 13, "plies[1].thickness", "must be greater than 0"}}},
      {"negative diameter",
       "diameter = 0.25",
       "diameter = -0.25",
       {{10, 12, "hole.diameter", "must be greater than 0"}}},
      {"infinite modulus", "E1 = 20e6", "E1 = inf", {{2, 6, "materials.c.E1", "must be finite"}}},
      {"nan Poisson's ratio",
       "nu12 = 0.3",
       "nu12 = nan",
       {{5, 8, "materials.c.nu12", "must be finite"}}},
      {"Poisson's ratio beyond the moduli",
       "nu12 = 0.3",
       "nu12 = 3.78",
       {{5, 8, "materials.c.nu12", "Poisson's ratio beyond what the moduli allow"}}},
      {"unknown material",
       "thickness = 0.005",
       "thickness = 0.005\nmaterial = \"glass\"",
       {{9, 12, "plies[1].material", "unknown material \"glass\" (the materials: \"c\")"}}},
      {"unsupported stress unit",
       "[materials.c]",
       "[units]\nstress = \"bar\"\n[materials.c]",
       {{2, 10, "units.stress", "unsupported stress unit \"bar\" (psi, ksi, Pa, kPa, MPa, GPa)"}}},
      {"unsupported length unit",
       "[materials.c]",
       "[units]\nlength = \"ft\"\n[materials.c]",
       {{2, 10, "units.length", "unsupported length unit \"ft\" (in, mm, m)"}}},
      {"duplicate load case names",
       "px = 1",
       "name = \"A\"\n[[load_cases]]\nname = \"A\"",
       {{18, 8, "load_cases[2].name", "duplicate load case name \"A\" (first at line 16)"}}},
      {"default name taken",
       "px = 1",
       "name = \"LC2\"\n[[load_cases]]",
       {{17, 1, "load_cases[2].name", "duplicate load case name \"LC2\" (first at line 16)"}}},
      {"comma in a name",
       "px = 1",
       "name = \"a,b\"",
       {{16, 8, "load_cases[1].name",
         "must not contain a comma, a line break or a control character"}}},
      {"too many angle intervals",
       "angle_high = 90",
       "angle_high = 1e9",
       {{13, 14, "grid.angle_high",
         "(angle_high - angle_low) / angle_step must be below 10000000 (stations round the "
         "hole)"}}},
      {"angles running backwards",
       "angle_high = 90",
       "angle_high = -15",
       {{13, 14, "grid.angle_high", "(angle_high - angle_low) / angle_step must not be negative"}}},
      {"beyond the working storage",
       "angle_high = 90",
       "angle_high = 140000000",
       {{11, 1, "grid",
         "9333334 stations times 1 distance steps with 1 plies need 2.6 GiB of working storage, "
         "more than the limit of 2 GiB: use fewer stations, steps or plies"}}},
      {"no angle step",
       "angle_step = 15",
       "angle_step = 0",
       {{12, 14, "grid.angle_step", "must not be 0"}}},
      {"negative distance step",
       "distance_step = 0.05",
       "distance_step = -0.05",
       {{14, 17, "grid.distance_step", "must be 0 or greater"}}},
      {"a modulus beyond the range of the analysis",
       "E1 = 20e6",
       "E1 = 1e308",
       {{2, 6, "materials.c.E1", "must be 0 or of a magnitude from 1e-150 to 1e150"}}},
      {"an allowable that vanishes in a square",
       "E1 = 20e6",
       "E1 = 20e6\nT1 = 1\nC1 = 1\nT2 = 1\nC2 = 1\nS12 = 5e-324",
       {{7, 7, "materials.c.S12", "must be 0 or of a magnitude from 1e-150 to 1e150"}}},
      {"a load of 1e308",
       "px = 1",
       "px = 1e308",
       {{16, 6, "load_cases[1].px", "must be 0 or of a magnitude from 1e-150 to 1e150"}}},
      {"a grid reaching past the far field",
       "distance_step = 0.05",
       "distance_step = 100\nsteps = 4",
       {{14, 17, "grid.distance_step",
         "the last distance step lies more than 1000 hole diameters from the edge"}}},
      {"a distance step past the far field, the failure judged there for want of a distance",
       "distance_step = 0.05",
       "distance_step = 5.05",
       {{14, 17, "grid.distance_step",
         "the characteristic distance, the distance step when [failure] gives none, lies more "
         "than 10 hole diameters from the edge: give failure.distance"}}},
      {"results beyond what a job writes at once",
       "angle_step = 15\nangle_high = 90\ndistance_step = 0.05",
       "angle_step = 0.1\nangle_high = 359\ndistance_step = 0.05\nsteps = 300\n[results]\n"
       "tables = [\"stresses\", \"strains\", \"polar\"]",
       {{1, 1, "load_cases",
         "the results would hold 2.15e+07 numbers (1 load cases of 3591 stations and 300 steps), "
         "more than the 10 million a job writes at once: ask for fewer tables, stations or load "
         "cases; for the reserve factors of many load cases give them in a load_cases_file"}}},
      {"no steps",
       "distance_step = 0.05",
       "distance_step = 0.05\nsteps = 0",
       {{15, 9, "grid.steps", "must be from 1 to 10000000"}}},
      {"real steps",
       "distance_step = 0.05",
       "distance_step = 0.05\nsteps = 2.0",
       {{15, 9, "grid.steps", "expected an integer, found a floating-point number"}}},
      {"width not beyond the diameter",
       "diameter = 0.25",
       "diameter = 0.25\nwidth = 0.25",
       {{11, 9, "hole.width", "must be 0 (infinite plate) or greater than the diameter"}}},
      {"unknown width correction",
       "diameter = 0.25",
       "diameter = 0.25\nfinite_width_correction = \"sec\"",
       {{11, 27, "hole.finite_width_correction",
         "unsupported finite width correction \"sec\" (none, tan)"}}},
      {"width correction on an infinite plate",
       "diameter = 0.25",
       "diameter = 0.25\nfinite_width_correction = \"tan\"",
       {{11, 27, "hole.finite_width_correction", "\"tan\" needs a finite plate..."}}},
      {"reserve without [failure]",
       "px = 1",
       "px = 1\n[results]\ntables = [\"reserve\"]",
       {{18, 11, "results.tables[1]", "\"reserve\" needs a [failure] table"}}},
      {"unknown and duplicate tables",
       "px = 1",
       "px = 1\n[results]\ntables = [\"stresses\", \"polar\", \"stress\", \"polar\"]",
       {{18, 32, "results.tables[3]", "unknown table \"stress\"..."},
        {18, 42, "results.tables[4]", "duplicate table \"polar\""}}},
      {"failure results without allowables",
       "px = 1",
       "px = 1\n[failure]\ncriteria = [\"tsai-wu\"]",
       {{1, 1, "materials.c",
         "no allowables (T1, C1, T2, C2, S12), needed for the failure results"}}},
      {"some allowables only",
       "nu12 = 0.3",
       "nu12 = 0.3\nT1 = 1\nC1 = 1\nT2 = 1",
       {{1, 1, "materials.c.C2",
         "missing required key (the allowables T1, C1, T2, C2, S12 go together)"},
        {1, 1, "materials.c.S12",
         "missing required key (the allowables T1, C1, T2, C2, S12 go together)"}}},
      {"zero allowable",
       "nu12 = 0.3",
       "nu12 = 0.3\nT1 = 1\nC1 = 0\nT2 = 1\nC2 = 1\nS12 = 1",
       {{7, 6, "materials.c.C1", "must be greater than 0"}}},
      {"unknown and duplicate criteria",
       "px = 1",
       "px = 1\n[failure]\ncriteria = [\"hoffman\", \"tsai\", \"hoffman\"]\n[results]\ntables = "
       "[\"stresses\"]",
       {{18, 24, "failure.criteria[2]", "unknown criterion \"tsai\"..."},
        {18, 32, "failure.criteria[3]", "duplicate criterion \"hoffman\""}}},
      {"no criteria",
       "px = 1",
       "px = 1\n[failure]\ncriteria = []\n[results]\ntables = [\"stresses\"]",
       {{18, 12, "failure.criteria", "needs at least one criterion"}}},
      {"criteria missing",
       "px = 1",
       "px = 1\n[failure]\ndistance = 0.1\n[results]\ntables = [\"stresses\"]",
       {{17, 1, "failure.criteria", missing}}},
      {"zero factor of safety",
       "px = 1",
       "px = 1\n[failure]\ncriteria = [\"hoffman\"]\nfactor_of_safety = 0\n[results]\ntables = "
       "[\"stresses\"]",
       {{19, 20, "failure.factor_of_safety", "must be greater than 0"}}},
      {"load cases twice",
       "[materials.c]",
       "load_cases_file = \"loads.csv\"\n[materials.c]",
       {{1, 19, "load_cases_file", "give either load_cases or load_cases_file, not both"}}},
      {"no load cases",
       "[[load_cases]]\npx = 1\n",
       "",
       {{1, 1, "load_cases", "missing required key (or load_cases_file)"}}},
      {"carpet of one ply",
       "px = 1",
       "px = 1\n[carpet]",
       {{17, 1, "carpet", "the carpet plot needs exactly 4 plies (0, +45, -45, 90), found 1"}}},
      {"key in [carpet]",
       "px = 1",
       "px = 1\n[carpet]\nlayups = 66",
       {{17, 1, "carpet", "the carpet plot needs exactly 4 plies..."},
        {18, 1, "carpet.layups", "unknown key"}}},
      {"material named with several materials",
       "[[plies]]",
       "[materials.d]\nE1 = 1\nE2 = 1\nG12 = "
       "1\nnu12 = 0\n[[plies]]",
       {{11, 1, "plies[1].material", missing}}},
      {"plies not a table array",
       "[[plies]]\nangle = 0\nthickness = 0.005\n",
       "[plies]\nangle = 0\nthickness = 0.005\n",
       {{6, 1, "plies", "expected an array of tables ([[plies]]), found a table"}}},
      {"quoted material name in the key",
       "[materials.c]\nE1 = 20e6\n",
       "[materials.\"c 1\"]\n",
       {{1, 1, "materials.\"c 1\".E1", missing}}},
  };
  for (const Case& c : cases) expect_errors(edit(kMinimal, c.from, c.to), c.errors, c.label);
  expect_errors(
      kMinimal +
          std::string(
              "[failure]\ncriteria = [\"max-stress\"]\ndistance = 1e155\n[results]\ntables = [\"stresses\"]\n"),
      {{19, 12, "failure.distance", "must be 0 or of a magnitude from 1e-150 to 1e150"}},
      "a distance of 1e155");
  expect_errors(
      kMinimal +
          std::string(
              "[failure]\ncriteria = [\"max-stress\"]\ndistance = 2.6\n[results]\ntables = [\"stresses\"]\n"),
      {{19, 12, "failure.distance",
        "more than 10 hole diameters from the edge: the field there is the far field"}},
      "a distance in the far field");
}

// Catches a limit on the number of plies or materials left from the dialogue, and a stack read
// out of order.
TEST(JobReader, AThousandPliesAndAHundredMaterials) {
  std::string text =
      "[grid]\nangle_step = 15\nangle_high = 90\ndistance_step = 0.05\n"
      "[hole]\ndiameter = 0.25\n[[load_cases]]\npx = 1\n";
  for (int m = 0; m < 100; ++m) {
    text += "[materials.m" + std::to_string(m) + "]\nE1 = " + std::to_string(1000 + m) +
            "\nE2 = 100\nG12 = 50\nnu12 = 0.3\n";
  }
  for (int p = 0; p < 1000; ++p) {
    text += "[[plies]]\nangle = " + std::to_string(p % 90) + "\nthickness = 0.001\nmaterial = \"m" +
            std::to_string(p % 100) + "\"\n";
  }
  Job job;
  std::vector<JobError> errors;
  ASSERT_TRUE(read_job(text, "big.toml", job, errors))
      << (errors.empty() ? "" : to_string(errors[0]));
  ASSERT_EQ(1000, job.plies.count);
  ASSERT_EQ(100, job.materials.count);
  EXPECT_EQ(89.0, job.plies.angle[89]);
  EXPECT_EQ(99, job.plies.material[999]);
  EXPECT_EQ(1099.0, job.materials.elastic[99].E1);
  EXPECT_EQ("m99", job.material_names[99]);
}

TEST(JobReader, EveryMistakeOfAFile) {
  const std::string broken = R"(title = 3
[units]
stress = "bar"
[materials.c]
E1 = -1
E2 = "x"
nu12 = 0.3
colour = "black"
[[plies]]
angle = nan
thickness = 0.005
material = "glass"
[hole]
diameter = 0
[grid]
angle_step = 0
angle_high = 90
distance_step = 0.05
steps = 0
[[load_cases]]
px = "ten"
)";
  expect_errors(broken,
                {{1, 9, "title", "expected a string, found an integer"},
                 {3, 10, "units.stress", "unsupported stress unit \"bar\"..."},
                 {4, 1, "materials.c.G12", "missing required key"},
                 {5, 6, "materials.c.E1", "must be greater than 0"},
                 {6, 6, "materials.c.E2", "expected a number, found a string"},
                 {8, 1, "materials.c.colour", "unknown key"},
                 {10, 9, "plies[1].angle", "must be finite"},
                 {12, 12, "plies[1].material", "unknown material \"glass\" (the materials: \"c\")"},
                 {14, 12, "hole.diameter", "must be greater than 0"},
                 {16, 14, "grid.angle_step", "must not be 0"},
                 {19, 9, "grid.steps", "must be from 1 to 10000000"},
                 {21, 6, "load_cases[1].px", "expected a number, found a string"}},
                "several mistakes");
}

TEST(JobReader, ToStringNamesFileLineColumnAndKey) {
  EXPECT_EQ(to_string({"a.toml", 3, 7, "hole.width", "must be 0 or greater"}),
            "a.toml:3:7: hole.width: must be 0 or greater");
  EXPECT_EQ(to_string({"a.toml", 2, 1, "", "error while parsing"}),
            "a.toml:2:1: error while parsing");
}

// The example of the job format, read to the Job it stands for.
const char* const kFullExample = R"(title = "quasi-isotropic carbon/epoxy, quarter-inch bolt"
[units]
stress = "psi"
length = "in"
[materials.glass]
E1 = 7.8e6
E2 = 2.6e6
G12 = 1.3e6
nu12 = 0.25
T1 = 150e3
C1 = 90e3
T2 = 4e3
C2 = 20e3
S12 = 6e3
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
[materials.aluminium]
E1 = 10.5e6
E2 = 10.5e6
G12 = 4e6
nu12 = 0.3125
[[plies]]
angle = 0
thickness = 0.005
material = "carbon"
[[plies]]
angle = 45
thickness = 0.005
material = "carbon"
[[plies]]
angle = -45
thickness = 0.005
material = "carbon"
[[plies]]
angle = 90
thickness = 0.0075
material = "glass"
[hole]
diameter = 0.25
width = 1.0
finite_width_correction = "tan"
[grid]
angle_step = 15
angle_low = 0
angle_high = 90
distance_step = 0.05
steps = 3
[[load_cases]]
name = "tension"
px = 10000
[[load_cases]]
py = -2.5e3
pxy = 100
off_axis = 30
bearing = 20000
bolt_angle = 180
[failure]
criteria = ["tsai-wu", "max-stress"]
distance = 0.04
factor_of_safety = 1.5
[results]
tables = ["reserve", "properties", "ply-strains"]
[carpet]
)";

TEST(JobReader, FullExampleReadsToTheJob) {
  Job job;
  std::vector<JobError> errors;
  ASSERT_TRUE(read_job(kFullExample, "ex.toml", job, errors)) << to_string(errors.at(0));
  EXPECT_EQ(job.path, "ex.toml");
  EXPECT_EQ(job.title, "quasi-isotropic carbon/epoxy, quarter-inch bolt");
  // Materials numbered in file order, not by name.
  ASSERT_EQ(job.materials.count, 3);
  EXPECT_EQ(job.material_names[0], "glass");
  EXPECT_EQ(job.material_names[1], "carbon");
  EXPECT_EQ(job.material_names[2], "aluminium");
  // Allowables only where given; the unused aluminium needs none for the failure results.
  EXPECT_TRUE(job.has_allowables[0]);
  EXPECT_TRUE(job.has_allowables[1]);
  EXPECT_FALSE(job.has_allowables[2]);
  EXPECT_EQ(job.materials.allowables[0].S12, 6e3);
  const ElasticConstants& c = job.materials.elastic[1];
  EXPECT_EQ(c.E1, 20.0e6);
  EXPECT_EQ(c.E2, 1.4e6);
  EXPECT_EQ(c.G12, 0.7e6);
  EXPECT_EQ(c.NU12, 0.3);
  const Allowables& a = job.materials.allowables[1];
  EXPECT_EQ(a.T1, 200e3);
  EXPECT_EQ(a.C1, 180e3);
  EXPECT_EQ(a.T2, 8e3);
  EXPECT_EQ(a.C2, 30e3);
  EXPECT_EQ(a.S12, 12e3);
  EXPECT_EQ(job.materials.elastic[0].E1, 7.8e6);
  ASSERT_EQ(job.plies.count, 4);
  const double angles[] = {0, 45, -45, 90};
  for (int p = 0; p < 4; ++p) {
    EXPECT_EQ(job.plies.angle[p], angles[p]);
    EXPECT_EQ(job.plies.material[p], p < 3 ? 1 : 0);
  }
  EXPECT_EQ(job.plies.thickness[3], 0.0075);
  EXPECT_EQ(job.grid.diameter, 0.25);
  EXPECT_EQ(job.plate.width, 1.0);
  EXPECT_EQ(job.plate.width_correction, WidthCorrection::kTan);
  EXPECT_EQ(job.grid.angle_step, 15.0);
  EXPECT_EQ(job.grid.angle_high, 90.0);
  EXPECT_EQ(job.grid.distance_step, 0.05);
  EXPECT_EQ(job.grid.steps, 3);
  ASSERT_EQ(job.load_cases.size(), 2u);
  EXPECT_EQ(job.load_cases[0].name, "tension");
  EXPECT_EQ(job.load_cases[0].loads.px, 10000.0);
  EXPECT_EQ(job.load_cases[0].loads.bypass, 0.0);
  const LoadCase& lc2 = job.load_cases[1];
  EXPECT_EQ(lc2.name, "LC2");
  EXPECT_EQ(lc2.loads.px, 0.0);
  EXPECT_EQ(lc2.loads.py, -2500.0);
  EXPECT_EQ(lc2.loads.pxy, 100.0);
  EXPECT_EQ(lc2.loads.off_axis, 30.0);
  EXPECT_EQ(lc2.loads.bearing, 20000.0);
  EXPECT_EQ(lc2.loads.bolt_angle, 180.0);
  EXPECT_EQ(lc2.loads.bypass, 2500.0);  // P D / 2W
  EXPECT_EQ(job.criteria, (std::vector<Criterion>{Criterion::kTsaiWu, Criterion::kMaxStress}));
  EXPECT_EQ(job.distances[0].tension, 0.04);
  EXPECT_EQ(job.factor_of_safety, 1.5);
  for (int k = 0; k < kResultKinds; ++k) {
    auto kind = static_cast<ResultKind>(k);
    bool listed = kind == ResultKind::kReserve || kind == ResultKind::kProperties ||
                  kind == ResultKind::kPlyStrains;
    EXPECT_EQ(job.wants(kind), listed) << result_name(kind);
  }
  EXPECT_TRUE(job.carpet);
}

// Every field of two jobs, doubles compared bit for bit.
void expect_same_job(const Job& a, const Job& b) {
  const auto same = expect_same_bits;
  expect_same_head_and_materials(a, b);
  ASSERT_EQ(a.plies.count, b.plies.count);
  for (int p = 0; p < a.plies.count; ++p) {
    same(a.plies.angle[p], b.plies.angle[p]);
    same(a.plies.thickness[p], b.plies.thickness[p]);
    EXPECT_EQ(a.plies.material[p], b.plies.material[p]);
  }
  same(a.plate.width, b.plate.width);
  EXPECT_EQ(a.plate.width_correction, b.plate.width_correction);
  same(a.grid.diameter, b.grid.diameter);
  same(a.grid.angle_step, b.grid.angle_step);
  same(a.grid.angle_low, b.grid.angle_low);
  same(a.grid.angle_high, b.grid.angle_high);
  same(a.grid.distance_step, b.grid.distance_step);
  EXPECT_EQ(a.grid.steps, b.grid.steps);
  ASSERT_EQ(a.load_cases.size(), b.load_cases.size());
  for (std::size_t i = 0; i < a.load_cases.size(); ++i) {
    const Loads &l = a.load_cases[i].loads, &m = b.load_cases[i].loads;
    EXPECT_EQ(a.load_cases[i].name, b.load_cases[i].name);
    same(l.px, m.px), same(l.py, m.py), same(l.pxy, m.pxy), same(l.off_axis, m.off_axis);
    same(l.bearing, m.bearing), same(l.bolt_angle, m.bolt_angle), same(l.bypass, m.bypass);
  }
  EXPECT_EQ(a.load_cases_file, b.load_cases_file);
  EXPECT_EQ(a.criteria, b.criteria);
  ASSERT_EQ(a.distances.size(), b.distances.size());
  for (std::size_t i = 0; i < a.distances.size(); ++i) {
    same(a.distances[i].tension, b.distances[i].tension);
    same(a.distances[i].compression, b.distances[i].compression);
  }
  EXPECT_EQ(a.distance_list, b.distance_list);
  EXPECT_EQ(a.method, b.method);
  if (a.method == StrengthMethod::kAverageStress) {
    EXPECT_EQ(a.average_rule, b.average_rule);
    EXPECT_EQ(a.average_points, b.average_points);
  }
  same(a.factor_of_safety, b.factor_of_safety);
  for (int k = 0; k < kResultKinds; ++k) EXPECT_EQ(a.results[k], b.results[k]);
  EXPECT_EQ(a.carpet, b.carpet);
}

Job reread(const Job& job) {
  std::string text = write_job(job);
  Job back;
  std::vector<JobError> errors;
  EXPECT_TRUE(read_job(text, "written.toml", back, errors))
      << (errors.empty() ? "" : to_string(errors[0])) << "\n"
      << text;
  return back;
}

TEST(JobWriter, RoundTripsBitForBit) {
  Job job;
  std::vector<JobError> errors;
  ASSERT_TRUE(read_job(kFullExample, "ex.toml", job, errors));
  expect_same_job(job, reread(job));

  // Awkward doubles in every kind of field, and names that need quoting.
  job.title = "a \"quoted\" title with \\ and unicode: \xc3\xa9";
  job.stress_unit = "MPa";
  job.length_unit = "mm";
  job.material_names[0] = "glass fibre/epoxy";
  job.material_names[1] = "c.1";
  // Awkward doubles within the range a job may hold (1e-150 to 1e150 in magnitude).
  job.materials.elastic[1] = {0.1 + 0.2, 1.0000000000000001e-150, 2.5e+22, -0.0};
  job.materials.allowables[1] = {3.0000000000000006e-150, 9.999999999999999e149,
                                 123456789012345683968.0, 9007199254740993.0, 1e16};
  job.plies.angle[0] = -1e-5;
  job.plies.angle[1] = 1.0 / 3.0;
  job.plies.thickness[2] = 2.0000000000000004e-150;
  job.plate.width = 1.0 + 1e-15;
  job.grid.distance_step = 0.0;
  job.grid.angle_low = -7.5;
  job.grid.angle_step = 0.1 * 3;
  job.grid.angle_high = job.grid.angle_low + 70 * job.grid.angle_step;
  for (LoadCase& lc : job.load_cases) {
    lc.loads.bearing = 12345.678901234567;
    lc.loads.bypass = bypass_stress(lc.loads.bearing, job.grid.diameter, job.plate.width);
  }
  job.load_cases[0].name = "tension \"0\" \xe2\x80\x93 x";
  job.distances = {{1.0000000000000002e-150, 1.0000000000000002e-150}};
  job.factor_of_safety = 1e21;
  expect_same_job(job, reread(job));

  // A load-case file instead of load cases; no [failure] and no carpet.
  job.load_cases.clear();
  job.load_cases_file = "loads dir/case's.csv";
  job.criteria.clear();
  job.distances = {{job.grid.distance_step, job.grid.distance_step}};
  job.factor_of_safety = 1.0;
  for (bool& r : job.results) r = false;
  job.results[static_cast<int>(ResultKind::kStrains)] = true;
  job.carpet = false;
  expect_same_job(job, reread(job));
}

TEST(JobWriter, NumbersAreTomlFloats) {
  Job job;
  std::vector<JobError> errors;
  ASSERT_TRUE(read_job(kFullExample, "ex.toml", job, errors));
  std::string text = write_job(job);
  EXPECT_NE(text.find("E1 = 20000000.0 "), std::string::npos) << text;
  EXPECT_NE(text.find("nu12 = 0.3 "), std::string::npos) << text;
  EXPECT_NE(text.find("steps = 3 "), std::string::npos) << text;
  EXPECT_NE(text.find("# psi"), std::string::npos) << text;
}

#ifdef HOLESTRESS_EXAMPLES_DIR
// Every bundled job file reads cleanly and survives writing.
TEST(JobReader, BundledExamplesRead) {
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(HOLESTRESS_EXAMPLES_DIR)) {
    if (entry.path().extension() != ".toml") continue;
    ++files;
    std::ifstream in(entry.path(), std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    Job job;
    std::vector<JobError> errors;
    EXPECT_TRUE(read_job(text.str(), entry.path().string(), job, errors))
        << (errors.empty() ? "" : to_string(errors[0]));
    // A joint job's round trip is checked field by field in job_writer_joint_test.cpp.
    if (!job.joint.given) expect_same_job(job, reread(job));
  }
  EXPECT_GE(files, 3);
}
#endif

}  // namespace
}  // namespace hs
