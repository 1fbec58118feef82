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

// Ply values in the layout of take_ply_values, component by component over the ply points.
void to_points(const double* values, std::size_t points, ReserveSuperposition::PointValues& out) {
  for (int kind = 0; kind < 2; ++kind) {
    for (int c = 0; c < 3; ++c) {
      std::vector<double>& v = out[kind * 3 + c];
      v.resize(points);
      for (std::size_t n = 0; n < points; ++n) v[n] = values[(kind * points + n) * 3 + c];
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

// The infinite plate's field as the full analysis of a job forms it, with the plate's bolt series.
FieldModel series_of(const Plate& plate) {
  FieldModel m;
  m.series =
      plate.bolt_series == BoltSeriesSum::kConverged ? BoltSeries::converged : BoltSeries::legacy;
  return m;
}

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
  static constexpr std::size_t kBoltAngles = 16;
  // Blocks: the unit bolt fields at the ply points of the bolt angles met most recently.
  struct Bolt {
    double angle;
    unsigned long used;  // when last used: the least recently used is replaced
    PointValues values;
  };
  std::vector<Bolt> bolts;
  unsigned long clock = 0;
  // Point by point: unit values as take_ply_values gives them, most recently used first, of the
  // bolt angles and of the curve's axes (stations that turn).
  struct Unit {
    double angle;
    std::vector<double> values;
  };
  std::vector<Unit> bolt_units, axes;
  std::unique_ptr<Workspace> work = std::make_unique<Workspace>();
  ReserveStations stations;  // of the axis being worked out
  ReserveValues at;
  // The ply values of a bolt field as take_ply_values gives them, or of the current load case.
  std::vector<double> taken;
  std::vector<double> keys;  // the kernel's working storage
  // Load cases waiting for a full block, one group per bolt field and the last for the cases
  // without bearing; out: where each case's results go (one per characteristic distance).
  struct Group {
    CaseBlock cases;
    LoadCaseReserve* out[kBlockCases];
  };
  Group groups[kBoltAngles + 1];
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
  if (plate_.strip()) fill_strip_units();
  if (blocked()) {
    if (plate_.strip()) {
      // The strip's load cases in the blocks: the unit bypass as the field of sigma-x (zero
      // fields for sigma-y and tau-xy) and the unit bearing as the bolt field, so that a case is
      // bypass times the one plus bearing times the other, as point by point. With an edge
      // distance the strip takes no bypass, and its unit field (not a number) is left as zeros.
      std::vector<double> bypass = strip_unit_[kStripBypass];
      if (plate_.edge_distance > 0.0) bypass.assign(bypass.size(), 0.0);
      to_points(bypass.data(), half_ / 3, unit_points_[0]);
      to_points(strip_unit_[kStripBearing].data(), half_ / 3, strip_bearing_points_);
      const std::vector<double> zero(2 * half_, 0.0);
      to_points(zero.data(), half_ / 3, unit_points_[1]);
      to_points(zero.data(), half_ / 3, unit_points_[2]);
    } else {
      auto work = std::make_unique<Workspace>();
      ReserveValues at;
      std::vector<double> unit(6 * half_);
      unit_far_field(stations_, *work, at, unit.data());
      for (int u = 0; u < 3; ++u) {
        to_points(unit.data() + u * 2 * half_, half_ / 3, unit_points_[u]);
      }
    }
    for (const std::vector<CriterionConstants>& k : constants_) {
      point_constants_.push_back(point_constants(k, nang_));
    }
  }
}

// The strip's unit bearing and unit bypass at the reserve stations, through the solution a job's
// load case takes, so that their superposition is its values to rounding. The strip's axis is
// the laminate x axis: its stations are those of axis 0.
void ReserveSuperposition::fill_strip_units() {
  FieldModel model;
  model.strip = &strip_solution(materials_, plies_, plate_, grid_.diameter, strip_);
  auto work = std::make_unique<Workspace>();
  ReserveValues at;
  const MembraneCompliance laminate = membrane_compliance(materials_, plies_, 0.0);
  for (int load = 0; load < 2; ++load) {
    Loads unit{};
    (load == kStripBearing ? unit.bearing : unit.bypass) = 1.0;
    reserve_ply_values(stations_, materials_, plies_, laminate, unit, model, *work, at);
    strip_unit_[load].resize(2 * half_);
    take_ply_values(at, strip_unit_[load].data());
  }
}

// The ply values of a load case in the strip: bearing and bypass times their unit values, NaN
// when the strip does not take the load case; strains in the first half, stresses in the second,
// each worked out only when a criterion compares it.
void ReserveSuperposition::strip_ply_values(const Loads& loads, double* row) const {
  const std::size_t half = half_;
  double b = loads.bearing, s = loads.bypass;
  if (!strip_takes(loads, plate_)) b = s = std::numeric_limits<double>::quiet_NaN();
  for (int kind = 0; kind < 2; ++kind) {
    if (!needs_[kind]) continue;
    const std::size_t o = kind * half;
    const double* fb = strip_unit_[kStripBearing].data() + o;
    const double* fs = strip_unit_[kStripBypass].data() + o;
    double* w = row + o;
    // Without an edge distance the bypass's unit values are those of the strip; with one they
    // are NaN (it takes no bypass), and a bypass of 0 adds nothing.
    if (s == 0.0) {
      for (std::size_t n = 0; n < half; ++n) w[n] = b * fb[n];
    } else {
      for (std::size_t n = 0; n < half; ++n) w[n] = b * fb[n] + s * fs[n];
    }
  }
}

ReserveSuperposition::~ReserveSuperposition() = default;

void ReserveSuperposition::ScratchDeleter::operator()(Scratch* s) const {
  delete s;
}

ReserveSuperposition::ScratchPtr ReserveSuperposition::scratch() const {
  ScratchPtr s(new Scratch);
  s->taken.resize(2 * half_);
  if (blocked()) {
    s->bolts.reserve(Scratch::kBoltAngles);
    s->keys.resize(constants_.size() * kBlockCases * nang_ * plies_.count);
  }
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
                       Loads{1.0, 0, 0, kUnitAngles[i], 0, 0, 0}, FieldModel{}, work, at);
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
                     series_of(plate_), work, at);
  take_ply_values(at, out);
}

