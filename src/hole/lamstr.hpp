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

}  // namespace hs
