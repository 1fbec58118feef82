// Reserve factors of many load cases: the superposed batch against a full analysis of each load
// case and against the failure load the dialogue's search finds; the CSV rows of a small batch.
#include "runner/batch.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <random>
#include <sstream>

#include "dialogue/program.hpp"

namespace hs {
namespace {

const Criterion kAll[] = {Criterion::kMaxStrain, Criterion::kMaxStress, Criterion::kTsaiHill,
                          Criterion::kTsaiWu, Criterion::kHoffman};

// Carbon/epoxy plies on a quarter-inch hole, a plate four diameters wide.
Job carbon_job(std::initializer_list<double> angles) {
  Job job;
  job.materials.count = 1;
  job.materials.elastic[0] = {20.0e6, 1.4e6, 0.7e6, 0.3};
  job.materials.allowables[0] = {200e3, 180e3, 8e3, 30e3, 12e3};
  job.has_allowables[0] = true;
  job.material_names[0] = "carbon";
  for (double a : angles) {
    job.plies.angle[job.plies.count] = a;
    job.plies.thickness[job.plies.count++] = 0.005;
  }
  job.width = 1.0;
  job.grid = {0.25, 15, 0, 360, 0.05, 2};
  job.criteria.assign(std::begin(kAll), std::end(kAll));
  job.distance = 0.05;
  job.results[static_cast<int>(ResultKind::kReserve)] = true;
  return job;
}

LoadRow random_row(std::mt19937& rng, bool bolt) {
  std::uniform_real_distribution<double> stress(-20000, 20000), angle(-90, 90);
  LoadRow r{stress(rng), stress(rng), stress(rng) / 2, angle(rng), 0, 0};
  if (bolt) {
    r.bearing = std::abs(stress(rng)) * 2;
    r.bolt_angle = 30.0 * std::uniform_int_distribution<int>(0, 11)(rng);
  }
  return r;
}

// Catches a unit field, a rotation of the loads into the laminate axes, a bolt field of the
// wrong angle, or a closed-form factor that departs from the full analysis of the load case.
TEST(ReserveBatch, AgreesWithFullAnalysis) {
  std::mt19937 rng(7);
  auto work = std::make_unique<JobWork>();
  auto problem = std::make_unique<Problem>();
  for (const Job& job :
       {carbon_job({0, 45, -45, 90}), carbon_job({0, 0, 45, -45}), carbon_job({30})}) {
    ReserveBatch batch(job);
    auto scratch = batch.scratch();
    for (int i = 0; i < 120; ++i) {
      LoadRow row = random_row(rng, i % 2 == 1);
      RowReserve fast;
      batch.reserve(row, *scratch, fast);
      LoadCase lc{"lc", Loads{row.px, row.py, row.pxy, row.off_axis, row.bearing, row.bolt_angle,
                              bypass_stress(row.bearing, job.grid.diameter, job.width)}};
      Evaluation full = evaluate_load_case(job, job.plies, lc, *work, *problem);
      for (int c = 0; c < 5; ++c) {
        double want = full.reserve.factor[c].factor;
        ASSERT_NEAR(want, fast.factor[c], 1e-9 * want) << "row " << i << " criterion " << c;
      }
      EXPECT_EQ(full.reserve.smallest, fast.smallest);
    }
  }
}

// The failure load of case 10 in the dialogue: PX of the table after FAILURE STRESSES.
double dialogue_failure_px(int krit, const LoadRow& r) {
  std::ostringstream in;
  in << "NO\n10/\n4 1\n20.0E6 1.4E6 0.7E6 0.3\n200E3 180E3 8E3 30E3 12E3\n0 45 -45 90\n"
     << "0.005 0.005 0.005 0.005\n"
     << r.px << " " << r.py << " " << r.pxy << " " << r.off_axis << " " << r.bearing << " "
     << r.bolt_angle << "\n"
     << (r.bearing != 0 ? "1.0\n" : "") << "0.25 15 0 360 0.05 2\n"
     << krit << "\nNO\n";
  std::istringstream input(in.str());
  std::ostringstream out, err;
  EXPECT_EQ(0, run_dialogue(input, out, err));
  std::string text = out.str();
  size_t at = text.find("PX          PY");
  if (at == std::string::npos) return NAN;
  at = text.find("\r\n", at) + 2;
  return std::stod(text.substr(at, text.find("\r\n", at) - at));
}

// Catches reserve factors that do not give the failure load the dialogue's search converges on
// (within its window of 0.1 percent).
TEST(ReserveBatch, AgreesWithTheSearch) {
  std::mt19937 rng(11);
  Job job = carbon_job({0, 45, -45, 90});
  // The dialogue's allowables are the same for every criterion: maximum strain compares strains
  // with them as strain allowables.
  job.has_strain_allowables[0] = true;
  job.strain_allowables[0] = job.materials.allowables[0];
  ReserveBatch batch(job);
  auto scratch = batch.scratch();
  for (int i = 0; i < 10; ++i) {
    LoadRow row = random_row(rng, i % 2 == 0);
    row.px = std::abs(row.px) + 1000;  // a PX to compare
    RowReserve r;
    batch.reserve(row, *scratch, r);
    for (int c = 1; c < 5; ++c) {
      double px = dialogue_failure_px(c + 1, row);
      EXPECT_NEAR(px, r.factor[c] * row.px, 1.5e-3 * std::abs(px)) << "criterion " << c + 1;
    }
  }
}

// Catches rows out of order, a bad row that stops the others or gives no row, an error that does
// not name its line and column, and output that depends on the number of threads.
TEST(ReserveBatch, RowsOfASmallBatch) {
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
TEST(ReserveBatch, BadHeader) {
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
