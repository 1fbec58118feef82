// Inverse of a 3 by 3 matrix by cofactors over the determinant (no pivoting, no scaling).
//
// Returns false, leaving ai as it was, when the determinant of a is exactly zero;
// a determinant that is not a number is not zero, and ai then gets the quotients.
#pragma once

#include "numeric/matrix3.hpp"

namespace hs {

bool inverse(const Mat3& a, Mat3& ai);

}  // namespace hs
