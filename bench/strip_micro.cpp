// Microbenchmark of the strip model: one solution (both unit loads, bearing and bypass) of a hole
// in a strip, as a batch of load cases needs once per laminate and geometry; and the evaluation of
// both unit fields at one station. Part of holestress_micro (bench/run.sh --micro).
#include <benchmark/benchmark.h>

#include <cmath>

#include "hole/strip_hole.hpp"
#include "laminate/membrane_compliance.hpp"

namespace {

// Carbon/epoxy plies 0.005 thick (E1 = 20e6, E2 = 1.4e6, G12 = 0.7e6, nu12 = 0.3 psi).
hs::Mat3 carbon(std::initializer_list<double> angles) {
  hs::Materials m;
  m.resize(1);
  m.elastic[0] = {20.0e6, 1.4e6, 0.7e6, 0.3};
  hs::PlyStack plies;
  plies.resize(static_cast<int>(angles.size()));
  int p = 0;
  for (double a : angles) {
    plies.angle[p] = a;
    plies.thickness[p] = 0.005;
    plies.material[p] = 0;
    ++p;
  }
  return hs::membrane_compliance(m, plies, 0.0).compliance.laminate_axes;
}

// Argument 0: quasi-isotropic [0/45/-45/90], W/D = 4, a long strip (bearing and bypass);
// 1: [0/0/45/-45], W/D = 4, e/D = 2 (bearing only); 2: the unbalanced [0/0/45], W/D = 4, a long
// strip, not symmetric about the strip's axis (the whole boundary and every column in the fit).
void BM_StripSolve(benchmark::State& state) {
  const int which = static_cast<int>(state.range(0));
  const hs::Mat3 a = which == 0   ? carbon({0, 45, -45, 90})
                     : which == 1 ? carbon({0, 0, 45, -45})
                                  : carbon({0, 0, 45});
  const hs::StripGeometry g{4.0, 1.0, which == 1 ? 2.0 : 0.0};
  for (auto _ : state) {
    hs::StripSolution s = hs::solve_strip_hole(a, g);
    benchmark::DoNotOptimize(s.peak_hoop);
  }
}
BENCHMARK(BM_StripSolve)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

// Both unit fields, stresses and displacements, at stations round the hole.
void BM_StripStation(benchmark::State& state) {
  const hs::StripSolution s = hs::solve_strip_hole(carbon({0, 45, -45, 90}), {4.0, 1.0, 0.0});
  int k = 0;
  for (auto _ : state) {
    hs::StripUnitValues v;
    double t = 0.0872664626 * (k++ % 72);
    hs::strip_unit_values(s, 0.6 * std::cos(t), 0.6 * std::sin(t), true, v);
    benchmark::DoNotOptimize(v);
  }
}
BENCHMARK(BM_StripStation);

}  // namespace
