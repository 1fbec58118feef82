#include "analysis/failure_search.hpp"

#include <cmath>
#include <cstring>

#include "numeric/constants.hpp"

namespace hs {

namespace {

bool finite_loads(const Loads& l) {
  return std::isfinite(l.px) && std::isfinite(l.py) && std::isfinite(l.pxy) &&
         std::isfinite(l.bearing) && std::isfinite(l.bypass);
}

}  // namespace

FailureSearch::Outcome FailureSearch::next(const Loads& l, double factor, int iteration,
                                           bool governing_is_zero) {
  if (!(factor < kConvergedLow || factor > kConvergedHigh)) {
    // Zero loads have no governing value and end here without a table; loads whose failure
    // values are nowhere defined (a field of NaN) end the same way but have no failure load.
    bool loaded = l.px != 0.0 || l.py != 0.0 || l.pxy != 0.0 || l.bearing != 0.0;
    return loaded && governing_is_zero ? kStopped : kConverged;
  }
  if (std::isinf(factor) || !finite_loads(l) || direct_) return kStopped;

  // Brent's cycle detection: the next repetition depends only on the loads and the factor, so
  // an exact repeat of them is a cycle that never reaches the window.
  const double now[6] = {l.px, l.py, l.pxy, l.bearing, l.bypass, factor};
  bool cycling = iteration > 1 && std::memcmp(now, saved_, sizeof now) == 0;
  if (++since_saved_ == power_) {
    std::memcpy(saved_, now, sizeof now);
    power_ *= 2;
    since_saved_ = 0;
  }
  if (cycling || iteration >= kSearchIterations) return kSolveDirectly;
  return kRepeat;
}

FailureSearch::Outcome FailureSearch::solved_directly(double lambda, double& factor) {
  if (lambda == 0.0) return kStopped;
  factor = lambda;
  direct_ = true;
  return kRepeat;
}

}  // namespace hs
