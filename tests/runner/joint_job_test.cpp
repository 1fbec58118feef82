// Joint jobs from their TOML to their results: the reader's located mistakes, the load shares
// against Rosenfeld's closed form, every hole against the analysis of one hole built by hand, the
// frame of plate 2, and every column of the JSON, CSV and table results.
#include "runner/joint_job.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "analysis/load_case.hpp"
#include "job/job_reader.hpp"
#include "joint/fastener_flexibility.hpp"
#include "runner/csv_results.hpp"
#include "runner/joint_results.hpp"
#include "runner/json_results.hpp"
#include "runner/table_results.hpp"

namespace hs {
namespace {

// Two aluminium plates (or three in double shear) 75 mm wide, rows of three steel bolts.
std::string joint_text(const std::string& shear, int rows, const std::string& model,
                       double load = 6000.0, const std::string& flexibility = "swift") {
  std::string t = R"(title = "test joint"
[units]
stress = "MPa"
length = "mm"
[materials.al]
E = 72000.0
nu = 0.33
T1 = 440.0
C1 = 440.0
T2 = 440.0
C2 = 440.0
S12 = 260.0
[materials.carbon]
E1 = 135000.0
E2 = 9000.0
G12 = 5000.0
nu12 = 0.3
T1 = 2000.0
C1 = 1200.0
T2 = 50.0
C2 = 200.0
S12 = 90.0
[laminates.quasi]
layup = "[45/0/-45/90]s"
material = "carbon"
ply_thickness = 0.25
[joint]
shear = ")" + shear +
                  R"("
load = )" + std::to_string(load) +
                  R"(
fastener_flexibility = ")" +
                  flexibility + R"("
hole_model = ")" + model +
                  R"("
)";
  const int plates = shear == "double" ? 3 : 2;
  for (int p = 0; p < plates; ++p) {
    t += "[[joint.plates]]\nname = \"p" + std::to_string(p + 1) +
         "\"\nmaterial = \"al\"\nthickness = 3.0\nwidth = 75.0\nedge_distance = 15.0\n";
  }
  for (int i = 0; i < rows; ++i) {
    t += "[[joint.rows]]\nx = " + std::to_string(25.0 * i) +
         "\ndiameter = 6.35\nfastener_E = 200000.0\nfastener_nu = 0.3\ncount = 3\n";
  }
  t += "[failure]\ncriteria = [\"max-stress\", \"tsai-wu\"]\ndistance = 0.5\n"
       "factor_of_safety = 1.5\n";
  return t;
}

Job read_ok(const std::string& text) {
  Job job;
  std::vector<JobError> errors;
  const bool ok = read_job(text, "joint.toml", job, errors);
  std::string all;
  for (const JobError& e : errors) all += to_string(e) + "\n";
  EXPECT_TRUE(ok) << all;
  return job;
}

// Catches a job that does not reach the mechanics as typed (plates, rows, the formula, the
// shear, the load): the row loads of uniform joints read from TOML against Rosenfeld's closed
// form of the homogeneous difference equation, S_i = S* - S* sinh((n-i)t)/sinh(nt) +
// (P - S*) sinh(it)/sinh(nt), cosh t = 1 + p (1/K_A + 1/K_B)/(2c), S* = P K_B/(K_A + K_B),
// for 2 to 6 rows in single and double shear and two formulas.
TEST(JointJob, LoadSharesMatchRosenfeldsClosedForm) {
  for (const std::string shear : {"single", "double"}) {
    for (const std::string formula : {"swift", "huth-bolted-metal"}) {
      for (int n = 2; n <= 6; ++n) {
        const Job job = read_ok(joint_text(shear, n, "infinite", 6000.0, formula));
        const JointAnalysis a = analyse_joint_job(job);
        ASSERT_EQ(JointStatus::kOk, a.status) << a.message;
        const bool twin = shear == "double";
        const double E = 72000.0, t = 3.0, W = 75.0, P = 6000.0, p = 25.0;
        const double ka = (twin ? 2.0 : 1.0) * E * t * W, kb = E * t * W;
        FlexibilityMethod m;
        ASSERT_TRUE(flexibility_method_from_name(formula, m));
        const double C = fastener_flexibility(m, twin ? Shear::kDouble : Shear::kSingle,
                                              {t, E, t, E}, {6.35, 200000.0, 0.3});
        const double c = C / 3.0;
        const double theta = std::acosh(1.0 + p * (1.0 / ka + 1.0 / kb) / (2.0 * c));
        const double star = P * kb / (ka + kb);
        auto S = [&](int i) {
          return star - star * std::sinh((n - i) * theta) / std::sinh(n * theta) +
                 (P - star) * std::sinh(i * theta) / std::sinh(n * theta);
        };
        for (int i = 1; i <= n; ++i) {
          EXPECT_NEAR(S(i) - S(i - 1), a.shares.row_load[i - 1], 1e-9 * P)
              << shear << " " << formula << " n=" << n << " row " << i;
        }
      }
    }
  }
}

