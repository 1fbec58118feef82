#include "runner/csv_results.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string_view>

#include "analysis/worker_pool.hpp"
#include "hole/transforms.hpp"
#include "io/float_to_chars.hpp"
#include "io/output_file.hpp"
#include "runner/evaluate.hpp"
#include "runner/joint_results.hpp"
#include "runner/results_common.hpp"

namespace hs {

std::string csv_number(double v) {
  std::string s;
  append_csv_number(s, v);
  return s;
}

void append_csv_number(std::string& out, double v) {
  if (std::isnan(v)) {
    out += "NaN";
  } else if (std::isinf(v)) {
    out += v < 0 ? "-Inf" : "Inf";
  } else {
    char buf[32];
    const auto r = double_to_chars(buf, buf + sizeof buf, v);
    out.append(buf, r.ptr);
  }
}

namespace {

const char* const kStripCsv = "strip.csv";

// Rows of CSV text.
struct RowText {
  std::string text;
  void row(std::initializer_list<std::string> cells) {
    bool first = true;
    for (const std::string& c : cells) {
      if (!first) text += ',';
      text += c;
      first = false;
    }
    text += '\n';
  }
  // A row cell by cell, without a string per cell: the leading cells as they stand, then each
  // number after a comma, then the end of the row.
  RowText& start(std::string_view cells) {
    text += cells;
    return *this;
  }
  RowText& number(double v) {
    text += ',';
    append_csv_number(text, v);
    return *this;
  }
  void end(std::string_view rest = {}) {
    text += rest;
    text += '\n';
  }
};

// One CSV file being formed: in memory, or handed on to its file as it grows.
struct Table : RowText {
  Table(std::string file_name, std::string header) : name(std::move(file_name)) {
    text = std::move(header);
  }
  std::string name;
  std::unique_ptr<AtomicFile> file;  // null while the table is kept in memory
};

// The rows of a run of stations, formed on one thread, per kind of result.
struct StationRows {
  RowText kind[kResultKinds];
  std::vector<std::string> failure_where;  // per criterion: a failure row's leading cells
};

// Stations formed as a block on one thread; a round is two blocks per thread.
constexpr int kStationsPerBlock = 64;

std::string quoted(const std::string& s) {
  if (s.find_first_of(",\"\n") == std::string::npos) return s;
  std::string q = "\"";
  for (char c : s) q += c == '"' ? std::string("\"\"") : std::string(1, c);
  return q + "\"";
}

}  // namespace

std::string csv_file_name(ResultKind kind) {
  std::string name = result_name(kind);
  for (char& c : name) c = c == '-' ? '_' : c;
  return name + ".csv";
}

namespace {

class CsvSink : public ResultSink {
 public:
  // threads: the threads that form the rows of the stations (0: one per core; 1: the calling
  // thread alone).
  explicit CsvSink(const Job& job, int threads = 1) : job_(job) {
    if (threads != 1) pool_ = std::make_unique<WorkerPool>(threads);
    ResultUnits u = result_units(job);
    const std::string stress = " [" + u.stress + "]", length = " [" + u.length + "]",
                      degrees = " [deg]";
    const std::string prefix = job.carpet ? "share_0,share_45,share_90," : "";
    const std::string at = prefix + "load_case,distance" + length + ",angle" + degrees;
    auto add = [&](ResultKind k, const std::string& header) {
      const std::string name = csv_file_name(k);
      if (!job.wants(k)) return;
      index_[static_cast<int>(k)] = static_cast<int>(tables_.size());
      tables_.emplace_back(name, header + "\n");
    };
    add(ResultKind::kProperties,
        prefix + "thickness" + length + ",EX" + stress + ",EY" + stress + ",GXY" + stress + ",VXY");
    add(ResultKind::kStresses, at + ",sigma_x" + stress + ",sigma_y" + stress + ",tau_xy" + stress +
                                   ",max_principal" + stress + ",min_principal" + stress +
                                   ",principal_direction" + degrees);
    add(ResultKind::kStrains,
        at + ",eps_x,eps_y,gamma_xy,max_principal,min_principal,principal_direction" + degrees);
    add(ResultKind::kPolar, at + ",hoop_stress" + stress + ",radial_stress" + stress +
                                ",shear_stress" + stress +
                                ",hoop_strain,radial_strain,shear_strain");
    add(ResultKind::kDisplacements, at + ",u" + length + ",v" + length);
    add(ResultKind::kPlyStrains, at + ",ply,ply_angle" + degrees + ",eps_1,eps_2,gamma_12");
    add(ResultKind::kPlyStresses, at + ",ply,ply_angle" + degrees + ",sigma_1" + stress +
                                      ",sigma_2" + stress + ",tau_12" + stress);
    add(ResultKind::kFailure, prefix + "load_case,criterion,distance" + length + ",angle" +
                                  degrees + ",ply,ply_angle" + degrees +
                                  ",number_1,number_2,number_12,number,ratio_1,ratio_2,ratio_12");
    // With other methods or distances than one point-stress distance, each row also says its
    // method and characteristic distance; distance is that of the station where the factor is
    // reached.
    const std::string characteristic =
        plain_reserve(job)
            ? ""
            : "method,distance_tension" + length + ",distance_compression" + length + ",";
    add(ResultKind::kReserve, prefix + "load_case," + characteristic +
                                  "criterion,factor,ply,ply_angle" + degrees + ",angle" + degrees +
                                  ",distance" + length + ",component,margin_of_safety");
    if (job.plate.strip()) {
      // The strip model's solution of each laminate: the residual tractions on each boundary
      // under each unit load, in percent of its peak hoop stress.
      strip_ = static_cast<int>(tables_.size());
      tables_.emplace_back(kStripCsv, prefix + "width" + length + ",edge_distance" + length +
                                          ",unit_load,solved,residual_hole [%],residual_sides [%],"
                                          "residual_front_end [%],residual_back_end [%]\n");
    }
  }

