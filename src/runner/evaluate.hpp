// Runs a job: for each layup (one, or the 66 of a carpet plot) and each load case, the analysis of
// the load case, handed one at a time to a sink that writes it out.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "analysis/carpet.hpp"
#include "analysis/load_case.hpp"
#include "job/job.hpp"

namespace hs {

// One load case of one laminate, as a sink sees it.
struct Evaluation : LoadCaseAnalysis {
  const LoadCase* load_case;
};

// Cautions on the results of a job: a plate narrower than 8 diameters without a finite-width
// correction, whose open-hole stresses are those of an infinite plate and so too low; a laminate
// without a field; in the strip model, a solution whose residual tractions exceed
// kStripResidualWarning percent of its peak hoop stress, or that has no solution at all (each
// laminate of a carpet plot solved to see).
std::vector<std::string> job_warnings(const Job& job);

// The strip model's cautions on one solution, its laminate named by `which` ("" for the job's
// own, else the layup).
void strip_warnings(const StripSolution& s, const std::string& which,
                    std::vector<std::string>& out);

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

// What of each load case the job's results need.
LoadCaseWants load_case_wants(const Job& job);

// Evaluates every laminate and load case of the job in order.
void evaluate_job(const Job& job, ResultSink& sink);
// Evaluates one load case of the job's laminate `plies` into work.
Evaluation evaluate_load_case(const Job& job, const PlyStack& plies, const LoadCase& lc,
                              LoadCaseWork& work, Problem& problem);

}  // namespace hs
