#include "numeric/tridiagonal.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace hs {
namespace {

// Catches a wrong elimination factor or back substitution (solutions worked by hand), reading
// lower[0] or upper[n-1] (set to NaN), a missed singular pivot (zero, relatively tiny, NaN,
// infinite, a zero that only elimination reveals), and any access when there are no equations.
TEST(Tridiagonal, TableOfSystems) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  const struct {
    int n;
    bool solved;
    std::vector<double> lower, diagonal, upper, rhs, x;
  } cases[] = {
      // clang-format off
      {0, true, {}, {}, {}, {}, {}},
      {-1, true, {}, {}, {}, {}, {}},
      {1, true, {nan}, {4}, {nan}, {2}, {0.5}},
      // 2 x1 + x2 = 3, x1 + 3 x2 = 5: x = (0.8, 1.4)
      {2, true, {nan, 1}, {2, 3}, {1, nan}, {3, 5}, {0.8, 1.4}},
      // the second-difference matrix of order 4 times x = (1, 2, 3, 4): rhs (0, 0, 0, 5)
      {4, true, {nan, -1, -1, -1}, {2, 2, 2, 2}, {-1, -1, -1, nan}, {0, 0, 0, 5}, {1, 2, 3, 4}},
      // unsymmetric: 4 x1 - x2 = 2, 2 x1 + 5 x2 + x3 = 15, -x2 + 3 x3 = 7: x = (1, 2, 3)
      {3, true, {nan, 2, -1}, {4, 5, 3}, {-1, 1, nan}, {2, 15, 7}, {1, 2, 3}},
      {2, false, {nan, 1}, {0, 3}, {1, nan}, {3, 5}, {}},
      // [[1, 1], [1, 1]]: the second pivot is 0 after elimination
      {2, false, {nan, 1}, {1, 1}, {1, nan}, {3, 5}, {}},
      // a pivot of 1e-15 against a largest diagonal entry of 1
      {2, false, {nan, 0}, {1, 1e-15}, {0, nan}, {1, 1}, {}},
      {2, false, {nan, 0}, {1, nan}, {0, nan}, {1, 1}, {}},
      {2, false, {nan, 0}, {1, inf}, {0, nan}, {1, 1}, {}},
      // clang-format on
  };
  for (const auto& c : cases) {
    std::vector<double> diagonal = c.diagonal, rhs = c.rhs;
    bool solved =
        solve_tridiagonal(c.lower.data(), diagonal.data(), c.upper.data(), rhs.data(), c.n);
    EXPECT_EQ(c.solved, solved) << c.n;
    for (size_t i = 0; i < c.x.size(); ++i) EXPECT_NEAR(c.x[i], rhs[i], 1e-14) << c.n << " " << i;
  }
}

}  // namespace
}  // namespace hs
