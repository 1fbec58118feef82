// holestress: stress analysis of a composite laminate with a circular hole, open or bolt-loaded.
//
//   holestress                      the dialogue on standard input
//   holestress DIALOGUE-FILE        the same dialogue read from a file
//   holestress run JOB.toml         a job file; results as JSON, CSV files or the tables
//   holestress convert DIALOGUE     the equivalent job files
#include <unistd.h>

#include <iostream>

#include "dialogue/program.hpp"
#include "runner/command.hpp"

int main(int argc, char** argv) {
  std::ios::sync_with_stdio(false);
  // The dialogue on standard input, as most runs are, without building the command line.
  if (argc == 1) {
    return hs::run_dialogue(std::cin, std::cout, std::cerr, nullptr, false, isatty(STDIN_FILENO));
  }
  return hs::command_line(argc, argv, std::cin, std::cout, std::cerr);
}
