// Job files with a [laminate] in stacking notation and a materials file.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "job/job_reader.hpp"
#include "laminate/membrane_compliance.hpp"

namespace hs {
namespace {

const char* const kMaterials = R"([materials.tape]
E1 = 138000.0
E2 = 9600.0
G12 = 4800.0
nu12 = 0.3
[materials.fabric]
E1 = 60000.0
E2 = 60000.0
G12 = 4000.0
nu12 = 0.05
)";
const char* const kRest = R"([hole]
diameter = 6.0
[grid]
angle_step = 15
angle_high = 90
distance_step = 1.0
[[load_cases]]
px = 100.0
)";

Job read(const std::string& text, std::vector<JobError>* errors = nullptr,
         const std::string& path = "job.toml") {
  Job job;
  std::vector<JobError> local;
  std::vector<JobError>& e = errors ? *errors : local;
  const bool ok = read_job(text, path, job, e);
  if (!errors) {
    EXPECT_TRUE(ok) << (e.empty() ? "" : to_string(e[0]));
  }
  return job;
}

std::string explicit_plies(const std::vector<std::pair<double, const char*>>& plies,
                           double tape, double fabric) {
  std::string s;
  for (const auto& [angle, material] : plies) {
    char buf[160];
    std::snprintf(buf, sizeof buf, "[[plies]]\nangle = %g\nthickness = %g\nmaterial = \"%s\"\n",
                  angle, std::string(material) == "tape" ? tape : fabric, material);
    s += buf;
  }
  return s;
}

// Catches a layup expanded, given its materials or its thicknesses otherwise than the same plies
// written out one by one: [45/0/-45/90]3s against its 24 plies, and two materials by name with a
// thickness each.
TEST(LaminateNotation, SameJobAsThePliesWrittenOut) {
  std::vector<std::pair<double, const char*>> plies;
  const double quad[4] = {45, 0, -45, 90};
  for (int r = 0; r < 3; ++r) {
    for (double a : quad) plies.push_back({a, a == 0 || a == 90 ? "tape" : "fabric"});
  }
  for (int k = 11; k >= 0; --k) plies.push_back(plies[static_cast<std::size_t>(k)]);
  const Job a = read(std::string(kMaterials) +
                     "[laminate]\nlayup = \"[45:fabric/0/-45:fabric/90]3s\"\nmaterial = \"tape\"\n"
                     "ply_thickness = { tape = 0.125, fabric = 0.2 }\n" + kRest);
  const Job b = read(std::string(kMaterials) + explicit_plies(plies, 0.125, 0.2) + kRest);
  ASSERT_EQ(24, a.plies.count);
  ASSERT_EQ(b.plies.count, a.plies.count);
  for (int p = 0; p < 24; ++p) {
    EXPECT_EQ(b.plies.angle[p], a.plies.angle[p]) << p;
    EXPECT_EQ(b.plies.thickness[p], a.plies.thickness[p]) << p;
    EXPECT_EQ(b.plies.material[p], a.plies.material[p]) << p;
  }
  EXPECT_EQ("[45:fabric/0/-45:fabric/90]3s", a.layup);
}

// Catches a compliance that depends on the count of repeats: a thousand plies of the same
// [45/0/-45/90]s repeat have the membrane compliance of its 8.
TEST(LaminateNotation, AThousandPliesAsTheirRepeat) {
  const std::string head = std::string(kMaterials) + "[laminate]\nmaterial = \"tape\"\n";
  const Job eight = read(head + "layup = \"[45/0/-45/90]s\"\nply_thickness = 0.125\n" + kRest);
  const Job thousand =
      read(head + "layup = \"[(45/0/-45/90)125]s\"\nply_thickness = 0.125\n" + kRest);
  ASSERT_EQ(1000, thousand.plies.count);
  const Mat3 a = membrane_compliance(eight.materials, eight.plies, 0.0).compliance.laminate_axes;
  const Mat3 b =
      membrane_compliance(thousand.materials, thousand.plies, 0.0).compliance.laminate_axes;
  for (int k = 0; k < 9; ++k) EXPECT_NEAR(a.a[k], b.a[k], 1e-12 * std::fabs(a.a[0])) << k;
}

