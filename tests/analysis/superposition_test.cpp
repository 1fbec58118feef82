// Reserve factors of many load cases by superposition, against a full analysis of each load case
// and against the failure load the dialogue's search finds.
#include "analysis/superposition.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <random>
#include <sstream>

#include "analysis/finite_width.hpp"
#include "analysis/load_case.hpp"
#include "dialogue/program.hpp"

namespace hs {
namespace {

const Criterion kAll[] = {Criterion::kMaxStrain, Criterion::kMaxStress, Criterion::kTsaiHill,
                          Criterion::kTsaiWu, Criterion::kHoffman};

// Carbon/epoxy plies on a quarter-inch hole, every criterion at 0.05 from the edge.
struct Laminate {
  Materials materials;
  PlyStack plies;
  Grid grid{0.25, 15, 0, 360, 0.05, 2};
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
    if (c == Criterion::kMaxStrain) {  // strengths over moduli, as a job without strain allowables
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

Loads random_loads(std::mt19937& rng, bool bolt) {
  std::uniform_real_distribution<double> stress(-20000, 20000), angle(-90, 90);
  Loads r{stress(rng), stress(rng), stress(rng) / 2, angle(rng), 0, 0, 0};
  if (bolt) {
    r.bearing = std::abs(stress(rng)) * 2;
    r.bolt_angle = 30.0 * std::uniform_int_distribution<int>(0, 11)(rng);
  }
  return r;
}

// Each load piece alone (px, py, pxy, bearing with its bypass), then random mixtures.
std::vector<Loads> load_cases(std::mt19937& rng) {
  std::vector<Loads> cases = {{12000, 0, 0, 20, 0, 0, 0},
                              {0, -9000, 0, 35, 0, 0, 0},
                              {0, 0, 6000, -10, 0, 0, 0},
                              {0, 0, 0, 0, 25000, 60, 0},
                              {0, 0, 0, 0, 25000, 60.000000001, 0}};  // a bolt angle close by
  for (int i = 0; i < 60; ++i) cases.push_back(random_loads(rng, i % 2 == 1));
  return cases;
}

// Catches a unit field, a rotation of the loads into the laminate axes, a bolt field of the
// wrong angle (or one kept for an angle close by), a finite-width factor missing from one load
// piece or given another direction's factor, a margin without the factor of safety, or a
// closed-form factor that departs from the full analysis of the load case: on an infinite plate,
// a plate of finite width, and the same with Tan's correction on every piece.
TEST(ReserveSuperposition, AgreesWithFullAnalysis) {
  std::mt19937 rng(7);
  auto work = std::make_unique<LoadCaseWork>();
  auto problem = std::make_unique<Problem>();
  const Plate plates[] = {
      {0.0, WidthCorrection::kNone}, {1.0, WidthCorrection::kNone}, {1.0, WidthCorrection::kTan}};
  LoadCaseWants wants;
  wants.reserve = true;
  for (const Laminate& l : {carbon({0, 45, -45, 90}), carbon({0, 0, 45, -45}), carbon({30})}) {
    for (const Plate& plate : plates) {
      const ReserveSuperposition batch(l.materials, l.plies, l.grid, plate, l.assessment);
      auto scratch = batch.scratch();
      int n = 0;
      for (Loads loads : load_cases(rng)) {
        LoadCaseReserve fast;
        batch.reserve(loads, *scratch, &fast);
        loads.bypass = bypass_stress(loads.bearing, l.grid.diameter, plate.width);
        const LoadCaseReserve full = analyse_load_case(l.materials, l.plies, l.grid, plate, loads,
                                                       l.assessment, wants, *work, *problem)
                                         .reserve[0];
        for (int c = 0; c < 5; ++c) {
          const CriterionReserve &want = full.criterion[c], &got = fast.criterion[c];
          ASSERT_NEAR(want.factor, got.factor, 1e-9 * want.factor)
              << "case " << n << " criterion " << c << " width " << plate.width;
          EXPECT_EQ(want.station, got.station) << "case " << n << " criterion " << c;
          EXPECT_EQ(want.ply, got.ply) << "case " << n << " criterion " << c;
          EXPECT_EQ(want.component, got.component) << "case " << n << " criterion " << c;
        }
        ASSERT_EQ(full.smallest, fast.smallest) << "case " << n;
        EXPECT_NEAR(full.margin, fast.margin, 1e-9) << "case " << n;
        EXPECT_NEAR(fast.criterion[fast.smallest].factor / 1.5 - 1.0, fast.margin, 1e-12);
        ++n;
      }
    }
  }
}

// Catches a finite-width factor left out of a far-field piece or taken from another direction:
// on an orthotropic laminate a single open-hole piece's whole field scales with its own factor,
// so the reserve factors of every criterion scale by its inverse.
TEST(ReserveSuperposition, TanFactorOfEachDirection) {
  const Laminate l = carbon({0, 0, 45, -45});
  const Plate plate{1.0, WidthCorrection::kTan};
  const ReserveSuperposition plain(l.materials, l.plies, l.grid, {1.0, WidthCorrection::kNone},
                                   l.assessment);
  const ReserveSuperposition corrected(l.materials, l.plies, l.grid, plate, l.assessment);
  auto s1 = plain.scratch(), s2 = corrected.scratch();
  for (const Loads& loads : {Loads{12000, 0, 0, 20, 0, 0, 0}, Loads{0, -9000, 0, 35, 0, 0, 0}}) {
    const OpenHoleScale k = tan_correction(l.materials, l.plies, loads, 0.25, 1.0);
    const double factor = loads.px != 0.0 ? k.px : k.py;
    ASSERT_GT(factor, 1.01);
    LoadCaseReserve a, b;
    plain.reserve(loads, *s1, &a);
    corrected.reserve(loads, *s2, &b);
    for (int c = 0; c < 5; ++c) {
      // Tsai-Wu and Hoffman have linear terms: only the three homogeneous criteria scale.
      if (c >= 3) continue;
      EXPECT_NEAR(a.criterion[c].factor / factor, b.criterion[c].factor,
                  1e-12 * a.criterion[c].factor)
          << "criterion " << c << " px " << loads.px;
    }
  }
}

bool same_reserve(const LoadCaseReserve& a, const LoadCaseReserve& b) {
  for (int c = 0; c < kMaxCriteria; ++c) {
    const CriterionReserve &x = a.criterion[c], &y = b.criterion[c];
    if (std::memcmp(&x.factor, &y.factor, sizeof(double)) != 0 || x.station != y.station ||
        x.ply != y.ply || x.component != y.component) {
      return false;
    }
  }
  return a.smallest == b.smallest && std::memcmp(&a.margin, &b.margin, sizeof(double)) == 0;
}

// Catches a half of the shear given the other half's finite-width factor: shear pxy at an
// off-axis angle is tension along +45 degrees and compression along -45, so on a plate with
// Tan's correction it must give the factors of px = pxy, py = -pxy at 45 degrees more, with each
// direction's own factor. An unbalanced laminate, whose concentrations differ along +45 and -45.
TEST(ReserveSuperposition, ShearAsTensionAndCompression) {
  const Laminate l = carbon({45, 45, 0});
  const Plate plate{0.5, WidthCorrection::kTan};
  const ReserveSuperposition batch(l.materials, l.plies, l.grid, plate, l.assessment);
  auto scratch = batch.scratch();
  auto work = std::make_unique<LoadCaseWork>();
  auto problem = std::make_unique<Problem>();
  LoadCaseWants wants;
  wants.reserve = true;
  for (double off_axis : {10.0, -25.0}) {
    const Loads shear{0, 0, 6000, off_axis, 0, 0, 0};
    const Loads pair{6000, -6000, 0, off_axis + 45.0, 0, 0, 0};
    const OpenHoleScale k = tan_correction(l.materials, l.plies, shear, 0.25, 0.5);
    ASSERT_GT(std::fabs(k.pxy_tension - k.pxy_compression), 0.02);  // the directions differ
    LoadCaseReserve fast_shear, fast_pair;
    batch.reserve(shear, *scratch, &fast_shear);
    batch.reserve(pair, *scratch, &fast_pair);
    const LoadCaseReserve full = analyse_load_case(l.materials, l.plies, l.grid, plate, pair,
                                                   l.assessment, wants, *work, *problem)
                                     .reserve[0];
    for (int c = 0; c < 5; ++c) {
      const double want = full.criterion[c].factor;
      EXPECT_NEAR(want, fast_pair.criterion[c].factor, 1e-9 * want) << c << " " << off_axis;
      // The concentration along -45 and along +135 degrees: the same to the root finder's
      // tolerance (the characteristic roots are found anew for each direction).
      EXPECT_NEAR(want, fast_shear.criterion[c].factor, 1e-6 * want) << c << " " << off_axis;
    }
  }
}

// Catches results that depend on the company a load case keeps: the same bits for every case
// worked out in a block of many (with more bolt angles than the cache holds, so that fields give
// way while blocks wait for them, cases without bearing in between, and bolt angles a hair apart)
// as worked out alone, from a fresh start.
TEST(ReserveSuperposition, BlocksAsAlone) {
  std::mt19937 rng(5);
  const Laminate l = carbon({0, 45, -45, 90});
  const ReserveSuperposition batch(l.materials, l.plies, l.grid, {1.0, WidthCorrection::kNone},
                                   l.assessment);
  std::vector<Loads> loads;
  for (int i = 0; i < 300; ++i) {
    Loads r = random_loads(rng, i % 5 != 0);
    r.bolt_angle = 7.5 * (i * 7 % 37);  // 37 angles, in an order that revisits them
    // ... and some a ten-millionth of a degree apart, which must not share a bolt field.
    if (i % 11 == 3) r.bolt_angle = 60.0 + 1e-7 * (i % 4);
    loads.push_back(r);
  }
  std::vector<LoadCaseReserve> block(loads.size());
  auto scratch = batch.scratch();
  batch.reserve(loads.data(), loads.size(), *scratch, block.data());
  for (std::size_t i = 0; i < loads.size(); ++i) {
    LoadCaseReserve alone;
    batch.reserve(loads[i], *batch.scratch(), &alone);
    EXPECT_TRUE(same_reserve(alone, block[i])) << "case " << i;
  }
}

// Catches one characteristic distance given another's unit values or bolt field, or the
// distances' results out of place: several distances (the blocks of the SIMD kernel, one pass per
// distance), a characteristic curve (stations that turn, point by point), each by point and
// average stress, against the full analysis of each load case, entry by entry; and the strip
// model, running on (bearing and bypass) or ending ahead of the hole (bearing alone).
TEST(ReserveSuperposition, EachDistanceAgreesWithFullAnalysis) {
  std::mt19937 rng(11);
  auto work = std::make_unique<LoadCaseWork>();
  auto problem = std::make_unique<Problem>();
  LoadCaseWants wants;
  wants.reserve = true;
  Laminate l = carbon({0, 45, -45, 90});
  const std::vector<std::vector<CharacteristicDistance>> forms = {
      {{0.02, 0.02}, {0.05, 0.05}, {0.09, 0.09}}, {{0.04, 0.09}, {0.03, 0.03}}};
  Plate strip_plate{1.0, WidthCorrection::kNone};
  strip_plate.model = HoleModel::kStrip;
  Plate end_plate = strip_plate;  // a strip that ends half an inch ahead of the hole
  end_plate.edge_distance = 0.5;
  for (const auto& distances : forms) {
    for (StrengthMethod method : {StrengthMethod::kPointStress, StrengthMethod::kAverageStress}) {
      l.assessment.distances = distances;
      l.assessment.method = method;
      for (const Plate& plate : {Plate{1.0, WidthCorrection::kTan}, strip_plate, end_plate}) {
        const ReserveSuperposition batch(l.materials, l.plies, l.grid, plate, l.assessment);
        auto scratch = batch.scratch();
        std::vector<Loads> cases;
        for (Loads loads : load_cases(rng)) {
          // In the strip: the bearing, and a bypass where the strip runs on.
          if (plate.strip()) {
            const double bypass = plate.edge_distance > 0.0 ? 0.0 : loads.px;
            loads = Loads{0, 0, 0, 0, loads.bearing, 0, bypass};
          }
          cases.push_back(loads);
        }
        const std::size_t nd = distances.size();
        std::vector<LoadCaseReserve> fast(cases.size() * nd);
        batch.reserve(cases.data(), cases.size(), *scratch, fast.data());
        for (std::size_t i = 0; i < cases.size(); ++i) {
          Loads loads = cases[i];
          if (!plate.strip()) loads.bypass = bypass_stress(loads.bearing, l.grid.diameter, 1.0);
          const LoadCaseAnalysis a = analyse_load_case(l.materials, l.plies, l.grid, plate, loads,
                                                       l.assessment, wants, *work, *problem);
          for (std::size_t e = 0; e < nd; ++e) {
            const LoadCaseReserve &full = a.reserve[e], &got = fast[i * nd + e];
            for (int c = 0; c < 5; ++c) {
              const double want = full.criterion[c].factor;
              if (!std::isfinite(want)) {
                EXPECT_EQ(std::isnan(want), std::isnan(got.criterion[c].factor));
                continue;
              }
              ASSERT_NEAR(want, got.criterion[c].factor, 1e-9 * want)
                  << "case " << i << " distance " << e << " criterion " << c << " strip "
                  << plate.strip() << " method " << static_cast<int>(method);
              EXPECT_EQ(full.criterion[c].station, got.criterion[c].station);
              EXPECT_EQ(full.criterion[c].ply, got.criterion[c].ply);
            }
            EXPECT_EQ(full.smallest, got.smallest);
          }
        }
      }
    }
  }
}

// Catches angles of a turn or more taken into the trigonometry or the bolt-field cache as they
// are: a bolt angle of 1e15 to 1e20 degrees (each 280 modulo 360 in double) gives the factors of
// 280 exactly, as does an off-axis angle of 360 + 40 those of 40, and -720 those of -0.
TEST(ReserveSuperposition, AnglesReducedModulo360) {
  const Laminate l = carbon({0, 45, -45, 90});
  const ReserveSuperposition batch(l.materials, l.plies, l.grid, {1.0, WidthCorrection::kNone},
                                   l.assessment);
  auto scratch = batch.scratch();
  auto reserve_of = [&](Loads loads) {
    LoadCaseReserve r;
    batch.reserve(loads, *scratch, &r);
    return r;
  };
  const LoadCaseReserve at280 = reserve_of({5000, 0, 0, 0, 20000, 280, 0});
  for (double angle : {1e15, 1e16, 1e17, 1e18, 1e19, 1e20}) {
    EXPECT_TRUE(same_reserve(at280, reserve_of({5000, 0, 0, 0, 20000, angle, 0}))) << angle;
  }
  EXPECT_TRUE(same_reserve(reserve_of({5000, 2000, 1000, 40, 20000, 90, 0}),
                           reserve_of({5000, 2000, 1000, 400, 20000, 90 + 3600, 0})));
  EXPECT_TRUE(same_reserve(reserve_of({5000, 2000, 1000, -0.0, 0, 0, 0}),
                           reserve_of({5000, 2000, 1000, -720, 0, 0, 0})));
  // Below a turn nothing moves: 359.99 is not 359.99 - 360.
  EXPECT_FALSE(same_reserve(reserve_of({5000, 0, 0, 0, 20000, 359.99, 0}),
                            reserve_of({5000, 0, 0, 0, 20000, -0.01, 0})));
  // A job's load case analysed in full takes them alike.
  auto work = std::make_unique<LoadCaseWork>();
  auto problem = std::make_unique<Problem>();
  LoadCaseWants wants;
  wants.reserve = true;
  auto full_of = [&](Loads loads) {
    loads.bypass = bypass_stress(loads.bearing, l.grid.diameter, 1.0);
    return analyse_load_case(l.materials, l.plies, l.grid, {1.0, WidthCorrection::kNone}, loads,
                             l.assessment, wants, *work, *problem)
        .reserve[0];
  };
  const LoadCaseReserve full280 = full_of({5000, 0, 0, 0, 20000, 280, 0});
  for (double angle : {1e15, 1e20, 280.0 + 3600.0}) {
    EXPECT_TRUE(same_reserve(full280, full_of({5000, 0, 0, 0, 20000, angle, 0}))) << angle;
  }
  EXPECT_TRUE(same_reserve(full_of({5000, 2000, 1000, 40, 0, 0, 0}),
                           full_of({5000, 2000, 1000, 400, 0, 0, 0})));
}

// The failure load of case 10 in the dialogue: PX of the table after FAILURE STRESSES.
double dialogue_failure_px(int criterion, const Loads& r) {
  std::ostringstream in;
  in << "NO\n10/\n4 1\n20.0E6 1.4E6 0.7E6 0.3\n200E3 180E3 8E3 30E3 12E3\n0 45 -45 90\n"
     << "0.005 0.005 0.005 0.005\n"
     << r.px << " " << r.py << " " << r.pxy << " " << r.off_axis << " " << r.bearing << " "
     << r.bolt_angle << "\n"
     << (r.bearing != 0 ? "1.0\n" : "") << "0.25 15 0 360 0.05 2\n"
     << criterion << "\nNO\n";
  std::istringstream input(in.str());
  std::ostringstream out, err;
  EXPECT_EQ(0, run_dialogue(input, out, err));
  std::string text = out.str();
  size_t at = text.find("PX          PY");
  if (at == std::string::npos) return NAN;
  at = text.find("\r\n", at) + 2;
  return std::stod(text.substr(at, text.find("\r\n", at) - at));
}

// Catches reserve factors that do not give the failure load the dialogue's search converges on
// (within its window of 0.1 percent).
TEST(ReserveSuperposition, AgreesWithTheSearch) {
  std::mt19937 rng(11);
  Laminate l = carbon({0, 45, -45, 90});
  // The dialogue's allowables are the same for every criterion.
  l.assessment.allowables[0] = l.materials;
  const ReserveSuperposition batch(l.materials, l.plies, l.grid, {1.0, WidthCorrection::kNone},
                                   l.assessment);
  auto scratch = batch.scratch();
  for (int i = 0; i < 10; ++i) {
    Loads row = random_loads(rng, i % 2 == 0);
    row.px = std::abs(row.px) + 1000;  // a PX to compare
    LoadCaseReserve r;
    batch.reserve(row, *scratch, &r);
    for (int c = 1; c < 5; ++c) {
      double px = dialogue_failure_px(c + 1, row);
      EXPECT_NEAR(px, r.criterion[c].factor * row.px, 1.5e-3 * std::abs(px))
          << "criterion " << c + 1;
    }
  }
}

}  // namespace
}  // namespace hs
