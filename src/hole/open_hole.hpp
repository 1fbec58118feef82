// Open circular hole in an infinite anisotropic plate under one uniaxial far-field stress.
//
// Lekhnitskii's complex potentials in closed form: the stress s (tension positive) acts along
// `angle` degrees from the laminate x axis; a is the membrane compliance in the laminate axes.
// At every station of the grid sig receives sigma-x, sigma-y, tau-xy (the far-field stress
// included) and u, v the displacement the hole adds (no uniform-field part; NaN unless
// displacements are asked for). When the characteristic roots cannot be found, or the compliance
// is not that of a material, the field is undefined and every station holds NaN.
#pragma once

#include "hole/solution_cache.hpp"
#include "model/fields.hpp"
#include "model/grid.hpp"
#include "numeric/matrix3.hpp"

namespace hs {

void open_hole_field(const Grid& grid, double s, const Mat3& a, double angle, bool displacements,
                     OpenHoleCache& cache, GridVector& sig, GridScalar& u, GridScalar& v);

// Fills every station of the grid with NaN: a field that could not be computed.
void undefined_field(const Grid& grid, GridVector& sig, GridScalar& u, GridScalar& v);

}  // namespace hs
