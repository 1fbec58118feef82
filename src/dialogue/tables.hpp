// The dialogue's tables and messages, each written through the console with its format text.
#pragma once

#include "analysis/carpet.hpp"
#include "io/console.hpp"
#include "laminate/membrane_compliance.hpp"
#include "model/fields.hpp"
#include "model/problem.hpp"
#include "ply/failure_criteria.hpp"

namespace hs {

// The stiffness of the laminate axes (step 1) or of the bolt axes (step 4) could not be inverted.
void print_singular_stiffness(Console& con, int step);
// Case 2.
void print_properties(Console& con, const EngineeringConstants& e);
// One line for each singular coefficient system of the bolt solution.
void print_singular_systems(Console& con, int count);
// Cases 3, 4, 5 and 6, and the caution on displacements far from a loaded hole.
void print_laminate_stresses(Console& con, const Grid& grid, const LaminateField& field);
void print_laminate_strains(Console& con, const Grid& grid, const LaminateField& field);
void print_polar(Console& con, const Grid& grid, const LaminateField& field);
void print_displacement_caution(Console& con, const Grid& grid, const Loads& loads);
void print_displacements(Console& con, const Grid& grid, const LaminateField& field);
// Cases 7 and 8.
void print_ply_strains(Console& con, const Problem& pb, const PlyField& plies);
void print_ply_stresses(Console& con, const Problem& pb, const PlyField& plies);
// Case 9: every ply at every point.
void print_failure_numbers(Console& con, const Problem& pb, const PlyField& plies);
// Case 10: the failure load and every ply at the critical point.
void print_failure_load(Console& con, const Problem& pb, const PlyField& plies, const Governing& g);
void print_search_stopped(Console& con);
// The shares of a carpet-plot layup.
void print_layup(Console& con, const Shares& s);

}  // namespace hs
