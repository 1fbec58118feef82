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
  static constexpr int kBoltAngles = 16;
  struct Bolt {
    double angle;
    std::vector<double> values;
  };
  std::vector<Bolt> bolts;  // most recently used first
  std::unique_ptr<Workspace> work = std::make_unique<Workspace>();
  std::vector<double> row;  // the ply values of the current load case
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
      k.push_back(criterion_constants(
          criterion, assessment_.allowables[c].allowables[plies_.material[p]]));
    }
    constants_.push_back(std::move(k));
  }
  for (int u = 0; u < 3; ++u) {
    unit_[u].assign(size, 0.0);
    for (std::size_t n = 0; n < size; ++n) {
      unit_[u][n] = ti(u + 1, 1) * g[0][n] + ti(u + 1, 2) * g[1][n] + ti(u + 1, 3) * g[2][n];
    }
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
  s->row.resize(static_cast<std::size_t>(nang_) * plies_.count * 6);
  return s;
}

void ReserveSuperposition::reserve(const Loads& typed, Scratch& scratch, LoadCaseReserve& out) const {
  if (plate_.strip()) {
    strip_ply_values(typed, scratch.row.data());
    judge(scratch.row.data(), out);
    return;
  }
  const int nply = plies_.count;
  const std::size_t half = scratch.row.size() / 2;
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

  const double* fb = nullptr;
  if (loads.bearing != 0.0) {
    // The bolt field of this angle at unit bearing stress, worked out on first use.
    auto& bolts = scratch.bolts;
    auto it = std::find_if(bolts.begin(), bolts.end(), [&](const Scratch::Bolt& b) {
      return std::memcmp(&b.angle, &loads.bolt_angle, sizeof(double)) == 0;
    });
    if (it == bolts.end()) {
      if (bolts.size() == Scratch::kBoltAngles) bolts.pop_back();
      Scratch::Bolt b{loads.bolt_angle, std::vector<double>(2 * half)};
      Problem pb{materials_, plies_, grid_, Loads{0, 0, 0, 0, 1.0, loads.bolt_angle, 0},
                 Criterion::kMaxStress};
      AnalysisListener none;
      analyse(pb, kPlyValuesOnly, *scratch.work, none, series_of(plate_));
      take_ply_values(*scratch.work, nang_, nply, b.values.data());
      bolts.insert(bolts.begin(), std::move(b));
      it = bolts.begin();
    } else if (it != bolts.begin()) {
      std::rotate(bolts.begin(), it, it + 1);
      it = bolts.begin();
    }
    fb = it->values.data();
  }

  // The ply values of the load case: strains in the first half, stresses in the second, each
  // worked out only when a criterion compares it.
  double* v = scratch.row.data();
  for (int kind = 0; kind < 2; ++kind) {
    if (!needs_[kind]) continue;
    const std::size_t o = kind * half;
    const double *fx = unit_[0].data() + o, *fy = unit_[1].data() + o, *fs = unit_[2].data() + o;
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
