// Compliances, a field on the grid, and polar stress components, shared by the tests of the hole
// stress field.
#pragma once

#include <cmath>

#include "model/fields.hpp"
#include "numeric/matrix3.hpp"

namespace hs::hole_cases {

// Orthotropic (stiff along x), isotropic, and generally anisotropic (a16, a26 not zero)
// compliances, column by column: a11 a12 a16, a12 a22 a26, a16 a26 a66.
inline const Mat3 kOrtho{{5e-8, -1.5e-8, 0, -1.5e-8, 6.666667e-7, 0, 0, 0, 1.25e-6}};
inline const Mat3 kIso{{1e-7, -3e-8, 0, -3e-8, 1e-7, 0, 0, 0, 2.6e-7}};
inline const Mat3 kAniso{{5e-8, -1.5e-8, 3e-8, -1.5e-8, 6.666667e-7, -1e-7, 3e-8, -1e-7, 1.25e-6}};

// The stresses and displacements of one solution on the grid.
struct Field {
  GridVector sig;
  GridScalar u, v;
};

// Radial and shear stress on the ray at t radians, from sigma-x, sigma-y, tau-xy.
inline double radial(const double* s, double t) {
  double c = std::cos(t), n = std::sin(t);
  return s[0] * c * c + s[1] * n * n + 2 * s[2] * n * c;
}
inline double shear(const double* s, double t) {
  double c = std::cos(t), n = std::sin(t);
  return (s[1] - s[0]) * n * c + s[2] * (c * c - n * n);
}

}  // namespace hs::hole_cases
