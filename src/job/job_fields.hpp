// What the job reader is made of: the names and limits of the keys, and the typed reads of
// TOML values that report every mistake with its place.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "job/job.hpp"
#include "job/toml.hpp"
#include "job/toml_text.hpp"

namespace hs::job_detail {

inline constexpr const char* kStressUnits[] = {"psi", "ksi", "Pa", "kPa", "MPa", "GPa"};
inline constexpr const char* kLengthUnits[] = {"in", "mm", "m"};
inline constexpr const char* kHoleModels[] = {"infinite", "strip"};
inline constexpr const char* kBoltSeries[] = {"converged", "legacy"};
inline constexpr const char* kAllowableKeys[] = {"T1", "C1", "T2", "C2", "S12"};
inline constexpr const char* kStrainAllowableKeys[] = {"strain_T1", "strain_C1", "strain_T2",
                                                       "strain_C2", "strain_S12"};
// Bounds on the grid of a job file, far beyond any real use, so that counts stay integers; the
// working storage of the analysis is the real limit (kMaxWorkingStorage).
inline constexpr int kMaxStationIntervals = 10'000'000;
inline constexpr int kMaxJobSteps = 10'000'000;
// The magnitudes of the numbers of a job: their squares and products stay within the range of
// doubles.
inline constexpr double kLargestMagnitude = 1e150;
inline constexpr double kSmallestMagnitude = 1e-150;
// The characteristic distance may reach this many hole diameters from the edge, and the grid's
// farthest step this many: the field there is the far field, and judging failure farther out
// says nothing about the hole.
inline constexpr double kMaxDistanceDiameters = 10.0;
inline constexpr double kMaxGridDiameters = 1000.0;
// The most numbers the results of a job may hold: its JSON document, tables and CSV files are
// made whole before they are written (some 50 bytes a number at the peak).
inline constexpr double kMaxResultNumbers = 10e6;
// The largest working storage (bytes) a job may need: field_storage_bytes of its grid and stack.
inline constexpr double kMaxWorkingStorage = 2.0 * 1024 * 1024 * 1024;

inline constexpr Criterion kCriteria[] = {Criterion::kMaxStrain, Criterion::kMaxStress,
                                          Criterion::kTsaiHill, Criterion::kTsaiWu,
                                          Criterion::kHoffman};

inline std::string join(const std::string& prefix, std::string_view name) {
  std::string key = is_bare_key(name) ? std::string(name) : toml_string(name);
  return prefix.empty() ? key : prefix + "." + key;
}

// The key of entry i (0-based) of an array: entries are counted from 1, as the results count
// plies and load cases ("plies[1]" is the bottom ply).
inline std::string index(const std::string& prefix, std::size_t i) {
  return prefix + "[" + std::to_string(i + 1) + "]";
}

inline const char* type_phrase(toml::node_type t) {
  switch (t) {
    case toml::node_type::table:
      return "a table";
    case toml::node_type::array:
      return "an array";
    case toml::node_type::string:
      return "a string";
    case toml::node_type::integer:
      return "an integer";
    case toml::node_type::floating_point:
      return "a floating-point number";
    case toml::node_type::boolean:
      return "a boolean";
    case toml::node_type::date:
      return "a date";
    case toml::node_type::time:
      return "a time";
    case toml::node_type::date_time:
      return "a date-time";
    case toml::node_type::none:
      break;
  }
  return "nothing";
}

inline bool has_control_character(std::string_view s) {
  for (unsigned char c : s) {
    if (c < 0x20 || c == 0x7f) return true;
  }
  return false;
}

enum class Range { kAny, kPositive, kNonNegative };

// What a look-up found: nothing, a value that is wrong (reported), or a good value.
enum class Got { kAbsent, kBad, kOk };

// Typed reads of the values of a table, each mistake added to the errors with its file, line,
// column and dotted key.
class FieldReader {
 public:
  FieldReader(const std::string& path, std::vector<JobError>& errors)
      : path_(path), errors_(errors) {}

 protected:
  void error(const toml::source_region& at, const std::string& key, std::string message) {
    errors_.push_back({path_, static_cast<int>(at.begin.line), static_cast<int>(at.begin.column),
                       key, std::move(message)});
  }
  void missing(const toml::table& t, const std::string& key, std::string message = {}) {
    error(t.source(), key, message.empty() ? "missing required key" : std::move(message));
  }
  void wrong_type(const toml::node& n, const std::string& key, const char* expected) {
    error(n.source(), key,
          std::string("expected ") + expected + ", found " + type_phrase(n.type()));
  }

