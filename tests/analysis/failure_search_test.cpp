#include "analysis/failure_search.hpp"

#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "dialogue/program.hpp"
#include "hole/hole_field.hpp"
#include "ply/ply_values.hpp"

namespace hs {
namespace {

// The governing failure number at the failure step of the problem's loads times factor, worked
// out afresh from the loads (not from what the analysis kept).
double governing_at(const Problem& pb, const Compliance& c, double factor) {
  static auto work = std::make_unique<Workspace>();
  Loads l = pb.loads;
  for (double* v : {&l.px, &l.py, &l.pxy, &l.bearing, &l.bypass}) *v *= factor;
  field_around_hole(pb.grid, l, c, false, work->cache, work->field);
  ply_values(pb.materials, pb.plies, pb.grid, work->field, work->plies);
  return governing_value(pb.criterion, pb.materials, pb.plies, pb.grid, work->plies, kFailureStep)
      .value;
}

// After each analysis: whether it found a failure load, and the largest failure magnitude at the
// failure step at the loads it ended with and at all loads 1 percent lower.
struct Outcome : DialogueWatcher {
  std::vector<bool> found;
  std::vector<double> at_failure, below;
  void analysed(const Problem& pb, const Workspace& done, const Shares&,
                SearchOutcome outcome) override {
    found.push_back(outcome == SearchOutcome::kFound);
    at_failure.push_back(governing_at(pb, done.laminate.compliance, 1.0));
    below.push_back(governing_at(pb, done.laminate.compliance, 0.99));
  }
};

std::string dialogue(const std::string& input, DialogueWatcher* watcher = nullptr) {
  std::istringstream in(input);
  std::ostringstream out, err;
  EXPECT_EQ(0, run_dialogue(in, out, err, watcher));
  return out.str();
}

// Catches a search that hangs, stops or settles on a later root where the plain iteration of
// the modified Tsai-Wu criterion oscillates (all-90 layups under compression across the fibres),
// and failure loads that are not the loads of the field judged (loads scaled after use).
TEST(FailureSearch, CompressionCarpetPlotFindsFirstPlyFailure) {
  Outcome outcome;
  std::string out = dialogue(
      "NO\n1 10/\n4 1\n20.0E6 1.4E6 0.7E6 0.3\n200E3 180E3 8E3 30E3 12E3\n0 45 -45 90\n"
      "0.25 0.25 0.25 0.25\n-10000 0 0 0 0 0\n0.25 5 0 180 0.05 2\n4\nNO\n",
      &outcome);
  size_t tables = 0;
  for (size_t at = 0; (at = out.find("AUTOMATIC SEARCH FOR FAILURE", at + 1)) != out.npos;)
    ++tables;
  EXPECT_EQ(66u, tables);
  ASSERT_EQ(66u, outcome.found.size());
  for (size_t t = 0; t < 66; ++t) {
    EXPECT_TRUE(outcome.found[t]) << "layup " << t;
    // A factor within 0.999..1.001 leaves the failure number within 0.998..1.002.
    EXPECT_NEAR(1.0, outcome.at_failure[t], 0.0021) << "layup " << t;
    EXPECT_LT(outcome.below[t], 1.0) << "layup " << t;
  }
}

// Catches a load left out of the scaling (the bypass and the bearing stress included) and
// failure loads that are not those of the field judged: the search ends with all five loads
// scaled by one factor, at which the governing failure number is 1.
TEST(FailureSearch, ScalesEveryLoadTogether) {
  Problem pb{};
  pb.materials.resize(1);
  pb.materials.elastic[0] = {20e6, 1.4e6, 0.7e6, 0.3};
  pb.materials.allowables[0] = {200e3, 180e3, 8e3, 30e3, 12e3};
  pb.plies = {4, {0, 45, -45, 90}, {0.005, 0.005, 0.005, 0.005}, {0, 0, 0, 0}};
  pb.grid = {0.25, 30, 0, 330, 0.05, 2};
  pb.criterion = Criterion::kHoffman;
  const Loads typed{2000, 400, 200, 10, 1000, 30, 100};
  pb.loads = typed;
  CaseList cases{{10}};
  struct : AnalysisListener {
  } quiet;
  auto work = std::make_unique<Workspace>();
  ASSERT_EQ(SearchOutcome::kFound, analyse(pb, stages_for(cases), *work, quiet));
  const Loads& l = pb.loads;
  double factor = l.px / typed.px;
  EXPECT_NE(1.0, factor);
  for (double ratio :
       {l.py / typed.py, l.pxy / typed.pxy, l.bearing / typed.bearing, l.bypass / typed.bypass}) {
    EXPECT_NEAR(factor, ratio, 1e-13 * factor);
  }
  EXPECT_EQ(typed.off_axis, l.off_axis);
  EXPECT_EQ(typed.bolt_angle, l.bolt_angle);
  EXPECT_NEAR(1.0, governing_at(pb, work->laminate.compliance, 1.0), 0.0021);
}

// Catches failure loads that do not follow from the stress field: for one 0-degree ply the
// failure PX by maximum stress is T1 over the X STRESS printed at STEP and 90 degrees per unit PX
// (printed for PX = 1000 to keep its rounding small).
TEST(FailureSearch, FibreTensionFailureFollowsOpenHoleStress) {
  const std::string head =
      "NO\n3 10/\n1 1\n20.0E6 1.4E6 0.7E6 0.3\n200E3 180E3 1E9 1E9 1E9\n0\n0.01\n";
  const std::string tail = " 0 0 0 0 0\n0.25 90 0 90 0.05 2\n2\nNO\n";
  std::string unit = dialogue(head + "1000" + tail), search = dialogue(head + "100" + tail);
  size_t at = unit.find("\n 0.050   90.00"), loads = search.find("PX          PY");
  ASSERT_NE(std::string::npos, at);
  ASSERT_NE(std::string::npos, loads);
  double sx = std::stod(unit.substr(at + 15, 11)) / 1000;
  double px = std::stod(search.substr(search.find('\n', loads) + 1, 23));
  EXPECT_NEAR(200e3 / sx, px, 200e3 / (sx * sx) * 0.005e-3 + 0.005);
}

}  // namespace
}  // namespace hs
