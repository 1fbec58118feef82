// Inverse of a 3 by 3 matrix by cofactors over the determinant (no pivoting, no scaling).
//
// AM is read only; AMI receives the inverse. A determinant that is exactly zero writes the
// one-line singular-matrix message with the caller's step number (BLANK.ISTEP) to the console and
// leaves AMI as it was. A determinant that is not a number is not zero: AMI gets the quotients.
#pragma once

#include "control/console.hpp"
#include "control/state.hpp"

namespace hs {

void inverse(const Mat3& AM, Mat3& AMI, const Blank& blank, Console& con);

}  // namespace hs
