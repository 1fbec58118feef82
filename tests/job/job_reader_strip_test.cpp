// The job reader's keys of the strip model and of the bolt's series, and every mistake in them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "job/job.hpp"
#include "job/job_reader.hpp"
#include "job/job_writer.hpp"

namespace hs {
namespace {

// A strip job that reads cleanly; the broken files below are edits of it. Line numbers:
//  1 [materials.c]  2 E1  3 E2  4 G12  5 nu12  6 [[plies]]  7 angle  8 thickness  9 [hole]
// 10 model  11 diameter  12 width  13 edge_distance  14 [grid]  15 angle_step  16 angle_high
// 17 distance_step  18 [[load_cases]]  19 bearing
const char* const kStrip = R"([materials.c]
E1 = 20e6
E2 = 1.4e6
G12 = 0.7e6
nu12 = 0.3
[[plies]]
angle = 0
thickness = 0.005
[hole]
model = "strip"
diameter = 0.25
width = 1.0
edge_distance = 0.5
[grid]
angle_step = 15
angle_high = 90
distance_step = 0.05
[[load_cases]]
bearing = 1000
)";

std::string edit(std::string text, const std::string& from, const std::string& to) {
  std::size_t at = text.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  if (at != std::string::npos) text.replace(at, from.size(), to);
  return text;
}

struct Expected {
  int line, column;
  std::string key;
  std::string message;  // the whole message, or its start when it ends in "..."
};

void expect_errors(const std::string& text, const std::vector<Expected>& expected,
                   const std::string& label) {
  Job job;
  std::vector<JobError> errors;
  EXPECT_FALSE(read_job(text, "job.toml", job, errors)) << label;
  std::string all;
  for (const JobError& e : errors) all += "\n  " + to_string(e);
  ASSERT_EQ(errors.size(), expected.size()) << label << all;
  for (std::size_t i = 0; i < expected.size(); ++i) {
    const Expected& x = expected[i];
    const JobError& e = errors[i];
    EXPECT_EQ(e.line, x.line) << label << all;
    EXPECT_EQ(e.column, x.column) << label << all;
    EXPECT_EQ(e.key, x.key) << label << all;
    if (x.message.size() > 3 && x.message.ends_with("...")) {
      EXPECT_TRUE(e.message.starts_with(x.message.substr(0, x.message.size() - 3))) << label << all;
    } else {
      EXPECT_EQ(e.message, x.message) << label << all;
    }
  }
}

Job read_cleanly(const std::string& text) {
  Job job;
  std::vector<JobError> errors;
  EXPECT_TRUE(read_job(text, "job.toml", job, errors));
  for (const JobError& e : errors) ADD_FAILURE() << to_string(e);
  return job;
}

// Catches a key of the strip or of the series read into the wrong place, a default that is not
// the documented one, or a strip's bypass replaced by the infinite plate's bearing D / 2W.
TEST(JobReaderStrip, KeysAndDefaults) {
  Job job = read_cleanly(kStrip);
  EXPECT_TRUE(job.plate.strip());
  EXPECT_EQ(1.0, job.plate.width);
  EXPECT_EQ(0.5, job.plate.edge_distance);
  EXPECT_EQ(1000.0, job.load_cases[0].loads.bearing);
  EXPECT_EQ(0.0, job.load_cases[0].loads.bypass);

  job = read_cleanly(edit(edit(kStrip, "edge_distance = 0.5\n", ""), "bearing = 1000",
                          "bearing = 1000\nbypass = 2500.5\nbolt_angle = 0"));
  EXPECT_EQ(0.0, job.plate.edge_distance);
  EXPECT_EQ(2500.5, job.load_cases[0].loads.bypass);
  EXPECT_EQ(0.0, job.load_cases[0].loads.bolt_angle);

  // The infinite plate: the converged series unless the legacy one is asked for, the bypass from
  // the width.
  const std::string infinite =
      edit(edit(kStrip, "model = \"strip\"\n", ""), "edge_distance = 0.5\n", "");
  job = read_cleanly(infinite);
  EXPECT_FALSE(job.plate.strip());
  EXPECT_EQ(BoltSeriesSum::kConverged, job.plate.bolt_series);
  EXPECT_EQ(1000.0 * 0.25 / 2.0, job.load_cases[0].loads.bypass);
  job = read_cleanly(edit(infinite, "width = 1.0", "width = 1.0\nbolt_series = \"legacy\""));
  EXPECT_EQ(BoltSeriesSum::kLegacy, job.plate.bolt_series);
  job = read_cleanly(edit(infinite, "width = 1.0",
                          "width = 1.0\nmodel = \"infinite\"\n"
                          "bolt_series = \"converged\""));
  EXPECT_EQ(BoltSeriesSum::kConverged, job.plate.bolt_series);
}

// Catches a mistake in the strip's keys or loads that is let through, reported without its place,
// or reported for the wrong key: every one of them, on its own line and column.
TEST(JobReaderStrip, EachMistakeWithItsPlace) {
  struct Case {
    std::string label, from, to;
    std::vector<Expected> errors;
  };
  const std::vector<Case> cases = {
      {"unknown model",
       "model = \"strip\"",
       "model = \"finite\"",
       {{10, 9, "hole.model", "unsupported hole model \"finite\" (infinite, strip)"}}},
      {"model of the wrong type",
       "model = \"strip\"",
       "model = 2",
       {{10, 9, "hole.model", "expected a string, found an integer"}}},
      {"strip without a width",
       "width = 1.0\n",
       "",
       {{9, 1, "hole.width", "missing required key (the width of the strip)"}}},
      {"strip of width 0",
       "width = 1.0",
       "width = 0",
       {{12, 9, "hole.width", "must be greater than the diameter: the strip model needs..."}}},
      {"strip not wider than the hole",
       "width = 1.0",
       "width = 0.25",
       {{12, 9, "hole.width", "must be greater than the diameter"}}},
      {"edge distance inside the hole",
       "edge_distance = 0.5",
       "edge_distance = 0.125",
       {{13, 17, "hole.edge_distance",
         "must be greater than half the diameter: the free end lies beyond the hole's edge"}}},
      {"edge distance of 0",
       "edge_distance = 0.5",
       "edge_distance = 0",
       {{13, 17, "hole.edge_distance", "must be greater than 0"}}},
      {"edge distance on the infinite plate",
       "model = \"strip\"",
       "model = \"infinite\"",
       {{13, 17, "hole.edge_distance",
         "an edge distance needs the strip model (hole.model = \"strip\")"}}},
      {"Tan's correction of a strip",
       "width = 1.0",
       "width = 1.0\nfinite_width_correction = \"tan\"",
       {{13, 27, "hole.finite_width_correction",
         "\"tan\" corrects the infinite plate for a width; the strip model solves..."}}},
      {"legacy series in a strip",
       "width = 1.0",
       "width = 1.0\nbolt_series = \"legacy\"",
       {{13, 15, "hole.bolt_series",
         "the strip model sums the bolt's series exactly; \"legacy\" (45 terms) is for the "
         "infinite plate"}}},
      {"unknown series",
       "model = \"strip\"",
       "model = \"infinite\"\nbolt_series = \"exact\"",
       {{11, 15, "hole.bolt_series", "unsupported bolt series \"exact\" (converged, legacy)"},
        {14, 17, "hole.edge_distance", "an edge distance needs the strip model..."}}},
      {"px in a strip",
       "bearing = 1000",
       "bearing = 1000\npx = 5000",
       {{20, 6, "load_cases[1].px",
         "the strip model takes the stress along the strip as bypass (the gross stress carried "
         "past the hole): use bypass"}}},
      {"py, pxy and off_axis in a strip",
       "bearing = 1000",
       "bearing = 1000\npy = 0\npxy = 1\noff_axis = 0",
       {{20, 6, "load_cases[1].py",
         "the strip model takes loads along the strip only (bearing and bypass)"},
        {21, 7, "load_cases[1].pxy", "the strip model takes loads along the strip only..."},
        {22, 12, "load_cases[1].off_axis", "the strip model takes loads along the strip only..."}}},
      {"a bolt at an angle in a strip",
       "bearing = 1000",
       "bearing = 1000\nbolt_angle = 90",
       {{20, 14, "load_cases[1].bolt_angle",
         "must be 0 in the strip model: the bolt bears along the strip, towards +x"}}},
      {"a bolt pulling on the hole",
       "bearing = 1000",
       "bearing = -1000",
       {{19, 11, "load_cases[1].bearing",
         "must be 0 or greater in the strip model: the bolt bears towards +x (the free end)"}}},
      {"bypass with a free end",
       "bearing = 1000",
       "bearing = 1000\nbypass = 200",
       {{20, 10, "load_cases[1].bypass",
         "must be 0 with an edge distance: the free end carries no stress past the hole"}}},
      {"a bypass of the wrong type",
       "bearing = 1000",
       "bypass = \"x\"",
       {{19, 10, "load_cases[1].bypass", "expected a number, found a string"}}},
      {"stations beyond the free end",
       "distance_step = 0.05",
       "distance_step = 0.2\nsteps = 3",
       {{17, 17, "grid.distance_step",
         "the station at 0 degrees, 0.4 from the hole edge, lies beyond the free end, 0.5 "
         "ahead of the hole centre: use fewer steps or a smaller distance_step"}}},
      {"stations beyond the sides",
       "angle_high = 90\ndistance_step = 0.05",
       "angle_low = 30\nangle_high = 90\ndistance_step = 0.2\nsteps = 3",
       {{18, 17, "grid.distance_step",
         "the station at 75 degrees, 0.4 from the hole edge, lies beyond the side of the strip, "
         "0.5 from its axis: use fewer steps or a smaller distance_step"}}},
      {"reserve stations beyond the sides",
       "bearing = 1000",
       "bearing = 1000\n[failure]\ncriteria = [\"max-stress\"]\ndistance = 0.45\n[results]\n"
       "tables = [\"stresses\"]",
       {{22, 12, "failure.distance",
         "the station at 0 degrees, 0.45 from the hole edge, lies beyond the free end, 0.5 "
         "ahead of the hole centre (the reserve factors are judged there): use a smaller "
         "characteristic distance"}}},
  };
  for (const Case& c : cases) expect_errors(edit(kStrip, c.from, c.to), c.errors, c.label);
  expect_errors(edit(edit(kStrip, "model = \"strip\"", "model = \"infinite\""), "bearing = 1000",
                     "bearing = 1000\nbypass = 1"),
                {{13, 17, "hole.edge_distance", "an edge distance needs the strip model..."},
                 {20, 10, "load_cases[1].bypass",
                  "a load of the strip model (hole.model = \"strip\"); on the infinite plate the "
                  "bypass follows from bearing, diameter and width"}},
                "bypass on the infinite plate");
  // A station on the side itself is in: stations to 90 degrees at 0.375 from the edge of a strip
  // 1 wide (0.5 from the centre); one step more is out. Without a free end the length the model
  // solves bounds the stations along the strip.
  read_cleanly(edit(kStrip, "distance_step = 0.05", "distance_step = 0.375\nsteps = 2"));
  const std::string long_strip = edit(kStrip, "edge_distance = 0.5\n", "");
  expect_errors(edit(long_strip, "angle_step = 15\nangle_high = 90\ndistance_step = 0.05",
                     "angle_step = 5\nangle_low = 175\nangle_high = 185\ndistance_step = 1.5\n"
                     "steps = 2"),
                {{17, 17, "grid.distance_step",
                  "the station at 175 degrees, 1.5 from the hole edge, lies beyond the length of "
                  "strip the model solves, 1.5 (1.5 widths, at least 3 diameters) from the hole "
                  "centre: use fewer steps or a smaller distance_step"}},
                "stations beyond the length the model solves");
  read_cleanly(edit(long_strip, "bearing = 1000", "bearing = 1000\nbypass = -300"));
}

// Catches a strip job or a series that does not survive writing: the written file reads back to
// the same plate and loads, and writes the same text again.
TEST(JobWriterStrip, RoundTrips) {
  for (const std::string& text : {std::string(kStrip),
                                  edit(edit(kStrip, "edge_distance = 0.5\n", ""), "bearing = 1000",
                                       "bearing = 1000\nbypass = 0.30000000000000004"),
                                  edit(edit(edit(kStrip, "model = \"strip\"\n", ""),
                                            "edge_distance = 0.5\n", "bolt_series = \"legacy\"\n"),
                                       "bearing = 1000", "bearing = 1000\npx = 2")}) {
    const Job job = read_cleanly(text);
    const std::string written = write_job(job);
    const Job again = read_cleanly(written);
    EXPECT_EQ(job.plate.model, again.plate.model);
    EXPECT_EQ(job.plate.width, again.plate.width);
    EXPECT_EQ(job.plate.edge_distance, again.plate.edge_distance);
    EXPECT_EQ(job.plate.bolt_series, again.plate.bolt_series);
    EXPECT_EQ(job.load_cases[0].loads.bearing, again.load_cases[0].loads.bearing);
    EXPECT_EQ(job.load_cases[0].loads.bypass, again.load_cases[0].loads.bypass);
    EXPECT_EQ(job.load_cases[0].loads.px, again.load_cases[0].loads.px);
    EXPECT_EQ(written, write_job(again));
  }
}

}  // namespace
}  // namespace hs
