#include "runner/load_case_file.hpp"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <istream>
#include <memory>
#include <new>
#include <ostream>
#include <string_view>
#include <vector>

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

// Bytes asked of the input at a time; the buffer holds that and the longest line allowed.
constexpr std::size_t kReadBytes = std::size_t{1} << 20;
// Rows read, worked through and written at a time, and rows a thread takes at a time. Chunks
// grow from kFirstChunkLines to kChunkLines rows, doubling: a small file is shared in
// pieces small enough to keep every thread busy, a large one with few waits at chunk ends.
constexpr std::size_t kFirstChunkLines = 4096;
constexpr std::size_t kChunkLines = 65536;
constexpr std::size_t kBlockLines = 512;
// How soon the calling thread turns to the input and output while the threads work.
constexpr std::chrono::milliseconds kInputOutputDelay(1);
// The progress line is written at most this often.
constexpr double kProgressSeconds = 0.25;

std::string_view trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
    s.remove_suffix(1);
  return s;
}

// The lines of the input, read kReadBytes at a time into one buffer and handed out as views into
// it, valid until the next refill(). A line longer than kMaxLineBytes is handed out without its
// text, marked too long, and the rest of it is skipped unread: memory stays bounded whatever the
// input (a file of one endless line, /dev/zero).
class LineReader {
 public:
  struct Line {
    std::string_view text;  // without its line end
    long number;            // from 1
    bool too_long;
    bool unended;  // the last line of the input, without a line end
  };

  explicit LineReader(std::istream& in) : in_(in), buffer_(kReadBytes + kMaxLineBytes) {}

  // The next whole line in the buffer; false when it holds none (refill, then ask again).
  bool next(Line& line) {
    for (;;) {
      const char* begin = buffer_.data() + head_;
      const std::size_t size = tail_ - head_;
      const void* end = std::memchr(begin, '\n', size);
      if (skipping_) {
        if (!end) {
          head_ = tail_;
          return false;
        }
        head_ += static_cast<const char*>(end) - begin + 1;
        skipping_ = false;
        continue;
      }
      if (end) {
        const std::size_t length = static_cast<const char*>(end) - begin;
        head_ += length + 1;
        line = {std::string_view(begin, length), ++number_, length > kMaxLineBytes, false};
        if (line.too_long) line.text = {};
        return true;
      }
      if (size > kMaxLineBytes) {
        head_ = tail_;
        skipping_ = true;
        line = {{}, ++number_, true, false};
        return true;
      }
      if (at_end_ && size > 0) {
        head_ = tail_;
        line = {std::string_view(begin, size), ++number_, false, true};
        return true;
      }
      return false;
    }
  }

  // Keeps the part line left in the buffer and reads more; false at the end of the input.
  bool refill() {
    if (at_end_) return false;
    const std::size_t kept = tail_ - head_;
    if (kept > 0 && head_ > 0) std::memmove(buffer_.data(), buffer_.data() + head_, kept);
    head_ = 0;
    tail_ = kept;
    in_.read(buffer_.data() + tail_, static_cast<std::streamsize>(buffer_.size() - tail_));
    const auto got = in_.gcount();
    tail_ += static_cast<std::size_t>(got);
    if (got == 0 || !in_) at_end_ = true;
    return true;
  }

 private:
  std::istream& in_;
  std::vector<char> buffer_;
  std::size_t head_ = 0, tail_ = 0;
  long number_ = 0;
  bool at_end_ = false, skipping_ = false;
};

std::string too_long_message(long line_no) {
  return "line " + std::to_string(line_no) + ": longer than " + std::to_string(kMaxLineBytes) +
         " bytes";
}

