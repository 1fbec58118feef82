// The bearing-bypass interaction diagram: every ray's point of failure against the full analysis
// of that load, the hole's own loads on their ray, the holes a diagram takes, the CSV's columns.
#include "runner/interaction.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <memory>
#include <sstream>

#include "analysis/load_case.hpp"
#include "job/job_reader.hpp"
#include "runner/joint_job.hpp"

namespace hs {
namespace {

Job example(const char* name) {
  std::ifstream f(std::string(HOLESTRESS_EXAMPLES_DIR) + "/" + name);
  std::stringstream text;
  text << f.rdbuf();
  Job job;
  std::vector<JobError> errors;
  EXPECT_TRUE(read_job(text.str(), name, job, errors));
  return job;
}

// Catches a ray whose point is not where the criterion's factor is 1 (a wrong unit field, the
// bypass or the reacting far field missing, a wrong sign of compression bypass): the full
// analysis of each point's load gives the factor 1 for its criterion, on every hole of the
// example joint (strip holes with and without a free end turned into strips running on) and on
// the infinite plate of the same holes.
TEST(Interaction, EveryPointFailsAtFactorOne) {
  for (HoleModel model : {HoleModel::kStrip, HoleModel::kInfinite}) {
    Job job = example("joint-single-shear.toml");
    job.plate.model = model;
    job.plate.width_correction =
        model == HoleModel::kStrip ? WidthCorrection::kNone : WidthCorrection::kTan;
    const FailureAssessment assessment = failure_assessment(job);
    auto work = std::make_unique<LoadCaseWork>();
    Problem problem;
    LoadCaseWants wants;
    wants.reserve = true;
    for (const char* name : {"skin:1", "skin:3", "strap:2"}) {
      InteractionHole hole;
      std::string message;
      ASSERT_TRUE(interaction_hole(job, name, hole, message)) << message;
      const ReserveSuperposition sup(job.materials, hole.plies, hole.grid, hole.plate, assessment);
      const std::vector<InteractionRay> rays =
          bearing_bypass_interaction(sup, hole.plate.model, hole.bolt_angle, 12);
      ASSERT_EQ(13u, rays.size());
      EXPECT_EQ(0.0, rays.front().angle);
      EXPECT_EQ(180.0, rays.back().angle);
      for (const InteractionRay& ray : rays) {
        for (std::size_t c = 0; c < job.criteria.size(); ++c) {
          const double f = ray.reserve.criterion[c].factor;
          ASSERT_TRUE(std::isfinite(f)) << name << " " << ray.angle;
          Loads l = interaction_unit_load(ray.angle, hole.bolt_angle, hole.plate.model);
          l.bearing *= f;
          l.px *= f;
          l.bypass *= f;
          if (model == HoleModel::kInfinite) {
            l.bypass = bypass_stress(l.bearing, hole.grid.diameter, hole.plate.width);
          }
          const LoadCaseAnalysis one =
              analyse_load_case(job.materials, hole.plies, hole.grid, hole.plate, l, assessment,
                                wants, *work, problem);
          EXPECT_NEAR(1.0, one.reserve[0].criterion[c].factor, 1e-9)
              << name << " ray " << ray.angle << " criterion " << c;
        }
      }
    }
  }
}

// Catches the wrong hole or the hole's own loads off the diagram: the critical hole by default,
// its loads those of the joint's analysis, and its reserve factor that of the joint's, in
// tension and (the bypass then on the loaded side) in compression; a hole
// by a free end is drawn in the strip running on, with a note; a name that is no hole, and
// --hole on a job of one hole, are refused.
TEST(Interaction, HolesAndTheirLoads) {
  const Job job = example("joint-single-shear.toml");
  const JointAnalysis a = analyse_joint_job(job);
  InteractionHole hole;
  std::string message;
  ASSERT_TRUE(interaction_hole(job, "", hole, message));
  EXPECT_EQ(joint_hole_name(job, a.critical_plate, a.critical_row), hole.name);
  const JointHole& h = a.holes[a.critical_plate][a.critical_row];
  EXPECT_EQ(h.shared.bearing_stress, hole.bearing);
  EXPECT_EQ(h.shared.bypass_stress, hole.bypass);
  EXPECT_TRUE(hole.notes.empty());
  const FailureAssessment assessment = failure_assessment(job);
  const ReserveSuperposition sup(job.materials, hole.plies, hole.grid, hole.plate, assessment);
  Loads own{};
  own.bearing = hole.bearing;
  own.bypass = hole.bypass;
  LoadCaseReserve r[1];
  sup.reserve(own, *sup.scratch(), r);
  EXPECT_NEAR(h.reserve.criterion[h.reserve.smallest].factor, r[0].criterion[r[0].smallest].factor,
              1e-12 * r[0].criterion[r[0].smallest].factor);

  // In compression (the infinite plate) every hole's own loads give the joint's factor.
  std::ifstream f(std::string(HOLESTRESS_EXAMPLES_DIR) + "/joint-single-shear.toml");
  std::stringstream text;
  text << f.rdbuf();
  std::string compression = text.str();
  compression.replace(compression.find("load = 10000.0"), 14, "load = -10000.0");
  compression.replace(compression.find("hole_model = \"strip\""), 20, "hole_model = \"infinite\"");
  Job pushed;
  std::vector<JobError> errors;
  ASSERT_TRUE(read_job(compression, "compression.toml", pushed, errors));
  const JointAnalysis c = analyse_joint_job(pushed);
  const FailureAssessment pushed_assessment = failure_assessment(pushed);
  for (const char* name : {"skin:1", "skin:3", "strap:1", "strap:2"}) {
    InteractionHole in;
    ASSERT_TRUE(interaction_hole(pushed, name, in, message));
    const ReserveSuperposition s(pushed.materials, in.plies, in.grid, in.plate, pushed_assessment);
    Loads l = interaction_unit_load(90.0, in.bolt_angle, in.plate.model);
    l.bearing = in.bearing;
    l.px = in.bypass;
    LoadCaseReserve own_reserve[1];
    s.reserve(l, *s.scratch(), own_reserve);
    const std::string hole_name = name;
    const int p = hole_name.rfind("skin", 0) == 0 ? 0 : 1;
    const JointHole& jh = c.holes[p][hole_name.back() - '1'];
    EXPECT_EQ(180.0, in.bolt_angle) << name;
    EXPECT_NEAR(jh.reserve.criterion[jh.reserve.smallest].factor,
                own_reserve[0].criterion[own_reserve[0].smallest].factor,
                1e-9 * own_reserve[0].criterion[own_reserve[0].smallest].factor)
        << name;
  }

  InteractionHole end;
  ASSERT_TRUE(interaction_hole(job, "strap:1", end, message));
  EXPECT_EQ(0.0, end.plate.edge_distance);
  EXPECT_EQ(1u, end.notes.size());
  for (const char* bad : {"strap:0", "strap:4", "skin", "rib:1", "skin:x"}) {
    EXPECT_FALSE(interaction_hole(job, bad, end, message)) << bad;
    EXPECT_NE(std::string::npos, message.find("no such hole")) << bad;
  }
  const Job one = example("bolted-joint-reserve.toml");
  EXPECT_FALSE(interaction_hole(one, "skin:1", end, message));
  EXPECT_TRUE(interaction_hole(one, "", end, message));
  EXPECT_TRUE(end.loaded);
}

// Catches CSV columns that do not say what their header says: each row's bypass and bearing are
// the factor times the ray's direction, every criterion and the smallest have a row per ray, and
// the smallest is the least of the criteria.
TEST(Interaction, CsvColumns) {
  const Job job = example("joint-single-shear.toml");
  InteractionHole hole;
  std::string message;
  ASSERT_TRUE(interaction_hole(job, "", hole, message));
  const ReserveSuperposition sup(job.materials, hole.plies, hole.grid, hole.plate,
                                 failure_assessment(job));
  const std::vector<InteractionRay> rays =
      bearing_bypass_interaction(sup, hole.plate.model, hole.bolt_angle, 4);
  std::istringstream csv(interaction_csv(job, rays));
  std::string line;
  std::getline(csv, line);
  EXPECT_EQ("ray_angle [deg],criterion,bypass [MPa],bearing [MPa],factor_of_unit_load", line);
  int rows = 0;
  while (std::getline(csv, line)) {
    double angle, bypass, bearing, factor;
    char name[32];
    ASSERT_EQ(5, std::sscanf(line.c_str(), "%lf,%31[^,],%lf,%lf,%lf", &angle, name, &bypass,
                             &bearing, &factor))
        << line;
    const double a = angle * 3.141592653589793 / 180.0;
    EXPECT_NEAR(factor * std::cos(a), bypass, 1e-12 * factor) << line;
    EXPECT_NEAR(factor * std::sin(a), bearing, 1e-12 * factor) << line;
    const InteractionRay& ray = rays[static_cast<std::size_t>(rows % 5)];
    EXPECT_EQ(ray.angle, angle);
    if (std::string(name) == "smallest") {
      EXPECT_EQ(std::fmin(ray.reserve.criterion[0].factor, ray.reserve.criterion[1].factor),
                factor);
    }
    ++rows;
  }
  EXPECT_EQ(15, rows);
}

}  // namespace
}  // namespace hs
