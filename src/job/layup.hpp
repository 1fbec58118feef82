// Laminate stacking notation: "[45/0/-45/90]3s" expanded into its plies, bottom to top.
//
//   layup      [ sequence ] suffix         suffix: s (symmetric), Ns (N times, then symmetric),
//                                          N (N times); none: as written
//   sequence   item / item / ...
//   item       angle[_N][:material]        a ply (N of them with _N): 0, -45, 22.5, 90_2
//              ±angle or +-angle           a pair angle, -angle (-+angle or ∓angle: -angle, angle)
//              ( sequence )N               a group, N times (N may be left out: once)
//              angle_                      the middle ply of an odd symmetric stack (the last
//                                          item, with the suffix s): [0/45/90_]s is 0/45/90/45/0
//
// A material is named after a colon (letters, digits, '-', '_', '.'); a ply without one takes the
// laminate's material. Blanks are allowed between items. A mistake is reported with its offset
// in the text (0-based), so that the job reader can give its column.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace hs {

struct LayupPly {
  double angle;          // degrees
  std::string material;  // empty: the laminate's material
};

struct LayupError {
  std::size_t offset = 0;
  std::string message;
};

// The stacked plies need not fit any bound but this one (a layup of a million plies is a typo).
constexpr std::size_t kMaxLayupPlies = 100000;

bool expand_layup(std::string_view text, std::vector<LayupPly>& plies, LayupError& error);

}  // namespace hs
