#include "numeric/linear_solve.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "numeric/constants.hpp"

namespace hs {

// Catches a wrong pivot choice, an absolute instead of a relative singularity test, a tolerance
// measured against the first instead of the largest pivot, faults of the back substitution, and
// any access to the arrays when there are no equations; a pivot test off by one double at its
// boundary (a pivot of tolf times the largest pivot, either sign, is singular; the next double up
// is solved; tolf = 7.11e-15 * 3.18 * (n - 1), the largest pivot here 4).
TEST(SolveLinear, TableOfSystems) {
  constexpr LinearStatus kOk = LinearStatus::kSolved, kSing = LinearStatus::kSingular;
  const double edge = 4 * (7.11e-15 * kPivotToleranceScale) * 2, above = std::nextafter(edge, 1.0);
  const struct {
    int n;
    LinearStatus status;
    std::vector<double> a, b, x, a_out;  // a column by column; x, a_out: empty if not checked
    double tol;                          // relative, on x
  } cases[] = {
      // clang-format off
      {1, kOk, {2}, {6}, {3}, {1}, 0}, {1, kSing, {0}, {6}, {6}, {0}, 0},
      // second column empty below the first pivot
      {3, kSing, {2, 4, 1, 1, 2, 0.5, 0, 1, 3}, {1, 2, 3}, {}, {}, 0},
      // equal magnitudes of opposite sign: the upper row is the pivot, nothing is exchanged
      {2, kOk, {1, -1, 1, 1}, {3, 1}, {1, 2}, {1, -1, 1, 1}, 0},
      // third pivot 1e-14 and 1e-13 times the largest earlier pivot (1e3, the second)
      {4, kSing, {1, 0, 0, 0, 0, 1e3, 0, 0, 0, 0, 1e-11, 0, 0, 0, 0, 1}, {1, 2, 3, 4}, {}, {}, 0},
      {4, kOk, {1, 0, 0, 0, 0, 1e3, 0, 0, 0, 0, 1e-10, 0, 0, 0, 0, 1}, {1, 2, 3, 4},
       {1, 2e-3, 3e10, 4}, {}, 1e-15},
      // permutation: every pivot is 1.0 and the solution is exact
      {4, kOk, {0, 0, 1, 0, 1, 0, 0, 0, 0, 0, 0, 1, 0, 1, 0, 0}, {0.1, 0.2, 0.3, 0.7},
       {0.3, 0.1, 0.7, 0.2}, {}, 0},
      // a row exchange in the first column and every term of the back substitution
      {3, kOk, {1, 2, 1, 2, 1, 3, 3, 1, 2}, {14, 7, 13}, {1, 2, 3}, {}, 1e-15},
      {0, kOk, {}, {}, {}, {}, 0}, {-1, kOk, {}, {}, {}, {}, 0},
      {3, kSing, {1, 0, 0, 0, 4, 0, 0, 0, edge}, {1, 2, 3}, {}, {}, 0},
      {3, kSing, {1, 0, 0, 0, 4, 0, 0, 0, -edge}, {1, 2, 3}, {}, {}, 0},
      {3, kOk, {1, 0, 0, 0, 4, 0, 0, 0, above}, {1, 2, 3}, {1, 0.5, 3 / above}, {}, 0},
      {3, kOk, {1, 0, 0, 0, 4, 0, 0, 0, -above}, {1, 2, 3}, {1, 0.5, -3 / above}, {}, 0},
      // clang-format on
  };
  for (const auto& c : cases) {
    std::vector<double> a = c.a, b = c.b;
    EXPECT_EQ(c.status, solve_linear(a.data(), b.data(), c.n)) << c.n;
    for (size_t i = 0; i < c.x.size(); ++i) EXPECT_NEAR(c.x[i], b[i], c.tol * std::abs(c.x[i]));
    EXPECT_TRUE(c.a_out.empty() || c.a_out == a) << c.n;
  }
}

}  // namespace hs
