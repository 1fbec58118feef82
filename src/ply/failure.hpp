// Ply failure criteria at every sample point (case 9) and the load factor of the automatic
// search for failure (case 10).
//
// For each ply the allowables are chosen by the sign of the ply values; KRIT selects maximum
// strain, maximum stress (three failure numbers each), Tsai-Hill, modified Tsai-Wu or Hoffman
// (one failure number and three failure ratios). The largest magnitude at distance step 2 sets
// FOUR.FACTOR, the factor that brings it to 1; the case-10 table prints when that factor lies
// within 0.999..1.001. Without case 10, FACTOR is set back to 1.0.
#pragma once

#include "control/console.hpp"
#include "control/state.hpp"

namespace hs {

// The ends of the window in which the search counts as converged (0.999 and 1.001 held in
// single precision).
constexpr double kConvergedLow = 0.9990000128746033;
constexpr double kConvergedHigh = 1.0010000467300415;

void failure(State& st, Console& con);

// Failure values of ply p (0-based) at distance step k and angle station j: FN1, FN2, FN12 for
// KRIT 1 and 2; FN, R1, R2, R12 for KRIT 3 to 5 (the fourth value unused for KRIT 1 and 2).
void ply_failure(const State& st, int p, int k, int j, double out[4]);

// The governing value of the search: the failure number of largest magnitude at distance
// step 2 (FN1, FN2, FN12 for KRIT 1 and 2, FN for 3 to 5, in that order; the first one on
// ties), with its sign, and the angle station and ply (0-based) where it lies. GMAX is 0.0, at
// station 0 and ply 0, when there is none.
struct Governing {
  double GMAX;
  int IANG;
  int ply;
};
Governing governing_value(const State& st);

// The smallest factor on the current loads at which some ply at distance step 2 reaches a
// failure number of magnitude 1, found directly from the ply values (which scale with the
// loads) instead of by iteration. 0.0 when no finite positive factor exists.
double first_failure_factor(const State& st);

}  // namespace hs
