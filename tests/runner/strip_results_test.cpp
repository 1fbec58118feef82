// The results of a strip job: JSON against the strip solution called directly, the strip and its
// residuals in every format, the warnings, and load-case files of bearing and bypass.
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

#include "analysis/strip_model.hpp"
#include "laminate/membrane_compliance.hpp"
#include "numeric/constants.hpp"
#include "parsed_results.hpp"
#include "runner/csv_results.hpp"
#include "runner/evaluate.hpp"
#include "runner/json_results.hpp"
#include "runner/load_case_file.hpp"
#include "runner/table_results.hpp"

namespace hs {
namespace {

// [0/45/-45/90] carbon/epoxy on a quarter-inch hole in a strip one inch wide.
Job strip_job(double edge_distance) {
  Job job;
  job.resize_materials(1);
  job.materials.elastic[0] = {20.0e6, 1.4e6, 0.7e6, 0.3};
  job.materials.allowables[0] = {200e3, 180e3, 8e3, 30e3, 12e3};
  job.has_allowables[0] = true;
  job.material_names[0] = "carbon";
  for (double a : {0.0, 45.0, -45.0, 90.0}) {
    job.plies.angle.push_back(a);
    job.plies.thickness.push_back(0.005);
    job.plies.material.push_back(0);
    ++job.plies.count;
  }
  job.plate.model = HoleModel::kStrip;
  job.plate.width = 1.0;
  job.plate.edge_distance = edge_distance;
  job.grid = {0.25, 30, 0, 360, 0.05, 3};
  Loads loads{};
  loads.bearing = 20000;
  loads.bypass = edge_distance > 0.0 ? 0.0 : 5000;
  job.load_cases.push_back({"bolt", loads});
  job.criteria = {Criterion::kMaxStress, Criterion::kHoffman};
  job.distances = {{0.05, 0.05}};
  for (ResultKind k : {ResultKind::kStresses, ResultKind::kPolar, ResultKind::kDisplacements,
                       ResultKind::kReserve}) {
    job.results[static_cast<int>(k)] = true;
  }
  return job;
}

// Catches JSON results that are not the strip's field (the infinite plate's instead, loads
// swapped, stations misplaced, displacements of another reference) or that hide the model: the
// stresses, hoop stresses and displacements at every station against solve_strip_hole called
// directly; the inputs and each load case name the model, the strip and the solution's
// residuals.
TEST(StripResults, JsonIsTheStripSolution) {
  for (double edge : {0.0, 0.5}) {
    const Job job = strip_job(edge);
    const Json doc = parsed_results(job);
    const Mat3 a = membrane_compliance(job.materials, job.plies, 0.0).compliance.laminate_axes;
    const StripSolution s = solve_strip_hole(a, {1.0, 0.25, edge});
    ASSERT_EQ(StripStatus::ok, s.status);
    const Json& lc = doc["load_cases"][0];
    const Loads& l = job.load_cases[0].loads;
    const Json& angle = lc["stations"]["angle"];
    const Json& distance = lc["stations"]["distance"];
    ASSERT_EQ(13u * 3u, angle.size());
    for (std::size_t i = 0; i < angle.size(); ++i) {
      const double r = 0.125 + distance[i].get<double>(), t = radians(angle[i].get<double>());
      StripValues v;
      ASSERT_EQ(StripStatus::ok, strip_values_polar(s, l.bearing, l.bypass, r, t, true, v));
      EXPECT_EQ(v.stress[0], lc["stresses"]["x"][i].get<double>()) << i;
      EXPECT_EQ(v.stress[1], lc["stresses"]["y"][i].get<double>()) << i;
      EXPECT_EQ(v.stress[2], lc["stresses"]["xy"][i].get<double>()) << i;
      EXPECT_EQ(v.u, lc["displacements"]["u"][i].get<double>()) << i;
      EXPECT_EQ(v.v, lc["displacements"]["v"][i].get<double>()) << i;
      if (distance[i].get<double>() == 0.0) {
        EXPECT_NEAR(strip_edge_hoop_stress(s, l.bearing, l.bypass, t),
                    lc["polar"]["hoop_stress"][i].get<double>(), 1e-9 * l.bearing)
            << i;
      }
    }
    const Json& hole = doc["inputs"]["hole"];
    EXPECT_EQ("strip", hole["model"]);
    EXPECT_EQ(1.0, hole["width"].get<double>());
    EXPECT_FALSE(hole.contains("finite_width_correction") || hole.contains("bolt_series"));
    EXPECT_EQ(edge == 0.0, hole["edge_distance"].is_null());
    EXPECT_EQ(l.bypass, doc["inputs"]["load_cases"][0]["bypass"].get<double>());
    const Json& strip = lc["strip"];
    EXPECT_TRUE(strip["solved"].get<bool>());
    EXPECT_EQ(s.residual[kStripBearing].sides,
              strip["residual_percent"]["bearing"]["sides"].get<double>());
    EXPECT_EQ(s.residual[kStripBearing].front_end,
              strip["residual_percent"]["bearing"]["front_end"].get<double>());
    EXPECT_EQ(edge > 0.0, strip["residual_percent"]["bypass"].is_null());
    EXPECT_TRUE(doc["warnings"].empty()) << doc["warnings"];
    EXPECT_FALSE(lc.contains("finite_width_correction"));
  }
}

// Catches a strip that the CSV files or the tables leave out: strip.csv has a row per unit load
// the strip takes, with its residuals, and the tables print the strip before the load cases.
TEST(StripResults, CsvAndTablesStateTheStrip) {
  for (double edge : {0.0, 0.5}) {
    const Job job = strip_job(edge);
    std::string strip_csv;
    for (const auto& [name, text] : csv_results(job)) {
      EXPECT_NE("warnings.txt", name);
      if (name == "strip.csv") strip_csv = text;
    }
    std::istringstream lines(strip_csv);
    std::string line;
    std::getline(lines, line);
    EXPECT_EQ(
        "width [in],edge_distance [in],unit_load,solved,residual_hole [%],residual_sides [%],"
        "residual_front_end [%],residual_back_end [%]",
        line);
    std::getline(lines, line);
    EXPECT_EQ(0u, line.find(edge > 0.0 ? "1,0.5,bearing,yes," : "1,,bearing,yes,")) << line;
    EXPECT_EQ(edge == 0.0, static_cast<bool>(std::getline(lines, line)));
    if (edge == 0.0) {
      EXPECT_EQ(0u, line.find("1,,bypass,yes,")) << line;
    }

    std::ostringstream tables;
    write_table_results(job, tables);
    const std::string t = tables.str();
    EXPECT_NE(std::string::npos,
              t.find(edge > 0.0 ? "STRIP MODEL: WIDTH    1.000  EDGE DISTANCE    0.500"
                                : "STRIP MODEL: WIDTH    1.000  NO FREE END"));
    EXPECT_LT(t.find("RESIDUAL TRACTION"), t.find("LOAD CASE bolt"));
    EXPECT_EQ(edge == 0.0, t.find("  bypass") != std::string::npos);
  }
}

// Catches a residual above the limit, or a solution that failed, that the results do not warn
// of, and warnings where there is no cause: each boundary and load over 1 percent named once.
TEST(StripResults, WarningsOnResiduals) {
  StripSolution s;
  s.status = StripStatus::ok;
  s.has_bypass = true;
  std::vector<std::string> w;
  strip_warnings(s, "", w);
  EXPECT_TRUE(w.empty());
  s.residual[kStripBearing].front_end = 1.6;
  s.residual[kStripBypass].sides = 0.99;
  strip_warnings(s, "layup 40/40/20 percent 0/45/90: ", w);
  ASSERT_EQ(1u, w.size());
  EXPECT_EQ(0u, w[0].find("layup 40/40/20 percent 0/45/90: the strip model's solution leaves a "
                          "residual traction of 1.6 percent of the peak hoop stress on the front "
                          "end under the unit bearing (above 1 percent)"))
      << w[0];
  s.has_bypass = false;
  s.residual[kStripBypass].sides = 5.0;  // no bypass in a strip with a free end: not judged
  w.clear();
  strip_warnings(s, "", w);
  EXPECT_EQ(1u, w.size());
  s.status = StripStatus::no_solution;
  w.clear();
  strip_warnings(s, "", w);
  ASSERT_EQ(1u, w.size());
  EXPECT_EQ(0u, w[0].find("the strip model has no solution"));
  // A free end much wider than the hole close to it (W/D = 20, e/D = 1.5): more than the model's
  // polynomials can follow, and the job's results and its batch say so.
  Job wide = strip_job(0.375);
  wide.plate.width = 5.0;
  const std::vector<std::string> cautions = job_warnings(wide);
  ASSERT_EQ(1u, cautions.size());
  EXPECT_NE(std::string::npos, cautions[0].find("on the front end under the unit bearing"));
  std::istringstream rows("bearing\n1000\n");
  std::ostringstream out, err;
  EXPECT_EQ(0, run_batch(wide, rows, out, err, 1));
  EXPECT_EQ(0u, err.str().find(": caution: the strip model's solution leaves a residual traction"))
      << err.str();
  // A job whose compliance is not a material's has no roots to solve with, and says so.
  Job job = strip_job(0.0);
  job.materials.elastic[0] = {-20.0e6, -1.4e6, -0.7e6, 0.3};
  bool said = false;
  for (const std::string& text : job_warnings(job)) {
    said = said || text.find("the strip model has no solution") != std::string::npos;
  }
  EXPECT_TRUE(said) << ::testing::PrintToString(job_warnings(job));
}

// Catches a strip batch that reads other columns than the strip's, lets a load the strip does
// not take pass as a row, or whose rows are not the full analysis of the same load cases.
TEST(StripResults, LoadCaseFileOfBearingAndBypass) {
  Job job = strip_job(0.0);
  job.results[static_cast<int>(ResultKind::kStresses)] = false;
  job.results[static_cast<int>(ResultKind::kPolar)] = false;
  job.results[static_cast<int>(ResultKind::kDisplacements)] = false;
  {
    std::istringstream in("name,px,bearing\nA,1,2\n");
    std::ostringstream out, err;
    EXPECT_EQ(2, run_batch(job, in, out, err, 1));
    EXPECT_NE(std::string::npos,
              err.str().find("line 1 column 6: unknown column \"px\" (name, bearing, bypass: the "
                             "strip model's loads)"))
        << err.str();
  }
  std::istringstream in("bypass,name,bearing\n5000,A,20000\n-3000,B,0\n0,C,-1\n");
  std::ostringstream out, err;
  EXPECT_EQ(1, run_batch(job, in, out, err, 2));
  std::istringstream lines(out.str());
  std::string line;
  std::getline(lines, line);
  std::vector<std::string> rows;
  while (std::getline(lines, line)) rows.push_back(line);
  ASSERT_EQ(3u, rows.size());
  EXPECT_NE(std::string::npos,
            rows[2].find("error: line 4 column 5: bearing must be 0 or greater in the strip "
                         "model"))
      << rows[2];
  // The rows as the full analysis of the same load cases gives them.
  job.load_cases.clear();
  Loads a{}, b{};
  a.bearing = 20000;
  a.bypass = 5000;
  b.bypass = -3000;
  job.load_cases = {{"A", a}, {"B", b}};
  const Json doc = parsed_results(job);
  for (int i = 0; i < 2; ++i) {
    const double hoffman = doc["load_cases"][i]["reserve"]["criteria"]["hoffman"]["factor"];
    const std::string cell = rows[i].substr(rows[i].find(',', rows[i].find(',') + 1) + 1);
    EXPECT_NEAR(hoffman, std::stod(cell), 1e-9 * hoffman) << rows[i];
  }

  // With a free end, a bypass is an error row.
  job = strip_job(0.5);
  std::istringstream in_end("bearing,bypass\n20000,0\n20000,1\n");
  std::ostringstream out_end, err_end;
  EXPECT_EQ(1, run_batch(job, in_end, out_end, err_end, 1));
  EXPECT_NE(std::string::npos,
            out_end.str().find("error: line 3 column 7: bypass must be 0 with an edge distance"))
      << out_end.str();
}

}  // namespace
}  // namespace hs
