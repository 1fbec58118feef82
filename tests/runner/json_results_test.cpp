// The job runner's JSON results, checked against values worked out by hand.
#include "runner/json_results.hpp"

#include <gtest/gtest.h>

#include <cmath>

#include "parsed_results.hpp"

namespace hs {
namespace {

// An aluminium plate (one isotropic "ply") with a quarter-inch open hole under 10 ksi along x.
Job aluminium_open_hole() {
  Job job;
  job.title = "aluminium open hole";
  job.resize_materials(1);
  job.materials.elastic[0] = {10.0e6, 10.0e6, 10.0e6 / 2.6, 0.3};
  job.materials.allowables[0] = {40000, 40000, 40000, 40000, 40000};
  job.material_names[0] = "aluminium";
  job.has_allowables[0] = true;
  job.plies.resize(1);
  job.plies.thickness[0] = 0.1;
  job.grid = {0.25, 15, 0, 90, 0.05, 2};
  job.load_cases.push_back({"LC1", Loads{10000, 0, 0, 0, 0, 0, 0}});
  job.criteria = {Criterion::kMaxStress, Criterion::kTsaiHill};
  job.distances = {{0.05, 0.05}};
  job.factor_of_safety = 1.5;
  for (ResultKind k : {ResultKind::kProperties, ResultKind::kPolar, ResultKind::kReserve}) {
    job.results[static_cast<int>(k)] = true;
  }
  return job;
}

// Catches a laminate property, a station, a hoop stress (Kirsch), a reserve factor or a margin
// that the JSON results get wrong or put under another name.
TEST(JsonResults, AluminiumOpenHoleByHand) {
  Json doc = parsed_results(aluminium_open_hole());
  const Json& lam = doc["laminate"];
  EXPECT_NEAR(10.0e6, lam["EX"].get<double>(), 1e-3);
  EXPECT_NEAR(0.3, lam["VXY"].get<double>(), 1e-12);
  EXPECT_NEAR(1.0 / 10.0e6, lam["compliance"][0][0].get<double>(), 1e-20);
  EXPECT_EQ("psi", doc["units"]["stress"]);

  const Json& lc = doc["load_cases"][0];
  ASSERT_EQ(14u, lc["stations"]["angle"].size());  // 7 angles at 2 distances
  EXPECT_EQ(90.0, lc["stations"]["angle"][6].get<double>());
  EXPECT_EQ(0.05, lc["stations"]["distance"][7].get<double>());
  // Kirsch: hoop stress on the edge 3 S at 90 degrees and -S at 0; at radius r on the 90-degree
  // ray S (1 + a^2 / 2r^2 + 3 a^4 / 2r^4).
  const Json& hoop = lc["polar"]["hoop_stress"];
  EXPECT_NEAR(30000.0, hoop[6].get<double>(), 0.5);
  EXPECT_NEAR(-10000.0, hoop[0].get<double>(), 0.5);
  const double a = 0.125, r = 0.175;
  const double kirsch =
      10000 * (1 + a * a / (2 * r * r) + 3 * std::pow(a, 4) / (2 * std::pow(r, 4)));
  EXPECT_NEAR(kirsch, hoop[13].get<double>(), 0.5);

  // Maximum stress: the hoop stress at 90 degrees, 0.05 from the edge, reaches 40 ksi first.
  const Json& reserve = lc["reserve"];
  const Json& ms = reserve["criteria"]["max-stress"];
  EXPECT_NEAR(40000.0 / kirsch, ms["factor"].get<double>(), 1e-4);
  EXPECT_EQ(90.0, ms["angle"].get<double>());
  EXPECT_EQ("fibre", ms["component"]);
  // Tsai-Hill with equal allowables there: (s1^2 - s1 s2 + s2^2) / X^2 = 1.
  const double s1 = kirsch,
               s2 = 10000 * (1.5 * a * a / (r * r) - 1.5 * std::pow(a, 4) / std::pow(r, 4));
  const double th = 40000.0 / std::sqrt(s1 * s1 - s1 * s2 + s2 * s2);
  EXPECT_NEAR(th, reserve["criteria"]["tsai-hill"]["factor"].get<double>(), 1e-4);
  // The radial stress there eases Tsai-Hill: maximum stress governs.
  EXPECT_EQ("max-stress", reserve["smallest"]["criterion"]);
  EXPECT_NEAR(40000.0 / kirsch / 1.5 - 1.0, reserve["margin_of_safety"].get<double>(), 1e-4);
}

// Catches a load case without loads that reports a factor instead of saying there is none, and
// non-finite numbers written where JSON has none.
TEST(JsonResults, NoFiniteFactor) {
  Job job = aluminium_open_hole();
  job.load_cases[0].loads = Loads{};
  Json doc = parsed_results(job);
  const Json& r = doc["load_cases"][0]["reserve"];
  EXPECT_TRUE(r["criteria"]["max-stress"]["factor"].is_null());
  EXPECT_TRUE(r["smallest"].is_null());
  EXPECT_TRUE(r["margin_of_safety"].is_null());
  EXPECT_NO_THROW(doc.dump());
}

// Catches a finite-width correction that is not applied, applied to the wrong pieces, or not
// stated; and a narrow plate without a correction that gives no warning.
TEST(JsonResults, FiniteWidthCorrection) {
  Job job = aluminium_open_hole();
  job.plate.width = 1.0;  // W/D = 4
  Json plain = parsed_results(job);
  ASSERT_EQ(1u, plain["warnings"].size());
  EXPECT_NE(std::string::npos, plain["warnings"][0].get<std::string>().find("W/D below 8"));
  EXPECT_FALSE(plain["load_cases"][0].contains("finite_width_correction"));

  job.plate.width_correction = WidthCorrection::kTan;
  Json corrected = parsed_results(job);
  EXPECT_TRUE(corrected["warnings"].empty());
  // Isotropic: Heywood's (2 + (1 - D/W)^3) / (3 (1 - D/W)) on the edge hoop stress 3 S.
  const double heywood = (2 + std::pow(0.75, 3)) / (3 * 0.75);
  const Json& c = corrected["load_cases"][0];
  EXPECT_NEAR(heywood, c["finite_width_correction"]["factors"]["px"].get<double>(), 1e-6);
  EXPECT_NEAR(30000.0 * heywood, c["polar"]["hoop_stress"][6].get<double>(), 1.0);
}

}  // namespace
}  // namespace hs