// Catches a mistake of the notation or of the laminate's keys reported without its place, or
// accepted: the column points into the layup string.
TEST(LaminateNotation, MistakesWithTheirPlace) {
  const struct {
    std::string laminate;
    int line, column;
    std::string key, message;
  } cases[] = {
      {"layup = \"[45/x/0]s\"\nmaterial = \"tape\"\nply_thickness = 0.1", 12, 14, "laminate.layup",
       "expected a ply angle (degrees), a ±angle pair or a (group)"},
      {"layup = \"[45/0:glass]\"\nmaterial = \"tape\"\nply_thickness = 0.1", 12, 16,
       "laminate.layup", "unknown material \"glass\" (the materials: \"tape\", \"fabric\")"},
      {"layup = \"[45/0]\"\nply_thickness = 0.1", 11, 1, "laminate.material",
       "missing required key (the material of the plies the layup names none for)"},
      {"layup = \"[45/0]\"\nmaterial = \"tape\"", 11, 1, "laminate.ply_thickness",
       "missing required key"},
      {"layup = \"[45:fabric/0]\"\nmaterial = \"tape\"\nply_thickness = { tape = 0.1 }", 14, 17,
       "laminate.ply_thickness", "no thickness for the plies of material \"fabric\""},
      {"layup = \"[45/0]\"\nmaterial = \"tape\"\nply_thickness = 0.1\nangle = 3", 15, 1,
       "laminate.angle", "unknown key"},
  };
  for (const auto& c : cases) {
    std::vector<JobError> errors;
    read(std::string(kMaterials) + "[laminate]\n" + c.laminate + "\n" + kRest, &errors);
    ASSERT_FALSE(errors.empty()) << c.laminate;
    EXPECT_EQ(c.line, errors[0].line) << c.laminate;
    EXPECT_EQ(c.column, errors[0].column) << c.laminate;
    EXPECT_EQ(c.key, errors[0].key) << c.laminate;
    EXPECT_EQ(c.message, errors[0].message) << c.laminate;
  }
  std::vector<JobError> errors;
  read(std::string(kMaterials) + "[[plies]]\nangle = 0\nthickness = 0.1\nmaterial = \"tape\"\n" +
           "[laminate]\nlayup = \"[0]\"\nply_thickness = 0.1\nmaterial = \"tape\"\n" + kRest,
       &errors);
  ASSERT_EQ(1u, errors.size());
  EXPECT_EQ("give either [laminate] or [[plies]], not both", errors[0].message);
}

// Catches a materials file not found beside the job, a job's material that does not override
// the file's of the same name, a mistake in the file located in the job, and a results' source
// that is wrong.
TEST(MaterialsFile, ReadBesideTheJobAndOverridden) {
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / "holestress-materials-file-test";
  std::filesystem::create_directories(folder);
  const std::string library = (folder / "lib.toml").string();
  {
    std::ofstream(library) << kMaterials << "[materials.broken]\nE1 = -1\nE2 = 1\nG12 = 1\nnu12 = 0\n";
  }
  const std::string job_path = (folder / "job.toml").string();
  std::vector<JobError> errors;
  Job job = read("materials_file = \"lib.toml\"\n[materials.tape]\nE1 = 200000.0\nE2 = 9600.0\n"
                 "G12 = 4800.0\nnu12 = 0.3\n[laminate]\nlayup = \"[0:fabric/90]\"\n"
                 "material = \"tape\"\nply_thickness = 0.125\n" + std::string(kRest),
                 &errors, job_path);
  ASSERT_EQ(1u, errors.size());
  EXPECT_EQ(library, errors[0].file);  // the mistake is in the materials file
  EXPECT_EQ(12, errors[0].line);
  EXPECT_EQ("materials.broken.E1", errors[0].key);
  {
    std::ofstream(library) << kMaterials;
  }
  errors.clear();
  job = read("materials_file = \"lib.toml\"\n[materials.tape]\nE1 = 200000.0\nE2 = 9600.0\n"
             "G12 = 4800.0\nnu12 = 0.3\n[laminate]\nlayup = \"[0:fabric/90]\"\n"
             "material = \"tape\"\nply_thickness = 0.125\n" + std::string(kRest),
             &errors, job_path);
  ASSERT_TRUE(errors.empty()) << to_string(errors[0]);
  ASSERT_EQ(2, job.materials.count);
  EXPECT_EQ("tape", job.material_names[0]);  // the job's own, first
  EXPECT_EQ(200000.0, job.materials.elastic[0].E1);
  EXPECT_EQ("", job.material_sources[0]);
  EXPECT_EQ("fabric", job.material_names[1]);
  EXPECT_EQ(library, job.material_sources[1]);
  EXPECT_EQ(1, job.plies.material[0]);
  errors.clear();
  read("materials_file = \"missing.toml\"\n[laminate]\nlayup = \"[0]\"\nply_thickness = 0.1\n" +
           std::string(kRest),
       &errors, job_path);
  ASSERT_FALSE(errors.empty());
  EXPECT_EQ("materials_file", errors[0].key);
  EXPECT_NE(std::string::npos, errors[0].message.find("No such file or directory"));
  std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace hs
