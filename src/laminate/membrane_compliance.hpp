// The laminate's membrane compliance from its ply stack, in the laminate axes and in the axes of
// the bolt load, and its engineering constants.
//
// Classical lamination theory in invariant form: per material the invariants U1..U5, per ply the
// rotated reduced stiffness, their thickness-weighted sum divided by the total thickness, inverted.
// The bolt-axes compliance measures every ply angle from the bolt direction (degrees from the
// laminate x axis). A stiffness that cannot be inverted (zero determinant) leaves that compliance
// zero and sets its flag; a zero thickness or modulus gives non-finite values instead.
#pragma once

#include "model/compliance.hpp"
#include "model/materials.hpp"
#include "model/ply_stack.hpp"

namespace hs {

struct MembraneCompliance {
  Compliance compliance;
  bool singular_laminate_axes;
  bool singular_bolt_axes;
};

MembraneCompliance membrane_compliance(const Materials& materials, const PlyStack& plies,
                                       double bolt_angle);

// From the compliance a in the laminate axes, in the units of the moduli; VXY is the major
// Poisson's ratio of the laminate.
struct EngineeringConstants {
  double EX, EY, GXY, VXY;
};
EngineeringConstants engineering_constants(const Mat3& a);

}  // namespace hs
