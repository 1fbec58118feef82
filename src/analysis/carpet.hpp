// The carpet plot's family of layups: the first four plies (nominally 0, +45, -45 and 90
// degrees) with their shares of a unit total thickness in steps of ten percent, 66 layups.
#pragma once

#include "model/ply_stack.hpp"

namespace hs {

constexpr int kCarpetLayups = 66;

// Layup `index` (0..65): the 0-degree share from 100 percent down, and for each the ±45 share
// from 0 up to the rest.
struct CarpetLayup {
  int percent0, percent45;
};
CarpetLayup carpet_layup(int index);

// The shares as printed, truncated whole percent.
struct Shares {
  int s0, s45, s90;
};

// Sets the angles, thicknesses and count of `plies` for the layup from the first four plies of
// `typed`: thicknesses as fractions of one, plies of no share dropped. The material of each
// position stays as it is in `plies`.
Shares apply_carpet_layup(const PlyStack& typed, CarpetLayup layup, PlyStack& plies);

}  // namespace hs
