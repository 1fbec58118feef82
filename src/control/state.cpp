#include "control/state.hpp"

#include "numeric/truncate.hpp"

namespace hs {

int station_count(const Three& grid) {
  int n = truncate_to_int((grid.HIGH - grid.LOW) / grid.DEG + 1.0);
  return n > kMaxAng ? kMaxAng : n;
}

int step_count(const Three& grid) {
  if (grid.NSTEP > kMaxStep) return kMaxStep;
  return grid.NSTEP < 0 ? 0 : grid.NSTEP;
}

}  // namespace hs
