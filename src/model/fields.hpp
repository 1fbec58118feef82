// Values on the sample grid around the hole, stored [station j][step k] (see grid.hpp).
#pragma once

#include "model/limits.hpp"

namespace hs {

using GridScalar = double[kMaxStations][kMaxSteps];
using GridVector = double[kMaxStations][kMaxSteps][3];

// The laminate field in the laminate axes: thickness-averaged stresses (sigma-x, sigma-y,
// tau-xy), strains (eps-x, eps-y, gamma-xy, engineering shear) and the displacements u, v that
// the hole adds to the uniform field (NaN where they were not worked out).
struct LaminateField {
  GridVector stress;
  GridVector strain;
  GridScalar u;
  GridScalar v;
};

// Ply values in each ply's material axes (1 along the fibres, 2 across, 12 shear), per station,
// step and ply: strains (engineering shear) and stresses.
struct PlyField {
  double strain[kMaxStations][kMaxSteps][kMaxPlies][3];
  double stress[kMaxStations][kMaxSteps][kMaxPlies][3];
};

}  // namespace hs
