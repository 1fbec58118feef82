#include "ply/failure.hpp"

#include <cmath>
#include <limits>

#include "control/putout.hpp"

namespace hs {

namespace {

struct Allowables {
  double X, Y, S;
};

Allowables allowables(const Five& five, int m, double s1, double s2) {
  return {s1 < 0.0 ? five.C1[m] : five.T1[m], s2 < 0.0 ? five.C2[m] : five.T2[m], five.SHEAR[m]};
}

// Coefficients of the modified Tsai-Wu and Hoffman criteria for material m and shear allowable S.
struct TsaiWu {
  double f1, f2, f11, f22, f66;
};

TsaiWu tsai_wu(const Five& f5, int m, double S) {
  double T1 = f5.T1[m], C1 = f5.C1[m], T2 = f5.T2[m], C2 = f5.C2[m];
  return {1.0 / T1 - 1.0 / C1, 1.0 / T2 - 1.0 / C2, 1.0 / (T1 * C1), 1.0 / (T2 * C2),
          1.0 / (S * S)};
}

// Smallest positive root of quad x^2 + lin x = t, or infinity.
double smallest_positive_root(double quad, double lin, double t) {
  const double none = std::numeric_limits<double>::infinity();
  double best = none;
  auto consider = [&best](double x) {
    if (x > 0.0 && x < best) best = x;
  };
  if (quad == 0.0) {
    if (lin != 0.0) consider(t / lin);
    return best;
  }
  double disc = lin * lin + 4.0 * quad * t;
  if (!(disc >= 0.0)) return none;
  double q = -0.5 * (lin + std::copysign(std::sqrt(disc), lin));
  if (q != 0.0) {
    consider(q / quad);
    consider(-t / q);
  } else {
    consider(std::sqrt(t / quad));
  }
  return best;
}

}  // namespace

void ply_failure(const State& st, int p, int k, int j, double out[4]) {
  const Five& five = st.five;
  int m = st.two.MATNO[p] - 1;
  double s1 = st.nine.PLY1[j][k][p], s2 = st.nine.PLY2[j][k][p], s12 = st.nine.PLY12[j][k][p];
  Allowables a = allowables(five, m, s1, s2);
  int krit = five.KRIT;
  if (krit <= 2) {
    out[0] = s1 / a.X;
    out[1] = s2 / a.Y;
    out[2] = s12 / a.S;
    out[3] = 0.0;
    return;
  }
  double FN;
  if (krit == 3) {
    FN = s1 * s1 / (a.X * a.X) + s2 * s2 / (a.Y * a.Y) - s1 * s2 / (a.X * a.X) +
         s12 * s12 / (a.S * a.S);
  } else {
    TsaiWu c = tsai_wu(five, m, a.S);
    if (krit == 4) {
      FN = std::fabs(c.f1 * s1 + c.f2 * s2 + c.f11 * s1 * s1 + c.f22 * s2 * s2 + c.f66 * s12 * s12);
    } else {
      // Hoffman adds the interaction of the two direct stresses.
      FN = std::fabs(c.f1 * s1 + c.f2 * s2 + c.f11 * s1 * s1 + c.f22 * s2 * s2 -
                     s1 * s2 / (five.T1[m] * five.C1[m]) + c.f66 * s12 * s12);
    }
  }
  out[0] = FN;
  out[1] = (s1 / a.X) / std::sqrt(FN);
  out[2] = (s2 / a.Y) / std::sqrt(FN);
  out[3] = (s12 / a.S) / std::sqrt(FN);
}

Governing governing_value(const State& st) {
  Governing g = {0.0, 0, 0};
  if (step_count(st.three) < 2) return g;
  int candidates = st.five.KRIT <= 2 ? 3 : 1;
  int nang = station_count(st.three);
  for (int j = 0; j < nang; ++j) {
    for (int p = 0; p < st.two.NPLY; ++p) {
      double fv[4];
      ply_failure(st, p, 1, j, fv);
      // A later value of the same magnitude does not move it.
      for (int c = 0; c < candidates; ++c) {
        if (std::fabs(fv[c]) > std::fabs(g.GMAX)) g = {fv[c], j, p};
      }
    }
  }
  return g;
}

void failure(State& st, Console& con) {
  const Three& g = st.three;
  int krit = st.five.KRIT;
  bool print9 = putout(st, 9) == 2.0;
  if (print9) {
    if (krit <= 2) {
      con.write(
          "(///20X,'FAILURE CRITERIA PER PLY',//'   DIST     ANGLE ','     PLY',12X,'FAILURE NUMBERS'/35X,'1         2       SHEAR')");
    } else {
      con.write(
          "(///20X,'FAILURE CRITERIA PER PLY',//'   DIST     ANGLE','      PLY      FAILURE         FAILURE RATIOS'/,32X,'NUMBER     ''  1         2      SHEAR')");
    }
  }

  // Case 9: every ply at every point.
  int nstep = step_count(g), nang = station_count(g);
  for (int k = 0; print9 && k < nstep; ++k) {
    for (int j = 0; j < nang; ++j) {
      for (int p = 0; p < st.two.NPLY; ++p) {
        double fv[4];
        ply_failure(st, p, k, j, fv);
        double DIST = k * g.STEP, ANG = g.LOW + j * g.DEG;
        if (krit <= 2) {
          con.write("(F7.3,2F10.2,3F10.3)", {DIST, ANG, st.two.ANGLE[p], fv[0], fv[1], fv[2]});
        } else {
          con.write("(F7.3,2F10.2,4F10.3)",
                    {DIST, ANG, st.two.ANGLE[p], fv[0], fv[1], fv[2], fv[3]});
        }
      }
    }
  }

  // The governing value of the search: the largest magnitude at distance step 2.
  Governing governing = governing_value(st);
  double GMAX = governing.GMAX;
  int IANG = governing.IANG;
  bool search = putout(st, 10) == 2.0;
  Four& f = st.four;
  if (GMAX != 0.0) {
    f.FACTOR = krit <= 2 ? 1.0 / std::fabs(GMAX) : 1.0 / std::sqrt(GMAX);
    if (search && !(f.FACTOR < kConvergedLow) && !(f.FACTOR > kConvergedHigh)) {
      double ANG = g.LOW + IANG * g.DEG;
      if (krit <= 2) {
        con.write(
            "(///20X,'AUTOMATIC SEARCH FOR FAILURE'//25X,'FAILURE STRESSES'/18X,'PX',10X,'PY',10X,'PXY',10X,'P'/,11X,4F12.2//8X,'DIST   ANGLE       PLY      FAILURE NUMBERS'/,36X,'1       2     SHEAR')",
            {f.PX, f.PY, f.PXY, f.P});
      } else {
        con.write(
            "(///20X,'AUTOMATIC SEARCH FOR FAILURE'//25X,'FAILURE STRESSES'/18X,'PX',10X,'PY',10X,'PXY',10X,'P'/,11X,4F12.2//5X,'   DIST   ANGLE     PLY      FAILURE  ',9X,'FAILURE RATIOS'/35X,'NUMBER',7X,'1',9X,'2',7X,'SHEAR')",
            {f.PX, f.PY, f.PXY, f.P});
      }
      for (int p = 0; p < st.two.NPLY; ++p) {
        double fv[4];
        ply_failure(st, p, 1, IANG, fv);
        if (krit <= 2) {
          con.write("(F11.3,F9.2,F10.2,3F8.3)",
                    {g.STEP, ANG, st.two.ANGLE[p], fv[0], fv[1], fv[2]});
        } else {
          con.write("(F11.3,F9.2,F10.2,4F10.3)",
                    {g.STEP, ANG, st.two.ANGLE[p], fv[0], fv[1], fv[2], fv[3]});
        }
      }
    }
  }
  if (!search) f.FACTOR = 1.0;
}

double first_failure_factor(const State& st) {
  const Five& five = st.five;
  int krit = five.KRIT;
  int nang = station_count(st.three);
  if (step_count(st.three) < 2) return 0.0;
  double best = std::numeric_limits<double>::infinity();
  // The ply values scale with the loads and keep their signs, so the allowables stay: the
  // failure numbers of criteria 1 and 2 grow with the factor, Tsai-Hill's with its square.
  for (int j = 0; j < nang; ++j) {
    for (int p = 0; p < st.two.NPLY; ++p) {
      double fv[4];
      ply_failure(st, p, 1, j, fv);
      if (krit <= 2) {
        for (int c = 0; c < 3; ++c) {
          if (fv[c] != 0.0) best = std::fmin(best, 1.0 / std::fabs(fv[c]));
        }
      } else if (krit == 3) {
        if (fv[0] != 0.0) best = std::fmin(best, 1.0 / std::sqrt(std::fabs(fv[0])));
      } else {
        // FN = |lin x + quad x^2| at x times the current loads.
        int m = st.two.MATNO[p] - 1;
        double s1 = st.nine.PLY1[j][1][p], s2 = st.nine.PLY2[j][1][p], s12 = st.nine.PLY12[j][1][p];
        TsaiWu c = tsai_wu(five, m, allowables(five, m, s1, s2).S);
        double lin = c.f1 * s1 + c.f2 * s2;
        double quad = c.f11 * s1 * s1 + c.f22 * s2 * s2 + c.f66 * s12 * s12;
        if (krit == 5) quad = quad - s1 * s2 / (five.T1[m] * five.C1[m]);
        best = std::fmin(best, smallest_positive_root(quad, lin, 1.0));
        best = std::fmin(best, smallest_positive_root(quad, lin, -1.0));
      }
    }
  }
  return std::isfinite(best) && best > 0.0 ? best : 0.0;
}

}  // namespace hs
