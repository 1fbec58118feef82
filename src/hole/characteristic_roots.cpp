#include "hole/characteristic_roots.hpp"

#include <cmath>

#include "numeric/polynomial_roots.hpp"

namespace hs {

namespace {

// The root finder judges a derivative flat, or a constant term zero, against absolute
// thresholds, so whether it succeeds depends on the size of the coefficients: a compliance in
// 1/Pa (coefficients near 1e-5 even after the scaling below) makes the nearly double roots of a
// quasi-isotropic laminate look like a flat spot from every start. Multiplying every coefficient
// by the same power of two changes no Newton iterate and no deflation in any bit; it moves only
// the thresholds. This brings the largest coefficient into [1, 2), where they act as they do for
// the coefficients of a compliance in 1/psi.
void scale_to_unit_size(double (&coef)[5]) {
  double largest = 0.0;
  for (double c : coef) largest = std::fmax(largest, std::fabs(c));
  if (!(largest > 0.0) || !std::isfinite(largest)) return;
  int exponent;
  std::frexp(largest, &exponent);  // largest = f 2^exponent with f in [0.5, 1)
  for (double& c : coef) c = std::ldexp(c, 1 - exponent);
}

}  // namespace

bool characteristic_roots(const Mat3& a, std::complex<double>& mu1, std::complex<double>& mu2) {
  double a11 = a(1, 1), a12 = a(1, 2), a16 = a(1, 3);
  double a22 = a(2, 2), a26 = a(2, 3), a66 = a(3, 3);
  // Ascending powers, scaled up so that the root finder's absolute thresholds see coefficients of
  // order one rather than compliances.
  double coef[5] = {a22 * 1000000.0, (a26 + a26) * (-1000000.0), (a12 + a12 + a66) * 1000000.0,
                    (a16 + a16) * (-1000000.0), a11 * 1000000.0};
  double work[5], zre[4], zim[4];
  if (polynomial_roots(coef, 4, work, zre, zim).status != RootStatus::kFound) {
    // Only a failed search is tried again, so every laminate the finder handles as typed keeps
    // its roots to the last bit.
    scale_to_unit_size(coef);
    if (polynomial_roots(coef, 4, work, zre, zim).status != RootStatus::kFound) return false;
  }
  // The roots come as two conjugate pairs; take the member of each with positive imaginary part.
  int k1 = zim[1] > 0.0 ? 1 : 0;
  int k2 = zim[3] > 0.0 ? 3 : 2;
  mu1 = {zre[k1], zim[k1]};
  mu2 = {zre[k2], zim[k2]};
  return true;
}

bool admissible(const Mat3& a, std::complex<double> mu1, std::complex<double> mu2) {
  double minor2 = a(1, 1) * a(2, 2) - a(1, 2) * a(2, 1);
  double det = a(1, 1) * (a(2, 2) * a(3, 3) - a(2, 3) * a(3, 2)) -
               a(1, 2) * (a(2, 1) * a(3, 3) - a(2, 3) * a(3, 1)) +
               a(1, 3) * (a(2, 1) * a(3, 2) - a(2, 2) * a(3, 1));
  return a(1, 1) > 0.0 && minor2 > 0.0 && det > 0.0 && mu1.imag() > 0.0 && mu2.imag() > 0.0;
}

DisplacementCoefficients displacement_coefficients(const Mat3& a, std::complex<double> mu) {
  double a11 = a(1, 1), a12 = a(1, 2), a16 = a(1, 3);
  double a22 = a(2, 2), a26 = a(2, 3);
  return {a11 * mu * mu + a12 - a16 * mu, a12 * mu + a22 / mu - a26};
}

}  // namespace hs
