// The keys of [failure] that say where and how failure is judged: the characteristic distances
// (one, a list, the characteristic curve's pair) and the point- or average-stress method; read,
// refused with their place, and written back.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "job/job.hpp"
#include "job/job_reader.hpp"
#include "job/job_writer.hpp"

namespace hs {
namespace {

// Every message, one a line, for a failure's report.
std::string listed(const std::vector<JobError>& errors) {
  std::string all;
  for (const JobError& e : errors) {
    all += '\n';
    all += to_string(e);
  }
  return all;
}

// A job that reads cleanly; [failure] follows on line 21.
const char* const kJob = R"([materials.c]
E1 = 20e6
E2 = 1.4e6
G12 = 0.7e6
nu12 = 0.3
T1 = 200e3
C1 = 180e3
T2 = 8e3
C2 = 30e3
S12 = 12e3
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
[failure]
criteria = ["tsai-wu"]
)";

Job read(const std::string& failure, std::vector<JobError>& errors) {
  Job job;
  read_job(std::string(kJob) + failure, "job.toml", job, errors);
  return job;
}

// Catches a form of the distances read into the wrong distances, the list flag or the method
// lost, and the defaults of each rule: every form the keys take, with what it means.
TEST(StrengthKeys, Forms) {
  const struct {
    const char* text;
    std::vector<CharacteristicDistance> distances;
    bool list, plain;
    StrengthMethod method;
    Quadrature rule;
    int points;
  } cases[] = {
      {"",
       {{0.05, 0.05}},
       false,
       true,
       StrengthMethod::kPointStress,
       Quadrature::kGaussLegendre,
       kDefaultAveragePoints},
      {"distance = 0.1",
       {{0.1, 0.1}},
       false,
       true,
       StrengthMethod::kPointStress,
       Quadrature::kGaussLegendre,
       kDefaultAveragePoints},
      {"distance = 0.1\nmethod = \"point\"",
       {{0.1, 0.1}},
       false,
       true,
       StrengthMethod::kPointStress,
       Quadrature::kGaussLegendre,
       kDefaultAveragePoints},
      {"distance = [0.1]",
       {{0.1, 0.1}},
       true,
       false,
       StrengthMethod::kPointStress,
       Quadrature::kGaussLegendre,
       kDefaultAveragePoints},
      {"distance = [0.5, 1, 1.5]",
       {{0.5, 0.5}, {1, 1}, {1.5, 1.5}},
       true,
       false,
       StrengthMethod::kPointStress,
       Quadrature::kGaussLegendre,
       kDefaultAveragePoints},
      {"distance = 0.1\nmethod = \"average\"",
       {{0.1, 0.1}},
       false,
       false,
       StrengthMethod::kAverageStress,
       Quadrature::kGaussLegendre,
       kDefaultAveragePoints},
      {"method = \"average\"\naverage_rule = \"simpson\"",
       {{0.05, 0.05}},
       false,
       false,
       StrengthMethod::kAverageStress,
       Quadrature::kSimpson,
       kDefaultSimpsonPoints},
      {"method = \"average\"\naverage_rule = \"simpson\"\naverage_points = 9",
       {{0.05, 0.05}},
       false,
       false,
       StrengthMethod::kAverageStress,
       Quadrature::kSimpson,
       9},
      {"method = \"average\"\naverage_points = 3",
       {{0.05, 0.05}},
       false,
       false,
       StrengthMethod::kAverageStress,
       Quadrature::kGaussLegendre,
       3},
      {"distance_tension = 0.04\ndistance_compression = 0.09",
       {{0.04, 0.09}},
       false,
       false,
       StrengthMethod::kPointStress,
       Quadrature::kGaussLegendre,
       kDefaultAveragePoints},
      // Equal, the curve is a circle: the results are those of distance = 0.04.
      {"distance_tension = 0.04\ndistance_compression = 0.04",
       {{0.04, 0.04}},
       false,
       true,
       StrengthMethod::kPointStress,
       Quadrature::kGaussLegendre,
       kDefaultAveragePoints},
      {"distance_tension = [0.04, 0.05]\ndistance_compression = [0.09, 0]",
       {{0.04, 0.09}, {0.05, 0}},
       true,
       false,
       StrengthMethod::kPointStress,
       Quadrature::kGaussLegendre,
       kDefaultAveragePoints},
  };
  for (const auto& c : cases) {
    std::vector<JobError> errors;
    const Job job = read(c.text, errors);
    ASSERT_TRUE(errors.empty()) << c.text << ": " << to_string(errors[0]);
    ASSERT_EQ(c.distances.size(), job.distances.size()) << c.text;
    for (std::size_t i = 0; i < c.distances.size(); ++i) {
      EXPECT_EQ(c.distances[i].tension, job.distances[i].tension) << c.text;
      EXPECT_EQ(c.distances[i].compression, job.distances[i].compression) << c.text;
    }
    EXPECT_EQ(c.list, job.distance_list) << c.text;
    EXPECT_EQ(c.plain, plain_reserve(job)) << c.text;
    EXPECT_EQ(c.method, job.method) << c.text;
    EXPECT_EQ(c.rule, job.average_rule) << c.text;
    EXPECT_EQ(c.points, job.average_points) << c.text;
    const FailureAssessment a = failure_assessment(job);
    EXPECT_EQ(c.distances.size(), a.distances.size());
    EXPECT_EQ(c.method, a.method);
    EXPECT_EQ(c.points, a.average_points);
  }
}

// Catches a mistake in the keys that is let through, or reported without its place or key.
TEST(StrengthKeys, MistakesLocated) {
  const struct {
    const char* text;
    int line, column;
    const char* key;
    const char* message;
  } cases[] = {
      {"distance = 0.1\ndistance_tension = 0.1\ndistance_compression = 0.2", 25, 20,
       "failure.distance_tension",
       "give either distance or distance_tension and distance_compression, not both"},
      {"distance_compression = 0.2", 22, 1, "failure.distance_tension",
       "missing required key (distance_tension and distance_compression go together)"},
      {"distance_tension = [0.1, 0.2]\ndistance_compression = 0.2", 25, 24,
       "failure.distance_compression",
       "must be of the same form as distance_tension: both numbers, or both lists of one length "
       "(2 distances)"},
      {"distance_tension = [0.1, 0.2]\ndistance_compression = [0.2]", 25, 24,
       "failure.distance_compression",
       "must be of the same form as distance_tension: both numbers, or both lists of one length "
       "(2 distances)"},
      {"distance = []", 24, 12, "failure.distance", "needs at least one distance"},
      {"distance = [0.1, -0.2]", 24, 18, "failure.distance[2]", "must be 0 or greater"},
      {"distance = [0.1, \"far\"]", 24, 18, "failure.distance[2]",
       "expected a number, found a string"},
      {"distance = -1", 24, 12, "failure.distance", "must be 0 or greater"},
      {"distance_tension = 0.1\ndistance_compression = nan", 25, 24, "failure.distance_compression",
       "must be finite"},
      {"method = \"mean\"", 24, 10, "failure.method",
       "unsupported method \"mean\" (point, average)"},
      {"average_rule = \"trapezoid\"", 24, 16, "failure.average_rule",
       "unsupported average rule \"trapezoid\" (gauss-legendre, simpson)"},
      {"average_points = 0", 24, 18, "failure.average_points", "must be from 1 to 257"},
      {"average_points = 2.5", 24, 18, "failure.average_points",
       "expected an integer, found a floating-point number"},
      {"average_rule = \"simpson\"\naverage_points = 8", 25, 18, "failure.average_points",
       "Simpson's rule takes an odd number of points from 3 to 257"},
      {"distances = 1", 24, 1, "failure.distances", "unknown key"},
  };
  for (const auto& c : cases) {
    std::vector<JobError> errors;
    read(c.text, errors);
    ASSERT_EQ(1u, errors.size()) << c.text << listed(errors);
    EXPECT_EQ(c.line, errors[0].line) << c.text;
    EXPECT_EQ(c.column, errors[0].column) << c.text;
    EXPECT_EQ(c.key, errors[0].key) << c.text;
    EXPECT_EQ(c.message, errors[0].message) << c.text;
  }
}

// Catches a form the writer changes on the way back: every form reads back to the same
// distances, list flag and method, and writes the same text again.
TEST(StrengthKeys, WrittenBack) {
  for (const char* text :
       {"distance = 0.1", "distance = [0.5, 1.0, 1.5]", "distance = [0.25]",
        "distance = 0.1\nmethod = \"average\"\naverage_rule = \"simpson\"\naverage_points = 17",
        "distance_tension = 0.04\ndistance_compression = 0.09\nmethod = \"average\"",
        "distance_tension = [0.04, 0.05]\ndistance_compression = [0.09, 0.05]"}) {
    std::vector<JobError> errors;
    const Job job = read(text, errors);
    ASSERT_TRUE(errors.empty()) << text;
    const std::string written = write_job(job);
    Job back;
    ASSERT_TRUE(read_job(written, "written.toml", back, errors)) << written;
    ASSERT_EQ(job.distances.size(), back.distances.size()) << written;
    for (std::size_t i = 0; i < job.distances.size(); ++i) {
      EXPECT_EQ(job.distances[i].tension, back.distances[i].tension);
      EXPECT_EQ(job.distances[i].compression, back.distances[i].compression);
    }
    EXPECT_EQ(job.distance_list, back.distance_list) << written;
    EXPECT_EQ(job.method, back.method) << written;
    EXPECT_EQ(job.average_rule, back.average_rule) << written;
    EXPECT_EQ(job.average_points, back.average_points) << written;
    EXPECT_EQ(written, write_job(back));
  }
}

}  // namespace
}  // namespace hs
