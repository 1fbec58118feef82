// The reader of a job file, section by section (job_reader.cpp and job_reader_sections.cpp).
#pragma once

#include "job/coupon_file.hpp"
#include "job/job_fields.hpp"

namespace hs::job_detail {

class Reader : public FieldReader {
 public:
  using FieldReader::FieldReader;

  void read(const toml::table& root, Job& job);
  // A coupon file (coupon_file.hpp): the laminate and [failure] as a job file gives them, then
  // the coupons, the unnotched strengths and the settings of the fit.
  void read(const toml::table& root, CouponFile& file);

 private:
  void read_units(const toml::table& root, Job& job);
  void read_materials(const toml::table& root, Job& job);
  void read_strain_allowables(const toml::table& t, const std::string& prefix, Job& job,
                              std::size_t m);
  void read_plies(const toml::table& root, Job& job);
  void read_hole(const toml::table& root, Job& job);
  void read_grid(const toml::table& root, Job& job);
  void read_load_cases(const toml::table& root, Job& job);
  void read_failure(const toml::table& root, Job& job);
  // failure.distance, or distance_tension with distance_compression, and the method.
  void read_distances(const toml::table& failure, Job& job);
  void read_method(const toml::table& failure, Job& job);
  // A non-negative distance, or a non-empty list of them: kOk with the values and whether they
  // were a list.
  Got distance_values(const toml::table& t, std::string_view name, std::vector<double>& out,
                      bool& list, const toml::node** at);
  void read_results(const toml::table& root, Job& job);
  void read_carpet(const toml::table& root, Job& job);
  void check_size(const toml::table& root, const Job& job);
  // Every material a ply is made of has the allowables the criteria compare.
  void check_allowables(const Job& job, const std::string& needed_by);
  void read_coupon_list(const toml::table& root, CouponFile& file);
  void read_coupon_settings(const toml::table& root, CouponFile& file);

  // What later checks need to know about earlier parts of the file.
  struct MaterialEntry {
    std::string name;
    const toml::table* table;  // null when the entry is not a table
    const toml::source_region* key_at;
    bool allowables_reported;  // some but not all allowables: already reported
  };
  std::vector<MaterialEntry> materials_;
  std::vector<int> ply_materials_;  // per ply, -1 when unknown
  int plies_read_ = -1;             // number of plies, -1 when the plies are unusable
  bool diameter_ok_ = false, grid_ok_ = false;
  bool failure_given_ = false;
};

}  // namespace hs::job_detail
