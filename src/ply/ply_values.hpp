// Ply strains and stresses in each ply's material axes (1 along the fibres, 2 across them) at
// every station of the grid, from the laminate strains: the strain turned by the ply angle, then
// the ply's material law.
#pragma once

#include "model/fields.hpp"
#include "model/grid.hpp"
#include "model/materials.hpp"
#include "model/ply_stack.hpp"

namespace hs {

void ply_values(const Materials& materials, const PlyStack& plies, const Grid& grid,
                const LaminateField& laminate, PlyField& out);

}  // namespace hs
