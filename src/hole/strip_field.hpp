// The strip model on the program's grid: the field of one load case (bearing and bypass) at every
// station, from a solution of the hole in the strip (strip_hole.hpp), and that solution kept
// between calls.
//
// Station (j, k) lies at radius D/2 + k * distance_step from the hole centre and at the station's
// angle from the laminate x axis, the strip's axis. The stresses are the strip's in the laminate
// axes, the strains the compliance times them; the displacements are the whole plate's with the
// point behind the hole (x = -D/2, y = 0) held and not turning. A station outside the strip, or a
// load the strip cannot take (a bypass with an edge distance), leaves NaN and a status.
#pragma once

#include "hole/strip_hole.hpp"
#include "model/fields.hpp"
#include "model/grid.hpp"

namespace hs {

// The solution of one laminate and strip, solved again whenever the compliance, the geometry or
// the settings differ in any bit from those it was solved for.
struct StripHoleCache {
  bool filled = false;
  double key[16] = {};  // the compliance, W, D, e and the settings
  StripSolution solution;
};
const StripSolution& cached_strip_solution(const Mat3& compliance, const StripGeometry& geometry,
                                           const StripSettings& settings, StripHoleCache& cache);

// The stresses, strains and (when asked) displacements of the load case at every station of the
// grid into f. Returns ok, or the first other status met (the values there NaN).
StripStatus strip_field_around_hole(const Grid& grid, const StripSolution& s, double bearing,
                                    double bypass, bool displacements, LaminateField& f);

}  // namespace hs
