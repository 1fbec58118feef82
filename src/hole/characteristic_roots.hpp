// The characteristic roots of an anisotropic plate, and what the complex-potential solutions
// derive from them.
//
// The roots mu of a11 mu^4 - 2 a16 mu^3 + (2 a12 + a66) mu^2 - 2 a26 mu + a22 = 0, with a the
// membrane compliance (a11 = a(1,1), a16 = a(1,3), ...), come in two conjugate pairs; the stress
// functions are functions of x + mu y for the member of each pair with positive imaginary part.
#pragma once

#include <complex>

#include "numeric/matrix3.hpp"

namespace hs {

// mu1, mu2 with positive imaginary parts as the hole solutions use them, in the order the root
// finder meets them. False when the root finder fails; mu1, mu2 are then not written.
bool characteristic_roots(const Mat3& a, std::complex<double>& mu1, std::complex<double>& mu2);

// Whether the compliance describes a material (positive definite: positive strain energy under
// every stress) and the roots are complex. Otherwise (a negative modulus, or a Poisson's ratio
// beyond what the moduli allow) the hole problem has no solution of this form.
bool admissible(const Mat3& a, std::complex<double> mu1, std::complex<double> mu2);

// The displacement coefficients of root mu: p = a11 mu^2 + a12 - a16 mu and
// q = a12 mu + a22 / mu - a26.
struct DisplacementCoefficients {
  std::complex<double> p, q;
};
DisplacementCoefficients displacement_coefficients(const Mat3& a, std::complex<double> mu);

}  // namespace hs
