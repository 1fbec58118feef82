#include "hole/unloded.hpp"

#include <cmath>
#include <complex>
#include <cstring>
#include <limits>
#include <memory>

#include "numeric/roots.hpp"

namespace hs {

namespace {
using cd = std::complex<double>;
constexpr double kPi = 3.1415927410125732;  // pi held in single precision: the tables use it
// Branch test of the square root: -1e-5 held in single precision.
constexpr double kBranch = -9.999999747378752e-06;

// The geometry of the grid for the roots mu1, mu2, worked out again only when an input differs
// (in any bit) from the last call's.
const OpenHoleGeometry& geometry(const Three& grid, double D, cd mu1, cd mu2, OpenHoleGeometry& g) {
  const double key[8] = {grid.DEG,   grid.LOW,   grid.STEP,  D,
                         mu1.real(), mu1.imag(), mu2.real(), mu2.imag()};
  int nstep = step_count(grid), nang = station_count(grid);
  if (nstep == g.nstep && nang == g.nang && std::memcmp(key, g.key, sizeof key) == 0) return g;
  for (int i = 0; i < nstep; ++i) {
    for (int j = 0; j < nang; ++j) {
      double theta = (grid.LOW + j * grid.DEG) * kPi / 180.0;
      double r = D / 2.0 + i * grid.STEP;
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
      if (w1.real() < kBranch) w1 = -w1;
      if (w2.real() < kBranch) w2 = -w2;
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

bool characteristic_roots(const Mat3& A, double mu1[2], double mu2[2]) {
  double a11 = A(1, 1), a12 = A(1, 2), a16 = A(1, 3);
  double a22 = A(2, 2), a26 = A(2, 3), a66 = A(3, 3);
  // a11 mu^4 - 2 a16 mu^3 + (2 a12 + a66) mu^2 - 2 a26 mu + a22 = 0, scaled up so that the root
  // finder's absolute thresholds see coefficients of order one rather than compliances.
  double coef[5] = {a22 * 1000000.0, (a26 + a26) * (-1000000.0), (a12 + a12 + a66) * 1000000.0,
                    (a16 + a16) * (-1000000.0), a11 * 1000000.0};
  double work[5], zre[4], zim[4];
  int istat;
  roots(coef, work, 4, zre, zim, istat);
  if (istat != 0) return false;
  // The roots come as two conjugate pairs; take the member of each with positive imaginary part.
  int k1 = zim[1] > 0.0 ? 1 : 0;
  int k2 = zim[3] > 0.0 ? 3 : 2;
  mu1[0] = zre[k1];
  mu1[1] = zim[k1];
  mu2[0] = zre[k2];
  mu2[1] = zim[k2];
  return true;
}

bool admissible(const Mat3& A, const double mu1[2], const double mu2[2]) {
  double minor2 = A(1, 1) * A(2, 2) - A(1, 2) * A(2, 1);
  double det = A(1, 1) * (A(2, 2) * A(3, 3) - A(2, 3) * A(3, 2)) -
               A(1, 2) * (A(2, 1) * A(3, 3) - A(2, 3) * A(3, 1)) +
               A(1, 3) * (A(2, 1) * A(3, 2) - A(2, 2) * A(3, 1));
  return A(1, 1) > 0.0 && minor2 > 0.0 && det > 0.0 && mu1[1] > 0.0 && mu2[1] > 0.0;
}

void undefined_field(const Three& grid, GridVec& SIG, GridVal& U, GridVal& V) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  int nstep = step_count(grid), nang = station_count(grid);
  for (int i = 0; i < nstep; ++i) {
    for (int j = 0; j < nang; ++j) {
      SIG[j][i][0] = SIG[j][i][1] = SIG[j][i][2] = nan;
      U[j][i] = V[j][i] = nan;
    }
  }
}

void unloded(const Three& grid, const double& S, const double& D, const Mat3& A, double& ALPHA,
             GridVec& SIG, GridVal& U, GridVal& V, bool displacements, OpenHoleGeometry* kept) {
  const cd I(0.0, 1.0);
  double a11 = A(1, 1), a12 = A(1, 2), a16 = A(1, 3);
  double a22 = A(2, 2), a26 = A(2, 3);

  double m1[2], m2[2];
  bool found = characteristic_roots(A, m1, m2);
  ALPHA = ALPHA * kPi / 180.0;
  if (!found || !admissible(A, m1, m2)) {
    undefined_field(grid, SIG, U, V);
    return;
  }
  cd mu1(m1[0], m1[1]), mu2(m2[0], m2[1]);

  // Displacement coefficients of the laminate.
  cd p1 = a11 * mu1 * mu1 + a12 - a16 * mu1;
  cd p2 = a11 * mu2 * mu2 + a12 - a16 * mu2;
  cd q1 = a12 * mu1 + a22 / mu1 - a26;
  cd q2 = a12 * mu2 + a22 / mu2 - a26;

  // Load factors and denominators: the same at every station.
  double ca = std::cos(ALPHA), sa = std::sin(ALPHA), s2a = std::sin(2.0 * ALPHA);
  cd K1 = 2.0 * (ca * ca) + s2a * mu1 + I * (s2a + 2.0 * mu1 * (sa * sa));
  cd K2 = 2.0 * (ca * ca) + s2a * mu2 + I * (s2a + 2.0 * mu2 * (sa * sa));
  cd N1 = 2.0 * D * (mu1 - mu2) * (1.0 + I * mu1);
  cd N2 = 2.0 * D * (mu1 - mu2) * (1.0 + I * mu2);

  std::unique_ptr<OpenHoleGeometry> fresh;
  if (kept == nullptr) kept = (fresh = std::make_unique<OpenHoleGeometry>()).get();
  const OpenHoleGeometry& g = geometry(grid, D, mu1, mu2, *kept);
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