  void laminate(const PlyStack& plies, const Shares* layup, const MembraneCompliance& c) override {
    strip_written_ = false;
    prefix_ = layup ? std::to_string(layup->s0) + "," + std::to_string(layup->s45) + "," +
                          std::to_string(layup->s90) + ","
                    : "";
    if (Table* t = table(ResultKind::kProperties)) {
      EngineeringConstants e = engineering_constants(c.compliance.laminate_axes);
      t->row({prefix_ + csv_number(total_thickness(plies)), csv_number(e.EX), csv_number(e.EY),
              csv_number(e.GXY), csv_number(e.VXY)});
    }
  }

  void load_case(const Evaluation& e) override {
    if (strip_ >= 0 && e.strip && !strip_written_) write_strip(*e.strip);
    const Grid& g = e.problem->grid;
    const PlyStack& plies = e.problem->plies;
    const std::string name = quoted(e.load_case->name);
    ply_texts_.clear();
    for (int p = 0; p < plies.count; ++p) {
      ply_texts_.push_back(std::to_string(p + 1) + "," + csv_number(plies.angle[p]));
    }
    criterion_materials_.clear();
    for (Criterion crit : job_.criteria) criterion_materials_.push_back(materials_for(job_, crit));
    // The stations' rows, station by station within each distance step, formed a round of
    // blocks at a time (on the threads when there are several) and added to the tables in order.
    const int nang = station_count(g);
    const int stations = step_count(g) * nang;
    const int blocks = (stations + kStationsPerBlock - 1) / kStationsPerBlock;
    const int round = pool_ ? 2 * pool_->size() : 1;
    blocks_.resize(static_cast<std::size_t>(round));
    auto form = [&](int block, StationRows& rows) {
      const int last = std::min(stations, (block + 1) * kStationsPerBlock);
      for (int i = block * kStationsPerBlock; i < last; ++i) {
        station_rows(e, name, i % nang, i / nang, rows);
      }
    };
    for (int first = 0; first < blocks; first += round) {
      const int m = std::min(round, blocks - first);
      if (pool_ && m > 1) {
        pool_->share(static_cast<std::size_t>(m), [&](int, std::size_t begin, std::size_t end) {
          for (std::size_t b = begin; b < end; ++b) form(first + static_cast<int>(b), blocks_[b]);
        });
      } else {
        for (int b = 0; b < m; ++b) form(first + b, blocks_[b]);
      }
      for (int b = 0; b < m; ++b) {
        for (int k = 0; k < kResultKinds; ++k) {
          std::string& formed = blocks_[b].kind[k].text;
          if (Table* t = table(static_cast<ResultKind>(k))) t->text += formed;
          formed.clear();
        }
        spill(false);
      }
    }
    if (Table* t = table(ResultKind::kReserve)) {
      const bool plain = plain_reserve(job_);
      for (int d = 0; d < e.stations->entries; ++d) {
        const LoadCaseReserve& r = e.reserve[d];
        const CharacteristicDistance& cd = job_.distances[d];
        const std::string which = plain ? ""
                                        : std::string(method_name(job_.method)) + "," +
                                              csv_number(cd.tension) + "," +
                                              csv_number(cd.compression) + ",";
        for (size_t c = 0; c < job_.criteria.size(); ++c) {
          const CriterionReserve& rf = r.criterion[c];
          bool finite = std::isfinite(rf.factor);
          const double distance =
              plain ? cd.tension : e.stations->distance_at(d, finite ? rf.station : 0);
          t->row({prefix_ + name + "," + which + criterion_name(job_.criteria[c]),
                  csv_number(rf.factor), finite ? std::to_string(rf.ply + 1) : "",
                  finite ? csv_number(plies.angle[rf.ply]) : "",
                  finite ? csv_number(e.stations->angle[rf.station]) : "",
                  plain || finite ? csv_number(distance) : "",
                  finite                  ? component_name(rf.component)
                  : std::isnan(rf.factor) ? "undefined"
                                          : "",
                  static_cast<int>(c) == r.smallest ? csv_number(r.margin) : ""});
        }
      }
    }
  }

