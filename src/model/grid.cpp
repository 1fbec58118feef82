#include "model/grid.hpp"

#include "numeric/guarded_conversion.hpp"

namespace hs {

int station_count(const Grid& grid) {
  int n = truncate_to_int((grid.angle_high - grid.angle_low) / grid.angle_step + 1.0);
  return n > grid.station_limit ? grid.station_limit : n;
}

int step_count(const Grid& grid) {
  if (grid.steps > grid.step_limit) return grid.step_limit;
  return grid.steps < 0 ? 0 : grid.steps;
}

}  // namespace hs
