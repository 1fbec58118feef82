// The constants the printed tables are defined with.
//
// The tables were first computed with several constants held in single precision; they enter the
// double-precision arithmetic as those single-precision values widened, and every printed digit
// depends on it. Each is written here as the exact double it widens to.
#pragma once

#include <cmath>

namespace hs {

// pi rounded to single precision: every conversion between degrees and radians uses it.
constexpr double kPiSingle = 3.1415927410125732;

// Degrees to radians and back, with pi in single precision, in this order of operations.
constexpr double radians(double degrees) {
  return degrees * kPiSingle / 180.0;
}
constexpr double degrees(double radians) {
  return radians * 180.0 / kPiSingle;
}

// An angle in degrees brought within one turn when its magnitude is a turn or more: the remainder
// of the division by 360, with the sign of the angle. std::fmod is exact (the remainder of two
// doubles is a double), so 1e20 degrees gives 280 exactly, where multiplying by pi / 180 first
// would leave the sine and cosine of a number whose rounding error is many turns. Smaller angles
// are left as they are: an angle of less than a turn keeps its bits.
inline double reduce_degrees(double degrees) {
  return std::fabs(degrees) >= 360.0 ? std::fmod(degrees, 360.0) : degrees;
}

// Branch test of the complex square roots of both hole solutions: -1e-5 in single precision.
constexpr double kBranchTest = -9.999999747378752e-06;

// A mapped variable of the bolt solution lies on or outside the unit circle when |zeta|^2 reaches
// 0.99999 in single precision.
constexpr double kOnUnitCircle = 0.9999899864196777;

// The window in which the failure search counts as converged: 0.999 and 1.001 in single precision.
constexpr double kConvergedLow = 0.9990000128746033;
constexpr double kConvergedHigh = 1.0010000467300415;

// The carpet plot's printed ply shares: thickness times 100.4 (0° and 90° plies) or 200.4 (each
// ±45° ply), in single precision, truncated. The small excess makes a thickness of 0.3 give 30.
constexpr double kShareScale = 100.4000015258789;
constexpr double kHalfShareScale = 200.39999389648438;

// The relative pivot tolerance of the linear solver: 3.18 in single precision.
constexpr double kPivotToleranceScale = 3.180000066757202;

}  // namespace hs
