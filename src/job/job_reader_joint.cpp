// The sections of a joint job: the named laminates of its plates ([laminates.NAME]), the joint
// ([joint], [[joint.plates]], [[joint.rows]]), and the stations and failure of every hole.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>

#include "job/reader.hpp"
#include "model/plate.hpp"
#include "numeric/constants.hpp"

namespace hs::job_detail {

namespace {

// The keys of a job of one hole that a joint job gives through its plates and rows.
constexpr std::string_view kSingleHoleKeys[] = {
    "plies", "laminate", "hole", "load_cases", "load_cases_file", "results", "carpet"};
inline constexpr const char* kShears[] = {"single", "double"};
// The most fasteners across a plate: far beyond any joint, so that counts stay small integers.
constexpr std::int64_t kMaxFastenersAcross = 10000;

// The plates of member A (loaded before the first row, their free end after the last row): plate
// 1, and plate 3 of double shear. Member B (plate 2) has its free end before the first row.
bool member_a(std::size_t plate) {
  return plate != 1;
}

}  // namespace

void Reader::read_joint_job(const toml::table& root, Job& job) {
  job.joint.given = true;
  for (auto&& [k, v] : root) {
    if (std::find(std::begin(kSingleHoleKeys), std::end(kSingleHoleKeys), k.str()) !=
        std::end(kSingleHoleKeys)) {
      error(k.source(), join("", k.str()),
            "not a key of a joint job, whose plates take their laminates from [laminates.NAME] "
            "and whose holes and loads follow from [joint]: leave it out");
    }
  }
  check_keys(
      root, "",
      {"title", "units", "materials", "materials_file", "laminates", "joint", "grid", "failure",
       "plies", "laminate", "hole", "load_cases", "load_cases_file", "results", "carpet"});
  const toml::node* title_at = nullptr;
  if (string(root, "", "title", false, job.title, &title_at) == Got::kOk &&
      has_control_character(job.title)) {
    error(title_at->source(), "title", "must not contain a line break or control character");
  }
  read_units(root, job);
  read_materials(root, job);
  read_named_laminates(root, job);
  read_joint(root, job);
  // The smallest hole decides how far the stations may reach.
  diameter_ok_ = joint_rows_ok_;
  if (joint_rows_ok_) {
    job.grid.diameter = job.joint.rows[0].diameter;
    for (const JointRowInput& r : job.joint.rows) {
      job.grid.diameter = std::fmin(job.grid.diameter, r.diameter);
    }
  }
  const bool grid_given = root.contains("grid");
  if (grid_given) read_grid(root, job);
  if (!root.contains("failure")) {
    missing(root, "failure",
            "missing required key (a joint job checks every hole: [failure] with its criteria, "
            "characteristic distance and factor of safety)");
  }
  read_failure(root, job);
  const toml::table* failure = root.get("failure") ? root.get("failure")->as_table() : nullptr;
  if (failure && !failure->contains("distance") && !failure->contains("distance_tension")) {
    missing(*failure, "failure.distance",
            "missing required key (the characteristic distance from the edge of every hole, or "
            "distance_tension with distance_compression)");
  }
  if (failure && job.distance_list) {
    const toml::node* at =
        failure->get("distance") ? failure->get("distance") : failure->get("distance_tension");
    error(at->source(),
          at == failure->get("distance") ? "failure.distance" : "failure.distance_tension",
          "a joint job judges every hole at one characteristic distance (or one curve): give a "
          "number, not a list");
  }
  if (!grid_given) {
    // Every hole's edge and the stations at the characteristic distance, all round.
    job.grid = joint_default_grid(job);
    grid_ok_ = true;
  }
  job.results[static_cast<int>(ResultKind::kReserve)] = true;
  if (failure_given_) check_allowables(job, "the reserve factors of the holes");
  check_joint_geometry(job);
}

// [laminates.NAME]: a stacking notation (layup, material, ply_thickness, as [laminate]) or
// [[laminates.NAME.plies]].
void Reader::read_named_laminates(const toml::table& root, Job& job) {
  const toml::table* all = table(root, "", "laminates", false);
  if (!all) return;
  std::vector<std::pair<const toml::key*, const toml::node*>> entries;
  for (auto&& [k, v] : *all) entries.emplace_back(&k, &v);
  std::stable_sort(entries.begin(), entries.end(), [](const auto& x, const auto& y) {
    const auto &px = x.first->source().begin, &py = y.first->source().begin;
    return px.line != py.line ? px.line < py.line : px.column < py.column;
  });
  for (const auto& [k, v] : entries) {
    const std::string prefix = join("laminates", k->str());
    NamedLaminate laminate{std::string(k->str()), PlyStack{}, ""};
    if (laminate.name.empty() || has_control_character(laminate.name)) {
      error(k->source(), prefix,
            "laminate name must not be empty or contain a line break or control character");
    }
    if (!v->is_table()) {
      wrong_type(*v, prefix, "a table");
      job.joint.laminates.push_back(std::move(laminate));
      continue;
    }
    const toml::table& t = *v->as_table();
    if (const toml::node* plies = t.get("plies")) {
      for (const char* key : {"layup", "material", "ply_thickness"}) {
        if (const toml::node* n = t.get(key)) {
          error(n->source(), join(prefix, key),
                "give either a layup or [[" + prefix + ".plies]], not both");
        }
      }
      read_ply_array(*plies, join(prefix, "plies"), laminate.plies);
    } else {
      read_laminate(t, prefix, laminate.layup, laminate.plies);
    }
    job.joint.laminates.push_back(std::move(laminate));
  }
}

void Reader::read_joint(const toml::table& root, Job& job) {
  const toml::table* joint = table(root, "", "joint", true);
  if (!joint) return;
  check_keys(*joint, "joint",
             {"shear", "load", "fastener_flexibility", "hole_model", "plates", "rows"});
  std::string shear = "single";
  word(*joint, "joint", "shear", kShears, "shear", shear);
  job.joint.double_shear = shear == "double";
  const Got load = real(*joint, "joint", "load", true, Range::kAny, job.joint.load);
  if (load == Got::kOk && job.joint.load == 0.0) {
    error(joint->get("load")->source(), "joint.load",
          "must not be 0: a joint without a load has nothing to check");
  }
  word(*joint, "joint", "fastener_flexibility", kFlexibilityNames, "fastener flexibility",
       job.joint.fastener_flexibility);
  std::string model = "strip";
  model_known_ = word(*joint, "joint", "hole_model", kHoleModels, "hole model", model) != Got::kBad;
  strip_ = model == "strip";
  job.plate.model = strip_ ? HoleModel::kStrip : HoleModel::kInfinite;
  job.plate.width_correction = strip_ ? WidthCorrection::kNone : WidthCorrection::kTan;
  job.plate.bolt_series = BoltSeriesSum::kConverged;
  if (strip_ && load == Got::kOk && job.joint.load < 0.0) {
    error(joint->get("load")->source(), "joint.load",
          "a compression load needs hole_model = \"infinite\": in the strip model the bolt bears "
          "towards the plate's free end, as it does in tension");
  }
  read_joint_plates(*joint, job);
  read_joint_rows(*joint, job);
}

void Reader::read_joint_plates(const toml::table& joint, Job& job) {
  const toml::node* n = joint.get("plates");
  const std::size_t wanted = job.joint.double_shear ? 3 : 2;
  if (!n) {
    missing(joint, "joint.plates",
            "missing required key ([[joint.plates]]: 2 plates in single shear, 3 in double "
            "shear)");
    return;
  }
  const toml::array* a = n->as_array();
  if (!a) {
    wrong_type(*n, "joint.plates", "an array of tables ([[joint.plates]])");
    return;
  }
  const std::size_t before = errors_.size();
  if (a->size() != wanted) {
    error(a->source(), "joint.plates",
          std::string(job.joint.double_shear ? "double shear needs 3 plates (outer, middle, outer)"
                                             : "single shear needs 2 plates") +
              ", found " + std::to_string(a->size()));
  }
  for (std::size_t p = 0; p < a->size(); ++p) {
    const std::string prefix = index("joint.plates", p);
    const toml::node& e = (*a)[p];
    if (!e.is_table()) {
      wrong_type(e, prefix, "a table");
      continue;
    }
    const toml::table& t = *e.as_table();
    check_keys(t, prefix, {"name", "width", "edge_distance", "laminate", "material", "thickness"});
    JointPlateInput plate;
    const toml::node* at = nullptr;
    if (string(t, prefix, "name", true, plate.name, &at) == Got::kOk) {
      if (plate.name.empty() || plate.name.find(',') != std::string::npos ||
          has_control_character(plate.name)) {
        error(at->source(), prefix + ".name",
              "must not be empty or contain a comma, a line break or a control character");
      }
      for (const JointPlateInput& other : job.joint.plates) {
        if (other.name == plate.name) {
          error(at->source(), prefix + ".name", "duplicate plate name " + toml_string(plate.name));
        }
      }
    }
    real(t, prefix, "width", true, Range::kPositive, plate.width);
    real(t, prefix, "edge_distance", true, Range::kPositive, plate.edge_distance);
    const bool laminate = t.contains("laminate");
    const bool metal = t.contains("material") || t.contains("thickness");
    if (laminate && metal) {
      const toml::node* m = t.get("material") ? t.get("material") : t.get("thickness");
      error(m->source(), prefix + (t.get("material") ? ".material" : ".thickness"),
            "give either a laminate or a material and thickness (a metal plate), not both");
    } else if (laminate) {
      std::string name;
      if (string(t, prefix, "laminate", true, name, &at) == Got::kOk) {
        const auto& all = job.joint.laminates;
        auto it = std::find_if(all.begin(), all.end(),
                               [&](const NamedLaminate& l) { return l.name == name; });
        if (it == all.end()) {
          std::string known;
          for (const NamedLaminate& l : all) {
            known += (known.empty() ? "" : ", ") + toml_string(l.name);
          }
          error(at->source(), prefix + ".laminate",
                "unknown laminate " + toml_string(name) +
                    (known.empty() ? " (no [laminates.NAME] table is given)"
                                   : " (the laminates: " + known + ")"));
        } else {
          plate.laminate = static_cast<int>(it - all.begin());
        }
      }
    } else if (metal) {
      std::string name;
      real(t, prefix, "thickness", true, Range::kPositive, plate.thickness);
      if (string(t, prefix, "material", true, name, &at) == Got::kOk && !materials_.empty()) {
        plate.material = material_index(name, at->source(), prefix + ".material");
        if (plate.material >= 0 && !job.isotropic[static_cast<std::size_t>(plate.material)]) {
          error(at->source(), prefix + ".material",
                "a plate of a material and a thickness is a metal: its material needs the "
                "isotropic E and nu (or give the plate a laminate)");
        }
        ply_materials_.push_back(plate.material);
      }
    } else {
      missing(t, prefix + ".laminate",
              "missing required key (laminate, or material and thickness for a metal plate)");
    }
    joint_plate_tables_.push_back(&t);
    job.joint.plates.push_back(plate);
  }
  joint_plates_ok_ = errors_.size() == before;
}

void Reader::read_joint_rows(const toml::table& joint, Job& job) {
  const toml::node* n = joint.get("rows");
  if (!n) {
    missing(joint, "joint.rows",
            "missing required key ([[joint.rows]]: the rows of fasteners, ordered along the "
            "load)");
    return;
  }
  const toml::array* a = n->as_array();
  if (!a) {
    wrong_type(*n, "joint.rows", "an array of tables ([[joint.rows]])");
    return;
  }
  if (a->empty()) {
    error(a->source(), "joint.rows", "needs at least one row of fasteners");
    return;
  }
  const std::size_t before = errors_.size();
  bool previous_x = false;
  for (std::size_t i = 0; i < a->size(); ++i) {
    const std::string prefix = index("joint.rows", i);
    const toml::node& e = (*a)[i];
    if (!e.is_table()) {
      wrong_type(e, prefix, "a table");
      previous_x = false;
      continue;
    }
    const toml::table& t = *e.as_table();
    check_keys(t, prefix, {"x", "diameter", "fastener_E", "fastener_nu", "count"});
    JointRowInput row;
    const Got x = real(t, prefix, "x", true, Range::kAny, row.x);
    if (x == Got::kOk && previous_x && !(row.x > job.joint.rows.back().x)) {
      error(t.get("x")->source(), prefix + ".x",
            "must be greater than the x of " + index("joint.rows", i - 1) +
                ": the rows are ordered along the load");
    }
    previous_x = x == Got::kOk;
    real(t, prefix, "diameter", true, Range::kPositive, row.diameter);
    real(t, prefix, "fastener_E", true, Range::kPositive, row.fastener_modulus);
    if (real(t, prefix, "fastener_nu", true, Range::kAny, row.fastener_poisson) == Got::kOk &&
        !(row.fastener_poisson > -1.0 && row.fastener_poisson <= 0.5)) {
      error(t.get("fastener_nu")->source(), prefix + ".fastener_nu",
            "must be greater than -1 and at most 0.5");
    }
    if (const toml::node* c = t.get("count")) {
      if (!c->is_integer()) {
        wrong_type(*c, prefix + ".count", "an integer");
      } else if (const std::int64_t k = c->as_integer()->get(); k < 1 || k > kMaxFastenersAcross) {
        error(c->source(), prefix + ".count",
              "must be from 1 to " + std::to_string(kMaxFastenersAcross));
      } else {
        row.count = static_cast<int>(k);
      }
    }
    joint_row_tables_.push_back(&t);
    job.joint.rows.push_back(row);
  }
  joint_rows_ok_ = errors_.size() == before;
}

// The holes must fit their plates: the fasteners across the width, the rows along the load, the
// end rows before the free ends; in the strip model every station of a hole must lie in its strip
// (the pitch wide, with the free end at the end row).
void Reader::check_joint_geometry(const Job& job) {
  if (!joint_plates_ok_ || !joint_rows_ok_) return;
  const std::vector<JointRowInput>& rows = job.joint.rows;
  const std::vector<JointPlateInput>& plates = job.joint.plates;
  const std::size_t n = rows.size();
  char text[400];
  bool fits = true;
  for (std::size_t i = 0; i < n; ++i) {
    const toml::table& row = *joint_row_tables_[i];
    const std::string prefix = index("joint.rows", i);
    if (i > 0 && !(rows[i].x - rows[i - 1].x > (rows[i].diameter + rows[i - 1].diameter) / 2.0)) {
      error(row.get("x")->source(), prefix + ".x",
            "the holes of this row overlap those of " + index("joint.rows", i - 1) +
                ": the rows must lie farther apart than half their diameters summed");
    }
    for (std::size_t p = 0; p < plates.size(); ++p) {
      const double pitch = plates[p].width / rows[i].count;
      if (!(pitch > rows[i].diameter)) {
        fits = false;
        const toml::node* at = row.get("count") ? row.get("count") : row.get("diameter");
        std::snprintf(text, sizeof text,
                      "the fasteners do not fit across plate %s: its width over the count, "
                      "%.6g, must be greater than the diameter",
                      toml_string(plates[p].name).c_str(), pitch);
        error(at->source(), prefix + (row.get("count") ? ".count" : ".diameter"), text);
      }
    }
  }
  for (std::size_t p = 0; p < plates.size(); ++p) {
    const std::size_t end = member_a(p) ? n - 1 : 0;
    if (!(plates[p].edge_distance > rows[end].diameter / 2.0)) {
      std::snprintf(text, sizeof text,
                    "must be greater than half the diameter of %s, the row by the plate's free "
                    "end",
                    index("joint.rows", end).c_str());
      error(joint_plate_tables_[p]->get("edge_distance")->source(),
            index("joint.plates", p) + ".edge_distance", text);
      fits = false;
    }
  }
  if (!strip_ || !grid_ok_ || !fits) return;
  // Each hole in its plate's frame: x towards the plate's free end, the strip the pitch wide.
  const Grid& g = job.grid;
  const int stations = station_count(g);
  const double reach = std::fmax((g.steps - 1) * g.distance_step,
                                 std::fmax(job.distances[0].tension, job.distances[0].compression));
  for (std::size_t p = 0; p < plates.size(); ++p) {
    for (std::size_t i = 0; i < n; ++i) {
      Plate strip;
      strip.model = HoleModel::kStrip;
      strip.width = plates[p].width / rows[i].count;
      strip.edge_distance = i == (member_a(p) ? n - 1 : 0) ? plates[p].edge_distance : 0.0;
      const double r = rows[i].diameter / 2.0 + reach;
      for (int j = 0; j < stations; ++j) {
        const double theta = radians(station_angle(g, j));
        if (in_strip(strip, rows[i].diameter, r * std::cos(theta), r * std::sin(theta))) continue;
        std::snprintf(text, sizeof text,
                      "the stations of the hole of plate %s at %s, %.6g from its edge, reach "
                      "beyond its strip (%.6g wide%s): use a smaller characteristic distance or "
                      "grid, fewer fasteners across or a longer edge distance",
                      toml_string(plates[p].name).c_str(), index("joint.rows", i).c_str(), reach,
                      strip.width, strip.edge_distance > 0.0 ? ", its free end beyond" : "");
        error(joint_plate_tables_[p]->source(), index("joint.plates", p), text);
        return;
      }
    }
  }
}

}  // namespace hs::job_detail
