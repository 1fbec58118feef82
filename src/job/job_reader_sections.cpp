// The sections of a job file that come after the laminate and the grid: the load cases, the
// failure criteria, the results wanted and the carpet plot.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>

#include "job/reader.hpp"

namespace hs::job_detail {

void Reader::read_load_cases(const toml::table& root, Job& job) {
  const toml::node* cases = root.get("load_cases");
  const toml::node* file = nullptr;
  if (string(root, "", "load_cases_file", false, job.load_cases_file, &file) == Got::kOk) {
    if (job.load_cases_file.empty()) {
      error(file->source(), "load_cases_file", "must not be empty");
    } else if (job.load_cases_file.find('\0') != std::string::npos) {
      error(file->source(), "load_cases_file", "must not contain a NUL character");
    }
    if (cases) {
      error(file->source(), "load_cases_file",
            "give either load_cases or load_cases_file, not both");
    }
    return;
  }
  if (file) return;  // of the wrong type, reported
  if (!cases) {
    if (!properties_only_) missing(root, "load_cases", "missing required key (or load_cases_file)");
    return;
  }
  const toml::array* a = cases->as_array();
  if (!a) {
    wrong_type(*cases, "load_cases", "an array of tables ([[load_cases]])");
    return;
  }
  if (a->empty()) {
    error(a->source(), "load_cases", "needs at least one load case");
    return;
  }
  struct Named {
    std::string name;
    int line;
  };
  std::vector<Named> seen;
  for (std::size_t i = 0; i < a->size(); ++i) {
    const toml::node& e = (*a)[i];
    std::string prefix = index("load_cases", i);
    if (!e.is_table()) {
      wrong_type(e, prefix, "a table");
      continue;
    }
    const toml::table& t = *e.as_table();
    check_keys(t, prefix,
               {"name", "px", "py", "pxy", "off_axis", "bearing", "bolt_angle", "bypass"});
    LoadCase lc{"LC" + std::to_string(i + 1), Loads{}};
    const toml::node* at = nullptr;
    if (string(t, prefix, "name", false, lc.name, &at) == Got::kOk) {
      if (lc.name.empty()) {
        error(at->source(), prefix + ".name", "must not be empty");
      } else if (lc.name.find(',') != std::string::npos || has_control_character(lc.name)) {
        error(at->source(), prefix + ".name",
              "must not contain a comma, a line break or a control character");
      }
    }
    const toml::source_region& name_at = at ? at->source() : t.source();
    auto dup =
        std::find_if(seen.begin(), seen.end(), [&](const Named& s) { return s.name == lc.name; });
    if (dup != seen.end()) {
      error(name_at, prefix + ".name",
            "duplicate load case name " + toml_string(lc.name) + " (first at line " +
                std::to_string(dup->line) + ")");
    } else {
      seen.push_back({lc.name, static_cast<int>(name_at.begin.line)});
    }
    Loads& l = lc.loads;
    if (strip_) {
      read_strip_loads(t, prefix, job, l);
    } else {
      real(t, prefix, "px", false, Range::kAny, l.px);
      real(t, prefix, "py", false, Range::kAny, l.py);
      real(t, prefix, "pxy", false, Range::kAny, l.pxy);
      real(t, prefix, "off_axis", false, Range::kAny, l.off_axis);
      real(t, prefix, "bearing", false, Range::kAny, l.bearing);
      real(t, prefix, "bolt_angle", false, Range::kAny, l.bolt_angle);
      if (const toml::node* n = model_known_ ? t.get("bypass") : nullptr) {
        error(n->source(), prefix + ".bypass",
              "a load of the strip model (hole.model = \"strip\"); on the infinite plate the "
              "bypass follows from bearing, diameter and width");
      }
    }
    job.load_cases.push_back(std::move(lc));
  }
}

// The loads of a strip: along its axis only, a bolt bearing towards the free end (+x) and the
// gross stress carried past the hole, which a strip with a free end does not carry.
void Reader::read_strip_loads(const toml::table& t, const std::string& prefix, const Job& job,
                              Loads& l) {
  if (const toml::node* n = t.get("px")) {
    error(n->source(), prefix + ".px",
          "the strip model takes the stress along the strip as bypass (the gross stress carried "
          "past the hole): use bypass");
  }
  for (const char* key : {"py", "pxy", "off_axis"}) {
    if (const toml::node* n = t.get(key)) {
      error(n->source(), prefix + "." + key,
            "the strip model takes loads along the strip only (bearing and bypass)");
    }
  }
  if (real(t, prefix, "bolt_angle", false, Range::kAny, l.bolt_angle) == Got::kOk &&
      l.bolt_angle != 0.0) {
    error(t.get("bolt_angle")->source(), prefix + ".bolt_angle",
          "must be 0 in the strip model: the bolt bears along the strip, towards +x");
  }
  l.bolt_angle = 0.0;
  if (real(t, prefix, "bearing", false, Range::kAny, l.bearing) == Got::kOk && l.bearing < 0.0) {
    error(t.get("bearing")->source(), prefix + ".bearing",
          "must be 0 or greater in the strip model: the bolt bears towards +x (the free end)");
  }
  if (real(t, prefix, "bypass", false, Range::kAny, l.bypass) == Got::kOk && l.bypass != 0.0 &&
      job.plate.edge_distance > 0.0) {
    error(t.get("bypass")->source(), prefix + ".bypass",
          "must be 0 with an edge distance: the free end carries no stress past the hole");
  }
}

void Reader::read_failure(const toml::table& root, Job& job) {
  job.distances = {{job.grid.distance_step, job.grid.distance_step}};
  job.factor_of_safety = 1.0;
  const toml::table* failure = table(root, "", "failure", false);
  // Without a distance of its own the job judges failure at the grid's distance step, within
  // the same reach as a distance given (a job written back states it, and must read back).
  const bool distance_given =
      failure && (failure->contains("distance") || failure->contains("distance_tension") ||
                  failure->contains("distance_compression"));
  if (!distance_given && diameter_ok_ && grid_ok_ &&
      job.grid.distance_step > kMaxDistanceDiameters * job.grid.diameter) {
    const toml::node* grid = root.get("grid");
    const toml::node* step =
        grid && grid->is_table() ? grid->as_table()->get("distance_step") : nullptr;
    error(step ? step->source() : root.source(), "grid.distance_step",
          "the characteristic distance, the distance step when [failure] gives none, lies more "
          "than " +
              std::to_string(static_cast<int>(kMaxDistanceDiameters)) +
              " hole diameters from the edge: give failure.distance");
  }
  if (!failure) {
    failure_given_ = root.contains("failure");  // of the wrong type: reported, not missing
    return;
  }
  failure_given_ = true;
  check_keys(*failure, "failure",
             {"criteria", "distance", "distance_tension", "distance_compression", "method",
              "average_rule", "average_points", "factor_of_safety"});
  std::vector<std::pair<std::string, const toml::node*>> names;
  const toml::node* at = nullptr;
  if (!strings(*failure, "failure", "criteria", names, at)) {
    if (!at) missing(*failure, "failure.criteria");
  } else if (at->as_array()->empty()) {
    error(at->source(), "failure.criteria", "needs at least one criterion");
  }
  for (std::size_t i = 0; i < names.size(); ++i) {
    const std::string& name = names[i].first;
    const toml::node* node = names[i].second;
    const Criterion* c = std::find_if(std::begin(kCriteria), std::end(kCriteria),
                                      [&](Criterion k) { return name == criterion_name(k); });
    std::string key = index("failure.criteria", i);
    if (c == std::end(kCriteria)) {
      error(node->source(), key,
            "unknown criterion " + toml_string(name) +
                " (max-strain, max-stress, tsai-hill, tsai-wu, hoffman)");
    } else if (std::find(job.criteria.begin(), job.criteria.end(), *c) != job.criteria.end()) {
      error(node->source(), key, "duplicate criterion " + toml_string(name));
    } else {
      job.criteria.push_back(*c);
    }
  }
  read_distances(*failure, job);
  read_method(*failure, job);
  real(*failure, "failure", "factor_of_safety", false, Range::kPositive, job.factor_of_safety);
}

Got Reader::distance_values(const toml::table& t, std::string_view name, double diameter,
                            std::vector<double>& out, bool& list, const toml::node** at) {
  const toml::node* n = t.get(name);
  const std::string key = join("failure", name);
  *at = n;
  out.clear();
  list = false;
  if (!n) return Got::kAbsent;
  const toml::array* a = n->as_array();
  if (!a) {
    double d = 0.0;
    Got got = real(t, "failure", name, false, Range::kNonNegative, d);
    if (got == Got::kOk && !within_reach(*n, key, d, diameter)) got = Got::kBad;
    if (got == Got::kOk) out.push_back(d);
    return got;
  }
  list = true;
  if (a->empty()) {
    error(a->source(), key, "needs at least one distance");
    return Got::kBad;
  }
  bool ok = true;
  for (std::size_t i = 0; i < a->size(); ++i) {
    const toml::node& e = (*a)[i];
    const std::string item = index(key, i);
    double d = 0.0;
    if (auto v = e.as_integer()) {
      d = static_cast<double>(v->get());
    } else if (auto f = e.as_floating_point()) {
      d = f->get();
    } else {
      wrong_type(e, item, "a number");
      ok = false;
      continue;
    }
    if (!std::isfinite(d)) {
      error(e.source(), item, "must be finite");
      ok = false;
    } else if (!(d >= 0.0)) {
      error(e.source(), item, "must be 0 or greater");
      ok = false;
    } else if (!within_reach(e, item, d, diameter)) {
      ok = false;
    }
    out.push_back(d);
  }
  return ok ? Got::kOk : Got::kBad;
}

bool Reader::within_reach(const toml::node& n, const std::string& key, double distance,
                          double diameter) {
  if (!diameter_ok_ || !(distance > kMaxDistanceDiameters * diameter)) return true;
  error(n.source(), key,
        "more than " + std::to_string(static_cast<int>(kMaxDistanceDiameters)) +
            " hole diameters from the edge: the field there is the far field");
  return false;
}

// One distance all round (distance), or the tension and compression distances of the
// characteristic curve (distance_tension, distance_compression); each a number or a list.
void Reader::read_distances(const toml::table& failure, Job& job) {
  std::vector<double> one, tension, compression;
  bool one_list = false, tension_list = false, compression_list = false;
  const toml::node *one_at = nullptr, *tension_at = nullptr, *compression_at = nullptr;
  const double d = job.grid.diameter;
  const Got got_one = distance_values(failure, "distance", d, one, one_list, &one_at);
  const Got got_t =
      distance_values(failure, "distance_tension", d, tension, tension_list, &tension_at);
  const Got got_c = distance_values(failure, "distance_compression", d, compression,
                                    compression_list, &compression_at);
  if (one_at && (tension_at || compression_at)) {
    const toml::node* at = tension_at ? tension_at : compression_at;
    error(at->source(), tension_at ? "failure.distance_tension" : "failure.distance_compression",
          "give either distance or distance_tension and distance_compression, not both");
    return;
  }
  if (got_one == Got::kOk) {
    job.distances.clear();
    for (double d : one) job.distances.push_back({d, d});
    job.distance_list = one_list;
    return;
  }
  if (!tension_at && !compression_at) return;
  if (!tension_at || !compression_at) {
    const bool lacks_tension = !tension_at;
    missing(failure, lacks_tension ? "failure.distance_tension" : "failure.distance_compression",
            "missing required key (distance_tension and distance_compression go together)");
    return;
  }
  if (got_t != Got::kOk || got_c != Got::kOk) return;
  if (tension_list != compression_list || tension.size() != compression.size()) {
    error(compression_at->source(), "failure.distance_compression",
          "must be of the same form as distance_tension: both numbers, or both lists of one "
          "length (" +
              std::to_string(tension.size()) + " distances)");
    return;
  }
  job.distances.clear();
  for (std::size_t i = 0; i < tension.size(); ++i)
    job.distances.push_back({tension[i], compression[i]});
  job.distance_list = tension_list;
}

// The method, and the quadrature of the average.
void Reader::read_method(const toml::table& failure, Job& job) {
  static constexpr const char* kMethods[] = {"point", "average"};
  static constexpr const char* kRules[] = {"gauss-legendre", "simpson"};
  std::string method, rule;
  if (word(failure, "failure", "method", kMethods, "method", method) == Got::kOk) {
    job.method =
        method == "average" ? StrengthMethod::kAverageStress : StrengthMethod::kPointStress;
  }
  if (word(failure, "failure", "average_rule", kRules, "average rule", rule) == Got::kOk) {
    job.average_rule = rule == "simpson" ? Quadrature::kSimpson : Quadrature::kGaussLegendre;
  }
  const bool simpson = job.average_rule == Quadrature::kSimpson;
  job.average_points = simpson ? kDefaultSimpsonPoints : kDefaultAveragePoints;
  const toml::node* n = failure.get("average_points");
  if (!n) return;
  if (!n->is_integer()) {
    wrong_type(*n, "failure.average_points", "an integer");
    return;
  }
  const std::int64_t points = n->as_integer()->get();
  if (simpson && (points < 3 || points > kMaxQuadraturePoints || points % 2 == 0)) {
    error(n->source(), "failure.average_points",
          "Simpson's rule takes an odd number of points from 3 to " +
              std::to_string(kMaxQuadraturePoints));
  } else if (points < 1 || points > kMaxQuadraturePoints) {
    error(n->source(), "failure.average_points",
          "must be from 1 to " + std::to_string(kMaxQuadraturePoints));
  } else {
    job.average_points = static_cast<int>(points);
  }
}

void Reader::read_results(const toml::table& root, Job& job) {
  const toml::table* results = table(root, "", "results", false);
  std::vector<std::pair<std::string, const toml::node*>> names;
  const toml::node* at = nullptr;
  bool listed = false;
  if (results) {
    check_keys(*results, "results", {"tables"});
    listed = strings(*results, "results", "tables", names, at);
    if (listed && at->as_array()->empty()) {
      error(at->source(), "results.tables", "needs at least one table");
    }
  }
  if (!listed) {
    job.results[static_cast<int>(ResultKind::kProperties)] = true;
    job.results[static_cast<int>(ResultKind::kStresses)] = true;
    job.results[static_cast<int>(ResultKind::kReserve)] = failure_given_;
  }
  for (std::size_t i = 0; i < names.size(); ++i) {
    const std::string& name = names[i].first;
    const toml::node* node = names[i].second;
    std::string key = index("results.tables", i);
    int kind = 0;
    while (kind < kResultKinds && name != result_name(static_cast<ResultKind>(kind))) ++kind;
    if (kind == kResultKinds) {
      error(node->source(), key,
            "unknown table " + toml_string(name) +
                " (properties, stresses, strains, polar, displacements, ply-strains, "
                "ply-stresses, failure, reserve)");
    } else if (job.results[kind]) {
      error(node->source(), key, "duplicate table " + toml_string(name));
    } else {
      job.results[kind] = true;
      bool needs_failure = kind == static_cast<int>(ResultKind::kFailure) ||
                           kind == static_cast<int>(ResultKind::kReserve);
      if (needs_failure && !failure_given_) {
        error(node->source(), key, toml_string(name) + " needs a [failure] table");
      }
    }
  }
  // Failure numbers need the allowables of every material a ply is made of.
  if (!failure_given_ || !(job.wants(ResultKind::kFailure) || job.wants(ResultKind::kReserve))) {
    return;
  }
  check_allowables(job, "the failure results");
}

void Reader::check_allowables(const Job& job, const std::string& needed_by) {
  // Maximum strain alone may do with strain allowables.
  bool strengths = false;
  for (Criterion c : job.criteria) strengths = strengths || c != Criterion::kMaxStrain;
  for (int m = 0; m < job.materials.count; ++m) {
    const MaterialEntry& entry = materials_[m];
    bool used = std::find(ply_materials_.begin(), ply_materials_.end(), m) != ply_materials_.end();
    if (!strengths && job.has_strain_allowables[m]) continue;
    if (used && entry.table && !entry.allowables_reported && !job.has_allowables[m] &&
        !entry.table->contains("T1")) {
      const std::string job_path = path_;
      path_ = entry.file;
      error(entry.table->source(), join("materials", entry.name),
            "no allowables (T1, C1, T2, C2, S12), needed for " + needed_by);
      path_ = job_path;
    }
  }
}

void Reader::read_carpet(const toml::table& root, Job& job) {
  const toml::table* carpet = table(root, "", "carpet", false);
  if (!carpet) return;
  job.carpet = true;
  check_keys(*carpet, "carpet", {});
  if (plies_read_ > 0 && plies_read_ != 4) {
    error(carpet->source(), "carpet",
          "the carpet plot needs exactly 4 plies (0, +45, -45, 90), found " +
              std::to_string(plies_read_));
  }
}

}  // namespace hs::job_detail
