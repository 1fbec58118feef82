// All roots, real and complex, of a real polynomial of degree 1 to 36, by Newton's iteration in
// complex arithmetic from a fixed sequence of starting points.
//
// COEF holds the NDEG + 1 coefficients in ascending powers (COEF[0] is the constant term) and is
// not changed; WORK (NDEG + 1 doubles) is scratch. Each root found on the deflated polynomial is
// polished on the undeflated one. ZRE, ZIM receive the roots in the order found, a complex pair
// as x + iy then x - iy, a real root with ZIM exactly 0. ISTAT: 0 all found; 1 NDEG < 1;
// 2 NDEG > 36; 3 a root search failed (the roots found before it are stored, later positions are
// not written); 4 the leading coefficient is exactly 0. Nothing is stored past position NDEG.
#pragma once

namespace hs {

constexpr int kMaxRootsDegree = 36;

void roots(const double* COEF, double* WORK, int NDEG, double* ZRE, double* ZIM, int& ISTAT);

}  // namespace hs
