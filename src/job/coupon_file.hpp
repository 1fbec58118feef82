// A coupon file: the notched (and unnotched) strengths of open-hole coupons of one laminate, from
// which `holestress fit-distance` fits the characteristic distances (docs/strength.md).
//
// Its laminate ([units], [materials] or materials_file, [[plies]] or [laminate]) and how failure
// is judged ([failure]: criteria,
// method, average_rule, average_points; no distances, which are what the fit finds) are read as a
// job file's; then [[coupons]], one per hole size and loading, [unnotched] and [fit].
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "job/job.hpp"

namespace hs {

struct CouponTest {
  std::string name;  // C<n> (n from 1) when none is given
  bool compression = false;
  double diameter = 0.0, width = 0.0;  // length unit
  std::vector<double> strengths;       // notched strengths of the replicates: failure load over
                                       // width and thickness (stress unit), magnitudes
};

struct CouponFile {
  std::string path;
  std::string title;
  Job laminate;  // units, materials, plies, criteria and method; no hole, grid or load cases
  std::vector<CouponTest> coupons;
  double unnotched_tension = 0.0, unnotched_compression = 0.0;  // 0 when not given
  double load_angle = 0.0;  // degrees from the laminate x axis to the coupons' axis
  double angle_step = 1.0;  // between the stations round the hole, 0 to 180 degrees
};

// Parses a coupon file as read_job parses a job file: every mistake appended to `errors` with its
// line, column and dotted key; false when there was any.
bool read_coupon_file(std::string_view text, const std::string& path, CouponFile& file,
                      std::vector<JobError>& errors);

}  // namespace hs
