#include "hole/open_hole.hpp"

#include <cmath>
#include <complex>
#include <cstring>
#include <limits>

#include "hole/characteristic_roots.hpp"
#include "numeric/constants.hpp"

namespace hs {

namespace {
using cd = std::complex<double>;

// The geometry of the grid for the roots mu1, mu2, worked out again only when an input differs
// (in any bit) from the last call's.
const OpenHoleReuse& geometry(const Grid& grid, cd mu1, cd mu2, OpenHoleReuse& g) {
  const double D = grid.diameter;
  const double key[8] = {grid.angle_step, grid.angle_low, grid.distance_step, D,
                         mu1.real(),      mu1.imag(),     mu2.real(),         mu2.imag()};
  int nstep = step_count(grid), nang = station_count(grid);
  if (nstep == g.nstep && nang == g.nang && std::memcmp(key, g.key, sizeof key) == 0) return g;
  for (int i = 0; i < nstep; ++i) {
    for (int j = 0; j < nang; ++j) {
      double theta = station_angle(grid, j) * kPiSingle / 180.0;
      double r = D / 2.0 + i * grid.distance_step;
      double x = r * std::cos(theta);
      double y = r * std::sin(theta);
      cd z1 = x + mu1 * y;
      cd z2 = x + mu2 * y;
      cd s1 = std::sqrt((z1 * z1 - D * D / 4.0) + (mu1 * mu1 * D * D) / (-4.0));
      cd s2 = std::sqrt((z2 * z2 - D * D / 4.0) + (mu2 * mu2 * D * D) / (-4.0));
      // The principal root gives the wrong branch at many stations: pick the one for which
      // z/s tends to +1 far from the hole in every direction.
      cd w1 = z1 / s1;
      cd w2 = z2 / s2;
      if (w1.real() < kBranchTest) w1 = -w1;
      if (w2.real() < kBranchTest) w2 = -w2;
      g.w1[j][i] = w1;
      g.w2[j][i] = w2;
      cd r1 = z1 / w1;
      cd r2 = z2 / w2;
      g.H1[j][i] = 16.0 * (mu1 - mu2) * (r1 + z1);
      g.H2[j][i] = 16.0 * (mu1 - mu2) * (r2 + z2);
    }
  }
  std::memcpy(g.key, key, sizeof key);
  g.nstep = nstep;
  g.nang = nang;
  return g;
}

}  // namespace

void undefined_field(const Grid& grid, GridVector& SIG, GridScalar& U, GridScalar& V) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  int nstep = step_count(grid), nang = station_count(grid);
  for (int i = 0; i < nstep; ++i) {
    for (int j = 0; j < nang; ++j) {
      SIG[j][i][0] = SIG[j][i][1] = SIG[j][i][2] = nan;
      U[j][i] = V[j][i] = nan;
    }
  }
}

void open_hole_field(const Grid& grid, double S, const Mat3& A, double angle, bool displacements,
                     OpenHoleReuse& reuse, GridVector& SIG, GridScalar& U, GridScalar& V) {
  const cd I(0.0, 1.0);
  const double D = grid.diameter;
  cd mu1, mu2;
  if (!characteristic_roots(A, mu1, mu2) || !admissible(A, mu1, mu2)) {
    undefined_field(grid, SIG, U, V);
    return;
  }
  const double ALPHA = angle * kPiSingle / 180.0;
  auto [p1, q1] = displacement_coefficients(A, mu1);
  auto [p2, q2] = displacement_coefficients(A, mu2);

  // Load factors and denominators: the same at every station.
  double ca = std::cos(ALPHA), sa = std::sin(ALPHA), s2a = std::sin(2.0 * ALPHA);
  cd K1 = 2.0 * (ca * ca) + s2a * mu1 + I * (s2a + 2.0 * mu1 * (sa * sa));
  cd K2 = 2.0 * (ca * ca) + s2a * mu2 + I * (s2a + 2.0 * mu2 * (sa * sa));
  cd N1 = 2.0 * D * (mu1 - mu2) * (1.0 + I * mu1);
  cd N2 = 2.0 * D * (mu1 - mu2) * (1.0 + I * mu2);

  const OpenHoleReuse& g = geometry(grid, mu1, mu2, reuse);
  int nstep = step_count(grid), nang = station_count(grid);
  for (int i = 0; i < nstep; ++i) {
    for (int j = 0; j < nang; ++j) {
      const cd w1 = g.w1[j][i], w2 = g.w2[j][i];

      // Derivatives of the stress functions, each with the load factor of the other root.
      cd dphi1 = (I * S * D * K2 * (1.0 - w1)) / (-2.0 * N1);
      cd dphi2 = (I * S * D * K1 * (1.0 - w2)) / (2.0 * N2);
      SIG[j][i][0] = 2.0 * (mu2 * mu2 * dphi2 + mu1 * mu1 * dphi1).real() + S * ca * ca;
      SIG[j][i][1] = 2.0 * (dphi2 + dphi1).real() + S * sa * sa;
      SIG[j][i][2] = -2.0 * (mu2 * dphi2 + mu1 * dphi1).real() + S * sa * ca;
      if (!displacements) {
        U[j][i] = V[j][i] = std::numeric_limits<double>::quiet_NaN();
        continue;
      }

      // Stress functions, from the branch-corrected roots.
      cd phi1 = -(D * D * S * (mu1 + I) * K2) / g.H1[j][i];
      cd phi2 = (D * D * S * (mu2 + I) * K1) / g.H2[j][i];
      U[j][i] = 2.0 * (p2 * phi2 + p1 * phi1).real();
      V[j][i] = 2.0 * (q2 * phi2 + q1 * phi1).real();
    }
  }
}

}  // namespace hs
