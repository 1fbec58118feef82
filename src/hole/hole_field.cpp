#include "hole/hole_field.hpp"

#include "hole/bolt_hole.hpp"
#include "hole/open_hole.hpp"

namespace hs {

namespace {

// Adds one piece of the field into the running sums.
void add(int nstep, int nang, const GridVector& ST, const GridScalar& UT, const GridScalar& VT,
         LaminateField& f) {
  for (int i = 0; i < nstep; ++i) {
    for (int j = 0; j < nang; ++j) {
      f.u[j][i] = f.u[j][i] + UT[j][i];
      f.v[j][i] = f.v[j][i] + VT[j][i];
      for (int c = 0; c < 3; ++c) f.stress[j][i][c] = f.stress[j][i][c] + ST[j][i][c];
    }
  }
}

}  // namespace

int field_around_hole(const Grid& g, const Loads& loads, const Compliance& compliance, bool disp,
                      HoleReuse& reuse, LaminateField& f, const OpenHoleScale* scale) {
  // Without a correction every factor is 1, and x * 1 is x to the last bit.
  const OpenHoleScale one;
  const OpenHoleScale& k = scale ? *scale : one;
  const Mat3& A = compliance.laminate_axes;
  int nstep = step_count(g), nang = station_count(g);
  GridScalar UT, VT;
  GridVector ST;
  for (int i = 0; i < nstep; ++i) {
    for (int j = 0; j < nang; ++j) {
      f.u[j][i] = f.v[j][i] = 0.0;
      for (int c = 0; c < 3; ++c) f.stress[j][i][c] = f.strain[j][i][c] = 0.0;
    }
  }

  // The first piece is written straight into the sums, the others added.
  if (loads.px != 0.0) {
    open_hole_field(g, loads.px * k.px, A, loads.off_axis, disp, reuse.open, f.stress, f.u, f.v);
  }
  if (loads.py != 0.0) {
    open_hole_field(g, loads.py * k.py, A, loads.off_axis + 90.0, disp, reuse.open, ST, UT, VT);
    add(nstep, nang, ST, UT, VT, f);
  }
  if (loads.pxy != 0.0) {
    // Shear as tension along +45 degrees and compression along -45 degrees of the load axes.
    open_hole_field(g, loads.pxy * k.pxy_tension, A, loads.off_axis + 45.0, disp, reuse.open, ST,
                    UT, VT);
    add(nstep, nang, ST, UT, VT, f);
    open_hole_field(g, -loads.pxy * k.pxy_compression, A, loads.off_axis - 45.0, disp, reuse.open,
                    ST, UT, VT);
    add(nstep, nang, ST, UT, VT, f);
  }
  int singular = 0;
  if (loads.bearing != 0.0) {
    singular = bolt_hole_field(g, loads.bearing, compliance.bolt_axes, loads.bolt_angle, disp,
                               reuse.bolt, ST, UT, VT);
    add(nstep, nang, ST, UT, VT, f);
    // The far-field stress that reacts the bolt load over a plate of finite width.
    open_hole_field(g, loads.bypass * k.bypass, A, loads.bolt_angle, disp, reuse.open, ST, UT, VT);
    add(nstep, nang, ST, UT, VT, f);
  }

  // Laminate strains: the compliance times the stresses, accumulated from zero.
  for (int i = 0; i < nstep; ++i) {
    for (int j = 0; j < nang; ++j) {
      for (int r = 0; r < 3; ++r) {
        for (int l = 0; l < 3; ++l) {
          f.strain[j][i][r] = f.strain[j][i][r] + A(r + 1, l + 1) * f.stress[j][i][l];
        }
      }
    }
  }
  return singular;
}

}  // namespace hs
