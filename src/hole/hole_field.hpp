// The laminate field around the hole under all the loads at once, and the laminate strains.
//
// Superposes on the sample grid the open-hole responses to px (along off_axis), py (off_axis + 90),
// the shear pxy (+pxy at off_axis + 45 and -pxy at off_axis - 45) and, for a bearing stress, the
// bolt-loaded solution plus the open-hole response to the bypass stress along the bolt angle. A
// far-field load that is exactly zero is not evaluated; the bypass piece is, whenever there is a
// bearing stress (it adds zeros on an infinite plate). The strains are the laminate-axes
// compliance times the stresses. Displacements are worked out only when asked for (NaN
// otherwise). The bolt's series is summed as `series` says (bolt_hole.hpp). Returns the number of
// singular coefficient systems of the bolt solution.
#pragma once

#include "hole/bolt_hole.hpp"
#include "hole/solution_cache.hpp"
#include "model/compliance.hpp"
#include "model/fields.hpp"
#include "model/grid.hpp"
#include "model/loads.hpp"

namespace hs {

// Factors on the open-hole pieces (their stress and so their whole field), as a finite-width
// correction sets them: px, py, the two halves of pxy (tension at +45, compression at -45
// degrees) and the bypass.
struct OpenHoleScale {
  double px = 1.0, py = 1.0, pxy_tension = 1.0, pxy_compression = 1.0, bypass = 1.0;
};

int field_around_hole(const Grid& grid, const Loads& loads, const Compliance& compliance,
                      bool displacements, HoleSolutionCache& cache, LaminateField& f,
                      const OpenHoleScale* scale = nullptr, BoltSeries series = BoltSeries::legacy);

}  // namespace hs
