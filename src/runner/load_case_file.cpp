#include "runner/load_case_file.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <istream>
#include <memory>
#include <ostream>

#include "analysis/superposition.hpp"
#include "analysis/worker_pool.hpp"
#include "io/float_to_chars.hpp"
#include "runner/evaluate.hpp"
#include "runner/results_common.hpp"

namespace hs {

namespace {

enum Column { kName, kPx, kPy, kPxy, kOffAxis, kBearing, kBoltAngle, kBypass, kColumns };
const char* const kColumnNames[kColumns] = {"name",     "px",      "py",         "pxy",
                                            "off_axis", "bearing", "bolt_angle", "bypass"};

// The columns a file may have: the load-case keys of the infinite plate, or of the strip.
bool column_allowed(int column, const Plate& plate) {
  if (plate.strip()) return column == kName || column == kBearing || column == kBypass;
  return column != kBypass;
}

std::string_view trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
    s.remove_suffix(1);
  return s;
}

// The columns of the header, in file order: which load-case key each one is.
bool parse_header(std::string_view line, const Plate& plate, std::vector<int>& columns,
                  std::string& error) {
  size_t start = 0;
  bool seen[kColumns] = {};
  for (int n = 1;; ++n) {
    size_t comma = line.find(',', start);
    std::string_view cell = trim(line.substr(
        start, comma == std::string_view::npos ? std::string_view::npos : comma - start));
    int which = -1;
    for (int c = 0; c < kColumns; ++c) {
      if (cell == kColumnNames[c] && column_allowed(c, plate)) which = c;
    }
    if (which < 0) {
      error = "line 1 column " + std::to_string(start + 1) + ": unknown column \"" +
              std::string(cell) + "\"" +
              (plate.strip() ? " (name, bearing, bypass: the strip model's loads)"
                             : " (name, px, py, pxy, off_axis, bearing, bolt_angle)");
      return false;
    }
    if (seen[which]) {
      error = "line 1 column " + std::to_string(start + 1) + ": column \"" + std::string(cell) +
              "\" given twice";
      return false;
    }
    seen[which] = true;
    columns.push_back(which);
    if (comma == std::string_view::npos) return true;
    start = comma + 1;
  }
}

// One row: false with a message naming the line and column of the first bad value.
bool parse_row(std::string_view line, long line_no, const std::vector<int>& columns,
               const Plate& plate, std::string& name, Loads& row, std::string& error) {
  row = Loads{};
  name.clear();
  size_t start = 0;
  double* fields[kColumns] = {nullptr,       &row.px,      &row.py,         &row.pxy,
                              &row.off_axis, &row.bearing, &row.bolt_angle, &row.bypass};
  const std::string where = "line " + std::to_string(line_no) + " column ";
  for (size_t n = 0;; ++n) {
    size_t comma = line.find(',', start);
    if (n >= columns.size()) {
      error = where + std::to_string(start + 1) + ": more values than columns (a comma in a name?)";
      return false;
    }
    std::string_view cell = trim(line.substr(
        start, comma == std::string_view::npos ? std::string_view::npos : comma - start));
    int which = columns[n];
    if (which == kName) {
      if (cell.find('"') != std::string_view::npos) {
        error = where + std::to_string(start + 1) + ": a name may not hold quotes or commas";
        return false;
      }
      name = std::string(cell);
    } else {
      std::string_view text = cell;
      if (!text.empty() && text.front() == '+') text.remove_prefix(1);
      double v = 0.0;
      auto r = std::from_chars(text.data(), text.data() + text.size(), v);
      if (cell.empty()) {
        error = where + std::to_string(start + 1) + ": missing value of " + kColumnNames[which];
        return false;
      }
      if (r.ec != std::errc() || r.ptr != text.data() + text.size() || !std::isfinite(v)) {
        error = where + std::to_string(start + 1) + ": " + kColumnNames[which] +
                " is not a finite number: \"" + std::string(cell) + "\"";
        return false;
      }
      // The strip's bolt bears towards +x, and a free end carries no bypass.
      const char* refused = nullptr;
      if (plate.strip() && which == kBearing && v < 0.0) {
        refused = "bearing must be 0 or greater in the strip model (the bolt bears towards +x)";
      } else if (plate.strip() && which == kBypass && v != 0.0 && plate.edge_distance > 0.0) {
        refused = "bypass must be 0 with an edge distance (the free end carries no stress)";
      }
      if (refused) {
        error = where + std::to_string(start + 1) + ": " + refused;
        return false;
      }
      *fields[which] = v;
    }
    if (comma == std::string_view::npos) break;
    start = comma + 1;
  }
  return true;
}

void append_number(std::string& out, double v) {
  char buf[32];
  auto r = double_to_chars(buf, buf + sizeof buf, v);
  out.append(buf, r.ptr);
}

// One output row for a computed load case.
void format_row(const Job& job, const ReserveSuperposition& batch, const std::string& name,
                const LoadCaseReserve& r, std::string& out) {
  out += name;
  for (size_t c = 0; c < job.criteria.size(); ++c) {
    out += ',';
    if (std::isfinite(r.criterion[c].factor)) {
      append_number(out, r.criterion[c].factor);
    } else {
      out += std::isnan(r.criterion[c].factor) ? "undefined" : "none";
    }
  }
  if (r.smallest < 0) {
    out += r.undefined ? ",undefined,,,,,,,,\n" : ",none,,,,,,,,\n";
    return;
  }
  const CriterionReserve& at = r.criterion[r.smallest];
  out += ',';
  append_number(out, at.factor);
  out += ',';
  out += criterion_name(job.criteria[r.smallest]);
  out += ',';
  append_number(out, r.margin);
  out += ',' + std::to_string(at.ply + 1) + ',';
  append_number(out, job.plies.angle[at.ply]);
  out += ',';
  append_number(out, station_angle(batch.grid(), at.station));
  out += ',';
  append_number(out, job.distance);
  out += ',';
  out += component_name(at.component);
  out += ",\n";
}

void format_error(const std::string& name, const std::string& message, std::string& out,
                  size_t criteria) {
  out += name;
  for (size_t c = 0; c < criteria + 8; ++c) out += ',';
  out += "error: ";
  out += message;
  out += '\n';
}

// A chunk of input lines worked through by the threads, each its own share of the lines.
struct Chunk {
  std::string text;                // the lines, one after another
  std::vector<size_t> begin, end;  // of each line in text
  std::vector<long> line_no;
  std::vector<std::string> output;  // per thread
  std::vector<int> failed;          // per thread
};

}  // namespace

