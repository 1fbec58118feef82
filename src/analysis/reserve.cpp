#include "analysis/reserve.hpp"

#include <cmath>

#include "analysis/analysis.hpp"

namespace hs {

Grid reserve_grid(const Grid& grid, double distance) {
  Grid g = grid;
  g.distance_step = distance;
  g.steps = kFailureStep + 1;
  return g;
}

LoadCaseReserve judge_reserve(const FailureAssessment& assessment, const PlyStack& plies,
                              const Grid& reserve_grid, const PlyField& field) {
  LoadCaseReserve r;
  const int n = static_cast<int>(assessment.criteria.size());
  for (int c = 0; c < n && c < kMaxCriteria; ++c) {
    r.criterion[c] = criterion_reserve(assessment.criteria[c], assessment.allowables[c], plies,
                                       reserve_grid, field, kFailureStep);
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
