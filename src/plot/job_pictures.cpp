#include "plot/job_pictures.hpp"

#include <cmath>
#include <limits>
#include <memory>
#include <vector>

#include "analysis/carpet.hpp"
#include "analysis/load_case.hpp"
#include "hole/transforms.hpp"
#include "laminate/membrane_compliance.hpp"
#include "plot/drawing.hpp"
#include "plot/figures.hpp"
#include "plot/pass_record.hpp"
#include "plot/svg.hpp"
#include "ply/failure_criteria.hpp"

namespace hs::plot {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// Where the reserve factors are judged: at the characteristic distance, or by the method and
// the curve of docs/strength.md (the pictures draw the first of several distances).
std::string judged_where(const Job& job) {
  const CharacteristicDistance& d = job.distances.front();
  std::string out = job.method == StrengthMethod::kAverageStress ? "by the stresses averaged " : "";
  if (d.circular()) {
    out += (job.method == StrengthMethod::kAverageStress ? "out to " : "") +
           from_the_edge(d.tension, job.length_unit) + " (the characteristic distance)";
  } else {
    out += "on the characteristic curve, " + from_the_edge(d.tension, job.length_unit) +
           " at the net section to " + readable(d.compression) + " " + job.length_unit +
           " at the bearing face";
  }
  if (job.distances.size() > 1) {
    out += " (the first of " + std::to_string(job.distances.size()) + " distances)";
  }
  return out;
}

// A number rounded for reading, in full on hover: a table cell, or a span of running text.
std::string cell(double v) {
  return "<td" + attr("title", exact(v)) + ">" + readable(v) + "</td>";
}
std::string number(double v) {
  return "<span" + attr("title", exact(v)) + ">" + readable(v) + "</span>";
}

const char* criterion_words(Criterion c) {
  int k = static_cast<int>(c);
  return k >= 1 && k <= 5 ? kCriteria[k - 1] : "?";
}

// "a", "a and b", "a, b and c".
std::string series(const std::vector<std::string>& items) {
  std::string out;
  for (size_t i = 0; i < items.size(); ++i) {
    if (i > 0) out += i + 1 == items.size() ? " and " : ", ";
    out += items[i];
  }
  return out;
}

// The laminate, the hole, the grid and the criteria, as the job file gives them.
std::string inputs_section(const Job& job, bool swatches) {
  const std::string su = " (" + escape(job.stress_unit) + ")";
  const std::string lu = " " + escape(job.length_unit);
  bool strengths = false, strains = false;
  for (int m = 0; m < job.materials.count; ++m) {
    strengths = strengths || job.has_allowables[m];
    strains = strains || job.has_strain_allowables[m];
  }
  std::string b =
      "<section class=\"job-inputs\">\n<h2>Laminate, hole and grid</h2>\n<div class=\"head\"><div>\n";
  // Moduli and strengths are stresses; the strain allowables of maximum strain are strains and
  // have a table of their own.
  b += "<table class=\"materials\"><tr><th>material</th>";
  for (const char* h : {"E1", "E2", "G12"}) b += std::string("<th>") + h + su + "</th>";
  b += "<th>ν12</th>";
  if (strengths) {
    for (const char* h : {"T1", "C1", "T2", "C2", "S12"}) {
      b += std::string("<th>") + h + su + "</th>";
    }
  }
  b += "</tr>\n";
  for (int m = 0; m < job.materials.count; ++m) {
    const ElasticConstants& e = job.materials.elastic[m];
    b += "<tr><td>" + escape(job.material_names[m]) + "</td>" + cell(e.E1) + cell(e.E2) +
         cell(e.G12) + cell(e.NU12);
    if (strengths) {
      const Allowables& a = job.materials.allowables[m];
      if (job.has_allowables[m]) {
        b += cell(a.T1) + cell(a.C1) + cell(a.T2) + cell(a.C2) + cell(a.S12);
      } else {
        b += "<td></td><td></td><td></td><td></td><td></td>";
      }
    }
    b += "</tr>\n";
  }
  b += "</table>\n";
  if (strains) {
    b += "<table class=\"strain-allowables\"><tr><th>material</th>";
    for (const char* h : {"εT1", "εC1", "εT2", "εC2", "εS12"})
      b += std::string("<th>") + h + "</th>";
    b += "</tr>\n";
    for (int m = 0; m < job.materials.count; ++m) {
      if (!job.has_strain_allowables[m]) continue;
      const Allowables& a = job.strain_allowables[m];
      b += "<tr><td>" + escape(job.material_names[m]) + "</td>" + cell(a.T1) + cell(a.C1) +
           cell(a.T2) + cell(a.C2) + cell(a.S12) + "</tr>\n";
    }
    b += "</table>\n";
  }

  b += "<table class=\"plies\"><tr><th>ply</th><th>angle</th><th>thickness (" +
       escape(job.length_unit) + ")</th><th>material</th></tr>\n";
  for (int p = 0; p < job.plies.count; ++p) {
    // The colour of the ply's curves, where there are any.
    const std::string swatch =
        swatches ? "<span class=\"sw\"" +
                       attr("style", std::string("background:") + kPlyColours[p]) + "></span>"
                 : std::string();
    b += "<tr><td>" + swatch + std::to_string(p + 1) + "</td><td>" + degrees(job.plies.angle[p]) +
         "</td>" + (job.carpet ? std::string("<td>by layup</td>") : cell(job.plies.thickness[p])) +
         "<td>" + escape(job.material_names[job.plies.material[p]]) + "</td></tr>\n";
  }
  b += "</table>\n";

  const Grid& g = job.grid;
  b += "<p>Hole diameter D = " + number(g.diameter) + lu + "; ";
  if (job.plate.strip()) {
    const Plate& p = job.plate;
    b += "a strip W = " + number(p.width) + lu + " wide (W/D = " + number(p.width / g.diameter) +
         ") along the laminate x axis, " +
         (p.edge_distance > 0.0
              ? "its free end e = " + number(p.edge_distance) + lu +
                    " ahead of the hole centre (e/D = " + number(p.edge_distance / g.diameter) + ")"
              : std::string("running on both ways")) +
         ": the field of the hole in the strip itself, by boundary collocation.</p>\n";
  } else if (job.plate.width != 0.0) {
    b += "plate width W = " + number(job.plate.width) + lu +
         " (W/D = " + number(job.plate.width / g.diameter) + ")" +
         (job.plate.width_correction == WidthCorrection::kTan
              ? ", the open-hole stresses scaled for the finite width by Tan's factors"
              : std::string()) +
         ".</p>\n";
  } else {
    b += "an infinite plate.</p>\n";
  }
  if (!job.plate.strip() && job.plate.bolt_series == BoltSeriesSum::kLegacy) {
    b += "<p class=\"note\">The bolt's series is summed to its first 45 terms, as the dialogue's "
         "tables have it (bolt_series = \"legacy\").</p>\n";
  }
  if (job.plate.width != 0.0 && job.plate.width < 8.0 * g.diameter && !job.plate.corrected() &&
      !job.plate.strip()) {
    // Below eight diameters the infinite plate's open-hole stresses fall short of the plate's.
    b += "<p class=\"note\">Caution: no finite-width correction, so the open-hole stresses are "
         "those of an infinite plate, lower than the plate's below W/D = 8 "
         "(finite_width_correction = \"tan\" corrects them).</p>\n";
  }
  const int stations = station_count(g) < 0 ? 0 : station_count(g);
  const int steps = step_count(g);
  std::vector<std::string> distances;
  for (int k = 0; k < steps; ++k) distances.push_back(readable(edge_distance(g, k)));
  b += "<p>Grid: " + std::to_string(stations) + (stations == 1 ? " station" : " stations") +
       " every " + degrees(g.angle_step) + " from " + degrees(g.angle_low) + " to " +
       degrees(stations > 0 ? station_angle(g, stations - 1) : g.angle_low) +
       " around the hole, at " + std::to_string(steps) + (steps == 1 ? " distance" : " distances") +
       " from the hole edge: " + series(distances) + lu + " (steps of " + number(g.distance_step) +
       lu + ").</p>\n";
  if (!job.criteria.empty()) {
    std::vector<std::string> names;
    for (Criterion c : job.criteria) names.push_back(criterion_words(c));
    b += "<p>Failure criteria: " + series(names) + "; reserve factors " + judged_where(job) +
         ", factor of safety " + number(job.factor_of_safety) + ".</p>\n";
    bool derived = false;
    for (Criterion c : job.criteria) derived = derived || c == Criterion::kMaxStrain;
    std::vector<std::string> without;
    for (int m = 0; derived && m < job.materials.count; ++m) {
      if (!job.has_strain_allowables[m]) without.push_back(escape(job.material_names[m]));
    }
    if (!without.empty()) {
      b += "<p class=\"note\">Maximum strain compares the ply strains with T1/E1, C1/E1, T2/E2, "
           "C2/E2 and S12/G12 of " +
           series(without) + " (no strain allowables given).</p>\n";
    }
  }
  if (job.carpet) {
    b += "<p class=\"note\">The carpet plot sets the thicknesses of plies 1 to 4 as shares of a "
         "unit total, in steps of ten percent: 66 layups.</p>\n";
  } else {
    const MembraneCompliance c = membrane_compliance(job.materials, job.plies, 0.0);
    const EngineeringConstants e = engineering_constants(c.compliance.laminate_axes);
    const std::string mu = " " + escape(job.stress_unit);
    b += "<p class=\"laminate\">Laminate: EX = " + number(e.EX) + mu + ", EY = " + number(e.EY) +
         mu + ", GXY = " + number(e.GXY) + mu + ", νXY = " + number(e.VXY) + ".</p>\n";
  }
  b += "</div></div>\n</section>\n";
  return b;
}

// The loads of a load case in the strip, in words: the bolt, its reaction behind the hole, and
// the bypass.
std::string strip_loads_text(const Job& job, const Loads& f) {
  const std::string su = " " + escape(job.stress_unit);
  const double reaction = f.bearing * job.grid.diameter / job.plate.width;
  std::string b;
  if (f.bearing == 0.0) {
    b += "<p>No bolt: an open hole in the strip.</p>\n";
  } else {
    b += "<p>Bolt bearing stress " + number(f.bearing) + su + " along the strip (toward +x" +
         (job.plate.edge_distance > 0.0 ? ", the free end" : std::string()) +
         "), reacted by the strip behind the hole: bearing × D / W = " + number(reaction) + su +
         " there.</p>\n";
  }
  if (f.bypass != 0.0) {
    b += "<p>Bypass stress " + number(f.bypass) + su +
         ", carried past the hole by the strip at both ends" +
         (f.bearing != 0.0
              ? " (the end behind the hole carries " + number(f.bypass + reaction) + su + " in all)"
              : std::string()) +
         ".</p>\n";
  } else if (job.plate.edge_distance == 0.0) {
    b += "<p>No bypass stress.</p>\n";
  }
  return b;
}

// The loads of a load case in words.
std::string loads_text(const Job& job, const Loads& f, const LoadCaseAnalysis* e) {
  if (job.plate.strip()) return strip_loads_text(job, f);
  const std::string su = " " + escape(job.stress_unit);
  std::string b = "<p>Far-field stresses px = " + number(f.px) + su + ", py = " + number(f.py) +
                  su + ", pxy = " + number(f.pxy) + su + ", in axes turned " + degrees(f.off_axis) +
                  " from the laminate x axis.</p>\n";
  if (f.bearing == 0.0) {
    b += "<p>No bolt: an open hole.</p>\n";
  } else {
    b += "<p>Bolt bearing stress " + number(f.bearing) + su + " toward " + degrees(f.bolt_angle) +
         (f.bypass != 0.0
              ? "; the bypass stress that reacts it, bearing × D / 2W = " + number(f.bypass) + su
              : std::string("; an infinite plate reacts it at infinity")) +
         ".</p>\n";
  }
  if (e && e->width_corrected) {
    const OpenHoleScale& k = e->width_scale;
    b += "<p class=\"note\">Tan's finite-width factors on the open-hole stresses: px × " +
         number(k.px) + ", py × " + number(k.py) + ", pxy × " + number(k.pxy_tension) + " and " +
         number(k.pxy_compression) + " (its tension and compression), bypass × " +
         number(k.bypass) + ".</p>\n";
  }
  return b;
}

// A record of the load case in the job's words, for the figures the dialogue's page draws too.
PassRecord record_of(const Job& job, const LoadCase& lc, int number, const Problem& pb) {
  PassRecord r;
  r.job = true;
  r.load_case = lc.name;
  r.number = number;
  r.width = job.plate.width;
  r.strip = job.plate.strip();
  r.edge_distance = job.plate.edge_distance;
  r.materials = pb.materials;
  r.plies = pb.plies;
  r.grid = pb.grid;
  r.loads = pb.loads;
  r.criterion = pb.criterion;
  r.stress_unit = job.stress_unit;
  r.length_unit = job.length_unit;
  r.reserve_distance = job.distances.front().tension;
  r.factor_of_safety = job.factor_of_safety;
  return r;
}

// The hoop, radial and shear stresses at every point of the job's grid, [k][j].
void take_field(PassRecord& r, const LaminateField& lf) {
  Field& f = r.field;
  const Grid& g = r.grid;
  f.nstep = step_count(g);
  f.nang = station_count(g) < 0 ? 0 : station_count(g);
  f.nply = r.plies.count;
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

// The failure number of each ply of a criterion, [k][j][p]: the value of largest magnitude (the
// first on ties), with its sign.
void take_failure(PassRecord& r, const Job& job, Criterion c, const PlyField& plies) {
  r.criterion = c;
  r.materials = materials_for(job, c);
  Field& f = r.field;
  f.failure = true;
  f.fn.clear();
  for (int k = 0; k < f.nstep; ++k) {
    for (int j = 0; j < f.nang; ++j) {
      for (int p = 0; p < f.nply; ++p) {
        double fv[4];
        ply_failure_at(c, r.materials, r.plies, plies, j, k, p, fv);
        double governing = fv[0];
        if (has_three_numbers(c)) {
          for (int i = 1; i < 3; ++i) {
            if (std::fabs(fv[i]) > std::fabs(governing)) governing = fv[i];
          }
        }
        f.fn.push_back(governing);
      }
    }
  }
}

// Each criterion's reserve factor around the hole at the characteristic distance: at every
// station the smallest over the plies, as criterion_reserve finds it over all stations.
std::vector<ReserveCurve> reserve_curves(const Job& job, const PlyStack& plies,
                                         const LoadCaseAnalysis& e, const PlyField& at_distance) {
  std::vector<ReserveCurve> curves;
  const int nang = e.stations ? e.stations->stations : 0;
  for (size_t c = 0; c < job.criteria.size() && c < static_cast<size_t>(kMaxCriteria); ++c) {
    const Criterion crit = job.criteria[c];
    const Materials m = materials_for(job, crit);
    std::vector<CriterionConstants> constants;
    for (int p = 0; p < plies.count; ++p) {
      constants.push_back(criterion_constants(crit, m.allowables[plies.material[p]]));
    }
    ReserveCurve rc;
    rc.criterion = crit;
    for (int j = 0; j < nang; ++j) {
      double best = INFINITY;
      int at = 0;
      for (int p = 0; p < plies.count; ++p) {
        const double* s = criterion_input(at_distance, crit, j, 0, p);
        const double f = point_reserve(constants[p], s[0], s[1], s[2]);
        if (f > 0.0 && f < best) {
          best = f;
          at = p;
        }
      }
      rc.factor.push_back(best);
      rc.ply.push_back(at);
    }
    const CriterionReserve& f = e.reserve[0].criterion[c];
    rc.smallest = f.factor;
    rc.station = f.station;
    rc.smallest_ply = f.ply;
    rc.component = f.component;
    curves.push_back(rc);
  }
  return curves;
}

std::string section_head(const LoadCase& lc, int number) {
  return "<section class=\"load-case\"" + attr("data-load-case", lc.name) +
         attr("data-index", std::to_string(number)) + ">\n<h2" +
         attr("id", "load-case-" + std::to_string(number)) + ">Load case " +
         std::to_string(number) + ": " + escape(lc.name) + "</h2>\n";
}

// The analysis of a load case as the job runner makes it, with what the pictures draw: the field
// on the job's own grid whatever tables the job asks for.
LoadCaseAnalysis analyse(const Job& job, const PlyStack& plies, const LoadCase& lc,
                         const FailureAssessment& assessment, LoadCaseWork& work, Problem& pb) {
  LoadCaseWants wants;
  wants.field = !job.carpet;
  wants.ply_values = !job.carpet && job.wants(ResultKind::kFailure);
  wants.reserve = job.wants(ResultKind::kReserve) && !job.criteria.empty();
  return analyse_load_case(job.materials, plies, job.grid, job.plate, lc.loads, assessment, wants,
                           work, pb);
}

std::string load_case_section(const Job& job, const FailureAssessment& assessment, int number,
                              LoadCaseWork& work) {
  const LoadCase& lc = job.load_cases[number - 1];
  Problem pb;
  const LoadCaseAnalysis e = analyse(job, job.plies, lc, assessment, work, pb);
  PassRecord r = record_of(job, lc, number, pb);
  take_field(r, *e.field);
  std::string out = section_head(lc, number);
  out += "<div class=\"head\"><div class=\"loads\">\n" + loads_text(job, r.loads, &e) + "</div>\n";
  const bool grid = r.field.nstep > 0 && r.field.nang > 0;
  if (grid) out += key_figure(r);
  out += "</div>\n";
  if (job.wants(ResultKind::kReserve) && !job.criteria.empty()) {
    r.reserve = reserve_curves(job, job.plies, e, work.at_stations.plies);
    out += reserve_figure(r);
  }
  if (!grid) {
    out += nothing("the grid around the hole has no stations.");
  } else {
    out += polar_figures(r);
    bool defined = false;
    for (double v : r.field.hoop) defined = defined || std::isfinite(v);
    if (job.wants(ResultKind::kFailure) && e.plies && defined) {
      for (Criterion c : job.criteria) {
        PassRecord rc = r;
        take_failure(rc, job, c, *e.plies);
        out += failure_figures(rc);
      }
    }
  }
  return out + "</section>\n";
}

// The carpet plot: the moduli of the 66 layups, then per load case the smallest reserve factor
// of each layup.
std::string carpet_sections(const Job& job, const FailureAssessment& assessment,
                            LoadCaseWork& work) {
  PassRecord base;
  base.job = true;
  base.carpet = true;
  base.number = 1;
  base.plies = job.plies;
  base.materials = job.materials;
  base.stress_unit = job.stress_unit;
  base.length_unit = job.length_unit;
  for (auto& row : base.layups) {
    for (Layup& l : row) l = {false, kNaN, kNaN, kNaN, kNaN};
  }
  const bool reserve = job.wants(ResultKind::kReserve) && !job.criteria.empty();
  std::vector<PassRecord> cases(reserve ? job.load_cases.size() : 0, base);
  PlyStack plies = job.plies;
  for (int i = 0; i < kCarpetLayups; ++i) {
    const Shares s = apply_carpet_layup(job.plies, carpet_layup(i), plies);
    const int a = (s.s0 + 5) / 10, b = (s.s45 + 5) / 10;
    if (a < 0 || a > 10 || b < 0 || b > 10) continue;
    const EngineeringConstants e = engineering_constants(
        membrane_compliance(job.materials, plies, 0.0).compliance.laminate_axes);
    base.layups[a][b] = {true, e.EX, e.EY, e.GXY, kNaN};
    for (size_t c = 0; c < cases.size(); ++c) {
      Problem pb;
      const LoadCaseAnalysis ev = analyse(job, plies, job.load_cases[c], assessment, work, pb);
      const LoadCaseReserve& rv = ev.reserve[0];
      cases[c].layups[a][b] = {true, kNaN, kNaN, kNaN,
                               rv.smallest >= 0 ? rv.criterion[rv.smallest].factor : kNaN};
    }
  }
  const std::string mu = job.stress_unit;
  std::string out =
      "<section class=\"carpet\">\n<h2 id=\"carpet\">Carpet plot: the 66 layups</h2>\n" +
      carpet_legend(base) +
      carpet_charts(base,
                    {{"EX", "EX", mu, &Layup::EX, false, ""},
                     {"EY", "EY", mu, &Layup::EY, false, ""},
                     {"GXY", "GXY", mu, &Layup::GXY, false, ""}},
                    "") +
      "</section>\n";
  for (size_t c = 0; c < cases.size(); ++c) {
    const LoadCase& lc = job.load_cases[c];
    PassRecord& r = cases[c];
    r.number = static_cast<int>(c) + 1;
    r.load_case = lc.name;
    out += section_head(lc, r.number) + loads_text(job, lc.loads, nullptr) +
           "<h3>Smallest reserve factor of each layup</h3>\n" + carpet_legend(r) +
           carpet_charts(r,
                         {{"reserve", "Smallest reserve factor", "", &Layup::failure, true,
                           attr("data-load-case", lc.name)}},
                         "<p class=\"caption\">The smallest reserve factor of the criteria " +
                             judged_where(job) +
                             ": the factor by which every load of the load case can grow "
                             "before the first ply of the layup fails. A layup that no "
                             "criterion fails has no point.</p>\n") +
           "</section>\n";
  }
  return out;
}

}  // namespace

std::string job_pictures(const Job& job) {
  const std::string title =
      job.title.empty() ? std::string("holestress: pictures of a job") : job.title;
  std::string out =
      "<!DOCTYPE html>\n<html xmlns=\"http://www.w3.org/1999/xhtml\" lang=\"en\">\n<head>\n"
      "<meta charset=\"utf-8\"/>\n<title>" +
      escape(title) + " (holestress pictures)</title>\n<style>\n";
  out += page_style();
  out += "</style>\n</head>\n<body>\n<h1 class=\"job-title\">" + escape(title) + "</h1>\n";
  out += "<p class=\"note\">Stresses and moduli in " + escape(job.stress_unit) + ", lengths in " +
         escape(job.length_unit) +
         ", angles in degrees counter-clockwise from the laminate x axis; strains and factors "
         "without unit. Numbers are rounded for reading: hover over one for its full value.</p>\n";
  out +=
      inputs_section(job, !job.carpet && job.wants(ResultKind::kFailure) && !job.criteria.empty());

  const FailureAssessment assessment = failure_assessment(job);
  auto work = std::make_unique<LoadCaseWork>();
  if (job.carpet) {
    out += carpet_sections(job, assessment, *work);
  } else {
    for (size_t i = 0; i < job.load_cases.size(); ++i) {
      out += load_case_section(job, assessment, static_cast<int>(i) + 1, *work);
    }
  }
  out += "</body>\n</html>\n";
  return out;
}

}  // namespace hs::plot
