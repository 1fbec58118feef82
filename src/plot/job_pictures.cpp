#include "plot/job_pictures.hpp"

#include <memory>

#include "analysis/carpet.hpp"

namespace hs::plot {

void draw_job(const Job& job, Page& page) {
  auto state = std::make_unique<DialogueState>();
  auto work = std::make_unique<Workspace>();
  // The output cases of the dialogue that show the results the job asks for.
  CaseList list{};
  int n = 0;
  if (job.carpet) list.entries[n++] = static_cast<int>(OutputCase::kCarpetPlot);
  for (int k = 0; k < kResultKinds; ++k) {
    if (job.results[k] && !(job.criteria.empty() && k >= static_cast<int>(ResultKind::kFailure))) {
      list.entries[n++] = static_cast<int>(dialogue_case(static_cast<ResultKind>(k)));
    }
  }
  const Criterion criterion = job.criteria.empty() ? Criterion::kMaxStress : job.criteria.front();
  for (const LoadCase& lc : job.load_cases) {
    DialogueState& st = *state;
    st.cases = list;
    st.width = job.plate.width;
    st.problem = Problem{materials_for(job, criterion), job.plies, job.grid, lc.loads, criterion};
    if (list.selected(OutputCase::kFailureSearch)) {
      // The search judges failure at the characteristic distance, one step from the edge.
      st.problem.grid.distance_step = job.distances.front().tension;
      st.problem.grid.steps = 2;
    }
    page.pass_begun(st, job.carpet);
    const Stages stages = stages_for(list);
    const int layups = job.carpet ? kCarpetLayups : 1;
    for (int i = 0; i < layups; ++i) {
      Shares shares{-1, -1, -1};
      Problem pb = st.problem;
      if (job.carpet) shares = apply_carpet_layup(job.plies, carpet_layup(i), pb.plies);
      SearchOutcome outcome = analyse(pb, stages, *work, page);
      page.analysed(pb, *work, shares, outcome);
    }
  }
}

}  // namespace hs::plot
