#include "numeric/tridiagonal.hpp"

#include <cmath>

namespace hs {

bool solve_tridiagonal(const double* lower, double* diagonal, const double* upper, double* rhs,
                       int n) {
  if (n <= 0) return true;
  double largest = 0.0;
  for (int i = 0; i < n; ++i) largest = std::fmax(largest, std::fabs(diagonal[i]));
  auto singular = [largest](double pivot) {
    return !std::isfinite(pivot) || std::fabs(pivot) <= kSingularPivot * largest;
  };
  // 1. Forward elimination: each row loses its entry left of the diagonal.
  if (singular(diagonal[0])) return false;
  for (int i = 1; i < n; ++i) {
    double m = lower[i] / diagonal[i - 1];
    diagonal[i] = diagonal[i] - m * upper[i - 1];
    rhs[i] = rhs[i] - m * rhs[i - 1];
    if (singular(diagonal[i])) return false;
  }
  // 2. Back substitution.
  rhs[n - 1] = rhs[n - 1] / diagonal[n - 1];
  for (int i = n - 2; i >= 0; --i) rhs[i] = (rhs[i] - upper[i] * rhs[i + 1]) / diagonal[i];
  return true;
}

}  // namespace hs
