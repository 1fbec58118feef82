#include "numeric/polynomial_roots.hpp"

#include <cmath>

namespace hs {

namespace {

constexpr double kRmprec = 1e-14;   // a constant term or |P'|^2 this small counts as zero
constexpr double kTol = 1e-4;       // convergence: |dx| + |dy| of one Newton step
constexpr double kRealTest = 1e-4;  // |y| below this times |x| makes a root real
constexpr int kMaxSteps = 500;      // Newton steps per start and per polishing pass
constexpr int kStartLimit = 5;      // starts tried before a search that runs out of steps fails
// Starts abandoned because the derivative vanished also count, but on their own they would never
// reach the step limit: a polynomial whose derivative is flat everywhere (degree 1 with a tiny
// leading coefficient) would restart forever. This bound ends such a search with status 3.
constexpr int kStartBound = 1000;

enum class Pass { kConverged, kZeroRoot, kFlat, kStepLimit };

// One Newton pass on the polynomial c (descending powers, degree deg) from z = (x, y).
Pass newton(const double* c, int deg, double& x, double& y) {
  for (int steps = 0;;) {
    double c0 = c[deg];
    if (std::fabs(c0) <= kRmprec) return Pass::kZeroRoot;
    // P(z) = u + iv and P'(z) = p + iq, with the powers of z built by successive products.
    double u = c0, v = 0.0, p = 0.0, q = 0.0;
    double wr = 1.0, wi = 0.0;
    for (int k = 1; k <= deg; ++k) {
      double ck = c[deg - k];
      double kc = static_cast<double>(k) * ck;
      p = p + kc * wr;
      q = q + kc * wi;
      double t = x * wr - y * wi;
      wi = x * wi + y * wr;
      wr = t;
      u = u + ck * wr;
      v = v + ck * wi;
    }
    double d = p * p + q * q;
    if (d <= kRmprec) return Pass::kFlat;
    double dx = -(u * p + v * q) / d;
    double dy = (u * q - v * p) / d;
    x = x + dx;
    y = y + dy;
    if (std::fabs(dx) + std::fabs(dy) <= kTol) return Pass::kConverged;
    ++steps;
    if (steps >= kMaxSteps) return Pass::kStepLimit;
  }
}

// Synthetic division of b (descending, degree m + 1 or m + 2) by z - a (s = 0) or by
// z^2 - a z + s; b[0..m] receives the quotient, the remainder is dropped.
void deflate(double* b, int m, double a, double s) {
  b[1] = b[1] + a * b[0];
  for (int k = 2; k <= m; ++k) b[k] = b[k] + a * b[k - 1] - s * b[k - 2];
}

}  // namespace

RootsResult polynomial_roots(const double* coefficients, int degree, double* work, double* re,
                             double* im) {
  if (degree < 0) {  // outside the contract; there is no leading coefficient to look at
    return {RootStatus::kDegreeBelowOne, 0};
  }
  if (coefficients[degree] == 0.0) return {RootStatus::kZeroLeadingCoefficient, 0};
  if (degree < 1) return {RootStatus::kDegreeBelowOne, 0};
  if (degree > kMaxRootsDegree) return {RootStatus::kDegreeTooHigh, 0};

  // Working polynomial in work and polishing polynomial in pol, both in descending powers.
  double pol[kMaxRootsDegree + 1];
  for (int k = 0; k <= degree; ++k) {
    work[k] = coefficients[degree - k];
    pol[k] = work[k];
  }
  int n = degree;
  int npol = degree;
  int next = 0;

  while (n > 0) {
    double x0 = 0.00500101, y0 = 0.01000101;
    double x = 0.0, y = 0.0;
    int starts = 0;
    auto take_start = [&] {
      double t = x0;
      x0 = -10.0 * y0;
      y0 = -10.0 * t;
      x = x0;
      y = y0;
      ++starts;
    };
    take_start();

    bool polishing = false;
    bool zero_root = false;
    double ux = 0.0, uy = 0.0;  // the root before polishing
    for (;;) {
      Pass res = polishing ? newton(pol, npol, x, y) : newton(work, n, x, y);
      if (res == Pass::kZeroRoot) {
        zero_root = true;
        break;
      }
      if (polishing) {
        if (res == Pass::kFlat) {
          x = ux;
          y = uy;
        }
        break;  // converged, out of steps (accepted as it stands) or restored
      }
      if (res == Pass::kConverged) {
        ux = x;
        uy = y;
        polishing = true;
        continue;
      }
      if ((res == Pass::kStepLimit && starts >= kStartLimit) || starts >= kStartBound) {
        return {RootStatus::kSearchFailed, next};
      }
      take_start();
    }

    bool pair = false;
    if (zero_root) {
      x = 0.0;
      y = 0.0;
      deflate(work, n - 1, 0.0, 0.0);
      n = n - 1;
      npol = npol - 1;
    } else if (std::fabs(y) < kRealTest * std::fabs(x) || n == 1) {
      // A linear factor has a real root; storing a pair there would run past the degree.
      y = 0.0;
      deflate(work, n - 1, x, 0.0);
      n = n - 1;
    } else {
      pair = true;
      deflate(work, n - 2, 2.0 * x, x * x + y * y);
      n = n - 2;
    }

    re[next] = x;
    im[next] = y;
    ++next;
    if (pair) {
      re[next] = x;
      im[next] = -y;
      ++next;
    }
  }
  return {RootStatus::kFound, next};
}

}  // namespace hs
