// How first-ply failure is judged for reserve factors: which criteria, the allowables each
// compares, where round the hole the ply values are taken (the characteristic distances, at a
// point or averaged along the radius), the factor of safety.
#pragma once

#include <cmath>
#include <vector>

#include "model/materials.hpp"
#include "numeric/constants.hpp"
#include "numeric/quadrature.hpp"

namespace hs {

// Each of the five criteria at most once.
constexpr int kMaxCriteria = 5;

// How the stresses near the hole are reduced to the ply values a criterion judges (Whitney and
// Nuismer): those at the characteristic distance from the hole edge (point stress), or their
// average over the distance from the edge along the radius (average stress).
enum class StrengthMethod { kPointStress, kAverageStress };

// A characteristic distance from the hole edge, in the length unit: `tension` at the net section
// and `compression` at the bearing face, joined round the hole by the characteristic curve
// (analysis/reserve_stations.hpp). Equal, they are one distance all round.
struct CharacteristicDistance {
  double tension = 0.0;
  double compression = 0.0;
  bool circular() const { return tension == compression; }
};

// The distance from the hole edge of the characteristic curve at `angle` degrees, its axis at
// `axis` degrees; exactly d.tension for a circular one.
inline double curve_distance(const CharacteristicDistance& d, double angle, double axis) {
  if (d.circular()) return d.tension;
  return d.tension + (d.compression - d.tension) * std::fabs(std::cos(radians(angle - axis)));
}

// Points along each radial line of the average when none are chosen, for Gauss-Legendre and for
// Simpson's rule (docs/strength.md shows their convergence).
constexpr int kDefaultAveragePoints = 16;
constexpr int kDefaultSimpsonPoints = 65;

struct FailureAssessment {
  std::vector<Criterion> criteria;    // in the order the results give them
  std::vector<Materials> allowables;  // per criterion: the materials with the allowables it
                                      // compares (strain allowables for maximum strain)
  // One or more characteristic distances: the reserve factors are judged at each on its own.
  std::vector<CharacteristicDistance> distances = {CharacteristicDistance{}};
  StrengthMethod method = StrengthMethod::kPointStress;
  Quadrature average_rule = Quadrature::kGaussLegendre;  // along each radial line
  int average_points = kDefaultAveragePoints;            // Simpson: odd, 3 or more
  double factor_of_safety = 1.0;
};

}  // namespace hs
