// Writing a Job as a job file (TOML).
#pragma once

#include <string>

#include "job/job.hpp"

namespace hs {

// The job file of `job`, with the units as comments. For a job that read_job accepts (or builds
// the same way), read_job of the text gives the same Job bit for bit: every number is written as
// the shortest text that reads back to the same double. A material without a name is written as
// "material<n>" (n from 1).
std::string write_job(const Job& job);

}  // namespace hs
