// The strip model on the grid: the kept solution, and stations outside the strip.
#include "hole/strip_field.hpp"

#include <gtest/gtest.h>

#include <cmath>

namespace hs {
namespace {

// A [0/0/45/-45] carbon laminate's membrane compliance (1/psi, thickness 0.02).
Mat3 orthotropic() {
  Mat3 a{};
  a(1, 1) = 8.6e-8;
  a(2, 2) = 2.2e-7;
  a(1, 2) = a(2, 1) = -6.1e-8;
  a(3, 3) = 3.3e-7;
  return a;
}

// Catches a kept solution used for another laminate or strip, or one solved again needlessly:
// the same inputs give the kept solution; any one input changed, in its last bit or by one term
// or point, solves again for that input.
TEST(StripField, KeptSolutionFollowsEveryInput) {
  StripHoleCache cache;
  const Mat3 a = orthotropic();
  const StripGeometry g{1.0, 0.25, 0.5};
  const StripSettings s;
  const StripSolution* first = &cached_strip_solution(a, g, s, cache);
  ASSERT_EQ(StripStatus::ok, first->status);
  const double peak = first->peak_hoop[kStripBearing];
  EXPECT_EQ(peak, cached_strip_solution(a, g, s, cache).peak_hoop[kStripBearing]);

  Mat3 b = a;
  b(3, 3) = std::nextafter(b(3, 3), 1.0);
  EXPECT_EQ(b(3, 3), cached_strip_solution(b, g, s, cache).compliance(3, 3));
  StripGeometry wider = g;
  wider.width = 1.25;
  EXPECT_EQ(1.25, cached_strip_solution(a, wider, s, cache).geometry.width);
  StripGeometry longer = g;
  longer.edge_distance = 0.0;
  EXPECT_TRUE(cached_strip_solution(a, longer, s, cache).has_bypass);
  StripSettings more = s;
  more.side_points += 1;
  EXPECT_EQ(more.side_points, cached_strip_solution(a, g, more, cache).settings.side_points);
  more = s;
  more.outer_terms += 2;
  EXPECT_EQ(more.outer_terms, cached_strip_solution(a, g, more, cache).settings.outer_terms);
  // Back to the first inputs: the same peak as before.
  EXPECT_EQ(peak, cached_strip_solution(a, g, s, cache).peak_hoop[kStripBearing]);
}

// Catches a station beyond the strip that gets a value (the field there is not the plate's), or
// one inside that does not: a grid reaching past the free end leaves NaN there, and the status
// says so; the stations inside keep their values.
TEST(StripField, StationsOutsideTheStripAreUndefined) {
  StripHoleCache cache;
  const StripSolution& s = cached_strip_solution(orthotropic(), {1.0, 0.25, 0.25}, {}, cache);
  ASSERT_EQ(StripStatus::ok, s.status);
  // Every 90 degrees at 0, 0.1 and 0.2 from the edge: 0.325 ahead of the centre lies beyond the
  // free end at 0.25, 0.325 across it within the side at 0.5.
  const Grid grid{0.25, 90, 0, 270, 0.1, 3};
  LaminateField f;
  EXPECT_EQ(StripStatus::outside, strip_field_around_hole(grid, s, 1000, 0, true, f));
  for (int k = 0; k < 3; ++k) {
    for (int j = 0; j < 4; ++j) {
      const bool outside = j == 0 && k == 2;
      EXPECT_EQ(outside, std::isnan(f.stress[j][k][0])) << j << " " << k;
      EXPECT_EQ(outside, std::isnan(f.strain[j][k][1])) << j << " " << k;
      EXPECT_EQ(outside, std::isnan(f.u[j][k])) << j << " " << k;
    }
  }
  // A bypass with a free end: no field, and its status.
  EXPECT_EQ(StripStatus::bypass_with_edge,
            strip_field_around_hole(Grid{0.25, 90, 0, 270, 0.05, 1}, s, 0, 1000, false, f));
  EXPECT_TRUE(std::isnan(f.stress[1][0][0]));
  // Displacements only when asked for.
  EXPECT_EQ(StripStatus::ok,
            strip_field_around_hole(Grid{0.25, 90, 0, 270, 0.05, 1}, s, 1000, 0, false, f));
  EXPECT_TRUE(std::isfinite(f.stress[1][0][0]));
  EXPECT_TRUE(std::isnan(f.u[1][0]));
}

}  // namespace
}  // namespace hs
