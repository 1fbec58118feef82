// The bearing-bypass interaction diagram of one hole: the combinations of bearing stress and
// bypass stress at which the reserve factor of each criterion is 1, as a joint's allowables are
// usually shown (bearing stress up, bypass stress across, tension bypass to the right).
//
// Method: the field is linear in the loads, so along a ray of the (bypass, bearing) plane,
// (cos a, sin a) times a stress s, the reserve factor R of the load at s = 1 puts the ray's point
// of failure at R (cos a, sin a). The factors of all rays come from one superposition of the unit
// bearing and unit bypass fields (ReserveSuperposition: the criteria's closed-form load factors),
// so each point is exact to rounding, with no search. Rays run from a = 0 (tension bypass alone)
// through 90 (bearing alone) to 180 degrees (compression bypass alone); the bearing is never
// negative (a bolt only pushes).
//
// On the infinite plate the bypass is px along the bolt, and the superposition adds the far field
// that reacts the bolt over the plate's width (Loads::bypass); in the strip the bypass is the
// strip's gross stress carried past the hole, which a strip with a free end does not carry (its
// rays but the bearing alone are undefined there).
#pragma once

#include <vector>

#include "analysis/superposition.hpp"

namespace hs {

struct InteractionRay {
  double angle;             // degrees in the (bypass, bearing) plane
  LoadCaseReserve reserve;  // of the unit load of the ray, first characteristic distance
};

// The unit load of a ray: `angle` degrees from the bypass axis, the bolt bearing along
// `bolt_angle` degrees from the laminate x axis (and the bypass along it).
Loads interaction_unit_load(double angle, double bolt_angle, HoleModel model);

// rays + 1 rays, evenly from 0 to 180 degrees (rays at least 2).
std::vector<InteractionRay> bearing_bypass_interaction(const ReserveSuperposition& superposition,
                                                       HoleModel model, double bolt_angle,
                                                       int rays);

}  // namespace hs
