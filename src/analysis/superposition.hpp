// Reserve factors of many load cases on one laminate, hole, plate and grid, by superposition.
//
// The field is linear in the loads, and so are the ply values at the reserve stations, averaged
// or not (reserve_stations.hpp). They are worked out once for unit far-field stresses (sigma-x,
// sigma-y, tau-xy in the laminate axes) and, for each bolt angle met, for a unit bearing stress;
// each load case then superposes them and solves every criterion for its load factor in closed
// form (point_reserve), at the stations of each characteristic distance in turn. The far-field
// stresses of a load case are turned into the laminate axes piece by piece as the field around
// the hole takes them (px along the off-axis angle, py 90 degrees on, pxy as tension at +45 and
// compression at -45 degrees, the bypass along the bolt), each with its own finite-width factor,
// so the factors agree with those of a full analysis of the load case (analyse_load_case) to
// rounding. The off-axis and bolt angles are first reduced to less than a turn (reduce_degrees),
// and the bolt's series is summed as the plate says, as in the full analysis.
//
// On a circular characteristic curve the ply values are kept component by component over the ply
// points (reserve_kernel.hpp), and the superposition and each criterion's smallest factor run on
// SIMD vectors of points, load cases in blocks per bolt field. Where a curve is not a circle the
// stations follow the curve's axis, the bolt angle or the off-axis angle of the load case: the
// unit far-field values are then worked out per axis met too, kept like the bolt fields, and each
// load case is superposed and judged point by point.
//
// In the strip model the unit fields are the strip's unit bearing and unit bypass, of one
// solution of the laminate and strip (strip_model.hpp), and a load case is their superposition:
// in the same SIMD blocks (the unit bypass in the place of sigma-x's field, the unit bearing in
// the bolt field's), or point by point where the curve is not a circle.
#pragma once

#include <array>
#include <cstddef>
#include <memory>
#include <vector>

#include "analysis/reserve.hpp"
#include "analysis/reserve_kernel.hpp"
#include "analysis/reserve_stations.hpp"
#include "analysis/strip_model.hpp"
#include "model/assessment.hpp"
#include "model/loads.hpp"
#include "model/plate.hpp"
#include "numeric/matrix3.hpp"

namespace hs {

class ReserveSuperposition {
 public:
  // grid: the job's grid (its stations round the hole); the distances and the method come from
  // the assessment.
  ReserveSuperposition(const Materials& materials, const PlyStack& plies, const Grid& grid,
                       const Plate& plate, const FailureAssessment& assessment);
  ~ReserveSuperposition();

  // Working storage of one thread: the unit bolt fields of the bolt angles met most recently, the
  // unit far-field values of the curve's axes met most recently, the load cases waiting for a
  // full block.
  struct Scratch;
  struct ScratchDeleter {
    void operator()(Scratch* s) const;
  };
  using ScratchPtr = std::unique_ptr<Scratch, ScratchDeleter>;
  ScratchPtr scratch() const;

  // The reserve factors of one load case, out[e] for each characteristic distance e of the
  // assessment. On the infinite plate typed.bypass is not read: the bypass stress follows from
  // the bearing stress, the diameter and the plate width. In the strip only the bearing and the
  // bypass are; a load case the strip does not take (strip_takes) has undefined factors.
  void reserve(const Loads& typed, Scratch& scratch, LoadCaseReserve* out) const;
  // The same for count load cases: out[i * distances() + e] of loads[i] and distance e. On the
  // infinite plate with circular curves the cases are worked out in blocks of those with the same
  // bolt angle, each with the same bits as alone.
  void reserve(const Loads* loads, std::size_t count, Scratch& scratch, LoadCaseReserve* out) const;

  int distances() const { return static_cast<int>(assessment_.distances.size()); }
  // The angle of reserve station j, and its distance from the hole edge for characteristic
  // distance e under `loads` (which turn a curve that is not a circle).
  double station_angle(int j) const { return stations_.angle[j]; }
  double station_distance(int e, int j, const Loads& loads) const;
  const PlyStack& plies() const { return plies_; }
  const FailureAssessment& assessment() const { return assessment_; }
  // The strip model's solution (its status and residuals), or null on the infinite plate.
  const StripSolution* strip() const { return plate_.strip() ? &strip_.solution : nullptr; }

  // Ply values at the ply points (distance by distance, station by station, the plies of a
  // station together): the strains, then the stresses, each component in its own array.
  using PointValues = std::array<std::vector<double>, 6>;

 private:
  // Whether load cases go through the SIMD blocks (else point by point: stations that turn).
  bool blocked() const { return !turns_; }
  void far_field(const Loads& typed, Loads& loads, double t[3]) const;
  void run_block(std::size_t slot, Scratch& scratch) const;
  void reserve_point_by_point(const Loads& loads, Scratch& scratch, LoadCaseReserve* out) const;
  void fill_strip_units();
  void strip_ply_values(const Loads& loads, double* row) const;
  void judge(const double* row, LoadCaseReserve* out) const;
  // The unit far-field values ([u][kind][distance][station][ply][component]) and the unit bolt
  // values ([kind][distance][station][ply][component]) at `stations`.
  void unit_far_field(const ReserveStations& stations, Workspace& work, ReserveValues& at,
                      double* out) const;
  void unit_bolt(const ReserveStations& stations, double bolt_angle, Workspace& work,
                 ReserveValues& at, double* out) const;

  Materials materials_;
  PlyStack plies_;
  Plate plate_;
  FailureAssessment assessment_;
  Grid grid_;
  ReserveStations stations_;  // for every load case, unless they turn (turns_)
  bool turns_;
  int nang_;
  std::size_t half_;   // ply values of one kind: distances x stations x plies x 3
  Mat3 unit_inverse_;  // from unit uniaxial stresses along 0, 90 and 45 degrees to the unit fields
  // Ply values at the ply points for the unit far-field stresses (blocked only).
  PointValues unit_points_[3];
  bool needs_[2] = {false, false};  // strains (maximum strain), stresses (the other criteria)
  std::vector<std::vector<CriterionConstants>> constants_;  // per criterion and ply
  std::vector<PointConstants> point_constants_;             // per criterion
  // The strip model: its solution and the ply values of its unit bearing and unit bypass.
  StripHoleCache strip_;
  std::vector<double> strip_unit_[2];
  PointValues strip_bearing_points_;  // the unit bearing at the ply points (blocked)
};

}  // namespace hs
