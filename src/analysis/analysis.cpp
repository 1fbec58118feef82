#include "analysis/analysis.hpp"

#include <cmath>

#include "analysis/failure_search.hpp"
#include "hole/hole_field.hpp"
#include "hole/strip_field.hpp"
#include "numeric/constants.hpp"
#include "ply/ply_values.hpp"

namespace hs {

namespace {

void scale_loads(Loads& l, double factor) {
  l.px = l.px * factor;
  l.py = l.py * factor;
  l.pxy = l.pxy * factor;
  l.bearing = l.bearing * factor;
  l.bypass = l.bypass * factor;
}

}  // namespace

SearchOutcome analyse(Problem& problem, const Stages& stages, Workspace& work,
                      AnalysisListener& listener, const FieldModel& model) {
  if (!stages.compliance) return SearchOutcome::kNotRun;
  work.laminate = membrane_compliance(problem.materials, problem.plies, problem.loads.bolt_angle);
  listener.compliance_found(work.laminate);

  const Criterion criterion = problem.criterion;
  double factor = 1.0;
  FailureSearch search;
  for (int iteration = 1;; ++iteration) {
    if (!stages.field) break;
    scale_loads(problem.loads, factor);
    // Displacements are shown for the loads as given only: the repetitions of a search skip them.
    const bool displacements = stages.displacements && iteration == 1;
    int singular = 0;
    if (model.strip) {
      strip_field_around_hole(problem.grid, *model.strip, problem.loads.bearing,
                              problem.loads.bypass, displacements, work.field);
    } else {
      singular =
          field_around_hole(problem.grid, problem.loads, work.laminate.compliance, displacements,
                            work.cache, work.field, model.scale, model.series);
    }
    listener.field_found(iteration, problem, work.field, singular);

    if (!stages.ply_values) break;
    ply_values(problem.materials, problem.plies, problem.grid, work.field, work.plies);
    listener.ply_values_found(iteration, problem, work.plies);

    if (!stages.failure) break;
    Governing g = governing_value(criterion, problem.materials, problem.plies, problem.grid,
                                  work.plies, kFailureStep);
    bool at_failure = false;
    if (g.value != 0.0) {
      // The factor that brings the governing value to 1: the failure numbers of criteria 1 and 2
      // are linear in the loads, the others are taken as quadratic.
      factor = has_three_numbers(criterion) ? 1.0 / std::fabs(g.value) : 1.0 / std::sqrt(g.value);
      at_failure = stages.search && !g.below_zero && !(factor < kConvergedLow) &&
                   !(factor > kConvergedHigh);
    }
    listener.failure_evaluated(iteration, problem, work.plies, g, at_failure);
    if (!stages.search) break;

    // A governing modified Tsai-Wu or Hoffman value below zero lies inside the envelope: scaling
    // its magnitude to 1 would stop at F = -1. The failure load follows directly instead.
    FailureSearch::Outcome outcome =
        g.below_zero ? search.solve_directly_now()
                     : search.next(problem.loads, factor, iteration, g.value == 0.0);
    if (outcome == FailureSearch::kSolveDirectly) {
      // The ply values scale with the loads: the first-ply failure load follows directly.
      double lambda = first_failure_factor(criterion, problem.materials, problem.plies,
                                           problem.grid, work.plies, kFailureStep);
      outcome = search.solved_directly(lambda, factor);
    }
    if (outcome == FailureSearch::kConverged) return SearchOutcome::kFound;
    if (outcome == FailureSearch::kStopped) {
      listener.search_stopped();
      return SearchOutcome::kStopped;
    }
  }
  return SearchOutcome::kNotRun;
}

}  // namespace hs
