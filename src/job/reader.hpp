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
  void read_ply_array(const toml::node& n, const std::string& key, PlyStack& out);
  void read_laminate(const toml::table& laminate, const std::string& prefix, std::string& layup,
                     PlyStack& out);
  bool read_materials_file(const toml::table& root, Job& job);
  int material_index(const std::string& name, const toml::source_region& at, const std::string& key,
                     int column_offset = 0);
  void read_hole(const toml::table& root, Job& job);
  void read_strip(const toml::table& hole, Job& job, Got width);
  void read_grid(const toml::table& root, Job& job);
  void read_load_cases(const toml::table& root, Job& job);
  void read_strip_loads(const toml::table& t, const std::string& prefix, const Job& job,
                        Loads& loads);
  void read_failure(const toml::table& root, Job& job);
  // failure.distance, or distance_tension with distance_compression, and the method.
  void read_distances(const toml::table& failure, Job& job);
  void read_method(const toml::table& failure, Job& job);
  // A non-negative distance, or a non-empty list of them, none beyond kMaxDistanceDiameters
  // diameters: kOk with the values and whether they were a list.
  Got distance_values(const toml::table& t, std::string_view name, double diameter,
                      std::vector<double>& out, bool& list, const toml::node** at);
  // Reports a distance beyond kMaxDistanceDiameters hole diameters from the edge.
  bool within_reach(const toml::node& n, const std::string& key, double distance, double diameter);
  void read_results(const toml::table& root, Job& job);
  void read_carpet(const toml::table& root, Job& job);
  // A joint job (job_reader_joint.cpp).
  void read_joint_job(const toml::table& root, Job& job);
  void read_named_laminates(const toml::table& root, Job& job);
  void read_joint(const toml::table& root, Job& job);
  void read_joint_plates(const toml::table& joint, Job& job);
  void read_joint_rows(const toml::table& joint, Job& job);
  void check_joint_geometry(const Job& job);
  void check_size(const toml::table& root, const Job& job);
  // Every material a ply is made of has the allowables the criteria compare.
  void check_allowables(const Job& job, const std::string& needed_by);
  void read_coupon_list(const toml::table& root, CouponFile& file);
  void read_coupon_settings(const toml::table& root, CouponFile& file);
  void check_strip_stations(const toml::table& root, const Job& job);

  // What later checks need to know about earlier parts of the file.
  struct MaterialEntry {
    std::string name;
    const toml::table* table;  // null when the entry is not a table
    const toml::source_region* key_at;
    bool allowables_reported;  // some but not all allowables: already reported
    std::string file;          // the file the entry is in (for messages)
    const toml::node* node;    // the entry's value
  };
  void read_material(MaterialEntry& entry, std::size_t m, Job& job);
  void read_isotropic(const toml::table& t, const std::string& prefix, Job& job, std::size_t m);
  void read_orthotropic(const toml::table& t, const std::string& prefix, ElasticConstants& e);
  void read_allowables(MaterialEntry& entry, const toml::table& t, const std::string& prefix,
                       Job& job, std::size_t m);
  toml::table library_;  // the materials file, kept while its entries are read
  std::vector<MaterialEntry> materials_;
  std::vector<int> ply_materials_;  // per ply, -1 when unknown
  int plies_read_ = -1;             // number of plies, -1 when the plies are unusable
  bool diameter_ok_ = false, grid_ok_ = false;
  bool failure_given_ = false;
  bool properties_only_ = false;  // the results are the laminate's properties alone
  bool model_known_ = true;       // hole.model is absent or readable
  bool strip_ = false;            // hole.model = "strip"
  bool strip_ok_ = false;         // and its width and edge distance are usable
  bool joint_plates_ok_ = false;  // joint: every plate and row read without a mistake
  bool joint_rows_ok_ = false;
  std::vector<const toml::table*> joint_row_tables_, joint_plate_tables_;
};

// The text as TOML, within the limits that keep the TOML library's recursion bounded
// (toml_limits.hpp); false with the first mistake, located, otherwise.
bool parse_within_limits(std::string_view text, const std::string& path, toml::table& out,
                         std::vector<JobError>& errors);
// The mistakes from `from` on in the order of their places in the file.
void sort_by_place(std::vector<JobError>& errors, std::size_t from);

// Reads a job or coupon file's text into `into`: true when there is no mistake.
template <class Into>
bool read_located(std::string_view text, const std::string& path, Into& into,
                  std::vector<JobError>& errors) {
  const std::size_t before = errors.size();
  toml::table root;
  if (!parse_within_limits(text, path, root, errors)) return false;
  Reader(path, errors).read(root, into);
  sort_by_place(errors, before);
  return errors.size() == before;
}

}  // namespace hs::job_detail
