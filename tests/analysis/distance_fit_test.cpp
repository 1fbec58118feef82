// Characteristic distances fitted to coupon tests: recovered from coupons made with a known one,
// by both methods, for the program's prediction and for Whitney and Nuismer's laminate rule.
#include "analysis/distance_fit.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "hole/finite_width.hpp"

namespace hs {
namespace {

// A quasi-isotropic carbon/epoxy laminate in MPa and mm, judged by maximum strain (strengths over
// moduli), coupons loaded along the laminate x axis.
CouponModel carbon_model(StrengthMethod method) {
  CouponModel m;
  m.materials.resize(1);
  m.materials.elastic[0] = {138e3, 9.6e3, 4.8e3, 0.3};
  m.materials.allowables[0] = {2000, 1500, 60, 200, 90};
  const double angles[8] = {0, 45, -45, 90, 90, -45, 45, 0};
  m.plies.resize(8);
  for (int p = 0; p < 8; ++p) m.plies.angle[p] = angles[p], m.plies.thickness[p] = 0.125;
  Materials strains = m.materials;
  const Allowables& a = m.materials.allowables[0];
  const ElasticConstants& e = m.materials.elastic[0];
  strains.allowables[0] = {a.T1 / e.E1, a.C1 / e.E1, a.T2 / e.E2, a.C2 / e.E2, a.S12 / e.G12};
  m.assessment.criteria = {Criterion::kMaxStrain};
  m.assessment.allowables = {strains};
  m.assessment.method = method;
  m.angle_step = 2.0;
  return m;
}

// Open-hole coupons six diameters wide, in tension and in compression, whose strengths are the
// model's at the given distances, each scaled by its `scatter`.
std::vector<Coupon> made_coupons(const CouponModel& model, double tension, double compression,
                                 const std::vector<double>& scatter) {
  auto work = std::make_unique<LoadCaseWork>();
  std::vector<Coupon> out;
  const double diameters[4] = {3.0, 4.5, 6.35, 9.0};
  for (int i = 0; i < 8; ++i) {
    Coupon c{i >= 4, diameters[i % 4], 6.0 * diameters[i % 4], 0.0};
    c.strength = predicted_strength(model, c, c.compression ? compression : tension, *work) *
                 scatter[i % scatter.size()];
    out.push_back(c);
  }
  return out;
}

// Catches a fit that does not recover the distance its coupons were made with (by either method,
// in tension and compression from one set), residuals or matching distances that are not those
// of the fit, and a fit that mixes the loadings.
TEST(DistanceFit, RecoversTheDistanceOfItsCoupons) {
  for (StrengthMethod method : {StrengthMethod::kPointStress, StrengthMethod::kAverageStress}) {
    const CouponModel model = carbon_model(method);
    const std::vector<Coupon> coupons = made_coupons(model, 0.9, 1.6, {1.0});
    const DistanceFit t = fit_distance(model, coupons, false);
    const DistanceFit c = fit_distance(model, coupons, true);
    ASSERT_EQ(FitStatus::kFitted, t.status);
    ASSERT_EQ(FitStatus::kFitted, c.status);
    EXPECT_NEAR(0.9, t.distance, 1e-6);
    EXPECT_NEAR(1.6, c.distance, 1e-6);
    EXPECT_LT(t.rms, 1e-8);
    EXPECT_EQ((std::vector<int>{0, 1, 2, 3}), t.coupons);
    EXPECT_EQ((std::vector<int>{4, 5, 6, 7}), c.coupons);
    EXPECT_EQ(2.5 * 3.0, t.limit);  // (6 D - D) / 2 of the smallest coupon
    for (int k = 0; k < 4; ++k) {
      EXPECT_NEAR(coupons[k].strength, t.predicted[k], 1e-7 * coupons[k].strength);
      EXPECT_NEAR(0.9, t.matching[k], 1e-7);
      EXPECT_NEAR(1.6, c.matching[k], 1e-7);
    }
    // The hole-size effect: larger holes, weaker coupons.
    EXPECT_GT(coupons[0].strength, coupons[3].strength);
  }
}

// Catches a least-squares fit that is not one: with a scatter of +-3 percent the fit lands close
// to the distance, at the minimum of the sum of squares (no nearby distance does better), and
// the coupons' matching distances straddle it.
TEST(DistanceFit, ScatterAroundTheDistance) {
  const CouponModel model = carbon_model(StrengthMethod::kPointStress);
  const std::vector<Coupon> coupons = made_coupons(model, 1.0, 1.0, {1.03, 0.97, 1.01, 0.99});
  const DistanceFit f = fit_distance(model, coupons, false);
  ASSERT_EQ(FitStatus::kFitted, f.status);
  EXPECT_NEAR(1.0, f.distance, 0.1);
  EXPECT_NEAR(0.02, f.rms, 0.01);
  auto work = std::make_unique<LoadCaseWork>();
  auto squares = [&](double d) {
    double s = 0.0;
    for (int i : f.coupons) {
      const double r = predicted_strength(model, coupons[i], d, *work) / coupons[i].strength - 1;
      s += r * r;
    }
    return s;
  };
  const double at = squares(f.distance);
  EXPECT_NEAR(f.rms * f.rms * 4, at, 1e-12);
  EXPECT_LE(at, squares(f.distance * 1.001));
  EXPECT_LE(at, squares(f.distance * 0.999));
  EXPECT_GT(f.matching[0], f.distance);  // 3 percent strong: a longer distance matches it
  EXPECT_LT(f.matching[1], f.distance);
}

// Catches coupons out of reach reported as a fit: stronger than the prediction at the largest
// distance, the fit stops at the limit and no coupon has a matching distance; weaker than the
// prediction at the edge, it stops at 0.
TEST(DistanceFit, OutOfReach) {
  const CouponModel model = carbon_model(StrengthMethod::kPointStress);
  const DistanceFit strong = fit_distance(model, made_coupons(model, 1.0, 1.0, {10.0}), false);
  EXPECT_EQ(FitStatus::kAtLimit, strong.status);
  EXPECT_NEAR(strong.limit, strong.distance, 1e-6);
  for (double m : strong.matching) EXPECT_TRUE(std::isnan(m));
  const DistanceFit weak = fit_distance(model, made_coupons(model, 1.0, 1.0, {0.1}), true);
  EXPECT_EQ(FitStatus::kAtLimit, weak.status);
  EXPECT_NEAR(0.0, weak.distance, 1e-6);
  const DistanceFit none = fit_distance(model, {}, false);
  EXPECT_EQ(FitStatus::kNoCoupons, none.status);
}

// Catches the laminate-level rule fitted with another ratio, concentration or width correction:
// coupons made by the rule itself with a known distance give it back, by both methods.
TEST(DistanceFit, LaminateRuleRecoversItsDistance) {
  const double k = 3.4, unnotched = 600.0;
  for (StrengthMethod method : {StrengthMethod::kPointStress, StrengthMethod::kAverageStress}) {
    std::vector<Coupon> coupons;
    for (double d : {2.0, 4.0, 8.0}) {
      const double radius = d / 2, x = radius / (radius + 1.2);
      coupons.push_back(
          {false, d, 5 * d,
           unnotched * whitney_nuismer_ratio(method, k, x) / tan_finite_width_factor(k, 0.2)});
    }
    const DistanceFit f = fit_laminate_rule(method, k, unnotched, coupons, false);
    ASSERT_EQ(FitStatus::kFitted, f.status);
    EXPECT_NEAR(1.2, f.distance, 1e-6);
    EXPECT_NEAR(1.2, f.matching[2], 1e-7);
  }
  // The ratio's ends: 1/K at the edge, 1 far away.
  for (StrengthMethod method : {StrengthMethod::kPointStress, StrengthMethod::kAverageStress}) {
    EXPECT_NEAR(1.0 / k, whitney_nuismer_ratio(method, k, 1.0), 1e-15);
    EXPECT_NEAR(1.0, whitney_nuismer_ratio(method, k, 1e-9), 1e-8);
  }
}

// Catches an unnotched prediction that is not the first ply failure under a uniform stress: a
// single 0 degree ply along its fibres fails at T1 (C1 in compression), across them at T2.
TEST(DistanceFit, UnnotchedStrength) {
  CouponModel m = carbon_model(StrengthMethod::kPointStress);
  m.plies.resize(1);
  m.plies.angle[0] = 0.0;
  m.assessment.criteria = {Criterion::kMaxStress};
  m.assessment.allowables = {m.materials};
  EXPECT_NEAR(2000.0, predicted_unnotched_strength(m, false), 1e-9);
  EXPECT_NEAR(1500.0, predicted_unnotched_strength(m, true), 1e-9);
  m.load_angle = 90.0;
  EXPECT_NEAR(60.0, predicted_unnotched_strength(m, false), 1e-9);
}

}  // namespace
}  // namespace hs
