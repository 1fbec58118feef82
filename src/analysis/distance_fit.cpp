#include "analysis/distance_fit.hpp"

#include <cmath>
#include <limits>
#include <memory>

#include "hole/finite_width.hpp"
#include "laminate/membrane_compliance.hpp"
#include "numeric/constants.hpp"
#include "ply/ply_values.hpp"

namespace hs {

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// The least squares are first looked for among this many distances, spaced as the squares of
// equal steps from 0 to the limit (finer near the hole, where fitted distances lie), then refined
// by golden-section search between the neighbours of the best.
constexpr int kSearchPoints = 48;
constexpr double kGolden = 0.6180339887498949;
// The refinement and the matching distances stop at this fraction of the limit.
constexpr double kDistanceTolerance = 1e-10;

// The smallest reserve factor of the criteria under a unit gross stress along the coupons' axis
// at the stations of `distance`; `assessment` is the model's, its one distance set here.
double strength_at(const CouponModel& model, FailureAssessment& assessment, const Coupon& coupon,
                   double distance, LoadCaseWork& work) {
  assessment.distances[0] = {distance, distance};
  const double step = model.angle_step > 0.0 ? model.angle_step : 1.0;
  const Grid grid{coupon.diameter, step, 0.0, 180.0, distance, 1};
  const Plate plate{coupon.width, WidthCorrection::kTan};
  const Loads loads{coupon.compression ? -1.0 : 1.0, 0, 0, model.load_angle, 0, 0, 0};
  LoadCaseWants wants;
  wants.reserve = true;
  Problem problem;
  const LoadCaseAnalysis a = analyse_load_case(model.materials, model.plies, grid, plate, loads,
                                               assessment, wants, work, problem);
  if (!a.reserve || a.reserve[0].smallest < 0) return kInf;
  return a.reserve[0].criterion[a.reserve[0].smallest].factor;
}

// The distance in [0, limit] at which predict(d) equals `strength`, by the Illinois variant of
// regula falsi; NaN when the prediction does not cross the strength there.
template <class Predict>
double matching_distance(Predict predict, double strength, double limit) {
  double a = 0.0, b = limit;
  double fa = predict(a) - strength, fb = predict(b) - strength;
  if (!(fa <= 0.0 && fb >= 0.0)) return kNaN;
  if (fa == 0.0) return a;
  if (!std::isfinite(fb)) {
    // Beyond a reach where no criterion is met: halve towards the finite side first.
    while (b - a > kDistanceTolerance * limit && !std::isfinite(fb)) {
      b = 0.5 * (a + b);
      fb = predict(b) - strength;
    }
    if (fb < 0.0) return kNaN;
  }
  int side = 0;
  for (int i = 0; i < 200 && b - a > kDistanceTolerance * limit; ++i) {
    const double c = (a * fb - b * fa) / (fb - fa);
    const double fc = predict(c) - strength;
    if (fc == 0.0) return c;
    if (fc < 0.0) {
      a = c;
      fa = fc;
      if (side == -1) fb = 0.5 * fb;
      side = -1;
    } else {
      b = c;
      fb = fc;
      if (side == 1) fa = 0.5 * fa;
      side = 1;
    }
  }
  return 0.5 * (a + b);
}

// The least-squares distance of predict(i, d) against the strengths of the coupons of one loading.
template <class Predict>
DistanceFit fit(const std::vector<Coupon>& coupons, bool compression, Predict predict) {
  DistanceFit f;
  f.limit = kInf;
  for (std::size_t i = 0; i < coupons.size(); ++i) {
    if (coupons[i].compression != compression) continue;
    f.coupons.push_back(static_cast<int>(i));
    f.limit = std::fmin(f.limit, 0.5 * (coupons[i].width - coupons[i].diameter));
  }
  if (f.coupons.empty()) {
    f.limit = 0.0;
    return f;
  }
  auto squares = [&](double d) {
    double sum = 0.0;
    for (int i : f.coupons) {
      const double r = predict(i, d) / coupons[i].strength - 1.0;
      sum = sum + r * r;
    }
    return std::isnan(sum) ? kInf : sum;
  };
  double best = kInf, at = 0.0;
  int k_best = 0;
  auto grid_distance = [&](int k) {
    const double u = static_cast<double>(k) / (kSearchPoints - 1);
    return f.limit * u * u;
  };
  for (int k = 0; k < kSearchPoints; ++k) {
    const double s = squares(grid_distance(k));
    if (s < best) best = s, at = grid_distance(k), k_best = k;
  }
  double lo = grid_distance(k_best > 0 ? k_best - 1 : 0);
  double hi = grid_distance(k_best < kSearchPoints - 1 ? k_best + 1 : kSearchPoints - 1);
  double x1 = hi - kGolden * (hi - lo), x2 = lo + kGolden * (hi - lo);
  double s1 = squares(x1), s2 = squares(x2);
  while (hi - lo > kDistanceTolerance * f.limit) {
    if (s1 <= s2) {
      hi = x2, x2 = x1, s2 = s1;
      x1 = hi - kGolden * (hi - lo);
      s1 = squares(x1);
    } else {
      lo = x1, x1 = x2, s1 = s2;
      x2 = lo + kGolden * (hi - lo);
      s2 = squares(x2);
    }
  }
  const double refined = 0.5 * (lo + hi), s = squares(refined);
  if (s <= best) best = s, at = refined;
  f.distance = at;
  f.rms = std::sqrt(best / f.coupons.size());
  const bool at_end =
      at <= kDistanceTolerance * 10 * f.limit || at >= f.limit * (1.0 - kDistanceTolerance * 10);
  f.status = at_end ? FitStatus::kAtLimit : FitStatus::kFitted;
  for (int i : f.coupons) {
    f.predicted.push_back(predict(i, at));
    f.matching.push_back(
        matching_distance([&](double d) { return predict(i, d); }, coupons[i].strength, f.limit));
  }
  return f;
}

}  // namespace

