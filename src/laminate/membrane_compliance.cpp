#include "laminate/membrane_compliance.hpp"

#include <cmath>

#include "laminate/ply_law.hpp"
#include "numeric/constants.hpp"
#include "numeric/inverse.hpp"

namespace hs {

namespace {

struct Invariants {
  double U1, U2, U3, U4, U5;
};

// Thickness-averaged membrane stiffness of the stack, each ply turned by its angle less shift
// (radians). The interface coordinates run from -HTOT/2 at the bottom face.
Mat3 averaged_stiffness(const PlyStack& plies, const Invariants* inv, double shift) {
  double QBAR[kMaxPlies][3][3];
  double cumulative[kMaxPlies];
  double HTOT = 0.0;
  int nply = plies.count;
  for (int k = 0; k < nply; ++k) {
    double T = plies.angle[k] * kPiSingle / 180.0 - shift;
    const Invariants& u = inv[plies.material[k]];
    double c2 = std::cos(2.0 * T), c4 = std::cos(4.0 * T);
    double s2 = std::sin(2.0 * T), s4 = std::sin(4.0 * T);
    double(&Q)[3][3] = QBAR[k];
    Q[0][0] = u.U1 + u.U2 * c2 + u.U3 * c4;
    Q[0][1] = u.U4 - u.U3 * c4;
    Q[1][1] = u.U1 - u.U2 * c2 + u.U3 * c4;
    Q[0][2] = (u.U2 / 2.0) * s2 + u.U3 * s4;
    Q[1][2] = (u.U2 / 2.0) * s2 - u.U3 * s4;
    Q[2][2] = u.U5 - u.U3 * c4;
    Q[1][0] = Q[0][1];
    Q[2][0] = Q[0][2];
    Q[2][1] = Q[1][2];
    HTOT = HTOT + plies.thickness[k];
    cumulative[k] = HTOT;
  }

  double ZK[kMaxPlies + 1];
  ZK[0] = HTOT / (-2.0);
  for (int k = 1; k <= nply; ++k) ZK[k] = ZK[0] + cumulative[k - 1];

  Mat3 averaged;
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j) {
      double sum = 0.0;
      for (int k = 1; k <= nply; ++k) sum = sum + QBAR[k - 1][i][j] * (ZK[k] - ZK[k - 1]);
      averaged(i + 1, j + 1) = sum / HTOT;
    }
  }
  return averaged;
}

}  // namespace

EngineeringConstants engineering_constants(const Mat3& A) {
  double EX = 1.0 / A(1, 1);
  double EY = 1.0 / A(2, 2);
  double VXY = -A(1, 2) * EX;
  double GXY = 1.0 / A(3, 3);
  return {EX, EY, GXY, VXY};
}

MembraneCompliance membrane_compliance(const Materials& materials, const PlyStack& plies,
                                       double bolt_angle) {
  Invariants inv[kMaxMaterials] = {};
  for (int m = 0; m < materials.count && m < kMaxMaterials; ++m) {
    const ElasticConstants& e = materials.elastic[m];
    double DEN = poisson_denominator(e);
    double Q11 = e.E1 / DEN;
    double Q22 = e.E2 / DEN;
    double Q12 = e.NU12 * e.E2 / DEN;
    double Q66 = e.G12;
    Invariants& u = inv[m];
    u.U1 = (3.0 * Q11 + 3.0 * Q22 + 2.0 * Q12 + 4.0 * Q66) / 8.0;
    u.U2 = (Q11 - Q22) / 2.0;
    u.U3 = (Q11 + Q22 - 2.0 * Q12 - 4.0 * Q66) / 8.0;
    u.U4 = (Q11 + Q22 + 6.0 * Q12 - 4.0 * Q66) / 8.0;
    u.U5 = (Q11 + Q22 - 2.0 * Q12 + 4.0 * Q66) / 8.0;
  }

  MembraneCompliance result{};
  result.singular_laminate_axes =
      !inverse(averaged_stiffness(plies, inv, 0.0), result.compliance.laminate_axes);
  // Every ply angle measured from the bolt loading direction.
  double shift = bolt_angle * kPiSingle / 180.0;
  result.singular_bolt_axes =
      !inverse(averaged_stiffness(plies, inv, shift), result.compliance.bolt_axes);
  return result;
}

}  // namespace hs
