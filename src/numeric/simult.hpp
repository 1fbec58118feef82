// Solves A x = b of order n in place by Gaussian elimination with row pivoting.
//
// a holds A column by column (element (i, j) at a[(i-1) + n*(j-1)]) and is used as scratch;
// b holds the right-hand side and, when iflag comes back 0, the solution. iflag = 1 reports a
// singular system: a pivot no larger than tolf times the largest pivot met so far, where
// tolf = 7.11e-15 * 3.18 * (n - 1); the routine then returns at once with a and b partly reduced.
#pragma once

namespace hs {

void simult(double* a, double* b, int n, int& iflag);

}  // namespace hs