// The columns of the header, in file order: which load-case key each one is.
bool parse_header(std::string_view line, const Plate& plate, std::vector<int>& columns,
                  std::string& error) {
  std::size_t start = 0;
  bool seen[kColumns] = {};
  for (;;) {
    const std::size_t comma = line.find(',', start);
    const std::string_view cell = trim(line.substr(
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

// One row: its name (a view into the line, empty when the file has no name column) and loads.
// False for a bad row; only then, and only when error is not null, the message naming the line
// and column of the first fault is made.
bool parse_row(const LineReader::Line& line, const std::vector<int>& columns, const Plate& plate,
               std::string_view& name, Loads& row, std::string* error) {
  row = Loads{};
  name = {};
  if (line.too_long) {
    if (error) *error = too_long_message(line.number);
    return false;
  }
  auto fail = [&](std::size_t column, const std::string& message) {
    if (error) {
      *error = "line " + std::to_string(line.number) + " column " + std::to_string(column) + ": " +
               message;
    }
    return false;
  };
  double* fields[kColumns] = {nullptr,       &row.px,      &row.py,         &row.pxy,
                              &row.off_axis, &row.bearing, &row.bolt_angle, &row.bypass};
  const std::string_view text = line.text;
  std::size_t start = 0, n = 0;
  for (;; ++n) {
    const std::size_t comma = text.find(',', start);
    if (n >= columns.size()) {
      return fail(start + 1, "more values than columns (a comma in a name?)");
    }
    const std::string_view cell = trim(text.substr(
        start, comma == std::string_view::npos ? std::string_view::npos : comma - start));
    const int which = columns[n];
    if (which == kName) {
      if (cell.find('"') != std::string_view::npos) {
        return fail(start + 1, "a name may not hold quotes or commas");
      }
      name = cell;
    } else {
      if (cell.empty()) {
        return fail(start + 1, std::string("missing value of ") + kColumnNames[which]);
      }
      std::string_view number = cell;
      if (number.front() == '+') number.remove_prefix(1);
      double v = 0.0;
      const auto r = std::from_chars(number.data(), number.data() + number.size(), v);
      if (r.ec != std::errc() || r.ptr != number.data() + number.size() || !std::isfinite(v)) {
        return fail(start + 1, std::string(kColumnNames[which]) + " is not a finite number: \"" +
                                   std::string(cell) + "\"");
      }
      // The strip's bolt bears towards +x, and a free end carries no bypass.
      if (plate.strip() && which == kBearing && v < 0.0) {
        return fail(start + 1,
                    "bearing must be 0 or greater in the strip model (the bolt bears towards +x)");
      }
      if (plate.strip() && which == kBypass && v != 0.0 && plate.edge_distance > 0.0) {
        return fail(start + 1,
                    "bypass must be 0 with an edge distance (the free end carries no stress)");
      }
      *fields[which] = v;
    }
    if (comma == std::string_view::npos) break;
    start = comma + 1;
  }
  // A row with fewer values than the header has columns is refused, not read with zeros: it is
  // most often a row cut short.
  if (n + 1 < columns.size()) {
    if (!error) return false;
    std::string missing;
    for (std::size_t c = n + 1; c < columns.size(); ++c) {
      missing += (c > n + 1 ? ", " : "") + std::string(kColumnNames[columns[c]]);
    }
    std::string message = "the row ends after " + std::to_string(n + 1) + " of its " +
                          std::to_string(columns.size()) + " values (" + missing + " missing)";
    if (line.unended) message += "; the file ends in the middle of the row";
    return fail(trim(text).size() + 1, message);
  }
  return true;
}

void append_number(std::string& out, double v) {
  char buf[32];
  const auto r = double_to_chars(buf, buf + sizeof buf, v);
  out.append(buf, r.ptr);
}

// The texts that repeat from row to row, made once: the columns of the critical ply (number and
// angle) for each ply, the angle for each station, and the distance of one point-stress distance.
struct RowTexts {
  std::vector<std::string> ply, station;
  std::string distance;
};

RowTexts row_texts(const Job& job, const ReserveSuperposition& batch) {
  RowTexts t;
  for (int p = 0; p < job.plies.count; ++p) {
    t.ply.push_back(std::to_string(p + 1) + ",");
    append_number(t.ply.back(), job.plies.angle[p]);
  }
  for (int j = 0; j < station_count(job.grid); ++j) {
    t.station.emplace_back();
    append_number(t.station.back(), batch.station_angle(j));
  }
  append_number(t.distance, job.distances[0].tension);
  return t;
}

// The output rows of a computed load case: one, or with other methods or distances than one
// point-stress distance, one per characteristic distance, each naming its method and distance.
void format_rows(const Job& job, const ReserveSuperposition& batch, const RowTexts& texts,
                 std::string_view name, long row_number, const Loads& loads,
                 const LoadCaseReserve* reserves, std::string& out) {
  const bool plain = plain_reserve(job);
  for (int d = 0; d < batch.distances(); ++d) {
    const LoadCaseReserve& r = reserves[d];
    if (name.empty()) {
      char buf[24];
      const auto e = std::to_chars(buf, buf + sizeof buf, row_number);
      out += "LC";
      out.append(buf, e.ptr);
    } else {
      out += name;
    }
    if (!plain) {
      out += ',';
      out += method_name(job.method);
      out += ',';
      append_number(out, job.distances[d].tension);
      out += ',';
      append_number(out, job.distances[d].compression);
    }
    for (std::size_t c = 0; c < job.criteria.size(); ++c) {
      out += ',';
      if (std::isfinite(r.criterion[c].factor)) {
        append_number(out, r.criterion[c].factor);
      } else {
        out += std::isnan(r.criterion[c].factor) ? "undefined" : "none";
      }
    }
    if (r.smallest < 0) {
      out += r.undefined ? ",undefined,,,,,,,,\n" : ",none,,,,,,,,\n";
      continue;
    }
    const CriterionReserve& at = r.criterion[r.smallest];
    out += ',';
    append_number(out, at.factor);
    out += ',';
    out += criterion_name(job.criteria[r.smallest]);
    out += ',';
    append_number(out, r.margin);
    out += ',';
    out += texts.ply[at.ply];
    out += ',';
    out += texts.station[at.station];
    out += ',';
    if (plain) {
      out += texts.distance;
    } else {
      append_number(out, batch.station_distance(d, at.station, loads));
    }
    out += ',';
    out += component_name(at.component);
    out += ",\n";
  }
}

// One error row, whatever the number of distances.
void format_error(const Job& job, std::string_view name, const std::string& message,
                  std::string& out) {
  out += name;
  out.append(job.criteria.size() + 8 + (plain_reserve(job) ? 0 : 3), ',');
  out += "error: ";
  out += message;
  out += '\n';
}

// Rows read from the input, copied out of the reader's buffer: the block of work the threads
// share while the calling thread writes the rows before and reads the rows after.
struct Chunk {
  std::string text;                    // the lines, one after another
  std::vector<LineReader::Line> rows;  // views into text
  long first_row = 0;                  // rows before this chunk
  std::vector<std::string> output;     // per block of kBlockLines rows
  std::vector<long> failed;            // per block
};

// What each thread keeps from block to block: its working storage and its block's rows. On a
// cache line of its own: the vectors' ends change at every row, and two threads writing one line
// would pass it to and fro.
struct alignas(64) Worker {
  ReserveSuperposition::ScratchPtr scratch;
  std::vector<std::string_view> names;  // per line of the block
  std::vector<char> parsed;             // per line: whether the row was read
  std::vector<Loads> loads;             // the rows read, in order
  std::vector<LoadCaseReserve> results;
};

// "holestress: 1000000 rows in 1.43 s (699301 rows/s), no error rows".
std::string summary(long rows, long failed, double seconds) {
  char text[160];
  const double rate = seconds > 0.0 ? rows / seconds : 0.0;
  std::snprintf(text, sizeof text, "holestress: %ld rows in %.2f s (%.0f rows/s), ", rows, seconds,
                rate);
  std::string s = text;
  if (failed == 0) return s + "no error rows";
  return s + std::to_string(failed) + (failed == 1 ? " error row" : " error rows") +
         " (their error column says why)";
}

}  // namespace

std::string batch_job_problem(const Job& job) {
  if (job.joint.given) {
    return job.path +
           ": joint: the holes of a joint job take their loads from the joint; the reserve "
           "factors of many load cases are for a job of one hole (holestress interaction draws "
           "a joint's hole under every bearing and bypass)";
  }
  if (job.criteria.empty()) {
    return job.path +
           ": failure.criteria: the reserve factors need a [failure] table with criteria";
  }
  if (job.carpet) {
    return job.path +
           ": carpet: the reserve factors of load cases are for the job's own laminate, not a "
           "carpet plot";
  }
  for (Criterion c : job.criteria) {
    for (int p = 0; p < job.plies.count; ++p) {
      const int m = job.plies.material[p];
      const bool ok =
          job.has_allowables[m] || (c == Criterion::kMaxStrain && job.has_strain_allowables[m]);
      if (!ok) {
        return job.path + ": materials." + job.material_names[m] +
               ": no allowables (T1, C1, T2, C2, S12), needed for the " + criterion_name(c) +
               " reserve factors";
      }
    }
  }
  return "";
}

int run_batch(const Job& job, std::istream& in, std::ostream& out, std::ostream& err, int threads,
              bool progress) {
  const auto started = std::chrono::steady_clock::now();
  if (std::string problem = batch_job_problem(job); !problem.empty()) {
    err << problem << "\n";
    return 2;
  }
  LineReader reader(in);
  LineReader::Line header{};
  for (bool found = false; !found;) {
    while (!found && reader.next(header)) found = header.too_long || !trim(header.text).empty();
    if (!found && !reader.refill()) {
      err << job.load_cases_file << ": the load-case file has no header row\n";
      return 2;
    }
  }
  std::vector<int> columns;
  std::string error;
  if (header.too_long) {
    err << job.load_cases_file << ": " << too_long_message(header.number)
        << ": not a load-case file\n";
    return 2;
  }
  if (!parse_header(trim(header.text), job.plate, columns, error)) {
    err << job.load_cases_file << ": " << error << "\n";
    return 2;
  }

  std::unique_ptr<WorkerPool> pool;
  std::unique_ptr<ReserveSuperposition> batch;
  std::vector<Worker> workers;
  try {
    // The calling thread is one of the threads: it reads and writes between its blocks, so that
    // n threads keep n cores busy and no more.
    pool = std::make_unique<WorkerPool>(threads, WorkerPool::Caller::kWorks);
    batch = std::make_unique<ReserveSuperposition>(job.materials, job.plies, job.grid, job.plate,
                                                   failure_assessment(job));
    workers.resize(pool->size());
    for (Worker& w : workers) w.scratch = batch->scratch();
  } catch (const std::bad_alloc&) {
    err << "holestress: not enough memory for the working storage of the threads\n";
    return 2;
  } catch (const std::exception& e) {
    err << "holestress: " << e.what() << "\n";
    return 2;
  }
  // The strip's solution, when its residuals are large or it has none, is said once.
  if (const StripSolution* s = batch->strip()) {
    std::vector<std::string> cautions;
    strip_warnings(*s, "", cautions);
    for (const std::string& c : cautions) err << job.path << ": caution: " << c << "\n";
  }
  const RowTexts texts = row_texts(job, *batch);

  std::string head = "name";
  if (!plain_reserve(job)) {
    head += ",method,distance_tension [" + job.length_unit + "],distance_compression [" +
            job.length_unit + "]";
  }
  for (Criterion c : job.criteria) head += std::string(",") + criterion_name(c);
  head += ",smallest,criterion,margin_of_safety,ply,ply_angle [deg],angle [deg],distance [" +
          job.length_unit + "],component,error\n";
  out << head;

  // The next rows that are not blank, up to chunk_lines; false when there are none.
  std::size_t chunk_lines = kFirstChunkLines;
  auto read_chunk = [&](Chunk& c) {
    c.text.clear();
    c.rows.clear();
    std::vector<std::size_t> begin;
    LineReader::Line line;
    for (;;) {
      while (c.rows.size() < chunk_lines && reader.next(line)) {
        if (!line.too_long && trim(line.text).empty()) continue;
        begin.push_back(c.text.size());
        c.text.append(line.text);
        c.rows.push_back(line);
      }
      if (c.rows.size() == chunk_lines || !reader.refill()) break;
    }
    for (std::size_t i = 0; i < c.rows.size(); ++i) {
      c.rows[i].text = std::string_view(c.text.data() + begin[i], c.rows[i].text.size());
    }
    chunk_lines = std::min(2 * chunk_lines, kChunkLines);
    return !c.rows.empty();
  };
  auto write_chunk = [&](const Chunk& c) {
    for (const std::string& o : c.output)
      out.write(o.data(), static_cast<std::streamsize>(o.size()));
  };
  // One block of a chunk on thread t: 1. read the rows; 2. work out those read; 3. write every
  // row in order, with the message of each bad one.
  auto work_block = [&](Chunk& c, int t, std::size_t b) {
    Worker& w = workers[t];
    const std::size_t from = b * kBlockLines, to = std::min(from + kBlockLines, c.rows.size());
    w.names.clear();
    w.parsed.clear();
    w.loads.clear();
    Loads row;
    for (std::size_t i = from; i < to; ++i) {
      std::string_view name;
      const bool ok = parse_row(c.rows[i], columns, job.plate, name, row, nullptr);
      w.names.push_back(name);
      w.parsed.push_back(ok);
      if (ok) w.loads.push_back(row);
    }
    const std::size_t distances = static_cast<std::size_t>(batch->distances());
    w.results.resize(w.loads.size() * distances);
    batch->reserve(w.loads.data(), w.loads.size(), *w.scratch, w.results.data());
    std::string& o = c.output[b];
    o.clear();
    c.failed[b] = 0;
    std::size_t k = 0;
    std::string message;
    for (std::size_t i = from; i < to; ++i) {
      const std::string_view name = w.names[i - from];
      if (w.parsed[i - from]) {
        format_rows(job, *batch, texts, name, c.first_row + static_cast<long>(i) + 1, w.loads[k],
                    w.results.data() + k * distances, o);
        ++k;
      } else {
        std::string_view unused;
        parse_row(c.rows[i], columns, job.plate, unused, row, &message);
        format_error(job, name, message, o);
        ++c.failed[b];
      }
    }
  };

  // A pipeline of two chunks: while the threads work through one, the calling thread writes the
  // rows of the one before and reads the one after, then takes blocks of the chunk as the others.
  Chunk chunks[2];
  Chunk* next = &chunks[0];
  Chunk* spare = &chunks[1];
  long rows = 0, failed = 0;
  auto last_report = started;
  std::size_t progress_width = 0;
  // Working storage that cannot be had (std::bad_alloc) ends the run with a message, not an
  // abort, as any other exception from the threads.
  try {
    bool more = read_chunk(*next), pending = false;
    while (more) {
      Chunk& c = *next;
      c.first_row = rows;
      const std::size_t blocks = (c.rows.size() + kBlockLines - 1) / kBlockLines;
      c.output.resize(blocks);
      c.failed.assign(blocks, 0);
      bool turned = false;
      auto input_output = [&] {
        if (turned) return true;
        turned = true;
        if (pending) write_chunk(*spare);
        more = read_chunk(*spare);
        return true;
      };
      pool->share_blocks(
          blocks, [&](int t, std::size_t b) { work_block(c, t, b); }, input_output,
          kInputOutputDelay);
      input_output();  // when the threads were done before the calling thread turned to it
      pending = true;
      std::swap(next, spare);  // spare: the rows just worked out; next: the rows read
      rows += static_cast<long>(spare->rows.size());
      for (long f : spare->failed) failed += f;
      const auto now = std::chrono::steady_clock::now();
      if (progress &&
          std::chrono::duration<double>(now - last_report).count() >= kProgressSeconds) {
        last_report = now;
        const std::string text =
            summary(rows, failed, std::chrono::duration<double>(now - started).count());
        progress_width = std::max(progress_width, text.size());
        err << "\r" << text << std::flush;
      }
    }
    if (pending) write_chunk(*spare);
  } catch (const std::exception& e) {
    out.flush();
    err << (progress_width > 0 ? "\n" : "") << "holestress: the batch stopped after " << rows
        << " rows: " << e.what() << "\n";
    return 2;
  }
  out.flush();
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  const std::string text = summary(rows, failed, seconds);
  // Over the progress line, blanking what is left of it.
  if (progress_width > 0) err << "\r";
  err << text;
  if (progress_width > text.size()) err << std::string(progress_width - text.size(), ' ');
  err << "\n";
  if (!out) {
    err << "holestress: the results could not be written\n";
    return 1;
  }
  return failed > 0 ? 1 : 0;
}

}  // namespace hs
