#include "model/grid.hpp"

#include "model/limits.hpp"
#include "numeric/guarded_conversion.hpp"

namespace hs {

int station_count(const Grid& grid) {
  int n = truncate_to_int((grid.angle_high - grid.angle_low) / grid.angle_step + 1.0);
  return n > kMaxStations ? kMaxStations : n;
}

int step_count(const Grid& grid) {
  if (grid.steps > kMaxSteps) return kMaxSteps;
  return grid.steps < 0 ? 0 : grid.steps;
}

}  // namespace hs
