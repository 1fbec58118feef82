// The principal logarithm of a complex number near the unit circle, inline where it is costly.
//
// For |z| near 1 the C library forms log |z| as log1p(x^2 + y^2 - 1) / 2, with x^2 + y^2 - 1
// worked out without cancellation: the squares split exactly into high and low parts (Dekker's
// product) and summed from the smallest magnitude up, each partial sum split again. Where both
// parts of z are below 1 it sorts the five terms with the C library's qsort, which costs more
// than the logarithm itself; the mapped variables of the bolt solution sit on and just outside
// the unit circle, so that is where the displacements spend their time. complex_log does that
// case with the same arithmetic and a sort of its own (insertion, five numbers), and hands every
// other case to std::log: the same bits as std::log everywhere (the tests compare them).
#pragma once

#include <cfloat>
#include <cmath>
#include <complex>

namespace hs {

namespace complex_log_detail {

// x^2 + y^2 - 1 without cancellation, for 1 > x >= y >= eps/2 and x^2 + y^2 >= 1/2.
inline double x2y2m1(double x, double y) {
  auto split_product = [](double& hi, double& lo, double u, double v) {
    constexpr double c = (1 << (DBL_MANT_DIG + 1) / 2) + 1;
    hi = u * v;
    double u1 = u * c, v1 = v * c;
    u1 = (u - u1) + u1;
    v1 = (v - v1) + v1;
    const double u2 = u - u1, v2 = v - v1;
    lo = (((u1 * v1 - hi) + u1 * v2) + u2 * v1) + u2 * v2;
  };
  auto sort_by_magnitude = [](double* v, int n) {
    for (int k = 1; k < n; ++k) {
      const double t = v[k];
      int m = k;
      for (; m > 0 && std::fabs(v[m - 1]) > std::fabs(t); --m) v[m] = v[m - 1];
      v[m] = t;
    }
  };
  double vals[5];
  split_product(vals[1], vals[0], x, x);
  split_product(vals[3], vals[2], y, y);
  vals[4] = -1.0;
  sort_by_magnitude(vals, 5);
  for (int i = 0; i <= 3; ++i) {
    const double hi = vals[i + 1] + vals[i];
    vals[i] = (vals[i + 1] - hi) + vals[i];
    vals[i + 1] = hi;
    sort_by_magnitude(vals + i + 1, 4 - i);
  }
  return vals[4] + vals[3] + vals[2] + vals[1] + vals[0];
}

}  // namespace complex_log_detail

inline std::complex<double> complex_log(std::complex<double> z) {
  double ax = std::fabs(z.real()), ay = std::fabs(z.imag());
  if (ax < ay) std::swap(ax, ay);
  if (ax < 1.0 && ax >= 0.5 && !(ay < DBL_EPSILON / 2) && ax * ax + ay * ay >= 0.5) {
    return {std::log1p(complex_log_detail::x2y2m1(ax, ay)) / 2, std::atan2(z.imag(), z.real())};
  }
  return std::log(z);
}

}  // namespace hs
