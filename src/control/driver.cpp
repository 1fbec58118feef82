#include "control/driver.hpp"

#include <cmath>
#include <cstring>
#include <memory>

#include "control/putout.hpp"
#include "hole/lamstr.hpp"
#include "laminate/abd.hpp"
#include "numeric/truncate.hpp"
#include "ply/failure.hpp"
#include "ply/plystr.hpp"

namespace hs {

namespace {

// The failure search repeats the analysis until the load factor converges. Searches usually
// converge in under ten iterations, slow ones in a few hundred, and only where the slope of the
// fixed-point step at the root is within a fraction of a percent of -1 in a few thousand. Past the
// root the step of the quadratic criteria can also overshoot for ever (where a compressive
// transverse allowable about three times the tensile one or more governs): the search then falls
// into an exact cycle, which is detected, or at the latest stops at this bound, and the failure
// load is taken directly instead.
constexpr int kSearchIterations = 10000;

bool finite_loads(const Four& f) {
  return std::isfinite(f.PX) && std::isfinite(f.PY) && std::isfinite(f.PXY) && std::isfinite(f.P) &&
         std::isfinite(f.PW);
}

// Follows the failure search from one iteration to the next and decides how it goes on.
class Search {
 public:
  enum Outcome { kConverged, kRepeat, kStopped };

  // After the failure evaluation of an iteration, with FACTOR as failure left it.
  Outcome next(State& st, int iteration) {
    const Four& f = st.four;
    double factor = f.FACTOR;
    if (!(factor < kConvergedLow || factor > kConvergedHigh)) {
      // Zero loads have no governing value and end here without a table; loads whose failure
      // values are nowhere defined (a field of NaN) end the same way but have no failure load.
      bool loaded = f.PX != 0.0 || f.PY != 0.0 || f.PXY != 0.0 || f.P != 0.0;
      return loaded && governing_value(st).GMAX == 0.0 ? kStopped : kConverged;
    }
    if (std::isinf(factor) || !finite_loads(f) || direct_) return kStopped;

    // Brent's cycle detection: the next iteration depends only on the loads and the factor, so
    // an exact repeat of them is a cycle that never reaches the window.
    const double now[6] = {f.PX, f.PY, f.PXY, f.P, f.PW, factor};
    bool cycling = iteration > 1 && std::memcmp(now, saved_, sizeof now) == 0;
    if (++since_saved_ == power_) {
      std::memcpy(saved_, now, sizeof now);
      power_ *= 2;
      since_saved_ = 0;
    }
    if (cycling || iteration >= kSearchIterations) {
      // The ply values scale with the loads: solve for the first-ply failure load directly and
      // evaluate once more there, which prints the table as a converged search does.
      double lambda = first_failure_factor(st);
      if (lambda == 0.0) return kStopped;
      st.four.FACTOR = lambda;
      direct_ = true;
    }
    return kRepeat;
  }

