// The shared analysis state: every value that passes from one unit of the program to the next.
//
// The ten blocks ONE..NINE and BLANK are plain structs with fixed extents at the program's limits;
// one State object holds them all and lives for the whole run. A pass of the dialogue overwrites
// what it asks and leaves everything else as an earlier pass left it. A value-initialised State
// (State{}) is all zeros, which is how a run starts.
//
// Arrays keep the program's natural layout: a quantity at component c, distance step k and angle
// station j is stored as [j][k][c] (0-based), so the component varies fastest, then the step.
#pragma once

#include "control/limits.hpp"
#include "hole/geometry.hpp"

namespace hs {

// A 3 by 3 laminate matrix (stiffness or compliance), stored column by column. Index 1 = x,
// 2 = y, 3 = shear (engineering shear strain). Accessed 1-based, as the mechanics is written.
struct Mat3 {
  double a[9];
  double& operator()(int i, int j) { return a[(i - 1) + 3 * (j - 1)]; }
  double operator()(int i, int j) const { return a[(i - 1) + 3 * (j - 1)]; }
};

// One value per grid station, [j][k]; three components per grid station, [j][k][c].
using GridVal = double[kMaxAng][kMaxStep];
using GridVec = double[kMaxAng][kMaxStep][3];
using PlyVal = double[kMaxAng][kMaxStep][kMaxPly];

// Unidirectional elastic properties per material.
struct One {
  double E1[kMaxMat];    // modulus along the fibres
  double E2[kMaxMat];    // modulus across the fibres
  double G12[kMaxMat];   // in-plane shear modulus
  double NU12[kMaxMat];  // major Poisson's ratio
};

// Selected output cases and the ply stack.
struct Two {
  int LIST[kListLen];     // selected case numbers, 0 = none
  int NPLY;               // number of plies
  int NMAT;               // number of materials
  double ANGLE[kMaxPly];  // ply orientation, degrees from the laminate x axis to the fibres
  double THICK[kMaxPly];  // ply thickness
  int MATNO[kMaxPly];     // material number of each ply, 1..NMAT
};

// Sampling grid around the hole.
struct Three {
  double DEG;   // degrees between angle stations
  double LOW;   // angle of station 1, degrees
  double HIGH;  // last angle, degrees
  double STEP;  // radial distance between distance steps
  int NSTEP;    // number of distance steps
};

// Loads and geometry. The far-field stresses act in axes turned by OFFANG from the laminate axes.
struct Four {
  double PX;       // far-field normal stress along OFFANG
  double PY;       // far-field normal stress along OFFANG + 90
  double PXY;      // far-field shear stress in the same axes
  double P;        // bearing stress of the bolt
  double PW;       // far-field stress that reacts the bolt load over the plate width
  double BOLTANG;  // bolt loading angle, degrees
  double OFFANG;   // off-axis angle of the far-field stresses, degrees
  double D;        // hole (bolt) diameter
  double FACTOR;   // load factor applied by every lamstr call
};

// Allowables per material and the failure criterion.
struct Five {
  double T1[kMaxMat];     // tension along the fibres
  double C1[kMaxMat];     // compression along the fibres (positive magnitude)
  double T2[kMaxMat];     // tension across the fibres
  double C2[kMaxMat];     // compression across the fibres (positive magnitude)
  double SHEAR[kMaxMat];  // in-plane shear
  int KRIT;               // 1 max strain, 2 max stress, 3 Tsai-Hill, 4 modified Tsai-Wu, 5 Hoffman
};

struct Six {
  Mat3 ASTAR;  // laminate compliance in the laminate axes
};

struct Seven {
  Mat3 ASTARB;  // laminate compliance in the axes of the bolt load
};

// Laminate stresses and strains at the sample points, laminate axes.
struct Eight {
  GridVec SIGL;  // sigma-x, sigma-y, tau-xy
  GridVec EPSL;  // eps-x, eps-y, gamma-xy (engineering)
};

// Ply values at the sample points: stresses, or strains for the maximum-strain criterion.
struct Nine {
  PlyVal PLY1;   // along the fibres
  PlyVal PLY2;   // across the fibres
  PlyVal PLY12;  // shear
};

struct Blank {
  int ISTEP;  // step number shown by the singular-matrix message of inverse
};

struct State {
  One one;
  Two two;
  Three three;
  Four four;
  Five five;
  Six six;
  Seven seven;
  Eight eight;
  Nine nine;
  Blank blank;
  bool quiet;  // silences output cases 1..9 while the failure search repeats the analysis
  // Work the hole solutions keep from one call to the next (not part of the data flow).
  HoleGeometry geometry;
};

// Number of angle stations of the grid: (HIGH - LOW)/DEG + 1 truncated toward zero, limited to the
// grid arrays. A ratio that is not a number, or very negative, gives no stations.
int station_count(const Three& grid);

// Number of distance steps actually held by the grid arrays (NSTEP limited to 0..kMaxStep).
int step_count(const Three& grid);

}  // namespace hs
