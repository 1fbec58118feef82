// The finite-width correction of the open-hole pieces of the field (Tan's factor for orthotropic
// plates), for job files that ask for it. The hole solutions are those of an infinite plate; in a
// strip of width W the peak stress at the hole edge is higher. Each uniaxial open-hole piece of
// the loads (px, py, the two halves of pxy, the bypass) is scaled by the factor for the laminate's
// stress concentration along that piece's direction and D/W: conservative away from the edge,
// where the far-field stress is scaled too.
#pragma once

#include "hole/hole_field.hpp"
#include "model/loads.hpp"
#include "model/materials.hpp"
#include "model/ply_stack.hpp"

namespace hs {

// Lekhnitskii's stress concentration at the edge of an open hole in an infinite plate under a
// uniaxial stress along `angle` degrees: 1 + sqrt(2 (sqrt(a22/a11) + a12/a11) + a66/a11) with
// the compliance in axes along the load (the coupling terms left out).
double open_hole_concentration(const Materials& materials, const PlyStack& plies, double angle);

// The factors of the pieces of `loads` for a plate of the given width; all 1 for an infinite
// plate (width 0) and NaN when the width is not larger than the diameter.
OpenHoleScale tan_correction(const Materials& materials, const PlyStack& plies, const Loads& loads,
                             double diameter, double width);

}  // namespace hs