 private:
  bool direct_ = false;
  double saved_[6] = {};
  int power_ = 1, since_saved_ = 0;
};

// The analysis of one laminate: properties, then the chain of stages the selected cases need,
// repeated by the failure search until its load factor converges. Returns false when a failure
// search had to stop without a failure load.
bool analysis(State& st, Console& con, AnalysisObserver* observer) {
  if (putout(st, 2) == 0.0) return true;
  // A singular stiffness leaves the compliances as they were: every analysis starts from zero
  // compliance, as the first of a run does, so no earlier laminate's values pass for this one's.
  st.six.ASTAR = Mat3{};
  st.seven.ASTARB = Mat3{};
  double ba = st.four.BOLTANG;
  abd(st, con, ba);
  st.four.FACTOR = 1.0;
  putout(st, 98);
  Search search;
  bool found = true;
  for (int iteration = 1;; ++iteration) {
    if (putout(st, 3) == 0.0) break;
    lamstr(st, con);
    if (putout(st, 7) == 0.0) break;
    plystr(st, con, st.five.KRIT);
    if (putout(st, 9) == 0.0) break;
    failure(st, con);
    // Without case 10, failure leaves FACTOR at 1.0 and the chain runs once.
    if (putout(st, 10) != 2.0) break;
    putout(st, 99);
    if (iteration == 1 && observer) observer->typed_loads_evaluated(st);
    Search::Outcome outcome = search.next(st, iteration);
    if (outcome == Search::kConverged) break;
    if (outcome == Search::kStopped) {
      con.write("(' AUTOMATIC SEARCH FOR FAILURE STOPPED: NO FINITE FAILURE LOAD FOUND')");
      found = false;
      break;
    }
  }
  putout(st, 98);
  return found;
}

}  // namespace

int MAIN(State& st, Console& con, AnalysisObserver* observer) {
  Two& two = st.two;
  Three& three = st.three;
  Four& four = st.four;
  Five& five = st.five;
  double W = 0.0;  // plate width, 0.0 for an infinite plate; kept from pass to pass

  for (;;) {
    con.write("('1DO YOU WANT INSTRUCTIONS (YES or NO)?')");
    char answer[4];
    if (!con.read_answer(answer)) return 2;
    bool INSTR = std::memcmp(answer, "YES ", 4) == 0;

    if (INSTR) {
      con.write(
          "(' SELECT DESIRED OUTPUT FROM THE FOLLOWING CASES.'/,'  1  CARPET PLOT DATA'/,'  2  LAMINATE PROPERTIES'/,'  3  LAMINATE STRESSES'/,'  4  LAMINATE STRAINS'/,'  5  CIRCUMFERENTIAL & RADIAL STRESSES/STRAINS'/,'  6  DISPLACEMENTS'/,'  7  STRAINS PER PLY'/,'  8  STRESSES PER PLY'/,'  9  FAILURE CRITERIA PER PLY'/,' 10  AUTOMATIC SEARCH FOR FAILURE')");
    }
    for (int& entry : two.LIST) entry = 0;
    {
      int* L = two.LIST;
      if (!con.read({L[0], L[1], L[2], L[3], L[4], L[5], L[6], L[7], L[8], L[9]})) return 2;
    }
    bool carpet = putout(st, 1) == 2.0;

    // Plies and materials, within the extents of the state.
    for (;;) {
      if (INSTR) {
        con.write(
            "(' INPUT NUMBER OF DIFFERENT PLIES TO BE INPUT (8 MAX)',' AND'/' NUMBER OF DIFFERENT MATERIALS (3 MAX)')");
      }
      int nply = two.NPLY, nmat = two.NMAT;
      if (!con.read({nply, nmat})) return 2;
      if (nply < 1 || nply > kMaxPly || nmat < 1 || nmat > kMaxMat) {
        con.write(
            "(' NUMBER OF PLIES MUST BE 1 TO 8 AND NUMBER OF MATERIALS 1 TO 3, TRY AGAIN...')");
      } else if (carpet && nply < 4) {
        // The carpet plot varies the shares of four plies: 0, +45, -45 and 90 degrees.
        con.write("(' CARPET PLOT DATA NEEDS 4 PLIES (0, +45, -45, 90), TRY AGAIN...')");
      } else {
        two.NPLY = nply;
        two.NMAT = nmat;
        break;
      }
    }
    int NPLY = two.NPLY, NMAT = two.NMAT;

    if (INSTR) {
      con.write(
          "(' INPUT THE UNIDIRECTIONAL MATERIAL PROPERTIES FOR ','EACH MATERIAL'/' IN THE FOLLOWING ORDER:  E1, E2, G12, ','POISSONS RATIO')");
    }
    {
      Item items[4 * kMaxMat] = {st.one.E1[0], st.one.E2[0], st.one.G12[0], st.one.NU12[0],
                                 st.one.E1[1], st.one.E2[1], st.one.G12[1], st.one.NU12[1],
                                 st.one.E1[2], st.one.E2[2], st.one.G12[2], st.one.NU12[2]};
      if (!con.read(items, 4 * NMAT)) return 2;
    }

    if (putout(st, 9) >= 1.0) {
      if (INSTR) {
        con.write(
            "(' INPUT THE UNIDIRECTIONAL ALLOWABLES FOR EACH ','MATERIAL'/' IN THE FOLLOWING ORDER:  T1, C1, T2, C2, SHEAR')");
      }
      Item items[5 * kMaxMat] = {five.T1[0], five.C1[0], five.T2[0], five.C2[0], five.SHEAR[0],
                                 five.T1[1], five.C1[1], five.T2[1], five.C2[1], five.SHEAR[1],
                                 five.T1[2], five.C1[2], five.T2[2], five.C2[2], five.SHEAR[2]};
      if (!con.read(items, 5 * NMAT)) return 2;
    }

    {
      if (INSTR) con.write("(' INPUT THE ANGULAR ORIENTATION OF EACH PLY')");
      Item angles[kMaxPly] = {two.ANGLE[0], two.ANGLE[1], two.ANGLE[2], two.ANGLE[3],
                              two.ANGLE[4], two.ANGLE[5], two.ANGLE[6], two.ANGLE[7]};
      if (!con.read(angles, NPLY)) return 2;
      if (INSTR) con.write("(' INPUT THE THICKNESS OF EACH PLY')");
      Item thicks[kMaxPly] = {two.THICK[0], two.THICK[1], two.THICK[2], two.THICK[3],
                              two.THICK[4], two.THICK[5], two.THICK[6], two.THICK[7]};
      if (!con.read(thicks, NPLY)) return 2;
    }

    if (NMAT == 1) {
      for (int p = 0; p < NPLY; ++p) two.MATNO[p] = 1;
    } else {
      for (;;) {
        if (INSTR) con.write("(' INPUT THE MATERIAL NUMBER FOR EACH PLY')");
        int matno[kMaxPly];
        std::memcpy(matno, two.MATNO, sizeof matno);
        Item items[kMaxPly] = {matno[0], matno[1], matno[2], matno[3],
                               matno[4], matno[5], matno[6], matno[7]};
        if (!con.read(items, NPLY)) return 2;
        bool valid = true;
        for (int p = 0; p < NPLY; ++p) valid = valid && matno[p] >= 1 && matno[p] <= NMAT;
        if (valid) {
          std::memcpy(two.MATNO, matno, sizeof matno);
          break;
        }
        con.write("(' MATERIAL NUMBERS MUST BE 1 TO',I2,', TRY AGAIN...')", {NMAT});
      }
    }

    if (putout(st, 3) >= 1.0) {
      if (INSTR) {
        con.write(
            "(' INPUT:  FAR FIELD STRESSES PX,PY,PXY, OFF AXIS ANGLE,',' BEARING STRESS'/' AND BOLT LOADING ANGLE.')");
      }
      if (!con.read({four.PX, four.PY, four.PXY, four.OFFANG, four.P, four.BOLTANG})) return 2;

      if (four.P != 0.0) {
        if (INSTR) con.write("(' INPUT WIDTH (0.0 FOR INFINITE PLATE)')");
        if (!con.read({W})) return 2;
      }

      for (;;) {
        if (INSTR) {
          con.write(
              "(' INPUT BOLT DIAMETER, DEGREES BETWEEN OUTPUT, LOW ','RANGE, HIGH RANGE,'/' STEP INCREMENT AND NUMBER OF STEPS',' DESIRED (7 MAX)')");
        }
        if (!con.read({four.D, three.DEG, three.LOW, three.HIGH, three.STEP, three.NSTEP})) {
          return 2;
        }
        if (three.NSTEP > kMaxStep) three.NSTEP = kMaxStep;
        // At most 72 intervals fit the grid. A ratio that is not a number (DEG = 0 with HIGH =
        // LOW) or infinite (DEG = 0) is as unusable as one that is too large.
        double ratio = (three.HIGH - three.LOW) / three.DEG;
        if (ratio > 72.0 || std::isnan(ratio) || std::isinf(ratio)) {
          con.write("(' DEGREES BETWEEN OUTPUT TOO SMALL, TRY AGAIN...')");
          continue;
        }
        // The grid starts on the hole edge and goes outward from a hole of positive size.
        if (!(four.D > 0.0) || three.STEP < 0.0) {
          con.write(
              "(' BOLT DIAMETER MUST BE POSITIVE AND STEP INCREMENT NOT NEGATIVE, TRY AGAIN...')");
          continue;
        }
        break;
      }

      four.PW = 0.0;
      if (four.P != 0.0 && W != 0.0) four.PW = (four.P * four.D) / (W + W);
      if (W != 0.0 && W / four.D < 4.0) {
        con.write(
            "(' CAUTION: WIDTH-TO-DIAMETER RATIOS LESS',' THAN 4 RESULT IN ERRONEOUS PRATTLE...')");
      }

      if (putout(st, 9) >= 1.0) {
        for (;;) {
          if (INSTR) {
            con.write(
                "(' INPUT THE NUMBER WHICH CORRESPONDS TO THE ','FAILURE CRITERIA '/' YOU WISH TO USE'/' 1  MAXIMUM STRAIN'/,' 2  MAXIMUM STRESS'/' 3  TSAI-HILL'/' 4  MODIFIED ','TSAI-WU'/' 5  HOFFMAN')");
          }
          int krit = five.KRIT;
          if (!con.read({krit})) return 2;
          if (krit >= 1 && krit <= 5) {
            five.KRIT = krit;
            break;
          }
          con.write("(' FAILURE CRITERION MUST BE 1 TO 5, TRY AGAIN...')");
        }
      }
      // The search judges failure at the second distance step.
      if (putout(st, 10) == 2.0) three.NSTEP = 2;
    }

    if (observer) observer->pass_begun(st, W, carpet);

    if (carpet) {
      double saved_angle[4], saved_thick[4];
      for (int p = 0; p < 4; ++p) {
        saved_angle[p] = two.ANGLE[p];
        saved_thick[p] = two.THICK[p];
      }
      // Shares of 0, +-45 and 90 degree plies in steps of ten percent: 66 layups.
      for (int A = 100; A >= 0; A -= 10) {
        for (int B = 0; B <= 100 - A; B += 10) {
          for (int p = 0; p < 4; ++p) {
            two.ANGLE[p] = saved_angle[p];
            two.THICK[p] = saved_thick[p];
          }
          two.NPLY = 4;
          two.THICK[0] = A / 100.0;
          two.THICK[1] = B / 200.0;
          two.THICK[2] = B / 200.0;
          two.THICK[3] = (100 - A - B) / 100.0;
          // 100.4 and 200.4 held in single precision: the small excess makes 0.3 give 30.
          int S0 = truncate_to_int(two.THICK[0] * 100.4000015258789);
          int S45 = truncate_to_int(two.THICK[1] * 200.39999389648438);
          int S90 = truncate_to_int(two.THICK[3] * 100.4000015258789);
          // Plies of no share leave the stack; material numbers stay with the positions.
          if (S0 == 0) {
            two.NPLY = two.NPLY - 1;
            for (int p = 0; p < 3; ++p) {
              two.ANGLE[p] = two.ANGLE[p + 1];
              two.THICK[p] = two.THICK[p + 1];
            }
          }
          if (S45 == 0) {
            two.NPLY = two.NPLY - 2;
            if (two.NPLY == 1) {
              two.ANGLE[0] = two.ANGLE[3];
              two.THICK[0] = two.THICK[3];
            }
            two.ANGLE[1] = two.ANGLE[3];
            two.THICK[1] = two.THICK[3];
          }
          if (S90 == 0) two.NPLY = two.NPLY - 1;
          con.write("(//25X,'LAYUP:  ',I3,'/',I3,'/',I3)", {S0, S45, S90});
          bool found = analysis(st, con, observer);
          if (observer) observer->analysed(st, S0, S45, S90, found);
        }
      }
    } else {
      bool found = analysis(st, con, observer);
      if (observer) observer->analysed(st, -1, -1, -1, found);
    }

    con.write("(' DO YOU WISH TO CONTINUE?')");
    if (!con.read_answer(answer)) return 2;
    if (std::memcmp(answer, "NO  ", 4) == 0) return 0;
  }
}

int run(std::istream& in, std::ostream& out, std::ostream& err, AnalysisObserver* observer,
        bool silent) {
  // The state is large (the ply values of the whole grid); it lives on the heap for the run.
  auto st = std::make_unique<State>();
  Console con(in, out, err);
  con.set_silent(silent);
  int status = MAIN(*st, con, observer);
  con.flush();
  return status;
}

}  // namespace hs
