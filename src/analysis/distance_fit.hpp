// Characteristic distances calibrated on notched coupon tests.
//
// The point- and average-stress methods (Whitney and Nuismer, J. Composite Materials 8, 1974)
// need a characteristic distance that no handbook lists: it is fitted to the notched strengths of
// open-hole coupons, one in tension and one in compression (Camanho and Lambert, Composites
// Science and Technology 66, 2006, do the same for bolted joints). The strength matched here is
// the laminate failure stress the program predicts: the gross stress along the coupon's axis (load
// over width and thickness) at which the first ply fails by the assessment's criteria at the
// stations of distance d round the hole, the coupon's field that of a plate of its width with
// Tan's finite-width correction. The fit is the distance that minimises the sum of the squared
// relative residuals, predicted over measured less one, each coupon counting alike whatever its
// strength; it is searched from 0 to the smallest half ligament (W - D) / 2 of the coupons.
//
// Whitney and Nuismer's own rule works at the laminate level instead: the notched strength of an
// infinite plate is the unnotched strength times their ratio of R / (R + d) and the stress
// concentration K (whitney_nuismer_ratio), which needs the unnotched strength. fit_laminate_rule
// fits that rule's distance to the same coupons, for comparison.
#pragma once

#include <vector>

#include "analysis/load_case.hpp"
#include "model/assessment.hpp"
#include "model/materials.hpp"
#include "model/ply_stack.hpp"

namespace hs {

struct Coupon {
  bool compression;  // loaded in compression, otherwise in tension
  double diameter;   // of the hole, length unit
  double width;      // of the coupon, larger than the diameter
  double strength;   // notched strength: failure load over width and thickness, a magnitude
};

// The laminate, the criteria with their allowables, the method (the assessment's distances are
// not read), the direction of the coupons' load and the stations round the hole, every
// angle_step degrees from 0 to 180 (the field of a centred hole under a uniform stress repeats
// every half turn).
struct CouponModel {
  Materials materials;
  PlyStack plies;
  FailureAssessment assessment;
  double load_angle = 0.0;  // degrees from the laminate x axis to the coupons' axis
  double angle_step = 1.0;
};

// The notched strength the model predicts for a coupon at characteristic distance `distance`
// (circular): the smallest reserve factor of the criteria under a unit gross stress; +infinity
// when no criterion is ever reached.
double predicted_strength(const CouponModel& model, const Coupon& coupon, double distance,
                          LoadCaseWork& work);

// The unnotched strength the model predicts along the coupons' axis: the gross stress at which the
// first ply fails under a uniform stress (no hole).
double predicted_unnotched_strength(const CouponModel& model, bool compression);

enum class FitStatus {
  kFitted,    // a least-squares distance inside the range searched
  kAtLimit,   // the least squares lie at an end of the range (0 or the smallest half ligament)
  kNoCoupons  // none of this loading
};

struct DistanceFit {
  FitStatus status = FitStatus::kNoCoupons;
  double distance = 0.0;
  double rms = 0.0;               // root mean square of the relative residuals at that distance
  double limit = 0.0;             // the largest distance searched
  std::vector<int> coupons;       // the indices of the coupons of this loading
  std::vector<double> predicted;  // their predicted strengths at the distance
  std::vector<double> matching;   // the distance at which each one's prediction equals its
                                  // strength; NaN when none in [0, limit]
};

// The characteristic distance fitted to the coupons of one loading by the program's prediction.
DistanceFit fit_distance(const CouponModel& model, const std::vector<Coupon>& coupons,
                         bool compression);

// Whitney and Nuismer's ratio of notched to unnotched strength of an infinite plate with stress
// concentration k, at x = R / (R + d) (Konish and Whitney's approximation of the net-section
// stress, exact for an isotropic plate): point stress 2 / (2 + x^2 + 3 x^4 - (k - 3)(5 x^6 -
// 7 x^8)), average stress 2 (1 - x) / (2 - x^2 - x^4 + (k - 3)(x^6 - x^8)).
double whitney_nuismer_ratio(StrengthMethod method, double k, double x);

// The notched strength of a coupon by the laminate-level rule at distance d: unnotched *
// whitney_nuismer_ratio(R / (R + d)) / Tan's factor of its width, k the laminate's concentration
// along the coupons' axis.
double laminate_rule_strength(StrengthMethod method, double k, double unnotched,
                              const Coupon& coupon, double distance);

// The laminate-level rule fitted to the coupons of one loading.
DistanceFit fit_laminate_rule(StrengthMethod method, double k, double unnotched,
                              const std::vector<Coupon>& coupons, bool compression);

}  // namespace hs
