// Reserve factors of many load cases on one laminate, hole, plate and grid, by superposition.
//
// The field is linear in the loads, and so are the ply values at the reserve stations, averaged
// or not (reserve_stations.hpp). They are worked out once for unit far-field stresses (sigma-x,
// sigma-y, tau-xy in the laminate axes) and, for each bolt angle met, for a unit bearing stress;
// each load case then superposes them and solves every criterion for its load factor in closed
// form (point_reserve), at the stations of each characteristic distance in turn. Where a
// characteristic curve is not a circle the stations follow the curve's axis, the bolt angle or
// the off-axis angle of the load case: the unit far-field values are then worked out per axis met
// too, and kept like the bolt fields. The far-field
// stresses of a load case are turned into the laminate axes piece by piece as the field around
// the hole takes them (px along the off-axis angle, py 90 degrees on, pxy as tension at +45 and
// compression at -45 degrees, the bypass along the bolt), each with its own finite-width factor,
// so the factors agree with those of a full analysis of the load case (analyse_load_case) to
// rounding.
#pragma once

#include <memory>
#include <vector>

#include "analysis/reserve.hpp"
#include "analysis/reserve_stations.hpp"
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

  // Working storage of one thread: the unit bolt fields of the bolt angles met most recently, and
  // the unit far-field values of the curve's axes met most recently.
  struct Scratch;
  struct ScratchDeleter {
    void operator()(Scratch* s) const;
  };
  using ScratchPtr = std::unique_ptr<Scratch, ScratchDeleter>;
  ScratchPtr scratch() const;

  // The reserve factors of one load case, out[e] for each characteristic distance e of the
  // assessment. typed.bypass is not read: the bypass stress follows from the bearing stress, the
  // diameter and the plate width.
  void reserve(const Loads& typed, Scratch& scratch, LoadCaseReserve* out) const;

  int distances() const { return static_cast<int>(assessment_.distances.size()); }
  // The angle of reserve station j, and its distance from the hole edge for characteristic
  // distance e under `loads` (which turn a curve that is not a circle).
  double station_angle(int j) const { return stations_.angle[j]; }
  double station_distance(int e, int j, const Loads& loads) const;
  const PlyStack& plies() const { return plies_; }
  const FailureAssessment& assessment() const { return assessment_; }

 private:
  Materials materials_;
  PlyStack plies_;
  Plate plate_;
  FailureAssessment assessment_;
  Grid grid_;
  ReserveStations stations_;  // for every load case, unless they turn (turns_)
  bool turns_;
  int nang_;
  std::size_t half_;  // ply values of one kind: distances x stations x plies x 3
  // Ply values (strains, then stresses; [distance][station][ply][component]) at the stations for
  // the unit far-field stresses sigma-x, sigma-y, tau-xy, one after another.
  std::vector<double> unit_;
  Mat3 unit_inverse_;  // from unit uniaxial stresses along 0, 90 and 45 degrees to them

  // The unit far-field values (as unit_) and the unit bolt values at `stations`.
  void unit_far_field(const ReserveStations& stations, Workspace& work, ReserveValues& at,
                      double* out) const;
  void unit_bolt(const ReserveStations& stations, double bolt_angle, Workspace& work,
                 ReserveValues& at, double* out) const;
  bool needs_[2] = {false, false};  // strains (maximum strain), stresses (the other criteria)
  std::vector<std::vector<CriterionConstants>> constants_;  // per criterion and ply
};

}  // namespace hs
