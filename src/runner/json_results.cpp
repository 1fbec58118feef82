#include "runner/json_results.hpp"

#include <cmath>
#include <utility>
#include <vector>

#include "hole/transforms.hpp"
#include "runner/evaluate.hpp"
#include "runner/joint_results.hpp"
#include "runner/json_text.hpp"
#include "runner/results_common.hpp"

namespace hs {

namespace {

// A number, or null when it is not finite (JSON has no NaN or infinity).
Json number(double v) {
  return std::isfinite(v) ? Json(v) : Json(nullptr);
}

// A value at every station of the grid, station by station within each distance step, as a
// series (json_text.hpp).
template <class F>
Json series(const Grid& g, F value) {
  const int nang = station_count(g);
  const std::size_t n = static_cast<std::size_t>(step_count(g)) * nang;
  return series_json(n, [&](std::size_t i) {
    const int k = static_cast<int>(i / nang), j = static_cast<int>(i % nang);
    return value(j, k);
  });
}

Json matrix(const Mat3& m) {
  Json rows = Json::array();
  for (int i = 1; i <= 3; ++i) rows.push_back({number(m(i, 1)), number(m(i, 2)), number(m(i, 3))});
  return rows;
}

Json laminate_json(const PlyStack& plies, const MembraneCompliance& c) {
  EngineeringConstants e = engineering_constants(c.compliance.laminate_axes);
  return {{"thickness", number(total_thickness(plies))},
          {"EX", number(e.EX)},
          {"EY", number(e.EY)},
          {"GXY", number(e.GXY)},
          {"VXY", number(e.VXY)},
          {"compliance", matrix(c.compliance.laminate_axes)},
          {"singular", c.singular_laminate_axes}};
}

Json loads_json(const Loads& l) {
  return {{"px", l.px},           {"py", l.py},
          {"pxy", l.pxy},         {"off_axis", l.off_axis},
          {"bearing", l.bearing}, {"bolt_angle", l.bolt_angle},
          {"bypass", l.bypass}};
}

// The characteristic distance of an entry, with the keys of the job file: distance, or
// distance_tension and distance_compression.
void put_distance(Json& j, const CharacteristicDistance& d) {
  if (d.circular()) {
    j["distance"] = d.tension;
  } else {
    j["distance_tension"] = d.tension;
    j["distance_compression"] = d.compression;
  }
}

// The reserve factors of characteristic distance `entry`.
Json reserve_entry(const Job& job, const Evaluation& e, int entry) {
  const bool plain = plain_reserve(job);
  const LoadCaseReserve& r = e.reserve[entry];
  const ReserveStations& at = *e.stations;
  auto criterion = [&](int c) {
    const CriterionReserve& f = r.criterion[c];
    if (std::isnan(f.factor)) {
      return Json{{"factor", nullptr},
                  {"note", "undefined: the field is not finite at the stations (see warnings)"}};
    }
    if (!std::isfinite(f.factor)) return Json{{"factor", nullptr}, {"note", "no finite factor"}};
    Json j = {{"factor", f.factor},
              {"ply", f.ply + 1},
              {"ply_angle", e.problem->plies.angle[f.ply]},
              {"angle", at.angle[f.station]}};
    if (!plain) j["distance"] = at.distance_at(entry, f.station);
    j["component"] = component_name(f.component);
    return j;
  };
  Json criteria = Json::object();
  for (size_t c = 0; c < job.criteria.size(); ++c) {
    criteria[criterion_name(job.criteria[c])] = criterion(static_cast<int>(c));
  }
  Json smallest = nullptr;
  if (r.smallest >= 0) {
    smallest = {{"criterion", criterion_name(job.criteria[r.smallest])}};
    smallest.update(criterion(r.smallest));
  }
  Json out = Json::object();
  if (!plain) {
    out["method"] = method_name(job.method);
    if (job.method == StrengthMethod::kAverageStress) {
      out["average_rule"] = average_rule_name(job.average_rule);
      out["average_points"] = job.average_points;
    }
  }
  put_distance(out, job.distances[entry]);
  out["factor_of_safety"] = job.factor_of_safety;
  out["criteria"] = criteria;
  out["smallest"] = smallest;
  out["margin_of_safety"] = r.smallest >= 0 ? Json(r.margin) : Json(nullptr);
  return out;
}

// One reserve entry, or a list of them when the job lists its distances.
Json reserve_json(const Job& job, const Evaluation& e) {
  if (!job.distance_list) return reserve_entry(job, e, 0);
  Json list = Json::array();
  for (int d = 0; d < e.stations->entries; ++d) list.push_back(reserve_entry(job, e, d));
  return list;
}

// The strip model's solution: the strip, and the residual tractions on each boundary under each
// unit load in percent of its peak hoop stress, the measure of the solution's error.
Json strip_json(const Job& job, const StripSolution& s) {
  auto residuals = [&](int load) {
    if (s.status != StripStatus::ok || (load == kStripBypass && !s.has_bypass))
      return Json(nullptr);
    const StripResidual& r = s.residual[load];
    return Json{{"hole", number(r.hole)},
                {"sides", number(r.sides)},
                {"front_end", number(r.front_end)},
                {"back_end", number(r.back_end)}};
  };
  return {{"width", job.plate.width},
          {"edge_distance",
           job.plate.edge_distance > 0.0 ? Json(job.plate.edge_distance) : Json(nullptr)},
          {"solved", s.status == StripStatus::ok},
          {"residual_percent",
           {{"bearing", residuals(kStripBearing)}, {"bypass", residuals(kStripBypass)}}}};
}

Json load_case_json(const Job& job, const Evaluation& e) {
  const Grid& g = e.problem->grid;
  const LaminateField& f = *e.field;
  Json out = {{"name", e.load_case->name}, {"loads", loads_json(e.problem->loads)}};
  if (e.problem->loads.bearing != 0.0) {
    out["compliance_bolt_axes"] = matrix(e.compliance->compliance.bolt_axes);
  }
  if (e.width_corrected) {
    const OpenHoleScale& k = e.width_scale;
    out["finite_width_correction"] = {{"method", "tan"},
                                      {"factors",
                                       {{"px", number(k.px)},
                                        {"py", number(k.py)},
                                        {"pxy_tension", number(k.pxy_tension)},
                                        {"pxy_compression", number(k.pxy_compression)},
                                        {"bypass", number(k.bypass)}}}};
  }
  if (e.strip) out["strip"] = strip_json(job, *e.strip);
  if (job.wants_any(ResultKind::kStresses, ResultKind::kFailure)) {
    out["stations"] = {{"distance", series(g, [&](int, int k) { return edge_distance(g, k); })},
                       {"angle", series(g, [&](int j, int) { return station_angle(g, j); })}};
  }
  if (job.wants(ResultKind::kStresses)) {
    auto p = [&](int j, int k) {
      const double* s = f.stress[j][k];
      return principal_stresses(s[0], s[1], s[2]);
    };
    out["stresses"] = {
        {"x", series(g, [&](int j, int k) { return f.stress[j][k][0]; })},
        {"y", series(g, [&](int j, int k) { return f.stress[j][k][1]; })},
        {"xy", series(g, [&](int j, int k) { return f.stress[j][k][2]; })},
        {"max_principal", series(g, [&](int j, int k) { return p(j, k).max; })},
        {"min_principal", series(g, [&](int j, int k) { return p(j, k).min; })},
        {"principal_direction", series(g, [&](int j, int k) { return p(j, k).direction; })}};
  }
  if (job.wants(ResultKind::kStrains)) {
    auto p = [&](int j, int k) {
      const double* s = f.strain[j][k];
      return principal_strains(s[0], s[1], s[2]);
    };
    out["strains"] = {
        {"x", series(g, [&](int j, int k) { return f.strain[j][k][0]; })},
        {"y", series(g, [&](int j, int k) { return f.strain[j][k][1]; })},
        {"xy", series(g, [&](int j, int k) { return f.strain[j][k][2]; })},
        {"max_principal", series(g, [&](int j, int k) { return p(j, k).max; })},
        {"min_principal", series(g, [&](int j, int k) { return p(j, k).min; })},
        {"principal_direction", series(g, [&](int j, int k) { return p(j, k).direction; })}};
  }
  if (job.wants(ResultKind::kPolar)) {
    auto pv = [&](int j, int k) {
      return polar_values(station_angle(g, j), f.stress[j][k], f.strain[j][k]);
    };
    out["polar"] = {
        {"hoop_stress", series(g, [&](int j, int k) { return pv(j, k).hoop_stress; })},
        {"radial_stress", series(g, [&](int j, int k) { return pv(j, k).radial_stress; })},
        {"shear_stress", series(g, [&](int j, int k) { return pv(j, k).shear_stress; })},
        {"hoop_strain", series(g, [&](int j, int k) { return pv(j, k).hoop_strain; })},
        {"radial_strain", series(g, [&](int j, int k) { return pv(j, k).radial_strain; })},
        {"shear_strain", series(g, [&](int j, int k) { return pv(j, k).shear_strain; })}};
  }
  if (job.wants(ResultKind::kDisplacements)) {
    out["displacements"] = {{"u", series(g, [&](int j, int k) { return f.u[j][k]; })},
                            {"v", series(g, [&](int j, int k) { return f.v[j][k]; })}};
  }
  const PlyStack& plies = e.problem->plies;
  const bool ply_strains = job.wants(ResultKind::kPlyStrains);
  const bool ply_stresses = job.wants(ResultKind::kPlyStresses);
  if (e.plies && (ply_strains || ply_stresses)) {
    Json list = Json::array();
    for (int p = 0; p < plies.count; ++p) {
      Json ply = {{"ply", p + 1},
                  {"angle", plies.angle[p]},
                  {"material", job.material_names[plies.material[p]]}};
      for (int c = 0; c < 3; ++c) {
        static const char* const strain_names[3] = {"strain_1", "strain_2", "strain_12"};
        static const char* const stress_names[3] = {"stress_1", "stress_2", "stress_12"};
        if (ply_strains) {
          ply[strain_names[c]] =
              series(g, [&](int j, int k) { return e.plies->strain[j][k][p][c]; });
        }
        if (ply_stresses) {
          ply[stress_names[c]] =
              series(g, [&](int j, int k) { return e.plies->stress[j][k][p][c]; });
        }
      }
      list.push_back(std::move(ply));
    }
    out["plies"] = std::move(list);
  }
  if (e.plies && job.wants(ResultKind::kFailure)) {
    Json failure = Json::object();
    std::vector<double> values;
    for (Criterion crit : job.criteria) {
      const bool three = has_three_numbers(crit);
      static const char* const three_names[4] = {"number_1", "number_2", "number_12", ""};
      static const char* const one_names[4] = {"number", "ratio_1", "ratio_2", "ratio_12"};
      const char* const* names = three ? three_names : one_names;
      const Materials materials = materials_for(job, crit);
      Json list = Json::array();
      for (int p = 0; p < plies.count; ++p) {
        // The ply's numbers at every station, each station's evaluated once.
        const std::size_t n = static_cast<std::size_t>(step_count(g)) * station_count(g);
        values.resize(4 * n);
        std::size_t i = 0;
        for (int k = 0; k < step_count(g); ++k) {
          for (int j = 0; j < station_count(g); ++j, ++i) {
            double fv[4];
            ply_failure_at(crit, materials, plies, *e.plies, j, k, p, fv);
            for (int v = 0; v < 4; ++v) values[v * n + i] = fv[v];
          }
        }
        Json ply = {{"ply", p + 1}};
        for (int v = 0; v < (three ? 3 : 4); ++v) {
          ply[names[v]] = series_json(n, [&](std::size_t i) { return values[v * n + i]; });
        }
        list.push_back(std::move(ply));
      }
      failure[criterion_name(crit)] = std::move(list);
    }
    out["failure"] = std::move(failure);
  }
  if (job.wants(ResultKind::kReserve)) out["reserve"] = reserve_json(job, e);
  return out;
}

// Collects the laminates and load cases as the job runs.
class JsonSink : public ResultSink {
 public:
  explicit JsonSink(const Job& job) : job_(job) {}
  void laminate(const PlyStack& plies, const Shares* layup, const MembraneCompliance& c) override {
    current_ = Json::object();
    if (layup) current_["shares"] = {{"0", layup->s0}, {"45", layup->s45}, {"90", layup->s90}};
    current_["laminate"] = laminate_json(plies, c);
    current_["load_cases"] = Json::array();
  }
  void load_case(const Evaluation& e) override {
    current_["load_cases"].push_back(load_case_json(job_, e));
  }
  void laminate_done() override { laminates_.push_back(std::move(current_)); }
  Json laminates_ = Json::array();

