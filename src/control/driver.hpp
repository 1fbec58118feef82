// The program: passes of the input dialogue, each followed by the analysis the selected output
// cases need (or the carpet plot over 66 layups), until the answer NO to the continue question.
#pragma once

#include <iosfwd>

#include "control/console.hpp"
#include "control/state.hpp"

namespace hs {

// Told about each analysis as it completes, with the state it left (used by companions that
// draw the results; the program itself runs without one).
class AnalysisObserver {
 public:
  virtual ~AnalysisObserver() = default;
  // A pass of the dialogue has read all its inputs; carpet is set for a carpet plot.
  virtual void pass_begun(const State& st, double width, bool carpet) = 0;
  // One analysis (one layup of a carpet plot) has finished; the shares are those of the layup
  // (-1 outside a carpet plot) and converged tells whether a failure search found its load.
  virtual void analysed(const State& st, int s0, int s45, int s90, bool converged) = 0;
  // A failure search has evaluated the loads as typed (the state from which cases 3 to 9
  // print); it goes on to the failure load, which analysed() then sees.
  virtual void typed_loads_evaluated(const State&) {}
};

// Runs the dialogue on the console until NO (returns 0) or an unreadable input (returns 2).
int MAIN(State& st, Console& con, AnalysisObserver* observer = nullptr);

// The whole run on the given streams; returns the exit status. With silent set nothing is
// written to out (diagnostics still go to err).
int run(std::istream& in, std::ostream& out, std::ostream& err,
        AnalysisObserver* observer = nullptr, bool silent = false);

}  // namespace hs
