#include "hole/transforms.hpp"

#include <cmath>

#include "numeric/constants.hpp"

namespace hs {

Principal principal_stresses(double sx, double sy, double txy) {
  const double t = (sx - sy) * (sx - sy) / 4.0;
  const double r = std::sqrt(txy * txy + t);
  double direction = 0.0;
  if (sx - sy != 0.0) direction = 0.5 * std::atan(2.0 * txy / (sx - sy));
  return {(sx + sy) / 2.0 + r, (sx + sy) / 2.0 - r, degrees(direction)};
}

Principal principal_strains(double ex, double ey, double gxy) {
  const double t = (ex - ey) * (ex - ey) / 4.0;
  const double r = std::sqrt(gxy * 0.25 * gxy + t);
  double direction = 0.0;
  if (ex - ey != 0.0) direction = 0.5 * std::atan(gxy / (ex - ey));
  return {(ex + ey) / 2.0 + r, (ex + ey) / 2.0 - r, degrees(direction)};
}

PolarValues polar_values(double angle, const double sig[3], const double eps[3]) {
  const double sx = sig[0], sy = sig[1], txy = sig[2];
  const double ex = eps[0], ey = eps[1], gxy = eps[2];
  const double theta = radians(angle);
  const double cs = std::cos(theta), sn = std::sin(theta);
  PolarValues v;
  v.radial_stress = sx * cs * cs + sy * sn * sn + 2.0 * txy * sn * cs;
  v.hoop_stress = sx * sn * sn + sy * cs * cs - 2.0 * txy * sn * cs;
  v.shear_stress = (sy - sx) * sn * cs + txy * (cs * cs - sn * sn);
  v.radial_strain = ex * cs * cs + ey * sn * sn + gxy * sn * cs;
  v.hoop_strain = ex * sn * sn + ey * cs * cs - gxy * sn * cs;
  v.shear_strain = 2.0 * (ey - ex) * sn * cs + gxy * (cs * cs - sn * sn);
  return v;
}

}  // namespace hs
