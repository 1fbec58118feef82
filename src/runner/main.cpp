// holestress: stress analysis of a composite laminate with a circular hole, open or bolt-loaded.
//
//   holestress                      the dialogue on standard input
//   holestress DIALOGUE-FILE        the same dialogue read from a file
//   holestress run JOB.toml         a job file; results as JSON, CSV files or the tables
//   holestress convert DIALOGUE     the equivalent job files
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <iostream>

#include "dialogue/program.hpp"
#include "runner/command.hpp"

int main(int argc, char** argv) {
  std::ios::sync_with_stdio(false);
  // The dialogue on standard input, as most runs are, without building the command line.
  int status =
      argc == 1
          ? hs::run_dialogue(std::cin, std::cout, std::cerr, nullptr, false, isatty(STDIN_FILENO))
          : hs::command_line(argc, argv, std::cin, std::cout, std::cerr);
  // Output that could not be written (a full disk, a closed pipe) is a failure, whatever the
  // run itself came to.
  std::cout.flush();
  if (!std::cout) {
    std::cerr << "holestress: the output could not be written: " << std::strerror(errno) << "\n";
    if (status == 0) status = 1;
  }
  return status;
}
