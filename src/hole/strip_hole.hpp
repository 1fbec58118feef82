// A circular hole in a strip of finite width: open (bypass) and loaded by a bolt (bearing), by
// boundary collocation with Lekhnitskii's complex potentials.
//
// Axes: x along the strip (the laminate x axis), y across it; the hole of diameter D is centred at
// the origin on the strip's centre line, the strip's sides are y = +-W/2. With an edge distance
// e the strip ends at x = e, free, and the bolt bears towards that end; without one it runs on
// far in both directions. Loads per unit thickness, in stress units: `bearing` is the bolt force
// over D, the cosine pressure p0 cos t (p0 = 4 bearing / pi) on the half edge facing +x, reacted
// by the strip behind the hole (the far -x end carries bearing D / W); `bypass` is the gross
// stress carried past the hole, on both ends (it needs a strip without edge distance). The
// compliance is the laminate's membrane compliance in the laminate axes.
//
// Method: each unit load is an infinite-plate solution that meets the hole's condition exactly
// (the bolt's series summed in closed form, bolt_series.hpp; Lekhnitskii's open hole) plus a
// correction Phi_k = sum C_kn zeta_k^-n + sum D_km T_m((z_k - c)/h) (negative powers of the
// mapped variables and Chebyshev polynomials of z_k over the strip's length), whose
// coefficients make the hole free and cancel the infinite plate's tractions on the sides and ends
// in the least-squares sense at collocation points: boundary collocation with complex potentials
// as used for finite anisotropic plates with holes (Xu, Man and Yue, Int. J. Solids Struct. 37,
// 2000) and for bolt-loaded composite plates (Madenci and co-workers, e.g. Hanauska, Kradinov and
// Madenci, Compos. Struct. 54, 2001; the review in Ireman, KTH report 99-03, 1999); Lekhnitskii,
// Anisotropic Plates (1968), for the potentials. The least-squares problem is solved with scaled
// columns by Eigen's column-pivoting Householder QR, never by normal equations; a laminate
// orthotropic in the strip's axes is fitted on the half strip with the symmetric columns only.
// A far end stands at `far_end` widths from the hole, carrying the far field's uniform traction.
// Trouble shows as a status; the residual tractions on each boundary, in percent of the peak hoop
// stress, measure the error of a solution.
#pragma once

#include <complex>
#include <vector>

#include "hole/bolt_series.hpp"
#include "numeric/matrix3.hpp"

namespace hs {

struct StripGeometry {
  double width = 0.0;          // W
  double diameter = 0.0;       // D, of the hole (and the bolt)
  double edge_distance = 0.0;  // e, hole centre to the +x end; 0: the strip runs on
};

// The discretisation. Doubling the terms and the points moves the peak hoop stress by less than
// 0.1 percent (tests/hole/strip_hole_test.cpp) for W/D from 2 to 100 and e/D from 1.5.
struct StripSettings {
  int hole_terms = 12;       // negative powers of each mapped variable
  int outer_terms = 40;      // Chebyshev polynomials of each stress function
  int hole_points = 48;      // collocation points round the hole edge
  int side_points = 80;      // on each long side
  int end_points = 24;       // on each end
  double far_end = 1.5;      // distance of a far end from the hole: widths (and at least 3 D)
  double hole_weight = 4.0;  // weight of the hole's equations against the outer boundary's
};

enum class StripStatus {
  ok,
  bad_geometry,      // not W > D > 0, or an edge distance not beyond the hole's edge
  bad_settings,      // too few terms or points for the unknowns
  no_solution,       // no admissible characteristic roots, or coincident ones
  bypass_with_edge,  // a bypass load asked of a strip with an edge distance
  outside,           // a point outside the plate
};

// The unit loads, each an infinite-plate part and the collocated correction.
enum StripLoadCase { kStripBearing = 0, kStripBypass = 1 };

// Largest residual traction on each boundary, in percent of the largest hoop stress on the hole
// edge of the same unit load, at points between the collocation points.
struct StripResidual {
  double hole = 0.0, sides = 0.0, front_end = 0.0, back_end = 0.0;  // front: +x, back: -x
};

struct StripSolution {
  StripStatus status = StripStatus::no_solution;
  StripGeometry geometry;
  StripSettings settings;
  Mat3 compliance{};
  std::complex<double> mu[2], p[2], q[2];  // roots and displacement coefficients
  double x_back = 0.0, x_front = 0.0;      // the ends of the model
  bool has_bypass = false;                 // a strip without edge distance
  ExactBoltSeries bolt;                    // the infinite plate under the unit bearing
  std::complex<double> open_hole[2];       // Phi_k = open_hole[k] / zeta_k: unit bypass
  // Coefficients of each stress function, per unit load: [load][k][n], the hole_terms negative
  // powers first, then the outer_terms polynomials.
  std::vector<std::complex<double>> coef[2][2];
  double rigid[2][3] = {};  // per load: u, v and rotation removed (the point behind the hole fixed)
  double peak_hoop[2] = {};  // largest hoop stress on the hole edge, per unit load
  StripResidual residual[2];
};

// Solves both unit loads for one laminate and geometry. The solution is then evaluated for any
// combination of the loads.
StripSolution solve_strip_hole(const Mat3& compliance, const StripGeometry& geometry,
                               const StripSettings& settings = {});

// The stresses (sigma-x, sigma-y, tau-xy) and displacements u, v of both unit loads at (x, y).
// Displacements are those of the plate with the point behind the hole (x = -D/2, y = 0) held
// and not turning.
struct StripUnitValues {
  double stress[2][3];
  double u[2], v[2];
};
StripStatus strip_unit_values(const StripSolution& s, double x, double y, bool displacements,
                              StripUnitValues& out);

// One load case: bearing and bypass superposed. Stresses and displacements as above; NaN and a
// status when the point is outside the plate or the load does not fit the strip.
struct StripValues {
  double stress[3];
  double u, v;
};
StripStatus strip_values(const StripSolution& s, double bearing, double bypass, double x, double y,
                         bool displacements, StripValues& out);

// The same at a polar station of the program's grid: r from the hole centre, theta in radians
// from the laminate x axis.
StripStatus strip_values_polar(const StripSolution& s, double bearing, double bypass, double r,
                               double theta, bool displacements, StripValues& out);

// Hoop stress on the hole edge at theta (radians) under one load case.
double strip_edge_hoop_stress(const StripSolution& s, double bearing, double bypass, double theta);

}  // namespace hs
