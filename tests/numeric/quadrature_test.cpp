#include "numeric/quadrature.hpp"

#include <gtest/gtest.h>

#include <cmath>

namespace hs {
namespace {

// The average over [0, 1] of x^k, exactly 1 / (k + 1).
double average_of_power(Quadrature rule, int n, int k) {
  double x[kMaxQuadraturePoints], w[kMaxQuadraturePoints];
  EXPECT_TRUE(quadrature_points(rule, n, x, w));
  double sum = 0.0;
  for (int i = 0; i < n; ++i) sum += w[i] * std::pow(x[i], k);
  return sum;
}

// Catches wrong nodes or weights: Gauss-Legendre with n points must average every power up to
// 2n - 1 exactly and miss 2n (where the miss shows in double precision); Simpson's rule every
// power up to 3 and miss 4.
TEST(Quadrature, ExactDegrees) {
  for (int n : {1, 2, 3, 5, 8, 16, 40, 257}) {
    for (int k = 0; k < 2 * n && k <= 60; ++k) {
      EXPECT_NEAR(1.0 / (k + 1), average_of_power(Quadrature::kGaussLegendre, n, k), 1e-14)
          << n << " points, power " << k;
    }
    if (n <= 5) {
      EXPECT_GT(
          std::fabs(1.0 / (2 * n + 1) - average_of_power(Quadrature::kGaussLegendre, n, 2 * n)),
          1e-12)
          << n << " points";
    }
  }
  for (int n : {3, 5, 33}) {
    for (int k = 0; k <= 3; ++k) {
      EXPECT_NEAR(1.0 / (k + 1), average_of_power(Quadrature::kSimpson, n, k), 1e-15);
    }
    EXPECT_GT(std::fabs(0.2 - average_of_power(Quadrature::kSimpson, n, 4)), 1e-12);
  }
}

// Catches points outside the interval or out of order, and Simpson's points not equally spaced
// with the interval's ends included.
TEST(Quadrature, PointsInOrderInsideTheInterval) {
  double x[kMaxQuadraturePoints], w[kMaxQuadraturePoints];
  for (int n : {1, 2, 7, 64, 257}) {
    ASSERT_TRUE(quadrature_points(Quadrature::kGaussLegendre, n, x, w));
    EXPECT_GT(x[0], 0.0);
    EXPECT_LT(x[n - 1], 1.0);
    for (int i = 1; i < n; ++i) EXPECT_LT(x[i - 1], x[i]) << n << " points";
    for (int i = 0; i < n; ++i) EXPECT_NEAR(x[i], 1.0 - x[n - 1 - i], 1e-15) << "symmetry";
  }
  ASSERT_TRUE(quadrature_points(Quadrature::kSimpson, 5, x, w));
  const double want_x[5] = {0, 0.25, 0.5, 0.75, 1}, want_w[5] = {1, 4, 2, 4, 1};
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(want_x[i], x[i]);
    EXPECT_NEAR(want_w[i] / 12.0, w[i], 1e-17);
  }
}

// Catches counts a rule cannot take being accepted: the caller's storage stays untouched.
TEST(Quadrature, RefusedCounts) {
  double x[kMaxQuadraturePoints + 1] = {-1}, w[kMaxQuadraturePoints + 1] = {-1};
  const struct {
    Quadrature rule;
    int n;
  } refused[] = {{Quadrature::kGaussLegendre, 0},   {Quadrature::kGaussLegendre, -3},
                 {Quadrature::kGaussLegendre, 258}, {Quadrature::kSimpson, 1},
                 {Quadrature::kSimpson, 4},         {Quadrature::kSimpson, 259}};
  for (const auto& r : refused) {
    EXPECT_FALSE(quadrature_points(r.rule, r.n, x, w)) << r.n;
    EXPECT_EQ(-1, x[0]);
    EXPECT_EQ(-1, w[0]);
  }
}

}  // namespace
}  // namespace hs
