// Runs a job: for each load case (and each layup of a carpet plot) the laminate, the field around
// the hole, the ply values and the reserve factors, handed one load case at a time to a sink
// that writes them out.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "analysis/analysis.hpp"
#include "analysis/carpet.hpp"
#include "job/job.hpp"

namespace hs {

constexpr int kMaxCriteria = 5;

// The reserve factors of one load case: one per criterion of the job (in its order), the
// smallest (index into the job's criteria, -1 when no criterion has a finite factor), and the
// margin of safety of the smallest, factor / factor_of_safety - 1.
struct Reserve {
  ReserveFactor factor[kMaxCriteria];
  int smallest = -1;
  double margin = 0.0;
};

// One load case of one laminate, as a sink sees it. The field and ply values are on the job's
// grid; the reserve factors are judged on the stations at the characteristic distance.
struct Evaluation {
  const LoadCase* load_case;
  const Problem* problem;  // the laminate, grid and loads of the field
  const MembraneCompliance* compliance;
  const LaminateField* field;
  const PlyField* plies;  // null when no ply results are wanted
  Grid reserve_grid;      // the stations of the reserve factors: step 1 at the distance
  Reserve reserve;
  int singular_systems;  // singular coefficient systems of the bolt solution (not meaningful)
  bool width_corrected;  // the open-hole pieces carry a finite-width correction:
  OpenHoleScale width_scale;
};

// Cautions on the results of a job: a plate narrower than 8 diameters without a finite-width
// correction, whose open-hole stresses are those of an infinite plate and so too low.
std::vector<std::string> job_warnings(const Job& job);

class ResultSink {
 public:
  virtual ~ResultSink() = default;
  // A laminate is about to be evaluated: the job's, or one layup of a carpet plot (layup null
  // outside a carpet plot). compliance is in the laminate axes.
  virtual void laminate(const PlyStack& plies, const Shares* layup,
                        const MembraneCompliance& c) = 0;
  virtual void load_case(const Evaluation& e) = 0;
  virtual void laminate_done() {}
};

// The work space of a job run, allocated once.
struct JobWork {
  Workspace field, reserve;
};

// Evaluates every laminate and load case of the job in order.
void evaluate_job(const Job& job, ResultSink& sink);
// Evaluates one load case of the job's laminate `plies` into work (the sink-free core, used by
// the batch and the Python module too).
Evaluation evaluate_load_case(const Job& job, const PlyStack& plies, const LoadCase& lc,
                              JobWork& work, Problem& problem);

}  // namespace hs
