// Ply strains and stresses in each ply's material axes at every sample point, cases 7 and 8.
//
// From the laminate strains EIGHT.EPSL: strains along and across the fibres and the engineering
// shear strain of every ply, then the ply stresses by the ply's material law. NINE.PLY1, PLY2,
// PLY12 end with the stresses, or with the strains again when KRIT is 1 (maximum strain), which
// is what the failure evaluation compares with its allowables.
#pragma once

#include "control/console.hpp"
#include "control/state.hpp"

namespace hs {

void plystr(State& st, Console& con, const int& KRIT);

}  // namespace hs
