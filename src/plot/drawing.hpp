// What the figures of the page share: colours, names, and numbers written as the tables print
// them.
#pragma once

#include <string>
#include <vector>

#include "model/limits.hpp"
#include "plot/svg.hpp"

namespace hs::plot {

// Colour-blind-safe colours for the plies and the three stresses; a sequential scale (viridis
// hues, darkened) for the shares of a carpet chart. Each has a contrast of 3:1 or more on white.
extern const char* const kPlyColours[kMaxPlies];
extern const char* const kStressColours[3];
extern const char* const kShareColours[11];

extern const char* const kCriteria[5];
extern const char* const kLoadNames[4];  // PX, PY, PXY, P
// The names of the loads in a job file: px, py, pxy, bearing.
extern const char* const kJobLoadNames[4];
// The colour of each failure criterion (maximum strain to Hoffman), the same in every chart.
extern const char* const kCriterionColours[5];
constexpr const char* kStressUnit = "units of the loads typed";
// The size of the text of the figures in pixels (the page's style sheet sets the same).
constexpr double kTextPx = 10.0;
constexpr double kSmallTextPx = 9.0;
constexpr double kMarkTextPx = 10.5;
constexpr double kScalePx = 8.5;  // the numbers of the rings of a polar plot
// The unit of stresses, and of moduli, for the axes of a pass: the job's, or what was typed.
struct PassRecord;
std::string stress_unit(const PassRecord& r);
std::string modulus_unit(const PassRecord& r);
// " psi", " in": the job's unit after a number in a sentence; empty for a dialogue, whose units
// the page's note names once.
std::string stress_suffix(const PassRecord& r);
std::string length_suffix(const PassRecord& r);

// Polar plots, in pixels about the hole centre: the station circle (zero stress) sits at kZero,
// the largest stress of the pass swings kSwing from it, far-field arrows lie beyond kRim.
constexpr double kZero = 50.0;
constexpr double kSwing = 45.0;
constexpr double kRim = 100.0;

// A value as the tables print it with Fw.d or Ew.d, without the leading blanks.
std::string printed(char kind, int w, int d, double v);
// A value rounded for reading: four significant digits (whole numbers from 10000 up to a
// million keep every digit), plain from 0.001 up to a million and in engineering notation
// beyond ("20e6", "714.3e-6"); "0", "NaN", "Inf", "-Inf". The full value goes in a title.
std::string readable(double v);
// A distance from the hole edge in a job's words: "at the hole edge", "0.05 in from the hole
// edge".
std::string from_the_edge(double distance, const std::string& length_unit);
std::string from_the_edge(const PassRecord& r, double distance);
// An angle in degrees with its sign.
std::string degrees(double v);
// The space-separated exact values of a list, for a data attribute.
std::string list(const std::vector<double>& v);
// The page position of the point at radius and angle (degrees counter-clockwise from the x axis,
// which points right; the page's y axis points down).
Point polar(double radius, double angle_deg);
// The sentence of a caption about the n points where a value is not finite (empty for none):
// `what` ("The stresses are") undefined at n points, left as gaps.
std::string undefined_note(int n, const char* what);
// A paragraph saying why a pass has nothing to draw.
std::string nothing(const char* why);

}  // namespace hs::plot
