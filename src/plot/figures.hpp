// The figures of a pass, each an HTML fragment of inline SVG with its caption.
#pragma once

#include <string>

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
// The style sheet of the page.
const char* page_style();

}  // namespace hs::plot
