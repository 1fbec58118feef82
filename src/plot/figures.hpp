// The figures of a pass, each an HTML fragment of inline SVG with its caption.
#pragma once

#include <string>
#include <vector>

#include "plot/pass_record.hpp"

namespace hs::plot {

// The inputs of the pass: materials, plies, loads, grid; with the loads sketch.
std::string pass_header(const PassRecord& r);
// The loads and the sample points around the hole, to scale.
std::string key_figure(const PassRecord& r);
// Hoop, radial and shear stress around the hole, one polar plot per distance step.
std::string polar_figures(const PassRecord& r);
// The failure number of every ply around the hole per distance step, with the first-ply failure.
std::string failure_figures(const PassRecord& r);
// EX, EY, GXY and the first-ply failure stress over the 66 layups of a carpet plot.
std::string carpet_figures(const PassRecord& r);
// The key to the lines of a carpet chart: one colour per share of the ±45 plies.
std::string carpet_legend(const PassRecord& r);
// One carpet chart per quantity over the 66 layups, with the notes on coinciding lines and on
// undefined points, then `caption`.
struct CarpetQuantity {
  const char* name;  // data-quantity
  std::string title, unit;
  double Layup::*value;
  bool at_failure = false;  // a value at failure: a layup without one has no point, unremarked
  std::string attributes;   // more attributes of the chart's <svg>
};
std::string carpet_charts(const PassRecord& r, const std::vector<CarpetQuantity>& quantities,
                          const std::string& caption);
// The reserve factor of every criterion of a job's load case around the hole at the
// characteristic distance (r.reserve), with each criterion's smallest marked.
std::string reserve_figure(const PassRecord& r);
// The style sheet of the page.
const char* page_style();

}  // namespace hs::plot
