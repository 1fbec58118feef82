// holestress-plot: the pictures of a dialogue or of a job file, as one self-contained HTML page.
//
//   holestress-plot [DIALOGUE-OR-JOB-FILE] [--output FILE]
//
// A dialogue (standard input by default) runs as holestress runs it, with the tables switched
// off, and its page speaks the dialogue's words (passes, output cases, PX, DIST); a job file
// (named *.toml) is run by the job runner and drawn in its own words, load case by load case; a
// joint job is shared among its rows and every hole analysed, and drawn as `holestress run
// JOB --format html` draws it (the same page, from runner/joint_results).
//
// The program sits with the runner, above the picture library, because a joint's analysis
// belongs to the runner (runner/joint_job); the pictures of a dialogue and of a job of one hole
// are the plot library's.
#include <CLI/CLI.hpp>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include "dialogue/program.hpp"
#include "io/output_file.hpp"
#include "job/job_reader.hpp"
#include "job/toml_limits.hpp"
#include "plot/job_pictures.hpp"
#include "plot/page.hpp"
#include "runner/joint_job.hpp"
#include "runner/joint_results.hpp"

namespace {

bool is_job_file(const std::string& path) {
  return path.size() > 5 && path.compare(path.size() - 5, 5, ".toml") == 0;
}

// The page of the input, in html; a status as holestress gives it when there is none.
int run(const std::string& input, std::string& html) {
  if (is_job_file(input)) {
    std::string text, error;
    if (!hs::read_file(input, hs::kMaxJobFileBytes, text, error)) {
      std::cerr << "holestress-plot: " << error << "\n";
      return 1;
    }
    hs::Job job;
    std::vector<hs::JobError> errors;
    if (!hs::read_job(text, input, job, errors)) {
      for (const hs::JobError& e : errors) std::cerr << hs::to_string(e) << "\n";
      return 2;
    }
    if (job.joint.given) {
      // A joint whose rows cannot share the load (a laminate without stiffness along it) has no
      // page, as it has no results.
      const hs::JointAnalysis joint = hs::analyse_joint_job(job);
      if (joint.status != hs::JointStatus::kOk) {
        std::cerr << "holestress-plot: " << input << ": " << joint.message << "\n";
        return 2;
      }
      html = hs::joint_pictures(job, joint);
      return 0;
    }
    if (!job.load_cases_file.empty()) {
      std::cerr << "holestress-plot: " << input
                << ": a job with a load-case file has no pictures (its load cases are rows)\n";
      return 2;
    }
    html = hs::plot::job_pictures(job);
  } else {
    std::ifstream f;
    std::istream* in = &std::cin;
    if (!input.empty() && input != "-") {
      f.open(input, std::ios::binary);
      if (!f) {
        std::cerr << "holestress-plot: cannot read " << input << ": " << std::strerror(errno)
                  << "\n";
        return 1;
      }
      in = &f;
    }
    std::ostream nowhere(nullptr);  // the tables are not wanted
    hs::plot::Page page;
    int status = hs::run_dialogue(*in, nowhere, std::cerr, &page, true);
    // Bad input ends the run as it ends holestress: its diagnostic, its status, and no page.
    if (status != 0) return status;
    html = page.html();
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::ios::sync_with_stdio(false);
  CLI::App app{"The pictures of a holestress dialogue or job file, as one HTML page.",
               "holestress-plot"};
  app.set_version_flag("--version", std::string("holestress-plot ") + HOLESTRESS_VERSION);
  std::string input, output;
  app.add_option("FILE", input,
                 "a dialogue (default, or -: standard input) or a job file (*.toml)");
  app.add_option("--output", output, "the page to write (default: standard output)");
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    int code = app.exit(e);
    return code == 0 ? 0 : 2;
  }
  std::string html;
  if (int status = run(input, html); status != 0) return status;
  // An existing page is replaced only by a whole new one, and only once the input has run.
  if (output.empty() || output == "-") {
    std::cout.write(html.data(), static_cast<std::streamsize>(html.size()));
    std::cout.flush();
    if (!std::cout) {
      std::cerr << "holestress-plot: the page could not be written: " << std::strerror(errno)
                << "\n";
      return 1;
    }
    return 0;
  }
  std::string error;
  if (!hs::write_file_atomically(output, html, error)) {
    std::cerr << "holestress-plot: " << error << "\n";
    return 1;
  }
  return 0;
}
