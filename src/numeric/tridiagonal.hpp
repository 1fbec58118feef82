// Solves a tridiagonal system of order n by elimination without row exchanges (the Thomas
// algorithm), for systems that are diagonally dominant, such as the load sharing of a joint.
//
// Row i (0-based) reads lower[i] x[i-1] + diagonal[i] x[i] + upper[i] x[i+1] = rhs[i]; lower[0]
// and upper[n-1] are not read. diagonal is used as scratch; when the return is true, rhs holds
// the solution. false reports a singular system: a pivot that is not finite or whose magnitude
// is at most kSingularPivot times the largest diagonal magnitude; rhs is then partly reduced.
// n <= 0 returns true at once without touching the arrays.
#pragma once

namespace hs {

// A pivot this small against the largest diagonal entry leaves no digit of the solution.
constexpr double kSingularPivot = 1e-14;

bool solve_tridiagonal(const double* lower, double* diagonal, const double* upper, double* rhs,
                       int n);

}  // namespace hs
