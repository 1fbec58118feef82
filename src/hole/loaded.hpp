// Circular hole in an infinite anisotropic plate loaded by a bolt's bearing pressure.
//
// The radial pressure p0 cos(t) acts on the half of the boundary centred on the bolt direction,
// p0 = 4 S / pi for the bearing stress S. Series solution in the bolt axes: each stress function
// is 45 negative powers of its mapped variable plus a logarithmic term carrying the bolt force; A
// is the compliance in the bolt axes (ASTARB). SIG receives the stresses and U, V the
// displacements, both turned into the laminate axes, at every station of the grid. On return S
// holds p0 and ALPHA (the bolt angle in degrees) holds minus the angle in radians. A singular
// coefficient system prints one line and the computation goes on; a station inside the hole, or
// a compliance without characteristic roots, gives NaN.
#pragma once

#include <complex>

#include "control/console.hpp"
#include "control/state.hpp"

namespace hs {

// Without displacements, U and V receive NaN and the (costly) displacement terms are skipped.
// kept, when given, holds the load-independent part of the field from call to call.
void loaded(const Three& grid, Console& con, double& S, const double& D, const Mat3& A,
            double& ALPHA, GridVec& SIG, GridVal& U, GridVal& V, bool displacements = true,
            BoltGeometry* kept = nullptr);

// The bearing pressure p0 cos(t) on the half of the boundary facing the bolt (|t| <= pi/2 from the
// bolt axis), zero on the other half: its complex Fourier coefficients PF[49 + m], m = -49..49,
// and the components along the bolt axes of its resultant force on a hole of diameter D, per unit
// thickness (RF1 along the bolt, RF2 across it).
void bearing_pressure(double p0, double D, std::complex<double> (&PF)[99], double& RF1,
                      double& RF2);

}  // namespace hs
