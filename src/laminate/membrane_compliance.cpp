#include "laminate/membrane_compliance.hpp"

#include <cmath>

#include "laminate/ply_law.hpp"
#include "numeric/constants.hpp"
#include "numeric/inverse.hpp"

namespace hs {

namespace {

struct Invariants {
  double u1, u2, u3, u4, u5;
};

// The stiffness invariants of a unidirectional ply.
Invariants invariants(const ElasticConstants& e) {
  const double den = poisson_denominator(e);
  const double q11 = e.E1 / den;
  const double q22 = e.E2 / den;
  const double q12 = e.NU12 * e.E2 / den;
  const double q66 = e.G12;
  return {(3.0 * q11 + 3.0 * q22 + 2.0 * q12 + 4.0 * q66) / 8.0, (q11 - q22) / 2.0,
          (q11 + q22 - 2.0 * q12 - 4.0 * q66) / 8.0, (q11 + q22 + 6.0 * q12 - 4.0 * q66) / 8.0,
          (q11 + q22 - 2.0 * q12 + 4.0 * q66) / 8.0};
}

// The reduced stiffness of a ply turned by t radians.
void rotated_stiffness(const Invariants& u, double t, double (&q)[3][3]) {
  const double c2 = std::cos(2.0 * t), c4 = std::cos(4.0 * t);
  const double s2 = std::sin(2.0 * t), s4 = std::sin(4.0 * t);
  q[0][0] = u.u1 + u.u2 * c2 + u.u3 * c4;
  q[0][1] = u.u4 - u.u3 * c4;
  q[1][1] = u.u1 - u.u2 * c2 + u.u3 * c4;
  q[0][2] = (u.u2 / 2.0) * s2 + u.u3 * s4;
  q[1][2] = (u.u2 / 2.0) * s2 - u.u3 * s4;
  q[2][2] = u.u5 - u.u3 * c4;
  q[1][0] = q[0][1];
  q[2][0] = q[0][2];
  q[2][1] = q[1][2];
}

// Thickness-averaged membrane stiffness of the stack, each ply turned by its angle less shift
// (radians). The interface coordinates z run from -h/2 at the bottom face; each ply adds its
// stiffness times its z-extent, bottom ply first.
Mat3 averaged_stiffness(const Materials& materials, const PlyStack& plies, double shift) {
  const int nply = plies.count;
  double h = 0.0;
  for (int k = 0; k < nply; ++k) h = h + plies.thickness[k];
  const double z0 = h / (-2.0);
  double sum[3][3] = {};
  double below = z0, cumulative = 0.0;
  for (int k = 0; k < nply; ++k) {
    double q[3][3];
    rotated_stiffness(invariants(materials.elastic[plies.material[k]]),
                      radians(plies.angle[k]) - shift, q);
    cumulative = cumulative + plies.thickness[k];
    const double above = z0 + cumulative;
    for (int i = 0; i < 3; ++i) {
      for (int j = 0; j < 3; ++j) sum[i][j] = sum[i][j] + q[i][j] * (above - below);
    }
    below = above;
  }
  Mat3 averaged;
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j) averaged(i + 1, j + 1) = sum[i][j] / h;
  }
  return averaged;
}

}  // namespace

EngineeringConstants engineering_constants(const Mat3& a) {
  const double ex = 1.0 / a(1, 1);
  const double ey = 1.0 / a(2, 2);
  const double vxy = -a(1, 2) * ex;
  const double gxy = 1.0 / a(3, 3);
  return {ex, ey, gxy, vxy};
}

MembraneCompliance membrane_compliance(const Materials& materials, const PlyStack& plies,
                                       double bolt_angle) {
  MembraneCompliance result{};
  result.singular_laminate_axes =
      !inverse(averaged_stiffness(materials, plies, 0.0), result.compliance.laminate_axes);
  // Every ply angle measured from the bolt loading direction.
  result.singular_bolt_axes = !inverse(averaged_stiffness(materials, plies, radians(bolt_angle)),
                                       result.compliance.bolt_axes);
  return result;
}

}  // namespace hs
