#include "dialogue/tables.hpp"

#include "analysis/analysis.hpp"
#include "hole/transforms.hpp"

namespace hs {

void print_singular_stiffness(Console& con, int step) {
  con.write("(' SUBROUTINE INVERSE CALCULATES A SINGULAR MATRIX ','AT STEP',I3)", {step});
}

void print_properties(Console& con, const EngineeringConstants& e) {
  con.write(
      "(/25X,'LAMINATE PROPERTIES'/' EX = ',E9.3,2X,'EY = ',E9.3,2X,'GXY = ',E9.3,2X,'VXY = ',F5.3)",
      {e.EX, e.EY, e.GXY, e.VXY});
}

void print_singular_systems(Console& con, int count) {
  for (int i = 0; i < count; ++i) con.write("(' SIMULT CALCULATES A SINGULAR SET OF EQS.')");
}

void print_laminate_stresses(Console& con, const Grid& g, const LaminateField& f) {
  con.write(
      "(///28X,'LAMINATE STRESSES'//'  DIST   ANGLE  X STRESS','   Y STRESS    SHEAR       MAX.       MIN.    DIRECTION'/,39X,'STRESS    PRINCIPAL  PRINCIPAL')");
  int nstep = step_count(g), nang = station_count(g);
  for (int k = 0; k < nstep; ++k) {
    for (int j = 0; j < nang; ++j) {
      const double* s = f.stress[j][k];
      Principal p = principal_stresses(s[0], s[1], s[2]);
      con.write("(F6.3,F8.2,5F11.2,F8.2)", {edge_distance(g, k), station_angle(g, j), s[0], s[1],
                                            s[2], p.max, p.min, p.direction});
    }
  }
}

void print_laminate_strains(Console& con, const Grid& g, const LaminateField& f) {
  con.write(
      "(///28X,'LAMINATE STRAINS'//'  DIST   ANGLE  X STRAIN','   Y STRAIN    SHEAR       MAX.       MIN.    DIRECTION'/,39X,'STRAIN    PRINCIPAL  PRINCIPAL')");
  int nstep = step_count(g), nang = station_count(g);
  for (int k = 0; k < nstep; ++k) {
    for (int j = 0; j < nang; ++j) {
      const double* e = f.strain[j][k];
      Principal p = principal_strains(e[0], e[1], e[2]);
      con.write("(F6.3,F8.2,5F11.6,F8.2)", {edge_distance(g, k), station_angle(g, j), e[0], e[1],
                                            e[2], p.max, p.min, p.direction});
    }
  }
}

void print_polar(Console& con, const Grid& g, const LaminateField& f) {
  con.write(
      "(///15X,'CIRCUMFERENTIAL AND RADIAL STRESSES & STRAINS',//'  DIST     ANGLE     THETA      RADIAL     SHEAR     THETA','    RADIAL   SHEAR'/21X,'STRESS     STRESS     ','STRESS    STRAIN   STRAIN   STRAIN')");
  int nstep = step_count(g), nang = station_count(g);
  for (int k = 0; k < nstep; ++k) {
    for (int j = 0; j < nang; ++j) {
      double angle = station_angle(g, j);
      PolarValues v = polar_values(angle, f.stress[j][k], f.strain[j][k]);
      con.write("(F6.3,F10.2,F12.2,2F11.2,3F9.6)",
                {edge_distance(g, k), angle, v.hoop_stress, v.radial_stress, v.shear_stress,
                 v.hoop_strain, v.radial_strain, v.shear_strain});
    }
  }
}

void print_displacement_caution(Console& con, const Grid& g, const Loads& loads) {
  // The series of the bolt solution is not reliable far from the hole; the test looks one step
  // beyond the last printed distance.
  if (loads.bearing != 0.0 && g.diameter / 2.0 + g.steps * g.distance_step > 3.0 * g.diameter) {
    con.write(
        "(' CAUTION:  DISPLACEMENTS AT POINTS GREATER THAN 3D AWAY '/' FROM THE HOLE MAY BE IN ERROR')");
  }
}

void print_displacements(Console& con, const Grid& g, const LaminateField& f) {
  con.write("(///20X,'DISPLACEMENTS'//'   DIST    ANGLE',10X,'U',10X,'V')");
  int nstep = step_count(g), nang = station_count(g);
  for (int k = 0; k < nstep; ++k) {
    for (int j = 0; j < nang; ++j) {
      con.write("(F7.3,F10.2,F13.6,F12.6)",
                {edge_distance(g, k), station_angle(g, j), f.u[j][k], f.v[j][k]});
    }
  }
}

void print_ply_strains(Console& con, const Problem& pb, const PlyField& plies) {
  con.write(
      "(///20X,'STRAINS PER PLY',//'  DIST   ANGLE     PLY','   STRAIN 1    STRAIN 2   SHEAR STRAIN'/)");
  const Grid& g = pb.grid;
  int nstep = step_count(g), nang = station_count(g);
  for (int k = 0; k < nstep; ++k) {
    for (int j = 0; j < nang; ++j) {
      for (int p = 0; p < pb.plies.count; ++p) {
        const double* e = plies.strain[j][k][p];
        con.write("(F6.3,2F8.2,3F12.6)",
                  {edge_distance(g, k), station_angle(g, j), pb.plies.angle[p], e[0], e[1], e[2]});
      }
    }
  }
}

void print_ply_stresses(Console& con, const Problem& pb, const PlyField& plies) {
  con.write(
      "(///20X,'STRESSES PER PLY',//'  DIST   ANGLE     PLY','   STRESS 1    STRESS 2   SHEAR STRESS'/)");
  const Grid& g = pb.grid;
  int nstep = step_count(g), nang = station_count(g);
  for (int k = 0; k < nstep; ++k) {
    for (int j = 0; j < nang; ++j) {
      for (int p = 0; p < pb.plies.count; ++p) {
        const double* s = plies.stress[j][k][p];
        con.write("(F6.3,2F8.2,3F12.2)",
                  {edge_distance(g, k), station_angle(g, j), pb.plies.angle[p], s[0], s[1], s[2]});
      }
    }
  }
}

void print_failure_numbers(Console& con, const Problem& pb, const PlyField& plies) {
  const bool three = has_three_numbers(pb.criterion);
  if (three) {
    con.write(
        "(///20X,'FAILURE CRITERIA PER PLY',//'   DIST     ANGLE ','     PLY',12X,'FAILURE NUMBERS'/35X,'1         2       SHEAR')");
  } else {
    con.write(
        "(///20X,'FAILURE CRITERIA PER PLY',//'   DIST     ANGLE','      PLY      FAILURE         FAILURE RATIOS'/,32X,'NUMBER     ''  1         2      SHEAR')");
  }
  const Grid& g = pb.grid;
  int nstep = step_count(g), nang = station_count(g);
  for (int k = 0; k < nstep; ++k) {
    for (int j = 0; j < nang; ++j) {
      for (int p = 0; p < pb.plies.count; ++p) {
        double fv[4];
        ply_failure_at(pb.criterion, pb.materials, pb.plies, plies, j, k, p, fv);
        double dist = edge_distance(g, k), angle = station_angle(g, j);
        if (three) {
          con.write("(F7.3,2F10.2,3F10.3)", {dist, angle, pb.plies.angle[p], fv[0], fv[1], fv[2]});
        } else {
          con.write("(F7.3,2F10.2,4F10.3)",
                    {dist, angle, pb.plies.angle[p], fv[0], fv[1], fv[2], fv[3]});
        }
      }
    }
  }
}

void print_failure_load(Console& con, const Problem& pb, const PlyField& plies,
                        const Governing& gv) {
  const Grid& g = pb.grid;
  const Loads& l = pb.loads;
  double angle = station_angle(g, gv.station);
  const bool three = has_three_numbers(pb.criterion);
  if (three) {
    con.write(
        "(///20X,'AUTOMATIC SEARCH FOR FAILURE'//25X,'FAILURE STRESSES'/18X,'PX',10X,'PY',10X,'PXY',10X,'P'/,11X,4F12.2//8X,'DIST   ANGLE       PLY      FAILURE NUMBERS'/,36X,'1       2     SHEAR')",
        {l.px, l.py, l.pxy, l.bearing});
  } else {
    con.write(
        "(///20X,'AUTOMATIC SEARCH FOR FAILURE'//25X,'FAILURE STRESSES'/18X,'PX',10X,'PY',10X,'PXY',10X,'P'/,11X,4F12.2//5X,'   DIST   ANGLE     PLY      FAILURE  ',9X,'FAILURE RATIOS'/35X,'NUMBER',7X,'1',9X,'2',7X,'SHEAR')",
        {l.px, l.py, l.pxy, l.bearing});
  }
  for (int p = 0; p < pb.plies.count; ++p) {
    double fv[4];
    ply_failure_at(pb.criterion, pb.materials, pb.plies, plies, gv.station, kFailureStep, p, fv);
    if (three) {
      con.write("(F11.3,F9.2,F10.2,3F8.3)",
                {g.distance_step, angle, pb.plies.angle[p], fv[0], fv[1], fv[2]});
    } else {
      con.write("(F11.3,F9.2,F10.2,4F10.3)",
                {g.distance_step, angle, pb.plies.angle[p], fv[0], fv[1], fv[2], fv[3]});
    }
  }
}

void print_search_stopped(Console& con) {
  con.write("(' AUTOMATIC SEARCH FOR FAILURE STOPPED: NO FINITE FAILURE LOAD FOUND')");
}

void print_layup(Console& con, const Shares& s) {
  con.write("(//25X,'LAYUP:  ',I3,'/',I3,'/',I3)", {s.s0, s.s45, s.s90});
}

}  // namespace hs
