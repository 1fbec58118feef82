// Everything one analysis of a laminate with a hole starts from.
#pragma once

#include "model/grid.hpp"
#include "model/loads.hpp"
#include "model/materials.hpp"
#include "model/ply_stack.hpp"

namespace hs {

struct Problem {
  Materials materials;
  PlyStack plies;
  Grid grid;
  Loads loads;
  Criterion criterion;
};

}  // namespace hs
