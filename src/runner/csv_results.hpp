// The results of a job as long-form CSV files, one per kind of result, for spreadsheets: one row
// per station (or per station and ply), every number at full precision, the unit of each column
// in its header.
#pragma once

#include <string>
#include <vector>

#include "job/job.hpp"

namespace hs {

// Writes the files into `folder` (created when missing). Returns false, with a message, when a
// file cannot be written. The names of the files written are added to `written`. The files are
// written as their rows are formed, the rows of the stations on `threads` threads (0: one per
// core), so that results of any size need little memory.
bool write_csv_results(const Job& job, const std::string& folder, std::vector<std::string>& written,
                       std::string& error, int threads = 1);

// The same files as (name, text) pairs, in memory.
std::vector<std::pair<std::string, std::string>> csv_results(const Job& job);

// The file of a kind of result: "properties.csv", "ply_strains.csv", ...
std::string csv_file_name(ResultKind kind);

// A number as the CSV files write it: the shortest text that reads back to the same double;
// "NaN", "Inf", "-Inf" when not finite.
std::string csv_number(double v);
// The same appended to out.
void append_csv_number(std::string& out, double v);

}  // namespace hs
