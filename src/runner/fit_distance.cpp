#include "runner/fit_distance.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <ostream>
#include <sstream>

#include "analysis/distance_fit.hpp"
#include "analysis/finite_width.hpp"
#include "job/coupon_file.hpp"
#include "job/job_reader.hpp"
#include "job/job_writer.hpp"
#include "laminate/membrane_compliance.hpp"
#include "plot/chart.hpp"
#include "plot/figures.hpp"
#include "runner/results_common.hpp"

namespace hs {

namespace {

const char* const kLoading[2] = {"tension", "compression"};
const char* const kColour[2] = {"#1f5fa8", "#b01c1c"};

// Everything the report, the picture and the job take from one run of the fits.
struct Fitted {
  CouponFile file;
  CouponModel model;
  std::vector<Coupon> coupons;     // one per replicate strength
  std::vector<std::string> names;  // "OHT-6", or "OHT-6 #2" for a second replicate
  DistanceFit fit[2];              // by the program's prediction: tension, compression
  DistanceFit rule[2];             // by Whitney and Nuismer's laminate rule, with an unnotched
  double unnotched[2] = {0, 0};    // strength measured (0: none)
  double unnotched_predicted[2] = {0, 0};
  double concentration = 0.0;  // of the open hole, infinite plate, along the coupons' axis
};

std::string format(const char* f, double v) {
  char text[64];
  std::snprintf(text, sizeof text, f, v);
  return text;
}

std::string method_words(const FailureAssessment& a) {
  if (a.method == StrengthMethod::kPointStress) return "point stress";
  return "average stress (" + std::string(average_rule_name(a.average_rule)) + ", " +
         std::to_string(a.average_points) + " points)";
}

bool read_text(const std::string& path, std::string& text, std::ostream& err) {
  std::ifstream f(path, std::ios::binary);
  if (!f) {
    err << "holestress: cannot read " << path << "\n";
    return false;
  }
  std::ostringstream s;
  s << f.rdbuf();
  text = s.str();
  return true;
}

bool write_text(const std::string& path, const std::string& text, std::ostream& err) {
  std::ofstream f(path, std::ios::binary);
  f << text;
  f.close();
  if (!f) err << "holestress: cannot write " << path << "\n";
  return static_cast<bool>(f);
}

void run_fits(Fitted& f) {
  const Job& lam = f.file.laminate;
  f.model.materials = lam.materials;
  f.model.plies = lam.plies;
  f.model.assessment = failure_assessment(lam);
  f.model.load_angle = f.file.load_angle;
  f.model.angle_step = f.file.angle_step;
  for (const CouponTest& t : f.file.coupons) {
    for (std::size_t r = 0; r < t.strengths.size(); ++r) {
      f.coupons.push_back({t.compression, t.diameter, t.width, t.strengths[r]});
      f.names.push_back(r == 0 ? t.name : t.name + " #" + std::to_string(r + 1));
    }
  }
  f.concentration = open_hole_concentration(lam.materials, lam.plies, f.file.load_angle);
  f.unnotched[0] = f.file.unnotched_tension;
  f.unnotched[1] = f.file.unnotched_compression;
  for (int l = 0; l < 2; ++l) {
    const bool compression = l == 1;
    f.fit[l] = fit_distance(f.model, f.coupons, compression);
    f.unnotched_predicted[l] = predicted_unnotched_strength(f.model, compression);
    if (f.unnotched[l] > 0.0) {
      f.rule[l] = fit_laminate_rule(f.model.assessment.method, f.concentration, f.unnotched[l],
                                    f.coupons, compression);
    }
  }
}

void report_loading(const Fitted& f, int l, std::ostream& out) {
  const DistanceFit& fit = f.fit[l];
  const std::string& length = f.file.laminate.length_unit;
  const std::string& stress = f.file.laminate.stress_unit;
  out << "\n" << kLoading[l] << ": ";
  if (fit.status == FitStatus::kNoCoupons) {
    out << "no coupons\n";
    return;
  }
  out << fit.coupons.size() << " coupon" << (fit.coupons.size() == 1 ? "" : "s") << "\n";
  const char* key = l == 0 ? "distance_tension" : "distance_compression";
  if (fit.status == FitStatus::kFitted) {
    out << "  " << key << " = " << format("%.6g", fit.distance) << " " << length
        << "   (least squares of predicted / measured - 1: rms " << format("%.2f", 100 * fit.rms)
        << " %)\n";
  } else {
    const bool strong = fit.distance > 0.5 * fit.limit;
    out << "  no distance fits: the least squares lie at " << format("%.6g", fit.distance) << " "
        << length << ", the end of the range searched (0 to " << format("%.6g", fit.limit)
        << ", the smallest half ligament); the coupons are "
        << (strong ? "stronger than the criteria predict at any distance"
                   : "weaker than the criteria predict at the hole edge")
        << " (rms " << format("%.2f", 100 * fit.rms) << " %)\n";
  }
  char line[200];
  std::snprintf(line, sizeof line, "  %-16s %10s %10s %12s %12s %9s %12s\n", "coupon",
                ("D [" + length + "]").c_str(), ("W [" + length + "]").c_str(), "measured",
                "predicted", "residual", "matching d");
  out << line;
  for (std::size_t k = 0; k < fit.coupons.size(); ++k) {
    const Coupon& c = f.coupons[fit.coupons[k]];
    const double residual = fit.predicted[k] / c.strength - 1.0;
    const std::string matching =
        std::isnan(fit.matching[k]) ? std::string("none") : format("%.5g", fit.matching[k]);
    std::snprintf(line, sizeof line, "  %-16s %10.4g %10.4g %12.6g %12.6g %8.2f%% %12s\n",
                  f.names[fit.coupons[k]].c_str(), c.diameter, c.width, c.strength,
                  fit.predicted[k], 100 * residual, matching.c_str());
    out << line;
  }
  out << "  (strengths in " << stress << ", gross section; matching d: the distance whose "
      << "prediction equals that coupon's strength)\n";
  out << "  unnotched: predicted " << format("%.6g", f.unnotched_predicted[l]) << " " << stress
      << " (first ply failure by the criteria)";
  if (f.unnotched[l] > 0.0) {
    out << ", measured " << format("%.6g", f.unnotched[l]) << ": residual "
        << format("%+.2f", 100 * (f.unnotched_predicted[l] / f.unnotched[l] - 1.0)) << " %\n";
    const DistanceFit& rule = f.rule[l];
    out << "  Whitney-Nuismer laminate rule (unnotched " << format("%.6g", f.unnotched[l])
        << ", K_T " << format("%.4g", f.concentration) << ", Tan's width factor): ";
    if (rule.status == FitStatus::kFitted) {
      out << "distance " << format("%.6g", rule.distance) << " " << length << ", rms "
          << format("%.2f", 100 * rule.rms) << " %\n";
    } else {
      out << "no distance fits (least squares at " << format("%.6g", rule.distance) << ")\n";
    }
  } else {
    out << "; no measured unnotched strength given\n";
  }
}

std::string report(const Fitted& f) {
  std::ostringstream out;
  const Job& lam = f.file.laminate;
  const EngineeringConstants e = engineering_constants(
      membrane_compliance(lam.materials, lam.plies, f.file.load_angle).compliance.bolt_axes);
  out << "holestress fit-distance: " << f.file.path;
  if (!f.file.title.empty()) out << " (" << f.file.title << ")";
  out << "\nlaminate: " << lam.plies.count << " plies, "
      << format("%.6g", total_thickness(lam.plies)) << " " << lam.length_unit
      << " thick; along the coupons (" << format("%g", f.file.load_angle) << " degrees) E "
      << format("%.5g", e.EX) << " " << lam.stress_unit << ", open-hole K_T "
      << format("%.4g", f.concentration) << " (infinite plate)\n";
  std::string criteria;
  for (Criterion c : lam.criteria)
    criteria += (criteria.empty() ? "" : ", ") + std::string(criterion_name(c));
  out << "criteria: " << criteria
      << " (the smallest factor); method: " << method_words(f.model.assessment)
      << "; stations round the hole from 0 to 180 degrees, " << format("%g", f.file.angle_step)
      << " apart; each coupon's width by Tan's correction\n";
  for (int l = 0; l < 2; ++l) report_loading(f, l, out);
  return out.str();
}

// The median of W / D of the coupons of one loading: the width the curves are drawn for.
double width_ratio(const Fitted& f, int l) {
  std::vector<double> r;
  for (int i : f.fit[l].coupons) r.push_back(f.coupons[i].width / f.coupons[i].diameter);
  std::sort(r.begin(), r.end());
  const std::size_t n = r.size();
  return n % 2 ? r[n / 2] : 0.5 * (r[n / 2 - 1] + r[n / 2]);
}

// Notched strength against hole diameter: each coupon a dot, the strength predicted at the fitted
// distance (solid) and by the laminate rule (dashed) for coupons of the median width ratio, and
// the measured unnotched strengths (dashed across).
std::string picture(const Fitted& f) {
  using namespace plot;
  const Job& lam = f.file.laminate;
  double d_max = 0.0, s_max = 0.0;
  for (const Coupon& c : f.coupons)
    d_max = std::fmax(d_max, c.diameter), s_max = std::fmax(s_max, c.strength);
  for (int l = 0; l < 2; ++l) s_max = std::fmax(s_max, f.unnotched[l]);
  struct Series {
    std::vector<double> d, fitted, rule;
    std::string legend;
  } series[2];
  auto work = std::make_unique<LoadCaseWork>();
  constexpr int kCurvePoints = 41;
  for (int l = 0; l < 2; ++l) {
    const DistanceFit& fit = f.fit[l];
    if (fit.status == FitStatus::kNoCoupons) continue;
    const double ratio = width_ratio(f, l);
    Series& s = series[l];
    for (int k = 0; k < kCurvePoints; ++k) {
      const double d = d_max * (0.04 + 1.21 * k / (kCurvePoints - 1));
      const Coupon c{l == 1, d, ratio * d, 1.0};
      s.d.push_back(d);
      s.fitted.push_back(predicted_strength(f.model, c, fit.distance, *work));
      s.rule.push_back(f.rule[l].status == FitStatus::kNoCoupons
                           ? std::nan("")
                           : laminate_rule_strength(f.model.assessment.method, f.concentration,
                                                    f.unnotched[l], c, f.rule[l].distance));
      if (std::isfinite(s.fitted.back())) s_max = std::fmax(s_max, s.fitted.back());
    }
    s.legend = std::string(kLoading[l]) + ": fitted " + format("%.4g", fit.distance) + " " +
               lam.length_unit + (fit.status == FitStatus::kFitted ? "" : " (no fit)");
    if (f.rule[l].status != FitStatus::kNoCoupons) {
      s.legend += ", laminate rule " + format("%.4g", f.rule[l].distance) + " " + lam.length_unit;
    }
    s.legend += "; curves for W/D " + format("%.3g", ratio);
  }
  int lines = 1;
  for (const Series& s : series) lines += s.legend.empty() ? 0 : 1;
  const double footer = 16.0 * lines + 6.0;
  Chart chart(620.0, 380.0 + footer, nice_axis(0.0, 1.25 * d_max, 6),
              nice_axis(0.0, 1.08 * s_max, 6), {"hole diameter", lam.length_unit},
              {"notched strength", lam.stress_unit}, attr("class", "hole-size-effect"), footer);
  chart.svg().raw(std::string("<style>") + page_style() + "</style>\n");
  chart.svg().text({10.0, chart.height() - footer + 12.0},
                   "dots: the coupons; solid: the criteria at the fitted distance; dashed: the "
                   "laminate rule; dotted: the unnotched strength",
                   "");
  int line = 1;
  for (int l = 0; l < 2; ++l) {
    const Series& s = series[l];
    if (s.legend.empty()) continue;
    if (f.unnotched[l] > 0.0) {
      const double y = chart.at(0.0, f.unnotched[l]).y;
      chart.svg().line({chart.left(), y}, {chart.right(), y},
                       attr("stroke", kColour[l]) + attr("stroke-dasharray", "2 3"));
    }
    chart.curve(s.d, s.fitted, kColour[l], 0.0,
                attr("data-curve", std::string(kLoading[l]) + "-fit"));
    chart.curve(s.d, s.rule, kColour[l], 0.0,
                attr("stroke-dasharray", "6 4") +
                    attr("data-curve", std::string(kLoading[l]) + "-laminate-rule"));
    for (int i : f.fit[l].coupons) {
      const Coupon& c = f.coupons[i];
      chart.svg().circle(chart.at(c.diameter, c.strength), 3.5,
                         attr("fill", kColour[l]) + attr("data-coupon", f.names[i]),
                         f.names[i] + ": D " + format("%.4g", c.diameter) + ", " +
                             format("%.6g", c.strength) + " " + lam.stress_unit);
    }
    const double y = chart.height() - footer + 16.0 * line + 12.0;
    chart.svg().circle({14.0, y - 3.5}, 3.5, attr("fill", kColour[l]));
    chart.svg().text({24.0, y}, s.legend, "");
    ++line;
  }
  return chart.finish();
}

std::string html_page(const Fitted& f, const std::string& text, const std::string& svg) {
  using namespace plot;
  return "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>" +
         escape("fit-distance " + f.file.path) + "</title><style>" + page_style() +
         "</style></head><body>\n<h1>Characteristic distances from coupon tests</h1>\n<pre>" +
         escape(text) + "</pre>\n<figure>" + svg +
         "<figcaption>Hole-size effect</figcaption></figure>\n" + "</body></html>\n";
}

// Whether two stacks are the same laminate: ply by ply the same angle, thickness and material
// constants (a joint job's laminate among other materials, the coupons' among their own).
bool same_laminate(const Job& a, const PlyStack& pa, const Job& b, const PlyStack& pb) {
  if (pa.count != pb.count) return false;
  for (int p = 0; p < pa.count; ++p) {
    if (pa.angle[p] != pb.angle[p] || pa.thickness[p] != pb.thickness[p]) return false;
    const ElasticConstants &e = a.materials.elastic[pa.material[p]],
                           &g = b.materials.elastic[pb.material[p]];
    const Allowables &s = a.materials.allowables[pa.material[p]],
                     &t = b.materials.allowables[pb.material[p]];
    if (e.E1 != g.E1 || e.E2 != g.E2 || e.G12 != g.G12 || e.NU12 != g.NU12 || s.T1 != t.T1 ||
        s.C1 != t.C1 || s.T2 != t.T2 || s.C2 != t.C2 || s.S12 != t.S12)
      return false;
  }
  return true;
}

// The job's laminate is the coupons': a joint job's, when one of its plates' laminates is.
bool same_laminate(const Job& job, const Job& coupons) {
  if (!job.joint.given) return same_laminate(job, job.plies, coupons, coupons.plies);
  for (const NamedLaminate& l : job.joint.laminates) {
    if (same_laminate(job, l.plies, coupons, coupons.plies)) return true;
  }
  return false;
}

// The fitted distances and the method into the job's [failure]; the job file is written anew.
int update_job(const std::string& path, const Fitted& f, std::ostream& out, std::ostream& err) {
  const bool tension = f.fit[0].status == FitStatus::kFitted;
  const bool compression = f.fit[1].status == FitStatus::kFitted;
  if (!tension && !compression) {
    err << "holestress: no distance was fitted: " << path << " is left as it was\n";
    return 1;
  }
  std::string text;
  if (!read_text(path, text, err)) return 1;
  Job job;
  std::vector<JobError> errors;
  if (!read_job(text, path, job, errors)) {
    for (const JobError& e : errors) err << to_string(e) << "\n";
    return 2;
  }
  // A joint job without [grid] has its stations at the characteristic distance: they move with
  // it.
  const bool default_grid = job.joint.given && [&] {
    const Grid g = joint_default_grid(job);
    return g.angle_step == job.grid.angle_step && g.angle_low == job.grid.angle_low &&
           g.angle_high == job.grid.angle_high && g.distance_step == job.grid.distance_step &&
           g.steps == job.grid.steps;
  }();
  const Job& lam = f.file.laminate;
  // One distance all round stays one where only tension is fitted; a compression distance alone
  // makes the job's distance the tension side of a curve.
  CharacteristicDistance d = job.distances.front();
  if (job.distances.size() > 1) {
    out << "caution: " << path << " listed " << job.distances.size()
        << " distances; it now has the fitted one\n";
  }
  if (tension) {
    if (d.circular()) d.compression = f.fit[0].distance;
    d.tension = f.fit[0].distance;
  }
  if (compression) d.compression = f.fit[1].distance;
  job.distances = {d};
  job.distance_list = false;
  job.method = lam.method;
  job.average_rule = lam.average_rule;
  job.average_points = lam.average_points;
  if (job.criteria.empty()) {
    job.criteria = lam.criteria;
  } else if (job.criteria != lam.criteria) {
    out << "caution: " << path << " judges failure by other criteria than the coupons were "
        << "fitted with: a characteristic distance belongs to its criterion\n";
  }
  if (job.length_unit != lam.length_unit || job.stress_unit != lam.stress_unit) {
    out << "caution: " << path << " is in " << job.stress_unit << " and " << job.length_unit
        << ", the coupons in " << lam.stress_unit << " and " << lam.length_unit
        << ": the distances are written as fitted, unconverted\n";
  }
  if (!same_laminate(job, lam)) {
    out << "caution: " << path << " has another laminate than the coupons: the distances "
        << "belong to the laminate, hole sizes and test they were fitted on\n";
  }
  if (default_grid) job.grid = joint_default_grid(job);
  // The job as it will be read: a distance it cannot hold (the stations of a joint's hole beyond
  // its strip) leaves the file as it was.
  const std::string written = write_job(job);
  Job back;
  if (!read_job(written, path, back, errors)) {
    err << "holestress: the fitted distances do not fit " << path << ", left as it was:\n";
    for (const JobError& e : errors) err << "  " << e.key << ": " << e.message << "\n";
    return 2;
  }
  if (!write_text(path, written, err)) return 1;
  out << "wrote " << path << ": ";
  if (d.circular()) {
    out << "distance = " << format("%.6g", d.tension);
  } else {
    out << "distance_tension = " << format("%.6g", d.tension)
        << ", distance_compression = " << format("%.6g", d.compression);
  }
  out << ", method = \"" << method_name(job.method) << "\" (the whole file written anew)\n";
  return 0;
}

}  // namespace

int fit_distance_command(const FitDistanceOptions& options, std::ostream& out, std::ostream& err) {
  std::string text;
  if (!read_text(options.coupons, text, err)) return 1;
  auto fitted = std::make_unique<Fitted>();
  Fitted& f = *fitted;
  std::vector<JobError> errors;
  if (!read_coupon_file(text, options.coupons, f.file, errors)) {
    for (const JobError& e : errors) err << to_string(e) << "\n";
    return 2;
  }
  run_fits(f);
  const std::string summary = report(f);
  out << summary;

  std::string path = options.picture;
  if (path.empty()) path = std::filesystem::path(options.coupons).stem().string() + "-fit.svg";
  const std::string svg = picture(f);
  const bool html = std::filesystem::path(path).extension() == ".html";
  if (!write_text(path, html ? html_page(f, summary, svg) : svg, err)) return 1;
  out << "\npicture: " << path << "\n";
  if (!options.write_job.empty()) return update_job(options.write_job, f, out, err);
  return 0;
}

}  // namespace hs
