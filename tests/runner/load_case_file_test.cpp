// Load-case files: the CSV rows of a small batch, their order and their errors.
#include "runner/load_case_file.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "model/loads.hpp"
#include "parsed_results.hpp"

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

// The rows of a batch run on one thread: its status, standard output and standard error.
struct Batch {
  int status;
  std::string out, err;
};
Batch run_rows(const Job& job, const std::string& rows) {
  std::istringstream in(rows);
  std::ostringstream out, err;
  const int status = run_batch(job, in, out, err, 1);
  return {status, out.str(), err.str()};
}

std::vector<std::string> lines_of(const std::string& text) {
  std::istringstream in(text);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// Catches a row with fewer values than the header has columns computed with the missing values
// as 0 (a six-column file with "B,5000", a file cut in the middle of its last row), a complete
// last row without its line end refused, and a summary that does not count the bad rows.
TEST(LoadCaseFile, RowsCutShort) {
  const Job job = carbon_job({0, 45, -45, 90});
  const Batch b = run_rows(job,
                           "name,px,py,pxy,bearing,bolt_angle\n"
                           "A,5000,0,0,20000,0\n"
                           "B,5000\n"
                           "C,5000,0,0,20000,0\r\n"
                           "D,100,0");
  EXPECT_EQ(1, b.status);
  const std::vector<std::string> rows = lines_of(b.out);
  ASSERT_EQ(5u, rows.size());
  EXPECT_EQ(std::string::npos, rows[1].find("error"));
  EXPECT_NE(std::string::npos,
            rows[2].find("error: line 3 column 7: the row ends after 2 of its 6 values (py, pxy, "
                         "bearing, bolt_angle missing)"))
      << rows[2];
  EXPECT_EQ(rows[1].substr(1), rows[3].substr(1));  // C as A, its CR LF line end no trouble
  EXPECT_NE(std::string::npos,
            rows[4].find("error: line 5 column 8: the row ends after 3 of its 6 values (pxy, "
                         "bearing, bolt_angle missing); the file ends in the middle of the row"))
      << rows[4];
  EXPECT_NE(std::string::npos, b.err.find("holestress: 4 rows in ")) << b.err;
  EXPECT_NE(std::string::npos, b.err.find(", 2 error rows")) << b.err;

  const Batch ended = run_rows(job, "px,py\n100,0\n200,0");  // the last row whole
  EXPECT_EQ(0, ended.status) << ended.out;
  EXPECT_EQ(3u, lines_of(ended.out).size());
  EXPECT_NE(std::string::npos, ended.err.find("2 rows in ")) << ended.err;
  EXPECT_NE(std::string::npos, ended.err.find("no error rows")) << ended.err;
}

// Catches a line without end kept whole in memory: a row longer than kMaxLineBytes is an error
// row naming its line and the rows after it are still computed; such a header ends the run.
TEST(LoadCaseFile, LinesTooLong) {
  const Job job = carbon_job({0, 90});
  const std::string huge(kMaxLineBytes + 10, '7');
  const Batch b = run_rows(job, "name,px\nA,100\nB," + huge + "\nC,100\n");
  EXPECT_EQ(1, b.status);
  const std::vector<std::string> rows = lines_of(b.out);
  ASSERT_EQ(4u, rows.size());
  EXPECT_NE(std::string::npos, rows[2].find(",error: line 3: longer than 1048576 bytes"))
      << rows[2];
  EXPECT_EQ(rows[1].substr(1), rows[3].substr(1));
  const Batch endless = run_rows(job, std::string(3 * kMaxLineBytes, '\0'));
  EXPECT_EQ(2, endless.status);
  EXPECT_NE(std::string::npos, endless.err.find("line 1: longer than 1048576 bytes"))
      << endless.err;
}

// Catches a batch run for a job that cannot give its reserve factors: without criteria, with a
// carpet plot, without allowables; each refused naming the key.
TEST(LoadCaseFile, JobsRefused) {
  Job none = carbon_job({0});
  none.path = "job.toml";
  none.criteria.clear();
  Job carpet = none;
  carpet.criteria = {Criterion::kHoffman};
  carpet.carpet = true;
  Job bare = carpet;
  bare.carpet = false;
  bare.has_allowables[0] = false;
  const struct {
    const Job* job;
    const char* message;
  } table[] = {
      {&none, "job.toml: failure.criteria: the reserve factors need a [failure] table"},
      {&carpet, "job.toml: carpet: the reserve factors of load cases are for the job's own"},
      {&bare, "job.toml: materials.carbon: no allowables"},
  };
  for (const auto& t : table) {
    const Batch b = run_rows(*t.job, "px\n100\n");
    EXPECT_EQ(2, b.status) << t.message;
    EXPECT_EQ(0u, b.err.find(t.message)) << b.err;
    EXPECT_EQ("", b.out);
  }
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

// Catches a batch column that says something else than the full analysis of the same load case:
// every column of every row (each criterion's factor, the smallest and its criterion, the margin
// with the factor of safety, the ply, its angle, the station's angle and distance, the component)
// against the JSON of a job whose own load cases are the rows, on a plate with Tan's correction.
TEST(LoadCaseFile, EveryColumnAsTheJson) {
  Job job = carbon_job({0, 45, -45, 90});
  job.plate.width_correction = WidthCorrection::kTan;
  job.factor_of_safety = 1.5;
  const Loads loads[] = {{12000, -3000, 2500, 20, 0, 0, 0},   {0, -9000, 0, 35, 0, 0, 0},
                         {5000, 0, 0, 0, 25000, 60, 0},       {0, 0, 6000, -10, 0, 0, 0},
                         {-8000, 2000, 0, 75, 30000, 225, 0}, {0, 0, 0, 0, 20000, 90, 0}};
  std::string rows = "name,px,py,pxy,off_axis,bearing,bolt_angle\n";
  int n = 0;
  for (const Loads& l : loads) {
    const std::string name = "LC" + std::to_string(++n);
    Loads with_bypass = l;
    with_bypass.bypass = bypass_stress(l.bearing, job.grid.diameter, job.plate.width);
    job.load_cases.push_back({name, with_bypass});
    std::ostringstream row;
    row.precision(17);
    row << name << "," << l.px << "," << l.py << "," << l.pxy << "," << l.off_axis << ","
        << l.bearing << "," << l.bolt_angle << "\n";
    rows += row.str();
  }
  const Json doc = parsed_results(job);
  const Batch b = run_rows(job, rows);
  ASSERT_EQ(0, b.status) << b.err;
  const std::vector<std::string> out = lines_of(b.out);
  ASSERT_EQ(job.load_cases.size() + 1, out.size());
  auto near = [](double want, const std::string& got) {
    return std::fabs(std::stod(got) - want) <= 1e-9 * std::fabs(want);
  };
  for (std::size_t i = 0; i < job.load_cases.size(); ++i) {
    std::vector<std::string> cell;
    std::istringstream in(out[i + 1]);
    for (std::string c; std::getline(in, c, ',');) cell.push_back(c);
    const Json& r = doc["load_cases"][i]["reserve"];
    ASSERT_EQ(5u + 10u, cell.size() + (out[i + 1].back() == ',' ? 1 : 0)) << out[i + 1];
    EXPECT_EQ(job.load_cases[i].name, cell[0]);
    for (std::size_t c = 0; c < 5; ++c) {
      const Json& f = r["criteria"][criterion_name(job.criteria[c])];
      EXPECT_TRUE(near(f["factor"].get<double>(), cell[1 + c])) << i << " " << c;
    }
    const Json& at = r["smallest"];
    EXPECT_TRUE(near(at["factor"].get<double>(), cell[6])) << i;
    EXPECT_EQ(at["criterion"].get<std::string>(), cell[7]) << i;
    EXPECT_TRUE(near(r["margin_of_safety"].get<double>(), cell[8])) << i;
    EXPECT_EQ(std::to_string(at["ply"].get<int>()), cell[9]) << i;
    EXPECT_EQ(at["ply_angle"].get<double>(), std::stod(cell[10])) << i;
    EXPECT_EQ(at["angle"].get<double>(), std::stod(cell[11])) << i;
    EXPECT_EQ(r["distance"].get<double>(), std::stod(cell[12])) << i;
    EXPECT_EQ(at["component"].get<std::string>(), cell[13]) << i;
  }
}

}  // namespace
}  // namespace hs
