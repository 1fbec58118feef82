// holestress: stress analysis of a composite laminate with a circular hole, open or bolt-loaded.
//
//   holestress                      the dialogue on standard input
//   holestress DIALOGUE-FILE        the same dialogue read from a file
//   holestress run JOB.toml         a job file; results as JSON, CSV files or the tables
//   holestress convert DIALOGUE     the equivalent job files
#include <iostream>

#include "runner/command.hpp"

int main(int argc, char** argv) {
  std::ios::sync_with_stdio(false);
  return hs::command_line(argc, argv, std::cin, std::cout, std::cerr);
}
