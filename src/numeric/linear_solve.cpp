#include "numeric/linear_solve.hpp"

#include <cmath>

#include "numeric/constants.hpp"

namespace hs {

namespace {
constexpr double kEps = 7.11e-15;  // the precision the pivot test allows for
}  // namespace

LinearStatus solve_linear(double* a, double* b, int n) {
  if (n <= 0) return LinearStatus::kSolved;
  auto at = [a, n](int i, int j) -> double& { return a[(i - 1) + n * (j - 1)]; };
  double tolf = (kEps * kPivotToleranceScale) * static_cast<double>(n - 1);
  double pmax = 0.0;

  for (int j = 1; j <= n; ++j) {
    double p = 0.0;
    int r = j;
    for (int i = j; i <= n; ++i) {
      if (std::fabs(p) - std::fabs(at(i, j)) < 0.0) {
        p = at(i, j);
        r = i;
      }
    }
    if (std::fabs(p) > pmax) pmax = std::fabs(p);
    if (std::fabs(p) - tolf * pmax <= 0.0) {
      return LinearStatus::kSingular;
    }
    for (int k = j; k <= n; ++k) {
      double t = at(j, k);
      at(j, k) = at(r, k);
      at(r, k) = t;
      at(j, k) = at(j, k) / p;
    }
    double t = b[r - 1];
    b[r - 1] = b[j - 1];
    b[j - 1] = t / p;
    if (j == n) break;
    for (int i = j + 1; i <= n; ++i) {
      for (int k = j + 1; k <= n; ++k) at(i, k) = at(i, k) - at(i, j) * at(j, k);
      b[i - 1] = b[i - 1] - b[j - 1] * at(i, j);
    }
  }

  for (int m = 1; m <= n - 1; ++m) {
    int q = n - m;
    for (int c = n; c >= q + 1; --c) b[q - 1] = b[q - 1] - at(q, c) * b[c - 1];
  }
  return LinearStatus::kSolved;
}

}  // namespace hs
