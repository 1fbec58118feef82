#include "ply/ply_values.hpp"

#include <cmath>

#include "laminate/ply_law.hpp"
#include "numeric/constants.hpp"

namespace hs {

void ply_values(const Materials& materials, const PlyStack& plies, const Grid& grid,
                const LaminateField& laminate, PlyField& out) {
  int nstep = step_count(grid), nang = station_count(grid);
  double cp[kMaxPlies], sp[kMaxPlies];  // the same at every station
  for (int p = 0; p < plies.count; ++p) {
    double theta = plies.angle[p] * kPiSingle / 180.0;
    cp[p] = std::cos(theta);
    sp[p] = std::sin(theta);
  }
  for (int k = 0; k < nstep; ++k) {
    for (int j = 0; j < nang; ++j) {
      const double* e = laminate.strain[j][k];
      for (int p = 0; p < plies.count; ++p) {
        double c = cp[p], s = sp[p];
        double* eps = out.strain[j][k][p];
        eps[0] = c * c * e[0] + s * s * e[1] + s * c * e[2];
        eps[1] = s * s * e[0] + c * c * e[1] - s * c * e[2];
        eps[2] = -2.0 * s * c * e[0] + 2.0 * s * c * e[1] + (c * c - s * s) * e[2];
        ply_stress(materials.elastic[plies.material[p]], eps, out.stress[j][k][p]);
      }
    }
  }
}

}  // namespace hs
