#include "analysis/reserve.hpp"

#include <cmath>

namespace hs {

LoadCaseReserve judge_reserve(const FailureAssessment& assessment, const PlyStack& plies,
                              const ReserveStations& stations, const PlyField& at_stations,
                              int entry) {
  LoadCaseReserve r;
  const Grid counts = station_count_grid(stations);
  const int n = static_cast<int>(assessment.criteria.size());
  for (int c = 0; c < n && c < kMaxCriteria; ++c) {
    r.criterion[c] = criterion_reserve(assessment.criteria[c], assessment.allowables[c], plies,
                                       counts, at_stations, entry);
  }
  settle_smallest(r, n < kMaxCriteria ? n : kMaxCriteria, assessment.factor_of_safety);
  return r;
}

void settle_smallest(LoadCaseReserve& r, int criteria, double factor_of_safety) {
  r.smallest = -1;
  r.margin = 0.0;
  r.undefined = false;
  for (int c = 0; c < criteria; ++c) r.undefined = r.undefined || std::isnan(r.criterion[c].factor);
  if (r.undefined) return;
  for (int c = 0; c < criteria; ++c) {
    const double f = r.criterion[c].factor;
    if (std::isfinite(f) && (r.smallest < 0 || f < r.criterion[r.smallest].factor)) r.smallest = c;
  }
  if (r.smallest >= 0) r.margin = r.criterion[r.smallest].factor / factor_of_safety - 1.0;
}

}  // namespace hs
