// Which stages of the analysis a selection of output cases needs.
#pragma once

#include "model/output_cases.hpp"

namespace hs {

struct Stages {
  bool compliance;     // the laminate's compliance and constants: case 2 or higher
  bool field;          // the field around the hole: case 3 or higher
  bool displacements;  // worked out only when case 6 prints them
  bool ply_values;     // case 7 or higher
  bool failure;        // case 9 or higher
  bool search;         // the automatic search for the first-ply failure load: case 10
};

inline Stages stages_for(const CaseList& cases) {
  return {cases.needs(OutputCase::kProperties),       cases.needs(OutputCase::kStresses),
          cases.selected(OutputCase::kDisplacements), cases.needs(OutputCase::kPlyStrains),
          cases.needs(OutputCase::kFailureNumbers),   cases.selected(OutputCase::kFailureSearch)};
}

}  // namespace hs