  // Writes the tables into their files in folder as they grow, instead of keeping them.
  bool open_files(const std::string& folder, std::string& error) {
    folder_ = folder;
    for (Table& t : tables_) {
      t.file = std::make_unique<AtomicFile>();
      if (!t.file->open((std::filesystem::path(folder) / t.name).string(), error)) return false;
    }
    return true;
  }

  // The rest of each table into its file, and the files under their names; the paths written
  // are added to `written`.
  bool commit_files(std::vector<std::string>& written, std::string& error) {
    spill(true);
    if (!spill_error_.empty()) {
      error = spill_error_;
      return false;
    }
    for (Table& t : tables_) {
      if (!t.file->commit(error)) return false;
      written.push_back((std::filesystem::path(folder_) / t.name).string());
    }
    return true;
  }

  // The rows of station j of distance step k, added to rows.
  void station_rows(const Evaluation& e, const std::string& name, int j, int k,
                    StationRows& rows) const {
    const Grid& g = e.problem->grid;
    const LaminateField& f = *e.field;
    const PlyStack& plies = e.problem->plies;
    auto text = [&](ResultKind kind) {
      return index_[static_cast<int>(kind)] < 0 ? nullptr : &rows.kind[static_cast<int>(kind)];
    };
    const std::string at = prefix_ + name + "," + csv_number(edge_distance(g, k)) + "," +
                           csv_number(station_angle(g, j));
    const double* s = f.stress[j][k];
    const double* x = f.strain[j][k];
    if (RowText* t = text(ResultKind::kStresses)) {
      Principal p = principal_stresses(s[0], s[1], s[2]);
      t->row({at, csv_number(s[0]), csv_number(s[1]), csv_number(s[2]), csv_number(p.max),
              csv_number(p.min), csv_number(p.direction)});
    }
    if (RowText* t = text(ResultKind::kStrains)) {
      Principal p = principal_strains(x[0], x[1], x[2]);
      t->row({at, csv_number(x[0]), csv_number(x[1]), csv_number(x[2]), csv_number(p.max),
              csv_number(p.min), csv_number(p.direction)});
    }
    if (RowText* t = text(ResultKind::kPolar)) {
      PolarValues v = polar_values(station_angle(g, j), s, x);
      t->row({at, csv_number(v.hoop_stress), csv_number(v.radial_stress),
              csv_number(v.shear_stress), csv_number(v.hoop_strain), csv_number(v.radial_strain),
              csv_number(v.shear_strain)});
    }
    if (RowText* t = text(ResultKind::kDisplacements)) {
      t->row({at, csv_number(f.u[j][k]), csv_number(f.v[j][k])});
    }
    if (!e.plies) return;
    // The station's text before each ply, and per criterion before the ply's number and angle,
    // made once; each row then appends its numbers.
    std::string station = ",";
    append_csv_number(station, edge_distance(g, k));
    station += ',';
    append_csv_number(station, station_angle(g, j));
    station += ',';
    rows.failure_where.resize(job_.criteria.size());
    for (std::size_t c = 0; c < job_.criteria.size(); ++c) {
      rows.failure_where[c] = prefix_ + name + "," + criterion_name(job_.criteria[c]) + station;
    }
    for (int p = 0; p < plies.count; ++p) {
      const std::string& ply = ply_texts_[p];
      if (RowText* t = text(ResultKind::kPlyStrains)) {
        const double* v = e.plies->strain[j][k][p];
        t->start(at).start(",").start(ply).number(v[0]).number(v[1]).number(v[2]).end();
      }
      if (RowText* t = text(ResultKind::kPlyStresses)) {
        const double* v = e.plies->stress[j][k][p];
        t->start(at).start(",").start(ply).number(v[0]).number(v[1]).number(v[2]).end();
      }
      if (RowText* t = text(ResultKind::kFailure)) {
        for (std::size_t c = 0; c < job_.criteria.size(); ++c) {
          const Criterion crit = job_.criteria[c];
          double fv[4];
          ply_failure_at(crit, criterion_materials_[c], plies, *e.plies, j, k, p, fv);
          t->start(rows.failure_where[c]).start(ply);
          if (has_three_numbers(crit)) {
            t->number(fv[0]).number(fv[1]).number(fv[2]).end(",,,,");
          } else {
            t->start(",,,").number(fv[0]).number(fv[1]).number(fv[2]).number(fv[3]).end();
          }
        }
      }
    }
  }

