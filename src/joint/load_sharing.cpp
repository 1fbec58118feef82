#include "joint/load_sharing.hpp"

#include <cmath>
#include <cstddef>

#include "numeric/tridiagonal.hpp"

namespace hs {

namespace {

bool positive(double v) {
  return std::isfinite(v) && v > 0.0;
}

JointLoads failed(JointStatus status, int at) {
  JointLoads out;
  out.status = status;
  out.at = at;
  return out;
}

// The first fault of the joint's data, kOk when there is none.
JointLoads check_joint(const Joint& joint) {
  if (!std::isfinite(joint.load)) return failed(JointStatus::kBadLoad, -1);
  std::size_t plates = joint.shear == Shear::kSingle ? 2 : 3;
  if (joint.plates.size() != plates) return failed(JointStatus::kPlateCount, -1);
  for (std::size_t j = 0; j < plates; ++j) {
    const JointPlate& p = joint.plates[j];
    if (!positive(p.width) || !positive(p.thickness) || !positive(p.modulus) ||
        !std::isfinite(p.poisson) || !std::isfinite(p.edge_distance) || p.edge_distance < 0.0)
      return failed(JointStatus::kBadPlate, static_cast<int>(j));
  }
  if (joint.rows.empty()) return failed(JointStatus::kNoRows, -1);
  for (std::size_t i = 0; i < joint.rows.size(); ++i) {
    const FastenerRow& r = joint.rows[i];
    if (!std::isfinite(r.position) || !positive(r.diameter) || !positive(r.modulus) ||
        !(r.poisson > -1.0 && r.poisson <= 0.5) || r.count < 1)
      return failed(JointStatus::kBadRow, static_cast<int>(i));
    if (i > 0 && !(r.position > joint.rows[i - 1].position))
      return failed(JointStatus::kRowsOutOfOrder, static_cast<int>(i));
  }
  return failed(JointStatus::kOk, -1);
}

double axial_stiffness(const JointPlate& p) {
  return p.modulus * p.thickness * p.width;
}

// The bearing and bypass of plate j at every row: its share of each row load and of the load its
// member carries past the row, from the loads S_i transferred by rows 1..i.
std::vector<HoleLoads> plate_holes(const Joint& joint, std::size_t j, double share,
                                   const std::vector<double>& transferred) {
  const JointPlate& plate = joint.plates[j];
  const std::vector<FastenerRow>& rows = joint.rows;
  std::size_t n = rows.size();
  bool member_b = j == 1;  // plate 2 is loaded after the last row, its free end before the first
  std::vector<HoleLoads> holes(n);
  for (std::size_t i = 0; i < n; ++i) {
    const FastenerRow& r = rows[i];
    double row_load = transferred[i + 1] - transferred[i];
    double bypass = member_b ? transferred[i] : joint.load - transferred[i + 1];
    HoleLoads& h = holes[i];
    h.bearing_load = share * row_load;
    h.bypass_load = share * bypass;
    h.bearing_stress = h.bearing_load / (r.count * r.diameter * plate.thickness);
    h.bypass_stress = h.bypass_load / (plate.width * plate.thickness);
    h.pitch = plate.width / r.count;
    h.free_end_distance = member_b ? r.position - rows[0].position + plate.edge_distance
                                   : rows[n - 1].position - r.position + plate.edge_distance;
  }
  return holes;
}

bool all_finite(const JointLoads& out) {
  for (double v : out.row_load) {
    if (!std::isfinite(v)) return false;
  }
  for (const std::vector<HoleLoads>& plate : out.holes) {
    for (const HoleLoads& h : plate) {
      if (!std::isfinite(h.bearing_stress) || !std::isfinite(h.bypass_stress) ||
          !std::isfinite(h.free_end_distance))
        return false;
    }
  }
  return true;
}

// The load sharing of a checked joint with one fastener's flexibility per row.
JointLoads solve(const Joint& joint, const std::vector<double>& flexibility) {
  const std::vector<FastenerRow>& rows = joint.rows;
  std::size_t n = rows.size();
  if (flexibility.size() != n) return failed(JointStatus::kBadFlexibility, -1);
  std::vector<double> c(n);  // the rows' flexibilities, their fasteners in parallel
  for (std::size_t i = 0; i < n; ++i) {
    if (!std::isfinite(flexibility[i]) || flexibility[i] < 0.0)
      return failed(JointStatus::kBadFlexibility, static_cast<int>(i));
    c[i] = flexibility[i] / rows[i].count;
  }

  // 1. The members: A loaded before the first row, B after the last.
  double ka = axial_stiffness(joint.plates[0]), kb = axial_stiffness(joint.plates[1]);
  if (joint.shear == Shear::kDouble) ka = ka + axial_stiffness(joint.plates[2]);
  double load = joint.load;

  // 2. The compatibility of rows i and i+1 for the unknowns S_1 .. S_{n-1}.
  std::size_t m = n - 1;
  std::vector<double> lower(m), diagonal(m), upper(m), s(m);
  for (std::size_t e = 0; e < m; ++e) {
    double pitch = rows[e + 1].position - rows[e].position;
    lower[e] = c[e];
    diagonal[e] = -(c[e] + c[e + 1] + pitch * (1.0 / ka + 1.0 / kb));
    upper[e] = c[e + 1];
    s[e] = -pitch * load / ka;
  }
  if (m > 0) s[m - 1] = s[m - 1] - c[m] * load;  // S_n = P is known
  if (!solve_tridiagonal(lower.data(), diagonal.data(), upper.data(), s.data(),
                         static_cast<int>(m)))
    return failed(JointStatus::kSingular, -1);

  // 3. Row loads from the transferred loads S_0 = 0, S_1 .. S_{n-1}, S_n = P.
  std::vector<double> transferred(n + 1);
  transferred[0] = 0.0;
  for (std::size_t e = 0; e < m; ++e) transferred[e + 1] = s[e];
  transferred[n] = load;
  JointLoads out;
  out.flexibility = flexibility;
  out.row_load.resize(n);
  out.fastener_load.resize(n);
  for (std::size_t i = 0; i < n; ++i) {
    out.row_load[i] = transferred[i + 1] - transferred[i];
    out.fastener_load[i] = out.row_load[i] / rows[i].count;
  }

  // 4. Every hole; the outer plates of double shear split member A's loads by stiffness.
  out.holes.resize(joint.plates.size());
  for (std::size_t j = 0; j < joint.plates.size(); ++j) {
    double share = j == 1 ? 1.0 : axial_stiffness(joint.plates[j]) / ka;
    out.holes[j] = plate_holes(joint, j, share, transferred);
  }
  if (!all_finite(out)) return failed(JointStatus::kNotFinite, -1);
  return out;
}

}  // namespace

FastenedPlates fastened_plates(const Joint& joint) {
  const std::vector<JointPlate>& p = joint.plates;
  if (joint.shear == Shear::kSingle)
    return {p[0].thickness, p[0].modulus, p[1].thickness, p[1].modulus};
  double outer_t = (p[0].thickness + p[2].thickness) / 2.0;
  double outer_e = (p[0].modulus * p[0].thickness + p[2].modulus * p[2].thickness) /
                   (p[0].thickness + p[2].thickness);
  return {p[1].thickness, p[1].modulus, outer_t, outer_e};
}

JointLoads share_joint_load(const Joint& joint, FlexibilityMethod method) {
  JointLoads checked = check_joint(joint);
  if (checked.status != JointStatus::kOk) return checked;
  FastenedPlates plates = fastened_plates(joint);
  std::vector<double> flexibility(joint.rows.size());
  for (std::size_t i = 0; i < joint.rows.size(); ++i) {
    const FastenerRow& r = joint.rows[i];
    flexibility[i] =
        fastener_flexibility(method, joint.shear, plates, {r.diameter, r.modulus, r.poisson});
  }
  return solve(joint, flexibility);
}

JointLoads share_joint_load(const Joint& joint, const std::vector<double>& flexibility) {
  JointLoads checked = check_joint(joint);
  if (checked.status != JointStatus::kOk) return checked;
  return solve(joint, flexibility);
}

}  // namespace hs
