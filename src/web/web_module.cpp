// The analysis as a WebAssembly module for the one-file page (web/): embind functions
//
//   version()                  the program's version, "1.0.0"
//   runJob(tomlText, fileName) one JSON text {"status", "errors", "results", "tables", "csv",
//                              "pictures"}
//
// runJob reads the job file as `holestress run` does and answers with everything the page shows:
// the results as `holestress run JOB --format json` prints them (the same document, so the same
// numbers to the last bit), the dialogue's tables, the CSV files by name, and the page of
// pictures (a complete HTML document with inline SVG and its style). Status 0 when the job ran,
// 2 when it did not: then "errors" holds one line per mistake, FILE:LINE:COLUMN: KEY: MESSAGE.
// Nothing thrown leaves the module: the page gets status 2 and the message instead.
#include <emscripten/bind.h>

#include <exception>
#include <new>
#include <sstream>
#include <string>
#include <vector>

#include "job/job_reader.hpp"
#include "plot/job_pictures.hpp"
#include "runner/csv_results.hpp"
#include "runner/json_results.hpp"
#include "runner/results_common.hpp"
#include "runner/table_results.hpp"

namespace hs::web {

namespace {

Json refusal(const std::string& errors) {
  Json out;
  out["status"] = 2;
  out["errors"] = errors;
  out["results"] = nullptr;
  out["tables"] = "";
  out["csv"] = Json::object();
  out["pictures"] = "";
  return out;
}

// Invalid UTF-8 (a message quoting bytes of a broken file) is replaced rather than thrown on.
std::string text_of(const Json& doc) {
  return doc.dump(-1, ' ', false, Json::error_handler_t::replace);
}

Json run(const std::string& toml, const std::string& file_name) {
  Job job;
  std::vector<JobError> errors;
  if (!read_job(toml, file_name, job, errors)) {
    std::string lines;
    for (const JobError& e : errors) lines += to_string(e) + "\n";
    return refusal(lines);
  }
  if (!job.load_cases_file.empty()) {
    // The load cases of such a file are streamed through a pool of threads, which the page does
    // not have; the command line runs them.
    return refusal(file_name +
                   ":0:0: load_cases_file: a file of load cases is not run in the page: give the "
                   "load cases in the job ([[load_cases]]), or run the job with holestress run\n");
  }
  Json out;
  out["status"] = 0;
  out["errors"] = "";
  out["results"] = results_json(job);
  std::ostringstream tables;
  write_table_results(job, tables);
  out["tables"] = tables.str();
  Json csv = Json::object();
  for (auto& [name, text] : csv_results(job)) csv[name] = std::move(text);
  out["csv"] = std::move(csv);
  out["pictures"] = plot::job_pictures(job);
  return out;
}

}  // namespace

std::string version() {
  return program_version();
}

std::string run_job(const std::string& toml, const std::string& file_name) {
  const std::string name = file_name.empty() ? std::string("job.toml") : file_name;
  try {
    return text_of(run(toml, name));
  } catch (const std::bad_alloc&) {
    return text_of(refusal(name + ":0:0: the job needs more memory than the page has\n"));
  } catch (const std::exception& e) {
    return text_of(refusal(name + ":0:0: the analysis stopped: " + e.what() + "\n"));
  } catch (...) {
    return text_of(refusal(name + ":0:0: the analysis stopped on an unknown error\n"));
  }
}

}  // namespace hs::web

EMSCRIPTEN_BINDINGS(holestress) {
  emscripten::function("version", &hs::web::version);
  emscripten::function("runJob", &hs::web::run_job);
}
