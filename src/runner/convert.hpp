// Dialogue files into job files: each pass of the dialogue becomes a job, or one more load case
// of the job before when only the loads change.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "job/job.hpp"

namespace hs {

// The units a dialogue's numbers are in (the dialogue itself does not say): the labels of the
// jobs written.
struct DialogueUnits {
  std::string stress = "psi", length = "in";
};

// Reads the dialogue from `in` (named `name` in titles) as the program would and returns its
// jobs. A pass that selects no case from 2 up analyses nothing and gives no job. Every job is
// checked as `holestress run` reads it: a pass whose inputs no job file can hold (a negative
// width, allowables that are not positive, a grid without steps: values the dialogue runs with)
// is reported on err with the job reader's reasons. Returns 0; 2 when a read of the dialogue
// failed (its diagnostic is written to err) or a pass cannot be a job.
int dialogue_to_jobs(std::istream& in, const std::string& name, std::ostream& err,
                     std::vector<Job>& jobs, const DialogueUnits& units = {});

// The job equivalent to one pass (with its inputs as they stand after the reads).
struct DialogueState;
Job job_from_pass(const DialogueState& st, bool carpet, const std::string& title);

}  // namespace hs
