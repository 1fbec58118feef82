// holestress fit-distance: the report, the picture of the hole-size effect and the distances
// written into a job.
#include "runner/fit_distance.hpp"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>

#include "job/job_reader.hpp"

namespace hs {
namespace {

namespace fs = std::filesystem;

const std::string kExample =
    std::string(HOLESTRESS_EXAMPLES_DIR) + "/coupons/open-hole-coupons.toml";

std::string read(const fs::path& p) {
  std::ifstream f(p, std::ios::binary);
  std::ostringstream s;
  s << f.rdbuf();
  return s.str();
}

void write(const fs::path& p, const std::string& text) {
  std::ofstream(p, std::ios::binary) << text;
}

// The example's laminate as a job with a bolt; its [failure] to be rewritten.
std::string job_text(const std::string& failure) {
  std::string text = read(kExample);
  text = text.substr(0, text.find("[failure]"));
  text = text.substr(text.find("[units]"));
  return text +
         "[hole]\ndiameter = 6.35\nwidth = 38.1\n[grid]\nangle_step = 15\nangle_high = 360\n"
         "distance_step = 0.5\n[[load_cases]]\nbearing = 300\n" +
         failure + "[results]\ntables = [\"" + (failure.empty() ? "stresses" : "reserve") + "\"]\n";
}

struct Folder {
  fs::path path = fs::temp_directory_path() / ("holestress-fit-" + std::to_string(::getpid()));
  Folder() { fs::create_directories(path); }
  ~Folder() { fs::remove_all(path); }
};

// The coupons of the example with those of one loading left out.
std::string coupons_of(const char* loading) {
  std::string text = read(kExample);
  const std::string drop = loading == std::string("tension") ? "compression" : "tension";
  std::string out;
  std::size_t at = 0;
  for (;;) {
    const std::size_t next = text.find("[[coupons]]", at + 1);
    const std::size_t end = next == std::string::npos ? text.find("[unnotched]") : next;
    const std::string block = text.substr(at, end - at);
    if (at == 0 || block.find("loading = \"" + drop + "\"") == std::string::npos) out += block;
    if (next == std::string::npos) break;
    at = next;
  }
  return out + text.substr(text.find("[unnotched]"));
}

// Catches a report without the fitted distances or a coupon's residual, and a picture whose dots
// are not the coupons or whose fitted curves rise with the hole's size (the hole-size effect: a
// larger hole, a weaker coupon).
TEST(FitDistance, ReportAndPicture) {
  Folder tmp;
  const fs::path svg = tmp.path / "fit.svg";
  std::ostringstream out, err;
  ASSERT_EQ(0, fit_distance_command({kExample, svg.string(), ""}, out, err)) << err.str();
  const std::string text = out.str();
  EXPECT_NE(std::string::npos, text.find("distance_tension = 0.6458"));
  EXPECT_NE(std::string::npos, text.find("distance_compression = 0.6148"));
  EXPECT_NE(std::string::npos, text.find("OHT-6 #3"));
  EXPECT_NE(std::string::npos, text.find("unnotched: predicted 980.249 MPa"));
  const std::string picture = read(svg);
  std::size_t dots = 0;
  for (std::size_t at = picture.find("data-coupon="); at != std::string::npos;
       at = picture.find("data-coupon=", at + 1)) {
    ++dots;
  }
  EXPECT_EQ(11u, dots);  // every replicate
  for (const char* curve : {"tension-fit", "compression-fit"}) {
    const std::size_t at = picture.find(std::string("data-curve=\"") + curve);
    ASSERT_NE(std::string::npos, at) << curve;
    const std::size_t begin = picture.rfind("<path", at);
    const std::string d = picture.substr(begin, at - begin);
    std::regex point("[ML]([0-9.]+) ([0-9.]+)");
    double first_y = -1, last_y = -1, last_x = -1;
    for (auto it = std::sregex_iterator(d.begin(), d.end(), point); it != std::sregex_iterator();
         ++it) {
      const double x = std::stod((*it)[1]), y = std::stod((*it)[2]);
      EXPECT_GT(x, last_x) << curve;  // left to right
      if (first_y < 0) first_y = y;
      last_y = y, last_x = x;
    }
    EXPECT_GT(last_y, first_y + 50) << curve;  // down the page: weaker with a larger hole
  }
  const fs::path html = tmp.path / "fit.html";
  ASSERT_EQ(0, fit_distance_command({kExample, html.string(), ""}, out, err));
  EXPECT_NE(std::string::npos, read(html).find("<pre>holestress fit-distance"));
}

// Catches fitted distances not written into the job, or written into the wrong side of the
// curve: both fitted make a curve; tension alone keeps one distance all round; compression alone
// makes the job's distance the tension side of a curve; none fitted leaves the file as it was.
TEST(FitDistance, WrittenIntoAJob) {
  Folder tmp;
  const fs::path job = tmp.path / "job.toml", coupons = tmp.path / "coupons.toml";
  const struct {
    std::string coupons, failure;
    double tension, compression;
    int status;
  } cases[] = {
      {read(kExample), "[failure]\ncriteria = [\"max-strain\"]\ndistance = 0.5\n", 0.645848,
       0.61488, 0},
      {coupons_of("tension"), "[failure]\ncriteria = [\"max-strain\"]\ndistance = 0.5\n", 0.645848,
       0.645848, 0},
      {coupons_of("compression"), "[failure]\ncriteria = [\"max-strain\"]\ndistance = 0.5\n", 0.5,
       0.61488, 0},
      {coupons_of("tension"), "", 0.645848, 0.645848, 0},  // no [failure]: the coupons' criteria
  };
  for (const auto& c : cases) {
    write(coupons, c.coupons);
    write(job, job_text(c.failure));
    std::ostringstream out, err;
    ASSERT_EQ(c.status,
              fit_distance_command({coupons.string(), (tmp.path / "f.svg").string(), job.string()},
                                   out, err))
        << err.str();
    Job back;
    std::vector<JobError> errors;
    ASSERT_TRUE(read_job(read(job), job.string(), back, errors)) << to_string(errors[0]);
    ASSERT_EQ(1u, back.distances.size());
    EXPECT_NEAR(c.tension, back.distances[0].tension, 1e-5) << c.failure;
    EXPECT_NEAR(c.compression, back.distances[0].compression, 1e-5) << c.failure;
    EXPECT_EQ(std::vector<Criterion>{Criterion::kMaxStrain}, back.criteria);
    EXPECT_NE(std::string::npos, out.str().find("wrote " + job.string()));
    EXPECT_EQ(std::string::npos, out.str().find("caution")) << out.str();
  }
  // Coupons far stronger than any prediction: nothing fitted, the job untouched.
  std::string strong = coupons_of("tension");
  strong = std::regex_replace(strong, std::regex("strength = \\[[^\\]]*\\]"), "strength = 5000");
  write(coupons, strong);
  const std::string before = job_text("[failure]\ncriteria = [\"max-strain\"]\n");
  write(job, before);
  std::ostringstream out, err;
  EXPECT_EQ(1, fit_distance_command({coupons.string(), (tmp.path / "f.svg").string(), job.string()},
                                    out, err));
  EXPECT_NE(std::string::npos, out.str().find("no distance fits"));
  EXPECT_NE(std::string::npos, err.str().find("no distance was fitted"));
  EXPECT_EQ(before, read(job));
}

// A joint job whose skin is the coupons' laminate: catches a joint refused or its joint lost on
// the way through the writer, and stations that stay at the old distance when the job left the
// grid to follow it.
TEST(FitDistance, WrittenIntoAJointJob) {
  Folder tmp;
  const fs::path job = tmp.path / "joint.toml";
  std::string text = read(kExample);
  text = text.substr(text.find("[units]"), text.find("[[plies]]") - text.find("[units]"));
  text += R"([materials.aluminium]
E = 72000.0
nu = 0.33
T1 = 440.0
C1 = 440.0
T2 = 440.0
C2 = 440.0
S12 = 260.0
[laminates.skin]
layup = "[45/0/-45/90]s"
material = "carbon"
ply_thickness = 0.125
[joint]
load = 5000.0
[[joint.plates]]
name = "skin"
laminate = "skin"
width = 50.0
edge_distance = 15.0
[[joint.plates]]
name = "strap"
material = "aluminium"
thickness = 2.0
width = 50.0
edge_distance = 15.0
[[joint.rows]]
x = 0.0
diameter = 6.35
fastener_E = 110000.0
fastener_nu = 0.31
count = 2
[[joint.rows]]
x = 25.0
diameter = 6.35
fastener_E = 110000.0
fastener_nu = 0.31
count = 2
[failure]
criteria = ["max-strain"]
distance = 0.5
)";
  write(job, text);
  Job before;
  std::vector<JobError> errors;
  ASSERT_TRUE(read_job(text, job.string(), before, errors)) << to_string(errors[0]);
  std::ostringstream out, err;
  ASSERT_EQ(0,
            fit_distance_command({kExample, (tmp.path / "f.svg").string(), job.string()}, out, err))
      << err.str();
  EXPECT_EQ(std::string::npos, out.str().find("caution")) << out.str();
  Job back;
  ASSERT_TRUE(read_job(read(job), job.string(), back, errors)) << to_string(errors[0]);
  ASSERT_TRUE(back.joint.given);
  EXPECT_NEAR(0.645848, back.distances[0].tension, 1e-5);
  EXPECT_NEAR(0.61488, back.distances[0].compression, 1e-5);
  EXPECT_EQ(back.grid.distance_step, back.distances[0].tension);
  ASSERT_EQ(2u, back.joint.plates.size());
  ASSERT_EQ(2u, back.joint.rows.size());
  EXPECT_EQ(before.joint.laminates[0].layup, back.joint.laminates[0].layup);
  EXPECT_EQ(before.joint.load, back.joint.load);
  EXPECT_EQ(2, back.joint.rows[1].count);
}

}  // namespace
}  // namespace hs
