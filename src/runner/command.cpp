#include "runner/command.hpp"

#include <unistd.h>

#include <CLI/CLI.hpp>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <sstream>

#include "analysis/worker_pool.hpp"
#include "dialogue/program.hpp"
#include "io/output_file.hpp"
#include "job/job_reader.hpp"
#include "job/job_writer.hpp"
#include "job/toml_limits.hpp"
#include "runner/convert.hpp"
#include "runner/csv_results.hpp"
#include "runner/fit_distance.hpp"
#include "runner/interaction.hpp"
#include "runner/joint_results.hpp"
#include "runner/json_results.hpp"
#include "runner/json_text.hpp"
#include "runner/load_case_file.hpp"
#include "runner/results_common.hpp"
#include "runner/table_results.hpp"

namespace hs {

namespace {

// The whole of a file, or of standard input for "-", of at most kMaxJobFileBytes. False with a
// message on err when it cannot be read.
bool slurp(const std::string& path, std::istream& in, std::string& text, std::ostream& err) {
  std::string error;
  if (path == "-") {
    text.clear();
    char buf[65536];
    while (in.read(buf, sizeof buf) || in.gcount() > 0) {
      text.append(buf, static_cast<std::size_t>(in.gcount()));
      if (text.size() > kMaxJobFileBytes) {
        err << "holestress: standard input is larger than " << kMaxJobFileBytes / (1024 * 1024)
            << " MiB: not a job file\n";
        return false;
      }
    }
    return true;
  }
  if (!read_file(path, kMaxJobFileBytes, text, error)) {
    err << "holestress: " << error << "\n";
    return false;
  }
  return true;
}

// Writes text to the file (whole or not at all), or to out when path is empty or "-".
int emit(const std::string& path, const std::string& text, std::ostream& out, std::ostream& err) {
  if (path.empty() || path == "-") {
    // A failure to write standard output is reported once, by main, with its reason.
    out << text;
    out.flush();
    return out ? 0 : 1;
  }
  std::string error;
  if (!write_file_atomically(path, text, error)) {
    err << "holestress: " << error << "\n";
    return 1;
  }
  return 0;
}

// Hands on text written to an output stream in pieces of about a mebibyte.
class PieceBuffer : public std::streambuf {
 public:
  explicit PieceBuffer(const std::function<bool(std::string_view)>& write)
      : write_(write), buffer_(std::size_t{1} << 20) {
    setp(buffer_.data(), buffer_.data() + buffer_.size());
  }
  bool ok() const { return ok_; }

 protected:
  int_type overflow(int_type c) override {
    if (!hand_on()) return traits_type::eof();
    if (!traits_type::eq_int_type(c, traits_type::eof())) {
      *pptr() = traits_type::to_char_type(c);
      pbump(1);
    }
    return traits_type::not_eof(c);
  }
  int sync() override { return hand_on() ? 0 : -1; }

 private:
  bool hand_on() {
    const auto n = static_cast<std::size_t>(pptr() - pbase());
    if (n > 0 && ok_) ok_ = write_(std::string_view(pbase(), n));
    setp(buffer_.data(), buffer_.data() + buffer_.size());
    return ok_;
  }
  const std::function<bool(std::string_view)>& write_;
  std::vector<char> buffer_;
  bool ok_ = true;
};

using PieceWriter = std::function<bool(std::string_view)>;

// Writes text formed in pieces: produce hands each piece to the writer it is given, and says
// whether all were taken. To the file (whole or not at all) or to out, as emit.
int emit_pieces(const std::string& path, std::ostream& out, std::ostream& err,
                const std::function<bool(const PieceWriter&)>& produce) {
  if (path.empty() || path == "-") {
    produce([&](std::string_view piece) {
      out.write(piece.data(), static_cast<std::streamsize>(piece.size()));
      return static_cast<bool>(out);
    });
    out.flush();
    return out ? 0 : 1;
  }
  std::string error;
  AtomicFile file;
  const bool written = file.open(path, error) &&
                       produce([&](std::string_view piece) { return file.write(piece, error); }) &&
                       file.commit(error);
  if (!written) {
    err << "holestress: " << error << "\n";
    return 1;
  }
  return 0;
}

// A results document, its numbers written out on `threads` threads.
int emit_json(const std::string& path, const Json& doc, int threads, std::ostream& out,
              std::ostream& err) {
  return emit_pieces(path, out, err, [&](const PieceWriter& write) {
    return write_json_text(doc, 1, threads, write) && write("\n");
  });
}

// Tables written to a stream.
int emit_tables(const std::string& path, std::ostream& out, std::ostream& err,
                const std::function<void(std::ostream&)>& tables) {
  return emit_pieces(path, out, err, [&](const PieceWriter& write) {
    PieceBuffer buffer(write);
    std::ostream text(&buffer);
    tables(text);
    text.flush();
    return buffer.ok() && static_cast<bool>(text);
  });
}

int run_dialogue_file(const std::string& path, std::istream& in, std::ostream& out,
                      std::ostream& err) {
  if (path.empty() || path == "-") {
    // Typed at a terminal, a mistyped value is asked again; piped input ends the run on it.
    const bool terminal = &in == &std::cin && isatty(STDIN_FILENO);
    return run_dialogue(in, out, err, nullptr, false, terminal);
  }
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec)) {
    err << "holestress: cannot read " << path << ": it is a folder, not a file\n";
    return 1;
  }
  std::ifstream f(path, std::ios::binary);
  if (!f) {
    err << "holestress: cannot read " << path << ": " << std::strerror(errno) << "\n";
    return 1;
  }
  return run_dialogue(f, out, err);
}

