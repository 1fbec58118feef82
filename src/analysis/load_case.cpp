#include "analysis/load_case.hpp"

#include <limits>

#include "analysis/finite_width.hpp"

namespace hs {

namespace {

// Keeps the count of singular coefficient systems of the bolt solution.
struct SingularCount : AnalysisListener {
  int count = 0;
  void field_found(int, const Problem&, const LaminateField&, int singular) override {
    count = singular;
  }
};

}  // namespace

LoadCaseAnalysis analyse_load_case(const Materials& materials, const PlyStack& plies,
                                   const Grid& grid, const Plate& plate, const Loads& loads,
                                   const FailureAssessment& assessment, const LoadCaseWants& wants,
                                   LoadCaseWork& work, Problem& problem) {
  problem = Problem{materials, plies, grid, loads, Criterion::kMaxStress};
  const Stages stages{true, wants.field, wants.displacements, wants.ply_values, false, false};
  const bool corrected = plate.corrected() && !plate.strip();
  OpenHoleScale scale;
  FieldModel model;
  model.series =
      plate.bolt_series == BoltSeriesSum::kConverged ? BoltSeries::converged : BoltSeries::legacy;
  if (corrected) {
    scale = tan_correction(materials, plies, loads, grid.diameter, plate.width);
    model.scale = &scale;
  }
  if (plate.strip()) {
    model.strip = &strip_solution(materials, plies, plate, grid.diameter, work.strip);
    // Loads the strip does not take have no field in it.
    if (!strip_takes(loads, plate)) {
      problem.loads.bearing = problem.loads.bypass = std::numeric_limits<double>::quiet_NaN();
    }
  }
  SingularCount singular;
  analyse(problem, stages, work.field, singular, model);

  LoadCaseAnalysis a{&problem,
                     &work.field.laminate,
                     &work.field.field,
                     wants.ply_values ? &work.field.plies : nullptr,
                     reserve_grid(grid, assessment.distance),
                     LoadCaseReserve{},
                     singular.count,
                     corrected,
                     scale,
                     model.strip};
  if (wants.reserve) {
    Problem at_distance = problem;
    at_distance.grid = a.reserve_grid;
    const Stages ply_stages{true, true, false, true, false, false};
    AnalysisListener none;
    analyse(at_distance, ply_stages, work.reserve, none, model);
    a.reserve = judge_reserve(assessment, plies, a.reserve_grid, work.reserve.plies);
  }
  return a;
}

}  // namespace hs
