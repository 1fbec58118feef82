// The load sharing of a fastened joint: the load each row of fasteners transfers, and the bearing
// and bypass of every hole of every plate, in the units of the joint.
//
// Method (M. B. Tate and S. J. Rosenfeld, NACA TN 1051, 1946; S. J. Rosenfeld, NACA TN 1458,
// 1947): the plates are bars between the rows, of axial stiffness K = E t W (the outer plates of
// double shear in parallel), and each row is a shear spring of flexibility c_i, one fastener's C
// over the row's count. With S_i the load rows 1..i have transferred (S_0 = 0, S_n = P), member A
// (plate 1, or plates 1 and 3) carries P - S_i and member B (plate 2) S_i between rows i and
// i+1, and the slips c_i F_i of neighbouring rows differ by the difference of the members'
// stretches over the pitch p_i. For i = 1..n-1:
//   c_i S_{i-1} - (c_i + c_{i+1} + p_i (1/K_A + 1/K_B)) S_i + c_{i+1} S_{i+1} = -p_i P / K_A,
// a tridiagonal, diagonally dominant system; the row loads are F_i = S_i - S_{i-1}. The outer
// plates of double shear share each load in proportion to their stiffness E t W (they stretch
// alike). No friction, no secondary bending, linear fasteners, no hole clearance.
//
// Trouble shows as a status, never as a NaN: the input is checked first, and a joint that cannot
// be solved or whose numbers overflow returns with its status and empty lists.
#pragma once

#include <vector>

#include "joint/fastener_flexibility.hpp"
#include "joint/joint.hpp"

namespace hs {

enum class JointStatus {
  kOk,
  kBadLoad,         // the load is not finite
  kPlateCount,      // single shear needs 2 plates, double shear 3
  kBadPlate,        // width, thickness or modulus not positive and finite, edge distance
                    // negative, or a value not finite
  kNoRows,          // no row of fasteners
  kBadRow,          // diameter or modulus not positive and finite, Poisson's ratio outside
                    // (-1, 0.5], count below 1, or a position not finite
  kRowsOutOfOrder,  // positions not strictly increasing
  kBadFlexibility,  // a flexibility negative or not finite, or not one per row
  kSingular,        // the equations have no unique solution (coincident rigid rows, a member
                    // of no stiffness)
  kNotFinite,       // the solution overflowed
};

// One plate at one row. The fasteners push the plate toward its free end: the bearing load acts
// on the side of the hole facing the free end, the plate carries bearing plus bypass on the side
// of its loaded end and the bypass alone on the side of its free end.
struct HoleLoads {
  double bearing_load;       // the plate's part of the row load, all the row's fasteners
  double bypass_load;        // the axial load the plate carries past the row, toward its free end
  double bearing_stress;     // bearing_load / (count d t)
  double bypass_stress;      // bypass_load / (W t), over the gross section
  double pitch;              // W / count: the width of plate around one hole
  double free_end_distance;  // from the row to the plate's free end (its edge distance at the
                             // end row)
};

struct JointLoads {
  JointStatus status = JointStatus::kOk;
  int at = -1;                        // the plate or row (0-based) the status is about, or -1
  std::vector<double> flexibility;    // per row: one fastener's C (length/force)
  std::vector<double> row_load;       // per row: F_i, through all its fasteners, positive as P
  std::vector<double> fastener_load;  // per row: F_i / count, one fastener (both shear planes)
  std::vector<std::vector<HoleLoads>> holes;  // [plate][row]
};

// The load sharing with each row's fastener flexibility from a formula.
JointLoads share_joint_load(const Joint& joint, FlexibilityMethod method);

// The load sharing with each row's fastener flexibility given: one fastener's C per row, in
// length per force; 0 is a rigid fastener.
JointLoads share_joint_load(const Joint& joint, const std::vector<double>& flexibility);

// The plates one fastener of a joint joins, as fastener_flexibility takes them: single shear
// plates 1 and 2; double shear the middle plate, then the outer plates as one of their mean
// thickness and thickness-weighted modulus (their mean bearing stiffness t E).
FastenedPlates fastened_plates(const Joint& joint);

}  // namespace hs