// Reads and checks a job file; on mistakes writes every one of them and returns false.
bool load_job(const std::string& path, std::istream& in, Job& job, std::ostream& err, int& status) {
  std::string text;
  if (!slurp(path, in, text, err)) {
    status = 1;
    return false;
  }
  std::vector<JobError> errors;
  const std::string name = path == "-" ? "<stdin>" : path;
  if (!read_job(text, name, job, errors)) {
    for (const JobError& e : errors) err << to_string(e) << "\n";
    status = 2;
    return false;
  }
  return true;
}

// A job whose load cases come from a CSV file: the reserve factors of every row, streamed as CSV.
// format: as given on the command line ("" when left out).
int run_load_case_file(const Job& job, const std::string& format, const std::string& output,
                       int threads, std::istream& in, std::ostream& out, std::ostream& err) {
  if (!format.empty() && format != "csv") {
    err << "holestress: --format " << format << ": the load cases of " << job.path
        << " come from a file (load_cases_file), whose reserve factors are written as CSV rows: "
           "give --format csv or leave --format out\n";
    return 2;
  }
  if (std::string problem = batch_job_problem(job); !problem.empty()) {
    err << problem << "\n";
    return 2;
  }
  std::ifstream file;
  std::istream* rows = &in;
  if (job.load_cases_file != "-") {
    std::filesystem::path p = job.load_cases_file;
    if (p.is_relative() && job.path != "<stdin>")
      p = std::filesystem::path(job.path).parent_path() / p;
    std::error_code ec;
    if (std::filesystem::is_directory(p, ec)) {
      err << "holestress: cannot read " << p.string() << ": it is a folder, not a file\n";
      return 1;
    }
    file.open(p, std::ios::binary);
    if (!file) {
      err << "holestress: cannot read " << p.string() << ": " << std::strerror(errno) << "\n";
      return 1;
    }
    rows = &file;
  }
  // Progress while the rows are worked through, on a terminal only.
  const bool progress = &err == &std::cerr && isatty(STDERR_FILENO);
  if (output.empty() || output == "-") return run_batch(job, *rows, out, err, threads, progress);
  // The rows stream into a file beside the output, renamed into place once the run has gone
  // through: the output holds its old content until then, and never half a batch.
  const std::string temporary = output + ".tmp-" + std::to_string(getpid());
  int status;
  bool written;
  {
    std::ofstream f(temporary, std::ios::binary);
    if (!f) {
      err << "holestress: cannot write " << output << ": " << std::strerror(errno) << "\n";
      return 1;
    }
    status = run_batch(job, *rows, f, err, threads, progress);
    f.close();
    written = static_cast<bool>(f);
    if (!written && status != 2) {
      err << "holestress: cannot write " << output << ": " << std::strerror(errno) << "\n";
      status = 1;
    }
  }
  std::error_code ec;
  if (status == 2 || !written) {
    std::filesystem::remove(temporary, ec);
    return status;
  }
  std::filesystem::rename(temporary, output, ec);
  if (ec) {
    err << "holestress: cannot write " << output << ": " << ec.message() << "\n";
    std::filesystem::remove(temporary, ec);
    return 1;
  }
  return status;
}

