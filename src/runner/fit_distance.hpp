// `holestress fit-distance COUPONS.toml`: the characteristic distances fitted to the notched
// strengths of a coupon file (job/coupon_file.hpp, analysis/distance_fit.hpp), printed with each
// coupon's residual and matching distance, the check of the unnotched strength and Whitney and
// Nuismer's laminate-level rule for comparison; a picture of the hole-size effect (notched
// strength against hole diameter, the coupons and the fitted curves) as SVG, or HTML with the
// report; and, when asked, the fitted distances written into a job file's [failure].
#pragma once

#include <iosfwd>
#include <string>

namespace hs {

struct FitDistanceOptions {
  std::string coupons;    // the coupon file
  std::string picture;    // the picture: *.html for a page, otherwise SVG; default
                          // COUPONS-fit.svg beside the current folder's name of the file
  std::string write_job;  // a job file whose [failure] takes the fitted distances; none if empty
};

// Returns the exit status: 0; 1 when a file cannot be read or written or no distance could be
// fitted for --write-job; 2 for a coupon or job file with mistakes (each written to err).
int fit_distance_command(const FitDistanceOptions& options, std::ostream& out, std::ostream& err);

}  // namespace hs
