// Reserve factors of a load case: for each criterion of an assessment, the factor by which every
// load can be scaled before the first ply fails at the characteristic distance from the hole
// edge, the smallest of them and its margin of safety.
#pragma once

#include "model/assessment.hpp"
#include "model/fields.hpp"
#include "model/grid.hpp"
#include "model/ply_stack.hpp"
#include "ply/failure_criteria.hpp"

namespace hs {

struct LoadCaseReserve {
  CriterionReserve criterion[kMaxCriteria];  // in the assessment's order
  int smallest = -1;  // index of the smallest finite factor; -1 when no factor is finite
  double margin = 0.0;  // of the smallest: factor / factor_of_safety - 1
  // Some criterion's factor is undefined (NaN: the field is not finite): then there is no
  // smallest either, since the undefined one might be smaller.
  bool undefined = false;
};

// The stations at which reserve factors are judged: those of `grid` at the hole edge (step 0)
// and at the characteristic distance (step kFailureStep).
Grid reserve_grid(const Grid& grid, double distance);

// The reserve factors of the ply values `field` on the reserve grid.
LoadCaseReserve judge_reserve(const FailureAssessment& assessment, const PlyStack& plies,
                              const Grid& reserve_grid, const PlyField& field);

// Sets smallest and margin from the factors of the first `criteria` entries.
void settle_smallest(LoadCaseReserve& reserve, int criteria, double factor_of_safety);

}  // namespace hs
