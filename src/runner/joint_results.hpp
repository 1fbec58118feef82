// The results of a joint job: the load each row of fasteners transfers, every hole's bearing,
// bypass and reserve factors, the critical hole; as JSON (a `joint` object beside the critical
// hole's results as a job of one hole gives them), CSV files (joint_rows.csv, joint_holes.csv)
// and a table. The layout is documented in docs/job-format.md.
#pragma once

#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "runner/joint_job.hpp"
#include "runner/json_results.hpp"

namespace hs {

// The `joint` object: plates, rows (with each plate's bearing and bypass), holes, critical.
Json joint_json(const Job& job, const JointAnalysis& analysis);

// The whole document of a joint job.
Json joint_results_json(const Job& job, const JointAnalysis& analysis);

// joint_rows.csv, joint_holes.csv (and warnings.txt when there are cautions), in memory.
std::vector<std::pair<std::string, std::string>> joint_csv_results(const Job& job,
                                                                   const JointAnalysis& analysis);

// The pictures, one HTML page: the load each row transfers as a bar chart, every hole's smallest
// factor, and the pictures of the critical hole as a job of one hole (plot::job_pictures), in
// its plate's frame.
std::string joint_pictures(const Job& job, const JointAnalysis& analysis);

// The summary as a table: the rows' loads, each hole's factors, the critical hole.
void write_joint_table_results(const Job& job, const JointAnalysis& analysis, std::ostream& out);

}  // namespace hs
