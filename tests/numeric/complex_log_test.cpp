#include "numeric/complex_log.hpp"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <random>

namespace hs {
namespace {

// Catches a logarithm that departs from std::log in any bit: the band near the unit circle that
// complex_log works out itself (the sum of the split squares, the order of the sort) and the
// cases it hands on, over random points near the circle (where the mapped variables of a bolt
// solution lie), everywhere else, and edge values.
TEST(ComplexLog, SameBitsAsStdLog) {
  std::mt19937_64 rng(5);
  std::uniform_real_distribution<double> radius(0.999, 1.001), wide(1e-3, 1e3), phase(-4, 4);
  int differences = 0;
  auto compare = [&](std::complex<double> z) {
    const std::complex<double> a = std::log(z), b = complex_log(z);
    if (std::memcmp(&a, &b, sizeof a) != 0 && !(std::isnan(a.real()) && std::isnan(b.real()))) {
      ++differences;
    }
  };
  for (int i = 0; i < 300000; ++i) {
    compare(std::polar(i % 2 ? radius(rng) : wide(rng), phase(rng)));
  }
  const double inf = std::numeric_limits<double>::infinity(), nan = std::nan("");
  for (double x : {0.0, -0.0, 0.5, 0.7071067811865476, 1.0, -1.0, 1e-300, 1e300, inf, -inf, nan}) {
    for (double y : {0.0, -0.0, 0.5, 0.7071067811865476, 1.0, -1.0, 1e-17, 1e300, inf, nan}) {
      compare({x, y});
    }
  }
  EXPECT_EQ(0, differences);
}

}  // namespace
}  // namespace hs