  std::vector<Table> tables_;

 private:
  static constexpr std::size_t kSpillBytes = std::size_t{1} << 20;

  // Each table written to a file hands its text on once it holds kSpillBytes (all: whatever it
  // holds). After a failed write the text is dropped: the run goes on to its end but the
  // failure is reported and no file is committed.
  void spill(bool all) {
    for (Table& t : tables_) {
      if (!t.file || (!all && t.text.size() < kSpillBytes)) continue;
      std::string error;
      if (spill_error_.empty() && !t.file->write(t.text, error)) spill_error_ = error;
      t.text.clear();
    }
  }
  std::string folder_, spill_error_;

  void write_strip(const StripSolution& s) {
    strip_written_ = true;
    const bool ok = s.status == StripStatus::ok;
    static const char* const kLoads[2] = {"bearing", "bypass"};
    for (int load = 0; load < 2; ++load) {
      if (load == kStripBypass && ok && !s.has_bypass) continue;
      const StripResidual& r = s.residual[load];
      const double nan = std::nan("");
      tables_[strip_].row(
          {prefix_ + csv_number(job_.plate.width),
           job_.plate.edge_distance > 0.0 ? csv_number(job_.plate.edge_distance) : "", kLoads[load],
           ok ? "yes" : "no", csv_number(ok ? r.hole : nan), csv_number(ok ? r.sides : nan),
           csv_number(ok ? r.front_end : nan), csv_number(ok ? r.back_end : nan)});
    }
  }
  int strip_ = -1;  // the index of strip.csv in tables_
  bool strip_written_ = false;

