#include "dialogue/program.hpp"

#include <memory>

#include "dialogue/tables.hpp"
#include "io/console.hpp"

namespace hs {

namespace {

// Prints the tables of the selected cases as the analysis finds their numbers. During the
// repetitions of the failure search (iteration 2 on) only the failure load prints.
class TablePrinter : public AnalysisListener {
 public:
  TablePrinter(Console& con, const CaseList& cases, AnalysisListener* also)
      : con_(con), cases_(cases), also_(also) {}

  void compliance_found(const MembraneCompliance& c) override {
    if (c.singular_laminate_axes) print_singular_stiffness(con_, 1);
    if (cases_.selected(OutputCase::kProperties)) {
      print_properties(con_, engineering_constants(c.compliance.laminate_axes));
    }
    if (c.singular_bolt_axes) print_singular_stiffness(con_, 4);
    if (also_) also_->compliance_found(c);
  }

  void field_found(int iteration, const Problem& pb, const LaminateField& f,
                   int singular) override {
    print_singular_systems(con_, singular);
    if (iteration == 1) {
      if (cases_.selected(OutputCase::kStresses)) print_laminate_stresses(con_, pb.grid, f);
      if (cases_.selected(OutputCase::kStrains)) print_laminate_strains(con_, pb.grid, f);
      if (cases_.selected(OutputCase::kPolar)) print_polar(con_, pb.grid, f);
      if (cases_.selected(OutputCase::kDisplacements)) {
        print_displacement_caution(con_, pb.grid, pb.loads);
        print_displacements(con_, pb.grid, f);
      }
    }
    if (also_) also_->field_found(iteration, pb, f, singular);
  }

  void ply_values_found(int iteration, const Problem& pb, const PlyField& plies) override {
    if (iteration == 1) {
      if (cases_.selected(OutputCase::kPlyStrains)) print_ply_strains(con_, pb, plies);
      if (cases_.selected(OutputCase::kPlyStresses)) print_ply_stresses(con_, pb, plies);
    }
    if (also_) also_->ply_values_found(iteration, pb, plies);
  }

  void failure_evaluated(int iteration, const Problem& pb, const PlyField& plies,
                         const Governing& g, bool at_failure) override {
    if (iteration == 1 && cases_.selected(OutputCase::kFailureNumbers)) {
      print_failure_numbers(con_, pb, plies);
    }
    if (at_failure) print_failure_load(con_, pb, plies, g);
    if (also_) also_->failure_evaluated(iteration, pb, plies, g, at_failure);
  }

  void search_stopped() override {
    print_search_stopped(con_);
    if (also_) also_->search_stopped();
  }

 private:
  Console& con_;
  const CaseList& cases_;
  AnalysisListener* also_;
};

int passes(Console& con, DialogueState& st, Workspace& work, DialogueWatcher* watcher) {
  for (;;) {
    if (!read_pass(con, st)) return 2;
    const bool carpet = st.cases.selected(OutputCase::kCarpetPlot);
    if (watcher) watcher->pass_begun(st, carpet);
    const Stages stages = stages_for(st.cases);
    TablePrinter printer(con, st.cases, watcher);

    if (carpet) {
      // The typed angles and thicknesses of the first four plies make every layup; the last
      // layup's stack stays until the next pass reads the plies again.
      const PlyStack typed = st.problem.plies;
      for (int i = 0; i < kCarpetLayups; ++i) {
        Shares shares = apply_carpet_layup(typed, carpet_layup(i), st.problem.plies);
        print_layup(con, shares);
        SearchOutcome outcome = analyse(st.problem, stages, work, printer);
        if (watcher) watcher->analysed(st.problem, work, shares, outcome);
      }
    } else {
      SearchOutcome outcome = analyse(st.problem, stages, work, printer);
      if (watcher) watcher->analysed(st.problem, work, Shares{-1, -1, -1}, outcome);
    }

    bool failed = false;
    if (!continue_answer(con, failed)) return failed ? 2 : 0;
  }
}

}  // namespace

int run_dialogue(std::istream& in, std::ostream& out, std::ostream& err, DialogueWatcher* watcher,
                 bool silent, bool interactive) {
  // The state and the work space are large (the ply values of the whole grid); they live on the
  // heap for the run, allocated once.
  auto state = std::make_unique<DialogueState>();
  auto work = std::make_unique<Workspace>();
  auto con = std::make_unique<Console>(in, out, err);
  con->set_silent(silent);
  con->set_interactive(interactive);
  int status = passes(*con, *state, *work, watcher);
  con->flush();
  return status;
}

}  // namespace hs
