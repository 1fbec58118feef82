// How first-ply failure is judged for reserve factors: which criteria, the allowables each
// compares, the characteristic distance from the hole edge, the factor of safety.
#pragma once

#include <vector>

#include "model/materials.hpp"

namespace hs {

// Each of the five criteria at most once.
constexpr int kMaxCriteria = 5;

struct FailureAssessment {
  std::vector<Criterion> criteria;    // in the order the results give them
  std::vector<Materials> allowables;  // per criterion: the materials with the allowables it
                                      // compares (strain allowables for maximum strain)
  double distance = 0.0;              // from the hole edge, in the length unit
  double factor_of_safety = 1.0;
};

}  // namespace hs
