#include "analysis/superposition.hpp"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "analysis/analysis.hpp"
#include "analysis/finite_width.hpp"
#include "numeric/constants.hpp"
#include "numeric/inverse.hpp"

namespace hs {

namespace {

// The ply values at the reserve stations: the strains [distance][station][ply][component]
// followed by the stresses in the same layout.
void take_ply_values(const ReserveValues& values, double* out) {
  const PlyField& at = values.plies;
  const int nang = at.strain.stations(), entries = at.strain.steps(), nply = at.strain.plies();
  const std::size_t half = static_cast<std::size_t>(entries) * nang * nply * 3;
  for (int e = 0; e < entries; ++e) {
    for (int j = 0; j < nang; ++j) {
      for (int p = 0; p < nply; ++p) {
        double* v = out + ((static_cast<std::size_t>(e) * nang + j) * nply + p) * 3;
        const double* s = at.strain[j][e][p];
        const double* t = at.stress[j][e][p];
        for (int c = 0; c < 3; ++c) {
          v[c] = s[c];
          v[half + c] = t[c];
        }
      }
    }
  }
}

// The far-field stress of a uniaxial piece s along `angle` degrees, added in the laminate axes,
// as the open-hole solution forms it.
void add_uniaxial(double s, double angle, double t[3]) {
  if (s == 0.0) return;
  const double a = radians(angle);
  const double ca = std::cos(a), sa = std::sin(a);
  t[0] += s * ca * ca;
  t[1] += s * sa * sa;
  t[2] += s * sa * ca;
}

// Unit uniaxial stresses along these angles give the unit fields of sigma-x, sigma-y and tau-xy.
constexpr double kUnitAngles[3] = {0.0, 90.0, 45.0};

// The values of `key` among the most recently used first; made by `make` when missing (the
// oldest dropped beyond `keep`), and moved to the front.
template <class Unit, class Make>
const Unit& recent(std::vector<Unit>& units, double key, std::size_t keep, Make make) {
  auto it = std::find_if(units.begin(), units.end(), [&](const Unit& u) {
    return std::memcmp(&u.angle, &key, sizeof(double)) == 0;
  });
  if (it == units.end()) {
    if (units.size() == keep) units.pop_back();
    units.insert(units.begin(), make());
  } else if (it != units.begin()) {
    std::rotate(units.begin(), it, it + 1);
  }
  return units.front();
}

}  // namespace

struct ReserveSuperposition::Scratch {
  static constexpr std::size_t kAngles = 16;
  struct Unit {
    double angle;
    std::vector<double> values;
  };
  std::vector<Unit> bolts;  // by bolt angle, most recently used first
  std::vector<Unit> axes;   // unit far-field values by the curve's axis (stations that turn)
  std::unique_ptr<Workspace> work = std::make_unique<Workspace>();
  ReserveStations stations;  // of the axis being worked out
  ReserveValues at;
  std::vector<double> row;  // the ply values of the current load case
};

ReserveSuperposition::ReserveSuperposition(const Materials& materials, const PlyStack& plies,
                                           const Grid& grid, const Plate& plate,
                                           const FailureAssessment& assessment)
    : materials_(materials),
      plies_(plies),
      plate_(plate),
      assessment_(assessment),
      grid_(grid),
      turns_(stations_turn(assessment)) {
  place_reserve_stations(grid_, assessment_, 0.0, stations_);
  nang_ = stations_.stations;
  half_ = static_cast<std::size_t>(stations_.entries) * nang_ * plies_.count * 3;

  // The far-field tensors T of unit uniaxial stresses along 0, 90 and 45 degrees give the fields
  // of unit sigma-x, sigma-y and tau-xy from theirs by solving G = T F.
  Mat3 t{};
  for (int i = 0; i < 3; ++i) {
    double tensor[3] = {0, 0, 0};
    add_uniaxial(1.0, kUnitAngles[i], tensor);
    for (int c = 0; c < 3; ++c) t(i + 1, c + 1) = tensor[c];
  }
  inverse(t, unit_inverse_);
  for (std::size_t c = 0; c < assessment_.criteria.size() && c < kMaxCriteria; ++c) {
    const Criterion criterion = assessment_.criteria[c];
    needs_[criterion == Criterion::kMaxStrain ? 0 : 1] = true;
    std::vector<CriterionConstants> k;
    for (int p = 0; p < plies_.count; ++p) {
      k.push_back(
          criterion_constants(criterion, assessment_.allowables[c].allowables[plies_.material[p]]));
    }
    constants_.push_back(std::move(k));
  }
  if (!turns_) {
    auto work = std::make_unique<Workspace>();
    ReserveValues at;
    unit_.resize(6 * half_);
    unit_far_field(stations_, *work, at, unit_.data());
  }
}

ReserveSuperposition::~ReserveSuperposition() = default;

void ReserveSuperposition::ScratchDeleter::operator()(Scratch* s) const {
  delete s;
}

ReserveSuperposition::ScratchPtr ReserveSuperposition::scratch() const {
  ScratchPtr s(new Scratch);
  s->row.resize(2 * half_);
  return s;
}

double ReserveSuperposition::station_distance(int e, int j, const Loads& loads) const {
  return curve_distance(assessment_.distances[e], stations_.angle[j], curve_axis(loads));
}

void ReserveSuperposition::unit_far_field(const ReserveStations& stations, Workspace& work,
                                          ReserveValues& at, double* out) const {
  const std::size_t size = 2 * half_;
  std::vector<double> g(3 * size);
  const MembraneCompliance laminate = membrane_compliance(materials_, plies_, 0.0);
  for (int i = 0; i < 3; ++i) {
    reserve_ply_values(stations, materials_, plies_, laminate,
                       Loads{1.0, 0, 0, kUnitAngles[i], 0, 0, 0}, nullptr, work, at);
    take_ply_values(at, g.data() + i * size);
  }
  const Mat3& ti = unit_inverse_;
  for (int u = 0; u < 3; ++u) {
    double* o = out + u * size;
    for (std::size_t n = 0; n < size; ++n) {
      o[n] = ti(u + 1, 1) * g[n] + ti(u + 1, 2) * g[size + n] + ti(u + 1, 3) * g[2 * size + n];
    }
  }
}

void ReserveSuperposition::unit_bolt(const ReserveStations& stations, double bolt_angle,
                                     Workspace& work, ReserveValues& at, double* out) const {
  const MembraneCompliance laminate = membrane_compliance(materials_, plies_, bolt_angle);
  reserve_ply_values(stations, materials_, plies_, laminate, Loads{0, 0, 0, 0, 1.0, bolt_angle, 0},
                     nullptr, work, at);
  take_ply_values(at, out);
}

void ReserveSuperposition::reserve(const Loads& typed, Scratch& scratch,
                                   LoadCaseReserve* out) const {
  const int nply = plies_.count;
  const std::size_t half = half_;
  Loads loads = typed;
  loads.bypass = bypass_stress(loads.bearing, grid_.diameter, plate_.width);

  // A finite-width correction scales each open-hole piece by the factor of its direction.
  OpenHoleScale k;
  if (plate_.corrected()) {
    k = tan_correction(materials_, plies_, loads, grid_.diameter, plate_.width);
  }
  double t[3] = {0, 0, 0};
  add_uniaxial(loads.px * k.px, loads.off_axis, t);
  add_uniaxial(loads.py * k.py, loads.off_axis + 90.0, t);
  add_uniaxial(loads.pxy * k.pxy_tension, loads.off_axis + 45.0, t);
  add_uniaxial(-loads.pxy * k.pxy_compression, loads.off_axis - 45.0, t);
  if (loads.bearing != 0.0) add_uniaxial(loads.bypass * k.bypass, loads.bolt_angle, t);

  // Stations that turn with the curve's axis: the unit far-field values of this axis, worked
  // out on first use.
  const double* unit = unit_.data();
  const double axis = curve_axis(loads);
  if (turns_) {
    unit = recent(scratch.axes, axis, Scratch::kAngles, [&] {
             Scratch::Unit u{axis, std::vector<double>(6 * half)};
             place_reserve_stations(grid_, assessment_, axis, scratch.stations);
             unit_far_field(scratch.stations, *scratch.work, scratch.at, u.values.data());
             return u;
           }).values.data();
  }
  const double* fb = nullptr;
  if (loads.bearing != 0.0) {
    // The bolt field of this angle at unit bearing stress, worked out on first use.
    fb = recent(scratch.bolts, loads.bolt_angle, Scratch::kAngles, [&] {
           Scratch::Unit b{loads.bolt_angle, std::vector<double>(2 * half)};
           if (turns_) place_reserve_stations(grid_, assessment_, axis, scratch.stations);
           unit_bolt(turns_ ? scratch.stations : stations_, loads.bolt_angle, *scratch.work,
                     scratch.at, b.values.data());
           return b;
         }).values.data();
  }

  // The ply values of the load case: strains in the first half, stresses in the second, each
  // worked out only when a criterion compares it.
  double* v = scratch.row.data();
  for (int kind = 0; kind < 2; ++kind) {
    if (!needs_[kind]) continue;
    const std::size_t o = kind * half;
    const double *fx = unit + o, *fy = unit + 2 * half + o, *fs = unit + 4 * half + o;
    double* w = v + o;
    for (std::size_t n = 0; n < half; ++n) w[n] = t[0] * fx[n] + t[1] * fy[n] + t[2] * fs[n];
    if (fb) {
      const double b = loads.bearing;
      const double* fbo = fb + o;
      for (std::size_t n = 0; n < half; ++n) w[n] = w[n] + b * fbo[n];
    }
  }

  // Each characteristic distance on its own: the ply values per station and ply of its stations.
  const int ncrit = static_cast<int>(constants_.size());
  const std::size_t block = static_cast<std::size_t>(nang_) * nply * 3;
  for (int e = 0; e < stations_.entries; ++e) {
    for (int c = 0; c < ncrit; ++c) {
      const Criterion criterion = assessment_.criteria[c];
      const double* values = v + (criterion == Criterion::kMaxStrain ? 0 : half) + e * block;
      const CriterionConstants* kp = constants_[c].data();
      CriterionReserve best = {std::numeric_limits<double>::infinity(), 0, 0, 0};
      for (int j = 0; j < nang_; ++j) {
        for (int p = 0; p < nply; ++p) {
          const double* s = values + (static_cast<std::size_t>(j) * nply + p) * 3;
          const double f = point_reserve(kp[p], s[0], s[1], s[2]);
          if (std::isnan(f)) {
            best = {f, j, p, 0};
            j = nang_;  // undefined: the search ends
            break;
          }
          if (f > 0.0 && f < best.factor) best = {f, j, p, 0};
        }
      }
      if (std::isfinite(best.factor)) {
        const double* s = values + (static_cast<std::size_t>(best.station) * nply + best.ply) * 3;
        best.component = governing_component(kp[best.ply], s[0], s[1], s[2]);
      }
      out[e].criterion[c] = best;
    }
    settle_smallest(out[e], ncrit, assessment_.factor_of_safety);
  }
}

}  // namespace hs
