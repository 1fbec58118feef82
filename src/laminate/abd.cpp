#include "laminate/abd.hpp"

#include <cmath>

#include "control/putout.hpp"
#include "numeric/inverse.hpp"

namespace hs {

namespace {

constexpr double kPi = 3.1415927410125732;  // pi held in single precision: the tables use it

struct Invariants {
  double U1, U2, U3, U4, U5;
};

// Thickness-averaged membrane stiffness of the stack, each ply turned by its angle less shift
// (radians). The interface coordinates run from -HTOT/2 at the bottom face.
Mat3 averaged_stiffness(const Two& two, const Invariants* inv, double shift) {
  double QBAR[kMaxPly][3][3];
  double cumulative[kMaxPly];
  double HTOT = 0.0;
  int nply = two.NPLY;
  for (int k = 0; k < nply; ++k) {
    double T = two.ANGLE[k] * kPi / 180.0 - shift;
    const Invariants& u = inv[two.MATNO[k] - 1];
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
    HTOT = HTOT + two.THICK[k];
    cumulative[k] = HTOT;
  }

  double ZK[kMaxPly + 1];
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

void abd(State& st, Console& con, double& BA) {
  const One& one = st.one;
  Invariants inv[kMaxMat] = {};
  for (int m = 0; m < st.two.NMAT && m < kMaxMat; ++m) {
    double NU21 = one.E2[m] * one.NU12[m] / one.E1[m];
    double DEN = 1.0 - one.NU12[m] * NU21;
    double Q11 = one.E1[m] / DEN;
    double Q22 = one.E2[m] / DEN;
    double Q12 = one.NU12[m] * one.E2[m] / DEN;
    double Q66 = one.G12[m];
    Invariants& u = inv[m];
    u.U1 = (3.0 * Q11 + 3.0 * Q22 + 2.0 * Q12 + 4.0 * Q66) / 8.0;
    u.U2 = (Q11 - Q22) / 2.0;
    u.U3 = (Q11 + Q22 - 2.0 * Q12 - 4.0 * Q66) / 8.0;
    u.U4 = (Q11 + Q22 + 6.0 * Q12 - 4.0 * Q66) / 8.0;
    u.U5 = (Q11 + Q22 - 2.0 * Q12 + 4.0 * Q66) / 8.0;
  }

  // Laminate axes.
  Mat3 stiffness = averaged_stiffness(st.two, inv, 0.0);
  st.blank.ISTEP = 1;
  inverse(stiffness, st.six.ASTAR, st.blank, con);

  EngineeringConstants e = engineering_constants(st.six.ASTAR);
  if (putout(st, 2) == 2.0) {
    con.write(
        "(/25X,'LAMINATE PROPERTIES'/' EX = ',E9.3,2X,'EY = ',E9.3,2X,'GXY = ',E9.3,2X,'VXY = ',F5.3)",
        {e.EX, e.EY, e.GXY, e.VXY});
  }

  // Axes of the bolt load: every ply angle measured from the bolt loading direction.
  BA = BA * kPi / 180.0;
  Mat3 bolt_stiffness = averaged_stiffness(st.two, inv, BA);
  st.blank.ISTEP = 4;
  inverse(bolt_stiffness, st.seven.ASTARB, st.blank, con);
}

}  // namespace hs