double predicted_strength(const CouponModel& model, const Coupon& coupon, double distance,
                          LoadCaseWork& work) {
  FailureAssessment a = model.assessment;
  a.distances = {{distance, distance}};
  return strength_at(model, a, coupon, distance, work);
}

double predicted_unnotched_strength(const CouponModel& model, bool compression) {
  const MembraneCompliance c = membrane_compliance(model.materials, model.plies, 0.0);
  const Mat3& a = c.compliance.laminate_axes;
  const double s = compression ? -1.0 : 1.0, t = radians(model.load_angle);
  const double stress[3] = {s * std::cos(t) * std::cos(t), s * std::sin(t) * std::sin(t),
                            s * std::sin(t) * std::cos(t)};
  LaminateField field;
  field.resize(1, 1);
  for (int r = 0; r < 3; ++r) {
    field.stress[0][0][r] = stress[r];
    field.strain[0][0][r] =
        a(r + 1, 1) * stress[0] + a(r + 1, 2) * stress[1] + a(r + 1, 3) * stress[2];
  }
  const Grid one{1.0, 1.0, 0.0, 0.0, 0.0, 1};
  PlyField plies;
  ply_values(model.materials, model.plies, one, field, plies);
  double best = kInf;
  for (std::size_t k = 0; k < model.assessment.criteria.size(); ++k) {
    const CriterionReserve r = criterion_reserve(
        model.assessment.criteria[k], model.assessment.allowables[k], model.plies, one, plies, 0);
    best = std::fmin(best, r.factor);
  }
  return best;
}

DistanceFit fit_distance(const CouponModel& model, const std::vector<Coupon>& coupons,
                         bool compression) {
  auto work = std::make_unique<LoadCaseWork>();
  FailureAssessment a = model.assessment;
  a.distances = {CharacteristicDistance{}};
  return fit(coupons, compression,
             [&](int i, double d) { return strength_at(model, a, coupons[i], d, *work); });
}

double whitney_nuismer_ratio(StrengthMethod method, double k, double x) {
  const double x2 = x * x, x4 = x2 * x2, x6 = x4 * x2, x8 = x4 * x4;
  if (method == StrengthMethod::kPointStress) {
    return 2.0 / (2.0 + x2 + 3.0 * x4 - (k - 3.0) * (5.0 * x6 - 7.0 * x8));
  }
  // At the edge (x = 1) the average over no distance is the edge stress: the ratio is 1 / k.
  if (x == 1.0) return 1.0 / k;
  return 2.0 * (1.0 - x) / (2.0 - x2 - x4 + (k - 3.0) * (x6 - x8));
}

double laminate_rule_strength(StrengthMethod method, double k, double unnotched,
                              const Coupon& coupon, double distance) {
  const double radius = 0.5 * coupon.diameter;
  return unnotched * whitney_nuismer_ratio(method, k, radius / (radius + distance)) /
         tan_finite_width_factor(k, coupon.diameter / coupon.width);
}

DistanceFit fit_laminate_rule(StrengthMethod method, double k, double unnotched,
                              const std::vector<Coupon>& coupons, bool compression) {
  return fit(coupons, compression, [&](int i, double d) {
    return laminate_rule_strength(method, k, unnotched, coupons[i], d);
  });
}

}  // namespace hs
