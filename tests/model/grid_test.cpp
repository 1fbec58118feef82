#include "model/grid.hpp"

#include <gtest/gtest.h>

#include "model/limits.hpp"

namespace hs {
namespace {

// Catches a station count rounded instead of truncated, one not limited as the grid asks, an
// undefined conversion of a ratio that is not a number or far out of the integer range (a huge
// negative ratio must give no stations, not a wrapped-around count), and a step count not limited
// to 0..kMaxSteps. Columns: angle step, low, high, steps; expected stations (at most, for the
// counts that may go negative) and steps.
TEST(Grid, StationAndStepCounts) {
  const struct {
    double step, low, high;
    int steps, stations, step_count;
  } cases[] = {
      // clang-format off
      {15, 0, 90, 3, 7, 3}, {0.1, 0, 0.3, 1, 3, 1}, {-10, 90, 0, 9, 10, kMaxSteps},
      {1, 0, 360, -2, kMaxStations, 0}, {1e-300, 0, 1, 7, kMaxStations, 7}, {0, 30, 30, 1, 0, 1},
      {1e-300, 0, -1, 1, 0, 1}, {1, 0, -1e300, 1, 0, 1}, {10, 0, -25, 1, 0, 1},
      // clang-format on
  };
  for (const auto& c : cases) {
    Grid g{0.25, c.step, c.low, c.high, 0.05, c.steps, kMaxStations, kMaxSteps};
    if (c.stations > 0) {
      EXPECT_EQ(c.stations, station_count(g)) << c.step << " " << c.high;
    } else {
      EXPECT_LE(station_count(g), 0) << c.step << " " << c.high;
    }
    EXPECT_EQ(c.step_count, step_count(g)) << c.steps;
  }
  // Without limits (a job file's grid) the counts are as typed.
  Grid g{0.25, 0.1, 0, 360, 0.05, 1000};
  EXPECT_EQ(3601, station_count(g));
  EXPECT_EQ(1000, step_count(g));
}

}  // namespace
}  // namespace hs
