#include "numeric/inverse.hpp"

namespace hs {

bool inverse(const Mat3& A, Mat3& AMI) {
  double det = A(1, 1) * A(2, 2) * A(3, 3) + A(1, 2) * A(2, 3) * A(3, 1) +
               A(1, 3) * A(2, 1) * A(3, 2) - A(1, 3) * A(2, 2) * A(3, 1) -
               A(1, 1) * A(2, 3) * A(3, 2) - A(1, 2) * A(2, 1) * A(3, 3);
  if (det == 0.0) return false;
  AMI(1, 1) = (A(2, 2) * A(3, 3) - A(2, 3) * A(3, 2)) / det;
  AMI(1, 2) = (A(1, 3) * A(3, 2) - A(1, 2) * A(3, 3)) / det;
  AMI(1, 3) = (A(1, 2) * A(2, 3) - A(1, 3) * A(2, 2)) / det;
  AMI(2, 1) = (A(2, 3) * A(3, 1) - A(2, 1) * A(3, 3)) / det;
  AMI(2, 2) = (A(1, 1) * A(3, 3) - A(1, 3) * A(3, 1)) / det;
  AMI(2, 3) = (A(1, 3) * A(2, 1) - A(1, 1) * A(2, 3)) / det;
  AMI(3, 1) = (A(2, 1) * A(3, 2) - A(2, 2) * A(3, 1)) / det;
  AMI(3, 2) = (A(1, 2) * A(3, 1) - A(1, 1) * A(3, 2)) / det;
  AMI(3, 3) = (A(1, 1) * A(2, 2) - A(1, 2) * A(2, 1)) / det;
  return true;
}

}  // namespace hs
