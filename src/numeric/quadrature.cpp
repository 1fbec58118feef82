#include "numeric/quadrature.hpp"

#include <cmath>

namespace hs {

namespace {

constexpr double kPi = 3.141592653589793;

// Gauss-Legendre on [-1, 1]: the roots x of P_n by Newton's method from the first guess
// cos(pi (i + 3/4) / (n + 1/2)),
// with P_n and its derivative by the three-term recurrence; the weight of each root is
// 2 / ((1 - x^2) P_n'(x)^2). The roots are symmetric: the positive half is found and mirrored.
void gauss_legendre(int n, double* x, double* w) {
  for (int i = 0; i < (n + 1) / 2; ++i) {
    double root = std::cos(kPi * (i + 0.75) / (n + 0.5));
    double derivative = 1.0;
    for (int iteration = 0; iteration < 100; ++iteration) {
      double p0 = 1.0, p1 = root;
      for (int k = 2; k <= n; ++k) {
        const double p2 = ((2 * k - 1) * root * p1 - (k - 1) * p0) / k;
        p0 = p1;
        p1 = p2;
      }
      derivative = n * (root * p1 - p0) / (root * root - 1.0);
      const double step = p1 / derivative;
      root = root - step;
      if (std::fabs(step) <= 1e-16) break;
    }
    x[i] = -root;
    x[n - 1 - i] = root;
    w[i] = w[n - 1 - i] = 2.0 / ((1.0 - root * root) * derivative * derivative);
  }
}

}  // namespace

bool quadrature_points(Quadrature rule, int n, double* offsets, double* weights) {
  if (n > kMaxQuadraturePoints) return false;
  if (rule == Quadrature::kGaussLegendre) {
    if (n < 1) return false;
    gauss_legendre(n, offsets, weights);
    // From [-1, 1] to fractions of the interval; the weights of [-1, 1] sum to 2.
    for (int i = 0; i < n; ++i) {
      offsets[i] = 0.5 * (offsets[i] + 1.0);
      weights[i] = 0.5 * weights[i];
    }
    return true;
  }
  if (n < 3 || n % 2 == 0) return false;
  const int intervals = n - 1;
  for (int i = 0; i < n; ++i) {
    offsets[i] = static_cast<double>(i) / intervals;
    const double w = i == 0 || i == intervals ? 1.0 : (i % 2 == 1 ? 4.0 : 2.0);
    weights[i] = w / (3.0 * intervals);
  }
  return true;
}

}  // namespace hs
