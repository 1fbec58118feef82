// The ten output cases a user selects, in the order in which the stages of the analysis depend on
// each other: a case needs every stage with a lower number up to itself.
#pragma once

#include "model/limits.hpp"

namespace hs {

enum class OutputCase : int {
  kCarpetPlot = 1,
  kProperties = 2,
  kStresses = 3,
  kStrains = 4,
  kPolar = 5,  // circumferential and radial stresses and strains
  kDisplacements = 6,
  kPlyStrains = 7,
  kPlyStresses = 8,
  kFailureNumbers = 9,
  kFailureSearch = 10,
};

// The numbers typed for the output cases (0 = no entry).
struct CaseList {
  int entries[kCaseListLength];

  // The case is in the list: its stage runs and its table prints.
  bool selected(OutputCase c) const;
  // Some case from this one upward is in the list: its stage runs (a later case needs it) and
  // the inputs it needs are asked.
  bool needs(OutputCase c) const;
};

}  // namespace hs
