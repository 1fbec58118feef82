#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "control/driver.hpp"
#include "hole/lamstr.hpp"
#include "ply/failure.hpp"
#include "ply/plystr.hpp"

namespace hs {
namespace {

// After each analysis: whether it found a failure load, the governing failure number there, and
// the largest failure magnitude at distance STEP with all loads 1 percent lower.
struct Outcome : AnalysisObserver {
  std::vector<bool> found;
  std::vector<double> at_failure, below;
  void pass_begun(const State&, double, bool) override {}
  void analysed(const State& done, int, int, int, bool converged) override {
    auto st = std::make_unique<State>(done);
    std::istringstream in;
    std::ostringstream out;
    Console con(in, out, out);
    found.push_back(converged);
    at_failure.push_back(governing_value(*st).GMAX);
    st->quiet = true, st->four.FACTOR = 0.99;
    lamstr(*st, con);
    plystr(*st, con, st->five.KRIT);
    below.push_back(governing_value(*st).GMAX);
  }
};

std::string dialogue(const std::string& input, AnalysisObserver* observer = nullptr) {
  std::istringstream in(input);
  std::ostringstream out, err;
  EXPECT_EQ(0, run(in, out, err, observer));
  return out.str();
}

// Catches a search that hangs, stops or settles on a later root where the plain iteration of
// the modified Tsai-Wu criterion oscillates (all-90 layups under compression across the fibres).
TEST(Search, CompressionCarpetPlotFindsFirstPlyFailure) {
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

// Catches failure loads that do not follow from the stress field: for one 0-degree ply the
// failure PX by maximum stress is T1 over the X STRESS printed at STEP and 90 degrees per unit PX
// (printed for PX = 1000 to keep its rounding small).
TEST(Search, FibreTensionFailureFollowsOpenHoleStress) {
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
