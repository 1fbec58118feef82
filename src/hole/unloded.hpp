// Open circular hole in an infinite anisotropic plate under one uniaxial far-field stress.
//
// Lekhnitskii's complex potentials in closed form: S (tension positive) acts along ALPHA degrees
// from the laminate x axis; A is the membrane compliance in the laminate axes (ASTAR). At every
// station of the grid SIG receives sigma-x, sigma-y, tau-xy (far-field stress included) and U, V
// the displacement the hole adds (no uniform-field part). ALPHA comes back in radians. When the
// characteristic roots cannot be found the field is undefined and every station holds NaN.
#pragma once

#include "control/state.hpp"

namespace hs {

// Without displacements, U and V receive NaN and the displacement terms are skipped. kept, when
// given, holds the load-independent part of the field from call to call.
void unloded(const Three& grid, const double& S, const double& D, const Mat3& A, double& ALPHA,
             GridVec& SIG, GridVal& U, GridVal& V, bool displacements = true,
             OpenHoleGeometry* kept = nullptr);

// The characteristic roots mu1, mu2 (positive imaginary parts) of a compliance, as both hole
// solutions choose them: false when the root finder failed.
bool characteristic_roots(const Mat3& A, double mu1[2], double mu2[2]);

// Whether the compliance describes a material (positive definite: positive strain energy under
// every stress) and its roots mu1, mu2 are complex. Otherwise (a negative modulus, or a Poisson's
// ratio beyond what the moduli allow) the hole problem has no solution of this form.
bool admissible(const Mat3& A, const double mu1[2], const double mu2[2]);

// Fills every station of the grid with NaN: a field that could not be computed.
void undefined_field(const Three& grid, GridVec& SIG, GridVal& U, GridVal& V);

}  // namespace hs
