#include "plot/page.hpp"

#include <cmath>
#include <limits>

#include "hole/transforms.hpp"
#include "plot/drawing.hpp"
#include "plot/figures.hpp"
#include "plot/svg.hpp"

namespace hs::plot {

std::string pass_header(const PassRecord& r) {
  const bool carpet = r.carpet;
  std::string n = std::to_string(r.number);
  std::string b;
  b += "<section class=\"pass\"" + attr("data-pass", n) + attr("data-carpet", carpet ? "1" : "0") +
       ">\n<h2>Pass " + n + (carpet ? ": carpet plot" : "") + "</h2>\n";
  std::string cases;
  for (int e : r.cases.entries) {
    if (e == 0) continue;
    cases += ' ';
    cases += std::to_string(e);
  }
  b += "<p>Output cases selected:" + (cases.empty() ? std::string(" none") : cases) + "</p>\n";
  b += "<div class=\"head\"><div>\n";

  // Materials, with their allowables when a failure criterion uses them.
  bool allowables = r.cases.needs(OutputCase(9));
  // Stress-like columns name the job's unit.
  const std::string hu = r.stress_unit.empty() ? std::string() : " (" + escape(r.stress_unit) + ")";
  b += "<table class=\"materials\"><tr><th>material</th>";
  for (const char* h : {"E1", "E2", "G12"}) b += std::string("<th>") + h + hu + "</th>";
  b += "<th>NU12</th>";
  if (allowables) {
    for (const char* h : {"T1", "C1", "T2", "C2", "SHEAR"})
      b += std::string("<th>") + h + hu + "</th>";
  }
  b += "</tr>\n";
  for (int m = 0; m < r.materials.count; ++m) {
    b += "<tr><td>" + std::to_string(m + 1) + "</td>";
    for (double v : {r.materials.elastic[m].E1, r.materials.elastic[m].E2,
                     r.materials.elastic[m].G12, r.materials.elastic[m].NU12}) {
      b += "<td>" + exact(v) + "</td>";
    }
    if (allowables) {
      for (double v : {r.materials.allowables[m].T1, r.materials.allowables[m].C1,
                       r.materials.allowables[m].T2, r.materials.allowables[m].C2,
                       r.materials.allowables[m].S12}) {
        b += "<td>" + exact(v) + "</td>";
      }
    }
    b += "</tr>\n";
  }
  b += "</table>\n";

  b += "<table class=\"plies\"><tr><th>ply</th><th>angle</th><th>thickness" +
       (r.length_unit.empty() ? std::string() : " (" + escape(r.length_unit) + ")") +
       "</th><th>material</th></tr>\n";
  for (int p = 0; p < r.plies.count; ++p) {
    // The colour of the ply's curves, where there are any.
    std::string swatch = carpet || !allowables
                             ? std::string()
                             : "<span class=\"sw\"" +
                                   attr("style", std::string("background:") + kPlyColours[p]) +
                                   "></span>";
    b += "<tr><td>" + swatch + std::to_string(p + 1) + "</td><td>" + degrees(r.plies.angle[p]) +
         "</td><td>" + (carpet ? std::string("by layup") : exact(r.plies.thickness[p])) +
         "</td><td>" + std::to_string(r.plies.material[p] + 1) + "</td></tr>\n";
  }
  b += "</table>\n";

  if (r.cases.needs(OutputCase(3))) {
    const Loads& f = r.loads;
    const std::string su = stress_suffix(r), lu = length_suffix(r);
    b += "<p>Far-field stresses PX = " + exact(f.px) + su + ", PY = " + exact(f.py) + su +
         ", PXY = " + exact(f.pxy) + su + " in load axes at " + degrees(f.off_axis) +
         " from the laminate x axis.</p>\n";
    if (f.bearing != 0.0) {
      b += "<p>Bearing stress P = " + exact(f.bearing) + su + " at the bolt loading angle " +
           degrees(f.bolt_angle) + "; " +
           (r.width != 0.0 ? "plate width W = " + exact(r.width) + lu +
                                 ", far-field stress reacting the bolt PW = " + exact(f.bypass) + su
                           : std::string("infinite plate")) +
           ".</p>\n";
    } else {
      b += "<p>No bearing stress (open hole).</p>\n";
    }
    int nang = station_count(r.grid);
    b += "<p>Hole diameter D = " + exact(r.grid.diameter) + lu + "; angle stations every " +
         degrees(r.grid.angle_step) + " from " + degrees(r.grid.angle_low) + " to " +
         degrees(r.grid.angle_high) + " (" + std::to_string(nang < 0 ? 0 : nang) + " stations); " +
         std::to_string(step_count(r.grid)) + " distance steps of " + exact(r.grid.distance_step) +
         lu + " from the hole edge.</p>\n";
    if (allowables) {
      int k = static_cast<int>(r.criterion);
      b += "<p>Failure criterion " + std::to_string(k) + ": " +
           (k >= 1 && k <= 5 ? kCriteria[k - 1] : "?") + ".</p>\n";
    }
  }
  if (carpet) {
    b += "<p class=\"note\">The carpet plot sets the thicknesses of plies 1 to 4 as shares of a "
         "unit total, in steps of ten percent: 66 layups.</p>\n";
  }
  b += "</div>\n";
  if (!carpet && r.cases.needs(OutputCase(3)) && station_count(r.grid) > 0 &&
      step_count(r.grid) > 0) {
    b += key_figure(r);
  }
  b += "</div>\n";
  return b;
}

void Page::pass_begun(const DialogueState& st, bool carpet) {
  end_pass();
  open_ = true;
  pass_ = PassRecord{};
  PassRecord& r = pass_;
  r.number = ++passes_;
  r.carpet = carpet;
  r.width = st.width;
  r.cases = st.cases;
  r.materials = st.problem.materials;
  r.plies = st.problem.plies;
  r.grid = st.problem.grid;
  r.loads = st.problem.loads;
  r.criterion = st.problem.criterion;
  const double typed[4] = {r.loads.px, r.loads.py, r.loads.pxy, r.loads.bearing};
  for (int i = 3; i >= 0; --i) {
    if (typed[i] != 0.0) r.failure_load = i;
  }
  body_ += pass_header(r);
}

// The polar values at the loads as typed (the first repetition).
void Page::field_found(int iteration, const Problem& pb, const LaminateField& lf, int) {
  PassRecord& r = pass_;
  if (r.carpet || iteration != 1) return;
  Field& f = r.field;
  const Grid& g = pb.grid;
  f = Field{};
  f.nstep = step_count(g);
  f.nang = station_count(g) < 0 ? 0 : station_count(g);
  f.nply = pb.plies.count;
  for (int k = 0; k < f.nstep; ++k) {
    for (int j = 0; j < f.nang; ++j) {
      PolarValues v = polar_values(station_angle(g, j), lf.stress[j][k], lf.strain[j][k]);
      f.hoop.push_back(v.hoop_stress);
      f.radial.push_back(v.radial_stress);
      f.shear.push_back(v.shear_stress);
    }
  }
  r.field_taken = true;
}

// The failure number of each ply at the loads as typed.
void Page::failure_evaluated(int iteration, const Problem& pb, const PlyField& plies,
                             const Governing&, bool) {
  PassRecord& r = pass_;
  if (r.carpet || iteration != 1) return;
  Field& f = r.field;
  f.failure = true;
  for (int k = 0; k < f.nstep; ++k) {
    for (int j = 0; j < f.nang; ++j) {
      for (int p = 0; p < f.nply; ++p) {
        double fv[4];
        ply_failure_at(pb.criterion, pb.materials, pb.plies, plies, j, k, p, fv);
        // The value the search would take from this ply: the largest magnitude, first on ties.
        double governing = fv[0];
        if (has_three_numbers(pb.criterion)) {
          for (int c = 1; c < 3; ++c) {
            if (std::fabs(fv[c]) > std::fabs(governing)) governing = fv[c];
          }
        }
        f.fn.push_back(governing);
      }
    }
  }
}

void Page::analysed(const Problem& pb, const Workspace& work, const Shares& shares,
                    SearchOutcome outcome) {
  PassRecord& r = pass_;
  Governing g{};
  if (outcome == SearchOutcome::kFound) {
    g = governing_value(pb.criterion, pb.materials, pb.plies, pb.grid, work.plies, kFailureStep);
  }
  const bool analysed = r.cases.needs(OutputCase::kProperties);
  if (r.carpet) {
    int a = (shares.s0 + 5) / 10, b = (shares.s45 + 5) / 10;
    if (a < 0 || a > 10 || b < 0 || b > 10) return;
    Layup& l = r.layups[a][b];
    l.seen = true;
    l.EX = l.EY = l.GXY = l.failure = std::numeric_limits<double>::quiet_NaN();
    if (analysed) {
      EngineeringConstants e = engineering_constants(work.laminate.compliance.laminate_axes);
      l.EX = e.EX;
      l.EY = e.EY;
      l.GXY = e.GXY;
    }
    if (g.value != 0.0 && r.failure_load >= 0) {
      const double loads[4] = {pb.loads.px, pb.loads.py, pb.loads.pxy, pb.loads.bearing};
      l.failure = loads[r.failure_load];
    }
    return;
  }
  if (analysed) {
    r.constants = engineering_constants(work.laminate.compliance.laminate_axes);
    r.has_constants = true;
  }
  if (g.value != 0.0) {
    r.critical = {true, g.station, g.ply, pb.loads.px, pb.loads.py, pb.loads.pxy, pb.loads.bearing};
  }
  r.stopped = outcome == SearchOutcome::kStopped;
}

void Page::end_pass() {
  if (!open_) return;
  open_ = false;
  const PassRecord& r = pass_;
  std::string& b = body_;
  if (r.carpet) {
    if (!r.cases.needs(OutputCase(2))) {
      b += nothing(
          "a carpet plot with case 1 alone computes no laminate; select case 2 or 10 "
          "with it.");
    } else {
      b += carpet_figures(r);
    }
  } else if (!r.cases.needs(OutputCase(2))) {
    b += nothing("no laminate is analysed without a case of 2 or higher.");
  } else {
    if (r.has_constants) {
      const EngineeringConstants& e = r.constants;
      const std::string mu = stress_suffix(r);
      b += "<p>Laminate properties: EX = " + printed('E', 9, 3, e.EX) + mu +
           ", EY = " + printed('E', 9, 3, e.EY) + mu + ", GXY = " + printed('E', 9, 3, e.GXY) + mu +
           ", VXY = " + printed('F', 5, 3, e.VXY) + "</p>\n";
    }
    if (!r.cases.needs(OutputCase(3))) {
      b += nothing("the pictures come with cases 3 and higher (the field around the hole).");
    } else if (r.field.nstep == 0 || r.field.nang == 0) {
      b += nothing("the sample grid around the hole has no stations.");
    } else {
      b += polar_figures(r);
      // A field that is nowhere defined has no failure numbers to draw either.
      bool defined = false;
      for (double v : r.field.hoop) defined = defined || std::isfinite(v);
      if (r.field.failure && defined) b += failure_figures(r);
      if (r.stopped) {
        b += "<p>The automatic search for failure stopped: no finite failure load found.</p>\n";
      }
    }
  }
  b += "</section>\n";
}

std::string Page::html() {
  end_pass();
  std::string out =
      "<!DOCTYPE html>\n<html xmlns=\"http://www.w3.org/1999/xhtml\" lang=\"en\">\n<head>\n"
      "<meta charset=\"utf-8\"/>\n<title>holestress pictures</title>\n<style>\n";
  out += page_style();
  out += "</style>\n</head>\n<body>\n<h1>holestress: pictures of the analysis</h1>\n";
  out +=
      "<p class=\"note\">The dialogue has no unit input: stresses and moduli are in the units "
      "typed for them (the loads and E1 in the same units), lengths in the units of the "
      "diameter and the thicknesses, angles in degrees counter-clockwise from the laminate x "
      "axis.</p>\n";
  out += body_;
  out += "</body>\n</html>\n";
  return out;
}

}  // namespace hs::plot
