// Load-case files: the CSV rows of a small batch, their order and their errors.
#include "runner/load_case_file.hpp"

#include <gtest/gtest.h>

#include <sstream>

namespace hs {
namespace {

const Criterion kAll[] = {Criterion::kMaxStrain, Criterion::kMaxStress, Criterion::kTsaiHill,
                          Criterion::kTsaiWu, Criterion::kHoffman};

// Carbon/epoxy plies on a quarter-inch hole, a plate four diameters wide.
Job carbon_job(std::initializer_list<double> angles) {
  Job job;
  job.resize_materials(1);
  job.materials.elastic[0] = {20.0e6, 1.4e6, 0.7e6, 0.3};
  job.materials.allowables[0] = {200e3, 180e3, 8e3, 30e3, 12e3};
  job.has_allowables[0] = true;
  job.material_names[0] = "carbon";
  for (double a : angles) {
    job.plies.angle.push_back(a);
    job.plies.thickness.push_back(0.005);
    job.plies.material.push_back(0);
    ++job.plies.count;
  }
  job.plate.width = 1.0;
  job.grid = {0.25, 15, 0, 360, 0.05, 2};
  job.criteria.assign(std::begin(kAll), std::end(kAll));
  job.distances = {{0.05, 0.05}};
  job.results[static_cast<int>(ResultKind::kReserve)] = true;
  return job;
}

// Catches rows out of order, a bad row that stops the others or gives no row, an error that does
// not name its line and column, and output that depends on the number of threads.
TEST(LoadCaseFile, RowsOfASmallBatch) {
  Job job = carbon_job({0, 45, -45, 90});
  job.criteria = {Criterion::kMaxStress, Criterion::kHoffman};
  job.grid.angle_step = 90;
  const std::string rows =
      "px, name ,bearing\n"
      "10000,A,0\n"
      "\n"
      "5000,B,20000\n"
      ",C,0\n"
      "nan,D,0\n"
      "1e999,E,0\n"
      "7000,F,0,0\n"
      "abc,H,0\n"
      "0,Z,0\n"
      "2500.5,,\n";
  std::string first;
  for (int threads : {1, 2, 3}) {
    std::istringstream in(rows);
    std::ostringstream out, err;
    EXPECT_EQ(1, run_batch(job, in, out, err, threads));
    if (threads == 1) {
      first = out.str();
    } else {
      EXPECT_EQ(first, out.str()) << threads << " threads";
    }
  }
  // The numbers of the rows are checked against the full analysis elsewhere; here the header,
  // the order and every bad row.
  std::istringstream lines(first);
  std::string line;
  std::getline(lines, line);
  EXPECT_EQ(
      "name,max-stress,hoffman,smallest,criterion,margin_of_safety,ply,ply_angle [deg],"
      "angle [deg],distance [in],component,error",
      line);
  std::vector<std::string> got;
  while (std::getline(lines, line)) got.push_back(line);
  ASSERT_EQ(9u, got.size());
  EXPECT_EQ(0u, got[0].find("A,"));
  EXPECT_EQ(0u, got[1].find("B,"));
  EXPECT_NE(std::string::npos, got[2].find("error: line 5 column 1: missing value of px"));
  EXPECT_NE(std::string::npos, got[3].find("error: line 6 column 1: px is not a finite number"));
  EXPECT_NE(std::string::npos, got[4].find("error: line 7 column 1: px is not a finite number"));
  EXPECT_NE(std::string::npos, got[5].find("error: line 8 column 10: more values than columns"));
  EXPECT_NE(std::string::npos, got[6].find("error: line 9 column 1: px is not a finite number"));
  EXPECT_EQ("Z,none,none,none,,,,,,,,", got[7]);
  EXPECT_NE(std::string::npos, got[8].find("missing value of bearing"));
}

// Catches a header with an unknown or repeated column being accepted.
TEST(LoadCaseFile, BadHeader) {
  Job job = carbon_job({0});
  for (const char* header : {"px,pz\n1,2\n", "px,px\n1,2\n", "\n\n"}) {
    std::istringstream in(header);
    std::ostringstream out, err;
    EXPECT_EQ(2, run_batch(job, in, out, err, 1)) << header;
    EXPECT_FALSE(err.str().empty());
  }
}

}  // namespace
}  // namespace hs
