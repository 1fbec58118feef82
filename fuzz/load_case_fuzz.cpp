// libFuzzer target for load-case files: the input bytes are the CSV file of a batch of load cases
// on a small fixed job (two plies, stations every 90 degrees, maximum stress and Hoffman).
//
// run_batch must come back with status 0, 1 or 2 for any bytes, without an exception escaping.
// Unless it refuses the header (2, nothing on standard output), it writes one row per line that
// is not blank after the header (a line longer than the longest allowed is one row, however
// long), each either computed (the fields of the header, the error field empty) or an error row;
// status 1 exactly when there are error rows; the summary counts the same rows; and two threads
// write the same bytes as one. When the first byte is 0xF0 or more, a line of kMaxLineBytes + 1
// to + 16 bytes (the second byte repeated) goes in after the first line, to reach the limit that
// fuzzed inputs of a few kilobytes would not. Anything else aborts, and so does every fault the
// sanitizers see.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <string_view>

#include "job/job.hpp"
#include "runner/load_case_file.hpp"

namespace {

hs::Job small_job() {
  hs::Job job;
  job.path = "fuzz.toml";
  job.load_cases_file = "fuzz.csv";
  job.resize_materials(1);
  job.materials.elastic[0] = {20.0e6, 1.4e6, 0.7e6, 0.3};
  job.materials.allowables[0] = {200e3, 180e3, 8e3, 30e3, 12e3};
  job.has_allowables[0] = true;
  job.material_names[0] = "carbon";
  for (double a : {0.0, 45.0}) {
    job.plies.angle.push_back(a);
    job.plies.thickness.push_back(0.005);
    job.plies.material.push_back(0);
    ++job.plies.count;
  }
  job.plate.width = 1.0;
  job.grid = {0.25, 90, 0, 360, 0.05, 2};
  job.criteria = {hs::Criterion::kMaxStress, hs::Criterion::kHoffman};
  job.distances = {{0.05, 0.05}};
  job.results[static_cast<int>(hs::ResultKind::kReserve)] = true;
  return job;
}

[[noreturn]] void fail(const char* what, const std::string& detail) {
  std::fprintf(stderr, "load-case fuzz: %s\n%s\n", what, detail.substr(0, 2000).c_str());
  std::abort();
}

bool blank(std::string_view line) {
  return line.find_first_not_of(" \t\r") == std::string_view::npos;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const hs::Job job = small_job();
  std::string text(reinterpret_cast<const char*>(data), size);
  if (size >= 2 && data[0] >= 0xF0) {
    const std::size_t first = text.find('\n');
    const std::string run(hs::kMaxLineBytes + 1 + (data[0] & 0x0F), static_cast<char>(data[1]));
    text = first == std::string::npos
               ? text + "\n" + run + "\n"
               : text.substr(0, first + 1) + run + "\n" + text.substr(first + 1);
  }

  // The rows the file holds: the lines after the first line that is not blank, blank ones left
  // out. A line too long to keep is one row whatever it holds.
  long expected = 0;
  bool header = false;
  for (std::size_t at = 0; at < text.size();) {
    std::size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    const std::string_view line(text.data() + at, end - at);
    const bool too_long = line.size() > hs::kMaxLineBytes;
    if (too_long || !blank(line)) {
      if (header) ++expected;
      header = true;
    }
    at = end + 1;
  }

  std::string outputs[2];
  for (int threads : {1, 2}) {
    std::istringstream in(text);
    std::ostringstream out, err;
    const int status = hs::run_batch(job, in, out, err, threads);
    const std::string o = out.str(), e = err.str();
    if (status == 2) {
      if (!o.empty() || e.empty()) fail("a refused header with output, or without a message", e);
      return 0;
    }
    if (status != 0 && status != 1) fail("a status other than 0, 1, 2", e);
    // The rows: the header line, then one per row, each of the header's 12 fields with an empty
    // error field, or an error row.
    long rows = -1, errors = 0;
    std::istringstream lines(o);
    for (std::string line; std::getline(lines, line); ++rows) {
      if (rows < 0) continue;
      const std::size_t error = line.find(",error: ");
      if (error != std::string::npos) {
        ++errors;
        continue;
      }
      long commas = 0;
      for (char c : line) commas += c == ',';
      if (commas != 11 || line.back() != ',') fail("a computed row of another shape", line);
    }
    if (rows != expected) {
      fail("rows written, rows in the file", std::to_string(rows) + " " + std::to_string(expected));
    }
    if ((status == 1) != (errors > 0)) fail("status 1 without error rows, or 0 with", e);
    const std::string counted = "holestress: " + std::to_string(rows) + " rows in ";
    if (e.rfind(counted, 0) != 0) fail("a summary of other rows", e);
    outputs[threads - 1] = o;
  }
  if (outputs[0] != outputs[1]) fail("two threads wrote other bytes than one", "");
  return 0;
}
