#include "hole/open_hole.hpp"

#include <cmath>
#include <complex>
#include <cstring>
#include <limits>

#include "hole/characteristic_roots.hpp"
#include "numeric/complex_divide.hpp"
#include "numeric/constants.hpp"

namespace hs {

namespace {
using cd = std::complex<double>;

// The geometry of the grid for the roots mu1, mu2, worked out again only when an input differs
// (in any bit) from the last call's.
const OpenHoleCache& geometry(const Grid& grid, cd mu1, cd mu2, OpenHoleCache& g) {
  const double d = grid.diameter;
  const double key[8] = {grid.angle_step, grid.angle_low, grid.distance_step, d,
                         mu1.real(),      mu1.imag(),     mu2.real(),         mu2.imag()};
  const int nstep = step_count(grid), nang = station_count(grid);
  if (nstep == g.nstep && nang == g.nang && std::memcmp(key, g.key, sizeof key) == 0) return g;
  const std::size_t size = static_cast<std::size_t>(nang > 0 ? nang : 0) * nstep;
  g.w1.resize(size);
  g.w2.resize(size);
  g.H1.resize(size);
  g.H2.resize(size);
  for (int i = 0; i < nstep; ++i) {
    for (int j = 0; j < nang; ++j) {
      const double theta = radians(station_angle(grid, j));
      const double r = d / 2.0 + i * grid.distance_step;
      const double x = r * std::cos(theta);
      const double y = r * std::sin(theta);
      const cd z1 = x + mu1 * y;
      const cd z2 = x + mu2 * y;
      const cd s1 = std::sqrt((z1 * z1 - d * d / 4.0) + (mu1 * mu1 * d * d) / (-4.0));
      const cd s2 = std::sqrt((z2 * z2 - d * d / 4.0) + (mu2 * mu2 * d * d) / (-4.0));
      // The principal root gives the wrong branch at many stations: pick the one for which
      // z/s tends to +1 far from the hole in every direction.
      cd w1 = divide(z1, s1);
      cd w2 = divide(z2, s2);
      if (w1.real() < kBranchTest) w1 = -w1;
      if (w2.real() < kBranchTest) w2 = -w2;
      const std::size_t at = static_cast<std::size_t>(j) * nstep + i;
      g.w1[at] = w1;
      g.w2[at] = w2;
      const cd r1 = divide(z1, w1);
      const cd r2 = divide(z2, w2);
      g.H1[at] = 16.0 * (mu1 - mu2) * (r1 + z1);
      g.H2[at] = 16.0 * (mu1 - mu2) * (r2 + z2);
    }
  }
  std::memcpy(g.key, key, sizeof key);
  g.nstep = nstep;
  g.nang = nang;
  return g;
}

}  // namespace

void undefined_field(const Grid& grid, GridVector& sig, GridScalar& u, GridScalar& v) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const int nstep = step_count(grid), nang = station_count(grid);
  sig.resize(nang, nstep);
  u.resize(nang, nstep);
  v.resize(nang, nstep);
  for (int i = 0; i < nstep; ++i) {
    for (int j = 0; j < nang; ++j) {
      sig[j][i][0] = sig[j][i][1] = sig[j][i][2] = nan;
      u[j][i] = v[j][i] = nan;
    }
  }
}

void open_hole_field(const Grid& grid, double s, const Mat3& a, double angle, bool displacements,
                     OpenHoleCache& cache, GridVector& sig, GridScalar& u, GridScalar& v) {
  const cd i_unit(0.0, 1.0);
  const double d = grid.diameter;
  cd mu1, mu2;
  if (!characteristic_roots(a, mu1, mu2) || !admissible(a, mu1, mu2)) {
    undefined_field(grid, sig, u, v);
    return;
  }
  const double alpha = radians(angle);
  auto [p1, q1] = displacement_coefficients(a, mu1);
  auto [p2, q2] = displacement_coefficients(a, mu2);

  // Load factors and denominators: the same at every station.
  const double ca = std::cos(alpha), sa = std::sin(alpha), s2a = std::sin(2.0 * alpha);
  const cd k1 = 2.0 * (ca * ca) + s2a * mu1 + i_unit * (s2a + 2.0 * mu1 * (sa * sa));
  const cd k2 = 2.0 * (ca * ca) + s2a * mu2 + i_unit * (s2a + 2.0 * mu2 * (sa * sa));
  const cd n1 = 2.0 * d * (mu1 - mu2) * (1.0 + i_unit * mu1);
  const cd n2 = 2.0 * d * (mu1 - mu2) * (1.0 + i_unit * mu2);

  const OpenHoleCache& g = geometry(grid, mu1, mu2, cache);
  const int nstep = step_count(grid), nang = station_count(grid);
  sig.resize(nang, nstep);
  u.resize(nang, nstep);
  v.resize(nang, nstep);
  // The factors that do not change from station to station, each the same product as the
  // formulas below form it, so that the values are the same to the last bit.
  const cd load1 = i_unit * s * d * k2, load2 = i_unit * s * d * k1;
  const cd den1 = -2.0 * n1, den2 = 2.0 * n2;
  const cd mu11 = mu1 * mu1, mu22 = mu2 * mu2;
  const double far_x = s * ca * ca, far_y = s * sa * sa, far_xy = s * sa * ca;
  const cd phi_load1 = -(d * d * s * (mu1 + i_unit) * k2), phi_load2 = d * d * s * (mu2 + i_unit) * k1;
  // Point by point in storage order: every station's values depend on its own geometry alone.
  const std::size_t points = sig.points();
  double* out = sig.data();
  double *ou = u.data(), *ov = v.data();
  for (std::size_t at = 0; at < points; ++at, out += 3) {
    const cd w1 = g.w1[at], w2 = g.w2[at];

    // Derivatives of the stress functions, each with the load factor of the other root.
    const cd dphi1 = divide(load1 * (1.0 - w1), den1);
    const cd dphi2 = divide(load2 * (1.0 - w2), den2);
    out[0] = 2.0 * (mu22 * dphi2 + mu11 * dphi1).real() + far_x;
    out[1] = 2.0 * (dphi2 + dphi1).real() + far_y;
    out[2] = -2.0 * (mu2 * dphi2 + mu1 * dphi1).real() + far_xy;
    if (!displacements) {
      ou[at] = ov[at] = std::numeric_limits<double>::quiet_NaN();
      continue;
    }

    // Stress functions, from the branch-corrected roots.
    const cd phi1 = divide(phi_load1, g.H1[at]);
    const cd phi2 = divide(phi_load2, g.H2[at]);
    ou[at] = 2.0 * (p2 * phi2 + p1 * phi1).real();
    ov[at] = 2.0 * (q2 * phi2 + q1 * phi1).real();
  }
}

}  // namespace hs
