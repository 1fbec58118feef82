// The laminate's membrane compliance (inverse of the thickness-averaged in-plane stiffness), in
// the reciprocal of the stress units: in the laminate axes, and in axes whose x axis points along
// the bolt load, where the bolt-loaded solution works.
#pragma once

#include "numeric/matrix3.hpp"

namespace hs {

struct Compliance {
  Mat3 laminate_axes;
  Mat3 bolt_axes;
};

}  // namespace hs
