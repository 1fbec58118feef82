// A joint as a job file gives it ([joint], [[joint.plates]], [[joint.rows]], [laminates.NAME]):
// plain data in the job's own units, read and checked by the job reader; the runner builds the
// joint's mechanics from it (docs/joints.md, docs/job-format.md).
//
// x runs along the load. Plate 1 is loaded at its end before the first row, the last plate at
// its end after the last row; in double shear the plates are outer, middle, outer and the two
// outer plates are loaded together before the first row.
#pragma once

#include <string>
#include <vector>

#include "model/ply_stack.hpp"

namespace hs {

// A named laminate of [laminates.NAME]: its plies, and the stacking notation they were expanded
// from ("" for [[laminates.NAME.plies]]).
struct NamedLaminate {
  std::string name;
  PlyStack plies;
  std::string layup;
};

struct JointPlateInput {
  std::string name;
  double width = 0.0;          // across the load
  double edge_distance = 0.0;  // from the row at the plate's free end to that end
  int laminate = -1;           // index into JointInput::laminates, or -1 for a metal plate
  int material = -1;           // a metal plate: its (isotropic) material, and its thickness
  double thickness = 0.0;
};

struct JointRowInput {
  double x = 0.0;  // position along the load; the rows increase strictly
  double diameter = 0.0;
  double fastener_modulus = 0.0;
  double fastener_poisson = 0.0;
  int count = 1;  // fasteners across the width
};

struct JointInput {
  bool given = false;  // the job is a joint job
  bool double_shear = false;
  double load = 0.0;                          // force through the joint, positive in tension
  std::string fastener_flexibility = "huth";  // a name flexibility_method_from_name reads
  std::vector<NamedLaminate> laminates;
  std::vector<JointPlateInput> plates;
  std::vector<JointRowInput> rows;
};

// The names the reader accepts for fastener_flexibility.
inline constexpr const char* kFlexibilityNames[] = {"huth",
                                                    "huth-bolted-metal",
                                                    "huth-riveted-metal",
                                                    "huth-bolted-graphite",
                                                    "swift",
                                                    "tate-rosenfeld",
                                                    "grumman",
                                                    "boeing"};

}  // namespace hs
