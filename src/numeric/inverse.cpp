#include "numeric/inverse.hpp"

namespace hs {

bool inverse(const Mat3& a, Mat3& ai) {
  double det = a(1, 1) * a(2, 2) * a(3, 3) + a(1, 2) * a(2, 3) * a(3, 1) +
               a(1, 3) * a(2, 1) * a(3, 2) - a(1, 3) * a(2, 2) * a(3, 1) -
               a(1, 1) * a(2, 3) * a(3, 2) - a(1, 2) * a(2, 1) * a(3, 3);
  if (det == 0.0) return false;
  ai(1, 1) = (a(2, 2) * a(3, 3) - a(2, 3) * a(3, 2)) / det;
  ai(1, 2) = (a(1, 3) * a(3, 2) - a(1, 2) * a(3, 3)) / det;
  ai(1, 3) = (a(1, 2) * a(2, 3) - a(1, 3) * a(2, 2)) / det;
  ai(2, 1) = (a(2, 3) * a(3, 1) - a(2, 1) * a(3, 3)) / det;
  ai(2, 2) = (a(1, 1) * a(3, 3) - a(1, 3) * a(3, 1)) / det;
  ai(2, 3) = (a(1, 3) * a(2, 1) - a(1, 1) * a(2, 3)) / det;
  ai(3, 1) = (a(2, 1) * a(3, 2) - a(2, 2) * a(3, 1)) / det;
  ai(3, 2) = (a(1, 2) * a(3, 1) - a(1, 1) * a(3, 2)) / det;
  ai(3, 3) = (a(1, 1) * a(2, 2) - a(1, 2) * a(2, 1)) / det;
  return true;
}

}  // namespace hs