int run_job(const std::string& path, const std::string& format, const std::string& output,
            int threads, std::istream& in, std::ostream& out, std::ostream& err) {
  Job job;
  int status = 0;
  if (!load_job(path, in, job, err, status)) return status;
  if (!job.load_cases_file.empty()) {
    return run_load_case_file(job, format, output, threads, in, out, err);
  }
  if (job.joint.given) {
    // A joint whose rows cannot share the load (a laminate without stiffness along it) has no
    // results at all.
    const JointAnalysis joint = analyse_joint_job(job);
    if (joint.status != JointStatus::kOk) {
      err << "holestress: " << job.path << ": " << joint.message << "\n";
      return 2;
    }
    if (format.empty() || format == "json") {
      return emit_json(output, joint_results_json(job, joint), threads, out, err);
    }
    if (format == "table") {
      return emit_tables(output, out, err,
                         [&](std::ostream& text) { write_joint_table_results(job, joint, text); });
    }
    if (format == "html") return emit(output, joint_pictures(job, joint), out, err);
  }
  if (format == "html") {
    err << "holestress: --format html: the pictures of a job of one hole come from "
           "holestress-plot "
        << path << "; --format html is a joint job's page\n";
    return 2;
  }
  if (format.empty() || format == "json") {
    return emit_json(output, results_json(job), threads, out, err);
  }
  if (format == "table") {
    return emit_tables(output, out, err,
                       [&](std::ostream& text) { write_table_results(job, text); });
  }
  // CSV: a folder of files, by default beside the job file's name.
  std::string folder = output;
  if (folder.empty()) {
    folder = path == "-" ? std::string("results")
                         : std::filesystem::path(path).stem().string() + "-results";
  }
  std::vector<std::string> written;
  std::string error;
  if (!write_csv_results(job, folder, written, error, threads)) {
    err << "holestress: " << error << "\n";
    return 1;
  }
  for (const std::string& w : written) out << w << "\n";
  return 0;
}

int convert(const std::string& path, const std::string& output, const DialogueUnits& units,
            std::istream& in, std::ostream& out, std::ostream& err) {
  std::string text;
  if (!slurp(path, in, text, err)) return 1;
  std::istringstream dialogue(text);
  std::vector<Job> jobs;
  const std::string name =
      path == "-" ? "<stdin>" : std::filesystem::path(path).filename().string();
  int status = dialogue_to_jobs(dialogue, name, err, jobs, units);
  if (status != 0) return status;
  if (jobs.empty()) {
    err << "holestress: " << name << " analyses nothing (no output case from 2 up): no job\n";
    return 2;
  }
  std::string stem = path == "-" ? "dialogue" : std::filesystem::path(path).stem().string();
  const bool into_folder = !output.empty() && std::filesystem::is_directory(output);
  if (jobs.size() == 1 && !into_folder) return emit(output, write_job(jobs[0]), out, err);
  if (jobs.size() == 1) {
    std::string file = (std::filesystem::path(output) / (stem + ".toml")).string();
    if (int s = emit(file, write_job(jobs[0]), out, err); s != 0) return s;
    out << file << "\n";
    return 0;
  }
  // Several jobs: one file each, in a folder.
  std::string folder = output;
  if (folder.empty() || folder == "-") folder = ".";
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  for (size_t i = 0; i < jobs.size(); ++i) {
    std::string file =
        (std::filesystem::path(folder) / (stem + "-" + std::to_string(i + 1) + ".toml")).string();
    if (int s = emit(file, write_job(jobs[i]), out, err); s != 0) return s;
    out << file << "\n";
  }
  return 0;
}

}  // namespace

