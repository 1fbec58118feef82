#include "hole/hole_field.hpp"

#include "hole/bolt_hole.hpp"
#include "hole/open_hole.hpp"

namespace hs {

namespace {

// Adds one piece of the field into the running sums, point by point.
void add(const GridVector& piece, const GridScalar& u, const GridScalar& v, LaminateField& f) {
  const std::size_t points = f.stress.points();
  const double* ps = piece.data();
  const double *pu = u.data(), *pv = v.data();
  double* fs = f.stress.data();
  double *fu = f.u.data(), *fv = f.v.data();
  for (std::size_t n = 0; n < points; ++n) {
    fu[n] = fu[n] + pu[n];
    fv[n] = fv[n] + pv[n];
    for (int c = 0; c < 3; ++c) fs[3 * n + c] = fs[3 * n + c] + ps[3 * n + c];
  }
}

}  // namespace

int field_around_hole(const Grid& g, const Loads& loads, const Compliance& compliance,
                      bool displacements, HoleSolutionCache& cache, LaminateField& f,
                      const OpenHoleScale* scale, BoltSeries series) {
  // Without a correction every factor is 1, and x * 1 is x to the last bit.
  const OpenHoleScale one;
  const OpenHoleScale& k = scale ? *scale : one;
  const Mat3& a = compliance.laminate_axes;
  const bool disp = displacements;
  const int nstep = step_count(g), nang = station_count(g);
  GridVector& st = cache.piece_stress;
  GridScalar &ut = cache.piece_u, &vt = cache.piece_v;
  f.resize(nang, nstep);
  const std::size_t points = f.stress.points();
  for (std::size_t n = 0; n < points; ++n) {
    f.u.data()[n] = f.v.data()[n] = 0.0;
    for (int c = 0; c < 3; ++c) f.stress.data()[3 * n + c] = f.strain.data()[3 * n + c] = 0.0;
  }

  // The first piece is written straight into the sums, the others added.
  if (loads.px != 0.0) {
    open_hole_field(g, loads.px * k.px, a, loads.off_axis, disp, cache.open, f.stress, f.u, f.v);
  }
  if (loads.py != 0.0) {
    open_hole_field(g, loads.py * k.py, a, loads.off_axis + 90.0, disp, cache.open, st, ut, vt);
    add(st, ut, vt, f);
  }
  if (loads.pxy != 0.0) {
    // Shear as tension along +45 degrees and compression along -45 degrees of the load axes.
    open_hole_field(g, loads.pxy * k.pxy_tension, a, loads.off_axis + 45.0, disp, cache.open, st,
                    ut, vt);
    add(st, ut, vt, f);
    open_hole_field(g, -loads.pxy * k.pxy_compression, a, loads.off_axis - 45.0, disp, cache.open,
                    st, ut, vt);
    add(st, ut, vt, f);
  }
  int singular = 0;
  if (loads.bearing != 0.0) {
    singular = bolt_hole_field(g, loads.bearing, compliance.bolt_axes, loads.bolt_angle, disp,
                               cache.bolt, st, ut, vt, series);
    add(st, ut, vt, f);
    // The far-field stress that reacts the bolt load over a plate of finite width.
    open_hole_field(g, loads.bypass * k.bypass, a, loads.bolt_angle, disp, cache.open, st, ut, vt);
    add(st, ut, vt, f);
  }

  // Laminate strains: the compliance times the stresses, accumulated from zero.
  const double* stress = f.stress.data();
  double* strain = f.strain.data();
  for (std::size_t n = 0; n < points; ++n) {
    for (int r = 0; r < 3; ++r) {
      for (int l = 0; l < 3; ++l) {
        strain[3 * n + r] = strain[3 * n + r] + a(r + 1, l + 1) * stress[3 * n + l];
      }
    }
  }
  return singular;
}

}  // namespace hs