// Catches a hole handed to the hole solutions with the wrong model, width, edge distance, loads
// or frame: every hole's reserve factors against analyse_load_case of the hole built by hand
// (the strip of the pitch W/k, the plate's edge distance at the row by its free end, bearing
// and bypass from the sharing), in the strip and on the infinite plate, single and double shear;
// the critical hole is the smallest.
TEST(JointJob, EveryHoleIsItsHoleProblem) {
  for (const std::string shear : {"single", "double"})
    for (const std::string model : {"strip", "infinite"}) {
      const Job job = read_ok(joint_text(shear, 3, model));
      const int plates = shear == "double" ? 3 : 2;
      const JointAnalysis a = analyse_joint_job(job);
      ASSERT_EQ(JointStatus::kOk, a.status);
      const FailureAssessment assessment = failure_assessment(job);
      LoadCaseWants wants;
      wants.reserve = true;
      auto work = std::make_unique<LoadCaseWork>();
      Problem problem;
      double smallest = INFINITY;
      for (int p = 0; p < plates; ++p) {
        for (int i = 0; i < 3; ++i) {
          const HoleLoads& h = a.shares.holes[p][i];
          Plate plate;
          plate.width = 25.0;
          EXPECT_DOUBLE_EQ(25.0, h.pitch);
          Loads loads{};
          loads.bearing = h.bearing_stress;
          // Plates 1 and 3 end after the last row, plate 2 before the first.
          const bool end = (p != 1 && i == 2) || (p == 1 && i == 0);
          if (model == "strip") {
            plate.model = HoleModel::kStrip;
            plate.edge_distance = end ? 15.0 : 0.0;
            loads.bypass = end ? 0.0 : h.bypass_stress;
          } else {
            plate.width_correction = WidthCorrection::kTan;
            loads.px = h.bypass_stress;
            loads.bypass = h.bearing_stress * 6.35 / 50.0;
          }
          Grid grid = job.grid;
          grid.diameter = 6.35;
          PlyStack metal;
          metal.resize(1);
          metal.angle[0] = 0.0;
          metal.thickness[0] = 3.0;
          metal.material[0] = 0;
          const LoadCaseAnalysis one = analyse_load_case(job.materials, metal, grid, plate, loads,
                                                         assessment, wants, *work, problem);
          const JointHole& hole = a.holes[p][i];
          for (int c = 0; c < 2; ++c) {
            EXPECT_DOUBLE_EQ(one.reserve[0].criterion[c].factor, hole.reserve.criterion[c].factor)
                << model << " plate " << p << " row " << i;
          }
          smallest = std::fmin(smallest, one.reserve[0].criterion[one.reserve[0].smallest].factor);
        }
      }
      ASSERT_GE(a.critical_plate, 0);
      const JointHole& worst = a.holes[a.critical_plate][a.critical_row];
      EXPECT_EQ(smallest, worst.reserve.criterion[worst.reserve.smallest].factor);
    }
}

