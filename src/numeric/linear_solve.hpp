// Solves A x = b of order n in place by Gaussian elimination with row pivoting.
//
// a holds A column by column (element (i, j) at a[(i-1) + n*(j-1)]) and is used as scratch;
// b holds the right-hand side and, when the system is solved, the solution. A system is singular
// when a pivot is no larger than tolf times the largest pivot met so far, where
// tolf = 7.11e-15 * 3.18 * (n - 1); the solver then stops at once with a and b partly reduced.
#pragma once

namespace hs {

enum class LinearStatus { kSolved, kSingular };

LinearStatus solve_linear(double* a, double* b, int n);

}  // namespace hs
