// The page of pictures of a dialogue (a job file has its own, job_pictures.hpp): it watches the
// analyses of the dialogue and draws, per pass, a header with the inputs, the hoop, radial and
// shear stresses around the hole (cases 3 and higher), the failure number of every ply around the
// hole with the critical point of the failure search (cases 9 and 10), or the carpet chart of a
// carpet plot (case 1 with 2 or 10).
//
// The page is one self-contained HTML document with inline SVG: nothing is fetched and every
// number is written in a fixed form, so the same dialogue always gives the same bytes. Stresses
// are drawn at the loads as typed, the values that cases 3 to 9 print.
#pragma once

#include <string>

#include "dialogue/program.hpp"
#include "plot/pass_record.hpp"

namespace hs::plot {

class Page : public DialogueWatcher {
 public:
  void pass_begun(const DialogueState& st, bool carpet) override;
  void field_found(int iteration, const Problem& pb, const LaminateField& f, int) override;
  void failure_evaluated(int iteration, const Problem& pb, const PlyField& plies,
                         const Governing& g, bool at_failure) override;
  void analysed(const Problem& pb, const Workspace& work, const Shares& shares,
                SearchOutcome outcome) override;

  // The whole page, after the last pass of the run.
  std::string html();

 private:
  void end_pass();

  std::string body_;
  int passes_ = 0;
  bool open_ = false;  // a pass whose figures are still to be drawn
  PassRecord pass_;
};

}  // namespace hs::plot
