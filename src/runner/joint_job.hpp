// A joint job: the load the rows of fasteners share (share_joint_load, docs/joints.md), and every
// hole of every plate analysed as a hole problem with its bearing and bypass: the strip of the
// row's pitch (the plate's width over the fasteners across it), with the plate's edge distance at
// the row by its free end, or the infinite plate with Tan's finite-width factor of the pitch.
//
// Each hole is solved in its plate's frame, x pointing from the hole towards the plate's free end
// (the way the fasteners push the plate in tension): the joint's frame for plates 1 and 3, turned
// half a turn for plate 2. A laminate looks the same from both (a ply's fibres run both ways), so
// only the stations' angles differ by 180 degrees; the results give them in the joint's frame.
// In compression the bearing turns towards the loaded end (the infinite plate only).
#pragma once

#include <string>
#include <vector>

#include "analysis/reserve.hpp"
#include "analysis/reserve_stations.hpp"
#include "job/job.hpp"
#include "joint/load_sharing.hpp"
#include "model/grid.hpp"
#include "model/loads.hpp"
#include "model/plate.hpp"

namespace hs {

struct JointHole {
  HoleLoads shared;          // bearing and bypass from the sharing, signed as the joint's load
  Plate plate;               // the hole's model
  Grid grid;                 // the job's stations round the hole, of the row's diameter
  Loads loads;               // the hole problem's loads, in the plate's frame
  ReserveStations stations;  // where the reserve factors are judged (the plate's frame)
  LoadCaseReserve reserve;   // at the one characteristic distance (or curve) of the job
  double angle_offset;       // added to a station's angle for the joint's frame: 0 or 180 degrees
};

struct JointAnalysis {
  JointStatus status = JointStatus::kOk;
  std::string message;  // why the joint has no solution, "" when it has
  Joint joint;          // the mechanics built from the job
  FlexibilityMethod method = FlexibilityMethod::kHuthBoltedGraphite;
  JointLoads shares;
  std::vector<PlyStack> plies;                 // per plate: its laminate, or one ply of its metal
  std::vector<std::vector<JointHole>> holes;   // [plate][row]
  int critical_plate = -1, critical_row = -1;  // the hole of the smallest finite factor
  // Some hole's factors are undefined: there is then no critical hole.
  bool undefined = false;
  std::vector<std::string> warnings;  // the strip model's cautions per hole
};

// The hole problem's loads of one hole in its plate's frame (x towards the free end): the bypass
// as px, the bearing towards +x (or -x when negative, in compression) and the far-field stress
// that reacts the bearing over the pitch. In the strip the bypass and the bearing alone.
Loads joint_hole_loads(const HoleLoads& shared, double diameter, HoleModel model);

// Builds and shares the joint of a job (job.joint.given), then analyses every hole.
JointAnalysis analyse_joint_job(const Job& job);

// One hole of a joint job as a job of one hole (the plate's laminate, the hole, its plate model
// and one load case named PLATE:ROW, in the plate's frame), for the results and pictures of a
// single hole. plate and row from 0.
Job joint_hole_job(const Job& job, const JointAnalysis& analysis, int plate, int row);

// "PLATE:ROW", the row counted from 1: how results and the command line name a hole.
std::string joint_hole_name(const Job& job, int plate, int row);

// A reserve station's angle in the joint's frame, in [0, 360), and its distance from the edge.
double joint_angle(const JointHole& hole, int station);
double station_distance(const JointHole& hole, int station);

}  // namespace hs
