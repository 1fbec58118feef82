// The analysis of one laminate with a hole, as every front end runs it: the compliance, then the
// stages a selection of results needs (field around the hole, ply values, failure numbers), and
// with the failure search the repetitions that scale the loads to the first-ply failure load.
//
// It prints nothing: a listener is told each result as it is found, in the order of the chain,
// and decides what to show.
#pragma once

#include "analysis/stages.hpp"
#include "hole/hole_field.hpp"
#include "hole/solution_cache.hpp"
#include "hole/strip_hole.hpp"
#include "laminate/membrane_compliance.hpp"
#include "model/fields.hpp"
#include "model/problem.hpp"
#include "ply/failure_criteria.hpp"

namespace hs {

// The failure search judges failure at this distance step (0-based): one step from the edge.
constexpr int kFailureStep = 1;

// The results of each stage and the hole solutions' cached work. Large: allocate it once and
// reuse it from analysis to analysis.
struct Workspace {
  MembraneCompliance laminate;  // the compliance in the laminate and bolt axes
  LaminateField field;
  PlyField plies;
  HoleSolutionCache cache;
};

class AnalysisListener {
 public:
  virtual ~AnalysisListener() = default;
  virtual void compliance_found(const MembraneCompliance&) {}
  // Repetition 1 holds the loads as given; later ones are repeats of the failure search, whose
  // loads problem.loads then holds. singular_systems counts the singular coefficient systems of
  // the bolt solution.
  virtual void field_found(int /*iteration*/, const Problem&, const LaminateField&,
                           int /*singular_systems*/) {}
  virtual void ply_values_found(int /*iteration*/, const Problem&, const PlyField&) {}
  // The failure numbers are evaluated; at_failure: the failure search has converged on these
  // loads (the governing failure number within 0.1 percent of 1).
  virtual void failure_evaluated(int /*iteration*/, const Problem&, const PlyField&,
                                 const Governing&, bool /*at_failure*/) {}
  // The failure search ends without a failure load.
  virtual void search_stopped() {}
};

enum class SearchOutcome { kNotRun, kFound, kStopped };

// Which solution gives the field around the hole: by default the dialogue's, the infinite plate
// with the bolt's series of 45 terms.
struct FieldModel {
  const OpenHoleScale* scale = nullptr;    // corrects the open-hole pieces for a finite width
  BoltSeries series = BoltSeries::legacy;  // how the infinite plate's bolt series is summed
  // The strip model instead of the infinite plate: the field of the loads' bearing and bypass
  // (their other loads must be 0) from this solution, of the laminate-axes compliance.
  const StripSolution* strip = nullptr;
};

// Runs the analysis. With the failure search the loads of `problem` end at the failure load.
SearchOutcome analyse(Problem& problem, const Stages& stages, Workspace& work,
                      AnalysisListener& listener, const FieldModel& model = {});

}  // namespace hs