  Table* table(ResultKind k) {
    int i = index_[static_cast<int>(k)];
    return i < 0 ? nullptr : &tables_[i];
  }
  const Job& job_;
  int index_[kResultKinds] = {-1, -1, -1, -1, -1, -1, -1, -1, -1};
  std::string prefix_;
  std::vector<std::string> ply_texts_;          // per ply: its number and angle
  std::vector<Materials> criterion_materials_;  // per criterion: the materials it judges by
  std::unique_ptr<WorkerPool> pool_;            // null: the rows are formed on the calling thread
  std::vector<StationRows> blocks_;             // a round of blocks of stations being formed
};

}  // namespace

std::vector<std::pair<std::string, std::string>> csv_results(const Job& job) {
  if (job.joint.given) return joint_csv_results(job, analyse_joint_job(job));
  CsvSink sink(job);
  evaluate_job(job, sink);
  std::vector<std::pair<std::string, std::string>> files;
  for (Table& t : sink.tables_) files.emplace_back(t.name, std::move(t.text));
  std::string warnings;
  for (const std::string& w : job_warnings(job)) warnings += "caution: " + w + "\n";
  if (!warnings.empty()) files.emplace_back("warnings.txt", warnings);
  return files;
}

bool write_csv_results(const Job& job, const std::string& folder, std::vector<std::string>& written,
                       std::string& error, int threads) {
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  if (ec) {
    error = "cannot create the folder " + folder + ": " + ec.message();
    return false;
  }
  // A joint's files are small and formed whole; a hole's tables go to their files as they grow.
  std::vector<std::pair<std::string, std::string>> files;
  std::unique_ptr<CsvSink> sink;
  std::vector<std::string> names;
  if (job.joint.given) {
    files = csv_results(job);
    for (const auto& f : files) names.push_back(f.first);
  } else {
    sink = std::make_unique<CsvSink>(job, threads);
    for (const Table& t : sink->tables_) names.push_back(t.name);
    std::string warnings;
    for (const std::string& w : job_warnings(job)) warnings += "caution: " + w + "\n";
    if (!warnings.empty()) files.emplace_back("warnings.txt", warnings);
  }
  // A result file of an earlier job that this one does not write would be taken for this job's:
  // it goes (only the names this program writes, nothing else in the folder).
  // The joint's files come after the kinds of result and the strip's.
  static const char* const kJointCsv[2] = {"joint_rows.csv", "joint_holes.csv"};
  for (int k = 0; k <= kResultKinds + 2; ++k) {
    const std::string name = k < kResultKinds    ? csv_file_name(static_cast<ResultKind>(k))
                             : k == kResultKinds ? std::string(kStripCsv)
                                                 : std::string(kJointCsv[k - kResultKinds - 1]);
    bool kept = false;
    for (const std::string& n : names) kept = kept || n == name;
    const std::filesystem::path stale = std::filesystem::path(folder) / name;
    if (!kept && std::filesystem::exists(stale, ec)) {
      std::filesystem::remove(stale, ec);
      if (ec) {
        error = "cannot remove the earlier " + stale.string() + ": " + ec.message();
        return false;
      }
    }
  }
  if (sink) {
    if (!sink->open_files(folder, error)) return false;
    evaluate_job(job, *sink);
    if (!sink->commit_files(written, error)) return false;
  }
  for (const auto& [name, text] : files) {
    const std::string path = (std::filesystem::path(folder) / name).string();
    if (!write_file_atomically(path, text, error)) return false;
    written.push_back(path);
  }
  return true;
}

}  // namespace hs
