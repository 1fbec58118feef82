// The inner loop of the reserve factors of many load cases, on SIMD vectors of ply points.
//
// A ply point is one ply at one reserve station. A load case's ply values at the points are the
// superposition of unit fields, each kept component by component over the points (structure of
// arrays, station by station, the plies of a station together): t_x X + t_y Y + t_xy XY for its
// far-field stresses in the laminate axes, + bearing B for its bolt. smallest_point_reserves
// takes a block of load cases on the same unit fields (the same bolt angle), so that each vector
// of unit values and criterion constants is loaded once for the block, forms each case's ply
// values and finds, for each criterion, the smallest positive reserve factor over the points with
// the closed forms of ply/reserve_formulas-inl.hpp. It runs on the widest instruction set the
// processor has (Highway's operations compiled for SSSE3 to AVX-512 and a scalar baseline; the
// processor's features read by the compiler's __builtin_cpu_supports) with the same operations in
// the same order and no fused multiply-add on each, so every factor has the bits of the scalar
// point_reserve on the scalar superposition (superpose_point).
#pragma once

#include <cstddef>
#include <vector>

#include "model/assessment.hpp"
#include "ply/failure_criteria.hpp"

namespace hs {

// A criterion's constants at every point (CriterionConstants, member by member): those of each
// ply, repeated at every station.
struct PointConstants {
  Criterion criterion = Criterion::kMaxStress;
  std::vector<double> inv_t1, inv_c1, inv_t2, inv_c2, inv_s, f1, f2, f11, f22, f66, f12;
};
PointConstants point_constants(const std::vector<CriterionConstants>& plies, int stations);

// The unit fields of one kind of ply value (strains or stresses) at the points, per component
// (1, 2, 12): unit far-field stresses sigma-x, sigma-y, tau-xy in the laminate axes, and a unit
// bearing stress (bolt null when the load cases carry none).
struct UnitPointFields {
  const double* x[3];
  const double* y[3];
  const double* xy[3];
  const double* bolt[3];
};

// Up to kBlockCases load cases on the same unit fields: far-field stresses in the laminate axes
// and bearing stress.
constexpr std::size_t kBlockCases = 8;
struct CaseBlock {
  std::size_t count = 0;
  double t[kBlockCases][3];
  double bearing[kBlockCases];
};

// The ply value of component c at point n of case i, in the order the kernel forms it.
inline double superpose_point(const UnitPointFields& f, const CaseBlock& cases, std::size_t i,
                              int c, std::size_t n) {
  double v = cases.t[i][0] * f.x[c][n] + cases.t[i][1] * f.y[c][n] + cases.t[i][2] * f.xy[c][n];
  if (f.bolt[c]) v = v + cases.bearing[i] * f.bolt[c][n];
  return v;
}

// The smallest positive point_reserve over the points and the first point where it is reached;
// +infinity at point 0 when no point has a positive factor; NaN (undefined) at the first point
// whose ply values are not finite, when there is one.
struct PointMinimum {
  double factor;
  std::size_t point;
};

// For criteria[0 .. count - 1] (at most kMaxCriteria, all comparing this kind of ply value) and
// every case of the block: out[c * kBlockCases + i] for criterion c and case i. keys: working
// storage of count * kBlockCases * points doubles.
void smallest_point_reserves(const PointConstants* const* criteria, std::size_t count,
                             const UnitPointFields& fields, const CaseBlock& cases,
                             std::size_t points, double* keys, PointMinimum* out);

// The instruction set the kernel runs on here ("AVX2", "SSE4", "EMU128", ...).
const char* reserve_kernel_target();

// Each instruction set the kernel is compiled for that this processor runs, widest first (the
// last is the baseline): its name and its smallest_point_reserves, so that tests can run them
// all.
using ReserveKernel = void (*)(const PointConstants* const* criteria, std::size_t count,
                               const UnitPointFields& fields, const CaseBlock& cases,
                               std::size_t points, double* keys, PointMinimum* out);
struct ReserveKernelTarget {
  const char* name;
  ReserveKernel kernel;
};
std::vector<ReserveKernelTarget> reserve_kernel_targets();

}  // namespace hs