// The load case as the field takes it (angles within a turn, the bypass of its bearing) and its
// far-field stresses in the laminate axes, a finite-width correction scaling each open-hole piece
// by the factor of its direction.
void ReserveSuperposition::far_field(const Loads& typed, Loads& loads, double t[3]) const {
  loads = typed;
  loads.off_axis = reduce_degrees(loads.off_axis);
  loads.bolt_angle = reduce_degrees(loads.bolt_angle);
  loads.bypass = bypass_stress(loads.bearing, grid_.diameter, plate_.width);
  OpenHoleScale k;
  if (plate_.corrected()) {
    k = tan_correction(materials_, plies_, loads, grid_.diameter, plate_.width);
  }
  t[0] = t[1] = t[2] = 0.0;
  add_uniaxial(loads.px * k.px, loads.off_axis, t);
  add_uniaxial(loads.py * k.py, loads.off_axis + 90.0, t);
  add_uniaxial(loads.pxy * k.pxy_tension, loads.off_axis + 45.0, t);
  add_uniaxial(-loads.pxy * k.pxy_compression, loads.off_axis - 45.0, t);
  if (loads.bearing != 0.0) add_uniaxial(loads.bypass * k.bypass, loads.bolt_angle, t);
}

void ReserveSuperposition::reserve(const Loads& typed, Scratch& scratch,
                                   LoadCaseReserve* out) const {
  reserve(&typed, 1, scratch, out);
}

