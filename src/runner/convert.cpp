#include "runner/convert.hpp"

#include <ostream>

#include "dialogue/program.hpp"
#include "job/job_reader.hpp"
#include "job/job_writer.hpp"

namespace hs {

Job job_from_pass(const DialogueState& st, bool carpet, const std::string& title) {
  const Problem& pb = st.problem;
  const CaseList& cases = st.cases;
  Job job;
  job.title = title;
  job.resize_materials(pb.materials.count);
  for (int m = 0; m < pb.materials.count; ++m) {
    job.materials.elastic[m] = pb.materials.elastic[m];
    job.materials.allowables[m] = pb.materials.allowables[m];
  }
  const bool failure = cases.needs(OutputCase::kFailureNumbers);
  const bool max_strain = pb.criterion == Criterion::kMaxStrain;
  for (int m = 0; m < pb.materials.count; ++m) {
    job.material_names[m] = "material" + std::to_string(m + 1);
    // For maximum strain the dialogue's allowables are strain allowables.
    job.has_allowables[m] = failure && !max_strain;
    job.has_strain_allowables[m] = failure && max_strain;
    job.strain_allowables[m] = pb.materials.allowables[m];
  }
  job.plies = pb.plies;
  // The carpet plot's layups are made of the first four plies alone.
  job.plies.resize(carpet && pb.plies.count > 4 ? 4 : pb.plies.count);
  job.carpet = carpet;
  for (int k = 0; k < kResultKinds; ++k) {
    job.results[k] = cases.selected(dialogue_case(static_cast<ResultKind>(k)));
  }
  // The dialogue sums the bolt's series to 45 terms: its job does the same, so that it gives the
  // dialogue's numbers.
  job.plate.bolt_series = BoltSeriesSum::kLegacy;
  job.grid = pb.grid;
  job.grid.station_limit = Grid{}.station_limit;
  job.grid.step_limit = Grid{}.step_limit;
  if (cases.needs(OutputCase::kStresses)) {
    if (pb.loads.bearing != 0.0) job.plate.width = st.width;
    LoadCase lc{"pass", pb.loads};
    job.load_cases.push_back(lc);
  }
  if (cases.needs(OutputCase::kFailureNumbers)) {
    job.criteria.push_back(pb.criterion);
    // The search for the failure load judges failure one distance step from the edge.
    job.distances = {{pb.grid.distance_step, pb.grid.distance_step}};
  }
  return job;
}

namespace {

class PassRecorder : public DialogueWatcher {
 public:
  PassRecorder(const std::string& name, std::vector<Job>& jobs, const DialogueUnits& units,
               std::ostream& err)
      : name_(name), jobs_(jobs), units_(units), err_(err) {}
  bool refused() const { return refused_; }
  void pass_begun(const DialogueState& st, bool carpet) override {
    ++pass_;
    if (!st.cases.needs(OutputCase::kProperties)) return;
    Job job = job_from_pass(st, carpet, name_ + ", pass " + std::to_string(pass_));
    job.stress_unit = units_.stress;
    job.length_unit = units_.length;
    for (LoadCase& lc : job.load_cases) lc.name = "pass " + std::to_string(pass_);
    // The job as `holestress run` would read it: a pass it cannot hold is refused with why.
    Job back;
    std::vector<JobError> errors;
    if (!read_job(write_job(job), "job", back, errors)) {
      err_ << "holestress: " << name_ << ", pass " << pass_
           << ": the dialogue ran with inputs no job file can hold:\n";
      for (const JobError& e : errors) err_ << "  " << e.key << ": " << e.message << "\n";
      refused_ = true;
      return;
    }
    if (!jobs_.empty() && same_but_loads(jobs_.back(), job)) {
      jobs_.back().load_cases.push_back(job.load_cases.front());
      return;
    }
    jobs_.push_back(job);
  }

 private:
  static bool same_but_loads(const Job& a, const Job& b) {
    if (a.load_cases.empty() || b.load_cases.empty()) return false;
    Job x = a, y = b;
    x.load_cases.clear();
    y.load_cases.clear();
    x.title = y.title;
    // The width counts only for a load case with a bearing stress: the new one joins a job of
    // another width only without one.
    bool widths = a.plate.width == b.plate.width || b.load_cases.front().loads.bearing == 0.0;
    x.plate.width = y.plate.width = 0.0;
    return widths && write_job(x) == write_job(y);
  }

  std::string name_;
  std::vector<Job>& jobs_;
  DialogueUnits units_;
  std::ostream& err_;
  int pass_ = 0;
  bool refused_ = false;
};

}  // namespace

int dialogue_to_jobs(std::istream& in, const std::string& name, std::ostream& err,
                     std::vector<Job>& jobs, const DialogueUnits& units) {
  PassRecorder recorder(name, jobs, units, err);
  std::ostream nowhere(nullptr);
  const int status = run_dialogue(in, nowhere, err, &recorder, true);
  return status != 0 ? status : recorder.refused() ? 2 : 0;
}

}  // namespace hs
