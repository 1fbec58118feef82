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

// +infinity: the reserve factor where a criterion is never reached; NaN: undefined (the ply
// values are not finite).
constexpr double kReserveNone = std::numeric_limits<double>::infinity();
constexpr double kReserveUndefined = std::numeric_limits<double>::quiet_NaN();

namespace scalar_formulas {

// The lanes of reserve_formulas-inl.hpp for a single ply point: plain doubles and bools.
struct ScalarLanes {
  using V = double;
  using M = bool;
  static double set(double x) { return x; }
  static bool lt(double a, double b) { return a < b; }
  static bool le(double a, double b) { return a <= b; }
  static bool eq(double a, double b) { return a == b; }
  static bool negated(bool m) { return !m; }
  static bool any(bool m) { return m; }
  static double select(bool m, double a, double b) { return m ? a : b; }
  static double abs(double a) { return std::fabs(a); }
  static double fmax(double a, double b) { return std::fmax(a, b); }
  static double sqrt(double a) { return std::sqrt(a); }
  static double copysign(double a, double b) { return std::copysign(a, b); }
};

#include "ply/reserve_formulas-inl.hpp"

}  // namespace scalar_formulas

// The smallest positive x with quad x^2 + lin x = 1, or +infinity when there is none: the load
// factor at which a quadratic criterion reaches 1 along a proportional load path.
inline double positive_quadratic_root(double quad, double lin) {
  return scalar_formulas::positive_quadratic_root_of(scalar_formulas::ScalarLanes{}, quad, lin);
}

// The reserve factor of one ply point with values s1, s2, s12 (stresses; strains for maximum
// strain): the factor by which the loads can be scaled before the criterion reaches failure
// there, +infinity when it never does, NaN when the ply values are not finite (a field that could
// not be worked out: undefined, which is not "never fails"). The formulas are in
// reserve_formulas-inl.hpp, which the batch of many load cases evaluates on several points at
// once with the same bits.
inline double point_reserve(const CriterionConstants& k, double s1, double s2, double s12) {
  using scalar_formulas::point_reserve_of;
  const scalar_formulas::ScalarLanes l;
  switch (k.criterion) {
    case Criterion::kMaxStrain:
      return point_reserve_of<Criterion::kMaxStrain>(l, k, s1, s2, s12);
    case Criterion::kMaxStress:
      return point_reserve_of<Criterion::kMaxStress>(l, k, s1, s2, s12);
    case Criterion::kTsaiHill:
      return point_reserve_of<Criterion::kTsaiHill>(l, k, s1, s2, s12);
    case Criterion::kTsaiWu:
      return point_reserve_of<Criterion::kTsaiWu>(l, k, s1, s2, s12);
    default:
      return point_reserve_of<Criterion::kHoffman>(l, k, s1, s2, s12);
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
