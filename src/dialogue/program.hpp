// The dialogue program: passes of the input dialogue, each followed by the analysis the selected
// output cases need (or the carpet plot over 66 layups) and its tables, until the answer NO to the
// continue question.
#pragma once

#include <iosfwd>

#include "analysis/analysis.hpp"
#include "analysis/carpet.hpp"
#include "dialogue/pass.hpp"

namespace hs {

// Told about the run as it goes, beside the tables (companions that draw the results use it).
// It hears every event of the analyses as an AnalysisListener, and these:
class DialogueWatcher : public AnalysisListener {
 public:
  // A pass of the dialogue has read all its inputs; carpet is set for a carpet plot.
  virtual void pass_begun(const DialogueState&, bool /*carpet*/) {}
  // One analysis (one layup of a carpet plot) has ended; the shares are those of the layup, all
  // -1 outside a carpet plot.
  virtual void analysed(const Problem&, const Workspace&, const Shares&, SearchOutcome) {}
};

// The whole run on the given streams; returns the exit status: 0 after NO to the continue
// question, 2 after an unreadable input (its diagnostic on err). With silent set nothing is
// written to out. With interactive set (standard input is a terminal) an unreadable value is
// typed again instead of ending the run.
int run_dialogue(std::istream& in, std::ostream& out, std::ostream& err,
                 DialogueWatcher* watcher = nullptr, bool silent = false, bool interactive = false);

}  // namespace hs
