#include "analysis/load_case.hpp"

#include <limits>

#include "analysis/finite_width.hpp"
#include "numeric/constants.hpp"

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
  // Off-axis and bolt angles of a turn or more are taken modulo 360, exactly, before any
  // trigonometry, as the superposition of many load cases takes them.
  Loads within_a_turn = loads;
  within_a_turn.off_axis = reduce_degrees(loads.off_axis);
  within_a_turn.bolt_angle = reduce_degrees(loads.bolt_angle);
  problem = Problem{materials, plies, grid, within_a_turn, Criterion::kMaxStress};
  const Stages stages{true, wants.field, wants.displacements, wants.ply_values, false, false};
  const bool corrected = plate.corrected() && !plate.strip();
  OpenHoleScale scale;
  FieldModel model;
  model.series =
      plate.bolt_series == BoltSeriesSum::kConverged ? BoltSeries::converged : BoltSeries::legacy;
  if (corrected) {
    scale = tan_correction(materials, plies, within_a_turn, grid.diameter, plate.width);
    model.scale = &scale;
  }
  if (plate.strip()) {
    model.strip = &strip_solution(materials, plies, plate, grid.diameter, work.strip);
    // Loads the strip does not take have no field in it.
    if (!strip_takes(within_a_turn, plate)) {
      problem.loads.bearing = problem.loads.bypass = std::numeric_limits<double>::quiet_NaN();
    }
  }
  SingularCount singular;
  analyse(problem, stages, work.field, singular, model);

  LoadCaseAnalysis a{&problem,
                     &work.field.laminate,
                     &work.field.field,
                     wants.ply_values ? &work.field.plies : nullptr,
                     nullptr,
                     nullptr,
                     singular.count,
                     corrected,
                     scale,
                     model.strip};
  if (wants.reserve) {
    place_reserve_stations(grid, assessment, curve_axis(within_a_turn), work.stations);
    reserve_ply_values(work.stations, materials, plies, work.field.laminate, problem.loads, model,
                       work.reserve, work.at_stations);
    const int entries = work.stations.entries;
    work.reserves.resize(entries);
    for (int e = 0; e < entries; ++e) {
      work.reserves[e] = judge_reserve(assessment, plies, work.stations, work.at_stations.plies, e);
    }
    a.stations = &work.stations;
    a.reserve = work.reserves.data();
  }
  return a;
}

}  // namespace hs
