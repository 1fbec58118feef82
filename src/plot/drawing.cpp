#include "plot/drawing.hpp"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <numbers>

#include "io/edit_descriptors.hpp"
#include "plot/pass_record.hpp"

namespace hs::plot {

// Every colour of a curve or marker keeps a contrast of at least 3:1 with the white page. The
// plies: the Okabe and Ito colours that do (blue, vermillion, bluish green, black), their reddish
// purple and orange darkened, a violet and a grey in place of the pale sky blue and the brown.
const char* const kPlyColours[kMaxPlies] = {"#0072B2", "#D55E00", "#009E73", "#B8589A",
                                            "#A36B00", "#7B52AE", "#000000", "#6B6B6B"};
const char* const kStressColours[3] = {"#0072B2", "#D55E00", "#009E73"};
// The hues of viridis from purple through blue and green to its yellow, with the lightness
// (CIE L*) rising evenly from 24 to 58 instead of to 92: the order stays readable, the light
// end (contrast 3.4:1) stays visible on white.
const char* const kShareColours[11] = {"#5b1c6a", "#542c7f", "#443f86", "#2f5184",
                                       "#145f7d", "#006c75", "#007869", "#008456",
                                       "#008e37", "#439500", "#769700"};

const char* const kCriteria[5] = {"maximum strain", "maximum stress", "Tsai-Hill",
                                  "modified Tsai-Wu", "Hoffman"};
const char* const kLoadNames[4] = {"PX", "PY", "PXY", "P"};
const char* const kJobLoadNames[4] = {"px", "py", "pxy", "bearing"};
const char* const kCriterionColours[5] = {"#0072B2", "#D55E00", "#009E73", "#B8589A", "#A36B00"};

// A value as the tables print it with Fw.d or Ew.d, without the leading blanks.
std::string printed(char kind, int w, int d, double v) {
  char buf[kMaxFieldWidth];
  if (kind == 'F') {
    format_fixed(buf, w, d, v);
  } else {
    format_exponent(buf, w, d, v);
  }
  int i = 0;
  while (i < w && buf[i] == ' ') ++i;
  return std::string(buf + i, buf + w);
}

std::string readable(double v) {
  if (!std::isfinite(v)) return exact(v);
  if (v == 0.0) return "0";
  const std::string sign = v < 0.0 ? "-" : "";
  // The four significant digits and the decimal exponent, rounded once, by the C library's
  // correctly rounded conversion: "4.178e+01".
  char buf[48];
  std::snprintf(buf, sizeof buf, "%.3e", std::fabs(v));
  const std::string digits{buf[0], buf[2], buf[3], buf[4]};
  const int exponent = std::atoi(buf + 6);
  if (exponent >= 4 && exponent < 6) {
    std::snprintf(buf, sizeof buf, "%.0f", std::fabs(v));
    return sign + buf;
  }
  // Engineering notation outside 0.001 to a million: the exponent a multiple of three.
  const bool engineering = exponent < -3 || exponent >= 6;
  const int power = engineering ? exponent - ((exponent % 3) + 3) % 3 : 0;
  const int point = exponent - power;  // digits before the decimal point, less one
  std::string text;
  if (point >= 0) {
    text = digits.substr(0, point + 1) + "." + digits.substr(point + 1);
  } else {
    text = "0.";
    text.append(-point - 1, '0');
    text += digits;
  }
  while (text.back() == '0') text.pop_back();
  if (text.back() == '.') text.pop_back();
  if (engineering) {
    text += 'e';
    text += std::to_string(power);
  }
  return sign + text;
}

std::string from_the_edge(double distance, const std::string& length_unit) {
  if (distance == 0.0) return "at the hole edge";
  return readable(distance) + (length_unit.empty() ? "" : " " + length_unit) +
         " from the hole edge";
}

std::string from_the_edge(const PassRecord& r, double distance) {
  return from_the_edge(distance, r.length_unit);
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

std::string stress_suffix(const PassRecord& r) {
  return r.stress_unit.empty() ? std::string() : " " + r.stress_unit;
}

std::string length_suffix(const PassRecord& r) {
  return r.length_unit.empty() ? std::string() : " " + r.length_unit;
}

// The sentence of a caption about points where a stress is not finite.
std::string undefined_note(int n, const char* what) {
  if (n == 0) return "";
  return std::string(" ") + what + " undefined at " + std::to_string(n) +
         (n == 1 ? " point" : " points") +
         " (not finite; the tables print NaN or Inf): gaps in the curves, no markers.";
}

}  // namespace hs::plot
