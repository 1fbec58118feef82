// Microbenchmarks of the hot units: field rendering, the two hole solutions over a full grid, the
// root finder on the characteristic quartic and the reserve factors of a batch of load cases. Run
// by hand (bench/run.sh --micro).
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <random>
#include <sstream>
#include <vector>

#include "analysis/superposition.hpp"
#include "hole/bolt_hole.hpp"
#include "hole/open_hole.hpp"
#include "io/console.hpp"
#include "io/edit_descriptors.hpp"
#include "laminate/membrane_compliance.hpp"
#include "model/limits.hpp"
#include "numeric/polynomial_roots.hpp"

namespace {

struct Field {
  int w, d;
  double v;
};

// Fields as the tables print them: distances, angles, stresses in psi, strains and
// displacements, a share of them negative, a few past the field width.
std::vector<Field> fixed_fields() {
  std::mt19937_64 rng(12345);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  auto sign = [&] { return unit(rng) < 0.4 ? -1.0 : 1.0; };
  std::vector<Field> f;
  for (int k = 0; k < 4096; ++k) {
    f.push_back({6, 3, 0.02 * (k % 7)});
    f.push_back({8, 2, 5.0 * (k % 73)});
    f.push_back({11, 2, sign() * std::pow(10.0, 6.0 * unit(rng) - 1.0)});
    f.push_back({12, 2, sign() * std::pow(10.0, 5.0 * unit(rng))});
    f.push_back({12, 6, sign() * std::pow(10.0, 4.0 * unit(rng) - 6.0)});
    f.push_back({13, 6, sign() * std::pow(10.0, 3.0 * unit(rng) - 7.0)});
    f.push_back({10, 3, sign() * 2.0 * unit(rng)});
    f.push_back({8, 2, sign() * 45.0 * unit(rng)});
  }
  return f;
}

// Moduli and failure numbers: the values E9.3 and wider E fields print.
std::vector<Field> exp_fields() {
  std::mt19937_64 rng(54321);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  std::vector<Field> f;
  for (int k = 0; k < 4096; ++k) {
    f.push_back({9, 3, std::pow(10.0, 5.0 + 3.0 * unit(rng))});
    f.push_back({12, 5, (unit(rng) < 0.5 ? -1.0 : 1.0) * std::pow(10.0, 12.0 * unit(rng) - 6.0)});
  }
  return f;
}

void BM_EditF(benchmark::State& state) {
  std::vector<Field> fields = fixed_fields();
  char out[hs::kMaxFieldWidth];
  for (auto _ : state) {
    for (const Field& f : fields) {
      hs::format_fixed(out, f.w, f.d, f.v);
      benchmark::DoNotOptimize(out);
    }
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(fields.size()));
}
BENCHMARK(BM_EditF);

void BM_EditE(benchmark::State& state) {
  std::vector<Field> fields = exp_fields();
  char out[hs::kMaxFieldWidth];
  for (auto _ : state) {
    for (const Field& f : fields) {
      hs::format_exponent(out, f.w, f.d, f.v);
      benchmark::DoNotOptimize(out);
    }
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(fields.size()));
}
BENCHMARK(BM_EditE);

// A whole table row through the console: format lookup, record assembly, eight fields.
void BM_ConsoleRow(benchmark::State& state) {
  std::vector<Field> fields = fixed_fields();
  std::istringstream in;
  std::ostringstream sink;
  hs::Console con(in, sink, sink);
  size_t k = 0;
  for (auto _ : state) {
    con.write("(F6.3,F8.2,5F11.2,F8.2)",
              {fields[k].v, fields[k + 1].v, fields[k + 2].v, fields[k + 3].v, fields[k + 4].v,
               fields[k + 5].v, fields[k + 6].v, fields[k + 7].v});
    k = (k + 8) % fields.size();
    if (k == 0) sink.str("");
  }
  state.SetItemsProcessed(state.iterations() * 8);
}
BENCHMARK(BM_ConsoleRow);

// A 50/40/10 carbon/epoxy laminate on the full grid: 73 angles by 7 distance steps. (A
// quasi-isotropic one would put the two characteristic roots on top of each other.)
struct Setup {
  hs::Compliance compliance;
  hs::Grid grid{0.25, 5.0, 0.0, 360.0, 0.02, 7};

