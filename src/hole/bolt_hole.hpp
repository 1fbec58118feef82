// Circular hole in an infinite anisotropic plate loaded by a bolt's bearing pressure.
//
// The radial pressure p0 cos(t) acts on the half of the boundary centred on the bolt direction
// (`bolt_angle` degrees from the laminate x axis), p0 = 4 bearing / pi. Series solution in the
// bolt axes: each stress function is 45 negative powers of its mapped variable plus a logarithmic
// term carrying the bolt force; a is the compliance in the bolt axes. sig receives the stresses
// and u, v the displacements (NaN unless asked for), both in the laminate axes, at every station
// of the grid. A station inside the hole, or a compliance without characteristic roots, gives NaN.
#pragma once

#include <complex>

#include "hole/solution_cache.hpp"
#include "model/fields.hpp"
#include "model/grid.hpp"
#include "numeric/matrix3.hpp"

namespace hs {

// Returns the number of the solution's 46 coefficient systems that were singular (their
// coefficients are then not meaningful, and neither is the field).
int bolt_hole_field(const Grid& grid, double bearing, const Mat3& a, double bolt_angle,
                    bool displacements, BoltHoleCache& cache, GridVector& sig, GridScalar& u,
                    GridScalar& v);

// The bearing pressure p0 cos(t) on the half of the boundary facing the bolt (|t| <= pi/2 from the
// bolt axis), zero on the other half: its complex Fourier coefficients pf[49 + m], m = -49..49,
// and the components along the bolt axes of its resultant force on a hole of diameter d, per unit
// thickness (rf1 along the bolt, rf2 across it).
void bearing_pressure(double p0, double d, std::complex<double> (&pf)[99], double& rf1,
                      double& rf2);

}  // namespace hs
