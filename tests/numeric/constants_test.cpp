// Angles brought within a turn.
#include "numeric/constants.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

namespace hs {
namespace {

// Catches a reduction that is not exact (pi / 180 taken first), that moves angles of less than a
// turn by a rounding, that changes the sign of the remainder, or that misses a turn exactly.
TEST(ReduceDegrees, ExactRemainderFromATurnUp) {
  const struct {
    double angle, reduced;
  } table[] = {
      {0.0, 0.0},   {359.99, 359.99}, {-359.99, -359.99}, {0.1, 0.1},
      {360.0, 0.0}, {-360.0, -0.0},   {720.5, 0.5},       {-1080.25, -0.25},
      {1e15, 280},  {1e16, 280},      {1e17, 280},        {1e18, 280},
      {1e19, 280},  {1e20, 280},      {-1e20, -280},      {1e300, std::fmod(1e300, 360.0)},
  };
  for (const auto& t : table) {
    const double got = reduce_degrees(t.angle);
    EXPECT_TRUE(std::memcmp(&got, &t.reduced, sizeof(double)) == 0)
        << t.angle << ": " << got << ", not " << t.reduced;
  }
}

}  // namespace
}  // namespace hs
