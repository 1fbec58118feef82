#include "dialogue/pass.hpp"

#include <cmath>
#include <cstring>

#include "analysis/analysis.hpp"

namespace hs {

DialogueState::DialogueState() : problem(), cases(), width(0.0), material_numbers{} {
  problem.materials.resize(kMaxMaterials);
  problem.plies.resize(kMaxPlies);
  problem.materials.count = 0;
  problem.plies.count = 0;
  problem.grid.station_limit = kMaxStations;
  problem.grid.step_limit = kMaxSteps;
}

namespace {

bool read_plies_and_materials(Console& con, DialogueState& st, bool instructions, bool carpet) {
  for (;;) {
    if (instructions) {
      con.prompt(
          "(' INPUT NUMBER OF DIFFERENT PLIES TO BE INPUT (8 MAX)',' AND'/' NUMBER OF DIFFERENT MATERIALS (3 MAX)')");
    }
    int nply = st.problem.plies.count, nmat = st.problem.materials.count;
    if (!con.read({nply, nmat})) return false;
    if (nply < 1 || nply > kMaxPlies || nmat < 1 || nmat > kMaxMaterials) {
      con.write("(' NUMBER OF PLIES MUST BE 1 TO 8 AND NUMBER OF MATERIALS 1 TO 3, TRY AGAIN...')");
    } else if (carpet && nply < 4) {
      // The carpet plot varies the shares of four plies: 0, +45, -45 and 90 degrees.
      con.write("(' CARPET PLOT DATA NEEDS 4 PLIES (0, +45, -45, 90), TRY AGAIN...')");
    } else {
      st.problem.plies.count = nply;
      st.problem.materials.count = nmat;
      return true;
    }
  }
}

bool read_material_numbers(Console& con, DialogueState& st, bool instructions) {
  PlyStack& plies = st.problem.plies;
  const int nply = plies.count, nmat = st.problem.materials.count;
  if (nmat == 1) {
    for (int p = 0; p < nply; ++p) st.material_numbers[p] = 1;
  } else {
    for (;;) {
      if (instructions) con.prompt("(' INPUT THE MATERIAL NUMBER FOR EACH PLY')");
      int m[kMaxPlies];
      std::memcpy(m, st.material_numbers, sizeof m);
      Item items[kMaxPlies] = {m[0], m[1], m[2], m[3], m[4], m[5], m[6], m[7]};
      if (!con.read(items, nply)) return false;
      bool valid = true;
      for (int p = 0; p < nply; ++p) valid = valid && m[p] >= 1 && m[p] <= nmat;
      if (valid) {
        std::memcpy(st.material_numbers, m, sizeof m);
        break;
      }
      con.write("(' MATERIAL NUMBERS MUST BE 1 TO',I2,', TRY AGAIN...')", {nmat});
    }
  }
  for (int p = 0; p < nply; ++p) plies.material[p] = st.material_numbers[p] - 1;
  return true;
}

bool read_geometry(Console& con, Grid& grid, bool instructions) {
  for (;;) {
    if (instructions) {
      con.prompt(
          "(' INPUT BOLT DIAMETER, DEGREES BETWEEN OUTPUT, LOW ','RANGE, HIGH RANGE,'/' STEP INCREMENT AND NUMBER OF STEPS',' DESIRED (7 MAX)')");
    }
    if (!con.read({grid.diameter, grid.angle_step, grid.angle_low, grid.angle_high,
                   grid.distance_step, grid.steps})) {
      return false;
    }
    if (grid.steps > kMaxSteps) grid.steps = kMaxSteps;
    // At most kMaxStations - 1 intervals fit the tables. A ratio that is not a number (no angle
    // step with equal ends) or infinite (no angle step) is as unusable as one that is too large.
    double ratio = (grid.angle_high - grid.angle_low) / grid.angle_step;
    if (ratio > kMaxStations - 1 || std::isnan(ratio) || std::isinf(ratio)) {
      con.write("(' DEGREES BETWEEN OUTPUT TOO SMALL, TRY AGAIN...')");
      continue;
    }
    // The grid starts on the hole edge and goes outward from a hole of positive size.
    if (!(grid.diameter > 0.0) || grid.distance_step < 0.0) {
      con.write(
          "(' BOLT DIAMETER MUST BE POSITIVE AND STEP INCREMENT NOT NEGATIVE, TRY AGAIN...')");
      continue;
    }
    return true;
  }
}

bool read_criterion(Console& con, Criterion& criterion, bool instructions) {
  for (;;) {
    if (instructions) {
      con.prompt(
          "(' INPUT THE NUMBER WHICH CORRESPONDS TO THE ','FAILURE CRITERIA '/' YOU WISH TO USE'/' 1  MAXIMUM STRAIN'/,' 2  MAXIMUM STRESS'/' 3  TSAI-HILL'/' 4  MODIFIED ','TSAI-WU'/' 5  HOFFMAN')");
    }
    int krit = static_cast<int>(criterion);
    if (!con.read({krit})) return false;
    if (krit >= 1 && krit <= 5) {
      criterion = static_cast<Criterion>(krit);
      return true;
    }
    con.write("(' FAILURE CRITERION MUST BE 1 TO 5, TRY AGAIN...')");
  }
}

}  // namespace

bool read_pass(Console& con, DialogueState& st) {
  Problem& pb = st.problem;
  CaseList& cases = st.cases;

  con.write("('1DO YOU WANT INSTRUCTIONS (YES or NO)?')");
  char answer[4];
  if (!con.read_answer(answer)) return false;
  const bool instructions = std::memcmp(answer, "YES ", 4) == 0;

  if (instructions) {
    con.prompt(
        "(' SELECT DESIRED OUTPUT FROM THE FOLLOWING CASES.'/,'  1  CARPET PLOT DATA'/,'  2  LAMINATE PROPERTIES'/,'  3  LAMINATE STRESSES'/,'  4  LAMINATE STRAINS'/,'  5  CIRCUMFERENTIAL & RADIAL STRESSES/STRAINS'/,'  6  DISPLACEMENTS'/,'  7  STRAINS PER PLY'/,'  8  STRESSES PER PLY'/,'  9  FAILURE CRITERIA PER PLY'/,' 10  AUTOMATIC SEARCH FOR FAILURE')");
  }
  for (int& entry : cases.entries) entry = 0;
  {
    int* e = cases.entries;
    if (!con.read({e[0], e[1], e[2], e[3], e[4], e[5], e[6], e[7], e[8], e[9]})) return false;
  }
  const bool carpet = cases.selected(OutputCase::kCarpetPlot);

  if (!read_plies_and_materials(con, st, instructions, carpet)) return false;
  const int nply = pb.plies.count, nmat = pb.materials.count;

  if (instructions) {
    con.prompt(
        "(' INPUT THE UNIDIRECTIONAL MATERIAL PROPERTIES FOR ','EACH MATERIAL'/' IN THE FOLLOWING ORDER:  E1, E2, G12, ','POISSONS RATIO')");
  }
  {
    ElasticConstants* e = pb.materials.elastic.data();
    Item items[4 * kMaxMaterials] = {e[0].E1,  e[0].E2,   e[0].G12, e[0].NU12, e[1].E1,  e[1].E2,
                                     e[1].G12, e[1].NU12, e[2].E1,  e[2].E2,   e[2].G12, e[2].NU12};
    if (!con.read(items, 4 * nmat)) return false;
  }

  if (cases.needs(OutputCase::kFailureNumbers)) {
    if (instructions) {
      con.prompt(
          "(' INPUT THE UNIDIRECTIONAL ALLOWABLES FOR EACH ','MATERIAL'/' IN THE FOLLOWING ORDER:  T1, C1, T2, C2, SHEAR')");
    }
    Allowables* a = pb.materials.allowables.data();
    Item items[5 * kMaxMaterials] = {a[0].T1, a[0].C1, a[0].T2, a[0].C2, a[0].S12,
                                     a[1].T1, a[1].C1, a[1].T2, a[1].C2, a[1].S12,
                                     a[2].T1, a[2].C1, a[2].T2, a[2].C2, a[2].S12};
    if (!con.read(items, 5 * nmat)) return false;
  }

  {
    double* ang = pb.plies.angle.data();
    double* th = pb.plies.thickness.data();
    if (instructions) con.prompt("(' INPUT THE ANGULAR ORIENTATION OF EACH PLY')");
    Item angles[kMaxPlies] = {ang[0], ang[1], ang[2], ang[3], ang[4], ang[5], ang[6], ang[7]};
    if (!con.read(angles, nply)) return false;
    if (instructions) con.prompt("(' INPUT THE THICKNESS OF EACH PLY')");
    Item thicks[kMaxPlies] = {th[0], th[1], th[2], th[3], th[4], th[5], th[6], th[7]};
    if (!con.read(thicks, nply)) return false;
  }
  if (!read_material_numbers(con, st, instructions)) return false;

  if (cases.needs(OutputCase::kStresses)) {
    Loads& l = pb.loads;
    if (instructions) {
      con.prompt(
          "(' INPUT:  FAR FIELD STRESSES PX,PY,PXY, OFF AXIS ANGLE,',' BEARING STRESS'/' AND BOLT LOADING ANGLE.')");
    }
    if (!con.read({l.px, l.py, l.pxy, l.off_axis, l.bearing, l.bolt_angle})) return false;
    if (l.bearing != 0.0) {
      if (instructions) con.prompt("(' INPUT WIDTH (0.0 FOR INFINITE PLATE)')");
      if (!con.read({st.width})) return false;
    }
    if (!read_geometry(con, pb.grid, instructions)) return false;

    l.bypass = bypass_stress(l.bearing, pb.grid.diameter, st.width);
    if (st.width != 0.0 && st.width / pb.grid.diameter < 4.0) {
      con.write(
          "(' CAUTION: WIDTH-TO-DIAMETER RATIOS LESS',' THAN 4 RESULT IN ERRONEOUS PRATTLE...')");
    }
    if (cases.needs(OutputCase::kFailureNumbers)) {
      if (!read_criterion(con, pb.criterion, instructions)) return false;
    }
    // The search judges failure one distance step from the hole edge.
    if (cases.selected(OutputCase::kFailureSearch)) pb.grid.steps = kFailureStep + 1;
  }
  return true;
}

bool continue_answer(Console& con, bool& failed) {
  con.write("(' DO YOU WISH TO CONTINUE?')");
  char answer[4];
  failed = !con.read_answer(answer);
  return !failed && std::memcmp(answer, "NO  ", 4) != 0;
}

}  // namespace hs
