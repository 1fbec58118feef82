// Circular hole in an infinite anisotropic plate loaded by a bolt's bearing pressure.
//
// The radial pressure p0 cos(t) acts on the half of the boundary centred on the bolt direction
// (`bolt_angle` degrees from the laminate x axis), p0 = 4 bearing / pi. Series solution in the
// bolt axes: each stress function is negative powers of its mapped variable plus a logarithmic
// term carrying the bolt force; a is the compliance in the bolt axes. `legacy` sums 45 powers
// (the dialogue's tables); `converged` sums them all in closed form (bolt_series.hpp), which
// raises the hoop stress at the ends of the contact arc by about 1 percent for an isotropic plate
// and up to 3 percent of the bearing stress for a stiff orthotropic one. sig receives the stresses
// and u, v the displacements (NaN unless asked for), both in the laminate axes, at every station
// of the grid. A station inside the hole, or a compliance without characteristic roots, gives NaN.
#pragma once

#include <complex>

#include "hole/solution_cache.hpp"
#include "model/fields.hpp"
#include "model/grid.hpp"
#include "numeric/matrix3.hpp"

namespace hs {

enum class BoltSeries { legacy, converged };

// Returns the number of the solution's coefficient systems that were singular (legacy: of 46;
// converged: 1 when the roots coincide or the log terms have no solution, and the field is then
// NaN): their coefficients are not meaningful, and neither is the field.
int bolt_hole_field(const Grid& grid, double bearing, const Mat3& a, double bolt_angle,
                    bool displacements, BoltHoleCache& cache, GridVector& sig, GridScalar& u,
                    GridScalar& v, BoltSeries series = BoltSeries::legacy);

// The bearing pressure p0 cos(t) on the half of the boundary facing the bolt (|t| <= pi/2 from the
// bolt axis), zero on the other half: its complex Fourier coefficients pf[49 + m], m = -49..49,
// and the components along the bolt axes of its resultant force on a hole of diameter d, per unit
// thickness (rf1 along the bolt, rf2 across it).
void bearing_pressure(double p0, double d, std::complex<double> (&pf)[99], double& rf1,
                      double& rf2);

}  // namespace hs
