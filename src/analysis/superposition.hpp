// Reserve factors of many load cases on one laminate, hole, plate and grid, by superposition.
//
// The field is linear in the loads. The ply values at the stations of the characteristic distance
// are worked out once for unit far-field stresses (sigma-x, sigma-y, tau-xy in the laminate axes)
// and, for each bolt angle met, for a unit bearing stress; each load case then superposes them and
// solves every criterion for its load factor in closed form (point_reserve). The far-field
// stresses of a load case are turned into the laminate axes piece by piece as the field around
// the hole takes them (px along the off-axis angle, py 90 degrees on, pxy as tension at +45 and
// compression at -45 degrees, the bypass along the bolt), each with its own finite-width factor,
// so the factors agree with those of a full analysis of the load case (analyse_load_case) to
// rounding. The off-axis and bolt angles are first reduced to less than a turn (reduce_degrees).
//
// The ply values are kept component by component over the ply points (reserve_kernel.hpp), and
// the superposition and each criterion's smallest factor run on SIMD vectors of points. The bolt's
// series is summed as the plate says, as in the full analysis.
//
// In the strip model the unit fields are the strip's unit bearing and unit bypass, of one
// solution of the laminate and strip (strip_model.hpp), and a load case is their superposition.
#pragma once

#include <array>
#include <cstddef>
#include <memory>
#include <vector>

#include "analysis/reserve.hpp"
#include "analysis/reserve_kernel.hpp"
#include "analysis/strip_model.hpp"
#include "model/assessment.hpp"
#include "model/loads.hpp"
#include "model/plate.hpp"

namespace hs {

class ReserveSuperposition {
 public:
  // grid: the job's grid (its stations round the hole); the distance comes from the assessment.
  ReserveSuperposition(const Materials& materials, const PlyStack& plies, const Grid& grid,
                       const Plate& plate, const FailureAssessment& assessment);
  ~ReserveSuperposition();

  // Working storage of one thread: the unit bolt fields of the bolt angles met most recently.
  struct Scratch;
  struct ScratchDeleter {
    void operator()(Scratch* s) const;
  };
  using ScratchPtr = std::unique_ptr<Scratch, ScratchDeleter>;
  ScratchPtr scratch() const;

  // The reserve factors of one load case. On the infinite plate typed.bypass is not read: the
  // bypass stress follows from the bearing stress, the diameter and the plate width. In the strip
  // only the bearing and the bypass are; a load case the strip does not take (strip_takes) has
  // undefined factors.
  void reserve(const Loads& typed, Scratch& scratch, LoadCaseReserve& out) const;
  // The same for count load cases, out[i] of loads[i]: the cases are worked out in blocks of
  // those with the same bolt angle, each with the same bits as alone.
  void reserve(const Loads* loads, std::size_t count, Scratch& scratch, LoadCaseReserve* out) const;

  // Ply values at the ply points (station by station, the plies of a station together): the
  // strains, then the stresses, each component in its own array.
  using PointValues = std::array<std::vector<double>, 6>;

  const Grid& grid() const { return grid_; }  // the stations of the reserve factors
  const PlyStack& plies() const { return plies_; }
  const FailureAssessment& assessment() const { return assessment_; }
  // The strip model's solution (its status and residuals), or null on the infinite plate.
  const StripSolution* strip() const { return plate_.strip() ? &strip_.solution : nullptr; }

 private:
  void run_block(std::size_t slot, Scratch& scratch) const;
  void fill_strip_units();
  void strip_ply_values(const Loads& loads, double* row) const;
  void judge(const double* row, LoadCaseReserve& out) const;

  Materials materials_;
  PlyStack plies_;
  Plate plate_;
  FailureAssessment assessment_;
  Grid grid_;  // the stations at the characteristic distance (step kFailureStep)
  int nang_;
  // Ply values at the ply points for the unit far-field stresses.
  PointValues unit_[3];
  bool needs_[2] = {false, false};  // strains (maximum strain), stresses (the other criteria)
  std::vector<std::vector<CriterionConstants>> constants_;  // per criterion and ply
  std::vector<PointConstants> point_constants_;             // per criterion
  // The strip model: its solution and the ply values of its unit bearing and unit bypass (strains,
  // then stresses, station by station).
  StripHoleCache strip_;
  std::vector<double> strip_unit_[2];
};

}  // namespace hs
