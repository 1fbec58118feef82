// The plain data of a fastened joint: its shear, the load through it, its plates and its rows of
// fasteners, in any consistent units (lengths, moduli as force per area, the load as a force).
//
// x runs along the load. Plate 1 takes the load at its end before the first row and hands it
// through the rows to plate 2, which delivers it at its end after the last row. Single shear has
// two plates. Double shear has three, the middle one second: the outer plates 1 and 3 act in
// parallel, both loaded before the first row, and the middle plate 2 after the last row. A
// positive load is tension. Nothing here is checked; share_joint_load checks it all.
#pragma once

#include <string>
#include <vector>

#include "numeric/matrix3.hpp"

namespace hs {

enum class Shear { kSingle, kDouble };

struct JointPlate {
  std::string name;
  double width;      // across the load
  double thickness;  // of the whole plate (the laminate's total thickness)
  double modulus;    // membrane modulus along the load: E of a metal, E_x = 1/a11 of a laminate
  double poisson;    // nu of a metal; VXY = -a12/a11 of a laminate (carried for the hole problem)
  double edge_distance;  // from the row at the plate's free end to that end
};

struct FastenerRow {
  double position;  // x; the rows are ordered along the load, strictly increasing
  double diameter;
  double modulus;  // the fastener's E
  double poisson;  // the fastener's nu
  int count;       // fasteners across the width: springs in parallel
};

struct Joint {
  Shear shear = Shear::kSingle;
  double load = 0.0;  // through the joint, the sum of the row loads
  std::vector<JointPlate> plates;
  std::vector<FastenerRow> rows;
};

// A metal plate: its Young's modulus and Poisson's ratio.
JointPlate isotropic_plate(std::string name, double width, double thickness, double modulus,
                           double poisson, double edge_distance);

// A laminate plate loaded along its x axis, from its membrane compliance in the laminate axes
// (the thickness-averaged A^-1 of membrane_compliance, reciprocal stress units) and its total
// thickness: E_x = 1/a11, VXY = -a12/a11. For a load along another direction pass the compliance
// in axes whose x axis points along the load (membrane_compliance's bolt axes at that angle). A
// zero a11 gives an infinite modulus, which share_joint_load reports as a bad plate.
JointPlate laminate_plate(std::string name, double width, double thickness,
                          const Mat3& membrane_compliance, double edge_distance);

}  // namespace hs
