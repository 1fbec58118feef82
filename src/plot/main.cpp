// holestress-plot: reads the same dialogue as holestress, runs the same analysis with the tables
// switched off, and writes one self-contained HTML page of pictures to standard output.
#include <iostream>
#include <ostream>
#include <string>

#include "dialogue/program.hpp"
#include "plot/page.hpp"

int main() {
  std::ios::sync_with_stdio(false);
  hs::plot::Page page;
  std::ostream nowhere(nullptr);  // the tables are not wanted
  int status = hs::run_dialogue(std::cin, nowhere, std::cerr, &page, true);
  // Bad input ends the run as it ends holestress: its diagnostic, its status, and no page.
  if (status != 0) return status;
  const std::string html = page.html();
  std::cout.write(html.data(), static_cast<std::streamsize>(html.size()));
  std::cout.flush();
  if (!std::cout) {
    std::cerr << "holestress-plot: the page could not be written\n";
    return 1;
  }
  return 0;
}
