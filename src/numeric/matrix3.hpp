// A 3 by 3 laminate matrix (stiffness or compliance), stored column by column. Index 1 = x,
// 2 = y, 3 = shear with the engineering shear strain; accessed 1-based, as the mechanics is
// written. A value-initialised matrix (Mat3{}) is zero.
#pragma once

namespace hs {

struct Mat3 {
  double a[9];
  double& operator()(int i, int j) { return a[(i - 1) + 3 * (j - 1)]; }
  double operator()(int i, int j) const { return a[(i - 1) + 3 * (j - 1)]; }
};

}  // namespace hs
