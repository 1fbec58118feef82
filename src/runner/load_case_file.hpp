// Load-case files: the reserve factors of many load cases, streamed.
//
// A CSV file with a header row naming the columns (name, px, py, pxy, off_axis, bearing,
// bolt_angle, in any order; a missing one is 0; in the strip model name, bearing, bypass) and one
// load case per row. Each row gives one
// output row, in input order whatever the number of threads, with the reserve factor of each
// criterion, the smallest, its margin of safety and where it is reached; the rows are worked
// through by a ReserveSuperposition in chunks shared among the threads of a WorkerPool.
#pragma once

#include <iosfwd>

#include "job/job.hpp"

namespace hs {

// threads: 0 for every core. A bad row gives an error row naming its line and column and the
// others go on. Returns 0; 1 when some rows failed or the output could not be written; 2 for a
// header or a job that cannot be used (its message on err).
int run_batch(const Job& job, std::istream& in, std::ostream& out, std::ostream& err, int threads);

}  // namespace hs
