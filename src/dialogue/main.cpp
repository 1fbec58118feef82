// holestress: stress analysis of a composite laminate with a circular hole, open or bolt-loaded.
#include <iostream>

#include "dialogue/program.hpp"

int main() {
  std::ios::sync_with_stdio(false);
  return hs::run_dialogue(std::cin, std::cout, std::cerr);
}
