#include "numeric/inverse.hpp"

namespace hs {

void inverse(const Mat3& AM, Mat3& AMI, const Blank& blank, Console& con) {
  const Mat3& A = AM;
  double det = A(1, 1) * A(2, 2) * A(3, 3) + A(1, 2) * A(2, 3) * A(3, 1) +
               A(1, 3) * A(2, 1) * A(3, 2) - A(1, 3) * A(2, 2) * A(3, 1) -
               A(1, 1) * A(2, 3) * A(3, 2) - A(1, 2) * A(2, 1) * A(3, 3);
  if (det == 0.0) {
    con.write("(' SUBROUTINE INVERSE CALCULATES A SINGULAR MATRIX ','AT STEP',I3)", {blank.ISTEP});
    return;
  }
  AMI(1, 1) = (A(2, 2) * A(3, 3) - A(2, 3) * A(3, 2)) / det;
  AMI(1, 2) = (A(1, 3) * A(3, 2) - A(1, 2) * A(3, 3)) / det;
  AMI(1, 3) = (A(1, 2) * A(2, 3) - A(1, 3) * A(2, 2)) / det;
  AMI(2, 1) = (A(2, 3) * A(3, 1) - A(2, 1) * A(3, 3)) / det;
  AMI(2, 2) = (A(1, 1) * A(3, 3) - A(1, 3) * A(3, 1)) / det;
  AMI(2, 3) = (A(1, 3) * A(2, 1) - A(1, 1) * A(2, 3)) / det;
  AMI(3, 1) = (A(2, 1) * A(3, 2) - A(2, 2) * A(3, 1)) / det;
  AMI(3, 2) = (A(1, 2) * A(3, 1) - A(1, 1) * A(3, 2)) / det;
  AMI(3, 3) = (A(1, 1) * A(2, 2) - A(1, 2) * A(2, 1)) / det;
}

}  // namespace hs
