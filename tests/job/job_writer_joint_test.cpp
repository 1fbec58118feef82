// Joint jobs written back: read -> write -> read gives the same Job, field by field and bit for
// bit, over the bundled joint examples and a table of variants (single and double shear,
// laminates by layup and by plies, metal plates, every flexibility formula, strip and infinite
// plate, a grid and failure of their own).
#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "job/job_reader.hpp"
#include "job/job_writer.hpp"
#include "same_job.hpp"

namespace hs {
namespace {

void expect_same_plies(const PlyStack& a, const PlyStack& b) {
  ASSERT_EQ(a.count, b.count);
  for (int p = 0; p < a.count; ++p) {
    EXPECT_TRUE(same_bits(a.angle[p], b.angle[p])) << "ply " << p;
    EXPECT_TRUE(same_bits(a.thickness[p], b.thickness[p])) << "ply " << p;
    EXPECT_EQ(a.material[p], b.material[p]) << "ply " << p;
  }
}

// Every field a joint job reads, doubles bit for bit.
void expect_same_joint_job(const Job& a, const Job& b) {
  const auto same = expect_same_bits;
  expect_same_head_and_materials(a, b);
  const JointInput &j = a.joint, &k = b.joint;
  EXPECT_TRUE(k.given);
  EXPECT_EQ(j.double_shear, k.double_shear);
  same(j.load, k.load);
  EXPECT_EQ(j.fastener_flexibility, k.fastener_flexibility);
  ASSERT_EQ(j.laminates.size(), k.laminates.size());
  for (std::size_t l = 0; l < j.laminates.size(); ++l) {
    EXPECT_EQ(j.laminates[l].name, k.laminates[l].name);
    EXPECT_EQ(j.laminates[l].layup, k.laminates[l].layup);
    expect_same_plies(j.laminates[l].plies, k.laminates[l].plies);
  }
  ASSERT_EQ(j.plates.size(), k.plates.size());
  for (std::size_t p = 0; p < j.plates.size(); ++p) {
    const JointPlateInput &x = j.plates[p], &y = k.plates[p];
    EXPECT_EQ(x.name, y.name);
    same(x.width, y.width), same(x.edge_distance, y.edge_distance);
    EXPECT_EQ(x.laminate, y.laminate);
    EXPECT_EQ(x.material, y.material);
    same(x.thickness, y.thickness);
  }
  ASSERT_EQ(j.rows.size(), k.rows.size());
  for (std::size_t i = 0; i < j.rows.size(); ++i) {
    const JointRowInput &x = j.rows[i], &y = k.rows[i];
    same(x.x, y.x), same(x.diameter, y.diameter);
    same(x.fastener_modulus, y.fastener_modulus), same(x.fastener_poisson, y.fastener_poisson);
    EXPECT_EQ(x.count, y.count);
  }
  EXPECT_EQ(a.plate.model, b.plate.model);
  EXPECT_EQ(a.plate.width_correction, b.plate.width_correction);
  EXPECT_EQ(a.plate.bolt_series, b.plate.bolt_series);
  same(a.grid.diameter, b.grid.diameter);
  same(a.grid.angle_step, b.grid.angle_step);
  same(a.grid.angle_low, b.grid.angle_low);
  same(a.grid.angle_high, b.grid.angle_high);
  same(a.grid.distance_step, b.grid.distance_step);
  EXPECT_EQ(a.grid.steps, b.grid.steps);
  EXPECT_EQ(a.criteria, b.criteria);
  ASSERT_EQ(a.distances.size(), b.distances.size());
  for (std::size_t i = 0; i < a.distances.size(); ++i) {
    same(a.distances[i].tension, b.distances[i].tension);
    same(a.distances[i].compression, b.distances[i].compression);
  }
  EXPECT_EQ(a.method, b.method);
  EXPECT_EQ(a.average_rule, b.average_rule);
  EXPECT_EQ(a.average_points, b.average_points);
  same(a.factor_of_safety, b.factor_of_safety);
  for (int r = 0; r < kResultKinds; ++r) EXPECT_EQ(a.results[r], b.results[r]);
  EXPECT_FALSE(b.carpet);
  EXPECT_EQ(b.plies.count, 0);
  EXPECT_TRUE(b.load_cases.empty());
}

// Reads `text`, writes it, reads the written text: the two jobs must agree and the second
// writing must be the first, character for character.
void expect_round_trip(const std::string& text, const std::string& name) {
  SCOPED_TRACE(name);
  Job job;
  std::vector<JobError> errors;
  ASSERT_TRUE(read_job(text, name, job, errors)) << to_string(errors.front()) << "\n" << text;
  ASSERT_TRUE(job.joint.given);
  const std::string written = write_job(job);
  Job back;
  ASSERT_TRUE(read_job(written, "written.toml", back, errors)) << to_string(errors.front()) << "\n"
                                                               << written;
  expect_same_joint_job(job, back);
  EXPECT_EQ(written, write_job(back));
}

// A joint job of the variants below: the materials carbon (with strain allowables), glass and
// a metal, laminates by stacking notation (one material and thickness, or two materials with a
// thickness each) and by plies, and the plates chosen among them.
struct Variant {
  const char* name;
  const char* shear;                // "single" or "double"
  const char* flexibility;          // a formula's name
  const char* model;                // "strip" or "infinite"
  double load;                      // negative: compression (infinite plate only)
  std::vector<const char*> plates;  // per plate: "layup", "mixed", "plies" or "metal"
  const char* failure;              // the keys of [failure] after the criteria
  const char* grid;                 // a [grid] of its own, or ""
};

std::string variant_text(const Variant& v) {
  std::string t = R"(title = "joint variant"
[units]
stress = "MPa"
length = "mm"

[materials.carbon]
E1 = 135000.0
E2 = 9000.0
G12 = 5000.0
nu12 = 0.3
T1 = 2000.0
C1 = 1200.0
T2 = 50.0
C2 = 200.0
S12 = 90.0
strain_T1 = 0.015
strain_C1 = 0.009
strain_T2 = 0.0055
strain_C2 = 0.022
strain_S12 = 0.018

[materials."glass.fibre"]
E1 = 40000.0
E2 = 10000.0
G12 = 4000.0
nu12 = 0.28
T1 = 1000.0
C1 = 600.0
T2 = 30.0
C2 = 110.0
S12 = 40.0

[materials.titanium]
E = 110000.0
nu = 0.31
T1 = 900.0
C1 = 900.0
T2 = 900.0
C2 = 900.0
S12 = 550.0

[laminates.layup]
layup = "[45/0/-45/90]2s"
material = "carbon"
ply_thickness = 0.125

[laminates.mixed]
layup = "[45:glass.fibre/0_2/-45:glass.fibre/90]s"
material = "carbon"
ply_thickness = {carbon = 0.125, "glass.fibre" = 0.2}

[laminates."by plies"]
[[laminates."by plies".plies]]
angle = 0.1
thickness = 0.3
material = "carbon"
[[laminates."by plies".plies]]
angle = 90.0
thickness = 0.30000000000000004
material = "glass.fibre"
[[laminates."by plies".plies]]
angle = 0.1
thickness = 0.3
material = "carbon"

[joint]
)";
  t += std::string("shear = \"") + v.shear + "\"\n";
  t += "load = " + std::to_string(v.load) + "\n";
  t += std::string("fastener_flexibility = \"") + v.flexibility + "\"\n";
  t += std::string("hole_model = \"") + v.model + "\"\n";
  int n = 0;
  for (const char* kind : v.plates) {
    const std::string plate = kind;
    t += "\n[[joint.plates]]\nname = \"plate " + std::to_string(++n) + "\"\n";
    if (plate == "metal") {
      t += "material = \"titanium\"\nthickness = 2.5\n";
    } else if (plate == "plies") {
      t += "laminate = \"by plies\"\n";
    } else {
      t += "laminate = \"" + plate + "\"\n";
    }
    t += "width = 75.0\nedge_distance = " + std::to_string(14 + n) + ".0\n";
  }
  for (const char* row : {"x = 0.0\ndiameter = 6.35", "x = 24.999999999999996\ndiameter = 6.35",
                          "x = 50.0\ndiameter = 4.8\ncount = 2"}) {
    t += std::string("\n[[joint.rows]]\n") + row + "\nfastener_E = 110000.0\nfastener_nu = 0.31\n";
  }
  if (*v.grid) t += std::string("\n[grid]\n") + v.grid + "\n";
  t += std::string("\n[failure]\ncriteria = [\"max-strain\", \"tsai-wu\"]\n") + v.failure + "\n";
  return t;
}

// The joints of every shear, plate kind, formula, hole model, grid and failure read back as
// they were written.
TEST(JobWriterJoint, VariantsRoundTrip) {
  const char* point = "distance = 0.5\nfactor_of_safety = 1.5";
  const char* curve = "distance_tension = 0.45\ndistance_compression = 0.3";
  const char* average =
      "distance = 1.1\nmethod = \"average\"\naverage_rule = \"simpson\"\naverage_points = 9";
  const Variant variants[] = {
      {"single, layup on metal", "single", "huth", "strip", 10000.0, {"layup", "metal"}, point, ""},
      {"single, metal on plies", "single", "swift", "strip", 8000.0, {"metal", "plies"}, point, ""},
      {"single, two materials", "single", "boeing", "strip", 9000.0, {"mixed", "layup"}, curve, ""},
      {"double, layup outer",
       "double",
       "huth-bolted-metal",
       "strip",
       12000.0,
       {"layup", "metal", "layup"},
       point,
       ""},
      {"double, every kind",
       "double",
       "huth-riveted-metal",
       "strip",
       12000.0,
       {"mixed", "plies", "metal"},
       average,
       ""},
      {"double, metal outer",
       "double",
       "huth-bolted-graphite",
       "infinite",
       12000.0,
       {"metal", "layup", "metal"},
       point,
       ""},
      {"tate-rosenfeld, compression",
       "single",
       "tate-rosenfeld",
       "infinite",
       -7000.0,
       {"layup", "metal"},
       curve,
       ""},
      {"grumman, a grid of its own",
       "single",
       "grumman",
       "strip",
       5000.0,
       {"layup", "mixed"},
       point,
       "angle_step = 15.0\nangle_low = 0.0\nangle_high = 180.0\ndistance_step = 0.25\nsteps = 3"},
      {"infinite, the default grid written",
       "single",
       "swift",
       "infinite",
       5000.0,
       {"plies", "metal"},
       average,
       "angle_step = 2.0\nangle_low = 0.0\nangle_high = 360.0\ndistance_step = 1.1\nsteps = 2"},
  };
  for (const Variant& v : variants) expect_round_trip(variant_text(v), v.name);
}

// A grid the reader would give anyway is left out, so that a changed distance (fit-distance
// --write-job) moves the default stations with it; a grid of its own is written.
TEST(JobWriterJoint, GridWrittenOnlyWhenItIsNotTheDefault) {
  Variant v{"", "single", "huth", "strip", 10000.0, {"layup", "metal"}, "distance = 0.5", ""};
  Job job;
  std::vector<JobError> errors;
  ASSERT_TRUE(read_job(variant_text(v), "v.toml", job, errors));
  EXPECT_EQ(write_job(job).find("[grid]"), std::string::npos);
  job.grid.steps = 3;
  EXPECT_NE(write_job(job).find("[grid]"), std::string::npos);
}

// The layup form is kept where it gives the plies back; plies changed by hand are written one by
// one (and still read back as they are).
TEST(JobWriterJoint, LaminateWrittenAsLayupOrPlies) {
  Variant v{"", "single", "huth", "strip", 10000.0, {"mixed", "layup"}, "distance = 0.5", ""};
  Job job;
  std::vector<JobError> errors;
  ASSERT_TRUE(read_job(variant_text(v), "v.toml", job, errors));
  std::string text = write_job(job);
  EXPECT_NE(text.find("layup = \"[45/0/-45/90]2s\""), std::string::npos) << text;
  EXPECT_NE(text.find("ply_thickness = {carbon = 0.125, \"glass.fibre\" = 0.2}"), std::string::npos)
      << text;
  EXPECT_NE(text.find("E = 110000.0"), std::string::npos) << text;
  NamedLaminate& mixed = job.joint.laminates[1];
  ASSERT_EQ("mixed", mixed.name);
  mixed.plies.thickness[3] = 0.15;  // no longer the notation's
  text = write_job(job);
  EXPECT_NE(text.find("[[laminates.mixed.plies]]"), std::string::npos) << text;
  Job back;
  ASSERT_TRUE(read_job(text, "w.toml", back, errors)) << to_string(errors.front()) << "\n" << text;
  expect_same_plies(mixed.plies, back.joint.laminates[1].plies);
  EXPECT_EQ(back.joint.laminates[1].layup, "");
}

#ifdef HOLESTRESS_EXAMPLES_DIR
// Every bundled joint job survives writing.
TEST(JobWriterJoint, BundledJointExamplesRoundTrip) {
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(HOLESTRESS_EXAMPLES_DIR)) {
    if (entry.path().extension() != ".toml") continue;
    std::ifstream in(entry.path(), std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    if (text.str().find("[joint]") == std::string::npos) continue;
    ++files;
    expect_round_trip(text.str(), entry.path().string());
  }
  EXPECT_GE(files, 1);
}
#endif

}  // namespace
}  // namespace hs
