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

// The reserve factor of one criterion around the hole at the characteristic distance: at each
// station the smallest over the plies (+infinity where no ply has a finite one), the ply where
// it is reached, and the job runner's smallest of all with its station, ply and component.
struct ReserveCurve {
  Criterion criterion{};
  std::vector<double> factor;
  std::vector<int> ply;
  double smallest = 0.0;
  int station = 0, smallest_ply = 0, component = 0;
};

// One layup of a carpet plot: its engineering constants and failure stress.
struct Layup {
  bool seen = false;
  double EX, EY, GXY, failure;
};

struct PassRecord {
  // Set for the pictures of a job: the load case's name and the job's words ("px", "from the
  // hole edge") in place of the dialogue's ("PX", "DIST").
  bool job = false;
  std::string load_case;
  int number = 0;
  bool carpet = false;
  double width = 0.0;
  // A job in the strip model: the strip runs along x, `width` wide, its free end edge_distance
  // ahead of the hole centre (none when 0).
  bool strip = false;
  double edge_distance = 0.0;
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

  // The reserve factors of a job's load case, one curve per criterion in the job's order.
  std::vector<ReserveCurve> reserve;
  double reserve_distance = 0.0, factor_of_safety = 1.0;
};

}  // namespace hs::plot
