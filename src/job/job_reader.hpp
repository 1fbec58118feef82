// Reading a job file (TOML) into a Job.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "job/job.hpp"

namespace hs {

// Parses the job file `text` (named `path` in messages) into `job`. Every mistake found is
// appended to `errors`, each with its line, column and dotted key; the result is false when there
// was any, and `job` must not be used then. Values are stored exactly as written (units are
// labels, nothing is converted); the bypass stress of each load case follows from its bearing
// stress and the hole.
bool read_job(std::string_view text, const std::string& path, Job& job,
              std::vector<JobError>& errors);

}  // namespace hs
