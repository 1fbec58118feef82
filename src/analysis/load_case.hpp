// One load case on one laminate, as the job runner, the Python module and the web page analyse
// it: the compliance, the field around the hole, the ply values and the reserve factors, with the
// plate's model of the field: the infinite plate with its finite-width correction and bolt series,
// or the strip (strip_model.hpp; a load case the strip does not take gives an undefined field).
// Off-axis and bolt angles of a turn or more are taken modulo 360 (reduce_degrees), and the
// problem carries them so.
#pragma once

#include <vector>

#include "analysis/analysis.hpp"
#include "analysis/reserve.hpp"
#include "analysis/reserve_stations.hpp"
#include "analysis/strip_model.hpp"
#include "model/assessment.hpp"
#include "model/plate.hpp"

namespace hs {

// Which results beyond the compliance are wanted.
struct LoadCaseWants {
  bool field = false;          // stresses and strains on the grid
  bool displacements = false;  // and the displacements
  bool ply_values = false;     // ply strains and stresses on the grid
  bool reserve = false;        // reserve factors at the characteristic distances
};

// The work space of load-case analyses: the field on the grid, the reserve stations with their
// ply values and reserve factors, and the strip model's solution of the laminate. Large: allocate
// it once; analyses one after another reuse its storage.
struct LoadCaseWork {
  Workspace field, reserve;
  ReserveStations stations;
  ReserveValues at_stations;
  std::vector<LoadCaseReserve> reserves;
  StripHoleCache strip;
};

// The results, pointing into the work space and the problem the caller gave (valid until the
// next analysis with them). The field and ply values are on the problem's grid; the reserve
// factors, one set per characteristic distance of the assessment, are judged at `stations`
// (CriterionReserve::station indexes them).
struct LoadCaseAnalysis {
  const Problem* problem;
  const MembraneCompliance* compliance;
  const LaminateField* field;
  const PlyField* plies;            // null when no ply values are wanted
  const ReserveStations* stations;  // null when no reserve factors are wanted
  const LoadCaseReserve* reserve;   // per characteristic distance; null when none are wanted
  int singular_systems;  // singular coefficient systems of the bolt solution (not meaningful)
  bool width_corrected;  // the open-hole pieces carry a finite-width correction:
  OpenHoleScale width_scale;
  const StripSolution* strip;  // the strip model's solution (in the work space), or null
};

// problem receives the laminate, grid and loads of the analysis.
LoadCaseAnalysis analyse_load_case(const Materials& materials, const PlyStack& plies,
                                   const Grid& grid, const Plate& plate, const Loads& loads,
                                   const FailureAssessment& assessment, const LoadCaseWants& wants,
                                   LoadCaseWork& work, Problem& problem);

}  // namespace hs