 private:
  const Job& job_;
  Json current_;
};

}  // namespace

Json inputs_json(const Job& job) {
  Json materials = Json::object();
  for (int m = 0; m < job.materials.count; ++m) {
    const ElasticConstants& e = job.materials.elastic[m];
    Json mat = {{"E1", e.E1}, {"E2", e.E2}, {"G12", e.G12}, {"nu12", e.NU12}};
    if (job.has_allowables[m]) {
      const Allowables& a = job.materials.allowables[m];
      mat.update({{"T1", a.T1}, {"C1", a.C1}, {"T2", a.T2}, {"C2", a.C2}, {"S12", a.S12}});
    }
    if (!job.material_sources[m].empty()) mat["source"] = job.material_sources[m];
    materials[job.material_names[m]] = mat;
  }
  Json plies = Json::array();
  for (int p = 0; p < job.plies.count; ++p) {
    plies.push_back({{"angle", job.plies.angle[p]},
                     {"thickness", job.plies.thickness[p]},
                     {"material", job.material_names[job.plies.material[p]]}});
  }
  const Grid& g = job.grid;
  Json cases = Json::array();
  for (const LoadCase& lc : job.load_cases) {
    Json c = {{"name", lc.name}};
    c.update(loads_json(lc.loads));
    cases.push_back(c);
  }
  Json criteria = Json::array();
  for (Criterion c : job.criteria) criteria.push_back(criterion_name(c));
  Json tables = Json::array();
  for (int k = 0; k < kResultKinds; ++k) {
    if (job.results[k]) tables.push_back(result_name(static_cast<ResultKind>(k)));
  }
  Json hole = {{"model", job.plate.strip() ? "strip" : "infinite"},
               {"diameter", g.diameter},
               {"width", job.plate.width}};
  if (job.plate.strip()) {
    hole["edge_distance"] =
        job.plate.edge_distance > 0.0 ? Json(job.plate.edge_distance) : Json(nullptr);
  } else {
    hole["finite_width_correction"] =
        job.plate.width_correction == WidthCorrection::kTan ? "tan" : "none";
    hole["bolt_series"] = job.plate.bolt_series == BoltSeriesSum::kLegacy ? "legacy" : "converged";
  }
  Json in = {{"materials", materials},
             {"plies", plies},
             {"hole", hole},
             {"grid",
              {{"angle_step", g.angle_step},
               {"angle_low", g.angle_low},
               {"angle_high", g.angle_high},
               {"distance_step", g.distance_step},
               {"steps", g.steps}}},
             {"load_cases", cases}};
  if (!job.criteria.empty()) {
    Json failure = {{"criteria", criteria}};
    if (plain_reserve(job)) {
      failure["distance"] = job.distances[0].tension;
    } else {
      bool circular = true;
      Json tension = Json::array(), compression = Json::array();
      for (const CharacteristicDistance& d : job.distances) {
        circular = circular && d.circular();
        tension.push_back(d.tension);
        compression.push_back(d.compression);
      }
      if (!job.distance_list) {
        tension = Json(job.distances[0].tension);
        compression = Json(job.distances[0].compression);
      }
      if (circular) {
        failure["distance"] = tension;
      } else {
        failure["distance_tension"] = tension;
        failure["distance_compression"] = compression;
      }
      failure["method"] = method_name(job.method);
      if (job.method == StrengthMethod::kAverageStress) {
        failure["average_rule"] = average_rule_name(job.average_rule);
        failure["average_points"] = job.average_points;
      }
    }
    failure["factor_of_safety"] = job.factor_of_safety;
    in["failure"] = failure;
  }
  if (!job.materials_file.empty()) in["materials_file"] = job.materials_file;
  if (!job.layup.empty()) in["layup"] = job.layup;  // the plies above are its expansion
  in["results"] = {{"tables", tables}};
  in["carpet"] = job.carpet;
  return in;
}

Json results_head(const Job& job, Json units) {
  return {{"program", "holestress"},
          {"version", program_version()},
          {"title", job.title},
          {"units", std::move(units)}};
}

Json results_json(const Job& job) {
  if (job.joint.given) return joint_results_json(job, analyse_joint_job(job));
  ResultUnits u = result_units(job);
  Json doc = results_head(job, {{"stress", u.stress},
                                {"modulus", u.stress},
                                {"length", u.length},
                                {"angle", "degree"},
                                {"strain", "1"},
                                {"displacement", u.length},
                                {"compliance", u.compliance}});
  doc["inputs"] = inputs_json(job);
  doc["warnings"] = job_warnings(job);
  JsonSink sink(job);
  evaluate_job(job, sink);
  if (job.carpet) {
    doc["layups"] = std::move(sink.laminates_);
  } else if (!sink.laminates_.empty()) {
    doc["laminate"] = sink.laminates_[0]["laminate"];
    doc["load_cases"] = sink.laminates_[0]["load_cases"];
  }
  return doc;
}

}  // namespace hs
