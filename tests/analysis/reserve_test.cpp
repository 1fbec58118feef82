#include "analysis/reserve.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace hs {
namespace {

// Catches a field that is not finite read as "never fails": a NaN ply value anywhere makes that
// criterion's factor undefined and leaves no smallest factor, whatever the other criteria say.
TEST(JudgeReserve, UndefinedFieldIsNotNeverFails) {
  PlyStack plies;
  plies.resize(1);
  plies.thickness[0] = 0.1;
  Materials m;
  m.resize(1);
  m.allowables[0] = {100, 100, 100, 100, 100};
  FailureAssessment a;
  a.criteria = {Criterion::kMaxStress, Criterion::kHoffman};
  a.allowables = {m, m};
  a.distances = {{0.05, 0.05}};
  ReserveStations stations;
  ASSERT_TRUE(place_reserve_stations(Grid{0.25, 90, 0, 90, 0.05, 2}, a, 0.0, stations));
  PlyField field;
  field.resize(2, 1, 1);
  for (int j = 0; j < 2; ++j) {
    for (int c = 0; c < 3; ++c) field.stress[j][0][0][c] = field.strain[j][0][0][c] = 10.0;
  }
  LoadCaseReserve r = judge_reserve(a, plies, stations, field, 0);
  EXPECT_FALSE(r.undefined);
  EXPECT_EQ(1, r.smallest);  // Hoffman: 1 / sqrt(0.02) = 7.07 below maximum stress's 10
  EXPECT_DOUBLE_EQ(10.0, r.criterion[0].factor);

  field.stress[1][0][0][2] = std::numeric_limits<double>::quiet_NaN();
  r = judge_reserve(a, plies, stations, field, 0);
  EXPECT_TRUE(r.undefined);
  EXPECT_TRUE(std::isnan(r.criterion[0].factor));
  EXPECT_EQ(1, r.criterion[0].station);
  EXPECT_EQ(-1, r.smallest);
}

}  // namespace
}  // namespace hs
