// Ply failure criteria, and the first-ply failure at a distance from the hole edge.
//
// The direct allowables are chosen by the sign of the ply values (tension when not negative);
// the shear allowable whatever the sign. Maximum strain and maximum stress give three failure
// numbers, value over allowable: fibre, transverse, shear (negative in compression). Tsai-Hill,
// modified Tsai-Wu (no interaction term) and Hoffman give one failure number, the value of the
// criterion's left-hand side, and three failure ratios, value over allowable over its square root.
// A ply fails at a failure number of magnitude 1.
#pragma once

#include <cmath>
#include <limits>

#include "model/fields.hpp"
#include "model/grid.hpp"
#include "model/materials.hpp"
#include "model/ply_stack.hpp"

namespace hs {

// Failure values of one ply from its values s (stresses; strains for maximum strain): out holds
// FN1, FN2, FN12 and 0 (criteria 1, 2) or FN, R1, R2, R12 (criteria 3 to 5).
void ply_failure(Criterion criterion, const Allowables& allowables, const double s[3],
                 double out[4]);

// The value F of the modified Tsai-Wu or Hoffman criterion at one ply point (stresses s), with
// its sign: the ply fails at F = +1. ply_failure prints its magnitude.
double quadratic_criterion(Criterion criterion, const Allowables& allowables, const double s[3]);

// The ply values a criterion compares with its allowables: the strains for maximum strain, the
// stresses otherwise.
inline const double* criterion_input(const PlyField& f, Criterion c, int j, int k, int p) {
  return c == Criterion::kMaxStrain ? f.strain[j][k][p] : f.stress[j][k][p];
}

// Failure values of ply p at station j, step k.
void ply_failure_at(Criterion criterion, const Materials& materials, const PlyStack& plies,
                    const PlyField& field, int j, int k, int p, double out[4]);

// The governing value at distance step `step` (0-based): the failure number of largest
// magnitude (FN1, FN2, FN12 for criteria 1 and 2, FN for 3 to 5, in that order; the first one on
// ties), with its sign, and its station and ply. value is 0.0, at station 0 and ply 0, when the
// grid has no such step or every value is zero.
struct Governing {
  double value;
  int station;
  int ply;
  // Modified Tsai-Wu and Hoffman: the governing failure number is the magnitude of a criterion
  // value below zero. Such a point is inside the failure envelope (the criterion fails at +1),
  // however large the magnitude; the failure search does not scale the loads towards it.
  bool below_zero;
};
Governing governing_value(Criterion criterion, const Materials& materials, const PlyStack& plies,
                          const Grid& grid, const PlyField& field, int step);

// The smallest factor on the loads of the field at which some ply at distance step `step`
// fails (a failure number of magnitude 1; for modified Tsai-Wu and Hoffman F = +1), solved from
// the ply values (which scale with the loads). 0.0 when no finite positive factor exists.
double first_failure_factor(Criterion criterion, const Materials& materials, const PlyStack& plies,
                            const Grid& grid, const PlyField& field, int step);

// A criterion's constants for one ply's allowables, worked out once: reciprocals of the
// allowables and the coefficients of the quadratic criteria.
struct CriterionConstants {
  Criterion criterion;
  double inv_t1, inv_c1, inv_t2, inv_c2, inv_s;
  double f1, f2, f11, f22, f66;
  double f12;  // Hoffman's interaction 1 / (T1 C1); 0 for the other criteria
};
CriterionConstants criterion_constants(Criterion criterion, const Allowables& allowables);

// The smallest positive x with quad x^2 + lin x = 1, or +infinity when there is none: the load
// factor at which a quadratic criterion reaches 1 along a proportional load path.
double positive_quadratic_root(double quad, double lin);

// The reserve factor of one ply point with values s1, s2, s12 (stresses; strains for maximum
// strain): the factor by which the loads can be scaled before the criterion reaches failure
// there, +infinity when it never does. The ply values scale with the loads and keep their signs,
// so the allowables chosen by sign stay: maximum strain and maximum stress are linear (each
// value over its allowable reaches magnitude 1), Tsai-Hill is homogeneous of degree two (the
// square root), modified Tsai-Wu and Hoffman are quadratic with linear terms and reach F = +1 at
// the positive root of quad R^2 + lin R = 1. Ply values that are not finite (a field that could
// not be worked out) give NaN: undefined, which is not "never fails".
inline double point_reserve(const CriterionConstants& k, double s1, double s2, double s12) {
  if (!std::isfinite(s1 + s2 + s12)) return std::numeric_limits<double>::quiet_NaN();
  const double ix = s1 < 0.0 ? k.inv_c1 : k.inv_t1, iy = s2 < 0.0 ? k.inv_c2 : k.inv_t2;
  switch (k.criterion) {
    case Criterion::kMaxStrain:
    case Criterion::kMaxStress: {
      const double m = std::fmax(std::fmax(std::fabs(s1 * ix), std::fabs(s2 * iy)),
                                 std::fabs(s12 * k.inv_s));
      return m > 0.0 ? 1.0 / m : std::numeric_limits<double>::infinity();
    }
    case Criterion::kTsaiHill: {
      const double fn = s1 * s1 * (ix * ix) + s2 * s2 * (iy * iy) - s1 * s2 * (ix * ix) +
                        s12 * s12 * (k.inv_s * k.inv_s);
      return fn > 0.0 ? 1.0 / std::sqrt(fn) : std::numeric_limits<double>::infinity();
    }
    default: {
      const double lin = k.f1 * s1 + k.f2 * s2;
      const double quad = k.f11 * s1 * s1 + k.f22 * s2 * s2 + k.f66 * s12 * s12 - k.f12 * s1 * s2;
      return positive_quadratic_root(quad, lin);
    }
  }
}

// The component that governs failure at a ply point: 0 along the fibres, 1 across them, 2 shear.
// For maximum strain and stress the value that reaches its allowable first (the first on ties);
// for the other criteria the largest of value over allowable.
int governing_component(const CriterionConstants& k, double s1, double s2, double s12);

// The reserve factor of a criterion over the stations of distance step `step` (0-based): the
// smallest point_reserve of every ply at every station, with the station and ply where it is
// reached first (the first on ties) and its governing component. factor is +infinity, at station
// 0 and ply 0, when no finite factor exists (no load, or a criterion that a load of this shape
// never reaches), and NaN, at the first point concerned, when the ply values are not finite
// somewhere (the reserve factor is undefined).
struct CriterionReserve {
  double factor;
  int station;
  int ply;
  int component;
};
CriterionReserve criterion_reserve(Criterion criterion, const Materials& materials,
                                   const PlyStack& plies, const Grid& grid, const PlyField& field,
                                   int step);

}  // namespace hs
