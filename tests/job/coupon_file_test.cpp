// Coupon files: the example read as meant, and every mistake reported with its place.
#include "job/coupon_file.hpp"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

namespace hs {
namespace {

// Every message, one a line, for a failure's report.
std::string listed(const std::vector<JobError>& errors) {
  std::string all;
  for (const JobError& e : errors) {
    all += '\n';
    all += to_string(e);
  }
  return all;
}

// A coupon file that reads cleanly; the broken ones below are edits of it. Line numbers:
// 1 [materials.c] ... 10 S12, 11 [[plies]], 14 [failure], 15 criteria, 16 [[coupons]],
// 17 loading, 18 diameter, 19 width, 20 strength.
const char* const kCoupons = R"([materials.c]
E1 = 20e6
E2 = 1.4e6
G12 = 0.7e6
nu12 = 0.3
T1 = 200e3
C1 = 180e3
T2 = 8e3
C2 = 30e3
S12 = 12e3
[[plies]]
angle = 0
thickness = 0.005
[failure]
criteria = ["max-stress"]
[[coupons]]
loading = "tension"
diameter = 0.25
width = 1.5
strength = 60e3
)";

std::string edit(std::string text, const std::string& from, const std::string& to) {
  const std::size_t at = text.find(from);
  EXPECT_NE(std::string::npos, at) << from;
  if (at != std::string::npos) text.replace(at, from.size(), to);
  return text;
}

// Catches a key of the example read into the wrong place: the laminate and criteria as a job's,
// every coupon with its replicates, the unnotched strengths and the settings of the fit.
TEST(CouponFile, ExampleReadAsMeant) {
  std::ifstream f(std::string(HOLESTRESS_EXAMPLES_DIR) + "/coupons/open-hole-coupons.toml");
  std::ostringstream text;
  text << f.rdbuf();
  CouponFile file;
  std::vector<JobError> errors;
  ASSERT_TRUE(read_coupon_file(text.str(), "open-hole-coupons.toml", file, errors))
      << (errors.empty() ? "" : to_string(errors[0]));
  EXPECT_EQ("MPa", file.laminate.stress_unit);
  EXPECT_EQ(8, file.laminate.plies.count);
  EXPECT_EQ(std::vector<Criterion>{Criterion::kMaxStrain}, file.laminate.criteria);
  EXPECT_EQ(StrengthMethod::kPointStress, file.laminate.method);
  ASSERT_EQ(5u, file.coupons.size());
  EXPECT_EQ("OHT-6", file.coupons[1].name);
  EXPECT_FALSE(file.coupons[1].compression);
  EXPECT_EQ((std::vector<double>{500, 490, 485}), file.coupons[1].strengths);
  EXPECT_TRUE(file.coupons[4].compression);
  EXPECT_EQ(9.525, file.coupons[2].diameter);
  EXPECT_EQ(57.15, file.coupons[2].width);
  EXPECT_EQ(950.0, file.unnotched_tension);
  EXPECT_EQ(600.0, file.unnotched_compression);
  EXPECT_EQ(0.0, file.load_angle);
  EXPECT_EQ(1.0, file.angle_step);
}

// Catches a coupon file whose laminate cannot be given as a job file's layup.
TEST(CouponFile, LaminateByLayup) {
  std::string text = edit(kCoupons, "[[plies]]\nangle = 0\nthickness = 0.005\n",
                          "[laminate]\nlayup = \"[45/0/-45/90]s\"\nply_thickness = 0.005\n");
  CouponFile file;
  std::vector<JobError> errors;
  ASSERT_TRUE(read_coupon_file(text, "c.toml", file, errors)) << listed(errors);
  ASSERT_EQ(8, file.laminate.plies.count);
  EXPECT_EQ(-45.0, file.laminate.plies.angle[2]);
}

// Catches a mistake let through or reported without its place: distances given (they are what
// the fit finds), coupons missing or malformed, names repeated, the settings out of range.
TEST(CouponFile, MistakesLocated) {
  const struct {
    std::string from, to;
    int line, column;
    const char* key;
    const char* message;
  } cases[] = {
      {"criteria = [\"max-stress\"]\n", "criteria = [\"max-stress\"]\ndistance = 0.1\n", 16, 12,
       "failure.distance",
       "the fit finds the characteristic distances: leave them out of a coupon file"},
      {"criteria = [\"max-stress\"]\n", "criteria = [\"max-stress\"]\nfactor_of_safety = 1.5\n", 16,
       20, "failure.factor_of_safety", "not used by the fit: leave it out of a coupon file"},
      {"[failure]\ncriteria = [\"max-stress\"]\n", "", 1, 1, "failure", "missing required key"},
      {"T1 = 200e3\nC1 = 180e3\nT2 = 8e3\nC2 = 30e3\nS12 = 12e3\n", "", 1, 1, "materials.c",
       "no allowables (T1, C1, T2, C2, S12), needed for the fit"},
      {"loading = \"tension\"", "loading = \"shear\"", 17, 11, "coupons[1].loading",
       "unsupported loading \"shear\" (tension, compression)"},
      {"loading = \"tension\"\n", "", 16, 1, "coupons[1].loading",
       "missing required key (\"tension\" or \"compression\")"},
      {"width = 1.5", "width = 0.25", 19, 9, "coupons[1].width",
       "must be greater than the diameter"},
      {"strength = 60e3", "strength = []", 20, 12, "coupons[1].strength",
       "needs at least one value"},
      {"strength = 60e3", "strength = [60e3, -1]", 20, 19, "coupons[1].strength[2]",
       "must be greater than 0 and finite"},
      {"strength = 60e3\n", "", 16, 1, "coupons[1].strength",
       "missing required key (the notched strength)"},
      {"[[coupons]]\n", "[[coupons]]\nname = \"A\"\n", 0, 0, "", ""},  // fine: see below
      {"strength = 60e3\n",
       "strength = 60e3\n[[coupons]]\nname = \"C1\"\nloading = \"compression\"\ndiameter = 1\n"
       "width = 2\nstrength = 1\n",
       22, 8, "coupons[2].name", "duplicate coupon name \"C1\""},
      {"strength = 60e3\n", "strength = 60e3\n[fit]\nangle_step = 120\n", 22, 14, "fit.angle_step",
       "must be 90 or less"},
      {"strength = 60e3\n", "strength = 60e3\n[unnotched]\nshear = 1\n", 22, 1, "unnotched.shear",
       "unknown key"},
      {"[[coupons]]\nloading = \"tension\"\ndiameter = 0.25\nwidth = 1.5\nstrength = 60e3\n", "", 1,
       1, "coupons", "missing required key (the coupons, [[coupons]])"},
  };
  for (const auto& c : cases) {
    CouponFile file;
    std::vector<JobError> errors;
    const bool ok = read_coupon_file(edit(kCoupons, c.from, c.to), "c.toml", file, errors);
    if (c.line == 0) {
      EXPECT_TRUE(ok) << c.to;
      continue;
    }
    ASSERT_EQ(1u, errors.size()) << c.to << listed(errors);
    EXPECT_EQ(c.line, errors[0].line) << c.to;
    EXPECT_EQ(c.column, errors[0].column) << c.to;
    EXPECT_EQ(c.key, errors[0].key) << c.to;
    EXPECT_EQ(c.message, errors[0].message) << c.to;
  }
}

// Catches a coupon file that reaches the TOML library without the limits a job file has: a
// dotted key of 300,000 parts overflowed its stack.
TEST(CouponFile, WithinTheLimitsOfJobFiles) {
  std::string deep = "a";
  for (int i = 0; i < 300000; ++i) deep += ".a";
  CouponFile file;
  std::vector<JobError> errors;
  EXPECT_FALSE(read_coupon_file(kCoupons + deep + " = 1\n", "c.toml", file, errors));
  ASSERT_EQ(1u, errors.size());
  EXPECT_NE(std::string::npos, errors[0].message.find("more than 64 parts")) << listed(errors);
}

}  // namespace
}  // namespace hs
