#include "hole/bolt_hole.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <complex>
#include <cstring>
#include <limits>
#include <numbers>

#include "hole/bolt_series.hpp"
#include "hole/characteristic_roots.hpp"
#include "hole/open_hole.hpp"
#include "numeric/complex_divide.hpp"
#include "numeric/complex_log.hpp"
#include "numeric/constants.hpp"
#include "numeric/linear_solve.hpp"

namespace hs {

namespace {

using cd = std::complex<double>;
constexpr int kTerms = 45;  // negative powers in each stress function
constexpr int kMaxHarmonic = 49;

// The logarithm of a mapped variable, cut along the ray behind the bolt (y' = 0, x' < 0).
//
// Each log term alone is many-valued around the hole; only their sum is single-valued, because
// the coefficients make the jumps of the two terms cancel. They cancel only if both terms jump on
// the same ray. The principal logarithm cuts where zeta is negative real, and in the plate that
// is a different curve for each root unless the real parts of mu1 and mu2 vanish: between the two
// curves the displacement would be off by a whole jump (for a nearly isotropic laminate, whose two
// log terms are huge and opposite, by orders of magnitude). On the hole edge zeta = e^(i theta'),
// and the argument of zeta stays in (-pi/2, 3pi/2) above the ray and in (-3pi/2, pi/2) below it,
// so the branch follows from the side of the ray the station lies on.
cd log_behind_bolt(cd zeta, double yb) {
  constexpr double kTwoPi = 2.0 * std::numbers::pi;
  cd l = complex_log(zeta);
  if (yb >= 0.0 && l.imag() < -std::numbers::pi / 2.0) l = cd(l.real(), l.imag() + kTwoPi);
  if (yb < 0.0 && l.imag() > std::numbers::pi / 2.0) l = cd(l.real(), l.imag() - kTwoPi);
  return l;
}

// solve_linear takes a matrix column by column.
void by_columns(const double (&rows)[4][4], double (&m)[16]) {
  for (int i = 0; i < 4; ++i) {
    for (int j = 0; j < 4; ++j) m[i + 4 * j] = rows[i][j];
  }
}

// a complex product. Unchecked, it leaves out the compiler's test of the result for NaN (the test
// that hands infinities to the run-time library) and is otherwise the same operations. The series
// below use only + and * after the reciprocals, so a NaN or an infinity anywhere in a chain
// reaches its sum: when the sum comes out finite no test would have fired and the bits are those
// of the checked products; otherwise the caller works the sum out again with checked products.
template <bool checked>
cd mul(cd x, cd y) {
  if constexpr (checked) {
    return x * y;
  } else {
    return cd(x.real() * y.real() - x.imag() * y.imag(), x.real() * y.imag() + x.imag() * y.real());
  }
}

// The series of one station: the negative powers of both mapped variables and the sums of the
// stress functions' derivatives, S = sum of m SC[m] zeta^(-m).
//
// zeta^(-m) as an integer power is computed: the reciprocal, then square-and-multiply over the
// bits of m. The power for m is the power for m less its highest bit times the square for that
// bit, so each costs one product and has the same bits as afresh.
template <bool checked>
void series(cd zeta1, cd zeta2, const cd* msc1, const cd* msc2, cd* pw1, cd* pw2, cd& s1, cd& s2) {
  cd sq1[6], sq2[6];
  sq1[0] = divide(1.0, zeta1);
  sq2[0] = divide(1.0, zeta2);
  for (int k = 1; k < 6; ++k) {
    sq1[k] = mul<checked>(sq1[k - 1], sq1[k - 1]);
    sq2[k] = mul<checked>(sq2[k - 1], sq2[k - 1]);
  }
  pw1[0] = pw2[0] = cd(1.0, 0.0);
  s1 = s2 = cd(0.0, 0.0);
  for (int m = 1, top = 0; m <= kTerms; ++top) {  // m from 2^top to 2^(top + 1) - 1
    const int bit = 1 << top;
    for (int end = std::min(2 * bit, kTerms + 1); m < end; ++m) {
      pw1[m] = mul<checked>(pw1[m - bit], sq1[top]);
      pw2[m] = mul<checked>(pw2[m - bit], sq2[top]);
      s1 = s1 + mul<checked>(msc1[m], pw1[m]);
      s2 = s2 + mul<checked>(msc2[m], pw2[m]);
    }
  }
}

// F = sum of SC[m] zeta^(-m), the series of a stress function.
template <bool checked>
cd power_sum(const cd* sc, const cd* pw) {
  cd sum(0.0, 0.0);
  for (int m = 1; m <= kTerms; ++m) sum = sum + mul<checked>(sc[m], pw[m]);
  return sum;
}

bool finite(cd z) {
  return std::isfinite(z.real()) && std::isfinite(z.imag());
}

// The geometry of the grid around the bolt for the roots mu1, mu2 and the bolt angle beta,
// worked out again only when an input differs (in any bit) from the last call's.
const BoltHoleCache& bolt_geometry(const Grid& grid, cd mu1, cd mu2, double beta,
                                   BoltHoleCache& g) {
  const double d = grid.diameter;
  const double key[9] = {grid.angle_step, grid.angle_low, grid.distance_step, d,   mu1.real(),
                         mu1.imag(),      mu2.real(),     mu2.imag(),         beta};
  int nstep = step_count(grid), nang = station_count(grid);
  if (nstep == g.nstep && nang == g.nang && std::memcmp(key, g.key, sizeof key) == 0) return g;
  g.at.resize(static_cast<std::size_t>(nang > 0 ? nang : 0) * nstep);
  const cd i_unit(0.0, 1.0);
  const double r2 = d * d / 4.0;
  const cd c1 = d * d * (mu1 * mu1) / 4.0, c2 = d * d * (mu2 * mu2) / 4.0;
  const cd e1 = d * (1.0 - i_unit * mu1), e2 = d * (1.0 - i_unit * mu2);
  for (int i = 0; i < nstep; ++i) {
    for (int j = 0; j < nang; ++j) {
      BoltStation& st = g.at[static_cast<std::size_t>(j) * nstep + i];
      double theta = radians(station_angle(grid, j));
      double r = d / 2.0 + i * grid.distance_step;
      double xb = r * std::cos(theta - beta);
      double yb = r * std::sin(theta - beta);
      cd z1 = xb + mu1 * yb;
      cd z2 = xb + mu2 * yb;

      // Map each hole-boundary problem onto the unit circle; the station lies outside the
      // circle on the right branch of the square root. Inside the hole no branch does.
      cd w1 = z1 * z1 - r2 - c1;
      cd w2 = z2 * z2 - r2 - c2;
      const cd root1 = std::sqrt(w1), root2 = std::sqrt(w2);  // principal roots
      cd s1 = root1, s2 = root2;
      auto map = [](cd z, cd s, cd e) { return divide(2.0 * (z + s), e); };
      auto inside = [](cd zeta) {
        return zeta.real() * zeta.real() + zeta.imag() * zeta.imag() < kOnUnitCircle;
      };
      cd zeta1 = map(z1, s1, e1), zeta2 = map(z2, s2, e2);
      bool mapped = true;
      if (inside(zeta1)) {
        s1 = -s1;
        zeta1 = map(z1, s1, e1);
        mapped = !inside(zeta1);
      }
      if (mapped && inside(zeta2)) {
        s2 = -s2;
        zeta2 = map(z2, s2, e2);
        mapped = !inside(zeta2);
      }
      // The stresses take the principal root, or its negative where z/s points away from +1.
      cd t1 = root1, t2 = root2;
      if (divide(z1, t1).real() < kBranchTest) t1 = -t1;
      if (divide(z2, t2).real() < kBranchTest) t2 = -t2;
      st = {zeta1, zeta2, t1, t2, yb, mapped};
    }
  }
  std::memcpy(g.key, key, sizeof key);
  g.nstep = nstep;
  g.nang = nang;
  return g;
}

// T(m), the integral of cos(t) e^(-imt) over the loaded arc |t| <= h, m = -49..49: the same for
// every load, so worked out once.
const cd* arc_integrals() {
  static const auto table = [] {
    const cd i_unit(0.0, 1.0);
    double h = kPiSingle / 2.0;
    std::array<cd, 2 * kMaxHarmonic + 1> arc;
    for (int m = -kMaxHarmonic; m <= kMaxHarmonic; ++m) {
      if (m == 1 || m == -1) {
        double re = h + std::sin(2.0 * h) / 4.0 - std::sin(-2.0 * h) / 4.0;
        double br =
            std::sin(h) * std::sin(h) / 2.0 - std::sin(-h) * std::sin(-h) / 2.0;
        arc[m + kMaxHarmonic] = re - i_unit * static_cast<double>(m) * br;
      } else {
        double dm = static_cast<double>(2 * m - 2), dp = static_cast<double>(2 * m + 2);
        double lo = (m - 1) * h, hi = (m + 1) * h;
        double re = std::sin(lo) / dm + std::sin(hi) / dp - std::sin(-lo) / dm -
                    std::sin(-hi) / dp;
        double br = -std::cos(lo) / dm - std::cos(hi) / dp + std::cos(-lo) / dm +
                    std::cos(-hi) / dp;
        arc[m + kMaxHarmonic] = re - i_unit * br;
      }
    }
    return arc;
  }();
  return table.data() + kMaxHarmonic;
}

}  // namespace

// The complex Fourier coefficients of the bearing pressure p0 cos(t) on |t| <= h (the half of the
// boundary facing the bolt), zero elsewhere: pf(m) = p0 T(m) / (2 pi), T(m) the integral of
// cos(t) e^(-imt) over the arc; and the resultant force of that pressure on a hole of diameter d.
void bearing_pressure(double p0, double d, std::complex<double> (&pf)[99], double& rf1,
                      double& rf2) {
  const cd i_unit(0.0, 1.0);
  const cd* arc = arc_integrals();
  cd* harmonic = pf + kMaxHarmonic;  // harmonic[m] = pf[49 + m], m = -49..49
  for (int m = -kMaxHarmonic; m <= kMaxHarmonic; ++m) harmonic[m] = p0 * arc[m] / (2.0 * kPiSingle);
  cd y = (i_unit * d) * harmonic[-1];
  rf1 = (2.0 * kPiSingle) * y.imag() / 2.0;
  rf2 = (2.0 * kPiSingle) * y.real() / 2.0;
}

int bolt_hole_field(const Grid& grid, double bearing, const Mat3& a, double bolt_angle,
                    bool displacements, BoltHoleCache& cache, GridVector& sig, GridScalar& u,
                    GridScalar& v, BoltSeries series_kind) {
  const double d = grid.diameter;
  double a11 = a(1, 1), a12 = a(1, 2), a16 = a(1, 3);
  double a22 = a(2, 2), a26 = a(2, 3);

  // 1. Characteristic roots. Without them there is no solution to build.
  cd mu1, mu2;
  if (!characteristic_roots(a, mu1, mu2)) {
    undefined_field(grid, sig, u, v);
    return 0;
  }
  double alpha1 = mu1.real(), beta1 = mu1.imag(), alpha2 = mu2.real(), beta2 = mu2.imag();
  // The converged series: every power, summed in closed form.
  const bool converged = series_kind == BoltSeries::converged;
  ExactBoltSeries exact;
  if (converged) {
    exact = exact_bolt_series(a, d, bearing);
    if (!exact.solved) {
      undefined_field(grid, sig, u, v);
      return 1;
    }
  }

  // 2. Displacement constants.
  auto [p1, q1] = displacement_coefficients(a, mu1);
  auto [p2, q2] = displacement_coefficients(a, mu2);
  int singular = 0;

  // 3, 4. Peak pressure; Fourier coefficients and resultant force of the boundary pressure.
  double p0 = bearing * 4.0 / kPiSingle;
  cd pf_store[2 * kMaxHarmonic + 1];
  cd* pf = pf_store + kMaxHarmonic;  // pf[m], m = -49..49
  double rf1, rf2;
  bearing_pressure(p0, d, pf_store, rf1, rf2);

  // 5. Series coefficients, one 4 by 4 system per power.
  cd sc1[kTerms + 1], sc2[kTerms + 1];
  for (int m = 1; m <= kTerms; ++m) {
    cd b1 = -d * pf[m - 1] / static_cast<double>(2 * m);
    cd b2 = d * pf[-m - 1] / static_cast<double>(2 * m);
    // The rows in complex form: (1 - i mu1) sc1 + (1 - i mu2) sc2 = conj(b1) and
    // (1 + i mu1) sc1 + (1 + i mu2) sc2 = b2, split into real and imaginary parts.
    const double rows[4][4] = {{1.0 + beta1, alpha1, 1.0 + beta2, alpha2},
                               {alpha1, -1.0 - beta1, alpha2, -1.0 - beta2},
                               {1.0 - beta1, -alpha1, 1.0 - beta2, -alpha2},
                               {alpha1, 1.0 - beta1, alpha2, 1.0 - beta2}};
    double columns[16];
    by_columns(rows, columns);
    double b[4] = {b1.real(), b1.imag(), b2.real(), b2.imag()};
    if (solve_linear(columns, b, 4) == LinearStatus::kSingular) ++singular;
    sc1[m] = cd(b[0], b[1]);
    sc2[m] = cd(b[2], b[3]);
  }

  // 6. The logarithmic terms that carry the resultant bolt force.
  double n1 = alpha1 * alpha1 + beta1 * beta1;
  double n2 = alpha2 * alpha2 + beta2 * beta2;
  // Im(mu1 l1 + mu2 l2), Im(l1 + l2), Im(mu1^2 l1 + mu2^2 l2) and Im(l1/mu1 + l2/mu2): the force
  // resultant and single-valued displacements around the hole.
  const double rows[4][4] = {{beta1, alpha1, beta2, alpha2},
                             {0.0, 1.0, 0.0, 1.0},
                             {2.0 * alpha1 * beta1, alpha1 * alpha1 - beta1 * beta1,
                              2.0 * alpha2 * beta2, alpha2 * alpha2 - beta2 * beta2},
                             {-beta1 / n1, alpha1 / n1, -beta2 / n2, alpha2 / n2}};
  double columns[16];
  by_columns(rows, columns);
  double b[4] = {rf1 / (kPiSingle * 4.0), rf2 / (kPiSingle * (-4.0)),
                 (a12 * rf2 + a16 * rf1) / (kPiSingle * 4.0 * a11),
                 (a12 * rf1 + a26 * rf2) / (kPiSingle * (-4.0) * a22)};
  if (solve_linear(columns, b, 4) == LinearStatus::kSingular) ++singular;
  cd l1(b[0], b[1]), l2(b[2], b[3]);

  // 7. The field at every station.
  double beta = radians(bolt_angle);
  const double nan = std::numeric_limits<double>::quiet_NaN();
  double cb = std::cos(beta), sb = std::sin(beta);
  // The same at every station: series coefficients times their power (the stress series), the
  // constant parts of the mapping.
  cd msc1[kTerms + 1], msc2[kTerms + 1];
  for (int m = 1; m <= kTerms; ++m) {
    msc1[m] = static_cast<double>(m) * sc1[m];
    msc2[m] = static_cast<double>(m) * sc2[m];
  }
  const BoltHoleCache& geo = bolt_geometry(grid, mu1, mu2, beta, cache);
  bool defined = admissible(a, mu1, mu2);  // otherwise no solution of this form
  const int nstep = step_count(grid), nang = station_count(grid);
  sig.resize(nang, nstep);
  u.resize(nang, nstep);
  v.resize(nang, nstep);
  // Products that do not change from station to station, formed as the formulas below form them.
  const cd mu11 = mu1 * mu1, mu22 = mu2 * mu2;
  const double cb2 = cb * cb, sb2 = sb * sb;
  double* const out0 = sig.data();
  double *ou = u.data(), *ov = v.data();
  for (int i = 0; i < nstep; ++i) {
    for (int j = 0; j < nang; ++j) {
    const std::size_t n = static_cast<std::size_t>(j) * nstep + i;
    double* out = out0 + 3 * n;
    const BoltStation& at = geo.at[n];
    if (!at.mapped || !defined) {
      out[0] = out[1] = out[2] = nan;
      ou[n] = ov[n] = nan;
      continue;
    }

    cd pw1[kTerms + 1], pw2[kTerms + 1], s1, s2, dphi1, dphi2;
    if (converged) {
      dphi1 = bolt_stress_function_derivative(exact, 0, at.zeta1);
      dphi2 = bolt_stress_function_derivative(exact, 1, at.zeta2);
    } else {
      series<false>(at.zeta1, at.zeta2, msc1, msc2, pw1, pw2, s1, s2);
      if (!finite(s1) || !finite(s2)) {
        series<true>(at.zeta1, at.zeta2, msc1, msc2, pw1, pw2, s1, s2);
      }
      dphi1 = divide(l1 - s1, at.t1);
      dphi2 = divide(l2 - s2, at.t2);
    }

    double sx = 2.0 * (mu11 * dphi1 + mu22 * dphi2).real();
    double sy = 2.0 * (dphi1 + dphi2).real();
    double txy = -2.0 * (mu1 * dphi1 + mu2 * dphi2).real();
    out[0] = sx * cb2 + sy * sb2 - 2.0 * txy * sb * cb;
    out[1] = sx * sb2 + sy * cb2 + 2.0 * txy * sb * cb;
    out[2] = (sx - sy) * sb * cb + txy * (cb2 - sb2);
    if (!displacements) {
      ou[n] = ov[n] = nan;
      continue;
    }

    cd phi1, phi2;
    if (converged) {
      phi1 = bolt_stress_function(exact, 0, at.zeta1, at.yb);
      phi2 = bolt_stress_function(exact, 1, at.zeta2, at.yb);
    } else {
      cd f1 = power_sum<false>(sc1, pw1), f2 = power_sum<false>(sc2, pw2);
      if (!finite(f1)) f1 = power_sum<true>(sc1, pw1);
      if (!finite(f2)) f2 = power_sum<true>(sc2, pw2);
      phi1 = l1 * log_behind_bolt(at.zeta1, at.yb) + f1;
      phi2 = l2 * log_behind_bolt(at.zeta2, at.yb) + f2;
    }
    double ub = 2.0 * (p1 * phi1 + p2 * phi2).real();
    double vb = 2.0 * (q1 * phi1 + q2 * phi2).real();
    // The displacements are along the bolt axes; turn them into the laminate axes, where the
    // open-hole displacements they are added to are measured.
    ou[n] = ub * cb - vb * sb;
    ov[n] = ub * sb + vb * cb;
    }
  }
  return converged ? 0 : singular;
}

}  // namespace hs
