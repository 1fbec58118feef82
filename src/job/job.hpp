// A job: a laminate with a hole, its load cases and the results wanted, as read from a job file.
//
// All values are in the job's own units (stresses and moduli in one stress unit, lengths in one
// length unit, angles in degrees); the analysis needs no conversion, and the units label the
// results.
#pragma once

#include <string>
#include <vector>

#include "job/joint_input.hpp"
#include "model/assessment.hpp"
#include "model/grid.hpp"
#include "model/loads.hpp"
#include "model/materials.hpp"
#include "model/output_cases.hpp"
#include "model/plate.hpp"
#include "model/ply_stack.hpp"

namespace hs {

// The kinds of result a job can ask for, in the order the tables print.
enum class ResultKind : int {
  kProperties,
  kStresses,
  kStrains,
  kPolar,
  kDisplacements,
  kPlyStrains,
  kPlyStresses,
  kFailure,
  kReserve,
};
constexpr int kResultKinds = 9;
// The names used in job files: "properties", "stresses", ..., "ply-strains", "reserve".
const char* result_name(ResultKind kind);
// The dialogue's output case that prints a kind of result (the reserve factors: the automatic
// search for the failure load).
OutputCase dialogue_case(ResultKind kind);

// Criterion names used in job files: "max-strain", "max-stress", "tsai-hill", "tsai-wu",
// "hoffman".
const char* criterion_name(Criterion c);

// The names of job files for the methods ("point", "average") and the averages' rules
// ("gauss-legendre", "simpson").
const char* method_name(StrengthMethod m);
const char* average_rule_name(Quadrature q);

struct LoadCase {
  std::string name;
  Loads loads;  // bypass from the bearing stress and the plate width
};

struct Job {
  std::string path;  // the job file, for messages and relative file names
  std::string title;
  std::string stress_unit = "psi";  // psi, ksi, Pa, kPa, MPa, GPa
  std::string length_unit = "in";   // in, mm, m

  // Per material, in file order: the constants and strengths, the name, whether allowables are
  // given, and strain allowables for the maximum-strain criterion when given (strain_T1, ...;
  // otherwise that criterion takes the strengths over the moduli). resize_materials() sizes all.
  Materials materials;  // allowables: strengths (stresses)
  std::vector<std::string> material_names;
  std::vector<bool> has_allowables;
  std::vector<Allowables> strain_allowables;
  std::vector<bool> has_strain_allowables;
  // Where each material came from: "" for the job file itself, else its materials_file.
  std::vector<std::string> material_sources;
  // Given by the isotropic shorthand E and nu (E1 = E2 = E, G12 = E / 2(1 + nu), nu12 = nu).
  std::vector<bool> isotropic;
  std::string materials_file;  // as written in the job, "" when none
  PlyStack plies;
  std::string layup;  // the stacking notation the plies were expanded from, "" for [[plies]]

  void resize_materials(int n) {
    materials.resize(n);
    material_names.resize(n);
    has_allowables.resize(n);
    strain_allowables.resize(n);
    has_strain_allowables.resize(n);
    material_sources.resize(n);
    isotropic.resize(n);
  }

  Plate plate;
  Grid grid{};  // grid.diameter is the hole diameter

  std::vector<LoadCase> load_cases;
  std::string load_cases_file;  // a CSV file of load cases instead (relative to the job file)

  std::vector<Criterion> criteria;
  // How failure is judged for the reserve factors (FailureAssessment): the characteristic
  // distances from the hole edge, one or more (failure.distance, or distance_tension and
  // distance_compression), whether they were given as a list (the results then give a list of
  // reserve entries, one per distance), and the point- or average-stress method.
  std::vector<CharacteristicDistance> distances = {CharacteristicDistance{}};
  bool distance_list = false;
  StrengthMethod method = StrengthMethod::kPointStress;
  Quadrature average_rule = Quadrature::kGaussLegendre;
  int average_points = kDefaultAveragePoints;
  double factor_of_safety = 1.0;

  bool results[kResultKinds] = {};
  bool carpet = false;  // the 66 layups of the first four plies

  // A joint job ([joint]): its plates, rows and load; then plies, hole and load_cases are not
  // given, plate.model is the holes' model and grid is the stations round every hole.
  JointInput joint;

  bool wants(ResultKind k) const { return results[static_cast<int>(k)]; }
  // Some kind of result from `from` to `to` (in the order of ResultKind) is wanted.
  bool wants_any(ResultKind from, ResultKind to) const {
    for (int k = static_cast<int>(from); k <= static_cast<int>(to); ++k) {
      if (results[k]) return true;
    }
    return false;
  }
};

// One mistake in a job file, located by line and column (from 1; 0 when unknown).
struct JobError {
  std::string file;
  int line = 0, column = 0;
  std::string key;  // dotted path of the key, e.g. "plies[2].material"
  std::string message;
};
// The materials with the allowables a criterion compares: the strengths, or for maximum strain
// the strain allowables (given, or the strengths over the moduli: T1/E1, C1/E1, T2/E2, C2/E2,
// S12/G12).
Materials materials_for(const Job& job, Criterion criterion);

// How the job judges failure for its reserve factors: its criteria, each with materials_for it,
// the characteristic distances and method, and the factor of safety.
FailureAssessment failure_assessment(const Job& job);

// The reserve factors are those of one characteristic distance by the point-stress method, as
// `distance = D` alone gives them: the results keep the form they had before the other methods
// and distances (one reserve entry, the distance once, no method). Otherwise they say the method
// and, per criterion, the distance from the edge at the station where the factor is reached.
bool plain_reserve(const Job& job);

// The stations round every hole of a joint job that gives no [grid]: every 2 degrees all round,
// at the edge and at the characteristic distance's farthest reach (a tenth of the diameter when
// that is 0), for the job's (smallest) diameter, grid.diameter.
Grid joint_default_grid(const Job& job);

// "FILE:LINE:COLUMN: KEY: MESSAGE"
std::string to_string(const JobError& e);

}  // namespace hs
