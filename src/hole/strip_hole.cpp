#include "hole/strip_hole.hpp"

#include <Eigen/Dense>
#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <utility>

#include "hole/characteristic_roots.hpp"

namespace hs {

namespace {

using cd = std::complex<double>;
constexpr double kPi = std::numbers::pi;
const cd kI(0.0, 1.0);
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// The stresses of the stress-function derivatives d1, d2 (Lekhnitskii):
// sigma-x = 2 Re(mu1^2 d1 + mu2^2 d2), sigma-y = 2 Re(d1 + d2), tau-xy = -2 Re(mu1 d1 + mu2 d2).
void stresses(const cd* mu, const cd* d, double* sig) {
  sig[0] = 2.0 * (mu[0] * mu[0] * d[0] + mu[1] * mu[1] * d[1]).real();
  sig[1] = 2.0 * (d[0] + d[1]).real();
  sig[2] = -2.0 * (mu[0] * d[0] + mu[1] * d[1]).real();
}

// Where a point lies for each stress function: its mapped variable (for the negative powers) and
// its scaled coordinate over the strip's length (for the polynomials). False outside the plate.
struct Place {
  cd zeta[2], xi[2];
};
bool place_of(const StripSolution& s, double x, double y, Place& at) {
  const double r = s.geometry.diameter / 2.0, half = s.geometry.width / 2.0;
  constexpr double kSlack = 1e-12;  // points on the boundary, to rounding
  const double scale = s.x_front - s.x_back;
  if (!(x >= s.x_back - kSlack * scale && x <= s.x_front + kSlack * scale)) return false;
  if (!(std::fabs(y) <= half * (1.0 + kSlack))) return false;
  const double centre = 0.5 * (s.x_front + s.x_back), h = 0.5 * (s.x_front - s.x_back);
  for (int k = 0; k < 2; ++k) {
    at.zeta[k] = mapped_variable(s.mu[k], r, x, y);
    if (std::isnan(at.zeta[k].real())) return false;
    at.xi[k] = (x + s.mu[k] * y - centre) / h;
  }
  return true;
}

// The basis of stress function k at one place: derivatives g (for the stresses) and, when f is
// given, values (for the displacements). Negative powers zeta^-n, n = 1..N, then Chebyshev
// polynomials T_m(xi), m = 1..M: d(zeta^-n)/dz = -n zeta^-n / root and dT_m/dz = m U_(m-1) / h.
void basis(const StripSolution& s, int k, const Place& at, cd* g, cd* f) {
  const int n_hole = s.settings.hole_terms, n_outer = s.settings.outer_terms;
  const double r = s.geometry.diameter / 2.0, h = 0.5 * (s.x_front - s.x_back);
  const cd w = 1.0 / at.zeta[k];
  const cd root = mapping_root(s.mu[k], r, at.zeta[k]);
  cd power = 1.0;
  for (int n = 1; n <= n_hole; ++n) {
    power *= w;
    g[n - 1] = -static_cast<double>(n) * power / root;
    if (f) f[n - 1] = power;
  }
  const cd xi = at.xi[k];
  cd t_prev = 1.0, t = xi, u_prev = 1.0, u = 2.0 * xi;  // T_0, T_1, U_0, U_1
  for (int m = 1; m <= n_outer; ++m) {
    g[n_hole + m - 1] = static_cast<double>(m) * u_prev / h;  // m U_(m-1) / h
    if (f) f[n_hole + m - 1] = t;
    cd t_next = 2.0 * xi * t - t_prev, u_next = 2.0 * xi * u - u_prev;
    t_prev = t;
    t = t_next;
    u_prev = u;
    u = u_next;
  }
}

// The infinite-plate parts of both unit loads: stress-function derivatives and values.
void infinite_plate(const StripSolution& s, const Place& at, double y, bool values, cd d[2][2],
                    cd f[2][2]) {
  const double r = s.geometry.diameter / 2.0;
  for (int k = 0; k < 2; ++k) {
    d[kStripBearing][k] = bolt_stress_function_derivative(s.bolt, k, at.zeta[k]);
    const cd root = mapping_root(s.mu[k], r, at.zeta[k]);
    d[kStripBypass][k] = -s.open_hole[k] / (at.zeta[k] * root);
    if (values) {
      f[kStripBearing][k] = bolt_stress_function(s.bolt, k, at.zeta[k], y);
      f[kStripBypass][k] = s.open_hole[k] / at.zeta[k];
    }
  }
}

// The whole stress functions of both unit loads at one place: infinite plate plus correction,
// summed without storage (the basis by its recurrences).
void stress_functions(const StripSolution& s, const Place& at, double y, bool values, cd d[2][2],
                      cd f[2][2]) {
  infinite_plate(s, at, y, values, d, f);
  const int n_hole = s.settings.hole_terms, n_outer = s.settings.outer_terms;
  const double r = s.geometry.diameter / 2.0, h = 0.5 * (s.x_front - s.x_back);
  for (int k = 0; k < 2; ++k) {
    const cd w = 1.0 / at.zeta[k];
    const cd root = mapping_root(s.mu[k], r, at.zeta[k]);
    const std::vector<cd>& c0 = s.coef[kStripBearing][k];
    const std::vector<cd>& c1 = s.coef[kStripBypass][k];
    cd power = 1.0, d0, d1, f0, f1;
    for (int n = 1; n <= n_hole; ++n) {
      power *= w;
      d0 += c0[n - 1] * static_cast<double>(n) * power;
      d1 += c1[n - 1] * static_cast<double>(n) * power;
      f0 += c0[n - 1] * power;
      f1 += c1[n - 1] * power;
    }
    d0 = -d0 / root;
    d1 = -d1 / root;
    const cd xi = at.xi[k];
    cd t_prev = 1.0, t = xi, u_prev = 1.0, u = 2.0 * xi;
    cd e0, e1;
    for (int m = 1; m <= n_outer; ++m) {
      const int j = n_hole + m - 1;
      e0 += c0[j] * static_cast<double>(m) * u_prev;
      e1 += c1[j] * static_cast<double>(m) * u_prev;
      f0 += c0[j] * t;
      f1 += c1[j] * t;
      cd t_next = 2.0 * xi * t - t_prev, u_next = 2.0 * xi * u - u_prev;
      t_prev = t;
      t = t_next;
      u_prev = u;
      u = u_next;
    }
    d[kStripBearing][k] += d0 + e0 / h;
    d[kStripBypass][k] += d1 + e1 / h;
    if (values) {
      f[kStripBearing][k] += f0;
      f[kStripBypass][k] += f1;
    }
  }
}

// Stresses of one unit load from its stress-function derivatives; the bypass adds its uniform
// far field sigma-x = 1.
void unit_stresses(const StripSolution& s, int load, const cd d[2], double* sig) {
  stresses(s.mu, d, sig);
  if (load == kStripBypass) sig[0] += 1.0;
}

// Displacements of one unit load before the rigid motion is removed: 2 Re(p1 F1 + p2 F2),
// 2 Re(q1 F1 + q2 F2), and for the bypass the uniform strain's (a11, a12, a16 times 1) without
// rotation. Also the rotation (dv/dx - du/dy) / 2.
void raw_displacement(const StripSolution& s, int load, const cd f[2], const cd d[2], double x,
                      double y, double& u, double& v, double& turn) {
  u = 2.0 * (s.p[0] * f[0] + s.p[1] * f[1]).real();
  v = 2.0 * (s.q[0] * f[0] + s.q[1] * f[1]).real();
  double du_dy = 2.0 * (s.p[0] * s.mu[0] * d[0] + s.p[1] * s.mu[1] * d[1]).real();
  double dv_dx = 2.0 * (s.q[0] * d[0] + s.q[1] * d[1]).real();
  turn = 0.5 * (dv_dx - du_dy);
  if (load == kStripBypass) {
    const Mat3& a = s.compliance;
    u += a(1, 1) * x + 0.5 * a(1, 3) * y;
    v += 0.5 * a(1, 3) * x + a(1, 2) * y;
  }
}

// A boundary point with its outward normal and the weight of its two equations.
struct Point {
  double x, y, nx, ny, weight;
};
enum Boundary { kHole, kSides, kFront, kBack, kBoundaries };

// Points along each boundary: `count` per piece, at Chebyshev points of the straight pieces (which
// crowd towards the corners) and evenly round the hole, or, for checking, `count` evenly spaced
// points on every piece.
void boundary_points(const StripSolution& s, int b, int count, bool check,
                     std::vector<Point>& out) {
  const double r = s.geometry.diameter / 2.0, half = s.geometry.width / 2.0;
  const double h = 0.5 * (s.x_front - s.x_back), centre = 0.5 * (s.x_front + s.x_back);
  auto spread = [&](int i) {  // in (-1, 1)
    return check ? -1.0 + 2.0 * (i + 0.5) / count : std::cos(kPi * (i + 0.5) / count);
  };
  out.clear();
  if (b == kHole) {
    const double weight = s.settings.hole_weight * std::sqrt(2.0 * kPi * r / count);
    for (int i = 0; i < count; ++i) {
      double t = 2.0 * kPi * (i + (check ? 0.25 : 0.5)) / count;
      out.push_back({r * std::cos(t), r * std::sin(t), -std::cos(t), -std::sin(t), weight});
    }
  } else if (b == kSides) {
    const double weight = std::sqrt(2.0 * h / count);
    for (int i = 0; i < count; ++i) {
      double x = centre + h * spread(i);
      out.push_back({x, half, 0.0, 1.0, weight});
      out.push_back({x, -half, 0.0, -1.0, weight});
    }
  } else {
    const double x = b == kFront ? s.x_front : s.x_back, nx = b == kFront ? 1.0 : -1.0;
    const double weight = std::sqrt(2.0 * half / count);
    for (int i = 0; i < count; ++i) out.push_back({x, half * spread(i), nx, 0.0, weight});
  }
}

// The traction each unit load must have at a boundary point: the bearing pressure on the hole
// (p0 cos t, p0 = 4/pi, on the half facing +x), the far end's reaction at the back end (bearing
// D / W) and the bypass on both ends; zero elsewhere.
void target_traction(const StripSolution& s, int b, const Point& pt, double t[2][2]) {
  t[0][0] = t[0][1] = t[1][0] = t[1][1] = 0.0;
  if (b == kHole) {
    const double c = -pt.nx;  // cos of the polar angle
    if (c > 0.0) {
      const double p = 4.0 / kPi * c;
      t[kStripBearing][0] = -p * pt.nx;
      t[kStripBearing][1] = -p * pt.ny;
    }
  } else if (b == kBack) {
    t[kStripBearing][0] = -s.geometry.diameter / s.geometry.width;
    if (s.has_bypass) t[kStripBypass][0] = -1.0;
  } else if (b == kFront && s.has_bypass) {
    t[kStripBypass][0] = 1.0;
  }
}

void traction(const double* sig, const Point& pt, double* t) {
  t[0] = sig[0] * pt.nx + sig[2] * pt.ny;
  t[1] = sig[2] * pt.nx + sig[1] * pt.ny;
}

}  // namespace

StripSolution solve_strip_hole(const Mat3& A, const StripGeometry& geometry,
                               const StripSettings& settings) {
  StripSolution s;
  s.geometry = geometry;
  s.settings = settings;
  s.compliance = A;
  const double D = geometry.diameter, W = geometry.width, e = geometry.edge_distance;
  const double r = D / 2.0;
  if (!(D > 0.0 && W > D && std::isfinite(W) && e >= 0.0 && std::isfinite(e)) ||
      (e > 0.0 && !(e > r))) {
    s.status = StripStatus::bad_geometry;
    return s;
  }
  const int n_hole = settings.hole_terms, n_outer = settings.outer_terms;
  const int per_root = n_hole + n_outer;
  const int unknowns = 4 * per_root - 1;
  const int equations =
      2 * (settings.hole_points + 2 * settings.side_points + 2 * settings.end_points);
  if (n_hole < 1 || n_outer < 2 || settings.hole_points < 8 || settings.side_points < 4 ||
      settings.end_points < 2 || equations < unknowns || !(settings.far_end > 0.0) ||
      !(settings.hole_weight > 0.0)) {
    s.status = StripStatus::bad_settings;
    return s;
  }

  // 1. The laminate: roots, displacement coefficients, the two infinite-plate solutions.
  s.bolt = exact_bolt_series(A, D, 1.0);
  if (!s.bolt.solved) {
    s.status = StripStatus::no_solution;
    return s;
  }
  for (int k = 0; k < 2; ++k) {
    s.mu[k] = s.bolt.mu[k];
    auto [p, q] = displacement_coefficients(A, s.mu[k]);
    s.p[k] = p;
    s.q[k] = q;
  }
  const cd delta = s.mu[0] - s.mu[1];
  // Lekhnitskii's open hole under sigma-x = 1: Phi_1 = -i r / (2 (mu1 - mu2)) / zeta_1 and the
  // opposite for Phi_2, on top of the uniform field.
  s.open_hole[0] = -kI * r / (2.0 * delta);
  s.open_hole[1] = kI * r / (2.0 * delta);

  // 2. The model's ends: the free end at e, or far ends standing for a strip that runs on.
  const double far = std::max(settings.far_end * W, 3.0 * D);
  s.has_bypass = e == 0.0;
  s.x_back = -far;
  s.x_front = s.has_bypass ? far : e;

  // 3. The least-squares system. Per basis function of the correction, four real unknowns: the
  // real and imaginary parts of a coefficient taken alike in both stress functions, and of one
  // taken with opposite signs over (mu1 - mu2). For a nearly isotropic laminate (roots a hair
  // apart) the two stress functions' columns are all but equal; their sum and scaled difference
  // are not. One column of the first polynomial, whose uniform stress has a null direction (a
  // rigid rotation), is dropped.
  //
  // A laminate orthotropic in the strip's axes (a16 = a26 = 0, to the rounding of ply angles held
  // in single precision) loaded along the strip is symmetric about its axis: then the roots are
  // i beta_1, i beta_2 or a pair -conj(mu_1) = mu_2, and a field even in y takes the alike
  // coefficients real and the opposite ones imaginary. Only those columns, and only the points on
  // and above the axis, go into the fit: a quarter of the work, the same solution.
  const int columns = 4 * per_root;
  const double diagonal = std::max({std::fabs(A(1, 1)), std::fabs(A(2, 2)), std::fabs(A(3, 3))});
  const bool symmetric =
      std::fabs(A(1, 3)) <= 1e-6 * diagonal && std::fabs(A(2, 3)) <= 1e-6 * diagonal;
  auto kept = [&](int column) { return !symmetric || column % 4 == 0 || column % 4 == 3; };
  std::vector<Point> pts;
  const int counts[kBoundaries] = {settings.hole_points, settings.side_points, settings.end_points,
                                   settings.end_points};
  std::vector<std::pair<int, Point>> fit;
  for (int b = 0; b < kBoundaries; ++b) {
    boundary_points(s, b, counts[b], false, pts);
    for (const Point& pt : pts) {
      if (!symmetric || pt.y >= 0.0) fit.push_back({b, pt});
    }
  }
  const int rows = 2 * static_cast<int>(fit.size());
  Eigen::MatrixXd M(rows, columns);
  Eigen::MatrixXd rhs(rows, 2);
  std::vector<cd> g1(per_root), g2(per_root);
  int row = 0;
  {
    for (const auto& [b, pt] : fit) {
      Place at;
      if (!place_of(s, pt.x, pt.y, at)) {
        s.status = StripStatus::no_solution;
        return s;
      }
      basis(s, 0, at, g1.data(), nullptr);
      basis(s, 1, at, g2.data(), nullptr);
      for (int j = 0; j < per_root; ++j) {
        // Stress components of the alike (a) and opposite (o) combinations, complex weights.
        const cd a[3] = {s.mu[0] * s.mu[0] * g1[j] + s.mu[1] * s.mu[1] * g2[j], g1[j] + g2[j],
                         -(s.mu[0] * g1[j] + s.mu[1] * g2[j])};
        const cd o[3] = {(s.mu[0] * s.mu[0] * g1[j] - s.mu[1] * s.mu[1] * g2[j]) / delta,
                         (g1[j] - g2[j]) / delta, -(s.mu[0] * g1[j] - s.mu[1] * g2[j]) / delta};
        const cd* parts[2] = {a, o};
        for (int c = 0; c < 4; ++c) {
          const cd* q = parts[c / 2];
          // real part of the coefficient: 2 Re(q); imaginary part: 2 Re(i q) = -2 Im(q)
          double sig[3];
          for (int i = 0; i < 3; ++i) sig[i] = c % 2 == 0 ? 2.0 * q[i].real() : -2.0 * q[i].imag();
          double t[2];
          traction(sig, pt, t);
          M(row, 4 * j + c) = pt.weight * t[0];
          M(row + 1, 4 * j + c) = pt.weight * t[1];
        }
      }
      cd d[2][2], f[2][2];
      infinite_plate(s, at, pt.y, false, d, f);
      double want[2][2];
      target_traction(s, b, pt, want);
      for (int load = 0; load < 2; ++load) {
        double sig[3], t[2];
        unit_stresses(s, load, d[load], sig);
        traction(sig, pt, t);
        rhs(row, load) = pt.weight * (want[load][0] - t[0]);
        rhs(row + 1, load) = pt.weight * (want[load][1] - t[1]);
      }
      row += 2;
    }
  }

  // The rigid rotation among the first polynomial's four columns: the null vector of their
  // uniform stresses; the column that carries most of it goes.
  Eigen::Matrix<double, 3, 4> uniform;
  for (int c = 0; c < 4; ++c) {
    const double hstep = 0.5 * (s.x_front - s.x_back);
    const cd g = 1.0 / hstep;
    const cd a[3] = {(s.mu[0] * s.mu[0] + s.mu[1] * s.mu[1]) * g, 2.0 * g,
                     -(s.mu[0] + s.mu[1]) * g};
    const cd o[3] = {(s.mu[0] + s.mu[1]) * g, 0.0, -g};
    const cd* q = c < 2 ? a : o;
    for (int i = 0; i < 3; ++i) uniform(i, c) = c % 2 == 0 ? 2.0 * q[i].real() : -2.0 * q[i].imag();
  }
  int first[4], n_first = 0;
  for (int c = 0; c < 4; ++c) {
    if (kept(4 * n_hole + c)) first[n_first++] = c;
  }
  Eigen::MatrixXd uniform_kept(3, n_first);
  for (int c = 0; c < n_first; ++c) uniform_kept.col(c) = uniform.col(first[c]);
  Eigen::FullPivLU<Eigen::MatrixXd> lu(uniform_kept);
  int drop = -1;  // none when the kept columns have no rigid rotation among them
  if (lu.dimensionOfKernel() > 0) {
    Eigen::MatrixXd null = lu.kernel();
    Eigen::Index at;
    null.col(0).cwiseAbs().maxCoeff(&at);
    drop = 4 * n_hole + first[at];
  }

  // 4. Scaled columns, the dropped one left out; column-pivoting QR; the coefficients back.
  int n_kept = 0;
  for (int c = 0; c < columns; ++c) n_kept += c != drop && kept(c);
  Eigen::MatrixXd K(rows, n_kept);
  Eigen::VectorXd scale(n_kept);
  for (int c = 0, k = 0; c < columns; ++c) {
    if (c == drop || !kept(c)) continue;
    double norm = M.col(c).norm();
    scale(k) = norm > 0.0 ? 1.0 / norm : 1.0;
    K.col(k) = M.col(c) * scale(k);
    ++k;
  }
  // A blocked Householder QR first (K = Q R, the bulk of the work at full speed), then the
  // column-pivoting QR of the square R, which reveals the rank of K as well as K's own would.
  Eigen::HouseholderQR<Eigen::MatrixXd> blocked(K);
  Eigen::MatrixXd R = blocked.matrixQR().topRows(n_kept).triangularView<Eigen::Upper>();
  Eigen::MatrixXd qt_rhs = (blocked.householderQ().adjoint() * rhs).topRows(n_kept);
  Eigen::ColPivHouseholderQR<Eigen::MatrixXd> qr(R);
  Eigen::MatrixXd x = qr.solve(qt_rhs);
  for (int load = 0; load < 2; ++load) {
    std::vector<double> full(columns, 0.0);
    for (int c = 0, k = 0; c < columns; ++c) {
      if (c == drop || !kept(c)) continue;
      full[c] = x(k, load) * scale(k);
      ++k;
    }
    for (int k = 0; k < 2; ++k) s.coef[load][k].assign(per_root, cd(0.0, 0.0));
    for (int j = 0; j < per_root; ++j) {
      cd alike(full[4 * j], full[4 * j + 1]), opposite(full[4 * j + 2], full[4 * j + 3]);
      s.coef[load][0][j] = alike + opposite / delta;
      s.coef[load][1][j] = alike - opposite / delta;
    }
  }
  if (!s.has_bypass) {
    for (int k = 0; k < 2; ++k) s.coef[kStripBypass][k].assign(per_root, cd(0.0, 0.0));
  }
  s.status = StripStatus::ok;

  // 5. The rigid motion of each unit load: the point behind the hole held, not turning.
  {
    const double xr = -r, yr = 0.0;
    Place at;
    place_of(s, xr, yr, at);
    cd d[2][2], f[2][2];
    stress_functions(s, at, yr, true, d, f);
    for (int load = 0; load < 2; ++load) {
      double u, v, turn;
      raw_displacement(s, load, f[load], d[load], xr, yr, u, v, turn);
      s.rigid[load][0] = u;
      s.rigid[load][1] = v;
      s.rigid[load][2] = turn;
    }
  }

  // 6. The peak hoop stress on the edge and the residual tractions between the points.
  for (int load = 0; load < 2; ++load) s.peak_hoop[load] = 0.0;
  const int stations = 720;
  for (int i = 0; i < stations; ++i) {
    const double t = 2.0 * kPi * i / stations, c = std::cos(t), n = std::sin(t);
    StripUnitValues v;
    strip_unit_values(s, r * c, r * n, false, v);
    for (int load = 0; load < (s.has_bypass ? 2 : 1); ++load) {
      const double* sig = v.stress[load];
      s.peak_hoop[load] =
          std::max(s.peak_hoop[load], sig[0] * n * n + sig[1] * c * c - 2.0 * sig[2] * n * c);
    }
  }
  for (int b = 0; b < kBoundaries; ++b) {
    if (counts[b] == 0) continue;
    boundary_points(s, b, 4 * counts[b], true, pts);
    double worst[2] = {0.0, 0.0};
    for (const Point& pt : pts) {
      Place at;
      place_of(s, pt.x, pt.y, at);
      cd d[2][2], f[2][2];
      stress_functions(s, at, pt.y, false, d, f);
      double want[2][2];
      target_traction(s, b, pt, want);
      for (int load = 0; load < 2; ++load) {
        double sig[3], t[2];
        unit_stresses(s, load, d[load], sig);
        traction(sig, pt, t);
        worst[load] = std::max(worst[load], std::hypot(t[0] - want[load][0], t[1] - want[load][1]));
      }
    }
    for (int load = 0; load < 2; ++load) {
      double pct = s.peak_hoop[load] > 0.0 ? 100.0 * worst[load] / s.peak_hoop[load] : 0.0;
      double* slot[kBoundaries] = {&s.residual[load].hole, &s.residual[load].sides,
                                   &s.residual[load].front_end, &s.residual[load].back_end};
      *slot[b] = pct;
    }
  }
  if (!s.has_bypass) s.residual[kStripBypass] = StripResidual{};
  return s;
}

StripStatus strip_unit_values(const StripSolution& s, double x, double y, bool displacements,
                              StripUnitValues& out) {
  for (int load = 0; load < 2; ++load) {
    out.stress[load][0] = out.stress[load][1] = out.stress[load][2] = kNaN;
    out.u[load] = out.v[load] = kNaN;
  }
  if (s.status != StripStatus::ok) return s.status;
  Place at;
  if (!place_of(s, x, y, at)) return StripStatus::outside;
  cd d[2][2], f[2][2];
  stress_functions(s, at, y, displacements, d, f);
  for (int load = 0; load < 2; ++load) {
    if (load == kStripBypass && !s.has_bypass) continue;
    unit_stresses(s, load, d[load], out.stress[load]);
    if (!displacements) continue;
    double u, v, turn;
    raw_displacement(s, load, f[load], d[load], x, y, u, v, turn);
    const double xr = -s.geometry.diameter / 2.0;
    const double* rigid = s.rigid[load];
    // Less the reference point's displacement and rotation (u = -w y, v = w x about it).
    out.u[load] = u - rigid[0] + rigid[2] * y;
    out.v[load] = v - rigid[1] - rigid[2] * (x - xr);
  }
  return StripStatus::ok;
}

StripStatus strip_values(const StripSolution& s, double bearing, double bypass, double x, double y,
                         bool displacements, StripValues& out) {
  out.stress[0] = out.stress[1] = out.stress[2] = out.u = out.v = kNaN;
  if (s.status != StripStatus::ok) return s.status;
  if (bypass != 0.0 && !s.has_bypass) return StripStatus::bypass_with_edge;
  StripUnitValues unit;
  StripStatus status = strip_unit_values(s, x, y, displacements, unit);
  if (status != StripStatus::ok) return status;
  const bool with_bypass = s.has_bypass;
  for (int c = 0; c < 3; ++c) {
    out.stress[c] = bearing * unit.stress[kStripBearing][c];
    if (with_bypass) out.stress[c] += bypass * unit.stress[kStripBypass][c];
  }
  if (displacements) {
    out.u = bearing * unit.u[kStripBearing] + (with_bypass ? bypass * unit.u[kStripBypass] : 0.0);
    out.v = bearing * unit.v[kStripBearing] + (with_bypass ? bypass * unit.v[kStripBypass] : 0.0);
  }
  return StripStatus::ok;
}

StripStatus strip_values_polar(const StripSolution& s, double bearing, double bypass, double r,
                               double theta, bool displacements, StripValues& out) {
  return strip_values(s, bearing, bypass, r * std::cos(theta), r * std::sin(theta), displacements,
                      out);
}

double strip_edge_hoop_stress(const StripSolution& s, double bearing, double bypass, double theta) {
  StripValues v;
  const double c = std::cos(theta), n = std::sin(theta);
  if (strip_values_polar(s, bearing, bypass, s.geometry.diameter / 2.0, theta, false, v) !=
      StripStatus::ok) {
    return kNaN;
  }
  return v.stress[0] * n * n + v.stress[1] * c * c - 2.0 * v.stress[2] * n * c;
}

}  // namespace hs
