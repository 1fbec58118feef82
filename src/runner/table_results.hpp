// The results of a job as the dialogue's tables, one block per load case, and a table of the
// reserve factors.
#pragma once

#include <ostream>

#include "job/job.hpp"

namespace hs {

void write_table_results(const Job& job, std::ostream& out);

}  // namespace hs
