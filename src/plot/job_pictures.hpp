// The pictures of a job file, in the job's words: its title and units, the laminate, hole and
// grid as the file gives them, then for each load case, under its name, the loads, the reserve
// factor of every chosen criterion around the hole, the stresses around the hole at every
// distance step of the job's grid and, when the job asks for failure numbers, those of every
// criterion; for a carpet plot the moduli and each load case's smallest reserve factor over the
// 66 layups. Each load case is analysed as the job runner analyses it (analyse_load_case with
// the job's failure assessment), the finite-width correction included; what a figure shows is
// rounded for reading, each value in full on hover.
#pragma once

#include <string>

#include "job/job.hpp"

namespace hs::plot {

// The whole page: one self-contained HTML document with inline SVG; the same job always gives
// the same bytes. The job must have its load cases in the file (no load_cases_file).
std::string job_pictures(const Job& job);

}  // namespace hs::plot
