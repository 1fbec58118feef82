// The bolt-loaded hole in an infinite anisotropic plate, its series summed exactly.
//
// The infinite-plate bolt solution writes each stress function as a log term (the bolt force)
// plus negative powers of its mapped variable zeta, with coefficients that are the Fourier
// coefficients of the cosine bearing pressure times constants of the laminate. Those Fourier
// coefficients are known in closed form (zero for odd harmonics above the first, (-1)^(j/2+1)
// 2/(j^2 - 1) for even j), so the whole series sums to arctangents of 1/zeta (the stresses) and
// the inverse tangent integral Ti2 (the stress functions, for displacements): no truncation, on
// the hole edge as well as off it. Fourier coefficients and the series of the plate: Lekhnitskii,
// Anisotropic Plates (1968), the loaded circular hole; the isotropic limit is Bickley's cosine
// load (Phil. Trans. R. Soc. A 227, 1928). Axes: the bolt axes (x along the bolt force); a is the
// membrane compliance in those axes; lengths in the unit of the diameter. A compliance without
// admissible characteristic roots, or with coincident ones, leaves `solved` false.
#pragma once

#include <complex>

#include "numeric/matrix3.hpp"

namespace hs {

struct ExactBoltSeries {
  std::complex<double> mu[2];        // characteristic roots, positive imaginary parts
  std::complex<double> log_term[2];  // L_k of L_k log(zeta_k): the bolt force
  std::complex<double> weight[2]
                             [2];  // weight[k][0], [k][1]: of the sums E1, E2 in stress function k
  double radius = 0.0;
  bool solved = false;
};

// The pressure p0 cos t, p0 = 4 bearing / pi, on the half edge |t| <= pi/2 facing +x, resultant
// bearing * diameter per unit thickness along +x.
ExactBoltSeries exact_bolt_series(const Mat3& a, double diameter, double bearing);

// The mapped variable zeta_k of the point (x, y) for root mu, on or outside the unit circle:
// z_k = x + mu y = (r/2) [(1 - i mu) zeta + (1 + i mu) / zeta], the root of the inverse taken per
// point. NaN inside the hole.
std::complex<double> mapped_variable(std::complex<double> mu, double radius, double x, double y);

// dz_k/dzeta_k times zeta_k: (r/2) [(1 - i mu) zeta - (1 + i mu) / zeta].
std::complex<double> mapping_root(std::complex<double> mu, double radius,
                                  std::complex<double> zeta);

// Phi_k'(z_k), the derivative of stress function k, at the point with mapped variable zeta.
std::complex<double> bolt_stress_function_derivative(const ExactBoltSeries& s, int k,
                                                     std::complex<double> zeta);

// Phi_k itself, the logarithm cut along the ray behind the bolt (y = 0, x < 0); y is the point's
// distance from the bolt axis, which says on which side of the cut it lies.
std::complex<double> bolt_stress_function(const ExactBoltSeries& s, int k,
                                          std::complex<double> zeta, double y);

// The sums of the series in w = 1/zeta, |w| <= 1, T(j) the integral of cos t e^(-ijt) over
// |t| <= pi/2: E1 = sum T(m-1) w^m, E2 = sum T(m+1) w^m (m >= 1), and P1, P2 the same with
// w^m / m. Exposed for the tests, which check them against the partial sums.
std::complex<double> bearing_sum_e1(std::complex<double> w);
std::complex<double> bearing_sum_e2(std::complex<double> w);
std::complex<double> bearing_sum_p1(std::complex<double> w);
std::complex<double> bearing_sum_p2(std::complex<double> w);

// The dilogarithm Li2(z) = sum z^n / n^2 for |z| <= 1.
std::complex<double> dilogarithm(std::complex<double> z);

}  // namespace hs
