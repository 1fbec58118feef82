// The stack of plies of the laminate, bottom to top.
#pragma once

#include <vector>

namespace hs {

// The first `count` entries of each list are the plies. The lists may hold more (the dialogue
// keeps the values of plies a later pass may ask again); resize() makes them exactly count long.
struct PlyStack {
  int count = 0;
  std::vector<double> angle;      // degrees from the laminate x axis to the fibres
  std::vector<double> thickness;  // in the length units typed
  std::vector<int> material;      // index into Materials, 0-based

  void resize(int n) {
    count = n;
    angle.resize(n);
    thickness.resize(n);
    material.resize(n);
  }
};

}  // namespace hs
