#include "runner/batch.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <istream>
#include <ostream>
#include <thread>

#include "analysis/finite_width.hpp"
#include "io/float_to_chars.hpp"
#include "numeric/constants.hpp"
#include "numeric/inverse.hpp"
#include "runner/csv_results.hpp"
#include "runner/results_common.hpp"

namespace hs {

// The coefficients of a criterion for one ply, worked out once: reciprocals of the allowables
// and the terms of the quadratic criteria.
struct PlyCoefficients {
  double inv_T1, inv_C1, inv_T2, inv_C2, inv_S;
  double f1, f2, f11, f22, f66, f12;  // f12: Hoffman's interaction, 0 for modified Tsai-Wu
};

namespace {

// The ply values at the stations of step 1 of the workspace's grid: the strains
// [station][ply][component] followed by the stresses in the same layout.
void take_ply_values(const Workspace& w, int nang, int nply, double* out) {
  const size_t half = static_cast<size_t>(nang) * nply * 3;
  for (int j = 0; j < nang; ++j) {
    for (int p = 0; p < nply; ++p) {
      double* v = out + (j * nply + p) * 3;
      for (int c = 0; c < 3; ++c) {
        v[c] = w.plies.strain[j][kFailureStep][p][c];
        v[half + c] = w.plies.stress[j][kFailureStep][p][c];
      }
    }
  }
}

PlyCoefficients coefficients(Criterion c, const Allowables& a) {
  PlyCoefficients k{};
  k.inv_T1 = 1.0 / a.T1;
  k.inv_C1 = 1.0 / a.C1;
  k.inv_T2 = 1.0 / a.T2;
  k.inv_C2 = 1.0 / a.C2;
  k.inv_S = 1.0 / a.S12;
  k.f1 = 1.0 / a.T1 - 1.0 / a.C1;
  k.f2 = 1.0 / a.T2 - 1.0 / a.C2;
  k.f11 = 1.0 / (a.T1 * a.C1);
  k.f22 = 1.0 / (a.T2 * a.C2);
  k.f66 = 1.0 / (a.S12 * a.S12);
  k.f12 = c == Criterion::kHoffman ? 1.0 / (a.T1 * a.C1) : 0.0;
  return k;
}

// The smallest positive x with |lin x + quad x^2| = 1, or infinity: the roots of
// quad x^2 + lin x - t = 0 for t = 1 and t = -1, each by the cancellation-free formula.
inline double quadratic_factor(double quad, double lin) {
  double best = std::numeric_limits<double>::infinity();
  if (quad == 0.0) {
    if (lin != 0.0) best = 1.0 / std::fabs(lin);
    return best;
  }
  for (double t : {1.0, -1.0}) {
    double disc = lin * lin + 4.0 * quad * t;
    if (!(disc >= 0.0)) continue;
    double q = -0.5 * (lin + std::copysign(std::sqrt(disc), lin));
    if (q != 0.0) {
      double x1 = q / quad, x2 = -t / q;
      if (x1 > 0.0 && x1 < best) best = x1;
      if (x2 > 0.0 && x2 < best) best = x2;
    } else {
      double x = std::sqrt(t / quad);
      if (x > 0.0 && x < best) best = x;
    }
  }
  return best;
}

// The load factor at which one ply point reaches failure, as ply_reserve finds it, from
// precomputed coefficients.
inline double point_factor(Criterion c, const PlyCoefficients& k, const double* s) {
  double s1 = s[0], s2 = s[1], s12 = s[2];
  double iX = s1 < 0.0 ? k.inv_C1 : k.inv_T1, iY = s2 < 0.0 ? k.inv_C2 : k.inv_T2;
  switch (c) {
    case Criterion::kMaxStrain:
    case Criterion::kMaxStress: {
      double m =
          std::fmax(std::fmax(std::fabs(s1 * iX), std::fabs(s2 * iY)), std::fabs(s12 * k.inv_S));
      return m > 0.0 ? 1.0 / m : std::numeric_limits<double>::infinity();
    }
    case Criterion::kTsaiHill: {
      double FN = s1 * s1 * (iX * iX) + s2 * s2 * (iY * iY) - s1 * s2 * (iX * iX) +
                  s12 * s12 * (k.inv_S * k.inv_S);
      return FN > 0.0 ? 1.0 / std::sqrt(FN) : std::numeric_limits<double>::infinity();
    }
    default: {
      double lin = k.f1 * s1 + k.f2 * s2;
      double quad = k.f11 * s1 * s1 + k.f22 * s2 * s2 + k.f66 * s12 * s12 - k.f12 * s1 * s2;
      return quadratic_factor(quad, lin);
    }
  }
}

// The far-field stress of a uniaxial piece s along `angle` degrees, in the laminate axes, as the
// open-hole solution forms it.
void add_uniaxial(double s, double angle, double t[3]) {
  if (s == 0.0) return;
  double a = angle * kPiSingle / 180.0;
  double ca = std::cos(a), sa = std::sin(a);
  t[0] += s * ca * ca;
  t[1] += s * sa * sa;
  t[2] += s * sa * ca;
}

}  // namespace

// The bolt fields met by one thread, kept by the bits of their angle (most recently used first).
struct ReserveBatch::Scratch {
  static constexpr int kAngles = 16;
  struct Bolt {
    double angle;
    std::vector<double> values;
  };
  std::vector<Bolt> bolts;
  std::unique_ptr<Workspace> work = std::make_unique<Workspace>();
  std::vector<double> row;  // the ply values of the current load case
};

ReserveBatch::ReserveBatch(const Job& job) : job_(job), grid_(job.grid) {
  grid_.distance_step = job.distance;
  grid_.steps = 2;
  nang_ = station_count(grid_) > 0 ? station_count(grid_) : 0;
  const int nply = job.plies.count;
  const size_t size = static_cast<size_t>(nang_) * nply * 6;

  // Fields of unit uniaxial stresses along 0, 90 and 45 degrees; their far-field tensors T give
  // the fields of unit sigma-x, sigma-y and tau-xy by solving G = T F.
  auto work = std::make_unique<Workspace>();
  AnalysisListener none;
  const double angles[3] = {0.0, 90.0, 45.0};
  std::vector<double> g[3];
  Mat3 T{};
  for (int i = 0; i < 3; ++i) {
    Problem pb{job.materials, job.plies, grid_, Loads{1.0, 0, 0, angles[i], 0, 0, 0},
               Criterion::kMaxStress};
    analyse(pb, Stages{true, true, false, true, false, false}, *work, none);
    g[i].resize(size);
    take_ply_values(*work, nang_, nply, g[i].data());
    double t[3] = {0, 0, 0};
    add_uniaxial(1.0, angles[i], t);
    for (int c = 0; c < 3; ++c) T(i + 1, c + 1) = t[c];
  }
  Mat3 Ti{};
  inverse(T, Ti);
  for (Criterion c : job.criteria) {
    needs_[c == Criterion::kMaxStrain ? 0 : 1] = true;
    std::vector<PlyCoefficients> k;
    const Materials materials = materials_for(job, c);
    for (int p = 0; p < nply; ++p) {
      k.push_back(coefficients(c, materials.allowables[job.plies.material[p]]));
    }
    coefficients_.push_back(std::move(k));
  }
  for (int u = 0; u < 3; ++u) {
    unit_[u].assign(size, 0.0);
    for (size_t n = 0; n < size; ++n) {
      unit_[u][n] = Ti(u + 1, 1) * g[0][n] + Ti(u + 1, 2) * g[1][n] + Ti(u + 1, 3) * g[2][n];
    }
  }
}

ReserveBatch::~ReserveBatch() = default;

void ReserveBatch::ScratchDeleter::operator()(Scratch* s) const {
  delete s;
}

ReserveBatch::ScratchPtr ReserveBatch::scratch() const {
  ScratchPtr s(new Scratch);
  s->row.resize(static_cast<size_t>(nang_) * job_.plies.count * 6);
  return s;
}

void ReserveBatch::reserve(const LoadRow& row, Scratch& scratch, RowReserve& out) const {
  const int nply = job_.plies.count;
  const size_t half = scratch.row.size() / 2;
  const double bypass = bypass_stress(row.bearing, job_.grid.diameter, job_.width);

  // A finite-width correction scales each open-hole piece by the factor of its direction.
  OpenHoleScale k;
  if (job_.width_correction == WidthCorrection::kTan && job_.width != 0.0) {
    Loads l{row.px, row.py, row.pxy, row.off_axis, row.bearing, row.bolt_angle, bypass};
    k = tan_correction(job_.materials, job_.plies, l, job_.grid.diameter, job_.width);
  }
  double t[3] = {0, 0, 0};
  add_uniaxial(row.px * k.px, row.off_axis, t);
  add_uniaxial(row.py * k.py, row.off_axis + 90.0, t);
  add_uniaxial(row.pxy * k.pxy_tension, row.off_axis + 45.0, t);
  add_uniaxial(-row.pxy * k.pxy_compression, row.off_axis - 45.0, t);
  if (row.bearing != 0.0) add_uniaxial(bypass * k.bypass, row.bolt_angle, t);

  const double* fb = nullptr;
  if (row.bearing != 0.0) {
    // The bolt field of this angle at unit bearing stress, worked out on first use.
    auto& bolts = scratch.bolts;
    auto it = std::find_if(bolts.begin(), bolts.end(), [&](const Scratch::Bolt& b) {
      return std::memcmp(&b.angle, &row.bolt_angle, sizeof(double)) == 0;
    });
    if (it == bolts.end()) {
      if (bolts.size() == Scratch::kAngles) bolts.pop_back();
      Scratch::Bolt b{row.bolt_angle, std::vector<double>(2 * half)};
      Problem pb{job_.materials, job_.plies, grid_, Loads{0, 0, 0, 0, 1.0, row.bolt_angle, 0},
                 Criterion::kMaxStress};
      AnalysisListener none;
      analyse(pb, Stages{true, true, false, true, false, false}, *scratch.work, none);
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
    const size_t o = kind * half;
    const double *fx = unit_[0].data() + o, *fy = unit_[1].data() + o, *fs = unit_[2].data() + o;
    double* w = v + o;
    for (size_t n = 0; n < half; ++n) w[n] = t[0] * fx[n] + t[1] * fy[n] + t[2] * fs[n];
    if (fb) {
      const double b = row.bearing;
      const double* fbo = fb + o;
      for (size_t n = 0; n < half; ++n) w[n] = w[n] + b * fbo[n];
    }
  }

  out.smallest = -1;
  out.margin = 0.0;
  out.at = {std::numeric_limits<double>::infinity(), 0, 0, 0};
  const int ncrit = static_cast<int>(std::min<size_t>(job_.criteria.size(), kMaxCriteria));
  for (int c = 0; c < ncrit; ++c) {
    const Criterion crit = job_.criteria[c];
    const double* values = v + (crit == Criterion::kMaxStrain ? 0 : half);
    const PlyCoefficients* k = coefficients_[c].data();
    ReserveFactor best = {std::numeric_limits<double>::infinity(), 0, 0, 0};
    for (int j = 0; j < nang_; ++j) {
      for (int p = 0; p < nply; ++p) {
        double f = point_factor(crit, k[p], values + (j * nply + p) * 3);
        if (f > 0.0 && f < best.factor) best = {f, j, p, 0};
      }
    }
    if (std::isfinite(best.factor)) {
      ply_reserve(crit, materials_for(job_, crit).allowables[job_.plies.material[best.ply]],
                  values + (best.station * nply + best.ply) * 3, best.component);
    }
    out.factor[c] = best.factor;
    if (std::isfinite(best.factor) && (out.smallest < 0 || best.factor < out.at.factor)) {
      out.smallest = c;
      out.at = best;
    }
  }
  if (out.smallest >= 0) out.margin = out.at.factor / job_.factor_of_safety - 1.0;
}

}  // namespace hs
