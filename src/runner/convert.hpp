// Dialogue files into job files: each pass of the dialogue becomes a job, or one more load case
// of the job before when only the loads change.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "job/job.hpp"

namespace hs {

// Reads the dialogue from `in` (named `name` in titles) as the program would and returns its
// jobs. A pass that selects no case from 2 up analyses nothing and gives no job. Returns the
// dialogue's exit status: 0, or 2 when a read failed (its diagnostic is written to err).
int dialogue_to_jobs(std::istream& in, const std::string& name, std::ostream& err,
                     std::vector<Job>& jobs);

// The job equivalent to one pass (with its inputs as they stand after the reads).
struct DialogueState;
Job job_from_pass(const DialogueState& st, bool carpet, const std::string& title);

}  // namespace hs
