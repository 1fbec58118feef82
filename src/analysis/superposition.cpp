#include "analysis/superposition.hpp"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "analysis/analysis.hpp"
#include "analysis/finite_width.hpp"
#include "analysis/reserve_kernel.hpp"
#include "numeric/constants.hpp"
#include "numeric/inverse.hpp"

namespace hs {

namespace {

// The ply values at the stations of the failure step of the workspace's grid: the strains
// [station][ply][component] followed by the stresses in the same layout.
void take_ply_values(const Workspace& w, int nang, int nply, double* out) {
  const std::size_t half = static_cast<std::size_t>(nang) * nply * 3;
  for (int j = 0; j < nang; ++j) {
    for (int p = 0; p < nply; ++p) {
      double* v = out + (static_cast<std::size_t>(j) * nply + p) * 3;
      const double* e = w.plies.strain[j][kFailureStep][p];
      const double* s = w.plies.stress[j][kFailureStep][p];
      for (int c = 0; c < 3; ++c) {
        v[c] = e[c];
        v[half + c] = s[c];
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

constexpr Stages kPlyValuesOnly{true, true, false, true, false, false};

// The infinite plate's field as the full analysis of a job forms it, with the plate's bolt series.
FieldModel series_of(const Plate& plate) {
  FieldModel m;
  m.series =
      plate.bolt_series == BoltSeriesSum::kConverged ? BoltSeries::converged : BoltSeries::legacy;
  return m;
}

}  // namespace

struct ReserveSuperposition::Scratch {
  // The unit bolt fields of the bolt angles met most recently.
  static constexpr std::size_t kBoltAngles = 16;
  struct Bolt {
    double angle;
    unsigned long used;  // when last used: the least recently used is replaced
    PointValues values;
  };
  std::vector<Bolt> bolts;
  unsigned long clock = 0;
  std::unique_ptr<Workspace> work = std::make_unique<Workspace>();
  std::vector<double> taken;  // the ply values of a bolt field as take_ply_values gives them
  std::vector<double> keys;   // the kernel's working storage
  // Load cases waiting for a full block, one group per bolt field and the last for the cases
  // without bearing; row: where each case's results go.
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
      grid_(reserve_grid(grid, assessment.distance)) {
  nang_ = station_count(grid_) > 0 ? station_count(grid_) : 0;
  const int nply = plies_.count;
  const std::size_t size = static_cast<std::size_t>(nang_) * nply * 6;

  // Fields of unit uniaxial stresses along 0, 90 and 45 degrees; their far-field tensors T give
  // the fields of unit sigma-x, sigma-y and tau-xy by solving G = T F.
  auto work = std::make_unique<Workspace>();
  AnalysisListener none;
  const double angles[3] = {0.0, 90.0, 45.0};
  std::vector<double> g[3];
  Mat3 t{};
  for (int i = 0; i < 3; ++i) {
    Problem pb{materials_, plies_, grid_, Loads{1.0, 0, 0, angles[i], 0, 0, 0},
               Criterion::kMaxStress};
    analyse(pb, kPlyValuesOnly, *work, none);
    g[i].resize(size);
    take_ply_values(*work, nang_, nply, g[i].data());
    double tensor[3] = {0, 0, 0};
    add_uniaxial(1.0, angles[i], tensor);
    for (int c = 0; c < 3; ++c) t(i + 1, c + 1) = tensor[c];
  }
  Mat3 ti{};
  inverse(t, ti);
  for (std::size_t c = 0; c < assessment_.criteria.size() && c < kMaxCriteria; ++c) {
    const Criterion criterion = assessment_.criteria[c];
    needs_[criterion == Criterion::kMaxStrain ? 0 : 1] = true;
    std::vector<CriterionConstants> k;
    for (int p = 0; p < nply; ++p) {
      k.push_back(
          criterion_constants(criterion, assessment_.allowables[c].allowables[plies_.material[p]]));
    }
    constants_.push_back(std::move(k));
  }
  std::vector<double> unit(size);
  for (int u = 0; u < 3; ++u) {
    for (std::size_t n = 0; n < size; ++n) {
      unit[n] = ti(u + 1, 1) * g[0][n] + ti(u + 1, 2) * g[1][n] + ti(u + 1, 3) * g[2][n];
    }
    to_points(unit.data(), size / 6, unit_[u]);
  }
  for (const std::vector<CriterionConstants>& k : constants_) {
    point_constants_.push_back(point_constants(k, nang_));
  }
  if (plate_.strip()) fill_strip_units();
}
// The strip's unit bearing and unit bypass at the stations, through the analysis a job's load
// case takes, so that their superposition is its field to rounding.
void ReserveSuperposition::fill_strip_units() {
  const StripSolution& s = strip_solution(materials_, plies_, plate_, grid_.diameter, strip_);
  FieldModel model;
  model.strip = &s;
  auto work = std::make_unique<Workspace>();
  AnalysisListener none;
  const std::size_t size = static_cast<std::size_t>(nang_) * plies_.count * 6;
  for (int load = 0; load < 2; ++load) {
    Loads unit{};
    (load == kStripBearing ? unit.bearing : unit.bypass) = 1.0;
    Problem pb{materials_, plies_, grid_, unit, Criterion::kMaxStress};
    analyse(pb, kPlyValuesOnly, *work, none, model);
    strip_unit_[load].resize(size);
    take_ply_values(*work, nang_, plies_.count, strip_unit_[load].data());
  }
}

// The ply values of a load case in the strip: bearing and bypass times their unit values, NaN
// when the strip does not take the load case; strains in the first half, stresses in the second,
// each worked out only when a criterion compares it.
void ReserveSuperposition::strip_ply_values(const Loads& loads, double* row) const {
  const std::size_t half = strip_unit_[0].size() / 2;
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
  s->taken.resize(static_cast<std::size_t>(nang_) * plies_.count * 6);
  s->bolts.reserve(Scratch::kBoltAngles);
  s->keys.resize(constants_.size() * kBlockCases * nang_ * plies_.count);
  return s;
}

void ReserveSuperposition::reserve(const Loads& typed, Scratch& scratch,
                                   LoadCaseReserve& out) const {
  reserve(&typed, 1, scratch, &out);
}

void ReserveSuperposition::reserve(const Loads* typed, std::size_t count, Scratch& scratch,
                                   LoadCaseReserve* out) const {
  if (plate_.strip()) {
    // The strip's two unit fields superposed case by case, the criteria judged point by point.
    for (std::size_t i = 0; i < count; ++i) {
      strip_ply_values(typed[i], scratch.taken.data());
      judge(scratch.taken.data(), out[i]);
    }
    return;
  }
  constexpr std::size_t kNoBolt = Scratch::kBoltAngles;
  for (std::size_t i = 0; i < count; ++i) {
    Loads loads = typed[i];
    loads.off_axis = reduce_degrees(loads.off_axis);
    loads.bolt_angle = reduce_degrees(loads.bolt_angle);
    loads.bypass = bypass_stress(loads.bearing, grid_.diameter, plate_.width);

    // 1. The far-field stresses in the laminate axes. A finite-width correction scales each
    //    open-hole piece by the factor of its direction.
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
        Problem pb{materials_, plies_, grid_, Loads{0, 0, 0, 0, 1.0, loads.bolt_angle, 0},
                   Criterion::kMaxStress};
        AnalysisListener none;
        analyse(pb, kPlyValuesOnly, *scratch.work, none, series_of(plate_));
        take_ply_values(*scratch.work, nang_, plies_.count, scratch.taken.data());
        it->angle = loads.bolt_angle;
        to_points(scratch.taken.data(), scratch.taken.size() / 6, it->values);
      }
      it->used = ++scratch.clock;
      slot = static_cast<std::size_t>(it - bolts.begin());
    }

    // 3. Into the block of its bolt field, worked out when full.
    Scratch::Group& g = scratch.groups[slot];
    const std::size_t at = g.cases.count++;
    for (int c = 0; c < 3; ++c) g.cases.t[at][c] = t[c];
    g.cases.bearing[at] = loads.bearing;
    g.out[at] = out + i;
    if (g.cases.count == kBlockCases) run_block(slot, scratch);
  }
  for (std::size_t g = 0; g <= kNoBolt; ++g) run_block(g, scratch);
}

// The reserve factors of the cases waiting in the block of bolt field `slot`.
void ReserveSuperposition::run_block(std::size_t slot, Scratch& scratch) const {
  Scratch::Group& g = scratch.groups[slot];
  if (g.cases.count == 0) return;
  const int nply = plies_.count;
  const std::size_t points = static_cast<std::size_t>(nang_) * nply;
  const int ncrit = static_cast<int>(constants_.size());
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
      f.x[j] = unit_[0][kind * 3 + j].data();
      f.y[j] = unit_[1][kind * 3 + j].data();
      f.xy[j] = unit_[2][kind * 3 + j].data();
      f.bolt[j] =
          slot < Scratch::kBoltAngles ? scratch.bolts[slot].values[kind * 3 + j].data() : nullptr;
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
        g.out[i]->criterion[c] = best;
      }
    }
  }
  for (std::size_t i = 0; i < g.cases.count; ++i) {
    settle_smallest(*g.out[i], ncrit, assessment_.factor_of_safety);
  }
  g.cases.count = 0;
}

// Each criterion's reserve factor from the ply values of a load case at the stations.
void ReserveSuperposition::judge(const double* v, LoadCaseReserve& out) const {
  const int nply = plies_.count;
  const std::size_t half = static_cast<std::size_t>(nang_) * nply * 3;
  const int ncrit = static_cast<int>(constants_.size());
  for (int c = 0; c < ncrit; ++c) {
    const Criterion criterion = assessment_.criteria[c];
    const double* values = v + (criterion == Criterion::kMaxStrain ? 0 : half);
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
    out.criterion[c] = best;
  }
  settle_smallest(out, ncrit, assessment_.factor_of_safety);
}

}  // namespace hs
