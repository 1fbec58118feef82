#include "ply/plystr.hpp"

#include <cmath>

#include "control/putout.hpp"

namespace hs {

namespace {

constexpr double kPi = 3.1415927410125732;  // pi held in single precision: the tables use it

// Laminate strains turned into the material axes of every ply; printed when print is set.
void strain_pass(State& st, Console& con, bool print) {
  const Three& g = st.three;
  Nine& n = st.nine;
  int nstep = step_count(g), nang = station_count(g);
  double cp[kMaxPly], sp[kMaxPly];  // the same at every station
  for (int p = 0; p < st.two.NPLY; ++p) {
    double theta = st.two.ANGLE[p] * kPi / 180.0;
    cp[p] = std::cos(theta);
    sp[p] = std::sin(theta);
  }
  for (int k = 0; k < nstep; ++k) {
    for (int j = 0; j < nang; ++j) {
      const double* e = st.eight.EPSL[j][k];
      for (int p = 0; p < st.two.NPLY; ++p) {
        double c = cp[p], s = sp[p];
        double eps1 = c * c * e[0] + s * s * e[1] + s * c * e[2];
        double eps2 = s * s * e[0] + c * c * e[1] - s * c * e[2];
        double gam12 = -2.0 * s * c * e[0] + 2.0 * s * c * e[1] + (c * c - s * s) * e[2];
        n.PLY1[j][k][p] = eps1;
        n.PLY2[j][k][p] = eps2;
        n.PLY12[j][k][p] = gam12;
        if (print) {
          double DIST = k * g.STEP, ANG = g.LOW + j * g.DEG;
          con.write("(F6.3,2F8.2,3F12.6)", {DIST, ANG, st.two.ANGLE[p], eps1, eps2, gam12});
        }
      }
    }
  }
}

}  // namespace

void plystr(State& st, Console& con, const int& KRIT) {
  const Three& g = st.three;
  const One& one = st.one;
  Nine& n = st.nine;

  bool print7 = putout(st, 7) == 2.0;
  if (print7) {
    con.write(
        "(///20X,'STRAINS PER PLY',//'  DIST   ANGLE     PLY','   STRAIN 1    STRAIN 2   SHEAR STRAIN'/)");
  }
  strain_pass(st, con, print7);

  bool print8 = putout(st, 8) == 2.0;
  if (print8) {
    con.write(
        "(///20X,'STRESSES PER PLY',//'  DIST   ANGLE     PLY','   STRESS 1    STRESS 2   SHEAR STRESS'/)");
  }
  int nstep = step_count(g), nang = station_count(g);
  for (int k = 0; k < nstep; ++k) {
    for (int j = 0; j < nang; ++j) {
      for (int p = 0; p < st.two.NPLY; ++p) {
        int m = st.two.MATNO[p] - 1;
        double NU21 = one.NU12[m] * one.E2[m] / one.E1[m];
        double DEN = 1.0 - one.NU12[m] * NU21;
        double eps1 = n.PLY1[j][k][p], eps2 = n.PLY2[j][k][p], gam12 = n.PLY12[j][k][p];
        double sig1 = one.E1[m] * eps1 / DEN + one.NU12[m] * one.E2[m] * (eps2 / DEN);
        double sig2 = one.NU12[m] * one.E2[m] * eps1 / DEN + one.E2[m] * (eps2 / DEN);
        double tau12 = one.G12[m] * gam12;
        n.PLY1[j][k][p] = sig1;
        n.PLY2[j][k][p] = sig2;
        n.PLY12[j][k][p] = tau12;
        if (print8) {
          double DIST = k * g.STEP, ANG = g.LOW + j * g.DEG;
          con.write("(F6.3,2F8.2,3F12.2)", {DIST, ANG, st.two.ANGLE[p], sig1, sig2, tau12});
        }
      }
    }
  }

  // The maximum-strain criterion compares strains: put them back.
  if (KRIT == 1) strain_pass(st, con, false);
}

}  // namespace hs
