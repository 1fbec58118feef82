// What the writers of results share: station order, names of components, units.
#pragma once

#include <string>

#include "job/job.hpp"
#include "runner/evaluate.hpp"

namespace hs {

// "fibre", "transverse", "shear".
const char* component_name(int component);

// Units of the job's results: stress (also moduli), length.
struct ResultUnits {
  std::string stress, length, compliance;  // compliance: "1/psi"
};
ResultUnits result_units(const Job& job);

// The number of stations of a field on the grid, distance steps outermost.
inline int grid_points(const Grid& g) {
  int nang = station_count(g);
  return step_count(g) * (nang > 0 ? nang : 0);
}

// The total thickness of a ply stack.
double total_thickness(const PlyStack& plies);

// The program's version.
const char* program_version();

}  // namespace hs
