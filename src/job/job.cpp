#include "job/job.hpp"

#include <cmath>

namespace hs {

const char* result_name(ResultKind kind) {
  switch (kind) {
    case ResultKind::kProperties:
      return "properties";
    case ResultKind::kStresses:
      return "stresses";
    case ResultKind::kStrains:
      return "strains";
    case ResultKind::kPolar:
      return "polar";
    case ResultKind::kDisplacements:
      return "displacements";
    case ResultKind::kPlyStrains:
      return "ply-strains";
    case ResultKind::kPlyStresses:
      return "ply-stresses";
    case ResultKind::kFailure:
      return "failure";
    case ResultKind::kReserve:
      return "reserve";
  }
  return "?";
}

const char* criterion_name(Criterion c) {
  switch (c) {
    case Criterion::kMaxStrain:
      return "max-strain";
    case Criterion::kMaxStress:
      return "max-stress";
    case Criterion::kTsaiHill:
      return "tsai-hill";
    case Criterion::kTsaiWu:
      return "tsai-wu";
    case Criterion::kHoffman:
      return "hoffman";
  }
  return "?";
}

std::string to_string(const JobError& e) {
  std::string s = e.file;
  s += ':' + std::to_string(e.line) + ':' + std::to_string(e.column) + ": ";
  if (!e.key.empty()) s += e.key + ": ";
  s += e.message;
  return s;
}

Materials materials_for(const Job& job, Criterion criterion) {
  Materials m = job.materials;
  if (criterion != Criterion::kMaxStrain) return m;
  for (int i = 0; i < m.count; ++i) {
    if (job.has_strain_allowables[i]) {
      m.allowables[i] = job.strain_allowables[i];
      continue;
    }
    const ElasticConstants& e = m.elastic[i];
    const Allowables& a = job.materials.allowables[i];
    m.allowables[i] = {a.T1 / e.E1, a.C1 / e.E1, a.T2 / e.E2, a.C2 / e.E2, a.S12 / e.G12};
  }
  return m;
}

FailureAssessment failure_assessment(const Job& job) {
  FailureAssessment a;
  a.criteria = job.criteria;
  for (Criterion c : job.criteria) a.allowables.push_back(materials_for(job, c));
  a.distances = job.distances;
  a.method = job.method;
  a.average_rule = job.average_rule;
  a.average_points = job.average_points;
  a.factor_of_safety = job.factor_of_safety;
  return a;
}

Grid joint_default_grid(const Job& job) {
  // The farthest reach of the characteristic curve from a hole's edge.
  const double distance = std::fmax(job.distances[0].tension, job.distances[0].compression);
  Grid g = job.grid;
  g.angle_step = 2.0;
  g.angle_low = 0.0;
  g.angle_high = 360.0;
  g.distance_step = distance > 0.0 ? distance : 0.1 * job.grid.diameter;
  g.steps = 2;
  return g;
}

bool plain_reserve(const Job& job) {
  return job.method == StrengthMethod::kPointStress && !job.distance_list &&
         job.distances.size() == 1 && job.distances[0].circular();
}

const char* method_name(StrengthMethod m) {
  return m == StrengthMethod::kAverageStress ? "average" : "point";
}

const char* average_rule_name(Quadrature q) {
  return q == Quadrature::kSimpson ? "simpson" : "gauss-legendre";
}

static_assert(static_cast<int>(ResultKind::kReserve) + static_cast<int>(OutputCase::kProperties) ==
              static_cast<int>(OutputCase::kFailureSearch));

OutputCase dialogue_case(ResultKind kind) {
  // The kinds follow the dialogue's cases from 2 up, in order.
  return static_cast<OutputCase>(static_cast<int>(kind) +
                                 static_cast<int>(OutputCase::kProperties));
}

}  // namespace hs