int run_batch(const Job& job, std::istream& in, std::ostream& out, std::ostream& err, int threads) {
  std::string header;
  long line_no = 0;
  while (std::getline(in, header)) {
    ++line_no;
    if (!trim(header).empty()) break;
  }
  std::vector<int> columns;
  std::string error;
  if (trim(header).empty()) {
    err << job.path << ": the load-case file has no header row\n";
    return 2;
  }
  if (!parse_header(trim(header), job.plate, columns, error)) {
    err << job.load_cases_file << ": " << error << "\n";
    return 2;
  }

  std::unique_ptr<WorkerPool> pool;
  try {
    pool = std::make_unique<WorkerPool>(threads);
  } catch (const std::exception& e) {
    err << "holestress: " << e.what() << "\n";
    return 2;
  }
  threads = pool->size();
  const ReserveSuperposition batch(job.materials, job.plies, job.grid, job.plate,
                                   failure_assessment(job));
  std::vector<ReserveSuperposition::ScratchPtr> scratch;
  for (int t = 0; t < threads; ++t) scratch.push_back(batch.scratch());
  // The strip's solution, when its residuals are large or it has none, is said once.
  if (const StripSolution* s = batch.strip()) {
    std::vector<std::string> cautions;
    strip_warnings(*s, "", cautions);
    for (const std::string& c : cautions) err << job.path << ": caution: " << c << "\n";
  }

  std::string head = "name";
  for (Criterion c : job.criteria) head += std::string(",") + criterion_name(c);
  head += ",smallest,criterion,margin_of_safety,ply,ply_angle [deg],angle [deg],distance [" +
          job.length_unit + "],component,error\n";
  out << head;

  constexpr size_t kChunkLines = 16384;
  Chunk chunk;
  chunk.output.resize(threads);
  chunk.failed.resize(threads);
  long row_count = 0;
  bool any_failed = false;
  std::string line;
  for (bool more = true; more;) {
    chunk.text.clear();
    chunk.begin.clear();
    chunk.end.clear();
    chunk.line_no.clear();
    while (chunk.begin.size() < kChunkLines && (more = static_cast<bool>(std::getline(in, line)))) {
      ++line_no;
      if (trim(line).empty()) continue;
      chunk.begin.push_back(chunk.text.size());
      chunk.text += line;
      chunk.end.push_back(chunk.text.size());
      chunk.line_no.push_back(line_no);
    }
    const size_t n = chunk.begin.size();
    if (n == 0) break;
    pool->share(n, [&](int t, std::size_t from, std::size_t to) {
      std::string& o = chunk.output[t];
      o.clear();
      chunk.failed[t] = 0;
      std::string name, message;
      Loads row;
      LoadCaseReserve r;
      for (std::size_t i = from; i < to; ++i) {
        std::string_view text(chunk.text.data() + chunk.begin[i], chunk.end[i] - chunk.begin[i]);
        if (!parse_row(text, chunk.line_no[i], columns, job.plate, name, row, message)) {
          format_error(name, message, o, job.criteria.size());
          ++chunk.failed[t];
          continue;
        }
        if (name.empty()) name = "LC" + std::to_string(row_count + static_cast<long>(i) + 1);
        batch.reserve(row, *scratch[t], r);
        format_row(job, batch, name, r, o);
      }
    });
    for (int t = 0; t < threads; ++t) {
      out << chunk.output[t];
      any_failed = any_failed || chunk.failed[t] > 0;
    }
    row_count += static_cast<long>(n);
  }
  out.flush();
  if (!out) {
    err << "holestress: the results could not be written\n";
    return 1;
  }
  return any_failed ? 1 : 0;
}

}  // namespace hs