// Catches a wrong turn of plate 2's frame: its hole analysed in its own frame (bolt towards +x,
// angles + 180) has the factors, and at the same stations of the joint's frame, as the hole
// analysed in the joint's frame with the bolt bearing towards -x, for a laminate without
// symmetry about the load ([30/-60]) and in compression.
TEST(JointJob, PlateTwoFrameIsTheJointFrameTurned) {
  std::string text = joint_text("single", 3, "infinite", -6000.0);
  const std::string metal = "material = \"al\"\nthickness = 3.0\nwidth = 75.0";
  text.replace(text.rfind(metal), metal.size(), "laminate = \"skew\"\nwidth = 75.0");
  text +=
      "[laminates.skew]\nlayup = \"[30/-60/30]\"\nmaterial = \"carbon\"\n"
      "ply_thickness = 0.5\n";
  const Job job = read_ok(text);
  const JointAnalysis a = analyse_joint_job(job);
  ASSERT_EQ(JointStatus::kOk, a.status);
  const FailureAssessment assessment = failure_assessment(job);
  LoadCaseWants wants;
  wants.reserve = true;
  auto work = std::make_unique<LoadCaseWork>();
  Problem problem;
  for (int i = 0; i < 3; ++i) {
    const JointHole& hole = a.holes[1][i];
    const HoleLoads& h = hole.shared;
    Loads joint_frame{};
    joint_frame.px = h.bypass_stress;
    // Compression: plate 2 is pushed towards its loaded end, +x of the joint.
    ASSERT_LT(h.bearing_stress, 0.0);
    joint_frame.bearing = -h.bearing_stress;
    joint_frame.bolt_angle = 0.0;
    joint_frame.bypass = h.bearing_stress * 6.35 / 50.0;
    Grid grid = job.grid;
    grid.diameter = 6.35;
    const LoadCaseAnalysis one = analyse_load_case(job.materials, a.plies[1], grid, hole.plate,
                                                   joint_frame, assessment, wants, *work, problem);
    for (int c = 0; c < 2; ++c) {
      const CriterionReserve &mine = hole.reserve.criterion[c],
                             &theirs = one.reserve[0].criterion[c];
      // The bolt axes at 180 degrees turn through pi held in single precision (the tables'
      // constant): an angle off by some 1e-7 radians, hence the tolerance.
      EXPECT_NEAR(theirs.factor, mine.factor, 1e-6 * theirs.factor) << "row " << i;
      EXPECT_NEAR(one.stations->angle[theirs.station], joint_angle(hole, mine.station), 1e-9);
      EXPECT_EQ(theirs.ply, mine.ply);
    }
  }
}

struct Mistake {
  const char* from;  // text of the good job replaced...
  const char* to;    // ...by this
  int line, column;  // where the message points (line 0: any)
  const char* key;
  const char* words;  // part of the message
};

