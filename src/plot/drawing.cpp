#include "plot/drawing.hpp"

#include <cmath>
#include <numbers>

#include "io/edit_descriptors.hpp"
#include "plot/pass_record.hpp"

namespace hs::plot {

// Colour-blind-safe colours (Okabe and Ito) for the plies and the three stresses; a sequential
// scale (viridis) for the shares of a carpet chart.
const char* const kPlyColours[kMaxPlies] = {"#0072B2", "#D55E00", "#009E73", "#CC79A7",
                                          "#E69F00", "#56B4E9", "#000000", "#8C564B"};
const char* const kStressColours[3] = {"#0072B2", "#D55E00", "#009E73"};
const char* const kShareColours[11] = {"#440154", "#482173", "#433e85", "#38588c",
                                       "#2d708e", "#25858e", "#1e9b8a", "#2ab07f",
                                       "#52c569", "#86d549", "#c2df23"};

const char* const kCriteria[5] = {"maximum strain", "maximum stress", "Tsai-Hill",
                                  "modified Tsai-Wu", "Hoffman"};
const char* const kLoadNames[4] = {"PX", "PY", "PXY", "P"};


// A value as the tables print it with Fw.d or Ew.d, without the leading blanks.
std::string printed(char kind, int w, int d, double v) {
  char buf[kMaxFieldWidth];
  if (kind == 'F') {
    edit_f(buf, w, d, v);
  } else {
    edit_e(buf, w, d, v);
  }
  int i = 0;
  while (i < w && buf[i] == ' ') ++i;
  return std::string(buf + i, buf + w);
}

std::string degrees(double v) {
  return exact(v) + "°";
}

// The space-separated exact values of a list, for a data attribute.
std::string list(const std::vector<double>& v) {
  std::string out;
  for (size_t i = 0; i < v.size(); ++i) {
    if (i) out += ' ';
    out += exact(v[i]);
  }
  return out;
}

Point polar(double radius, double angle_deg) {
  double t = angle_deg * std::numbers::pi / 180.0;
  return {radius * std::cos(t), -radius * std::sin(t)};
}

std::string nothing(const char* why) {
  return std::string("<p class=\"nothing\">Nothing to draw for this pass: ") + why + "</p>\n";
}


std::string stress_unit(const PassRecord& r) {
  return r.stress_unit.empty() ? std::string(kStressUnit) : r.stress_unit;
}

std::string modulus_unit(const PassRecord& r) {
  return r.stress_unit.empty() ? std::string("units of E1 typed") : r.stress_unit;
}

}  // namespace hs::plot
