#include "job/job_reader.hpp"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <initializer_list>
#include <string>
#include <utility>

#include "io/output_file.hpp"
#include "job/layup.hpp"
#include "job/reader.hpp"
#include "job/toml_limits.hpp"
#include "model/fields.hpp"
#include "numeric/constants.hpp"

namespace hs {

namespace job_detail {

void Reader::read(const toml::table& root, Job& job) {
  if (root.contains("joint")) {
    read_joint_job(root, job);
    return;
  }
  check_keys(root, "",
             {"title", "units", "materials", "materials_file", "plies", "laminate", "hole", "grid",
              "load_cases", "load_cases_file", "failure", "results", "carpet"});
  const toml::node* title_at = nullptr;
  if (string(root, "", "title", false, job.title, &title_at) == Got::kOk &&
      has_control_character(job.title)) {
    error(title_at->source(), "title", "must not contain a line break or control character");
  }
  read_units(root, job);
  read_materials(root, job);
  read_plies(root, job);
  // A job of the laminate's properties alone needs no hole, grid or load case.
  properties_only_ = false;
  if (const toml::table* results =
          root.get("results") ? root.get("results")->as_table() : nullptr) {
    if (const toml::array* tables =
            results->get("tables") ? results->get("tables")->as_array() : nullptr) {
      properties_only_ = tables->size() == 1 && (*tables)[0].value<std::string>() == "properties";
    }
  }
  read_hole(root, job);
  read_grid(root, job);
  read_load_cases(root, job);
  // On the infinite plate the bypass follows from the bearing and the width; the strip's is a load.
  for (LoadCase& lc : job.load_cases) {
    if (!strip_) {
      lc.loads.bypass = bypass_stress(lc.loads.bearing, job.grid.diameter, job.plate.width);
    }
  }
  read_failure(root, job);
  read_results(root, job);
  read_carpet(root, job);
  check_size(root, job);
  check_strip_stations(root, job);
}

// The grid and the stack must fit the working storage of an analysis, and the results of all
// load cases must fit what a job writes at once (the JSON document, the tables and the CSV files
// are made whole before they are written).
void Reader::check_size(const toml::table& root, const Job& job) {
  if (!grid_ok_ || plies_read_ < 1) return;
  const double stations = station_count(job.grid), steps = step_count(job.grid);
  const double bytes = field_storage_bytes(stations, steps, plies_read_);
  const toml::node* grid = root.get("grid");
  if (bytes > kMaxWorkingStorage) {
    char text[300];
    std::snprintf(text, sizeof text,
                  "%.0f stations times %.0f distance steps with %d plies need %.1f GiB of working "
                  "storage, more than the limit of %.0f GiB: use fewer stations, steps or plies",
                  stations, steps, plies_read_, bytes / (1024.0 * 1024 * 1024),
                  kMaxWorkingStorage / (1024.0 * 1024 * 1024));
    error(grid ? grid->source() : root.source(), "grid", text);
    return;
  }
  // The numbers of each load case's results: per station and step, its place, the laminate's
  // fields and the plies' values asked for.
  auto wants = [&](ResultKind k) { return job.results[static_cast<int>(k)]; };
  double per_point = 0.0;
  if (wants(ResultKind::kStresses) || wants(ResultKind::kStrains) || wants(ResultKind::kPolar) ||
      wants(ResultKind::kDisplacements) || wants(ResultKind::kPlyStrains) ||
      wants(ResultKind::kPlyStresses) || wants(ResultKind::kFailure)) {
    per_point += 2;
  }
  per_point += 6.0 * (wants(ResultKind::kStresses) + wants(ResultKind::kStrains) +
                      wants(ResultKind::kPolar));
  per_point += 2.0 * wants(ResultKind::kDisplacements);
  per_point +=
      3.0 * plies_read_ * (wants(ResultKind::kPlyStrains) + wants(ResultKind::kPlyStresses));
  if (wants(ResultKind::kFailure)) per_point += 4.0 * plies_read_ * job.criteria.size();
  const double cases = static_cast<double>(job.load_cases.size()) * (job.carpet ? 66 : 1);
  const double numbers = per_point * stations * steps * cases;
  if (numbers > kMaxResultNumbers) {
    char text[400];
    std::snprintf(text, sizeof text,
                  "the results would hold %.3g numbers (%.0f load cases of %.0f stations and %.0f "
                  "steps), more than the %.0f million a job writes at once: ask for fewer tables, "
                  "stations or load cases; for the reserve factors of many load cases give them "
                  "in a load_cases_file",
                  numbers, cases, stations, steps, kMaxResultNumbers / 1e6);
    error(root.source(), "load_cases", text);
  }
}

void Reader::read_units(const toml::table& root, Job& job) {
  const toml::table* units = table(root, "", "units", false);
  if (!units) return;
  check_keys(*units, "units", {"stress", "length"});
  word(*units, "units", "stress", kStressUnits, "stress unit", job.stress_unit);
  word(*units, "units", "length", kLengthUnits, "length unit", job.length_unit);
}

// The materials of a materials file (materials_file = "...", relative to the job file): its
// [materials.NAME] tables, read as the job's own and overridden by a job's material of the same
// name. False when the file cannot be used (its mistakes reported, located in it).
bool Reader::read_materials_file(const toml::table& root, Job& job) {
  const toml::node* at = nullptr;
  if (string(root, "", "materials_file", false, job.materials_file, &at) != Got::kOk) return true;
  std::filesystem::path file = job.materials_file;
  const std::string job_path = path_;
  if (file.is_relative() && job_path.front() != '<') {
    file = std::filesystem::path(job_path).parent_path() / file;
  }
  // The file by its absolute name: the results say where each material came from, whatever the
  // folder the job was run from.
  std::error_code ec;
  const std::filesystem::path absolute = std::filesystem::absolute(file, ec);
  const std::string name = (ec ? file : absolute).lexically_normal().string();
  std::string text, message;
  if (job.materials_file.empty() || !read_file(name, kMaxJobFileBytes, text, message)) {
    error(at->source(), "materials_file",
          job.materials_file.empty() ? "must not be empty" : message);
    return false;
  }
  if (!parse_within_limits(text, name, library_, errors_)) return false;
  path_ = name;
  check_keys(library_, "", {"materials"});
  const toml::table* all = table(library_, "", "materials", true);
  path_ = job_path;
  if (!all) return false;
  std::vector<MaterialEntry> library;
  for (auto&& [k, v] : *all) {
    library.push_back({std::string(k.str()), v.as_table(), &k.source(), false, name, &v});
  }
  std::stable_sort(library.begin(), library.end(), [](const auto& x, const auto& y) {
    const auto &px = x.key_at->begin, &py = y.key_at->begin;
    return px.line != py.line ? px.line < py.line : px.column < py.column;
  });
  for (MaterialEntry& e : library) {
    const bool overridden = std::any_of(materials_.begin(), materials_.end(),
                                        [&](const MaterialEntry& m) { return m.name == e.name; });
    if (!overridden) materials_.push_back(e);
  }
  return true;
}

void Reader::read_materials(const toml::table& root, Job& job) {
  const bool library = root.contains("materials_file");
  const toml::table* all = table(root, "", "materials", !library);
  // toml++ keeps a table's keys sorted by name: the materials are numbered in file order.
  if (all) {
    for (auto&& [k, v] : *all) {
      materials_.push_back({std::string(k.str()), v.as_table(), &k.source(), false, path_, &v});
    }
    std::stable_sort(materials_.begin(), materials_.end(), [](const auto& a, const auto& b) {
      const auto &pa = a.key_at->begin, &pb = b.key_at->begin;
      return pa.line != pb.line ? pa.line < pb.line : pa.column < pb.column;
    });
  }
  if (library && !read_materials_file(root, job)) return;
  if (!all && !library) return;
  if (materials_.empty()) {
    error((all ? all : &root)->source(), "materials", "needs at least one material, found none");
    return;
  }
  job.resize_materials(static_cast<int>(materials_.size()));
  const std::string job_path = path_;
  for (std::size_t m = 0; m < materials_.size(); ++m) {
    path_ = materials_[m].file;
    job.material_sources[m] = path_ == job_path ? "" : path_;
    read_material(materials_[m], m, job);
  }
  path_ = job_path;
}

// One [materials.NAME] table, of the job or of its materials file.
void Reader::read_material(MaterialEntry& entry, std::size_t m, Job& job) {
  std::string prefix = join("materials", entry.name);
  job.material_names[m] = entry.name;
  if (entry.name.empty()) {
    error(*entry.key_at, prefix, "material name must not be empty");
  } else if (has_control_character(entry.name)) {
    error(*entry.key_at, prefix,
          "material name must not contain a line break or control character");
  }
  if (!entry.table) {
    wrong_type(*entry.node, prefix, "a table");
    return;
  }
  const toml::table& t = *entry.table;
  check_keys(t, prefix,
             {"E1", "E2", "G12", "nu12", "E", "nu", "T1", "C1", "T2", "C2", "S12", "strain_T1",
              "strain_C1", "strain_T2", "strain_C2", "strain_S12"});
  read_strain_allowables(t, prefix, job, m);
  ElasticConstants& e = job.materials.elastic[m];
  if (t.contains("E") || t.contains("nu")) {
    read_isotropic(t, prefix, job, m);
  } else {
    read_orthotropic(t, prefix, e);
  }
  read_allowables(entry, t, prefix, job, m);
}

// The isotropic shorthand of a metal: E and nu, with E1 = E2 = E, G12 = E / 2(1 + nu),
// nu12 = nu.
void Reader::read_isotropic(const toml::table& t, const std::string& prefix, Job& job,
                            std::size_t m) {
  job.isotropic[m] = true;  // as meant, even when its values are reported
  for (const char* k : {"E1", "E2", "G12", "nu12"}) {
    if (const toml::node* n = t.get(k)) {
      error(n->source(), join(prefix, k),
            "give E and nu (an isotropic material) or E1, E2, G12 and nu12, not both");
    }
  }
  ElasticConstants& e = job.materials.elastic[m];
  double modulus = 0.0, nu = 0.0;
  const Got got_e = real(t, prefix, "E", true, Range::kPositive, modulus);
  const Got got_nu = real(t, prefix, "nu", true, Range::kAny, nu);
  // A positive shear modulus needs nu > -1; beyond 0.5 the bulk modulus is negative.
  if (got_nu == Got::kOk && !(nu > -1.0 && nu <= 0.5)) {
    error(t.get("nu")->source(), join(prefix, "nu"), "must be greater than -1 and at most 0.5");
    return;
  }
  if (got_e != Got::kOk || got_nu != Got::kOk) return;
  e.E1 = modulus;
  e.E2 = modulus;
  e.G12 = modulus / (2.0 * (1.0 + nu));
  e.NU12 = nu;
}

void Reader::read_orthotropic(const toml::table& t, const std::string& prefix,
                              ElasticConstants& e) {
  Got e1 = real(t, prefix, "E1", true, Range::kPositive, e.E1);
  Got e2 = real(t, prefix, "E2", true, Range::kPositive, e.E2);
  real(t, prefix, "G12", true, Range::kPositive, e.G12);
  Got nu = real(t, prefix, "nu12", true, Range::kAny, e.NU12);
  // A positive definite compliance needs nu12^2 < E1/E2 (nu21 nu12 < 1).
  if (e1 == Got::kOk && e2 == Got::kOk && nu == Got::kOk &&
      !(e.NU12 * e.NU12 * e.E2 / e.E1 < 1.0)) {
    error(t.get("nu12")->source(), join(prefix, "nu12"),
          "Poisson's ratio beyond what the moduli allow");
  }
}

// The strengths T1, C1, T2, C2, S12: all five or none.
void Reader::read_allowables(MaterialEntry& entry, const toml::table& t, const std::string& prefix,
                             Job& job, std::size_t m) {
  int present = 0;
  for (const char* a : kAllowableKeys) present += t.contains(a) ? 1 : 0;
  if (present == 0) return;
  if (present < 5) {
    entry.allowables_reported = true;
    for (const char* a : kAllowableKeys) {
      if (!t.contains(a)) {
        missing(t, join(prefix, a),
                "missing required key (the allowables T1, C1, T2, C2, S12 go together)");
      }
    }
  }
  Allowables& al = job.materials.allowables[m];
  double* values[] = {&al.T1, &al.C1, &al.T2, &al.C2, &al.S12};
  bool all_ok = present == 5;
  for (int i = 0; i < 5; ++i) {
    Got g = real(t, prefix, kAllowableKeys[i], false, Range::kPositive, *values[i]);
    all_ok = all_ok && g == Got::kOk;
  }
  job.has_allowables[m] = all_ok;
}

// The strain allowables of the maximum-strain criterion: all five or none, each positive.
void Reader::read_strain_allowables(const toml::table& t, const std::string& prefix, Job& job,
                                    std::size_t m) {
  int present = 0;
  for (const char* a : kStrainAllowableKeys) present += t.contains(a) ? 1 : 0;
  if (present == 0) return;
  if (present < 5) {
    for (const char* a : kStrainAllowableKeys) {
      if (!t.contains(a)) {
        missing(t, join(prefix, a),
                "missing required key (the strain allowables strain_T1 ... strain_S12 go "
                "together)");
      }
    }
  }
  Allowables& al = job.strain_allowables[m];
  double* values[] = {&al.T1, &al.C1, &al.T2, &al.C2, &al.S12};
  bool all_ok = present == 5;
  for (int i = 0; i < 5; ++i) {
    all_ok =
        real(t, prefix, kStrainAllowableKeys[i], false, Range::kPositive, *values[i]) == Got::kOk &&
        all_ok;
  }
  job.has_strain_allowables[m] = all_ok;
}

// The material of a name, its index; -1, reported, when there is none of that name (the message
// lists the names there are).
int Reader::material_index(const std::string& name, const toml::source_region& at,
                           const std::string& key, int column_offset) {
  auto it = std::find_if(materials_.begin(), materials_.end(),
                         [&](const MaterialEntry& m) { return m.name == name; });
  if (it != materials_.end()) return static_cast<int>(it - materials_.begin());
  std::string known;
  for (const MaterialEntry& m : materials_)
    known += (known.empty() ? "" : ", ") + toml_string(m.name);
  toml::source_region where = at;
  where.begin.column += column_offset;
  error(where, key,
        "unknown material " + toml_string(name) +
            (known.empty() ? "" : " (the materials: " + known + ")"));
  return -1;
}

void Reader::read_plies(const toml::table& root, Job& job) {
  const toml::node* n = root.get("plies");
  if (const toml::node* lam = root.get("laminate")) {
    if (n) {
      error(lam->source(), "laminate", "give either [laminate] or [[plies]], not both");
      return;
    }
    if (!lam->is_table()) {
      wrong_type(*lam, "laminate", "a table");
      return;
    }
    read_laminate(*lam->as_table(), "laminate", job.layup, job.plies);
    return;
  }
  if (!n) {
    missing(root, "plies", "missing required key (or a [laminate] table with a layup)");
    return;
  }
  read_ply_array(*n, "plies", job.plies);
}

// An array of tables of plies, each with its angle, thickness and material.
void Reader::read_ply_array(const toml::node& n, const std::string& key, PlyStack& out) {
  const toml::array* a = n.as_array();
  if (!a) {
    wrong_type(n, key, "an array of tables ([[plies]])");
    return;
  }
  if (a->empty()) {
    error(a->source(), key, "needs at least one ply, found none");
    return;
  }
  plies_read_ = static_cast<int>(a->size());
  out.resize(plies_read_);
  // Joint jobs read several laminates: their plies' materials follow one another.
  const std::size_t base = ply_materials_.size();
  for (std::size_t p = 0; p < a->size(); ++p) {
    const toml::node& e = (*a)[p];
    std::string prefix = index(key, p);
    ply_materials_.push_back(-1);
    if (!e.is_table()) {
      wrong_type(e, prefix, "a table");
      continue;
    }
    const toml::table& t = *e.as_table();
    check_keys(t, prefix, {"angle", "thickness", "material"});
    real(t, prefix, "angle", true, Range::kAny, out.angle[p]);
    real(t, prefix, "thickness", true, Range::kPositive, out.thickness[p]);
    std::string name;
    const toml::node* at = nullptr;
    // One material needs no naming; with several, each ply says which. Without usable
    // materials (reported) the names cannot be checked.
    bool required = materials_.size() > 1;
    Got got = string(t, prefix, "material", required, name, &at);
    if (materials_.empty()) {
      // nothing to look the name up in
    } else if (got == Got::kAbsent && materials_.size() == 1) {
      ply_materials_[base + p] = 0;
    } else if (got == Got::kOk) {
      ply_materials_[base + p] = material_index(name, at->source(), join(prefix, "material"));
    }
    out.material[p] = ply_materials_[base + p] < 0 ? 0 : ply_materials_[base + p];
  }
}

// [laminate]: a stacking notation (layup), the material of the plies that name none, and the
// ply thickness (one for all, or one per material name).
void Reader::read_laminate(const toml::table& t, const std::string& prefix, std::string& layup,
                           PlyStack& out) {
  check_keys(t, prefix, {"layup", "material", "ply_thickness"});
  const toml::node* at = nullptr;
  if (string(t, prefix, "layup", true, layup, &at) != Got::kOk) return;
  std::vector<LayupPly> plies;
  LayupError mistake;
  if (!expand_layup(layup, plies, mistake)) {
    // The column of the character: after the opening quote of a basic or literal string.
    toml::source_region where = at->source();
    where.begin.column += static_cast<toml::source_index>(1 + mistake.offset);
    error(where, join(prefix, "layup"), mistake.message);
    return;
  }
  std::string default_name;
  const toml::node* default_at = nullptr;
  const Got named = string(t, prefix, "material", false, default_name, &default_at);
  int default_material = -1;
  if (named == Got::kOk && !materials_.empty()) {
    default_material = material_index(default_name, default_at->source(), join(prefix, "material"));
  } else if (named == Got::kAbsent && materials_.size() == 1) {
    default_material = 0;
  }
  // The thickness: a number for every ply, or a table of numbers by material name.
  const toml::node* thick = t.get("ply_thickness");
  double common = 0.0;
  const toml::table* by_material = thick ? thick->as_table() : nullptr;
  if (!thick) {
    missing(t, join(prefix, "ply_thickness"));
  } else if (!by_material &&
             real(t, prefix, "ply_thickness", true, Range::kPositive, common) != Got::kOk) {
    return;
  }
  std::vector<double> thickness_of(materials_.size(), std::nan(""));
  if (by_material) {
    for (auto&& [k, v] : *by_material) {
      // A name of its own for the lambda: clang before 16 does not capture structured bindings.
      const std::string_view name = k.str();
      auto it = std::find_if(materials_.begin(), materials_.end(),
                             [&](const MaterialEntry& m) { return m.name == name; });
      if (it == materials_.end()) {
        error(k.source(), join(join(prefix, "ply_thickness"), k.str()),
              "not a material of the job");
      } else {
        real(*by_material, join(prefix, "ply_thickness"), k.str(), true, Range::kPositive,
             thickness_of[static_cast<std::size_t>(it - materials_.begin())]);
      }
    }
  }
  plies_read_ = static_cast<int>(plies.size());
  out.resize(plies_read_);
  bool reported_default = false;
  std::vector<bool> reported(materials_.size(), false);
  for (std::size_t p = 0; p < plies.size(); ++p) {
    int m = default_material;
    if (!plies[p].material.empty()) {
      m = materials_.empty()
              ? -1
              : material_index(plies[p].material, at->source(), join(prefix, "layup"),
                               1 + static_cast<int>(layup.find(plies[p].material)));
    } else if (m < 0 && !reported_default && named == Got::kAbsent && materials_.size() > 1) {
      missing(t, join(prefix, "material"),
              "missing required key (the material of the plies the layup names none for)");
      reported_default = true;
    }
    ply_materials_.push_back(m);
    out.angle[p] = plies[p].angle;
    out.material[p] = m < 0 ? 0 : m;
    out.thickness[p] = common;
    if (by_material && m >= 0) {
      const std::size_t k = static_cast<std::size_t>(m);
      if (std::isnan(thickness_of[k]) && !reported[k] &&
          !by_material->contains(materials_[k].name)) {
        error(thick->source(), join(prefix, "ply_thickness"),
              "no thickness for the plies of material " + toml_string(materials_[k].name));
      }
      reported[k] = true;
      out.thickness[p] = thickness_of[k];
    }
  }
}

void Reader::read_hole(const toml::table& root, Job& job) {
  const toml::table* hole = table(root, "", "hole", !properties_only_);
  if (!hole) return;
  check_keys(
      *hole, "hole",
      {"diameter", "width", "finite_width_correction", "model", "edge_distance", "bolt_series"});
  std::string model = "infinite";
  // With a model that cannot be read, the keys that depend on it are not judged either.
  model_known_ = word(*hole, "hole", "model", kHoleModels, "hole model", model) != Got::kBad;
  strip_ = model == "strip";
  job.plate.model = strip_ ? HoleModel::kStrip : HoleModel::kInfinite;
  diameter_ok_ =
      real(*hole, "hole", "diameter", true, Range::kPositive, job.grid.diameter) == Got::kOk;
  Got width = real(*hole, "hole", "width", false, Range::kNonNegative, job.plate.width);
  if (width == Got::kOk && job.plate.width != 0.0 && diameter_ok_ &&
      !(job.plate.width > job.grid.diameter)) {
    error(hole->get("width")->source(), "hole.width",
          strip_ ? "must be greater than the diameter"
                 : "must be 0 (infinite plate) or greater than the diameter");
  }
  std::string correction;
  const toml::node* at = nullptr;
  if (string(*hole, "hole", "finite_width_correction", false, correction, &at) == Got::kOk) {
    if (correction == "none") {
      job.plate.width_correction = WidthCorrection::kNone;
    } else if (correction == "tan") {
      job.plate.width_correction = WidthCorrection::kTan;
      if (strip_) {
        error(at->source(), "hole.finite_width_correction",
              "\"tan\" corrects the infinite plate for a width; the strip model solves the "
              "strip of that width itself (leave the key out)");
      } else if (width != Got::kOk || job.plate.width == 0.0) {
        error(at->source(), "hole.finite_width_correction",
              "\"tan\" needs a finite plate (hole.width greater than 0)");
      }
    } else {
      error(at->source(), "hole.finite_width_correction",
            "unsupported finite width correction " + toml_string(correction) + " (none, tan)");
    }
  }
  std::string series;
  if (word(*hole, "hole", "bolt_series", kBoltSeries, "bolt series", series) == Got::kOk) {
    job.plate.bolt_series = series == "legacy" ? BoltSeriesSum::kLegacy : BoltSeriesSum::kConverged;
    if (strip_ && series == "legacy") {
      error(hole->get("bolt_series")->source(), "hole.bolt_series",
            "the strip model sums the bolt's series exactly; \"legacy\" (45 terms) is for the "
            "infinite plate");
    }
  }
  if (strip_) {
    read_strip(*hole, job, width);
  } else if (const toml::node* e = model_known_ ? hole->get("edge_distance") : nullptr) {
    error(e->source(), "hole.edge_distance",
          "an edge distance needs the strip model (hole.model = \"strip\")");
  }
}

// The strip: its width (required) and the distance from the hole centre to its free end.
void Reader::read_strip(const toml::table& hole, Job& job, Got width) {
  bool ok = diameter_ok_;
  if (width == Got::kAbsent) {
    missing(hole, "hole.width", "missing required key (the width of the strip)");
    ok = false;
  } else if (width != Got::kOk) {
    ok = false;
  } else if (job.plate.width == 0.0) {
    error(hole.get("width")->source(), "hole.width",
          "must be greater than the diameter: the strip model needs the strip's width");
    ok = false;
  } else if (diameter_ok_ && !(job.plate.width > job.grid.diameter)) {
    ok = false;  // reported
  }
  Got edge = real(hole, "hole", "edge_distance", false, Range::kPositive, job.plate.edge_distance);
  if (edge == Got::kBad) ok = false;
  if (edge == Got::kOk && diameter_ok_ && !(job.plate.edge_distance > job.grid.diameter / 2.0)) {
    error(hole.get("edge_distance")->source(), "hole.edge_distance",
          "must be greater than half the diameter: the free end lies beyond the hole's edge");
    ok = false;
  }
  strip_ok_ = ok;
}

// Every station of the grid, and of the reserve factors at the characteristic distance, must lie
// in the strip: the field outside it is not the plate's. The strip is convex and holds the hole's
// centre, so the farthest station of each angle decides.
void Reader::check_strip_stations(const toml::table& root, const Job& job) {
  if (!strip_ || !strip_ok_ || !grid_ok_) return;
  const Grid& g = job.grid;
  const int stations = station_count(g);
  // The first station outside the strip at `distance` from the hole edge (only station `only`
  // when it is not negative).
  auto first_outside = [&](double distance, double& angle, std::string& where, int only = -1) {
    const double r = g.diameter / 2.0 + distance;
    for (int j = only < 0 ? 0 : only; j < (only < 0 ? stations : only + 1); ++j) {
      const double theta = radians(station_angle(g, j));
      const double x = r * std::cos(theta), y = r * std::sin(theta);
      if (in_strip(job.plate, g.diameter, x, y)) continue;
      angle = station_angle(g, j);
      const double reach =
          std::fmax(kStripReachWidths * job.plate.width, kStripReachDiameters * g.diameter);
      char text[200];
      if (!(std::fabs(y) <= job.plate.width / 2.0)) {
        std::snprintf(text, sizeof text, "beyond the side of the strip, %.6g from its axis",
                      job.plate.width / 2.0);
      } else if (job.plate.edge_distance > 0.0 && x > 0.0) {
        std::snprintf(text, sizeof text, "beyond the free end, %.6g ahead of the hole centre",
                      job.plate.edge_distance);
      } else {
        std::snprintf(text, sizeof text,
                      "beyond the length of strip the model solves, %.6g (%.3g widths, at least "
                      "%.3g diameters) from the hole centre",
                      reach, kStripReachWidths, kStripReachDiameters);
      }
      where = text;
      return true;
    }
    return false;
  };
  auto message = [&](double angle, double distance, const std::string& where) {
    char text[120];
    std::snprintf(text, sizeof text, "the station at %.6g degrees, %.6g from the hole edge, lies ",
                  angle, distance);
    return text + where;
  };
  double angle = 0.0;
  std::string where;
  const double outer = (g.steps - 1) * g.distance_step;
  if (first_outside(outer, angle, where)) {
    const toml::node* grid = root.get("grid");
    const toml::node* at = grid && grid->is_table() ? grid->as_table()->get("distance_step") : grid;
    error(at ? at->source() : root.source(), "grid.distance_step",
          message(angle, outer, where) + ": use fewer steps or a smaller distance_step");
  }
  // The reserve stations of every characteristic distance, on its curve about the strip's axis
  // (the bolt bears along it, the bypass acts along it).
  if (!failure_given_) return;
  for (const CharacteristicDistance& d : job.distances) {
    for (int j = 0; j < stations; ++j) {
      const double distance = curve_distance(d, station_angle(g, j), 0.0);
      if (!first_outside(distance, angle, where, j)) continue;
      const toml::table* failure = root.get("failure")->as_table();
      const char* key = failure->contains("distance") ? "distance" : "distance_tension";
      const toml::node* at = failure->get(key);
      error(at ? at->source() : failure->source(),
            at ? std::string("failure.") + key : std::string("failure"),
            message(angle, distance, where) +
                " (the reserve factors are judged there): use a smaller characteristic distance");
      return;
    }
  }
}

void Reader::read_grid(const toml::table& root, Job& job) {
  const toml::table* grid = table(root, "", "grid", !properties_only_);
  if (!grid) return;
  Grid& g = job.grid;
  check_keys(*grid, "grid", {"angle_step", "angle_low", "angle_high", "distance_step", "steps"});
  Got step = real(*grid, "grid", "angle_step", true, Range::kAny, g.angle_step);
  if (step == Got::kOk && g.angle_step == 0.0) {
    error(grid->get("angle_step")->source(), "grid.angle_step", "must not be 0");
    step = Got::kBad;
  }
  g.angle_low = 0.0;
  Got low = real(*grid, "grid", "angle_low", false, Range::kAny, g.angle_low);
  Got high = real(*grid, "grid", "angle_high", true, Range::kAny, g.angle_high);
  bool ok = step == Got::kOk && low != Got::kBad && high == Got::kOk;
  if (ok) {
    const double ratio = (g.angle_high - g.angle_low) / g.angle_step;
    if (!(ratio >= 0.0)) {
      error(grid->get("angle_high")->source(), "grid.angle_high",
            "(angle_high - angle_low) / angle_step must not be negative");
      ok = false;
    } else if (!(ratio < kMaxStationIntervals)) {
      error(grid->get("angle_high")->source(), "grid.angle_high",
            "(angle_high - angle_low) / angle_step must be below " +
                std::to_string(kMaxStationIntervals) + " (stations round the hole)");
      ok = false;
    }
  }
  ok = real(*grid, "grid", "distance_step", true, Range::kNonNegative, g.distance_step) ==
           Got::kOk &&
       ok;
  g.steps = 1;
  if (const toml::node* n = grid->get("steps")) {
    if (!n->is_integer()) {
      wrong_type(*n, "grid.steps", "an integer");
      ok = false;
    } else if (std::int64_t s = n->as_integer()->get(); s < 1 || s > kMaxJobSteps) {
      error(n->source(), "grid.steps", "must be from 1 to " + std::to_string(kMaxJobSteps));
      ok = false;
    } else {
      g.steps = static_cast<int>(s);
    }
  }
  if (ok && diameter_ok_ && (g.steps - 1) * g.distance_step > kMaxGridDiameters * g.diameter) {
    error(grid->get("distance_step")->source(), "grid.distance_step",
          "the last distance step lies more than " +
              std::to_string(static_cast<int>(kMaxGridDiameters)) +
              " hole diameters from the edge");
    ok = false;
  }
  grid_ok_ = ok;
}

bool parse_within_limits(std::string_view text, const std::string& path, toml::table& out,
                         std::vector<JobError>& errors) {
  TomlLimitBreach breach;
  if (!within_toml_limits(text, breach)) {
    errors.push_back({path, breach.line, breach.column, "", breach.message});
    return false;
  }
  toml::parse_result parsed = toml::parse(text, std::string_view(path));
  if (!parsed) {
    const toml::parse_error& e = parsed.error();
    std::string message(e.description());
    if (!message.empty() && message[0] >= 'A' && message[0] <= 'Z') message[0] += 'a' - 'A';
    errors.push_back({path, static_cast<int>(e.source().begin.line),
                      static_cast<int>(e.source().begin.column), "", std::move(message)});
    return false;
  }
  out = std::move(parsed).table();
  return true;
}

void sort_by_place(std::vector<JobError>& errors, std::size_t from) {
  std::stable_sort(errors.begin() + static_cast<std::ptrdiff_t>(from), errors.end(),
                   [](const JobError& a, const JobError& b) {
                     return a.line != b.line ? a.line < b.line : a.column < b.column;
                   });
}

}  // namespace job_detail

bool read_job(std::string_view text, const std::string& path, Job& job,
              std::vector<JobError>& errors) {
  job = Job{};
  job.path = path;
  return job_detail::read_located(text, path, job, errors);
}

}  // namespace hs
