// Finite-width correction of the stress concentration at an open hole.
//
// The hole solutions are those of an infinite plate. In a strip of width W under a gross-section
// stress S along the strip, the peak hoop stress at the edge of a central hole of diameter D is
// higher: Tan's (1988) factor for orthotropic plates gives K_T(W) / K_T(infinite plate) from the
// infinite-plate concentration and D/W. For K_T(infinite) = 3 it is the isotropic
// (2 + (1 - D/W)^3) / (3 (1 - D/W)); a laminate with a sharper concentration is corrected less.
#pragma once

namespace hs {

// K_T(finite width) / K_T(infinite plate); NaN unless 0 < diameter_over_width < 1.
double tan_finite_width_factor(double kt_infinite, double diameter_over_width);

}  // namespace hs