void ReserveSuperposition::reserve(const Loads* typed, std::size_t count, Scratch& scratch,
                                   LoadCaseReserve* out) const {
  const std::size_t entries = static_cast<std::size_t>(stations_.entries);
  if (!blocked()) {
    for (std::size_t i = 0; i < count; ++i) {
      reserve_point_by_point(typed[i], scratch, out + i * entries);
    }
    return;
  }
  constexpr std::size_t kNoBolt = Scratch::kBoltAngles;
  if (plate_.strip()) {
    // One block for every case: bypass and bearing on the strip's two unit fields; a case the
    // strip does not take has undefined factors.
    Scratch::Group& g = scratch.groups[kNoBolt];
    for (std::size_t i = 0; i < count; ++i) {
      const bool taken = strip_takes(typed[i], plate_);
      const double nan = std::numeric_limits<double>::quiet_NaN();
      const std::size_t at = g.cases.count++;
      g.cases.t[at][0] = taken ? typed[i].bypass : nan;
      g.cases.t[at][1] = g.cases.t[at][2] = 0.0;
      g.cases.bearing[at] = taken ? typed[i].bearing : nan;
      g.out[at] = out + i * entries;
      if (g.cases.count == kBlockCases) run_block(kNoBolt, scratch);
    }
    run_block(kNoBolt, scratch);
    return;
  }
  for (std::size_t i = 0; i < count; ++i) {
    // 1. The far-field stresses in the laminate axes.
    Loads loads;
    double t[3];
    far_field(typed[i], loads, t);

    // 2. The bolt field of its angle at unit bearing stress, worked out on first use; the
    //    least recently used one gives way once the blocks waiting for it are worked out.
    std::size_t slot = kNoBolt;
    if (loads.bearing != 0.0) {
      auto& bolts = scratch.bolts;
      auto it = std::find_if(bolts.begin(), bolts.end(), [&](const Scratch::Bolt& b) {
        return std::memcmp(&b.angle, &loads.bolt_angle, sizeof(double)) == 0;
      });
      if (it == bolts.end()) {
        if (bolts.size() < Scratch::kBoltAngles) {
          it = bolts.emplace(bolts.end());
        } else {
          for (std::size_t g = 0; g < Scratch::kBoltAngles; ++g) run_block(g, scratch);
          it = std::min_element(
              bolts.begin(), bolts.end(),
              [](const Scratch::Bolt& a, const Scratch::Bolt& b) { return a.used < b.used; });
        }
        unit_bolt(stations_, loads.bolt_angle, *scratch.work, scratch.at, scratch.taken.data());
        it->angle = loads.bolt_angle;
        to_points(scratch.taken.data(), half_ / 3, it->values);
      }
      it->used = ++scratch.clock;
      slot = static_cast<std::size_t>(it - bolts.begin());
    }

    // 3. Into the block of its bolt field, worked out when full.
    Scratch::Group& g = scratch.groups[slot];
    const std::size_t at = g.cases.count++;
    for (int c = 0; c < 3; ++c) g.cases.t[at][c] = t[c];
    g.cases.bearing[at] = loads.bearing;
    g.out[at] = out + i * entries;
    if (g.cases.count == kBlockCases) run_block(slot, scratch);
  }
  for (std::size_t g = 0; g <= kNoBolt; ++g) run_block(g, scratch);
}

