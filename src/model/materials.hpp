// The unidirectional materials of the plies: elastic constants and allowables.
#pragma once

#include <vector>

namespace hs {

// Elastic constants of a unidirectional ply, in the stress units typed.
struct ElasticConstants {
  double E1;    // modulus along the fibres
  double E2;    // modulus across the fibres
  double G12;   // in-plane shear modulus
  double NU12;  // major Poisson's ratio
};

// Allowables of a unidirectional ply. The compression allowables are positive magnitudes. For
// the maximum-strain criterion they are strain allowables.
struct Allowables {
  double T1;   // tension along the fibres
  double C1;   // compression along the fibres
  double T2;   // tension across the fibres
  double C2;   // compression across the fibres
  double S12;  // in-plane shear
};

// The ply failure criteria, numbered as the dialogue offers them.
enum class Criterion : int {
  kMaxStrain = 1,
  kMaxStress = 2,
  kTsaiHill = 3,
  kTsaiWu = 4,  // modified Tsai-Wu: no interaction term
  kHoffman = 5,
};

// Criteria 1 and 2 give three failure numbers (fibre, transverse, shear); 3 to 5 one failure
// number and three failure ratios.
inline bool has_three_numbers(Criterion c) {
  return static_cast<int>(c) <= 2;
}

// The first `count` entries of each list are the materials (as for PlyStack).
struct Materials {
  int count = 0;
  std::vector<ElasticConstants> elastic;
  std::vector<Allowables> allowables;

  void resize(int n) {
    count = n;
    elastic.resize(n);
    allowables.resize(n);
  }
};

}  // namespace hs
