// The material law of a unidirectional ply in its material axes (plane stress).
#pragma once

#include "model/materials.hpp"

namespace hs {

// 1 - NU12 nu21, the denominator of the reduced stiffness, with nu21 = NU12 E2 / E1.
inline double poisson_denominator(const ElasticConstants& e) {
  double nu21 = e.NU12 * e.E2 / e.E1;
  return 1.0 - e.NU12 * nu21;
}

// Ply stresses sigma-1, sigma-2, tau-12 from the ply strains eps-1, eps-2, gamma-12; den is
// poisson_denominator(e), which a caller working through many points of a ply works out once.
inline void ply_stress(const ElasticConstants& e, double den, const double eps[3], double sig[3]) {
  sig[0] = e.E1 * eps[0] / den + e.NU12 * e.E2 * (eps[1] / den);
  sig[1] = e.NU12 * e.E2 * eps[0] / den + e.E2 * (eps[1] / den);
  sig[2] = e.G12 * eps[2];
}
inline void ply_stress(const ElasticConstants& e, const double eps[3], double sig[3]) {
  ply_stress(e, poisson_denominator(e), eps, sig);
}

}  // namespace hs
