#include "ply/ply_values.hpp"

#include <cmath>
#include <vector>

#include "laminate/ply_law.hpp"
#include "numeric/constants.hpp"

namespace hs {

void ply_values(const Materials& materials, const PlyStack& plies, const Grid& grid,
                const LaminateField& laminate, PlyField& out) {
  const int nstep = step_count(grid), nang = station_count(grid), nply = plies.count;
  out.resize(nang, nstep, nply);
  // Per ply, the same at every station: its angle's cosine and sine, its material law.
  struct Ply {
    double c, s, den;
    const ElasticConstants* e;
  };
  std::vector<Ply> law(static_cast<std::size_t>(nply > 0 ? nply : 0));
  for (int p = 0; p < nply; ++p) {
    const double theta = radians(plies.angle[p]);
    const ElasticConstants& e = materials.elastic[plies.material[p]];
    law[p] = {std::cos(theta), std::sin(theta), poisson_denominator(e), &e};
  }
  // Point by point in storage order: each point's values depend on its own strains alone.
  const std::size_t points = static_cast<std::size_t>(nang > 0 ? nang : 0) * nstep;
  const double* e = laminate.strain.data();
  double* eps = out.strain.data();
  double* sig = out.stress.data();
  for (std::size_t n = 0; n < points; ++n, e += 3) {
    for (int p = 0; p < nply; ++p, eps += 3, sig += 3) {
      const double c = law[p].c, s = law[p].s;
      eps[0] = c * c * e[0] + s * s * e[1] + s * c * e[2];
      eps[1] = s * s * e[0] + c * c * e[1] - s * c * e[2];
      eps[2] = -2.0 * s * c * e[0] + 2.0 * s * c * e[1] + (c * c - s * s) * e[2];
      ply_stress(*law[p].e, law[p].den, eps, sig);
    }
  }
}

}  // namespace hs
