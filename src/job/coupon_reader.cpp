// The sections of a coupon file; the laminate and [failure] are read as a job file's.
#include <algorithm>
#include <cmath>
#include <string>

#include "job/job_reader.hpp"
#include "job/reader.hpp"

namespace hs {

namespace job_detail {

void Reader::read(const toml::table& root, CouponFile& file) {
  check_keys(root, "",
             {"title", "units", "materials", "materials_file", "plies", "laminate", "failure",
              "coupons", "unnotched", "fit"});
  const toml::node* title_at = nullptr;
  if (string(root, "", "title", false, file.title, &title_at) == Got::kOk &&
      has_control_character(file.title)) {
    error(title_at->source(), "title", "must not contain a line break or control character");
  }
  Job& job = file.laminate;
  job.title = file.title;
  read_units(root, job);
  read_materials(root, job);
  read_plies(root, job);
  const toml::table* failure = table(root, "", "failure", true);
  read_failure(root, job);
  if (failure) {
    // The fit finds the distances; a factor of safety has no part in it.
    for (const char* key :
         {"distance", "distance_tension", "distance_compression", "factor_of_safety"}) {
      if (const toml::node* n = failure->get(key)) {
        error(n->source(), join("failure", key),
              std::string(key) == "factor_of_safety"
                  ? "not used by the fit: leave it out of a coupon file"
                  : "the fit finds the characteristic distances: leave them out of a coupon file");
      }
    }
    check_allowables(job, "the fit");
  }
  read_coupon_list(root, file);
  read_coupon_settings(root, file);
}

void Reader::read_coupon_list(const toml::table& root, CouponFile& file) {
  const toml::node* n = root.get("coupons");
  if (!n) {
    missing(root, "coupons", "missing required key (the coupons, [[coupons]])");
    return;
  }
  const toml::array* a = n->as_array();
  if (!a) {
    wrong_type(*n, "coupons", "an array of tables ([[coupons]])");
    return;
  }
  if (a->empty()) {
    error(a->source(), "coupons", "needs at least one coupon");
    return;
  }
  static constexpr const char* kLoadings[] = {"tension", "compression"};
  for (std::size_t i = 0; i < a->size(); ++i) {
    const toml::node& e = (*a)[i];
    const std::string prefix = index("coupons", i);
    if (!e.is_table()) {
      wrong_type(e, prefix, "a table");
      continue;
    }
    const toml::table& t = *e.as_table();
    check_keys(t, prefix, {"name", "loading", "diameter", "width", "strength"});
    CouponTest c;
    c.name = "C";
    c.name += std::to_string(i + 1);
    const toml::node* name_at = nullptr;
    if (string(t, prefix, "name", false, c.name, &name_at) == Got::kOk) {
      if (c.name.empty() || has_control_character(c.name)) {
        error(name_at->source(), prefix + ".name",
              "must not be empty or contain a line break or control character");
      } else {
        for (const CouponTest& other : file.coupons) {
          if (other.name == c.name) {
            error(name_at->source(), prefix + ".name",
                  "duplicate coupon name " + toml_string(c.name));
          }
        }
      }
    }
    std::string loading;
    if (word(t, prefix, "loading", kLoadings, "loading", loading) == Got::kAbsent) {
      missing(t, prefix + ".loading", "missing required key (\"tension\" or \"compression\")");
    }
    c.compression = loading == "compression";
    const Got d = real(t, prefix, "diameter", true, Range::kPositive, c.diameter);
    const Got w = real(t, prefix, "width", true, Range::kPositive, c.width);
    if (d == Got::kOk && w == Got::kOk && !(c.width > c.diameter)) {
      error(t.get("width")->source(), prefix + ".width", "must be greater than the diameter");
    }
    const toml::node* s = t.get("strength");
    if (!s) {
      missing(t, prefix + ".strength", "missing required key (the notched strength)");
    } else if (const toml::array* list = s->as_array()) {
      if (list->empty()) error(list->source(), prefix + ".strength", "needs at least one value");
      for (std::size_t k = 0; k < list->size(); ++k) {
        const toml::node& v = (*list)[k];
        const std::string key = index(prefix + ".strength", k);
        const double x = v.is_integer()          ? static_cast<double>(v.as_integer()->get())
                         : v.is_floating_point() ? v.as_floating_point()->get()
                                                 : std::nan("");
        if (!v.is_integer() && !v.is_floating_point()) {
          wrong_type(v, key, "a number");
        } else if (!(x > 0.0) || !std::isfinite(x)) {
          error(v.source(), key, "must be greater than 0 and finite");
        } else {
          c.strengths.push_back(x);
        }
      }
    } else {
      double x = 0.0;
      if (real(t, prefix, "strength", true, Range::kPositive, x) == Got::kOk) {
        c.strengths.push_back(x);
      }
    }
    file.coupons.push_back(std::move(c));
  }
}

void Reader::read_coupon_settings(const toml::table& root, CouponFile& file) {
  if (const toml::table* u = table(root, "", "unnotched", false)) {
    check_keys(*u, "unnotched", {"tension", "compression"});
    real(*u, "unnotched", "tension", false, Range::kPositive, file.unnotched_tension);
    real(*u, "unnotched", "compression", false, Range::kPositive, file.unnotched_compression);
  }
  if (const toml::table* f = table(root, "", "fit", false)) {
    check_keys(*f, "fit", {"load_angle", "angle_step"});
    real(*f, "fit", "load_angle", false, Range::kAny, file.load_angle);
    if (real(*f, "fit", "angle_step", false, Range::kPositive, file.angle_step) == Got::kOk &&
        !(file.angle_step <= 90.0)) {
      error(f->get("angle_step")->source(), "fit.angle_step", "must be 90 or less");
    }
  }
}

}  // namespace job_detail

bool read_coupon_file(std::string_view text, const std::string& path, CouponFile& file,
                      std::vector<JobError>& errors) {
  file = CouponFile{};
  file.path = path;
  file.laminate.path = path;
  return job_detail::read_located(text, path, file, errors);
}

}  // namespace hs
