// The stress and strain state at a point of the laminate in other axes: principal values, and
// components in the polar axes of the hole.
#pragma once

namespace hs {

// Largest and smallest principal value and the direction of the largest, in degrees from the
// laminate x axis (within -45..45; 0 when the two normal components are equal).
struct Principal {
  double max, min, direction;
};
// From sigma-x, sigma-y, tau-xy.
Principal principal_stresses(double sx, double sy, double txy);
// From eps-x, eps-y and the engineering shear strain gamma-xy.
Principal principal_strains(double ex, double ey, double gxy);

// Hoop, radial and shear components in polar axes at the station at `angle` degrees, from the
// laminate stresses sig (sigma-x, sigma-y, tau-xy) and strains eps (eps-x, eps-y, gamma-xy).
struct PolarValues {
  double hoop_stress, radial_stress, shear_stress;
  double hoop_strain, radial_strain, shear_strain;  // shear: engineering strain
};
PolarValues polar_values(double angle, const double sig[3], const double eps[3]);

}  // namespace hs
