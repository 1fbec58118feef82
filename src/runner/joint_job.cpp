#include "runner/joint_job.hpp"

#include <cmath>
#include <memory>

#include "analysis/load_case.hpp"
#include "laminate/membrane_compliance.hpp"
#include "runner/evaluate.hpp"
#include "runner/results_common.hpp"

namespace hs {

namespace {

const char* status_text(JointStatus s) {
  switch (s) {
    case JointStatus::kOk:
      return "";
    case JointStatus::kBadLoad:
      return "the load is not finite";
    case JointStatus::kPlateCount:
      return "single shear needs 2 plates, double shear 3";
    case JointStatus::kBadPlate:
      return "a plate's width, thickness or modulus along the load is not positive and finite "
             "(a laminate without stiffness along the load?)";
    case JointStatus::kNoRows:
      return "no row of fasteners";
    case JointStatus::kBadRow:
      return "a row's diameter, modulus, Poisson's ratio or count is out of range";
    case JointStatus::kRowsOutOfOrder:
      return "the rows are not ordered along the load";
    case JointStatus::kBadFlexibility:
      return "a fastener flexibility is negative or not finite";
    case JointStatus::kSingular:
      return "the compatibility equations of the rows have no unique solution";
    case JointStatus::kNotFinite:
      return "the row loads overflow";
  }
  return "unknown status";
}

}  // namespace

Loads joint_hole_loads(const HoleLoads& shared, double diameter, HoleModel model) {
  Loads l{};
  const double b = shared.bearing_stress;
  if (model == HoleModel::kStrip) {
    l.bearing = b;
    l.bypass = shared.bypass_stress;
    return l;
  }
  // The bolt pushes the plate towards its free end in tension, towards its loaded end in
  // compression; the far field reacting it (signed with the bearing) leaves the side the bolt
  // pushes towards unloaded by it and the other side with bearing D / pitch.
  l.px = shared.bypass_stress;
  l.bearing = std::fabs(b);
  l.bolt_angle = b < 0.0 ? 180.0 : 0.0;
  l.bypass = bypass_stress(b, diameter, shared.pitch);
  return l;
}

std::string joint_hole_name(const Job& job, int plate, int row) {
  return job.joint.plates[static_cast<std::size_t>(plate)].name + ":" + std::to_string(row + 1);
}

double joint_angle(const JointHole& hole, int station) {
  const double a =
      std::fmod(hole.stations.angle[static_cast<std::size_t>(station)] + hole.angle_offset, 360.0);
  return a < 0.0 ? a + 360.0 : a;
}

double station_distance(const JointHole& hole, int station) {
  return hole.stations.distance_at(0, station);
}

JointAnalysis analyse_joint_job(const Job& job) {
  JointAnalysis out;
  const JointInput& inputs = job.joint;
  Joint& joint = out.joint;
  joint.shear = inputs.double_shear ? Shear::kDouble : Shear::kSingle;
  joint.load = inputs.load;
  for (const JointPlateInput& p : inputs.plates) {
    PlyStack plies;
    if (p.laminate >= 0) {
      plies = inputs.laminates[static_cast<std::size_t>(p.laminate)].plies;
      const MembraneCompliance c = membrane_compliance(job.materials, plies, 0.0);
      joint.plates.push_back(laminate_plate(p.name, p.width, total_thickness(plies),
                                            c.compliance.laminate_axes, p.edge_distance));
    } else {
      // A metal plate: one isotropic ply of the plate's thickness.
      plies.resize(1);
      plies.angle[0] = 0.0;
      plies.thickness[0] = p.thickness;
      plies.material[0] = p.material;
      const ElasticConstants& e = job.materials.elastic[p.material];
      joint.plates.push_back(
          isotropic_plate(p.name, p.width, p.thickness, e.E1, e.NU12, p.edge_distance));
    }
    out.plies.push_back(std::move(plies));
  }
  for (const JointRowInput& r : inputs.rows) {
    joint.rows.push_back({r.x, r.diameter, r.fastener_modulus, r.fastener_poisson, r.count});
  }
  if (!flexibility_method_from_name(inputs.fastener_flexibility, out.method)) {
    out.status = JointStatus::kBadFlexibility;
    out.message = "unknown fastener flexibility " + inputs.fastener_flexibility;
    return out;
  }
  out.shares = share_joint_load(joint, out.method);
  out.status = out.shares.status;
  if (out.status != JointStatus::kOk) {
    out.message = std::string("the joint has no load sharing: ") + status_text(out.status);
    if (out.shares.at >= 0) out.message += " (at number " + std::to_string(out.shares.at + 1) + ")";
    return out;
  }

  const FailureAssessment assessment = failure_assessment(job);
  LoadCaseWants wants;
  wants.reserve = true;
  auto work = std::make_unique<LoadCaseWork>();
  auto problem = std::make_unique<Problem>();
  const std::size_t n = inputs.rows.size();
  double smallest = 0.0;
  out.holes.resize(inputs.plates.size());
  for (std::size_t p = 0; p < inputs.plates.size(); ++p) {
    // Plates 1 and 3 (member A) have their free end after the last row, plate 2 before the first.
    const bool member_b = p == 1;
    const std::size_t end_row = member_b ? 0 : n - 1;
    for (std::size_t i = 0; i < n; ++i) {
      JointHole h{};
      h.shared = out.shares.holes[p][i];
      h.plate.model = job.plate.model;
      h.plate.width = h.shared.pitch;
      h.plate.bolt_series = BoltSeriesSum::kConverged;
      if (job.plate.strip()) {
        h.plate.edge_distance = i == end_row ? inputs.plates[p].edge_distance : 0.0;
      } else {
        h.plate.width_correction = WidthCorrection::kTan;
      }
      h.grid = job.grid;
      h.grid.diameter = inputs.rows[i].diameter;
      h.loads = joint_hole_loads(h.shared, h.grid.diameter, job.plate.model);
      // Past the row by the free end the plate carries nothing: the sharing gives P - S_n with
      // S_n = P, to rounding.
      if (i == end_row) h.loads.bypass = job.plate.strip() ? 0.0 : h.loads.bypass;
      h.angle_offset = member_b ? 180.0 : 0.0;
      const LoadCaseAnalysis a = analyse_load_case(job.materials, out.plies[p], h.grid, h.plate,
                                                   h.loads, assessment, wants, *work, *problem);
      h.reserve = a.reserve[0];
      h.stations = *a.stations;
      if (a.strip)
        strip_warnings(*a.strip,
                       joint_hole_name(job, static_cast<int>(p), static_cast<int>(i)) + ": ",
                       out.warnings);
      out.undefined = out.undefined || h.reserve.undefined;
      if (h.reserve.smallest >= 0) {
        const double f = h.reserve.criterion[h.reserve.smallest].factor;
        if (out.critical_plate < 0 || f < smallest) {
          smallest = f;
          out.critical_plate = static_cast<int>(p);
          out.critical_row = static_cast<int>(i);
        }
      }
      out.holes[p].push_back(h);
    }
  }
  if (out.undefined) out.critical_plate = out.critical_row = -1;
  return out;
}

Job joint_hole_job(const Job& job, const JointAnalysis& analysis, int plate, int row) {
  const JointHole& h =
      analysis.holes[static_cast<std::size_t>(plate)][static_cast<std::size_t>(row)];
  Job one = job;
  one.joint = JointInput{};
  one.plies = analysis.plies[static_cast<std::size_t>(plate)];
  const JointPlateInput& p = job.joint.plates[static_cast<std::size_t>(plate)];
  one.layup =
      p.laminate >= 0 ? job.joint.laminates[static_cast<std::size_t>(p.laminate)].layup : "";
  one.plate = h.plate;
  one.grid = h.grid;
  one.load_cases = {LoadCase{joint_hole_name(job, plate, row), h.loads}};
  for (bool& r : one.results) r = false;
  one.results[static_cast<int>(ResultKind::kProperties)] = true;
  one.results[static_cast<int>(ResultKind::kStresses)] = true;
  one.results[static_cast<int>(ResultKind::kReserve)] = true;
  return one;
}

}  // namespace hs
