#include "analysis/finite_width.hpp"

#include <cmath>

#include "hole/finite_width.hpp"
#include "laminate/membrane_compliance.hpp"

namespace hs {

double open_hole_concentration(const Materials& materials, const PlyStack& plies, double angle) {
  // The compliance in axes turned by the angle: the bolt-axes compliance of that direction.
  const Mat3& a = membrane_compliance(materials, plies, angle).compliance.bolt_axes;
  return 1.0 +
         std::sqrt(2.0 * (std::sqrt(a(2, 2) / a(1, 1)) + a(1, 2) / a(1, 1)) + a(3, 3) / a(1, 1));
}

OpenHoleScale tan_correction(const Materials& materials, const PlyStack& plies, const Loads& loads,
                             double diameter, double width) {
  OpenHoleScale k;
  if (width == 0.0) return k;
  auto factor = [&](double angle) {
    return tan_finite_width_factor(open_hole_concentration(materials, plies, angle),
                                   diameter / width);
  };
  k.px = factor(loads.off_axis);
  k.py = factor(loads.off_axis + 90.0);
  k.pxy_tension = factor(loads.off_axis + 45.0);
  k.pxy_compression = factor(loads.off_axis - 45.0);
  k.bypass = factor(loads.bolt_angle);
  return k;
}

}  // namespace hs
