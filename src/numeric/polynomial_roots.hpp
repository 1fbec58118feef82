// All roots, real and complex, of a real polynomial of degree 1 to 36, by Newton's iteration in
// complex arithmetic from a fixed sequence of starting points.
//
// coefficients holds the degree + 1 coefficients in ascending powers (coefficients[0] is the
// constant term) and is not changed; work (degree + 1 doubles) is scratch. Each root found on the
// deflated polynomial is polished on the undeflated one. re, im receive the roots in the order
// found, a complex pair as x + iy then x - iy, a real root with im exactly 0. When a root search
// fails, the roots found before it are stored and later positions are not written; nothing is
// stored past position degree.
#pragma once

namespace hs {

constexpr int kMaxRootsDegree = 36;

enum class RootStatus {
  kFound,                   // all roots stored
  kDegreeBelowOne,          // degree < 1: nothing to find
  kDegreeTooHigh,           // degree > kMaxRootsDegree
  kSearchFailed,            // Newton's iteration found no root from any start
  kZeroLeadingCoefficient,  // the coefficient of the highest power is exactly 0
};

struct RootsResult {
  RootStatus status;
  int found;  // roots stored
};

RootsResult polynomial_roots(const double* coefficients, int degree, double* work, double* re,
                             double* im);

}  // namespace hs
