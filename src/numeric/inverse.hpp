// Inverse of a 3 by 3 matrix by cofactors over the determinant (no pivoting, no scaling).
//
// am is read only. Returns false, leaving ami as it was, when the determinant is exactly zero;
// a determinant that is not a number is not zero, and ami then gets the quotients.
#pragma once

#include "numeric/matrix3.hpp"

namespace hs {

bool inverse(const Mat3& am, Mat3& ami);

}  // namespace hs
