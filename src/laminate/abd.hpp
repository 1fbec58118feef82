// Laminate membrane compliance from the ply stack, in the laminate axes and in the bolt axes.
//
// Classical lamination theory in invariant form: per material the invariants U1..U5, per ply the
// rotated stiffness, their thickness-weighted sum divided by the total thickness, inverted into
// SIX.ASTAR (laminate axes, step 1) and, with every ply angle measured from the bolt loading
// direction, into SEVEN.ASTARB (step 4). Prints the engineering constants (output case 2).
// BA: bolt loading angle in degrees on entry, in radians on return (callers pass a copy).
#pragma once

#include "control/console.hpp"
#include "control/state.hpp"

namespace hs {

void abd(State& st, Console& con, double& BA);

// Engineering constants of the laminate from its compliance in the laminate axes (case 2).
struct EngineeringConstants {
  double EX, EY, GXY, VXY;
};
EngineeringConstants engineering_constants(const Mat3& ASTAR);

}  // namespace hs