  Setup() {
    hs::Materials m;
    m.resize(1);
    m.elastic[0] = {20.0e6, 1.4e6, 0.8e6, 0.3};
    hs::PlyStack plies;
    plies.resize(4);
    const double angles[4] = {0.0, 45.0, -45.0, 90.0};
    const double thick[4] = {0.5, 0.2, 0.2, 0.1};
    for (int p = 0; p < 4; ++p) {
      plies.angle[p] = angles[p];
      plies.thickness[p] = thick[p];
    }
    compliance = hs::membrane_compliance(m, plies, 30.0).compliance;
  }
};

// The three outputs of a hole solution.
struct Field3 {
  hs::GridVector sig;
  hs::GridScalar u, v;
  hs::HoleSolutionCache cache;
};

// Stations per second. Argument 0: the same diameter every call, as in the repeats of a failure
// search, which reuse the load-independent part of each station; 1: two diameters in turn, so
// that every call works the whole field out, as for a new laminate.
void BM_BoltHole(benchmark::State& state) {
  Setup s;
  auto f = std::make_unique<Field3>();
  const double diameters[2] = {0.25, 0.25 + 0.25 * state.range(0)};
  int k = 0;
  for (auto _ : state) {
    s.grid.diameter = diameters[k ^= 1];
    hs::bolt_hole_field(s.grid, 20000.0, s.compliance.bolt_axes, 30.0, true, f->cache.bolt, f->sig,
                        f->u, f->v);
    benchmark::DoNotOptimize(f->sig);
  }
  state.SetItemsProcessed(state.iterations() * hs::kMaxStations * hs::kMaxSteps);
}
BENCHMARK(BM_BoltHole)->Arg(0)->Arg(1);

void BM_OpenHole(benchmark::State& state) {
  Setup s;
  auto f = std::make_unique<Field3>();
  const double diameters[2] = {0.25, 0.25 + 0.25 * state.range(0)};
  int k = 0;
  for (auto _ : state) {
    s.grid.diameter = diameters[k ^= 1];
    hs::open_hole_field(s.grid, 10000.0, s.compliance.laminate_axes, 15.0, true, f->cache.open,
                        f->sig, f->u, f->v);
    benchmark::DoNotOptimize(f->sig);
  }
  state.SetItemsProcessed(state.iterations() * hs::kMaxStations * hs::kMaxSteps);
}
BENCHMARK(BM_OpenHole)->Arg(0)->Arg(1);

// The characteristic quartic of the laminate, scaled as the hole solutions scale it.
void BM_RootsQuartic(benchmark::State& state) {
  Setup s;
  const hs::Mat3& A = s.compliance.laminate_axes;
  const double coef[5] = {A(2, 2) * 1e6, -2e6 * A(2, 3), (2.0 * A(1, 2) + A(3, 3)) * 1e6,
                          -2e6 * A(1, 3), A(1, 1) * 1e6};
  for (auto _ : state) {
    double work[5], zre[4], zim[4];
    benchmark::DoNotOptimize(hs::polynomial_roots(coef, 4, work, zre, zim));
    benchmark::DoNotOptimize(zre);
    benchmark::DoNotOptimize(zim);
  }
}
BENCHMARK(BM_RootsQuartic);

// Load cases per second through a ReserveSuperposition, without reading or writing: the batch
// benchmark's laminate and grid (bench/batch/job.toml: four plies, 73 stations), random loads
// with the bolt in one of eight directions. Argument: the criterion (1 to 5).
void BM_ReserveSuperposition(benchmark::State& state) {
  hs::Materials m;
  m.resize(1);
  m.elastic[0] = {20.0e6, 1.4e6, 0.7e6, 0.3};
  m.allowables[0] = {200e3, 180e3, 8e3, 30e3, 12e3};
  hs::PlyStack plies;
  plies.resize(4);
  const double angles[4] = {0.0, 45.0, -45.0, 90.0};
  for (int p = 0; p < 4; ++p) {
    plies.angle[p] = angles[p];
    plies.thickness[p] = 0.005;
  }
  hs::FailureAssessment assessment;
  assessment.criteria = {static_cast<hs::Criterion>(state.range(0))};
  assessment.allowables = {m};
  assessment.distances = {{0.05, 0.05}};
  const hs::ReserveSuperposition batch(m, plies, {0.25, 5.0, 0.0, 360.0, 0.05, 2},
                                       {1.0, hs::WidthCorrection::kNone}, assessment);
  auto scratch = batch.scratch();
  std::mt19937_64 rng(1);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  std::vector<hs::Loads> loads(4096);
  for (hs::Loads& l : loads) {
    l = {40000 * unit(rng) - 20000,
         40000 * unit(rng) - 20000,
         20000 * unit(rng) - 10000,
         90 * unit(rng),
         40000 * unit(rng),
         45.0 * static_cast<int>(8 * unit(rng)),
         0};
  }
  std::vector<hs::LoadCaseReserve> out(loads.size());
  for (auto _ : state) {
    batch.reserve(loads.data(), loads.size(), *scratch, out.data());
    benchmark::DoNotOptimize(out.data());
  }
  state.SetItemsProcessed(state.iterations() * static_cast<long>(loads.size()));
}
BENCHMARK(BM_ReserveSuperposition)->DenseRange(1, 5);

}  // namespace

BENCHMARK_MAIN();
