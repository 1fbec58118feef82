#include "runner/joint_results.hpp"

#include <cmath>
#include <cstdio>
#include <sstream>

#include "io/console.hpp"
#include "plot/chart.hpp"
#include "plot/figures.hpp"
#include "plot/job_pictures.hpp"
#include "runner/csv_results.hpp"
#include "runner/results_common.hpp"

namespace hs {

namespace {

Json number(double v) {
  return std::isfinite(v) ? Json(v) : Json(nullptr);
}

// A number as the page shows it, rounded for reading.
std::string format_number(double v) {
  char text[32];
  std::snprintf(text, sizeof text, "%.5g", v);
  return text;
}

const char* model_name(const Job& job) {
  return job.plate.strip() ? "strip" : "infinite";
}

// One criterion's factor at a hole, where it is found (the station's angle in the joint's frame).
Json factor_json(const JointAnalysis& a, const JointHole& h, int plate, int c) {
  const CriterionReserve& f = h.reserve.criterion[c];
  if (std::isnan(f.factor)) {
    return Json{{"factor", nullptr},
                {"note", "undefined: the field is not finite at the stations (see warnings)"}};
  }
  if (!std::isfinite(f.factor)) return Json{{"factor", nullptr}, {"note", "no finite factor"}};
  return Json{{"factor", f.factor},
              {"ply", f.ply + 1},
              {"ply_angle", a.plies[static_cast<std::size_t>(plate)].angle[f.ply]},
              {"angle", joint_angle(h, f.station)},
              {"distance", station_distance(h, f.station)},
              {"component", component_name(f.component)}};
}

}  // namespace

Json joint_json(const Job& job, const JointAnalysis& a) {
  const JointInput& inputs = job.joint;
  Json plates = Json::array();
  for (std::size_t p = 0; p < inputs.plates.size(); ++p) {
    const JointPlateInput& s = inputs.plates[p];
    const JointPlate& jp = a.joint.plates[p];
    Json plate = {{"name", s.name},
                  {"width", s.width},
                  {"thickness", jp.thickness},
                  {"modulus", number(jp.modulus)},
                  {"edge_distance", s.edge_distance}};
    if (s.laminate >= 0) {
      plate["laminate"] = inputs.laminates[static_cast<std::size_t>(s.laminate)].name;
    } else {
      plate["material"] = job.material_names[static_cast<std::size_t>(s.material)];
    }
    plates.push_back(plate);
  }
  Json doc = {{"shear", inputs.double_shear ? "double" : "single"},
              {"load", inputs.load},
              {"fastener_flexibility", flexibility_method_name(a.method)},
              {"hole_model", model_name(job)},
              {"plates", plates}};
  if (a.status != JointStatus::kOk) {
    doc["error"] = a.message;
    return doc;
  }
  Json rows = Json::array();
  for (std::size_t i = 0; i < inputs.rows.size(); ++i) {
    const JointRowInput& r = inputs.rows[i];
    Json per_plate = Json::array();
    for (std::size_t p = 0; p < inputs.plates.size(); ++p) {
      const HoleLoads& h = a.shares.holes[p][i];
      per_plate.push_back({{"plate", inputs.plates[p].name},
                           {"bearing", number(h.bearing_stress)},
                           {"bypass", number(h.bypass_stress)},
                           {"bearing_load", number(h.bearing_load)},
                           {"bypass_load", number(h.bypass_load)},
                           {"pitch", number(h.pitch)}});
    }
    rows.push_back({{"row", i + 1},
                    {"x", r.x},
                    {"diameter", r.diameter},
                    {"count", r.count},
                    {"flexibility", number(a.shares.flexibility[i])},
                    {"load", number(a.shares.row_load[i])},
                    {"fastener_load", number(a.shares.fastener_load[i])},
                    {"share", number(a.shares.row_load[i] / inputs.load)},
                    {"plates", per_plate}});
  }
  Json holes = Json::array();
  for (std::size_t p = 0; p < a.holes.size(); ++p) {
    for (std::size_t i = 0; i < a.holes[p].size(); ++i) {
      const JointHole& h = a.holes[p][i];
      Json criteria = Json::object();
      for (std::size_t c = 0; c < job.criteria.size(); ++c) {
        criteria[criterion_name(job.criteria[c])] =
            factor_json(a, h, static_cast<int>(p), static_cast<int>(c));
      }
      Json smallest = nullptr;
      if (h.reserve.smallest >= 0) {
        smallest = {{"criterion", criterion_name(job.criteria[h.reserve.smallest])}};
        smallest.update(factor_json(a, h, static_cast<int>(p), h.reserve.smallest));
      }
      Json model = {{"model", model_name(job)}, {"width", h.plate.width}};
      if (job.plate.strip()) {
        model["edge_distance"] =
            h.plate.edge_distance > 0.0 ? Json(h.plate.edge_distance) : Json(nullptr);
      } else {
        model["finite_width_correction"] = "tan";
      }
      holes.push_back(
          {{"hole", joint_hole_name(job, static_cast<int>(p), static_cast<int>(i))},
           {"plate", inputs.plates[p].name},
           {"row", i + 1},
           {"diameter", h.grid.diameter},
           {"bearing", number(h.shared.bearing_stress)},
           {"bypass", number(h.shared.bypass_stress)},
           {"plate_model", model},
           {"criteria", criteria},
           {"smallest", smallest},
           {"margin_of_safety", h.reserve.smallest >= 0 ? Json(h.reserve.margin) : Json(nullptr)}});
    }
  }
  doc["rows"] = rows;
  doc["holes"] = holes;
  // The same numbers in columns, [row] and [plate][row], which the Python module gives as NumPy
  // arrays.
  Json row_load = Json::array(), fastener_load = Json::array();
  for (std::size_t i = 0; i < inputs.rows.size(); ++i) {
    row_load.push_back(number(a.shares.row_load[i]));
    fastener_load.push_back(number(a.shares.fastener_load[i]));
  }
  Json bearing = Json::array(), bypass = Json::array(), smallest_factor = Json::array();
  Json factor = Json::object();
  for (std::size_t c = 0; c < job.criteria.size(); ++c) {
    factor[criterion_name(job.criteria[c])] = Json::array();
  }
  for (std::size_t p = 0; p < a.holes.size(); ++p) {
    Json b = Json::array(), y = Json::array(), f = Json::array();
    std::vector<Json> per(job.criteria.size(), Json::array());
    for (const JointHole& h : a.holes[p]) {
      b.push_back(number(h.shared.bearing_stress));
      y.push_back(number(h.shared.bypass_stress));
      f.push_back(h.reserve.smallest >= 0 ? number(h.reserve.criterion[h.reserve.smallest].factor)
                                          : Json(nullptr));
      for (std::size_t c = 0; c < job.criteria.size(); ++c) {
        per[c].push_back(number(h.reserve.criterion[c].factor));
      }
    }
    bearing.push_back(b);
    bypass.push_back(y);
    smallest_factor.push_back(f);
    for (std::size_t c = 0; c < job.criteria.size(); ++c) {
      factor[criterion_name(job.criteria[c])].push_back(per[c]);
    }
  }
  doc["arrays"] = {{"row_load", row_load}, {"fastener_load", fastener_load},
                   {"bearing", bearing},   {"bypass", bypass},
                   {"factor", factor},     {"smallest_factor", smallest_factor}};
  Json critical = nullptr;
  if (a.critical_plate >= 0) {
    const JointHole& h = a.holes[static_cast<std::size_t>(a.critical_plate)]
                                [static_cast<std::size_t>(a.critical_row)];
    critical = {{"hole", joint_hole_name(job, a.critical_plate, a.critical_row)},
                {"plate", inputs.plates[static_cast<std::size_t>(a.critical_plate)].name},
                {"row", a.critical_row + 1},
                {"criterion", criterion_name(job.criteria[h.reserve.smallest])}};
    critical.update(factor_json(a, h, a.critical_plate, h.reserve.smallest));
    critical["margin_of_safety"] = h.reserve.margin;
  }
  doc["critical"] = critical;
  return doc;
}

Json joint_results_json(const Job& job, const JointAnalysis& a) {
  const ResultUnits u = result_units(job);
  Json materials = Json::object();
  for (int m = 0; m < job.materials.count; ++m) {
    const ElasticConstants& e = job.materials.elastic[m];
    Json mat = job.isotropic[m]
                   ? Json{{"E", e.E1}, {"nu", e.NU12}}
                   : Json{{"E1", e.E1}, {"E2", e.E2}, {"G12", e.G12}, {"nu12", e.NU12}};
    if (job.has_allowables[m]) {
      const Allowables& al = job.materials.allowables[m];
      mat.update({{"T1", al.T1}, {"C1", al.C1}, {"T2", al.T2}, {"C2", al.C2}, {"S12", al.S12}});
    }
    if (!job.material_sources[m].empty()) mat["source"] = job.material_sources[m];
    materials[job.material_names[m]] = mat;
  }
  Json laminates = Json::object();
  for (const NamedLaminate& l : job.joint.laminates) {
    Json plies = Json::array();
    for (int p = 0; p < l.plies.count; ++p) {
      plies.push_back({{"angle", l.plies.angle[p]},
                       {"thickness", l.plies.thickness[p]},
                       {"material", job.material_names[l.plies.material[p]]}});
    }
    Json lam = {{"plies", plies}};
    if (!l.layup.empty()) lam["layup"] = l.layup;
    laminates[l.name] = lam;
  }
  Json criteria = Json::array();
  for (Criterion c : job.criteria) criteria.push_back(criterion_name(c));
  const Grid& g = job.grid;
  Json inputs = {{"materials", materials},
                 {"laminates", laminates},
                 {"grid",
                  {{"angle_step", g.angle_step},
                   {"angle_low", g.angle_low},
                   {"angle_high", g.angle_high},
                   {"distance_step", g.distance_step},
                   {"steps", g.steps}}},
                 {"failure",
                  {{"criteria", criteria},
                   {"distance_tension", job.distances[0].tension},
                   {"distance_compression", job.distances[0].compression},
                   {"method", method_name(job.method)},
                   {"factor_of_safety", job.factor_of_safety}}}};
  if (!job.materials_file.empty()) inputs["materials_file"] = job.materials_file;
  Json doc = results_head(job, {{"stress", u.stress},
                                {"modulus", u.stress},
                                {"length", u.length},
                                {"force", "stress times length squared"},
                                {"flexibility", "length per force"},
                                {"angle", "degree"}});
  doc["inputs"] = inputs;
  doc["warnings"] = a.warnings;
  doc["joint"] = joint_json(job, a);
  // The critical hole as a job of one hole: its laminate, hole, load case and reserve factors,
  // in its plate's frame.
  if (a.critical_plate >= 0) {
    const Job hole = joint_hole_job(job, a, a.critical_plate, a.critical_row);
    Json one = results_json(hole);
    doc["critical_hole"] = {{"hole", one["load_cases"][0]["name"]},
                            {"frame_angle", a.holes[static_cast<std::size_t>(a.critical_plate)]
                                                   [static_cast<std::size_t>(a.critical_row)]
                                                       .angle_offset},
                            {"hole_inputs", one["inputs"]["hole"]},
                            {"laminate", one["laminate"]},
                            {"load_cases", one["load_cases"]}};
  }
  return doc;
}

std::vector<std::pair<std::string, std::string>> joint_csv_results(const Job& job,
                                                                   const JointAnalysis& a) {
  const ResultUnits u = result_units(job);
  const std::string stress = " [" + u.stress + "]", length = " [" + u.length + "]";
  const std::string force = " [" + u.stress + "*" + u.length + "^2]";
  const std::string flexibility = " [" + u.length + "/(" + u.stress + "*" + u.length + "^2)]";
  std::vector<std::pair<std::string, std::string>> files;
  std::string warnings;
  for (const std::string& w : a.warnings) warnings += "caution: " + w + "\n";
  if (a.status != JointStatus::kOk) warnings += "error: " + a.message + "\n";
  if (a.status == JointStatus::kOk) {
    const JointInput& inputs = job.joint;
    std::string rows = "row,x" + length + ",diameter" + length + ",count,flexibility" +
                       flexibility + ",load" + force + ",fastener_load" + force + ",share\n";
    for (std::size_t i = 0; i < inputs.rows.size(); ++i) {
      const JointRowInput& r = inputs.rows[i];
      rows += std::to_string(i + 1) + "," + csv_number(r.x) + "," + csv_number(r.diameter) + "," +
              std::to_string(r.count) + "," + csv_number(a.shares.flexibility[i]) + "," +
              csv_number(a.shares.row_load[i]) + "," + csv_number(a.shares.fastener_load[i]) + "," +
              csv_number(a.shares.row_load[i] / inputs.load) + "\n";
    }
    files.emplace_back("joint_rows.csv", rows);
    std::string holes = "hole,plate,row,bearing" + stress + ",bypass" + stress + ",bearing_load" +
                        force + ",bypass_load" + force + ",pitch" + length +
                        ",criterion,factor,ply,ply_angle [deg],angle [deg],distance" + length +
                        ",component,margin_of_safety,critical\n";
    for (std::size_t p = 0; p < a.holes.size(); ++p) {
      for (std::size_t i = 0; i < a.holes[p].size(); ++i) {
        const JointHole& h = a.holes[p][i];
        const bool critical =
            static_cast<int>(p) == a.critical_plate && static_cast<int>(i) == a.critical_row;
        const std::string where =
            joint_hole_name(job, static_cast<int>(p), static_cast<int>(i)) + "," +
            inputs.plates[p].name + "," + std::to_string(i + 1) + "," +
            csv_number(h.shared.bearing_stress) + "," + csv_number(h.shared.bypass_stress) + "," +
            csv_number(h.shared.bearing_load) + "," + csv_number(h.shared.bypass_load) + "," +
            csv_number(h.shared.pitch);
        for (std::size_t c = 0; c < job.criteria.size(); ++c) {
          const CriterionReserve& f = h.reserve.criterion[c];
          const bool finite = std::isfinite(f.factor);
          const bool smallest = static_cast<int>(c) == h.reserve.smallest;
          holes += where + "," + criterion_name(job.criteria[c]) + "," + csv_number(f.factor) +
                   "," + (finite ? std::to_string(f.ply + 1) : "") + "," +
                   (finite ? csv_number(a.plies[p].angle[f.ply]) : "") + "," +
                   (finite ? csv_number(joint_angle(h, f.station)) : "") + "," +
                   (finite ? csv_number(station_distance(h, f.station)) : "") + "," +
                   (finite                 ? component_name(f.component)
                    : std::isnan(f.factor) ? "undefined"
                                           : "") +
                   "," + (smallest ? csv_number(h.reserve.margin) : "") + "," +
                   (critical && smallest ? "yes" : "") + "\n";
        }
      }
    }
    files.emplace_back("joint_holes.csv", holes);
  }
  if (!warnings.empty()) files.emplace_back("warnings.txt", warnings);
  return files;
}

std::string joint_pictures(const Job& job, const JointAnalysis& a) {
  using namespace plot;
  const JointInput& inputs = job.joint;
  const std::size_t n = inputs.rows.size();
  // The bar chart of the rows' shares of the load, the even share P/n dashed.
  double top = 1.0 / static_cast<double>(n);
  for (std::size_t i = 0; i < n; ++i) top = std::fmax(top, a.shares.row_load[i] / inputs.load);
  Chart chart(560.0, 340.0, Axis{0.0, static_cast<double>(n + 1), 1.0},
              nice_axis(0.0, 100.0 * 1.1 * top, 5), {"row", ""}, {"share of the load", "%"},
              attr("class", "joint-shares"));
  for (std::size_t i = 0; i < n; ++i) {
    const double share = 100.0 * a.shares.row_load[i] / inputs.load;
    const double x0 = static_cast<double>(i) + 0.7, x1 = static_cast<double>(i) + 1.3;
    chart.svg().path({chart.at(x0, 0.0), chart.at(x0, share), chart.at(x1, share),
                      chart.at(x1, 0.0), chart.at(x0, 0.0)},
                     attr("fill", "#1f5fa8") + attr("stroke", "#1f5fa8") +
                         attr("data-row", std::to_string(i + 1)));
    char label[64];
    std::snprintf(label, sizeof label, "%.1f %%", share);
    chart.svg().text({chart.at(static_cast<double>(i) + 1.0, share).x,
                      chart.at(static_cast<double>(i) + 1.0, share).y - 4.0},
                     std::string(label), attr("text-anchor", "middle"));
  }
  chart.guide(100.0 / static_cast<double>(n), "zero");
  std::string summary = "<h2>How the rows share the load</h2>\n<p class=\"note\">" +
                        std::string(inputs.double_shear ? "Double" : "Single") + " shear, load " +
                        format_number(inputs.load) + " " + job.stress_unit + " " + job.length_unit +
                        "², fastener flexibility " + flexibility_method_name(a.method) +
                        "; the dashed line is the even share.</p>\n<figure>" + chart.finish() +
                        "</figure>\n<h2>Every hole</h2>\n<table>\n<tr><th>hole</th><th>bearing</th>"
                        "<th>bypass</th><th>smallest factor</th><th>criterion</th></tr>\n";
  for (std::size_t p = 0; p < a.holes.size(); ++p) {
    for (std::size_t i = 0; i < a.holes[p].size(); ++i) {
      const JointHole& h = a.holes[p][i];
      const bool ok = h.reserve.smallest >= 0;
      summary +=
          "<tr><td>" + escape(joint_hole_name(job, static_cast<int>(p), static_cast<int>(i))) +
          "</td><td>" + format_number(h.shared.bearing_stress) + "</td><td>" +
          format_number(h.shared.bypass_stress) + "</td><td>" +
          (ok ? format_number(h.reserve.criterion[h.reserve.smallest].factor) : "-") + "</td><td>" +
          (ok ? criterion_name(job.criteria[h.reserve.smallest]) : "") + "</td></tr>\n";
    }
  }
  summary += "</table>\n";
  std::string page;
  if (a.critical_plate >= 0) {
    const Job hole = joint_hole_job(job, a, a.critical_plate, a.critical_row);
    page = job_pictures(hole);
    summary += "<h2>The critical hole, " +
               escape(joint_hole_name(job, a.critical_plate, a.critical_row)) +
               "</h2>\n<p class=\"note\">In its plate's frame: x from the hole towards the "
               "plate's free end" +
               (a.critical_plate == 1 ? " (the joint's x turned half a turn)" : "") + ".</p>\n";
  } else {
    page = "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"/><title>" + escape(job.title) +
           "</title><style>" + page_style() + "</style></head><body>\n<h1>" + escape(job.title) +
           "</h1>\n</body></html>\n";
    summary += "<p class=\"note\">No critical hole: some hole's factors are undefined.</p>\n";
  }
  // After the page's title.
  const std::size_t at = page.find("</h1>\n");
  page.insert(at == std::string::npos ? 0 : at + 6, summary);
  return page;
}

void write_joint_table_results(const Job& job, const JointAnalysis& a, std::ostream& out) {
  std::istringstream none;
  Console con(none, out, out);
  char line[400];
  const JointInput& inputs = job.joint;
  if (!job.title.empty()) con.write_record(" " + job.title);
  for (const std::string& w : a.warnings) con.write_record(" CAUTION: " + w);
  std::snprintf(line, sizeof line,
                " JOINT: %s SHEAR, LOAD %.6g, FASTENER FLEXIBILITY %s, HOLES: %s",
                inputs.double_shear ? "DOUBLE" : "SINGLE", inputs.load,
                flexibility_method_name(a.method), model_name(job));
  con.write_record(line);
  if (a.status != JointStatus::kOk) {
    con.write_record(" ERROR: " + a.message);
    con.flush();
    return;
  }
  con.write_record("");
  con.write_record(
      "  ROW           X    DIAMETER  COUNT  FLEXIBILITY      ROW LOAD"
      "  FASTENER LOAD   SHARE %");
  for (std::size_t i = 0; i < inputs.rows.size(); ++i) {
    const JointRowInput& r = inputs.rows[i];
    std::snprintf(line, sizeof line, "%5zu %11.4f %11.4f %6d %12.4e %13.5g %14.5g %9.2f", i + 1,
                  r.x, r.diameter, r.count, a.shares.flexibility[i], a.shares.row_load[i],
                  a.shares.fastener_load[i], 100.0 * a.shares.row_load[i] / inputs.load);
    con.write_record(line);
  }
  con.write_record("");
  con.write_record(
      "  HOLE                   BEARING       BYPASS  CRITERION         FACTOR"
      "   PLY     ANGLE  COMPONENT");
  for (std::size_t p = 0; p < a.holes.size(); ++p) {
    for (std::size_t i = 0; i < a.holes[p].size(); ++i) {
      const JointHole& h = a.holes[p][i];
      const std::string name = joint_hole_name(job, static_cast<int>(p), static_cast<int>(i));
      for (std::size_t c = 0; c < job.criteria.size(); ++c) {
        const CriterionReserve& f = h.reserve.criterion[c];
        if (std::isfinite(f.factor)) {
          std::snprintf(line, sizeof line, "  %-18.18s %12.5g %12.5g  %-14s %9.4f %5d %9.2f  %s",
                        c == 0 ? name.c_str() : "", h.shared.bearing_stress, h.shared.bypass_stress,
                        criterion_name(job.criteria[c]), f.factor, f.ply + 1,
                        joint_angle(h, f.station), component_name(f.component));
        } else {
          std::snprintf(
              line, sizeof line, "  %-18.18s %12.5g %12.5g  %-14s  %s", c == 0 ? name.c_str() : "",
              h.shared.bearing_stress, h.shared.bypass_stress, criterion_name(job.criteria[c]),
              std::isnan(f.factor) ? "undefined (the field is not finite)" : "no finite factor");
        }
        con.write_record(line);
      }
    }
  }
  if (a.critical_plate >= 0) {
    const JointHole& h = a.holes[static_cast<std::size_t>(a.critical_plate)]
                                [static_cast<std::size_t>(a.critical_row)];
    std::snprintf(line, sizeof line,
                  " CRITICAL HOLE: %s, %s, FACTOR %.4f, MARGIN OF SAFETY %.4f WITH FACTOR OF "
                  "SAFETY %.3f",
                  joint_hole_name(job, a.critical_plate, a.critical_row).c_str(),
                  criterion_name(job.criteria[h.reserve.smallest]),
                  h.reserve.criterion[h.reserve.smallest].factor, h.reserve.margin,
                  job.factor_of_safety);
    con.write_record(line);
  }
  con.flush();
}

}  // namespace hs
