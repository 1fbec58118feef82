// Reserve factors of many load cases at once.
//
// For a fixed laminate, hole, plate width and grid the field is linear in the loads. The ply
// values at the stations of the characteristic distance are worked out once for unit far-field
// stresses (sigma-x, sigma-y, tau-xy in the laminate axes) and, for each bolt angle met, for a
// unit bearing stress; each load case then superposes them and solves every criterion for its
// load factor in closed form. The far-field stresses of a load case are turned into the laminate
// axes piece by piece as the field around the hole takes them (PX along the off-axis angle, PY
// 90 degrees on, PXY as tension at +45 and compression at -45 degrees, the bypass along the bolt),
// so the factors agree with those of a full analysis of the load case to rounding.
#pragma once

#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

#include "job/job.hpp"
#include "runner/evaluate.hpp"

namespace hs {

// The load-case keys, as the columns of a load-case file may name them.
struct LoadRow {
  double px = 0, py = 0, pxy = 0, off_axis = 0, bearing = 0, bolt_angle = 0;
};

// The reserve factors of one load case: one per criterion of the job (+infinity where none is
// finite), the smallest, its margin of safety and where it is reached.
struct RowReserve {
  double factor[kMaxCriteria];
  int smallest;  // index into the job's criteria; -1 when no factor is finite
  double margin;
  ReserveFactor at;  // of the smallest
};

struct PlyCoefficients;  // of a criterion for one ply

class ReserveBatch {
 public:
  explicit ReserveBatch(const Job& job);
  ~ReserveBatch();

  // Per-thread working storage: the fields of the bolt angles met so far.
  struct Scratch;
  struct ScratchDeleter {
    void operator()(Scratch* s) const;
  };
  using ScratchPtr = std::unique_ptr<Scratch, ScratchDeleter>;
  ScratchPtr scratch() const;

  void reserve(const LoadRow& row, Scratch& scratch, RowReserve& out) const;

  const Job& job() const { return job_; }
  const Grid& grid() const { return grid_; }

 private:
  const Job& job_;
  Grid grid_;  // the stations at the characteristic distance (step 1)
  int nang_;
  // Ply values (strains, then stresses) at the stations for the unit far-field stresses.
  std::vector<double> unit_[3];
  bool needs_[2] = {false, false};  // strains (maximum strain), stresses (the other criteria)
  std::vector<std::vector<PlyCoefficients>> coefficients_;  // per criterion and ply
};

// Streams the load cases of a CSV file (header row naming the columns; name, px, py, pxy,
// off_axis, bearing, bolt_angle in any order, a missing one 0) through the job and writes one
// CSV row per input row, in input order, whatever the number of threads (0: every core). A bad
// row gives an error row naming its line and column and the others go on. Returns 0, 1 when
// some rows failed or the output could not be written, 2 for a header that cannot be used (its
// message on err).
int run_batch(const Job& job, std::istream& in, std::ostream& out, std::ostream& err, int threads);

}  // namespace hs
