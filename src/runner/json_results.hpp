// The results of a job as one JSON document, every number at full precision (digits that read
// back to the same double; null where a value is not a number). The layout is documented in
// docs/job-format.md.
#pragma once

#include <nlohmann/json.hpp>

#include "job/job.hpp"

namespace hs {

using Json = nlohmann::ordered_json;

// The inputs as understood: units, materials, plies, hole, grid, load cases, failure, results.
Json inputs_json(const Job& job);

// The head every results document starts with: program, version, title and the units given.
Json results_head(const Job& job, Json units);

// The whole document: program, title, units, inputs, and the laminate with its load cases (or,
// for a carpet plot, the layups, each with its laminate and load cases).
Json results_json(const Job& job);

}  // namespace hs
