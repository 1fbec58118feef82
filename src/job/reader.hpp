// The reader of a job file, section by section (job_reader.cpp and job_reader_sections.cpp).
#pragma once

#include "job/job_fields.hpp"

namespace hs::job_detail {

class Reader : public FieldReader {
 public:
  using FieldReader::FieldReader;

  void read(const toml::table& root, Job& job);

 private:
  void read_units(const toml::table& root, Job& job);
  void read_materials(const toml::table& root, Job& job);
  void read_strain_allowables(const toml::table& t, const std::string& prefix, Job& job,
                              std::size_t m);
  void read_plies(const toml::table& root, Job& job);
  void read_hole(const toml::table& root, Job& job);
  void read_strip(const toml::table& hole, Job& job, Got width);
  void read_grid(const toml::table& root, Job& job);
  void read_load_cases(const toml::table& root, Job& job);
  void read_strip_loads(const toml::table& t, const std::string& prefix, const Job& job,
                        Loads& loads);
  void read_failure(const toml::table& root, Job& job);
  void read_results(const toml::table& root, Job& job);
  void read_carpet(const toml::table& root, Job& job);
  void check_size(const toml::table& root, const Job& job);
  void check_strip_stations(const toml::table& root, const Job& job);

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
  bool model_known_ = true;      // hole.model is absent or readable
  bool strip_ = false;           // hole.model = "strip"
  bool strip_ok_ = false;        // and its width and edge distance are usable
  bool distance_given_ = false;  // failure.distance, read
};

}  // namespace hs::job_detail
