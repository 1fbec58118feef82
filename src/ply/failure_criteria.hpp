// Ply failure criteria, and the first-ply failure at a distance from the hole edge.
//
// The direct allowables are chosen by the sign of the ply values (tension when not negative);
// the shear allowable whatever the sign. Maximum strain and maximum stress give three failure
// numbers, value over allowable: fibre, transverse, shear (negative in compression). Tsai-Hill,
// modified Tsai-Wu (no interaction term) and Hoffman give one failure number, the value of the
// criterion's left-hand side, and three failure ratios, value over allowable over its square root.
// A ply fails at a failure number of magnitude 1.
#pragma once

#include "model/fields.hpp"
#include "model/grid.hpp"
#include "model/materials.hpp"
#include "model/ply_stack.hpp"

namespace hs {

// Failure values of one ply from its values s (stresses; strains for maximum strain): out holds
// FN1, FN2, FN12 and 0 (criteria 1, 2) or FN, R1, R2, R12 (criteria 3 to 5).
void ply_failure(Criterion criterion, const Allowables& allowables, const double s[3],
                 double out[4]);

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
};
Governing governing_value(Criterion criterion, const Materials& materials, const PlyStack& plies,
                          const Grid& grid, const PlyField& field, int step);

// The smallest factor on the loads of the field at which some ply at distance step `step`
// reaches a failure number of magnitude 1, solved from the ply values (which scale with the
// loads). 0.0 when no finite positive factor exists.
double first_failure_factor(Criterion criterion, const Materials& materials, const PlyStack& plies,
                            const Grid& grid, const PlyField& field, int step);

// The reserve factor of a criterion at distance step `step` (0-based): the factor by which all
// loads of the field can be scaled before the first ply reaches failure there (failure number
// 1; magnitude 1 for criteria 1, 2, 4, 5, whose numbers may be negative), solved in closed form:
// linear for maximum strain and stress, the square root for Tsai-Hill, the smallest positive root
// of the quadratic for modified Tsai-Wu and Hoffman. The ply values scale with the loads and keep
// their signs, so the allowables chosen by sign stay. With the station and ply where it is
// reached first (the first on ties) and the governing component: 0 along the fibres, 1 across
// them, 2 shear (for criteria 3 to 5 the largest failure ratio there). factor is +infinity, at
// station 0 and ply 0, when no finite factor exists (no load, or a criterion that a load of this
// shape never reaches).
struct ReserveFactor {
  double factor;
  int station;
  int ply;
  int component;
};
// The same for one ply point with values s (stresses; strains for maximum strain): the factor,
// +infinity when none, and the governing component.
double ply_reserve(Criterion criterion, const Allowables& allowables, const double s[3],
                   int& component);

ReserveFactor reserve_factor(Criterion criterion, const Materials& materials, const PlyStack& plies,
                             const Grid& grid, const PlyField& field, int step);

}  // namespace hs
