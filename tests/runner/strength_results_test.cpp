// The reserve factors of a job with a method, a characteristic curve or several distances, as the
// JSON, CSV, tables and batch rows give them: each says its method and distance, and all four
// agree.
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "parsed_results.hpp"
#include "runner/csv_results.hpp"
#include "runner/json_results.hpp"
#include "runner/load_case_file.hpp"
#include "runner/table_results.hpp"

namespace hs {
namespace {

// Carbon/epoxy [0/45/-45/90], a quarter-inch bolt in a plate one inch wide, two load cases,
// two criteria, three characteristic distances (one a curve) averaged along the radius.
Job curve_job() {
  Job job;
  job.resize_materials(1);
  job.materials.elastic[0] = {20.0e6, 1.4e6, 0.7e6, 0.3};
  job.materials.allowables[0] = {200e3, 180e3, 8e3, 30e3, 12e3};
  job.has_allowables[0] = true;
  job.material_names[0] = "carbon";
  job.plies.resize(4);
  const double angles[4] = {0, 45, -45, 90};
  for (int p = 0; p < 4; ++p) job.plies.angle[p] = angles[p], job.plies.thickness[p] = 0.005;
  job.plate.width = 1.0;
  job.grid = {0.25, 15, 0, 360, 0.05, 1};
  job.load_cases.push_back({"bolt", Loads{2000, 0, 0, 0, 20000, 30, 2500}});
  job.load_cases.push_back({"open", Loads{-8000, 3000, 1000, 20, 0, 0, 0}});
  job.criteria = {Criterion::kMaxStress, Criterion::kHoffman};
  job.distances = {{0.03, 0.03}, {0.04, 0.08}, {0.06, 0.06}};
  job.distance_list = true;
  job.method = StrengthMethod::kAverageStress;
  job.average_points = 6;
  job.factor_of_safety = 1.5;
  job.results[static_cast<int>(ResultKind::kReserve)] = true;
  return job;
}

std::vector<std::string> split(const std::string& s, char by) {
  std::vector<std::string> out;
  std::size_t start = 0;
  for (;;) {
    std::size_t at = s.find(by, start);
    out.push_back(s.substr(start, at == std::string::npos ? std::string::npos : at - start));
    if (at == std::string::npos) return out;
    start = at + 1;
  }
}

// Catches a list of distances that gives one entry, an entry without its method or distance, a
// criterion's station distance off the curve (the compression distance on the bolt's axis, the
// tension distance across it), and a JSON form that moves with the list (one distance in a list
// is still a list; a scalar one is not).
TEST(StrengthResults, JsonEntries) {
  const Job job = curve_job();
  const Json doc = parsed_results(job);
  const Json& failure = doc["inputs"]["failure"];
  EXPECT_EQ("average", failure["method"]);
  EXPECT_EQ(3u, failure["distance_tension"].size());
  EXPECT_EQ(0.08, failure["distance_compression"][1].get<double>());
  for (const Json& lc : doc["load_cases"]) {
    const Json& reserve = lc["reserve"];
    ASSERT_TRUE(reserve.is_array());
    ASSERT_EQ(3u, reserve.size());
    EXPECT_EQ(0.03, reserve[0]["distance"].get<double>());
    EXPECT_FALSE(reserve[1].contains("distance"));
    EXPECT_EQ(0.04, reserve[1]["distance_tension"].get<double>());
    EXPECT_EQ(0.08, reserve[1]["distance_compression"].get<double>());
    for (const Json& entry : reserve) {
      EXPECT_EQ("average", entry["method"]);
      EXPECT_EQ("gauss-legendre", entry["average_rule"]);
      EXPECT_EQ(6, entry["average_points"].get<int>());
      for (const char* c : {"max-stress", "hoffman"}) {
        const Json& f = entry["criteria"][c];
        ASSERT_TRUE(f["factor"].is_number()) << c;
        const double d = f["distance"].get<double>();
        if (entry.contains("distance")) {
          EXPECT_EQ(entry["distance"].get<double>(), d);
        } else {
          const double axis = lc["name"] == "bolt" ? 30.0 : 20.0;
          const double t = (f["angle"].get<double>() - axis) * M_PI / 180.0;
          EXPECT_NEAR(0.04 + 0.04 * std::fabs(std::cos(t)), d, 1e-7) << c;
        }
      }
    }
    // Farther out, more reserve, here.
    EXPECT_LT(reserve[0]["smallest"]["factor"].get<double>(),
              reserve[2]["smallest"]["factor"].get<double>());
  }
  Job one = job;
  one.distances = {{0.03, 0.03}};
  const Json single = parsed_results(one);
  EXPECT_TRUE(single["load_cases"][0]["reserve"].is_array());
  one.distance_list = false;
  const Json scalar = parsed_results(one);
  ASSERT_TRUE(scalar["load_cases"][0]["reserve"].is_object());
  EXPECT_EQ(single["load_cases"][0]["reserve"][0], scalar["load_cases"][0]["reserve"]);
}

// Catches CSV rows, table rows or batch rows that leave out a distance, put one distance's
// factors under another, or give numbers other than the JSON's (the batch's superposition within
// 1e-9).
TEST(StrengthResults, CsvTablesAndBatchAgreeWithJson) {
  const Job job = curve_job();
  const Json doc = parsed_results(job);

  std::string reserve_csv;
  for (const auto& [name, text] : csv_results(job)) {
    if (name == "reserve.csv") reserve_csv = text;
  }
  std::vector<std::string> rows = split(reserve_csv, '\n');
  ASSERT_EQ(
      "load_case,method,distance_tension [in],distance_compression [in],criterion,factor,ply,"
      "ply_angle [deg],angle [deg],distance [in],component,margin_of_safety",
      rows[0]);
  ASSERT_EQ(1u + 2 * 3 * 2 + 1, rows.size());  // header, rows, the empty end
  std::ostringstream tables;
  write_table_results(job, tables);
  const std::string table = tables.str();

  std::istringstream loads(
      "name,px,py,pxy,off_axis,bearing,bolt_angle\n"
      "bolt,2000,0,0,0,20000,30\nopen,-8000,3000,1000,20,0,0\n");
  std::ostringstream batch, err;
  ASSERT_EQ(0, run_batch(job, loads, batch, err, 2)) << err.str();
  std::vector<std::string> batch_rows = split(batch.str(), '\n');
  ASSERT_EQ(
      "name,method,distance_tension [in],distance_compression [in],max-stress,hoffman,smallest,"
      "criterion,margin_of_safety,ply,ply_angle [deg],angle [deg],distance [in],component,error",
      batch_rows[0]);
  ASSERT_EQ(1u + 2 * 3 + 1, batch_rows.size());

  int row = 1;
  for (int l = 0; l < 2; ++l) {
    const Json& lc = doc["load_cases"][l];
    for (int d = 0; d < 3; ++d) {
      const Json& entry = lc["reserve"][d];
      const std::vector<std::string> b = split(batch_rows[1 + 3 * l + d], ',');
      EXPECT_EQ(lc["name"], b[0]);
      EXPECT_EQ("average", b[1]);
      EXPECT_EQ(job.distances[d].tension, std::stod(b[2]));
      EXPECT_EQ(job.distances[d].compression, std::stod(b[3]));
      const Json& smallest = entry["smallest"];
      EXPECT_NEAR(smallest["factor"].get<double>(), std::stod(b[6]),
                  1e-9 * smallest["factor"].get<double>());
      EXPECT_EQ(smallest["criterion"], b[7]);
      EXPECT_EQ(smallest["angle"].get<double>(), std::stod(b[11]));
      EXPECT_NEAR(smallest["distance"].get<double>(), std::stod(b[12]), 1e-15);
      for (const char* c : {"max-stress", "hoffman"}) {
        const Json& f = entry["criteria"][c];
        const std::vector<std::string> cells = split(rows[row++], ',');
        EXPECT_EQ(lc["name"], cells[0]);
        EXPECT_EQ("average", cells[1]);
        EXPECT_EQ(job.distances[d].tension, std::stod(cells[2]));
        EXPECT_EQ(job.distances[d].compression, std::stod(cells[3]));
        EXPECT_EQ(c, cells[4]);
        EXPECT_EQ(f["factor"].get<double>(), std::stod(cells[5]));
        EXPECT_EQ(f["angle"].get<double>(), std::stod(cells[8]));
        EXPECT_EQ(f["distance"].get<double>(), std::stod(cells[9]));
        char line[80];
        std::snprintf(line, sizeof line, "  %-14s%12.4f", c, f["factor"].get<double>());
        EXPECT_NE(std::string::npos, table.find(line)) << line;
      }
    }
  }
  EXPECT_NE(std::string::npos,
            table.find("RESERVE FACTORS, AVERAGE STRESS OVER TENSION DISTANCE   0.040, "
                       "COMPRESSION DISTANCE   0.080"));
  EXPECT_NE(std::string::npos, table.find("(GAUSS-LEGENDRE, 6 POINTS ALONG EACH RADIUS)"));
}

}  // namespace
}  // namespace hs