  // Reports every key of t not among `known`.
  void check_keys(const toml::table& t, const std::string& prefix,
                  std::initializer_list<std::string_view> known) {
    for (auto&& [k, v] : t) {
      if (std::find(known.begin(), known.end(), k.str()) == known.end()) {
        error(k.source(), join(prefix, k.str()), "unknown key");
      }
    }
  }

  // Looks up a table-valued key; a missing required one and a value of another type are reported.
  const toml::table* table(const toml::table& t, const std::string& prefix, std::string_view name,
                           bool required) {
    const toml::node* n = t.get(name);
    std::string key = join(prefix, name);
    if (!n) {
      if (required) missing(t, key);
      return nullptr;
    }
    if (!n->is_table()) {
      wrong_type(*n, key, "a table");
      return nullptr;
    }
    return n->as_table();
  }

  Got real(const toml::table& t, const std::string& prefix, std::string_view name, bool required,
           Range range, double& out) {
    const toml::node* n = t.get(name);
    std::string key = join(prefix, name);
    if (!n) {
      if (required) missing(t, key);
      return Got::kAbsent;
    }
    double x;
    if (auto i = n->as_integer()) {
      x = static_cast<double>(i->get());
    } else if (auto f = n->as_floating_point()) {
      x = f->get();
    } else {
      wrong_type(*n, key, "a number");
      return Got::kBad;
    }
    if (!std::isfinite(x)) {
      error(n->source(), key, "must be finite");
      return Got::kBad;
    }
    // The analysis squares and multiplies these values (moduli, allowables, thicknesses, loads):
    // beyond this range an intermediate result would overflow or vanish and every result be
    // undefined.
    if (x != 0.0 && !(std::fabs(x) <= kLargestMagnitude && std::fabs(x) >= kSmallestMagnitude)) {
      error(n->source(), key, "must be 0 or of a magnitude from 1e-150 to 1e150");
      return Got::kBad;
    }
    if (range == Range::kPositive && !(x > 0.0)) {
      error(n->source(), key, "must be greater than 0");
      return Got::kBad;
    }
    if (range == Range::kNonNegative && !(x >= 0.0)) {
      error(n->source(), key, "must be 0 or greater");
      return Got::kBad;
    }
    out = x;
    return Got::kOk;
  }

  Got string(const toml::table& t, const std::string& prefix, std::string_view name, bool required,
             std::string& out, const toml::node** at = nullptr) {
    const toml::node* n = t.get(name);
    std::string key = join(prefix, name);
    if (at) *at = n;
    if (!n) {
      if (required) missing(t, key);
      return Got::kAbsent;
    }
    if (!n->is_string()) {
      wrong_type(*n, key, "a string");
      return Got::kBad;
    }
    out = n->as_string()->get();
    return Got::kOk;
  }

  // A string from a fixed list of words.
  template <std::size_t N>
  Got word(const toml::table& t, const std::string& prefix, std::string_view name,
           const char* const (&words)[N], const char* what, std::string& out) {
    const toml::node* n = nullptr;
    std::string s;
    Got got = string(t, prefix, name, false, s, &n);
    if (got != Got::kOk) return got;
    for (const char* w : words) {
      if (s == w) {
        out = s;
        return Got::kOk;
      }
    }
    std::string list;
    for (const char* w : words) list += (list.empty() ? "" : ", ") + std::string(w);
    error(n->source(), join(prefix, name),
          std::string("unsupported ") + what + " " + toml_string(s) + " (" + list + ")");
    return Got::kBad;
  }

  // An array of strings; each element not a string is reported and left out.
  bool strings(const toml::table& t, const std::string& prefix, std::string_view name,
               std::vector<std::pair<std::string, const toml::node*>>& out, const toml::node*& at) {
    at = t.get(name);
    std::string key = join(prefix, name);
    if (!at) return false;
    const toml::array* a = at->as_array();
    if (!a) {
      wrong_type(*at, key, "an array of strings");
      return false;
    }
    for (std::size_t i = 0; i < a->size(); ++i) {
      const toml::node& e = (*a)[i];
      if (!e.is_string()) {
        wrong_type(e, index(key, i), "a string");
      } else {
        out.emplace_back(e.as_string()->get(), &e);
      }
    }
    return true;
  }

  std::string path_;  // the file the errors are in: the job, or its materials file
  std::vector<JobError>& errors_;
};

}  // namespace hs::job_detail
