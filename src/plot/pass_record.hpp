// What the page keeps of one pass of the dialogue: the inputs as typed, and the numbers its
// figures draw, gathered as the analysis finds them.
#pragma once

#include <string>
#include <vector>

#include "laminate/membrane_compliance.hpp"
#include "model/output_cases.hpp"
#include "model/problem.hpp"

namespace hs::plot {

// Values at the sample grid at the loads as typed, [k][j] or [k][j][p] flattened.
struct Field {
  int nstep = 0, nang = 0, nply = 0;
  std::vector<double> hoop, radial, shear;  // stresses in polar axes
  bool failure = false;
  std::vector<double> fn;  // governing failure number of each ply (signed)
};

// The first-ply failure found by the search.
struct Critical {
  bool shown = false;
  int station = 0, ply = 0;
  double PX = 0, PY = 0, PXY = 0, P = 0;
};

// One layup of a carpet plot: its engineering constants and failure stress.
struct Layup {
  bool seen = false;
  double EX, EY, GXY, failure;
};

struct PassRecord {
  int number = 0;
  bool carpet = false;
  double width = 0.0;
  CaseList cases{};
  Materials materials{};
  PlyStack plies{};
  Grid grid{};
  Loads loads{};  // as typed
  Criterion criterion{};
  std::string stress_unit, length_unit;  // from a job file; empty for a dialogue

  Field field;
  bool field_taken = false;
  Critical critical;
  bool stopped = false;  // the failure search found no failure load
  EngineeringConstants constants{};
  bool has_constants = false;
  int failure_load = -1;  // the load a carpet chart shows at failure: PX, PY, PXY, P (0..3)
  Layup layups[11][11];   // [0-degree share / 10][±45 share / 10]
};

}  // namespace hs::plot
