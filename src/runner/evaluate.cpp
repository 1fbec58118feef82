#include "runner/evaluate.hpp"

#include <cmath>
#include <cstdio>

namespace hs {

LoadCaseWants load_case_wants(const Job& job) {
  LoadCaseWants w;
  w.field = job.wants_any(ResultKind::kStresses, ResultKind::kFailure);
  w.displacements = job.wants(ResultKind::kDisplacements);
  w.ply_values = job.wants_any(ResultKind::kPlyStrains, ResultKind::kFailure);
  w.reserve = job.wants(ResultKind::kReserve);
  return w;
}

Evaluation evaluate_load_case(const Job& job, const PlyStack& plies, const LoadCase& lc,
                              LoadCaseWork& work, Problem& problem) {
  Evaluation e{analyse_load_case(job.materials, plies, job.grid, job.plate, lc.loads,
                                 failure_assessment(job), load_case_wants(job), work, problem),
               &lc};
  return e;
}

std::vector<std::string> job_warnings(const Job& job) {
  std::vector<std::string> w;
  const double ratio = job.plate.width / job.grid.diameter;
  if (job.plate.width != 0.0 && ratio < 8.0 && !job.plate.corrected() && !job.plate.strip()) {
    char text[400];
    std::snprintf(text, sizeof text,
                  "the plate is %.3g hole diameters wide (W/D below 8) and no finite-width "
                  "correction is chosen: the open-hole stresses are those of an infinite plate, "
                  "below the peak of the plate by about 2 percent at W/D = 8, 8 percent at 4 "
                  "and 45 percent at 2 (finite_width_correction = \"tan\" corrects them)",
                  ratio);
    w.push_back(text);
  }
  // A stack whose stiffness cannot be inverted, or whose compliance is not that of a material,
  // has no field of this kind: every field value and reserve factor is then undefined.
  if (!job.carpet) {
    const MembraneCompliance c = membrane_compliance(job.materials, job.plies, 0.0);
    const Mat3& a = c.compliance.laminate_axes;
    bool finite = true;
    for (double v : a.a) finite = finite && std::isfinite(v);
    const double minor = a(1, 1) * a(2, 2) - a(1, 2) * a(2, 1);
    if (c.singular_laminate_axes || !finite || !(a(1, 1) > 0.0 && minor > 0.0 && a(3, 3) > 0.0)) {
      w.push_back(
          "the laminate's membrane compliance is singular, not finite or not that of a material "
          "(check the moduli and Poisson's ratios): the field around the hole and every reserve "
          "factor are undefined");
    }
  }
  if (job.plate.strip()) {
    StripHoleCache cache;
    if (!job.carpet) {
      strip_warnings(strip_solution(job.materials, job.plies, job.plate, job.grid.diameter, cache),
                     "", w);
    } else {
      PlyStack plies = job.plies;
      for (int i = 0; i < kCarpetLayups; ++i) {
        const Shares s = apply_carpet_layup(job.plies, carpet_layup(i), plies);
        strip_warnings(strip_solution(job.materials, plies, job.plate, job.grid.diameter, cache),
                       "layup " + std::to_string(s.s0) + "/" + std::to_string(s.s45) + "/" +
                           std::to_string(s.s90) + " percent 0/45/90: ",
                       w);
      }
    }
  }
  return w;
}

void strip_warnings(const StripSolution& s, const std::string& which,
                    std::vector<std::string>& out) {
  if (s.status != StripStatus::ok) {
    out.push_back(which +
                  "the strip model has no solution for this laminate and strip (no admissible "
                  "characteristic roots, or coincident ones): the field around the hole and every "
                  "reserve factor are undefined");
    return;
  }
  static const char* const kLoads[2] = {"bearing", "bypass"};
  for (int load = 0; load < (s.has_bypass ? 2 : 1); ++load) {
    const StripResidual& r = s.residual[load];
    const double values[4] = {r.hole, r.sides, r.front_end, r.back_end};
    static const char* const kWhere[4] = {"hole edge", "sides", "front end", "back end"};
    for (int b = 0; b < 4; ++b) {
      if (!(values[b] > kStripResidualWarning) && !std::isnan(values[b])) continue;
      char text[400];
      std::snprintf(text, sizeof text,
                    "the strip model's solution leaves a residual traction of %.3g percent of the "
                    "peak hoop stress on the %s under the unit %s (above %.3g percent): its "
                    "stresses are less certain than usual (a free end much wider than the hole "
                    "close to it needs more terms than the model's)",
                    values[b], kWhere[b], kLoads[load], kStripResidualWarning);
      out.push_back(which + text);
    }
  }
}

void evaluate_job(const Job& job, ResultSink& sink) {
  auto work = std::make_unique<LoadCaseWork>();
  auto problem = std::make_unique<Problem>();
  const FailureAssessment assessment = failure_assessment(job);
  const LoadCaseWants wants = load_case_wants(job);
  const int layups = job.carpet ? kCarpetLayups : 1;
  PlyStack plies = job.plies;
  for (int i = 0; i < layups; ++i) {
    Shares shares{};
    if (job.carpet) shares = apply_carpet_layup(job.plies, carpet_layup(i), plies);
    // The laminate axes do not depend on the load case.
    MembraneCompliance laminate = membrane_compliance(job.materials, plies, 0.0);
    sink.laminate(plies, job.carpet ? &shares : nullptr, laminate);
    for (const LoadCase& lc : job.load_cases) {
      Evaluation e{analyse_load_case(job.materials, plies, job.grid, job.plate, lc.loads,
                                     assessment, wants, *work, *problem),
                   &lc};
      sink.load_case(e);
    }
    sink.laminate_done();
  }
}

}  // namespace hs
