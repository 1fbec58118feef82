// Load-case files: the reserve factors of many load cases, streamed.
//
// A CSV file with a header row naming the columns (name, px, py, pxy, off_axis, bearing,
// bolt_angle, in any order; a missing one is 0; in the strip model name, bearing, bypass) and one
// load case per row. Each row gives one
// output row, in input order whatever the number of threads, with the reserve factor of each
// criterion, the smallest, its margin of safety and where it is reached; the rows are read in
// large blocks, shared among the threads of a WorkerPool, worked through by a
// ReserveSuperposition in blocks of load cases and written in large pieces. A line may be at most
// kMaxLineBytes long, so that memory stays bounded whatever the input.
#pragma once

#include <cstddef>
#include <iosfwd>
#include <string>

#include "job/job.hpp"

namespace hs {

constexpr std::size_t kMaxLineBytes = std::size_t{1} << 20;  // 1 MiB

// Why the job cannot give the reserve factors of many load cases, as "FILE: KEY: message", or ""
// when it can: it needs criteria, allowables for them in every ply's material, and a laminate of
// its own (not a carpet plot).
std::string batch_job_problem(const Job& job);

// threads: 0 for every core. A bad row (a value missing or not a finite number, more or fewer
// values than columns, a line longer than kMaxLineBytes, a row cut short by the end of the file)
// gives an error row naming its line and column and the others go on. At the end a summary on
// err: rows, error rows, time, rate; with progress, also a line on err updated a few times a
// second while the rows are worked through (for a terminal). Returns 0; 1 when some rows failed
// or the output could not be written; 2 for a header or a job that cannot be used (its message on
// err).
int run_batch(const Job& job, std::istream& in, std::ostream& out, std::ostream& err, int threads,
              bool progress = false);

}  // namespace hs