int command_line(int argc, char** argv, std::istream& in, std::ostream& out, std::ostream& err) {
  CLI::App app{
      "Stress analysis of a composite laminate with a circular hole, open or loaded by a bolt.\n"
      "Without arguments: the dialogue on standard input.",
      "holestress"};
  app.set_version_flag("--version", std::string("holestress ") + program_version());
  std::string dialogue;
  app.add_option("DIALOGUE-FILE", dialogue,
                 "a file of answers to the dialogue (- for standard input; a file named like a "
                 "subcommand as ./run)");

  CLI::App* run = app.add_subcommand("run", "run a job file");
  std::string job_path, format, output;
  int threads = 0;
  run->add_option("JOB", job_path, "the job file (TOML; - for standard input)")->required();
  run->add_option("--format", format,
                  "json (default), csv (a folder of files), table, or html (the pictures of a "
                  "joint job); a job with a load-case file writes CSV rows only")
      ->check(CLI::IsMember({"json", "csv", "table", "html"}));
  run->add_option(
      "--output", output,
      "the file to write (json, table; default standard output) or the folder "
      "(csv; default: the job file's name with -results, laminate.toml: laminate-results)");
  // The check says the range itself: CLI11's own range checks print their bounds as doubles.
  const CLI::Validator thread_count(
      [](std::string& text) {
        int n = -1;
        const auto r = std::from_chars(text.data(), text.data() + text.size(), n);
        if (r.ec == std::errc() && r.ptr == text.data() + text.size() && n >= 0 &&
            n <= kMaxThreads) {
          return std::string();
        }
        return "0 (every core) or a number of threads from 1 to " + std::to_string(kMaxThreads) +
               ", not " + text;
      },
      "0.." + std::to_string(kMaxThreads));
  run->add_option(
         "--threads", threads,
         "threads for a load-case file and for writing large results (default 0: every core; at most " +
             std::to_string(kMaxThreads) + ")")
      ->check(thread_count);

  CLI::App* conv = app.add_subcommand("convert", "write the job file equivalent to a dialogue");
  std::string conv_path, conv_output;
  conv->add_option("DIALOGUE-FILE", conv_path, "the dialogue (- for standard input)")->required();
  DialogueUnits units;
  conv->add_option("--stress-unit", units.stress,
                   "the unit the dialogue's stresses and moduli are in (default psi)")
      ->check(CLI::IsMember({"psi", "ksi", "Pa", "kPa", "MPa", "GPa"}));
  conv->add_option("--length-unit", units.length,
                   "the unit the dialogue's lengths are in (default in)")
      ->check(CLI::IsMember({"in", "mm", "m"}));
  conv->add_option("--output", conv_output,
                   "the job file (default standard output); for a dialogue of several jobs the "
                   "folder of DIALOGUE-1.toml, ... (default the current folder)");
  CLI::App* fit = app.add_subcommand(
      "fit-distance", "fit the characteristic distances to the strengths of a coupon file");
  FitDistanceOptions fit_options;
  fit->add_option("COUPONS", fit_options.coupons, "the coupon file (TOML)")->required();
  fit->add_option("--picture", fit_options.picture,
                  "the hole-size-effect picture: FILE.html for a page with the report, otherwise "
                  "SVG (default COUPONS-fit.svg)");
  fit->add_option("--write-job", fit_options.write_job,
                  "a job file whose [failure] takes the fitted distances and method (rewritten)");
  CLI::App* inter = app.add_subcommand(
      "interaction", "the bearing-bypass interaction diagram of a hole, as CSV and a picture");
  InteractionOptions inter_options;
  inter->add_option("JOB", inter_options.job, "the job file (TOML)")->required();
  inter->add_option("--hole", inter_options.hole,
                    "PLATE:ROW, a hole of a joint job (default: the critical hole)");
  inter
      ->add_option("--rays", inter_options.rays,
                   "rays from tension bypass through bearing to compression bypass, less one "
                   "(default 90: every 2 degrees)")
      ->check(CLI::Range(2, 3600));
  inter->add_option("--output", inter_options.output,
                    "the CSV file (default JOB-interaction.csv in the current folder)");
  inter->add_option("--picture", inter_options.picture,
                    "the SVG picture (default JOB-interaction.svg in the current folder)");
  app.require_subcommand(0, 1);

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    int code = app.exit(e, out, err);
    return code == 0 ? 0 : 2;
  }
  if (*run) return run_job(job_path, format, output, threads, in, out, err);
  if (*conv) return convert(conv_path, conv_output, units, in, out, err);
  if (*fit) return fit_distance_command(fit_options, out, err);
  if (*inter) return interaction_command(inter_options, out, err);
  return run_dialogue_file(dialogue, in, out, err);
}

}  // namespace hs
