#include "analysis/carpet.hpp"

#include "numeric/constants.hpp"
#include "numeric/guarded_conversion.hpp"

namespace hs {

CarpetLayup carpet_layup(int index) {
  for (int percent0 = 100; percent0 >= 0; percent0 -= 10) {
    int count = (100 - percent0) / 10 + 1;
    if (index < count) return {percent0, 10 * index};
    index -= count;
  }
  return {0, 100};
}

Shares apply_carpet_layup(const PlyStack& typed, CarpetLayup layup, PlyStack& plies) {
  const int a = layup.percent0, b = layup.percent45;
  for (int p = 0; p < 4; ++p) {
    plies.angle[p] = typed.angle[p];
    plies.thickness[p] = typed.thickness[p];
  }
  plies.count = 4;
  plies.thickness[0] = a / 100.0;
  plies.thickness[1] = b / 200.0;
  plies.thickness[2] = b / 200.0;
  plies.thickness[3] = (100 - a - b) / 100.0;
  Shares s = {truncate_to_int(plies.thickness[0] * kShareScale),
              truncate_to_int(plies.thickness[1] * kHalfShareScale),
              truncate_to_int(plies.thickness[3] * kShareScale)};
  // Plies of no share leave the stack; material numbers stay with the positions.
  if (s.s0 == 0) {
    plies.count = plies.count - 1;
    for (int p = 0; p < 3; ++p) {
      plies.angle[p] = plies.angle[p + 1];
      plies.thickness[p] = plies.thickness[p + 1];
    }
  }
  if (s.s45 == 0) {
    plies.count = plies.count - 2;
    if (plies.count == 1) {
      plies.angle[0] = plies.angle[3];
      plies.thickness[0] = plies.thickness[3];
    }
    plies.angle[1] = plies.angle[3];
    plies.thickness[1] = plies.thickness[3];
  }
  if (s.s90 == 0) plies.count = plies.count - 1;
  return s;
}

}  // namespace hs