// Catches a mistake of a joint job let through or reported without its place: each case edits
// the good job and expects the message at the key's line and column.
TEST(JointJob, MistakesAreLocated) {
  const std::string good = joint_text("single", 3, "strip");
  const Mistake cases[] = {
      {"shear = \"single\"", "shear = \"triple\"", 28, 9, "joint.shear", "unsupported shear"},
      {"load = 6000.000000", "load = 0", 29, 8, "joint.load", "must not be 0"},
      {"load = 6000.000000", "load = -6000", 29, 8, "joint.load", "compression"},
      {"fastener_flexibility = \"swift\"", "fastener_flexibility = \"hutt\"", 30, 24,
       "joint.fastener_flexibility", "unsupported fastener flexibility"},
      {"hole_model = \"strip\"", "hole_model = \"round\"", 31, 14, "joint.hole_model",
       "unsupported hole model"},
      {"name = \"p2\"", "name = \"p1\"", 39, 8, "joint.plates[2].name", "duplicate plate name"},
      {"material = \"al\"\nthickness = 3.0\nwidth = 75.0\nedge_distance = 15.0\n[[joint.rows",
       "material = \"carbon\"\nthickness = 3.0\nwidth = 75.0\nedge_distance = 15.0\n[[joint.rows",
       40, 12, "joint.plates[2].material", "isotropic E and nu"},
      {"material = \"al\"\nthickness = 3.0", "laminate = \"qi\"", 34, 12,
       "joint.plates[1].laminate", "unknown laminate \"qi\" (the laminates: \"quasi\")"},
      {"name = \"p1\"\nmaterial = \"al\"", "name = \"p1\"\nlaminate = \"quasi\"\nmaterial = \"al\"",
       35, 12, "joint.plates[1].material", "not both"},
      {"x = 25.000000", "x = 0.0", 51, 5, "joint.rows[2].x", "must be greater than the x of"},
      {"x = 25.000000", "x = 5.0", 51, 5, "joint.rows[2].x", "overlap"},
      {"count = 3\n[failure]", "count = 12\n[failure]", 61, 9, "joint.rows[3].count",
       "do not fit across plate \"p1\""},
      {"count = 3\n[failure]", "count = 1.5\n[failure]", 61, 9, "joint.rows[3].count",
       "expected an integer"},
      {"fastener_nu = 0.3\ncount = 3\n[[", "fastener_nu = 0.7\ncount = 3\n[[", 48, 15,
       "joint.rows[1].fastener_nu", "at most 0.5"},
      {"diameter = 6.35\nfastener_E", "diameter = -6.35\nfastener_E", 46, 12,
       "joint.rows[1].diameter", "greater than 0"},
      {"edge_distance = 15.0\n[[joint.plates]]", "edge_distance = 3.0\n[[joint.plates]]", 37, 17,
       "joint.plates[1].edge_distance", "half the diameter of joint.rows[3]"},
      {"distance = 0.5", "distance = 12.0", 32, 1, "joint.plates[1]", "beyond its strip"},
      {"[failure]\ncriteria", "[hole]\ndiameter = 1\n[failure]\ncriteria", 62, 2, "hole",
       "not a key of a joint job"},
      {"E = 72000.0\nnu = 0.33", "E = 72000.0\nnu = 0.33\nE1 = 1.0", 8, 6, "materials.al.E1",
       "not both"},
      {"nu = 0.33", "nu = 0.6", 7, 6, "materials.al.nu", "at most 0.5"},
      {"layup = \"[45/0/-45/90]s\"", "layup = \"[45/0/-45/9x]s\"", 24, 21, "laminates.quasi.layup",
       "expected"},
      {"distance = 0.5\n", "", 0, 0, "failure.distance", "missing required key"},
      {"[[joint.plates]]\nname = \"p2\"", "[[joint.plate]]\nname = \"p2\"", 32, 1, "joint.plates",
       "single shear needs 2 plates, found 1"},
  };
  for (const Mistake& m : cases) {
    std::string text = good;
    const std::size_t at = text.find(m.from);
    ASSERT_NE(std::string::npos, at) << m.from;
    text.replace(at, std::string(m.from).size(), m.to);
    Job job;
    std::vector<JobError> errors;
    EXPECT_FALSE(read_job(text, "joint.toml", job, errors)) << m.to;
    bool found = false;
    std::string all;
    for (const JobError& e : errors) {
      all += to_string(e) + "\n";
      found =
          found || (e.key == m.key && e.message.find(m.words) != std::string::npos &&
                    (m.line == 0 || e.line == m.line) && (m.column == 0 || e.column == m.column));
    }
    EXPECT_TRUE(found) << m.to << "\n" << all;
  }
}