// The reserve factors of the cases waiting in the block of bolt field `slot`, each
// characteristic distance on its own.
void ReserveSuperposition::run_block(std::size_t slot, Scratch& scratch) const {
  Scratch::Group& g = scratch.groups[slot];
  if (g.cases.count == 0) return;
  const int nply = plies_.count;
  const std::size_t points = static_cast<std::size_t>(nang_) * nply;
  const int ncrit = static_cast<int>(constants_.size());
  for (int e = 0; e < stations_.entries; ++e) {
    const std::size_t first = static_cast<std::size_t>(e) * points;
    for (int kind = 0; kind < 2; ++kind) {
      if (!needs_[kind]) continue;
      // The criteria that compare this kind of ply value (strains for maximum strain).
      const PointConstants* criteria[kMaxCriteria];
      int which[kMaxCriteria];
      std::size_t count = 0;
      for (int c = 0; c < ncrit; ++c) {
        if ((assessment_.criteria[c] == Criterion::kMaxStrain) == (kind == 0)) {
          criteria[count] = &point_constants_[c];
          which[count++] = c;
        }
      }
      UnitPointFields f;
      for (int j = 0; j < 3; ++j) {
        f.x[j] = unit_points_[0][kind * 3 + j].data() + first;
        f.y[j] = unit_points_[1][kind * 3 + j].data() + first;
        f.xy[j] = unit_points_[2][kind * 3 + j].data() + first;
        f.bolt[j] = plate_.strip() ? strip_bearing_points_[kind * 3 + j].data() + first
                    : slot < Scratch::kBoltAngles
                        ? scratch.bolts[slot].values[kind * 3 + j].data() + first
                        : nullptr;
      }
      PointMinimum m[kMaxCriteria * kBlockCases];
      smallest_point_reserves(criteria, count, f, g.cases, points, scratch.keys.data(), m);
      for (std::size_t a = 0; a < count; ++a) {
        const int c = which[a];
        for (std::size_t i = 0; i < g.cases.count; ++i) {
          const PointMinimum& at = m[a * kBlockCases + i];
          CriterionReserve best = {at.factor, 0, 0, 0};
          if (std::isfinite(at.factor)) {
            best.station = static_cast<int>(at.point / nply);
            best.ply = static_cast<int>(at.point % nply);
            best.component = governing_component(constants_[c][best.ply],
                                                 superpose_point(f, g.cases, i, 0, at.point),
                                                 superpose_point(f, g.cases, i, 1, at.point),
                                                 superpose_point(f, g.cases, i, 2, at.point));
          }
          g.out[i][e].criterion[c] = best;
        }
      }
    }
    for (std::size_t i = 0; i < g.cases.count; ++i) {
      settle_smallest(g.out[i][e], ncrit, assessment_.factor_of_safety);
    }
  }
  g.cases.count = 0;
}

// One load case in the strip, or on stations that turn with the curve's axis: its ply values
// superposed at every point, then judged.
void ReserveSuperposition::reserve_point_by_point(const Loads& typed, Scratch& scratch,
                                                  LoadCaseReserve* out) const {
  double* v = scratch.taken.data();
  if (plate_.strip()) {
    strip_ply_values(typed, v);
    judge(v, out);
    return;
  }
  const std::size_t half = half_;
  Loads loads;
  double t[3];
  far_field(typed, loads, t);

  // The unit far-field values of the stations of this axis, worked out on first use.
  const double axis = curve_axis(loads);
  const double* unit =
      recent(scratch.axes, axis, Scratch::kBoltAngles, [&] {
        Scratch::Unit u{axis, std::vector<double>(6 * half)};
        place_reserve_stations(grid_, assessment_, axis, scratch.stations);
        unit_far_field(scratch.stations, *scratch.work, scratch.at, u.values.data());
        return u;
      }).values.data();
  // The bolt field of this angle at unit bearing stress (its stations those of the same axis).
  const double* fb = nullptr;
  if (loads.bearing != 0.0) {
    fb =
        recent(scratch.bolt_units, loads.bolt_angle, Scratch::kBoltAngles, [&] {
          Scratch::Unit b{loads.bolt_angle, std::vector<double>(2 * half)};
          place_reserve_stations(grid_, assessment_, axis, scratch.stations);
          unit_bolt(scratch.stations, loads.bolt_angle, *scratch.work, scratch.at, b.values.data());
          return b;
        }).values.data();
  }

  // The ply values of the load case: strains in the first half, stresses in the second, each
  // worked out only when a criterion compares it.
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
  judge(v, out);
}

// Each criterion's reserve factor from the ply values of a load case at the stations, each
// characteristic distance on its own.
void ReserveSuperposition::judge(const double* v, LoadCaseReserve* out) const {
  const int nply = plies_.count;
  const int ncrit = static_cast<int>(constants_.size());
  const std::size_t block = static_cast<std::size_t>(nang_) * nply * 3;
  for (int e = 0; e < stations_.entries; ++e) {
    for (int c = 0; c < ncrit; ++c) {
      const Criterion criterion = assessment_.criteria[c];
      const double* values = v + (criterion == Criterion::kMaxStrain ? 0 : half_) + e * block;
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
