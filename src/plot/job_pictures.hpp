// The pictures of a job: each load case drawn as a pass of the dialogue with the cases its
// results ask for (the reserve factors as the search for the failure load, the failure numbers
// of its first criterion), each layup of a carpet plot as a layup of the dialogue's.
#pragma once

#include "job/job.hpp"
#include "plot/page.hpp"

namespace hs::plot {

void draw_job(const Job& job, Page& page);

}  // namespace hs::plot
