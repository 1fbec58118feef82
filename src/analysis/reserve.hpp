// Reserve factors of a load case: for each criterion of an assessment, the factor by which every
// load can be scaled before the first ply fails at the stations of a characteristic distance
// (reserve_stations.hpp), the smallest of them and its margin of safety.
#pragma once

#include "analysis/reserve_stations.hpp"
#include "model/assessment.hpp"
#include "model/fields.hpp"
#include "model/ply_stack.hpp"
#include "ply/failure_criteria.hpp"

namespace hs {

struct LoadCaseReserve {
  CriterionReserve criterion[kMaxCriteria];  // in the assessment's order; station: reserve station
  int smallest = -1;    // index of the smallest finite factor; -1 when no factor is finite
  double margin = 0.0;  // of the smallest: factor / factor_of_safety - 1
  // Some criterion's factor is undefined (NaN: the field is not finite): then there is no
  // smallest either, since the undefined one might be smaller.
  bool undefined = false;
};

// The reserve factors of characteristic distance `entry` from the ply values at the stations
// (reserve_ply_values).
LoadCaseReserve judge_reserve(const FailureAssessment& assessment, const PlyStack& plies,
                              const ReserveStations& stations, const PlyField& at_stations,
                              int entry);

// Sets smallest and margin from the factors of the first `criteria` entries.
void settle_smallest(LoadCaseReserve& reserve, int criteria, double factor_of_safety);

}  // namespace hs
