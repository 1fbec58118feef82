#include "hole/lamstr.hpp"

#include <cmath>

#include "control/putout.hpp"
#include "hole/loaded.hpp"
#include "hole/unloded.hpp"

namespace hs {

namespace {

constexpr double kPi = 3.1415927410125732;  // pi held in single precision: the tables use it

// Adds one piece of the field into the running sums.
void add(int nstep, int nang, const GridVec& ST, const GridVal& UT, const GridVal& VT,
         GridVec& SIGL, GridVal& U, GridVal& V) {
  for (int i = 0; i < nstep; ++i) {
    for (int j = 0; j < nang; ++j) {
      U[j][i] = U[j][i] + UT[j][i];
      V[j][i] = V[j][i] + VT[j][i];
      for (int c = 0; c < 3; ++c) SIGL[j][i][c] = SIGL[j][i][c] + ST[j][i][c];
    }
  }
}

}  // namespace

PolarValues polar_values(double ANG, const double sig[3], const double eps[3]) {
  double SX = sig[0], SY = sig[1], TXY = sig[2];
  double EPX = eps[0], EPY = eps[1], GAM = eps[2];
  double TH = ANG * kPi / 180.0;
  double CS = std::cos(TH), SN = std::sin(TH);
  PolarValues v;
  v.SR = SX * CS * CS + SY * SN * SN + 2.0 * TXY * SN * CS;
  v.STH = SX * SN * SN + SY * CS * CS - 2.0 * TXY * SN * CS;
  v.TRTH = (SY - SX) * SN * CS + TXY * (CS * CS - SN * SN);
  v.ER = EPX * CS * CS + EPY * SN * SN + GAM * SN * CS;
  v.ETH = EPX * SN * SN + EPY * CS * CS - GAM * SN * CS;
  v.GRTH = 2.0 * (EPY - EPX) * SN * CS + GAM * (CS * CS - SN * SN);
  return v;
}

void lamstr(State& st, Console& con) {
  Four& f = st.four;
  const Three& g = st.three;
  GridVec& SIGL = st.eight.SIGL;
  GridVec& EPSL = st.eight.EPSL;
  const Mat3& ASTAR = st.six.ASTAR;

  // 1. Loads of this iteration.
  f.PX = f.PX * f.FACTOR;
  f.PY = f.PY * f.FACTOR;
  f.PXY = f.PXY * f.FACTOR;
  f.P = f.P * f.FACTOR;
  f.PW = f.PW * f.FACTOR;

  // 2, 3. Grid and zeroing.
  int nstep = step_count(g), nang = station_count(g);
  GridVal U, V, UT, VT;
  GridVec ST;
  for (int i = 0; i < nstep; ++i) {
    for (int j = 0; j < nang; ++j) {
      U[j][i] = V[j][i] = 0.0;
      for (int c = 0; c < 3; ++c) SIGL[j][i][c] = EPSL[j][i][c] = 0.0;
    }
  }

  // 4. Superposition of the load pieces; each solution converts the angle it is given. The
  // displacements are worked out only when they are printed.
  const bool disp = putout(st, 6) == 2.0;
  if (f.PX != 0.0) {
    double alpha = f.OFFANG;
    unloded(g, f.PX, f.D, ASTAR, alpha, SIGL, U, V, disp, &st.geometry.open);
  }
  if (f.PY != 0.0) {
    double alpha = f.OFFANG + 90.0;
    unloded(g, f.PY, f.D, ASTAR, alpha, ST, UT, VT, disp, &st.geometry.open);
    add(nstep, nang, ST, UT, VT, SIGL, U, V);
  }
  if (f.PXY != 0.0) {
    // Shear as tension along +45 degrees and compression along -45 degrees of the load axes.
    double alpha = f.OFFANG + 45.0;
    unloded(g, f.PXY, f.D, ASTAR, alpha, ST, UT, VT, disp, &st.geometry.open);
    add(nstep, nang, ST, UT, VT, SIGL, U, V);
    double s = -f.PXY;
    alpha = f.OFFANG - 45.0;
    unloded(g, s, f.D, ASTAR, alpha, ST, UT, VT, disp, &st.geometry.open);
    add(nstep, nang, ST, UT, VT, SIGL, U, V);
  }
  if (f.P != 0.0) {
    double p = f.P;
    double alpha = f.BOLTANG;
    loaded(g, con, p, f.D, st.seven.ASTARB, alpha, ST, UT, VT, disp, &st.geometry.bolt);
    add(nstep, nang, ST, UT, VT, SIGL, U, V);
    // The far-field stress that reacts the bolt load over a plate of finite width.
    alpha = f.BOLTANG;
    unloded(g, f.PW, f.D, ASTAR, alpha, ST, UT, VT, disp, &st.geometry.open);
    add(nstep, nang, ST, UT, VT, SIGL, U, V);
  }

  // 5. Output case 3: laminate stresses with their principal values.
  if (putout(st, 3) == 2.0) {
    con.write(
        "(///28X,'LAMINATE STRESSES'//'  DIST   ANGLE  X STRESS','   Y STRESS    SHEAR       MAX.       MIN.    DIRECTION'/,39X,'STRESS    PRINCIPAL  PRINCIPAL')");
    for (int i = 0; i < nstep; ++i) {
      for (int j = 0; j < nang; ++j) {
        double SX = SIGL[j][i][0], SY = SIGL[j][i][1], TXY = SIGL[j][i][2];
        double T = (SX - SY) * (SX - SY) / 4.0;
        double R = std::sqrt(TXY * TXY + T);
        double SMAX = (SX + SY) / 2.0 + R;
        double SMIN = (SX + SY) / 2.0 - R;
        double DIR = 0.0;
        if (SX - SY != 0.0) DIR = 0.5 * std::atan(2.0 * TXY / (SX - SY));
        DIR = DIR * 180.0 / kPi;
        double DIST = i * g.STEP, ANG = g.LOW + j * g.DEG;
        con.write("(F6.3,F8.2,5F11.2,F8.2)", {DIST, ANG, SX, SY, TXY, SMAX, SMIN, DIR});
      }
    }
  }

  // 6. Laminate strains.
  for (int i = 0; i < nstep; ++i) {
    for (int j = 0; j < nang; ++j) {
      for (int r = 0; r < 3; ++r) {
        for (int l = 0; l < 3; ++l) {
          EPSL[j][i][r] = EPSL[j][i][r] + ASTAR(r + 1, l + 1) * SIGL[j][i][l];
        }
      }
    }
  }

  // 7. Output case 4: laminate strains with their principal values.
  if (putout(st, 4) == 2.0) {
    con.write(
        "(///28X,'LAMINATE STRAINS'//'  DIST   ANGLE  X STRAIN','   Y STRAIN    SHEAR       MAX.       MIN.    DIRECTION'/,39X,'STRAIN    PRINCIPAL  PRINCIPAL')");
    for (int i = 0; i < nstep; ++i) {
      for (int j = 0; j < nang; ++j) {
        double EPX = EPSL[j][i][0], EPY = EPSL[j][i][1], GAM = EPSL[j][i][2];
        double T = (EPX - EPY) * (EPX - EPY) / 4.0;
        double R = std::sqrt(GAM * 0.25 * GAM + T);
        double EMAX = (EPX + EPY) / 2.0 + R;
        double EMIN = (EPX + EPY) / 2.0 - R;
        double DIR = 0.0;
        if (EPX - EPY != 0.0) DIR = 0.5 * std::atan(GAM / (EPX - EPY));
        DIR = DIR * 180.0 / kPi;
        double DIST = i * g.STEP, ANG = g.LOW + j * g.DEG;
        con.write("(F6.3,F8.2,5F11.6,F8.2)", {DIST, ANG, EPX, EPY, GAM, EMAX, EMIN, DIR});
      }
    }
  }

  // 8. Output case 5: hoop, radial and shear components in polar axes at each station.
  if (putout(st, 5) == 2.0) {
    con.write(
        "(///15X,'CIRCUMFERENTIAL AND RADIAL STRESSES & STRAINS',//'  DIST     ANGLE     THETA      RADIAL     SHEAR     THETA','    RADIAL   SHEAR'/21X,'STRESS     STRESS     ','STRESS    STRAIN   STRAIN   STRAIN')");
    for (int i = 0; i < nstep; ++i) {
      for (int j = 0; j < nang; ++j) {
        double DIST = i * g.STEP, ANG = g.LOW + j * g.DEG;
        PolarValues v = polar_values(ANG, SIGL[j][i], EPSL[j][i]);
        con.write("(F6.3,F10.2,F12.2,2F11.2,3F9.6)",
                  {DIST, ANG, v.STH, v.SR, v.TRTH, v.ETH, v.ER, v.GRTH});
      }
    }
  }

  // 9. The series of the bolt solution is not reliable far from the hole.
  if (putout(st, 6) == 2.0 && f.P != 0.0 && f.D / 2.0 + g.NSTEP * g.STEP > 3.0 * f.D) {
    con.write(
        "(' CAUTION:  DISPLACEMENTS AT POINTS GREATER THAN 3D AWAY '/' FROM THE HOLE MAY BE IN ERROR')");
  }

  // 10. Output case 6: displacements the hole adds to the uniform field.
  if (putout(st, 6) == 2.0) {
    con.write("(///20X,'DISPLACEMENTS'//'   DIST    ANGLE',10X,'U',10X,'V')");
    for (int i = 0; i < nstep; ++i) {
      for (int j = 0; j < nang; ++j) {
        double DIST = i * g.STEP, ANG = g.LOW + j * g.DEG;
        con.write("(F7.3,F10.2,F13.6,F12.6)", {DIST, ANG, U[j][i], V[j][i]});
      }
    }
  }
}

}  // namespace hs
