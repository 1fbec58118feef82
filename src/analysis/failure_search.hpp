// The automatic search for the first-ply failure load: all loads scaled by one common factor,
// repeated until the governing failure number at the second distance step is 1 (the factor within
// 0.999..1.001).
//
// This class follows the search from one repetition to the next and decides how it goes on. The
// plain repetition can overshoot for ever past the root (with the quadratic criteria, where a
// compressive transverse allowable about three times the tensile one or more governs); an exact
// cycle of the loads, or the iteration bound, then makes it solve directly for the smallest load
// at which a ply reaches a failure number of 1 and evaluate once more there.
#pragma once

#include "model/loads.hpp"

namespace hs {

// Searches usually converge in under ten repetitions, slow ones in a few hundred, and only
// where the slope of the fixed-point step at the root is within a fraction of a percent of -1 in
// a few thousand.
constexpr int kSearchIterations = 10000;

class FailureSearch {
 public:
  enum Outcome { kConverged, kRepeat, kSolveDirectly, kStopped };

  // After the failure evaluation of repetition `iteration` (from 1) of the loads, with the factor
  // it left; governing_is_zero: no ply has a failure value at the failure step. On
  // kSolveDirectly the caller works out the direct factor and hands it to solved_directly.
  Outcome next(const Loads& loads, double factor, int iteration, bool governing_is_zero);

  // The repetitions cannot reach the failure load (the governing value lies inside the
  // envelope): kSolveDirectly, or kStopped when a direct solution was already tried.
  Outcome solve_directly_now() const { return direct_ ? kStopped : kSolveDirectly; }

  // The factor of the direct solution on the current loads (0.0 when none exists): kRepeat with
  // factor set for the last repetition, or kStopped.
  Outcome solved_directly(double lambda, double& factor);

 private:
  bool direct_ = false;
  double saved_[6] = {};
  int power_ = 1, since_saved_ = 0;
};

}  // namespace hs
