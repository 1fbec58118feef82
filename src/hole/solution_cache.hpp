// The part of the field around the hole that depends on the grid and the laminate but not on the
// load. The open-hole pieces of an analysis (PX, PY, the two halves of PXY, the bypass) and every
// repeat of a failure search evaluate the same stations with the same characteristic roots. Each
// solution keeps its part here between calls and works it out again whenever an input (grid,
// diameter, roots, bolt angle) differs in any bit from the call that filled it, so results never
// depend on what was kept. Whoever runs the analyses owns one; a default-constructed one is empty.
#pragma once

#include <complex>
#include <cstddef>
#include <vector>

#include "model/fields.hpp"

namespace hs {

// Open hole: the ratios w = z/s on the branch that tends to +1 far away, and the denominators
// H of the stress functions, at each station, index j * steps + k.
struct OpenHoleCache {
  double key[8];  // angle step, angle low, distance step, diameter, mu1, mu2
  int nstep = -1, nang = -1;
  std::vector<std::complex<double>> w1, w2, H1, H2;
};

// Bolt-loaded hole, per station: the mapped variables, the square roots on the branch the
// stresses use, the side of the cut behind the bolt, and whether the station lies outside the
// hole at all.
struct BoltStation {
  std::complex<double> zeta1, zeta2, t1, t2;
  double yb;
  bool mapped;
};
struct BoltHoleCache {
  double key[9];  // angle step, angle low, distance step, diameter, mu1, mu2, bolt angle
  int nstep = -1, nang = -1;
  std::vector<BoltStation> at;  // index j * steps + k
};

struct HoleSolutionCache {
  OpenHoleCache open;
  BoltHoleCache bolt;
  // Room for one piece of the field while the pieces are added up.
  GridVector piece_stress;
  GridScalar piece_u, piece_v;
};

}  // namespace hs
