// The part of the field around the hole that depends on the grid and the laminate but not on the
// load: the open-hole pieces of an analysis (PX, PY, the two halves of PXY, PW) and every repeat of
// a failure search evaluate the same stations with the same characteristic roots. Each solution
// keeps its part here between calls and works it out again whenever an input (grid, diameter,
// roots, bolt angle) differs in any bit from the call that filled it, so results never depend on
// what was kept. The analysis state holds one; a caller without one gets a fresh computation.
#pragma once

#include <complex>

#include "control/limits.hpp"

namespace hs {

// Open hole: the ratios w = z/s on the branch that tends to +1 far away, and the denominators
// H of the stress functions, at each station [j][k].
struct OpenHoleGeometry {
  double key[8];  // DEG, LOW, STEP, D, mu1, mu2
  int nstep = -1, nang = -1;
  std::complex<double> w1[kMaxAng][kMaxStep], w2[kMaxAng][kMaxStep];
  std::complex<double> H1[kMaxAng][kMaxStep], H2[kMaxAng][kMaxStep];
};

// Bolt-loaded hole, per station: the mapped variables, the square roots on the branch the
// stresses use, the side of the cut behind the bolt, and whether the station lies outside the
// hole at all.
struct BoltStation {
  std::complex<double> zeta1, zeta2, t1, t2;
  double yb;
  bool mapped;
};
struct BoltGeometry {
  double key[9];  // DEG, LOW, STEP, D, mu1, mu2, bolt angle
  int nstep = -1, nang = -1;
  BoltStation at[kMaxAng][kMaxStep];
};

struct HoleGeometry {
  OpenHoleGeometry open;
  BoltGeometry bolt;
};

}  // namespace hs
