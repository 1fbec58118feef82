// The strip model of a plate, as job files, the batch, the pictures and the web page use it: the
// solution of the hole in the strip for a laminate (strip_hole.hpp, docs/strip-model.md), and
// which load cases the strip takes.
//
// The strip runs along the laminate x axis, plate.width wide, with the free end plate.edge_distance
// ahead of the hole centre (none when 0). A load case in it is a bolt bearing towards +x
// (`bearing`, bolt force over diameter and thickness) and the gross stress carried past the hole
// (`bypass`); the end behind the hole carries bypass + bearing D / W. The settings are the
// solver's defaults, converged to 0.1 percent over W/D from 2 and edge distances from 1.5 D; the
// residual tractions of each solution say how well it met its boundary conditions.
#pragma once

#include "hole/strip_field.hpp"
#include "model/loads.hpp"
#include "model/materials.hpp"
#include "model/plate.hpp"
#include "model/ply_stack.hpp"

namespace hs {

StripGeometry strip_geometry(const Plate& plate, double diameter);

// The solver's defaults, reaching kStripReachWidths along the strip.
StripSettings strip_settings();

// The solution for the laminate's membrane compliance (laminate axes), from the cache when the
// laminate and the strip are those it holds.
const StripSolution& strip_solution(const Materials& materials, const PlyStack& plies,
                                    const Plate& plate, double diameter, StripHoleCache& cache);

// The strip takes loads along its axis only: a bearing stress (0 or more: the bolt bears towards
// +x) and a bypass stress (none with an edge distance); px, py, pxy, off_axis and bolt_angle 0.
bool strip_takes(const Loads& loads, const Plate& plate);

// A residual traction of the solution, in percent of the peak hoop stress of its unit load,
// above which the results carry a warning.
constexpr double kStripResidualWarning = 1.0;

}  // namespace hs
