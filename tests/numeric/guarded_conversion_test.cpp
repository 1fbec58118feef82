#include "numeric/guarded_conversion.hpp"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>

namespace hs {
namespace {

// Catches a plain cast (undefined beyond the integer range: the sanitizer build reports it),
// limits off by one at either end, rounding instead of truncation toward zero, and NaN or a huge
// negative value turned into a positive count.
TEST(GuardedConversion, TruncateToInt) {
  const double inf = std::numeric_limits<double>::infinity();
  const struct {
    double v;
    int expected;
  } cases[] = {
      // clang-format off
      {2.9, 2}, {-2.9, -2}, {-0.5, 0}, {std::nan(""), 0}, {2147483647.9, INT_MAX},
      {2147483648.0, INT_MAX}, {1e300, INT_MAX}, {inf, INT_MAX}, {-2147483648.9, INT_MIN},
      {-2147483649.0, INT_MIN}, {-1e300, INT_MIN}, {-inf, INT_MIN},
      // clang-format on
  };
  for (const auto& c : cases) EXPECT_EQ(c.expected, truncate_to_int(c.v)) << c.v;
}

}  // namespace
}  // namespace hs
