// CSV files written as their rows are formed, on threads: the same bytes as formed whole.
#include "runner/csv_results.hpp"

#include <gtest/gtest.h>

#include <filesystem>

#include "io/output_file.hpp"

namespace hs {
namespace {

namespace fs = std::filesystem;

// Catches rows of the stations out of order or lost between the blocks the threads form, a file
// cut at a mebibyte, and a table left out of the files: every file of a job with thousands of
// stations, each ply and criterion, on 1 to 3 threads against the files formed in memory.
TEST(CsvResults, FilesOnThreadsAreTheRowsFormedWhole) {
  Job job;
  job.resize_materials(1);
  job.materials.elastic[0] = {135000.0, 9000.0, 5000.0, 0.3};
  job.materials.allowables[0] = {1800.0, 1200.0, 50.0, 200.0, 90.0};
  job.has_allowables[0] = true;
  job.material_names[0] = "tape";
  for (double a : {45.0, 0.0, -45.0, 90.0, 90.0, -45.0, 0.0, 45.0}) {
    job.plies.angle.push_back(a);
    job.plies.thickness.push_back(0.125);
    job.plies.material.push_back(0);
    ++job.plies.count;
  }
  job.grid = {6.35, 1.0, 0.0, 360.0, 0.25, 8};  // 2,888 stations
  Loads loads{};
  loads.px = 100.0;
  loads.bearing = 300.0;
  loads.bolt_angle = 15.0;
  job.load_cases.push_back({"bolt, \"A\"", loads});
  loads.px = -50.0;
  job.load_cases.push_back({"compression", loads});
  job.criteria = {Criterion::kMaxStrain, Criterion::kTsaiWu};
  job.distances = {{0.5, 0.5}};
  for (int k = 0; k < kResultKinds; ++k) job.results[k] = true;

  const auto whole = csv_results(job);
  const fs::path folder = fs::temp_directory_path() / "holestress-csv-threads";
  for (int threads : {1, 2, 3}) {
    fs::remove_all(folder);
    std::vector<std::string> written;
    std::string error;
    ASSERT_TRUE(write_csv_results(job, folder.string(), written, error, threads)) << error;
    ASSERT_EQ(whole.size(), written.size());
    for (std::size_t f = 0; f < whole.size(); ++f) {
      EXPECT_EQ((folder / whole[f].first).string(), written[f]);
      std::string text;
      ASSERT_TRUE(read_file(written[f], std::size_t{1} << 30, text, error)) << error;
      EXPECT_EQ(whole[f].second, text) << whole[f].first << " on " << threads << " threads";
    }
  }
  fs::remove_all(folder);
}

}  // namespace
}  // namespace hs
