// The strip model and the bolt's series in the analysis of a job's load case and in the batch:
// the field is the strip solution's, the batch superposes the strip's unit loads to the full
// analysis of each load case, and the series a plate asks for is the one summed.
#include "analysis/strip_model.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <span>

#include "analysis/load_case.hpp"
#include "analysis/superposition.hpp"
#include "hole/transforms.hpp"
#include "laminate/membrane_compliance.hpp"
#include "numeric/constants.hpp"

namespace hs {
namespace {

const Criterion kAll[] = {Criterion::kMaxStrain, Criterion::kMaxStress, Criterion::kTsaiHill,
                          Criterion::kTsaiWu, Criterion::kHoffman};

// Carbon/epoxy plies on a quarter-inch hole, every criterion 0.05 from the edge.
struct Laminate {
  Materials materials;
  PlyStack plies;
  Grid grid{0.25, 15, 0, 360, 0.05, 3};
  FailureAssessment assessment;
};

Laminate carbon(std::initializer_list<double> angles) {
  Laminate l;
  l.materials.resize(1);
  l.materials.elastic[0] = {20.0e6, 1.4e6, 0.7e6, 0.3};
  l.materials.allowables[0] = {200e3, 180e3, 8e3, 30e3, 12e3};
  l.plies.resize(static_cast<int>(angles.size()));
  int p = 0;
  for (double a : angles) {
    l.plies.angle[p] = a;
    l.plies.thickness[p++] = 0.005;
  }
  l.assessment.criteria.assign(std::begin(kAll), std::end(kAll));
  for (Criterion c : kAll) {
    Materials m = l.materials;
    if (c == Criterion::kMaxStrain) {
      const Allowables& a = l.materials.allowables[0];
      const ElasticConstants& e = l.materials.elastic[0];
      m.allowables[0] = {a.T1 / e.E1, a.C1 / e.E1, a.T2 / e.E2, a.C2 / e.E2, a.S12 / e.G12};
    }
    l.assessment.allowables.push_back(m);
  }
  l.assessment.distances = {{0.05, 0.05}};
  l.assessment.factor_of_safety = 1.5;
  return l;
}

Plate strip(double width, double edge_distance) {
  Plate p;
  p.width = width;
  p.model = HoleModel::kStrip;
  p.edge_distance = edge_distance;
  return p;
}

Loads strip_loads(double bearing, double bypass) {
  Loads l{};
  l.bearing = bearing;
  l.bypass = bypass;
  return l;
}

// Catches a strip field that is not the solution's (stations misplaced, angles in the wrong unit,
// loads swapped, strains from another compliance, displacements left out): the stresses, strains
// and displacements of a load case at every station against solve_strip_hole and strip_values
// called directly.
TEST(StripModel, LoadCaseFieldIsTheSolutionsField) {
  const Laminate l = carbon({0, 0, 45, -45});
  auto work = std::make_unique<LoadCaseWork>();
  Problem problem;
  LoadCaseWants wants;
  wants.field = wants.displacements = true;
  for (const Plate& plate : {strip(1.0, 0.0), strip(1.0, 0.5)}) {
    const double bypass = plate.edge_distance > 0.0 ? 0.0 : 4000.0;
    const LoadCaseAnalysis a =
        analyse_load_case(l.materials, l.plies, l.grid, plate, strip_loads(20000, bypass),
                          l.assessment, wants, *work, problem);
    ASSERT_NE(nullptr, a.strip);
    const Mat3 c = membrane_compliance(l.materials, l.plies, 0.0).compliance.laminate_axes;
    const StripSolution s = solve_strip_hole(c, {1.0, 0.25, plate.edge_distance}, strip_settings());
    ASSERT_EQ(StripStatus::ok, s.status);
    const Grid& g = l.grid;
    for (int j = 0; j < station_count(g); ++j) {
      for (int k = 0; k < step_count(g); ++k) {
        StripValues v;
        ASSERT_EQ(StripStatus::ok, strip_values_polar(s, 20000, bypass, 0.125 + k * 0.05,
                                                      radians(station_angle(g, j)), true, v));
        const double* sig = a.field->stress[j][k];
        const double* eps = a.field->strain[j][k];
        for (int i = 0; i < 3; ++i) {
          EXPECT_EQ(v.stress[i], sig[i]) << j << " " << k;
          EXPECT_NEAR(c(i + 1, 1) * sig[0] + c(i + 1, 2) * sig[1] + c(i + 1, 3) * sig[2], eps[i],
                      1e-15);
        }
        EXPECT_EQ(v.u, a.field->u[j][k]);
        EXPECT_EQ(v.v, a.field->v[j][k]);
      }
    }
    // No finite-width correction and no singular systems: the strip is its own width.
    EXPECT_FALSE(a.width_corrected);
    EXPECT_EQ(0, a.singular_systems);
  }
}

// Catches a batch in the strip that is not the full analysis of each load case (a unit field of
// the wrong load, a bypass used with an edge distance, the infinite plate's bypass formula left
// in): every criterion's factor, station, ply and component, for loads alone and together, in a
// long strip and one with a free end, on three laminates (one unbalanced, fitted on the whole
// strip); loads the strip does not take are undefined in both.
TEST(StripModel, BatchAgreesWithFullAnalysis) {
  auto work = std::make_unique<LoadCaseWork>();
  auto problem = std::make_unique<Problem>();
  LoadCaseWants wants;
  wants.reserve = true;
  struct Case {
    Loads loads;
    bool taken;
  };
  Loads px = strip_loads(10000, 0);
  px.px = 1000;
  Loads angled = strip_loads(10000, 0);
  angled.bolt_angle = 10;
  const Case long_strip[] = {{strip_loads(20000, 0), true},
                             {strip_loads(0, 8000), true},
                             {strip_loads(0, -8000), true},
                             {strip_loads(15000, 5000), true},
                             {strip_loads(15000, -12000), true},
                             {strip_loads(0, 0), true},
                             {px, false},
                             {angled, false},
                             {strip_loads(-5000, 0), false}};
  const Case end_strip[] = {{strip_loads(20000, 0), true},
                            {strip_loads(1e-3, 0), true},
                            {strip_loads(0, 0), true},
                            {strip_loads(20000, 3000), false}};
  for (const Laminate& l :
       {carbon({0, 45, -45, 90}), carbon({0, 0, 45, -45}), carbon({0, 0, 45})}) {
    for (const Plate& plate : {strip(1.0, 0.0), strip(0.75, 0.5)}) {
      const ReserveSuperposition batch(l.materials, l.plies, l.grid, plate, l.assessment);
      ASSERT_NE(nullptr, batch.strip());
      EXPECT_EQ(StripStatus::ok, batch.strip()->status);
      auto scratch = batch.scratch();
      int n = 0;
      for (const Case& c : plate.edge_distance > 0.0 ? std::span<const Case>(end_strip)
                                                     : std::span<const Case>(long_strip)) {
        LoadCaseReserve fast;
        batch.reserve(c.loads, *scratch, &fast);
        const LoadCaseReserve full = analyse_load_case(l.materials, l.plies, l.grid, plate, c.loads,
                                                       l.assessment, wants, *work, *problem)
                                         .reserve[0];
        EXPECT_EQ(!c.taken, full.undefined) << "case " << n;
        EXPECT_EQ(!c.taken, fast.undefined) << "case " << n;
        for (int k = 0; k < 5; ++k) {
          const CriterionReserve &want = full.criterion[k], &got = fast.criterion[k];
          if (!c.taken) {
            EXPECT_TRUE(std::isnan(got.factor) && std::isnan(want.factor)) << "case " << n;
            continue;
          }
          if (std::isinf(want.factor)) {
            EXPECT_EQ(want.factor, got.factor) << "case " << n << " criterion " << k;
            continue;
          }
          ASSERT_NEAR(want.factor, got.factor, 1e-9 * want.factor)
              << "case " << n << " criterion " << k << " edge " << plate.edge_distance;
          EXPECT_EQ(want.station, got.station) << "case " << n << " criterion " << k;
          EXPECT_EQ(want.ply, got.ply) << "case " << n << " criterion " << k;
          EXPECT_EQ(want.component, got.component) << "case " << n << " criterion " << k;
        }
        EXPECT_EQ(full.smallest, fast.smallest) << "case " << n;
        ++n;
      }
    }
  }
}

// The edge stress of the strip against the infinite plate's in the batch and the full analysis
// alike: catches a strip whose solution is not used (the infinite plate left in) by checking
// that a narrow strip with a free end close ahead fails well before the infinite plate does.
TEST(StripModel, FreeEndLowersTheReserve) {
  const Laminate l = carbon({0, 45, -45, 90});
  auto work = std::make_unique<LoadCaseWork>();
  Problem problem;
  LoadCaseWants wants;
  wants.reserve = true;
  Plate infinite;
  infinite.width = 1.0;
  Loads bolt{};
  bolt.bearing = 20000;
  bolt.bypass = bypass_stress(20000, 0.25, 1.0);
  const double plate_factor = analyse_load_case(l.materials, l.plies, l.grid, infinite, bolt,
                                                l.assessment, wants, *work, problem)
                                  .reserve->criterion[1]
                                  .factor;
  const double end_factor =
      analyse_load_case(l.materials, l.plies, l.grid, strip(1.0, 0.375), strip_loads(20000, 0),
                        l.assessment, wants, *work, problem)
          .reserve->criterion[1]
          .factor;
  EXPECT_LT(end_factor, 0.9 * plate_factor);
}

// Catches a bolt series the plate asks for but the analysis does not sum (the default legacy
// left in, or the batch on another series than the full analysis): the converged and legacy
// series give hoop stresses on the edge about 1 percent apart at the ends of the contact arc and
// the same field away from it; the batch of each agrees with the full analysis of the same
// series, and the two series' reserve factors are close but not equal.
TEST(BoltSeriesInJobs, ConvergedAgainstLegacy) {
  const Laminate l = carbon({0, 45, -45, 90});
  auto work = std::make_unique<LoadCaseWork>();
  Problem problem;
  LoadCaseWants wants;
  wants.field = wants.reserve = true;
  Loads bolt{};
  bolt.bearing = 20000;
  Grid grid = l.grid;
  grid.angle_step = 90;
  grid.steps = 4;
  double hoop[2][4], factor[2];
  for (BoltSeriesSum series : {BoltSeriesSum::kLegacy, BoltSeriesSum::kConverged}) {
    Plate plate;
    plate.bolt_series = series;
    const int s = series == BoltSeriesSum::kConverged;
    const LoadCaseAnalysis a = analyse_load_case(l.materials, l.plies, grid, plate, bolt,
                                                 l.assessment, wants, *work, problem);
    for (int k = 0; k < 4; ++k) {
      hoop[s][k] = polar_values(90.0, a.field->stress[1][k], a.field->strain[1][k]).hoop_stress;
    }
    factor[s] = a.reserve->criterion[1].factor;
    const ReserveSuperposition batch(l.materials, l.plies, l.grid, plate, l.assessment);
    LoadCaseReserve fast;
    batch.reserve(bolt, *batch.scratch(), &fast);
    const double full = analyse_load_case(l.materials, l.plies, l.grid, plate, bolt, l.assessment,
                                          wants, *work, problem)
                            .reserve->criterion[1]
                            .factor;
    EXPECT_NEAR(full, fast.criterion[1].factor, 1e-9 * full);
  }
  // On the edge at the end of the contact arc the 45 terms fall about 1 percent short.
  EXPECT_NEAR(0.0104, (hoop[1][0] - hoop[0][0]) / hoop[1][0], 2e-3);
  // Away from the edge the 45 terms have converged.
  for (int k = 2; k < 4; ++k) EXPECT_NEAR(hoop[1][k], hoop[0][k], 1e-4 * std::fabs(hoop[1][k]));
  EXPECT_NE(factor[0], factor[1]);
  EXPECT_NEAR(factor[0], factor[1], 1e-3 * factor[1]);
}

}  // namespace
}  // namespace hs
