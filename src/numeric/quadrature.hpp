// Quadrature rules for the average of a function over an interval (the average-stress method
// takes the stresses along a radial line from the hole edge this way).
//
// quadrature_points fills `offsets` with the points of the rule as fractions of the interval
// (0 at its start, 1 at its end, ascending) and `weights` with their weights, which sum to 1, so
// that the average of f over [0, L] is sum weights[i] f(offsets[i] L). Gauss-Legendre with n
// points is exact for polynomials of degree 2n - 1 (nodes by Newton's method on the Legendre
// polynomial, Abramowitz and Stegun 25.4.29); the composite Simpson rule takes n equally spaced
// points (n odd, the interval's ends included) and is exact for cubics. Returns false, touching
// nothing, for a count the rule does not take: n < 1 (Gauss-Legendre), n even or below 3
// (Simpson), or n above kMaxQuadraturePoints.
#pragma once

namespace hs {

enum class Quadrature { kGaussLegendre, kSimpson };

// A bound far beyond any use (the fields round a hole converge with a few points), so that
// callers can size their storage.
constexpr int kMaxQuadraturePoints = 257;

bool quadrature_points(Quadrature rule, int n, double* offsets, double* weights);

}  // namespace hs
