// holestress: stress analysis of a composite laminate with a circular hole, open or bolt-loaded.
#include <iostream>

#include "control/driver.hpp"

int main() {
  std::ios::sync_with_stdio(false);
  return hs::run(std::cin, std::cout, std::cerr);
}
