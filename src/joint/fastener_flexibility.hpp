// The flexibility C of one fastener (relative slip of the plates it joins per unit of the load it
// transfers, length/force) from the empirical formulas of the literature, in single or double
// shear. Every formula is dimensionally consistent: lengths and moduli in one set of units give C
// in length per force of that set (in/lbf from in and psi, mm/N from mm and MPa).
//
// With t1, t2 the plate thicknesses, E1, E2 their moduli along the load, d the diameter, E3 and
// nu3 the fastener's modulus and Poisson's ratio, the single-shear forms are:
//   Huth:  ((t1+t2)/(2d))^a (b/n) [1/(t1E1) + 1/(n t2E2) + 1/(2 t1E3) + 1/(2n t2E3)], n = 1;
//          bolted metal a = 2/3, b = 3.0; riveted metal a = 2/5, b = 2.2; bolted graphite/epoxy
//          a = 2/3, b = 4.2 (H. Huth, ASTM STP 927, 1986, pp. 221-250; the third term as in his
//          report LBF FB-172, 1984, where the STP print has n for the 2).
//   Swift (Douglas):  5/(d E3) + 0.8 [1/(t1E1) + 1/(t2E2)] (T. Swift, ASTM STP 486, 1971).
//   Tate-Rosenfeld:  1/(t1E3) + 1/(t2E3) + 1/(t1E1) + 1/(t2E2) + 32(1+nu3)(t1+t2)/(9 pi E3 d^2)
//          + 8(t1^3 + 5t1^2 t2 + 5t1 t2^2 + t2^3)/(5 pi E3 d^4): fastener and plate bearing, shear
//          and bending of the shank (NACA TN 1051, 1946, in the single-shear form given by Huth).
//   Grumman:  (t1+t2)^2/(E3 d^3) + 3.7 [1/(t1E1) + 1/(t2E2)] (as given by Huth, 1986).
//   Boeing:  2^((t1/d)^0.85)/t1 [1/E1 + 3/(8E3)] + 2^((t2/d)^0.85)/t2 [1/E2 + 3/(8E3)] (the 1969
//          form given by Huth, 1986).
// The forms were checked against E. Peters, "Modeling Fastener Flexibility, pt 1: Theory" (2022),
// a review of the published forms, and the Huth constants against Altair HyperMesh's
// *fastenercreation reference (b/n and b/n^2 per number of shear planes n).
//
// Double shear (t1, E1 the middle plate, t2, E2 one outer plate): Huth's own form with n = 2.
// The other formulas were published for single shear; their double-shear flexibility is built
// from it: the fastener is symmetric about the middle plate's mid-plane, each half is a
// single-shear joint of half the middle plate (t1/2) and one outer plate that carries half the
// load, and the two halves act in parallel: C = C_single(t1/2, t2)/2. Its plate-bearing terms are
// 1/(t1E1) + 1/(2 t2E2) per unit of the whole load, the middle plate bearing all of it and each
// outer plate half.
//
// The inputs must be positive and finite (nu3 in (-1, 0.5]); share_joint_load checks them.
#pragma once

#include <string_view>

#include "joint/joint.hpp"

namespace hs {

enum class FlexibilityMethod {
  kHuthBoltedMetal,
  kHuthRivetedMetal,
  kHuthBoltedGraphite,
  kSwift,
  kTateRosenfeld,
  kGrumman,
  kBoeing,
};

// The method named "huth-bolted-metal", "huth-riveted-metal", "huth-bolted-graphite", "swift",
// "tate-rosenfeld", "grumman" or "boeing"; "huth" alone is huth-bolted-graphite, bolts in
// carbon/epoxy laminates being the joints this program sizes. false for any other name.
bool flexibility_method_from_name(std::string_view name, FlexibilityMethod& method);

// The method's full name as flexibility_method_from_name reads it ("huth-bolted-graphite" for
// the default Huth variant).
const char* flexibility_method_name(FlexibilityMethod method);

// The members one fastener joins. Single shear: the two plates, in either order (every formula
// is symmetric in them). Double shear: first the middle plate, then one outer plate.
struct FastenedPlates {
  double t1, e1;
  double t2, e2;
};

struct Fastener {
  double diameter, modulus, poisson;
};

double fastener_flexibility(FlexibilityMethod method, Shear shear, const FastenedPlates& plates,
                            const Fastener& fastener);

}  // namespace hs
