#include "runner/batch.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <istream>
#include <ostream>
#include <thread>

#include "analysis/finite_width.hpp"
#include "numeric/constants.hpp"
#include "numeric/inverse.hpp"
#include "runner/csv_results.hpp"
#include "runner/results_common.hpp"
#include "io/float_to_chars.hpp"

namespace hs {

// The coefficients of a criterion for one ply, worked out once: reciprocals of the allowables
// and the terms of the quadratic criteria.
struct PlyCoefficients {
  double inv_T1, inv_C1, inv_T2, inv_C2, inv_S;
  double f1, f2, f11, f22, f66, f12;  // f12: Hoffman's interaction, 0 for modified Tsai-Wu
};

namespace {

// The ply values at the stations of step 1 of the workspace's grid: the strains
// [station][ply][component] followed by the stresses in the same layout.
void take_ply_values(const Workspace& w, int nang, int nply, double* out) {
  const size_t half = static_cast<size_t>(nang) * nply * 3;
  for (int j = 0; j < nang; ++j) {
    for (int p = 0; p < nply; ++p) {
      double* v = out + (j * nply + p) * 3;
      for (int c = 0; c < 3; ++c) {
        v[c] = w.plies.strain[j][kFailureStep][p][c];
        v[half + c] = w.plies.stress[j][kFailureStep][p][c];
      }
    }
  }
}

PlyCoefficients coefficients(Criterion c, const Allowables& a) {
  PlyCoefficients k{};
  k.inv_T1 = 1.0 / a.T1;
  k.inv_C1 = 1.0 / a.C1;
  k.inv_T2 = 1.0 / a.T2;
  k.inv_C2 = 1.0 / a.C2;
  k.inv_S = 1.0 / a.S12;
  k.f1 = 1.0 / a.T1 - 1.0 / a.C1;
  k.f2 = 1.0 / a.T2 - 1.0 / a.C2;
  k.f11 = 1.0 / (a.T1 * a.C1);
  k.f22 = 1.0 / (a.T2 * a.C2);
  k.f66 = 1.0 / (a.S12 * a.S12);
  k.f12 = c == Criterion::kHoffman ? 1.0 / (a.T1 * a.C1) : 0.0;
  return k;
}

// The smallest positive x with |lin x + quad x^2| = 1, or infinity: the roots of
// quad x^2 + lin x - t = 0 for t = 1 and t = -1, each by the cancellation-free formula.
inline double quadratic_factor(double quad, double lin) {
  double best = std::numeric_limits<double>::infinity();
  if (quad == 0.0) {
    if (lin != 0.0) best = 1.0 / std::fabs(lin);
    return best;
  }
  for (double t : {1.0, -1.0}) {
    double disc = lin * lin + 4.0 * quad * t;
    if (!(disc >= 0.0)) continue;
    double q = -0.5 * (lin + std::copysign(std::sqrt(disc), lin));
    if (q != 0.0) {
      double x1 = q / quad, x2 = -t / q;
      if (x1 > 0.0 && x1 < best) best = x1;
      if (x2 > 0.0 && x2 < best) best = x2;
    } else {
      double x = std::sqrt(t / quad);
      if (x > 0.0 && x < best) best = x;
    }
  }
  return best;
}

// The load factor at which one ply point reaches failure, as ply_reserve finds it, from
// precomputed coefficients.
inline double point_factor(Criterion c, const PlyCoefficients& k, const double* s) {
  double s1 = s[0], s2 = s[1], s12 = s[2];
  double iX = s1 < 0.0 ? k.inv_C1 : k.inv_T1, iY = s2 < 0.0 ? k.inv_C2 : k.inv_T2;
  switch (c) {
    case Criterion::kMaxStrain:
    case Criterion::kMaxStress: {
      double m = std::fmax(std::fmax(std::fabs(s1 * iX), std::fabs(s2 * iY)), std::fabs(s12 * k.inv_S));
      return m > 0.0 ? 1.0 / m : std::numeric_limits<double>::infinity();
    }
    case Criterion::kTsaiHill: {
      double FN = s1 * s1 * (iX * iX) + s2 * s2 * (iY * iY) - s1 * s2 * (iX * iX) +
                  s12 * s12 * (k.inv_S * k.inv_S);
      return FN > 0.0 ? 1.0 / std::sqrt(FN) : std::numeric_limits<double>::infinity();
    }
    default: {
      double lin = k.f1 * s1 + k.f2 * s2;
      double quad = k.f11 * s1 * s1 + k.f22 * s2 * s2 + k.f66 * s12 * s12 - k.f12 * s1 * s2;
      return quadratic_factor(quad, lin);
    }
  }
}

// The far-field stress of a uniaxial piece s along `angle` degrees, in the laminate axes, as the
// open-hole solution forms it.
void add_uniaxial(double s, double angle, double t[3]) {
  if (s == 0.0) return;
  double a = angle * kPiSingle / 180.0;
  double ca = std::cos(a), sa = std::sin(a);
  t[0] += s * ca * ca;
  t[1] += s * sa * sa;
  t[2] += s * sa * ca;
}

}  // namespace

// The bolt fields met by one thread, kept by the bits of their angle (most recently used first).
struct ReserveBatch::Scratch {
  static constexpr int kAngles = 16;
  struct Bolt {
    double angle;
    std::vector<double> values;
  };
  std::vector<Bolt> bolts;
  std::unique_ptr<Workspace> work = std::make_unique<Workspace>();
  std::vector<double> row;  // the ply values of the current load case
};

ReserveBatch::ReserveBatch(const Job& job) : job_(job), grid_(job.grid) {
  grid_.distance_step = job.distance;
  grid_.steps = 2;
  nang_ = station_count(grid_) > 0 ? station_count(grid_) : 0;
  const int nply = job.plies.count;
  const size_t size = static_cast<size_t>(nang_) * nply * 6;

  // Fields of unit uniaxial stresses along 0, 90 and 45 degrees; their far-field tensors T give
  // the fields of unit sigma-x, sigma-y and tau-xy by solving G = T F.
  auto work = std::make_unique<Workspace>();
  AnalysisListener none;
  const double angles[3] = {0.0, 90.0, 45.0};
  std::vector<double> g[3];
  Mat3 T{};
  for (int i = 0; i < 3; ++i) {
    Problem pb{job.materials, job.plies, grid_, Loads{1.0, 0, 0, angles[i], 0, 0, 0},
               Criterion::kMaxStress};
    analyse(pb, Stages{true, true, false, true, false, false}, *work, none);
    g[i].resize(size);
    take_ply_values(*work, nang_, nply, g[i].data());
    double t[3] = {0, 0, 0};
    add_uniaxial(1.0, angles[i], t);
    for (int c = 0; c < 3; ++c) T(i + 1, c + 1) = t[c];
  }
  Mat3 Ti{};
  inverse(T, Ti);
  for (Criterion c : job.criteria) {
    needs_[c == Criterion::kMaxStrain ? 0 : 1] = true;
    std::vector<PlyCoefficients> k;
    const Materials materials = materials_for(job, c);
    for (int p = 0; p < nply; ++p) {
      k.push_back(coefficients(c, materials.allowables[job.plies.material[p]]));
    }
    coefficients_.push_back(std::move(k));
  }
  for (int u = 0; u < 3; ++u) {
    unit_[u].assign(size, 0.0);
    for (size_t n = 0; n < size; ++n) {
      unit_[u][n] = Ti(u + 1, 1) * g[0][n] + Ti(u + 1, 2) * g[1][n] + Ti(u + 1, 3) * g[2][n];
    }
  }
}

ReserveBatch::~ReserveBatch() = default;

void ReserveBatch::ScratchDeleter::operator()(Scratch* s) const {
  delete s;
}

ReserveBatch::ScratchPtr ReserveBatch::scratch() const {
  ScratchPtr s(new Scratch);
  s->row.resize(static_cast<size_t>(nang_) * job_.plies.count * 6);
  return s;
}

void ReserveBatch::reserve(const LoadRow& row, Scratch& scratch, RowReserve& out) const {
  const int nply = job_.plies.count;
  const size_t half = scratch.row.size() / 2;
  const double bypass = bypass_stress(row.bearing, job_.grid.diameter, job_.width);

  // A finite-width correction scales each open-hole piece by the factor of its direction.
  OpenHoleScale k;
  if (job_.width_correction == WidthCorrection::kTan && job_.width != 0.0) {
    Loads l{row.px, row.py, row.pxy, row.off_axis, row.bearing, row.bolt_angle, bypass};
    k = tan_correction(job_.materials, job_.plies, l, job_.grid.diameter, job_.width);
  }
  double t[3] = {0, 0, 0};
  add_uniaxial(row.px * k.px, row.off_axis, t);
  add_uniaxial(row.py * k.py, row.off_axis + 90.0, t);
  add_uniaxial(row.pxy * k.pxy_tension, row.off_axis + 45.0, t);
  add_uniaxial(-row.pxy * k.pxy_compression, row.off_axis - 45.0, t);
  if (row.bearing != 0.0) add_uniaxial(bypass * k.bypass, row.bolt_angle, t);

  const double* fb = nullptr;
  if (row.bearing != 0.0) {
    // The bolt field of this angle at unit bearing stress, worked out on first use.
    auto& bolts = scratch.bolts;
    auto it = std::find_if(bolts.begin(), bolts.end(), [&](const Scratch::Bolt& b) {
      return std::memcmp(&b.angle, &row.bolt_angle, sizeof(double)) == 0;
    });
    if (it == bolts.end()) {
      if (bolts.size() == Scratch::kAngles) bolts.pop_back();
      Scratch::Bolt b{row.bolt_angle, std::vector<double>(2 * half)};
      Problem pb{job_.materials, job_.plies, grid_, Loads{0, 0, 0, 0, 1.0, row.bolt_angle, 0},
                 Criterion::kMaxStress};
      AnalysisListener none;
      analyse(pb, Stages{true, true, false, true, false, false}, *scratch.work, none);
      take_ply_values(*scratch.work, nang_, nply, b.values.data());
      bolts.insert(bolts.begin(), std::move(b));
      it = bolts.begin();
    } else if (it != bolts.begin()) {
      std::rotate(bolts.begin(), it, it + 1);
      it = bolts.begin();
    }
    fb = it->values.data();
  }

  // The ply values of the load case: strains in the first half, stresses in the second, each
  // worked out only when a criterion compares it.
  double* v = scratch.row.data();
  for (int kind = 0; kind < 2; ++kind) {
    if (!needs_[kind]) continue;
    const size_t o = kind * half;
    const double *fx = unit_[0].data() + o, *fy = unit_[1].data() + o, *fs = unit_[2].data() + o;
    double* w = v + o;
    for (size_t n = 0; n < half; ++n) w[n] = t[0] * fx[n] + t[1] * fy[n] + t[2] * fs[n];
    if (fb) {
      const double b = row.bearing;
      const double* fbo = fb + o;
      for (size_t n = 0; n < half; ++n) w[n] = w[n] + b * fbo[n];
    }
  }

  out.smallest = -1;
  out.margin = 0.0;
  out.at = {std::numeric_limits<double>::infinity(), 0, 0, 0};
  const int ncrit = static_cast<int>(std::min<size_t>(job_.criteria.size(), kMaxCriteria));
  for (int c = 0; c < ncrit; ++c) {
    const Criterion crit = job_.criteria[c];
    const double* values = v + (crit == Criterion::kMaxStrain ? 0 : half);
    const PlyCoefficients* k = coefficients_[c].data();
    ReserveFactor best = {std::numeric_limits<double>::infinity(), 0, 0, 0};
    for (int j = 0; j < nang_; ++j) {
      for (int p = 0; p < nply; ++p) {
        double f = point_factor(crit, k[p], values + (j * nply + p) * 3);
        if (f > 0.0 && f < best.factor) best = {f, j, p, 0};
      }
    }
    if (std::isfinite(best.factor)) {
      ply_reserve(crit, materials_for(job_, crit).allowables[job_.plies.material[best.ply]],
                  values + (best.station * nply + best.ply) * 3, best.component);
    }
    out.factor[c] = best.factor;
    if (std::isfinite(best.factor) && (out.smallest < 0 || best.factor < out.at.factor)) {
      out.smallest = c;
      out.at = best;
    }
  }
  if (out.smallest >= 0) out.margin = out.at.factor / job_.factor_of_safety - 1.0;
}

// ---------------------------------------------------------------------------------------------
// The load-case file

namespace {

enum Column { kName, kPx, kPy, kPxy, kOffAxis, kBearing, kBoltAngle, kColumns };
const char* const kColumnNames[kColumns] = {"name",    "px",      "py",        "pxy",
                                            "off_axis", "bearing", "bolt_angle"};

std::string_view trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

// The columns of the header, in file order: which load-case key each one is.
bool parse_header(std::string_view line, std::vector<int>& columns, std::string& error) {
  size_t start = 0;
  bool seen[kColumns] = {};
  for (int n = 1;; ++n) {
    size_t comma = line.find(',', start);
    std::string_view cell = trim(line.substr(start, comma == std::string_view::npos ? std::string_view::npos : comma - start));
    int which = -1;
    for (int c = 0; c < kColumns; ++c) {
      if (cell == kColumnNames[c]) which = c;
    }
    if (which < 0) {
      error = "line 1 column " + std::to_string(start + 1) + ": unknown column \"" +
              std::string(cell) + "\" (name, px, py, pxy, off_axis, bearing, bolt_angle)";
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
               std::string& name, LoadRow& row, std::string& error) {
  row = LoadRow{};
  name.clear();
  size_t start = 0;
  double* fields[kColumns] = {nullptr, &row.px, &row.py, &row.pxy, &row.off_axis, &row.bearing,
                              &row.bolt_angle};
  const std::string where = "line " + std::to_string(line_no) + " column ";
  for (size_t n = 0;; ++n) {
    size_t comma = line.find(',', start);
    if (n >= columns.size()) {
      error = where + std::to_string(start + 1) + ": more values than columns (a comma in a name?)";
      return false;
    }
    std::string_view cell =
        trim(line.substr(start, comma == std::string_view::npos ? std::string_view::npos : comma - start));
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
void format_row(const ReserveBatch& batch, const std::string& name, const RowReserve& r,
                std::string& out) {
  const Job& job = batch.job();
  out += name;
  for (size_t c = 0; c < job.criteria.size(); ++c) {
    out += ',';
    if (std::isfinite(r.factor[c])) {
      append_number(out, r.factor[c]);
    } else {
      out += "none";
    }
  }
  if (r.smallest < 0) {
    out += ",none,,,,,,,,\n";
    return;
  }
  out += ',';
  append_number(out, r.at.factor);
  out += ',';
  out += criterion_name(job.criteria[r.smallest]);
  out += ',';
  append_number(out, r.margin);
  out += ',' + std::to_string(r.at.ply + 1) + ',';
  append_number(out, job.plies.angle[r.at.ply]);
  out += ',';
  append_number(out, station_angle(batch.grid(), r.at.station));
  out += ',';
  append_number(out, job.distance);
  out += ',';
  out += component_name(r.at.component);
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
  std::string text;                 // the lines, one after another
  std::vector<size_t> begin, end;   // of each line in text
  std::vector<long> line_no;
  std::vector<std::string> output;  // per thread
  std::vector<int> failed;          // per thread
};

}  // namespace

int run_batch(const Job& job, std::istream& in, std::ostream& out, std::ostream& err,
              int threads) {
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
  if (!parse_header(trim(header), columns, error)) {
    err << job.load_cases_file << ": " << error << "\n";
    return 2;
  }

  ReserveBatch batch(job);
  if (threads <= 0) threads = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
  std::vector<ReserveBatch::ScratchPtr> scratch;
  for (int t = 0; t < threads; ++t) scratch.push_back(batch.scratch());

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
    auto work = [&](int t) {
      std::string& o = chunk.output[t];
      o.clear();
      chunk.failed[t] = 0;
      std::string name, message;
      LoadRow row;
      RowReserve r;
      size_t from = n * t / threads, to = n * (t + 1) / threads;
      for (size_t i = from; i < to; ++i) {
        std::string_view text(chunk.text.data() + chunk.begin[i], chunk.end[i] - chunk.begin[i]);
        if (!parse_row(text, chunk.line_no[i], columns, name, row, message)) {
          format_error(name, message, o, job.criteria.size());
          ++chunk.failed[t];
          continue;
        }
        if (name.empty()) name = "LC" + std::to_string(row_count + static_cast<long>(i) + 1);
        batch.reserve(row, *scratch[t], r);
        format_row(batch, name, r, o);
      }
    };
    if (threads == 1) {
      work(0);
    } else {
      std::vector<std::thread> pool;
      for (int t = 1; t < threads; ++t) pool.emplace_back(work, t);
      work(0);
      for (std::thread& th : pool) th.join();
    }
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
