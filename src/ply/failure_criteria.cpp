#include "ply/failure_criteria.hpp"

#include <cmath>
#include <limits>
#include <vector>

namespace hs {

namespace {

struct Direct {
  double X, Y, S;
};

Direct direct_allowables(const Allowables& a, double s1, double s2) {
  return {s1 < 0.0 ? a.C1 : a.T1, s2 < 0.0 ? a.C2 : a.T2, a.S12};
}

// Coefficients of the modified Tsai-Wu and Hoffman criteria for shear allowable S.
struct TsaiWu {
  double f1, f2, f11, f22, f66;
};

TsaiWu tsai_wu(const Allowables& a, double shear) {
  return {1.0 / a.T1 - 1.0 / a.C1, 1.0 / a.T2 - 1.0 / a.C2, 1.0 / (a.T1 * a.C1),
          1.0 / (a.T2 * a.C2), 1.0 / (shear * shear)};
}

// Smallest positive root of quad x^2 + lin x = t, or infinity.
double smallest_positive_root(double quad, double lin, double t) {
  const double none = std::numeric_limits<double>::infinity();
  double best = none;
  auto consider = [&best](double x) {
    if (x > 0.0 && x < best) best = x;
  };
  if (quad == 0.0) {
    if (lin != 0.0) consider(t / lin);
    return best;
  }
  double disc = lin * lin + 4.0 * quad * t;
  if (!(disc >= 0.0)) return none;
  double q = -0.5 * (lin + std::copysign(std::sqrt(disc), lin));
  if (q != 0.0) {
    consider(q / quad);
    consider(-t / q);
  } else {
    consider(std::sqrt(t / quad));
  }
  return best;
}

}  // namespace

double quadratic_criterion(Criterion criterion, const Allowables& allow, const double s[3]) {
  const double s1 = s[0], s2 = s[1], s12 = s[2];
  const TsaiWu c = tsai_wu(allow, direct_allowables(allow, s1, s2).S);
  if (criterion == Criterion::kTsaiWu) {
    return c.f1 * s1 + c.f2 * s2 + c.f11 * s1 * s1 + c.f22 * s2 * s2 + c.f66 * s12 * s12;
  }
  // Hoffman adds the interaction of the two direct stresses.
  return c.f1 * s1 + c.f2 * s2 + c.f11 * s1 * s1 + c.f22 * s2 * s2 -
         s1 * s2 / (allow.T1 * allow.C1) + c.f66 * s12 * s12;
}

void ply_failure(Criterion criterion, const Allowables& allow, const double s[3], double out[4]) {
  double s1 = s[0], s2 = s[1], s12 = s[2];
  Direct a = direct_allowables(allow, s1, s2);
  if (has_three_numbers(criterion)) {
    out[0] = s1 / a.X;
    out[1] = s2 / a.Y;
    out[2] = s12 / a.S;
    out[3] = 0.0;
    return;
  }
  double fn;
  if (criterion == Criterion::kTsaiHill) {
    fn = s1 * s1 / (a.X * a.X) + s2 * s2 / (a.Y * a.Y) - s1 * s2 / (a.X * a.X) +
         s12 * s12 / (a.S * a.S);
  } else {
    fn = std::fabs(quadratic_criterion(criterion, allow, s));
  }
  out[0] = fn;
  out[1] = (s1 / a.X) / std::sqrt(fn);
  out[2] = (s2 / a.Y) / std::sqrt(fn);
  out[3] = (s12 / a.S) / std::sqrt(fn);
}

void ply_failure_at(Criterion criterion, const Materials& materials, const PlyStack& plies,
                    const PlyField& field, int j, int k, int p, double out[4]) {
  ply_failure(criterion, materials.allowables[plies.material[p]],
              criterion_input(field, criterion, j, k, p), out);
}

Governing governing_value(Criterion criterion, const Materials& materials, const PlyStack& plies,
                          const Grid& grid, const PlyField& field, int step) {
  Governing g = {0.0, 0, 0, false};
  if (step_count(grid) <= step) return g;
  int candidates = has_three_numbers(criterion) ? 3 : 1;
  int nang = station_count(grid);
  for (int j = 0; j < nang; ++j) {
    for (int p = 0; p < plies.count; ++p) {
      double fv[4];
      ply_failure_at(criterion, materials, plies, field, j, step, p, fv);
      // A later value of the same magnitude does not move it.
      for (int c = 0; c < candidates; ++c) {
        if (std::fabs(fv[c]) > std::fabs(g.value)) g = {fv[c], j, p, false};
      }
      if (g.station == j && g.ply == p && g.value != 0.0 && !has_three_numbers(criterion) &&
          criterion != Criterion::kTsaiHill) {
        const double* s = criterion_input(field, criterion, j, step, p);
        g.below_zero = quadratic_criterion(criterion, materials.allowables[plies.material[p]], s) < 0.0;
      }
    }
  }
  return g;
}

double first_failure_factor(Criterion criterion, const Materials& materials, const PlyStack& plies,
                            const Grid& grid, const PlyField& field, int step) {
  int nang = station_count(grid);
  if (step_count(grid) <= step) return 0.0;
  double best = std::numeric_limits<double>::infinity();
  // The ply values scale with the loads and keep their signs, so the allowables stay: the
  // failure numbers of criteria 1 and 2 grow with the factor, Tsai-Hill's with its square.
  for (int j = 0; j < nang; ++j) {
    for (int p = 0; p < plies.count; ++p) {
      double fv[4];
      ply_failure_at(criterion, materials, plies, field, j, step, p, fv);
      if (has_three_numbers(criterion)) {
        for (int c = 0; c < 3; ++c) {
          if (fv[c] != 0.0) best = std::fmin(best, 1.0 / std::fabs(fv[c]));
        }
      } else if (criterion == Criterion::kTsaiHill) {
        if (fv[0] != 0.0) best = std::fmin(best, 1.0 / std::sqrt(std::fabs(fv[0])));
      } else {
        // F = lin x + quad x^2 at x times the current loads.
        const Allowables& allow = materials.allowables[plies.material[p]];
        const double* s = field.stress[j][step][p];
        double s1 = s[0], s2 = s[1], s12 = s[2];
        TsaiWu c = tsai_wu(allow, direct_allowables(allow, s1, s2).S);
        double lin = c.f1 * s1 + c.f2 * s2;
        double quad = c.f11 * s1 * s1 + c.f22 * s2 * s2 + c.f66 * s12 * s12;
        if (criterion == Criterion::kHoffman) quad = quad - s1 * s2 / (allow.T1 * allow.C1);
        // The criterion fails where F = +1; F = -1 lies inside its envelope.
        best = std::fmin(best, smallest_positive_root(quad, lin, 1.0));
      }
    }
  }
  return std::isfinite(best) && best > 0.0 ? best : 0.0;
}

CriterionConstants criterion_constants(Criterion criterion, const Allowables& a) {
  CriterionConstants k{};
  k.criterion = criterion;
  k.inv_t1 = 1.0 / a.T1;
  k.inv_c1 = 1.0 / a.C1;
  k.inv_t2 = 1.0 / a.T2;
  k.inv_c2 = 1.0 / a.C2;
  k.inv_s = 1.0 / a.S12;
  k.f1 = 1.0 / a.T1 - 1.0 / a.C1;
  k.f2 = 1.0 / a.T2 - 1.0 / a.C2;
  k.f11 = 1.0 / (a.T1 * a.C1);
  k.f22 = 1.0 / (a.T2 * a.C2);
  k.f66 = 1.0 / (a.S12 * a.S12);
  k.f12 = criterion == Criterion::kHoffman ? 1.0 / (a.T1 * a.C1) : 0.0;
  return k;
}

int governing_component(const CriterionConstants& k, double s1, double s2, double s12) {
  const double ix = s1 < 0.0 ? k.inv_c1 : k.inv_t1, iy = s2 < 0.0 ? k.inv_c2 : k.inv_t2;
  const double r[3] = {std::fabs(s1 * ix), std::fabs(s2 * iy), std::fabs(s12 * k.inv_s)};
  int component = r[1] > r[0] ? 1 : 0;
  if (r[2] > r[component]) component = 2;
  return component;
}

CriterionReserve criterion_reserve(Criterion criterion, const Materials& materials,
                                   const PlyStack& plies, const Grid& grid, const PlyField& field,
                                   int step) {
  CriterionReserve best = {std::numeric_limits<double>::infinity(), 0, 0, 0};
  if (step_count(grid) <= step) return best;
  std::vector<CriterionConstants> constants;
  constants.reserve(plies.count);
  for (int p = 0; p < plies.count; ++p) {
    constants.push_back(criterion_constants(criterion, materials.allowables[plies.material[p]]));
  }
  const int nang = station_count(grid);
  for (int j = 0; j < nang; ++j) {
    for (int p = 0; p < plies.count; ++p) {
      const double* s = criterion_input(field, criterion, j, step, p);
      const double f = point_reserve(constants[p], s[0], s[1], s[2]);
      if (std::isnan(f)) return {f, j, p, 0};
      if (f > 0.0 && f < best.factor) {
        best = {f, j, p, governing_component(constants[p], s[0], s[1], s[2])};
      }
    }
  }
  return best;
}

}  // namespace hs
