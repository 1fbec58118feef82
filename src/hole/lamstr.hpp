// The laminate stress field around the hole, its strains, and output cases 3 to 6.
//
// Scales PX, PY, PXY, P, PW by FACTOR in place, then superposes on the sample grid the open-hole
// responses to PX (along OFFANG), PY (OFFANG + 90), the shear PXY (+PXY at OFFANG + 45 and -PXY
// at OFFANG - 45) and, for a bearing stress P, the bolt-loaded solution plus the open-hole
// response to PW along BOLTANG. Leaves the stresses in EIGHT.SIGL and the strains ASTAR * SIGL in
// EIGHT.EPSL; prints laminate stresses, strains, hoop and radial values and displacements.
#pragma once

#include "control/console.hpp"
#include "control/state.hpp"

namespace hs {

void lamstr(State& st, Console& con);

// Hoop, radial and shear stresses and strains in polar axes at the station at ANG degrees, from
// the laminate stresses sig (sigma-x, sigma-y, tau-xy) and strains eps (eps-x, eps-y, gamma-xy)
// there: the values of output case 5.
struct PolarValues {
  double STH, SR, TRTH;  // hoop, radial and shear stress
  double ETH, ER, GRTH;  // hoop, radial and shear (engineering) strain
};
PolarValues polar_values(double ANG, const double sig[3], const double eps[3]);

}  // namespace hs
