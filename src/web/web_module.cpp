// The analysis as a WebAssembly module for the one-file page (web/): embind functions
//
//   version()                  the program's version, "1.0.0"
//   runJob(tomlText, fileName) one JSON text {"status", "errors", "results", "tables", "csv",
//                              "pictures"}
//   expandLayup(layupText)     one JSON text: the plies of a stacking notation, bottom to top,
//                              {"angles": [...], "materials": [...]} ("" where a ply names no
//                              material), or {"error", "offset" (bytes), "column" (characters,
//                              from 1)} at the first mistake
//
// runJob reads the job file as `holestress run` does and answers with everything the page shows:
// the results as `holestress run JOB --format json` prints them (the same document, so the same
// numbers to the last bit), the dialogue's tables, the CSV files by name, and the page of
// pictures (a complete HTML document with inline SVG and its style). Status 0 when the job ran,
// 2 when it did not: then "errors" holds one line per mistake, FILE:LINE:COLUMN: KEY: MESSAGE.
// Nothing thrown leaves the module: the page gets status 2 and the message instead. A job that
// names a materials file (materials_file) is refused before it is read: the page holds the one
// file it was given, and the module has no folder beside it to look in. A joint job ([joint]) is
// analysed once and answers as `holestress run` does for it: the document with its `joint`
// object, the joint's table, joint_rows.csv and joint_holes.csv, and the joint's page of pictures
// (the rows' shares, every hole's smallest factor, the critical hole's pictures); a joint whose
// rows cannot share the load is refused with the reason, as the command line refuses it.
#include <emscripten/bind.h>

#include <exception>
#include <new>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "job/job_reader.hpp"
#include "job/layup.hpp"
#include "job/toml.hpp"
#include "job/toml_limits.hpp"
#include "job/toml_text.hpp"
#include "plot/job_pictures.hpp"
#include "runner/csv_results.hpp"
#include "runner/joint_job.hpp"
#include "runner/joint_results.hpp"
#include "runner/json_results.hpp"
#include "runner/json_text.hpp"
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
  return json_text(doc, -1);
}

// The refusal of a job that takes its materials from a file beside it, located at the key; ""
// when the job names none. A text the TOML reader cannot read is left to read_job, which says why.
std::string materials_file_refusal(const std::string& text, const std::string& file_name) {
  if (text.find("materials_file") == std::string::npos) return "";
  TomlLimitBreach breach;
  if (!within_toml_limits(text, breach)) return "";
  toml::parse_result parsed = toml::parse(text, std::string_view(file_name));
  if (!parsed) return "";
  for (auto&& [key, value] : parsed.table()) {
    if (key.str() != "materials_file") continue;
    const toml::source_position at = key.source().begin;
    const std::string named =
        value.is_string() ? toml_string(value.as_string()->get()) : std::string("that file");
    return file_name + ":" + std::to_string(at.line) + ":" + std::to_string(at.column) +
           ": materials_file: the page reads a single job file: copy the materials of " + named +
           " into [materials]\n";
  }
  return "";
}

// A joint job: the sharing and every hole once, each form of the results from that analysis.
Json run_joint(const Job& job, const std::string& file_name) {
  const JointAnalysis joint = analyse_joint_job(job);
  if (joint.status != JointStatus::kOk) {
    return refusal(file_name + ":0:0: joint: " + joint.message + "\n");
  }
  Json out;
  out["status"] = 0;
  out["errors"] = "";
  out["results"] = joint_results_json(job, joint);
  std::ostringstream tables;
  write_joint_table_results(job, joint, tables);
  out["tables"] = tables.str();
  Json csv = Json::object();
  for (auto& [name, text] : joint_csv_results(job, joint)) csv[name] = std::move(text);
  out["csv"] = std::move(csv);
  out["pictures"] = joint_pictures(job, joint);
  return out;
}

Json run(const std::string& toml, const std::string& file_name) {
  if (std::string refused = materials_file_refusal(toml, file_name); !refused.empty()) {
    return refusal(refused);
  }
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
  if (job.joint.given) return run_joint(job, file_name);
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

// The column of a byte offset in UTF-8 text, counted in characters from 1.
std::size_t character_column(std::string_view text, std::size_t offset) {
  std::size_t column = 1;
  for (std::size_t i = 0; i < offset && i < text.size(); ++i) {
    if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) ++column;
  }
  return column;
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

std::string expand_layup(const std::string& text) {
  try {
    std::vector<LayupPly> plies;
    LayupError mistake;
    Json out;
    if (!hs::expand_layup(text, plies, mistake)) {
      out["error"] = mistake.message;
      out["offset"] = mistake.offset;
      out["column"] = character_column(text, mistake.offset);
      return text_of(out);
    }
    Json angles = Json::array(), materials = Json::array();
    for (const LayupPly& p : plies) {
      angles.push_back(p.angle);
      materials.push_back(p.material);
    }
    out["angles"] = std::move(angles);
    out["materials"] = std::move(materials);
    return text_of(out);
  } catch (const std::exception& e) {
    Json out;
    out["error"] = std::string("the layup could not be expanded: ") + e.what();
    out["offset"] = 0;
    out["column"] = 1;
    return text_of(out);
  }
}

}  // namespace hs::web

EMSCRIPTEN_BINDINGS(holestress) {
  emscripten::function("version", &hs::web::version);
  emscripten::function("runJob", &hs::web::run_job);
  emscripten::function("expandLayup", &hs::web::expand_layup);
}
