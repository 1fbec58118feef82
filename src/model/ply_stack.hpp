// The stack of plies of the laminate, bottom to top.
#pragma once

#include "model/limits.hpp"

namespace hs {

struct PlyStack {
  int count;
  double angle[kMaxPlies];      // degrees from the laminate x axis to the fibres
  double thickness[kMaxPlies];  // in the length units typed
  int material[kMaxPlies];      // index into Materials, 0-based
};

}  // namespace hs
