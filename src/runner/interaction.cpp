#include "runner/interaction.hpp"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <sstream>

#include "io/output_file.hpp"
#include "job/job_reader.hpp"
#include "job/toml_limits.hpp"
#include "plot/chart.hpp"
#include "plot/figures.hpp"
#include "runner/csv_results.hpp"
#include "runner/joint_job.hpp"
#include "runner/results_common.hpp"

namespace hs {

namespace {

const char* const kColours[kMaxCriteria] = {"#1f5fa8", "#b01c1c", "#2a8a3a", "#8a4fb0", "#c07a10"};

std::string format(const char* f, double v) {
  char text[64];
  std::snprintf(text, sizeof text, f, v);
  return text;
}

// The point of failure of a ray for a factor: the factor times the ray's unit direction.
void failure_point(const InteractionRay& ray, double factor, double& bypass, double& bearing) {
  const double a = ray.angle * (3.141592653589793 / 180.0);
  const double c = ray.angle == 90.0 ? 0.0 : ray.angle == 180.0 ? -1.0 : std::cos(a);
  const double s = ray.angle == 0.0 || ray.angle == 180.0 ? 0.0
                   : ray.angle == 90.0                    ? 1.0
                                                          : std::sin(a);
  bypass = factor * c;
  bearing = factor * s;
}

double smallest_factor(const LoadCaseReserve& r) {
  if (r.undefined) return std::nan("");
  return r.smallest >= 0 ? r.criterion[r.smallest].factor : INFINITY;
}

}  // namespace

bool interaction_hole(const Job& job, const std::string& name, InteractionHole& hole,
                      std::string& message) {
  if (!job.joint.given) {
    if (!name.empty()) {
      message = "--hole " + name + ": the job has one hole; --hole names a hole of a joint job";
      return false;
    }
    hole.plies = job.plies;
    hole.grid = job.grid;
    hole.plate = job.plate;
    if (!job.load_cases.empty()) {
      const Loads& l = job.load_cases[0].loads;
      hole.bolt_angle = l.bolt_angle;
      hole.bearing = l.bearing;
      hole.bypass = job.plate.strip() ? l.bypass : l.px;
      // The load case is on the diagram when it is a bolt with a bypass along it.
      hole.loaded =
          l.py == 0.0 && l.pxy == 0.0 && (job.plate.strip() || l.off_axis == l.bolt_angle);
      if (!hole.loaded) {
        hole.notes.push_back("the first load case has loads across the bolt: not on the diagram");
      }
    }
    return true;
  }
  const JointAnalysis a = analyse_joint_job(job);
  if (a.status != JointStatus::kOk) {
    message = a.message;
    return false;
  }
  int plate = a.critical_plate, row = a.critical_row;
  if (!name.empty()) {
    plate = row = -1;
    const std::size_t colon = name.rfind(':');
    for (std::size_t p = 0; colon != std::string::npos && p < job.joint.plates.size(); ++p) {
      if (job.joint.plates[p].name != name.substr(0, colon)) continue;
      const std::string digits = name.substr(colon + 1);
      int r = 0;
      bool ok = !digits.empty() && digits.size() < 6;
      for (char ch : digits) ok = ok && ch >= '0' && ch <= '9';
      if (ok) r = std::stoi(digits);
      if (ok && r >= 1 && r <= static_cast<int>(job.joint.rows.size())) {
        plate = static_cast<int>(p);
        row = r - 1;
      }
    }
    if (plate < 0) {
      message = "--hole " + name +
                ": no such hole (PLATE:ROW, a plate's name and a row from 1 to " +
                std::to_string(job.joint.rows.size()) + ")";
      return false;
    }
  } else if (plate < 0) {
    message =
        "the joint has no critical hole (some hole's factors are undefined): name one with "
        "--hole PLATE:ROW";
    return false;
  }
  const JointHole& h = a.holes[static_cast<std::size_t>(plate)][static_cast<std::size_t>(row)];
  hole.name = joint_hole_name(job, plate, row);
  hole.plies = a.plies[static_cast<std::size_t>(plate)];
  hole.grid = h.grid;
  hole.plate = h.plate;
  hole.bolt_angle = h.loads.bolt_angle;
  hole.bearing = h.loads.bearing;
  // The diagram's bypass is the stress on the side the bolt bears towards, the superposition's
  // far field reacting the bolt behind it (a tension joint: the free end's side). In compression
  // the bolt bears towards the loaded end: the bypass there is the plate's less the bearing's
  // share, bearing D / pitch, which leaves the same uniform stress, px + Loads::bypass.
  hole.bypass = h.plate.strip()
                    ? h.loads.bypass
                    : h.loads.px + h.loads.bypass -
                          bypass_stress(h.loads.bearing, h.grid.diameter, h.plate.width);
  hole.loaded = true;
  if (hole.plate.strip() && hole.plate.edge_distance > 0.0) {
    // By the free end the plate carries no bypass: the diagram is that of the strip running on.
    hole.plate.edge_distance = 0.0;
    hole.notes.push_back(
        "the hole is by the plate's free end, which carries no bypass: the "
        "diagram is that of the strip of its pitch without the free end");
  }
  return true;
}

std::string interaction_csv(const Job& job, const std::vector<InteractionRay>& rays) {
  const ResultUnits u = result_units(job);
  std::string text = "ray_angle [deg],criterion,bypass [" + u.stress + "],bearing [" + u.stress +
                     "],factor_of_unit_load\n";
  auto row = [&](const InteractionRay& ray, const char* name, double factor) {
    double bypass = 0.0, bearing = 0.0;
    failure_point(ray, factor, bypass, bearing);
    if (std::isinf(factor) || std::isnan(factor)) bypass = bearing = factor;
    text += csv_number(ray.angle) + "," + name + "," + csv_number(bypass) + "," +
            csv_number(bearing) + "," + csv_number(factor) + "\n";
  };
  for (std::size_t c = 0; c < job.criteria.size(); ++c) {
    for (const InteractionRay& ray : rays) {
      row(ray, criterion_name(job.criteria[c]), ray.reserve.criterion[c].factor);
    }
  }
  for (const InteractionRay& ray : rays) row(ray, "smallest", smallest_factor(ray.reserve));
  return text;
}

std::string interaction_picture(const Job& job, const InteractionHole& hole,
                                const std::vector<InteractionRay>& rays,
                                const LoadCaseReserve& own) {
  using namespace plot;
  const ResultUnits u = result_units(job);
  const std::size_t n = job.criteria.size();
  std::vector<std::vector<double>> x(n + 1), y(n + 1);
  double x_lo = 0.0, x_hi = 0.0, y_hi = 0.0;
  for (std::size_t c = 0; c <= n; ++c) {
    for (const InteractionRay& ray : rays) {
      const double f = c < n ? ray.reserve.criterion[c].factor : smallest_factor(ray.reserve);
      double bx = NAN, by = NAN;
      if (std::isfinite(f)) failure_point(ray, f, bx, by);
      x[c].push_back(bx);
      y[c].push_back(by);
      // The envelope sets the axes; a criterion that fails much later leaves the frame.
      if (c == n && std::isfinite(f)) {
        x_lo = std::fmin(x_lo, bx);
        x_hi = std::fmax(x_hi, bx);
        y_hi = std::fmax(y_hi, by);
      }
    }
  }
  if (hole.loaded) {
    x_lo = std::fmin(x_lo, hole.bypass);
    x_hi = std::fmax(x_hi, hole.bypass);
    y_hi = std::fmax(y_hi, hole.bearing);
  }
  const double span = std::fmax(x_hi - x_lo, y_hi);
  if (!(span > 0.0)) x_hi = y_hi = 1.0;
  const std::string title = hole.name.empty() ? std::string("the hole") : "hole " + hole.name;
  std::vector<std::string> lines;
  lines.push_back(title + (job.title.empty() ? "" : " of " + job.title) +
                  (hole.loaded ? ", its loads the dot, their ray dashed" : ""));
  lines.push_back(
      "bearing against bypass stress where the reserve factor is 1; black: the "
      "smallest over the criteria");
  for (const std::string& note : hole.notes) lines.push_back(note);
  const double footer = 16.0 * static_cast<double>(lines.size() + 1) + 6.0;
  Chart chart(620.0, 460.0 + footer, nice_axis(1.08 * x_lo, 1.08 * x_hi, 8),
              nice_axis(0.0, 1.08 * y_hi, 6), {"bypass stress", u.stress},
              {"bearing stress", u.stress}, attr("class", "interaction"), footer);
  chart.svg().raw(std::string("<style>") + page_style() + "</style>\n");
  // Points beyond the frame are left out rather than drawn over the axes.
  auto clip = [&](std::vector<double>& px, std::vector<double>& py) {
    for (std::size_t i = 0; i < px.size(); ++i) {
      if (px[i] < 1.08 * x_lo - 1e-9 * span || px[i] > 1.08 * x_hi + 1e-9 * span ||
          py[i] > 1.08 * y_hi + 1e-9 * span) {
        px[i] = py[i] = NAN;
      }
    }
  };
  for (std::size_t c = 0; c < n; ++c) {
    clip(x[c], y[c]);
    chart.curve(x[c], y[c], kColours[c], 0.0,
                attr("data-criterion", criterion_name(job.criteria[c])));
  }
  chart.curve(x[n], y[n], "#000000", 0.0,
              attr("stroke-width", "2.5") + attr("data-curve", "smallest"));
  if (hole.loaded) {
    const Point own_at = chart.at(hole.bypass, hole.bearing);
    const double f = smallest_factor(own);
    if (std::isfinite(f) && f > 0.0) {
      chart.svg().line(chart.at(0.0, 0.0), chart.at(f * hole.bypass, f * hole.bearing),
                       attr("stroke", "#555555") + attr("stroke-dasharray", "4 3"));
    }
    chart.svg().circle(own_at, 4.0, attr("fill", "#000000") + attr("data-hole", title),
                       title + ": bypass " + format("%.5g", hole.bypass) + ", bearing " +
                           format("%.5g", hole.bearing) + " " + u.stress + ", reserve factor " +
                           format("%.4g", f));
  }
  double line_y = chart.height() - footer + 12.0;
  for (const std::string& l : lines) {
    chart.svg().text({10.0, line_y}, l, "");
    line_y += 16.0;
  }
  for (std::size_t c = 0; c < n; ++c) {
    chart.svg().line({10.0 + 120.0 * c, line_y - 4.0}, {30.0 + 120.0 * c, line_y - 4.0},
                     attr("stroke", kColours[c]) + attr("stroke-width", "2"));
    chart.svg().text({34.0 + 120.0 * c, line_y}, criterion_name(job.criteria[c]), "");
  }
  return chart.finish();
}

int interaction_command(const InteractionOptions& options, std::ostream& out, std::ostream& err) {
  std::string text, message;
  if (!read_file(options.job, kMaxJobFileBytes, text, message)) {
    err << "holestress: " << message << "\n";
    return 1;
  }
  Job job;
  std::vector<JobError> errors;
  if (!read_job(text, options.job, job, errors)) {
    for (const JobError& e : errors) err << to_string(e) << "\n";
    return 2;
  }
  if (job.criteria.empty()) {
    err << "holestress: " << options.job
        << ": the interaction diagram needs the criteria of a [failure] table\n";
    return 2;
  }
  if (!job.load_cases_file.empty()) {
    err << "holestress: " << options.job
        << ": a job of a load-case file: give the hole in a job with its load cases in it\n";
    return 2;
  }
  InteractionHole hole;
  if (!interaction_hole(job, options.hole, hole, message)) {
    err << "holestress: " << options.job << ": " << message << "\n";
    return 2;
  }
  const FailureAssessment assessment = failure_assessment(job);
  const ReserveSuperposition superposition(job.materials, hole.plies, hole.grid, hole.plate,
                                           assessment);
  const std::vector<InteractionRay> rays =
      bearing_bypass_interaction(superposition, hole.plate.model, hole.bolt_angle, options.rays);
  std::vector<LoadCaseReserve> own(static_cast<std::size_t>(superposition.distances()));
  if (hole.loaded) {
    Loads l = interaction_unit_load(90.0, hole.bolt_angle, hole.plate.model);
    l.bearing = hole.bearing;
    (hole.plate.strip() ? l.bypass : l.px) = hole.bypass;
    superposition.reserve(l, *superposition.scratch(), own.data());
  }
  const std::string stem = std::filesystem::path(options.job).stem().string();
  const std::string csv = options.output.empty() ? stem + "-interaction.csv" : options.output;
  const std::string svg = options.picture.empty() ? stem + "-interaction.svg" : options.picture;
  if (!write_file_atomically(csv, interaction_csv(job, rays), message) ||
      !write_file_atomically(svg, interaction_picture(job, hole, rays, own[0]), message)) {
    err << "holestress: " << message << "\n";
    return 1;
  }
  for (const std::string& note : hole.notes) out << "note: " << note << "\n";
  if (!hole.name.empty()) out << "hole " << hole.name << "\n";
  if (hole.loaded) {
    out << "its loads: bypass " << format("%.6g", hole.bypass) << ", bearing "
        << format("%.6g", hole.bearing) << ", reserve factor "
        << format("%.6g", smallest_factor(own[0])) << "\n";
  }
  out << csv << "\n" << svg << "\n";
  return 0;
}

}  // namespace hs
