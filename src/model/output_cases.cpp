#include "model/output_cases.hpp"

namespace hs {

bool CaseList::selected(OutputCase c) const {
  for (int e : entries) {
    if (e == static_cast<int>(c)) return true;
  }
  return false;
}

bool CaseList::needs(OutputCase c) const {
  for (int e : entries) {
    if (e >= static_cast<int>(c)) return true;
  }
  return false;
}

}  // namespace hs
