#include "hole/finite_width.hpp"

#include <cmath>
#include <limits>

namespace hs {

double tan_finite_width_factor(double kt_infinite, double diameter_over_width) {
  const double lam = diameter_over_width;
  if (!(lam > 0.0 && lam < 1.0)) return std::numeric_limits<double>::quiet_NaN();
  const double net = 1.0 - lam;
  // Inverse of the isotropic factor, at most 1.
  const double r = 3.0 * net / (2.0 + net * net * net);
  // (M D/W)^2 worked out directly: M^2 alone divides by (D/W)^2 and loses every digit as D/W -> 0.
  const double md2 = (std::sqrt(1.0 - 8.0 * (r - 1.0)) - 1.0) / 2.0;
  return 1.0 / (r + 0.5 * md2 * md2 * md2 * (kt_infinite - 3.0) * (1.0 - md2));
}

}  // namespace hs