// Catches a results column that does not say what its header says: joint_rows.csv and
// joint_holes.csv, cell by cell, against the JSON document's joint object and the analysis; the
// table names the critical hole with its factor.
TEST(JointJob, ResultsAgreeInEveryFormat) {
  const Job job = read_ok(joint_text("double", 3, "strip"));
  const JointAnalysis a = analyse_joint_job(job);
  ASSERT_EQ(JointStatus::kOk, a.status);
  const Json doc = results_json(job);
  const Json& joint = doc["joint"];
  ASSERT_EQ(3u, joint["rows"].size());
  ASSERT_EQ(9u, joint["holes"].size());
  double total = 0.0;
  for (int i = 0; i < 3; ++i) {
    const Json& row = joint["rows"][i];
    EXPECT_EQ(a.shares.row_load[i], row["load"].get<double>());
    EXPECT_EQ(a.shares.fastener_load[i], row["fastener_load"].get<double>());
    total += row["load"].get<double>();
    for (int p = 0; p < 3; ++p) {
      EXPECT_EQ(a.shares.holes[p][i].bearing_stress, row["plates"][p]["bearing"].get<double>());
      EXPECT_EQ(a.shares.holes[p][i].bypass_stress, row["plates"][p]["bypass"].get<double>());
    }
  }
  EXPECT_NEAR(6000.0, total, 1e-9);
  // Equal outer plates share member A's loads equally.
  EXPECT_DOUBLE_EQ(joint["rows"][0]["plates"][0]["bearing_load"].get<double>(),
                   joint["rows"][0]["plates"][2]["bearing_load"].get<double>());
  const auto files = csv_results(job);
  ASSERT_GE(files.size(), 2u);
  EXPECT_EQ("joint_rows.csv", files[0].first);
  EXPECT_EQ("joint_holes.csv", files[1].first);
  std::istringstream rows(files[0].second);
  std::string line;
  std::getline(rows, line);
  EXPECT_EQ(
      "row,x [mm],diameter [mm],count,flexibility [mm/(MPa*mm^2)],load [MPa*mm^2],"
      "fastener_load [MPa*mm^2],share",
      line);
  for (int i = 0; i < 3; ++i) {
    std::getline(rows, line);
    const Json& row = joint["rows"][i];
    EXPECT_EQ(std::to_string(i + 1) + "," + csv_number(row["x"].get<double>()) + ",6.35,3," +
                  csv_number(row["flexibility"].get<double>()) + "," +
                  csv_number(row["load"].get<double>()) + "," +
                  csv_number(row["fastener_load"].get<double>()) + "," +
                  csv_number(row["share"].get<double>()),
              line);
  }
  std::istringstream holes(files[1].second);
  std::getline(holes, line);
  EXPECT_EQ(
      "hole,plate,row,bearing [MPa],bypass [MPa],bearing_load [MPa*mm^2],bypass_load "
      "[MPa*mm^2],pitch [mm],criterion,factor,ply,ply_angle [deg],angle [deg],distance [mm],"
      "component,margin_of_safety,critical",
      line);
  int lines = 0, critical = 0;
  for (const Json& hole : joint["holes"]) {
    for (const char* c : {"max-stress", "tsai-wu"}) {
      std::getline(holes, line);
      ++lines;
      const Json& f = hole["criteria"][c];
      const int p = hole["row"].get<int>() - 1;
      const Json& at = joint["rows"][p]["plates"];
      const std::string plate = hole["plate"].get<std::string>();
      int j = 0;
      while (at[j]["plate"].get<std::string>() != plate) ++j;
      const bool smallest = hole["smallest"]["criterion"].get<std::string>() == c;
      const bool is_critical = smallest && joint["critical"]["hole"] == hole["hole"];
      critical += is_critical;
      EXPECT_EQ(
          hole["hole"].get<std::string>() + "," + plate + "," + std::to_string(p + 1) + "," +
              csv_number(at[j]["bearing"].get<double>()) + "," +
              csv_number(at[j]["bypass"].get<double>()) + "," +
              csv_number(at[j]["bearing_load"].get<double>()) + "," +
              csv_number(at[j]["bypass_load"].get<double>()) + ",25," + c + "," +
              csv_number(f["factor"].get<double>()) + "," + std::to_string(f["ply"].get<int>()) +
              ",0," + csv_number(f["angle"].get<double>()) + "," +
              csv_number(f["distance"].get<double>()) + "," + f["component"].get<std::string>() +
              "," + (smallest ? csv_number(hole["margin_of_safety"].get<double>()) : "") + "," +
              (is_critical ? "yes" : ""),
          line);
    }
  }
  EXPECT_EQ(18, lines);
  EXPECT_EQ(1, critical);
  // The critical hole's own results: one load case named after it, with its factors.
  EXPECT_EQ(joint["critical"]["hole"], doc["critical_hole"]["load_cases"][0]["name"]);
  EXPECT_DOUBLE_EQ(
      joint["critical"]["factor"].get<double>(),
      doc["critical_hole"]["load_cases"][0]["reserve"]["smallest"]["factor"].get<double>());
  std::ostringstream table;
  write_table_results(job, table);
  char factor[32];
  std::snprintf(factor, sizeof factor, "FACTOR %.4f", joint["critical"]["factor"].get<double>());
  EXPECT_NE(
      std::string::npos,
      table.str().find("CRITICAL HOLE: " + joint["critical"]["hole"].get<std::string>() + ", " +
                       joint["critical"]["criterion"].get<std::string>() + ", " + factor))
      << table.str();
}

