#include "runner/evaluate.hpp"

#include <cmath>
#include <cstdio>

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

Evaluation evaluate_load_case(const Job& job, const PlyStack& plies, const LoadCase& lc,
                              JobWork& work, Problem& problem) {
  problem = Problem{job.materials, plies, job.grid, lc.loads,
                    job.criteria.empty() ? Criterion::kMaxStress : job.criteria.front()};
  const bool reserve = job.wants(ResultKind::kReserve);
  const bool ply_results = job.wants_any(ResultKind::kPlyStrains, ResultKind::kFailure);
  Stages stages{true,
                job.wants_any(ResultKind::kStresses, ResultKind::kFailure),
                job.wants(ResultKind::kDisplacements),
                ply_results,
                false,
                false};
  const bool corrected = job.width_correction == WidthCorrection::kTan && job.width != 0.0;
  OpenHoleScale scale;
  if (corrected)
    scale = tan_correction(job.materials, plies, lc.loads, job.grid.diameter, job.width);
  SingularCount singular;
  analyse(problem, stages, work.field, singular, corrected ? &scale : nullptr);

  Evaluation e{&lc,
               &problem,
               &work.field.compliance,
               &work.field.field,
               ply_results ? &work.field.plies : nullptr,
               job.grid,
               Reserve{},
               singular.count,
               corrected,
               scale};
  e.reserve_grid.distance_step = job.distance;
  e.reserve_grid.steps = 2;
  if (reserve) {
    Problem at_distance = problem;
    at_distance.grid = e.reserve_grid;
    Stages ply_stages{true, true, false, true, false, false};
    AnalysisListener none;
    analyse(at_distance, ply_stages, work.reserve, none, corrected ? &scale : nullptr);
    Reserve& r = e.reserve;
    for (size_t c = 0; c < job.criteria.size() && c < kMaxCriteria; ++c) {
      r.factor[c] = reserve_factor(job.criteria[c], materials_for(job, job.criteria[c]), plies,
                                   e.reserve_grid, work.reserve.plies, kFailureStep);
      if (std::isfinite(r.factor[c].factor) &&
          (r.smallest < 0 || r.factor[c].factor < r.factor[r.smallest].factor)) {
        r.smallest = static_cast<int>(c);
      }
    }
    if (r.smallest >= 0) r.margin = r.factor[r.smallest].factor / job.factor_of_safety - 1.0;
  }
  return e;
}

std::vector<std::string> job_warnings(const Job& job) {
  std::vector<std::string> w;
  const double ratio = job.width / job.grid.diameter;
  if (job.width != 0.0 && ratio < 8.0 && job.width_correction == WidthCorrection::kNone) {
    char text[400];
    std::snprintf(text, sizeof text,
                  "the plate is %.3g hole diameters wide (W/D below 8) and no finite-width "
                  "correction is chosen: the open-hole stresses are those of an infinite plate, "
                  "below the peak of the plate by about 2 percent at W/D = 8, 8 percent at 4 "
                  "and 45 percent at 2 (finite_width_correction = \"tan\" corrects them)",
                  ratio);
    w.push_back(text);
  }
  return w;
}

void evaluate_job(const Job& job, ResultSink& sink) {
  auto work = std::make_unique<JobWork>();
  auto problem = std::make_unique<Problem>();
  const int layups = job.carpet ? kCarpetLayups : 1;
  PlyStack plies = job.plies;
  for (int i = 0; i < layups; ++i) {
    Shares shares{};
    if (job.carpet) shares = apply_carpet_layup(job.plies, carpet_layup(i), plies);
    // The laminate axes do not depend on the load case.
    MembraneCompliance laminate = membrane_compliance(job.materials, plies, 0.0);
    sink.laminate(plies, job.carpet ? &shares : nullptr, laminate);
    for (const LoadCase& lc : job.load_cases) {
      sink.load_case(evaluate_load_case(job, plies, lc, *work, *problem));
    }
    sink.laminate_done();
  }
}

}  // namespace hs
