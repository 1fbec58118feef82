// The results document of a job as a reader of its JSON text sees it: the series written out
// as lists of numbers (null where not finite) and read back.
#pragma once

#include "runner/json_results.hpp"
#include "runner/json_text.hpp"

namespace hs {

inline Json parsed_results(const Job& job) {
  return Json::parse(json_text(results_json(job), 1));
}

}  // namespace hs