// Catches a page without the joint: a bar per row at its share, the table of every hole, and the
// critical hole's own pictures (its load case named after it).
TEST(JointJob, PicturesPage) {
  const Job job = read_ok(joint_text("single", 3, "strip"));
  const JointAnalysis a = analyse_joint_job(job);
  const std::string page = joint_pictures(job, a);
  for (int i = 1; i <= 3; ++i) {
    EXPECT_NE(std::string::npos, page.find("data-row=\"" + std::to_string(i) + "\"")) << i;
  }
  char share[32];
  std::snprintf(share, sizeof share, "%.1f %%", 100.0 * a.shares.row_load[0] / 6000.0);
  EXPECT_NE(std::string::npos, page.find(share));
  for (const char* hole : {"p1:1", "p1:3", "p2:2"}) {
    EXPECT_NE(std::string::npos, page.find(std::string("<td>") + hole + "</td>")) << hole;
  }
  const std::string critical = joint_hole_name(job, a.critical_plate, a.critical_row);
  EXPECT_NE(std::string::npos, page.find("The critical hole, " + critical));
  EXPECT_NE(std::string::npos, page.find(critical, page.find("The critical hole, ") + 40));
  EXPECT_EQ(page.rfind("</html>"), page.size() - 8);
}

// Catches a formula the reader accepts but the mechanics does not know (or names otherwise):
// every name of fastener_flexibility reads back through flexibility_method_from_name, and its
// joint runs.
TEST(JointJob, EveryFlexibilityNameIsAFormula) {
  for (const char* name : kFlexibilityNames) {
    FlexibilityMethod m;
    EXPECT_TRUE(flexibility_method_from_name(name, m)) << name;
    const Job job = read_ok(joint_text("single", 2, "strip", 6000.0, name));
    EXPECT_EQ(JointStatus::kOk, analyse_joint_job(job).status) << name;
  }
}

// Catches the example joint going stale: it reads, shares the load with the end rows taking
// the most, and names a critical hole with a finite factor.
TEST(JointJob, ExampleRuns) {
  std::ifstream f(std::string(HOLESTRESS_EXAMPLES_DIR) + "/joint-single-shear.toml");
  std::stringstream text;
  text << f.rdbuf();
  const Job job = read_ok(text.str());
  const JointAnalysis a = analyse_joint_job(job);
  ASSERT_EQ(JointStatus::kOk, a.status);
  EXPECT_GT(a.shares.row_load[0], a.shares.row_load[1]);
  EXPECT_GT(a.shares.row_load[2], a.shares.row_load[1]);
  ASSERT_GE(a.critical_plate, 0);
  EXPECT_TRUE(a.warnings.empty());
}

}  // namespace
}  // namespace hs
