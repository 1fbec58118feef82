#include "job/job_writer.hpp"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

#include "io/float_to_chars.hpp"
#include "job/layup.hpp"
#include "job/toml_text.hpp"

namespace hs {

namespace {

class Out {
 public:
  // key = value, with the comment from column 33.
  void line(std::string_view k, const std::string& value, std::string_view comment = {}) {
    std::string l = std::string(k) + " = " + value;
    if (!comment.empty()) {
      if (l.size() < 32)
        l.resize(32, ' ');
      else
        l += "  ";
      l += "# ";
      l += comment;
    }
    text_ += l + "\n";
  }
  void raw(std::string_view s) {
    text_ += s;
    text_ += "\n";
  }
  std::string text_;
};

// A list of numbers, or one number when the job gave one.
std::string numbers(const std::vector<double>& values, bool list) {
  if (!list) return toml_number(values.front());
  std::string text;
  for (double v : values) text += (text.empty() ? "" : ", ") + toml_number(v);
  return "[" + text + "]";
}

// One distance all round (distance), or the characteristic curve's two.
void write_distances(Out& o, const Job& job) {
  const std::string unit = job.length_unit + ", from the hole edge";
  std::vector<double> tension, compression;
  bool circular = true;
  for (const CharacteristicDistance& d : job.distances) {
    tension.push_back(d.tension);
    compression.push_back(d.compression);
    circular = circular && d.circular();
  }
  if (circular) {
    o.line("distance", numbers(tension, job.distance_list), unit);
    return;
  }
  o.line("distance_tension", numbers(tension, job.distance_list), unit + ", at the net section");
  o.line("distance_compression", numbers(compression, job.distance_list),
         unit + ", at the bearing face");
}

std::string material_name(const Job& job, int m) {
  return job.material_names[m].empty() ? "material" + std::to_string(m + 1) : job.material_names[m];
}

// A material given by the isotropic shorthand is written so again (a metal plate of a joint
// needs it), when its constants are still those E and nu give.
bool isotropic_shorthand(const Job& job, int m) {
  const ElasticConstants& e = job.materials.elastic[m];
  return job.isotropic[m] && e.E2 == e.E1 && e.G12 == e.E1 / (2.0 * (1.0 + e.NU12));
}

// By memcpy rather than std::bit_cast, which the web page's libc++ lacks.
bool same_bits(double x, double y) {
  std::uint64_t a = 0, b = 0;
  std::memcpy(&a, &x, sizeof a);
  std::memcpy(&b, &y, sizeof b);
  return a == b;
}

// The keys of a named laminate's stacking notation that give its plies back: the material of the
// plies the layup names none for ("" when every ply names one) and the ply thickness (one number,
// or an inline table by material name). False when the plies are not those the notation
// expands to (a laminate built by hand): they are then written one by one.
bool layup_keys(const Job& job, const NamedLaminate& laminate, std::string& material,
                std::string& thickness) {
  std::vector<LayupPly> expanded;
  LayupError mistake;
  const PlyStack& plies = laminate.plies;
  if (laminate.layup.empty() || !expand_layup(laminate.layup, expanded, mistake) ||
      static_cast<int>(expanded.size()) != plies.count) {
    return false;
  }
  const int materials = job.materials.count;
  int unnamed = -1;
  std::vector<double> thickness_of(static_cast<std::size_t>(materials), std::nan(""));
  bool one_thickness = true;
  for (int p = 0; p < plies.count; ++p) {
    const int m = plies.material[p];
    if (m < 0 || m >= materials || !same_bits(expanded[p].angle, plies.angle[p])) return false;
    if (expanded[p].material.empty()) {
      if (unnamed >= 0 && unnamed != m) return false;
      unnamed = m;
    } else if (expanded[p].material != material_name(job, m)) {
      return false;
    }
    double& t = thickness_of[static_cast<std::size_t>(m)];
    if (std::isnan(t)) t = plies.thickness[p];
    if (!same_bits(t, plies.thickness[p])) return false;
    one_thickness = one_thickness && same_bits(plies.thickness[p], plies.thickness[0]);
  }
  material = unnamed >= 0 ? material_name(job, unnamed) : "";
  if (one_thickness) {
    thickness = toml_number(plies.thickness[0]);
    return true;
  }
  thickness.clear();
  for (int m = 0; m < materials; ++m) {
    const double t = thickness_of[static_cast<std::size_t>(m)];
    if (std::isnan(t)) continue;
    thickness +=
        (thickness.empty() ? "" : ", ") + toml_key(material_name(job, m)) + " = " + toml_number(t);
  }
  thickness = "{" + thickness + "}";
  return true;
}

// [laminates.NAME] of a joint job: the stacking notation when the laminate was given so, else
// its plies.
void write_named_laminates(Out& o, const Job& job) {
  for (const NamedLaminate& l : job.joint.laminates) {
    const std::string table = "laminates." + toml_key(l.name);
    std::string material, thickness;
    o.raw("");
    if (layup_keys(job, l, material, thickness)) {
      o.raw("[" + table + "]");
      o.line("layup", toml_string(l.layup), "plies from the bottom");
      if (!material.empty()) {
        o.line("material", toml_string(material), "of the plies the layup names none for");
      }
      o.line("ply_thickness", thickness, job.length_unit);
      continue;
    }
    o.raw("[" + table + "]");
    for (int p = 0; p < l.plies.count; ++p) {
      o.raw("");
      o.raw("[[" + table + ".plies]]");
      o.line("angle", toml_number(l.plies.angle[p]), "degrees");
      o.line("thickness", toml_number(l.plies.thickness[p]), job.length_unit);
      o.line("material", toml_string(material_name(job, l.plies.material[p])));
    }
  }
}

// [joint], its plates and rows.
void write_joint(Out& o, const Job& job) {
  const JointInput& joint = job.joint;
  const std::string& length = job.length_unit;
  o.raw("");
  o.raw("[joint]");
  o.line("shear", toml_string(joint.double_shear ? "double" : "single"),
         joint.double_shear ? "plates outer, middle, outer" : "two plates");
  o.line("load", toml_number(joint.load),
         "force through the joint (" + job.stress_unit + " times " + length + " squared)");
  o.line("fastener_flexibility", toml_string(joint.fastener_flexibility));
  o.line("hole_model", toml_string(job.plate.strip() ? "strip" : "infinite"),
         job.plate.strip() ? "each hole in a strip of its row's pitch"
                           : "infinite plate, Tan's factor of the pitch");
  for (std::size_t p = 0; p < joint.plates.size(); ++p) {
    const JointPlateInput& plate = joint.plates[p];
    const bool member_a = p != 1;  // plates 1 and 3 are loaded before the first row
    o.raw("");
    o.raw(std::string("[[joint.plates]]") + "                # plate " + std::to_string(p + 1) +
          (member_a ? ": loaded before the first row" : ": loaded after the last row"));
    o.line("name", toml_string(plate.name));
    if (plate.laminate >= 0) {
      o.line("laminate", toml_string(joint.laminates[plate.laminate].name));
    } else {
      o.line("material", toml_string(material_name(job, plate.material)), "a metal plate");
      o.line("thickness", toml_number(plate.thickness), length);
    }
    o.line("width", toml_number(plate.width), length + ", across the load");
    o.line("edge_distance", toml_number(plate.edge_distance),
           length + (member_a ? ", beyond the last row" : ", before the first row"));
  }
  for (const JointRowInput& row : joint.rows) {
    o.raw("");
    o.raw("[[joint.rows]]");
    o.line("x", toml_number(row.x), length + " along the load");
    o.line("diameter", toml_number(row.diameter), length);
    o.line("fastener_E", toml_number(row.fastener_modulus), job.stress_unit);
    o.line("fastener_nu", toml_number(row.fastener_poisson));
    o.line("count", std::to_string(row.count), "fasteners across the width");
  }
}

bool is_joint_default_grid(const Job& job) {
  const Grid g = joint_default_grid(job);
  return same_bits(g.angle_step, job.grid.angle_step) &&
         same_bits(g.angle_low, job.grid.angle_low) &&
         same_bits(g.angle_high, job.grid.angle_high) &&
         same_bits(g.distance_step, job.grid.distance_step) && g.steps == job.grid.steps;
}

void write_grid(Out& o, const Job& job) {
  const Grid& g = job.grid;
  o.raw("");
  o.raw("[grid]");
  o.line("angle_step", toml_number(g.angle_step), "degrees between stations");
  o.line("angle_low", toml_number(g.angle_low), "degrees, first station");
  o.line("angle_high", toml_number(g.angle_high), "degrees, last station");
  o.line("distance_step", toml_number(g.distance_step),
         job.length_unit + ", between distance steps");
  o.line("steps", std::to_string(g.steps), "distance steps from the hole edge");
}

void write_failure(Out& o, const Job& job) {
  if (job.criteria.empty()) return;
  std::string list;
  for (Criterion c : job.criteria) {
    list += (list.empty() ? "" : ", ") + toml_string(criterion_name(c));
  }
  o.raw("");
  o.raw("[failure]");
  o.line("criteria", "[" + list + "]");
  write_distances(o, job);
  if (job.method == StrengthMethod::kAverageStress) {
    o.line("method", toml_string(method_name(job.method)),
           "stresses averaged from the hole edge over the distance");
    o.line("average_rule", toml_string(average_rule_name(job.average_rule)));
    o.line("average_points", std::to_string(job.average_points), "along each radial line");
  }
  o.line("factor_of_safety", toml_number(job.factor_of_safety));
}

}  // namespace

std::string write_job(const Job& job) {
  const std::string& stress = job.stress_unit;
  const std::string& length = job.length_unit;
  Out o;
  o.raw("# holestress job file");
  o.line("title", toml_string(job.title));
  if (!job.load_cases_file.empty()) {
    o.line("load_cases_file", toml_string(job.load_cases_file),
           "CSV file of load cases, relative to this file");
  }

  o.raw("");
  o.raw("[units]                         # labels only: every value is in these units");
  o.line("stress", toml_string(stress));
  o.line("length", toml_string(length));

  for (int m = 0; m < job.materials.count; ++m) {
    const ElasticConstants& e = job.materials.elastic[m];
    o.raw("");
    o.raw("[materials." + toml_key(material_name(job, m)) + "]");
    if (isotropic_shorthand(job, m)) {
      o.line("E", toml_number(e.E1), stress + ", isotropic: E1 = E2 = E, G12 = E / 2(1 + nu)");
      o.line("nu", toml_number(e.NU12), "Poisson's ratio");
    } else {
      o.line("E1", toml_number(e.E1), stress + ", along the fibres");
      o.line("E2", toml_number(e.E2), stress + ", across the fibres");
      o.line("G12", toml_number(e.G12), stress + ", in-plane shear");
      o.line("nu12", toml_number(e.NU12), "major Poisson's ratio");
    }
    if (job.has_allowables[m]) {
      const Allowables& a = job.materials.allowables[m];
      o.line("T1", toml_number(a.T1), stress + ", tension along the fibres");
      o.line("C1", toml_number(a.C1), stress + ", compression along the fibres (magnitude)");
      o.line("T2", toml_number(a.T2), stress + ", tension across the fibres");
      o.line("C2", toml_number(a.C2), stress + ", compression across the fibres (magnitude)");
      o.line("S12", toml_number(a.S12), stress + ", in-plane shear");
    }
    if (job.has_strain_allowables[m]) {
      const Allowables& a = job.strain_allowables[m];
      o.line("strain_T1", toml_number(a.T1), "strain allowables of maximum strain: tension along");
      o.line("strain_C1", toml_number(a.C1), "compression along the fibres (magnitude)");
      o.line("strain_T2", toml_number(a.T2), "tension across the fibres");
      o.line("strain_C2", toml_number(a.C2), "compression across the fibres (magnitude)");
      o.line("strain_S12", toml_number(a.S12), "in-plane shear (engineering strain)");
    }
  }

  // A joint job: its plates take their laminates from [laminates.NAME], its holes and loads
  // follow from [joint]; the stations round every hole are [grid], written when they are not
  // those the reader gives a joint job without one.
  if (job.joint.given) {
    write_named_laminates(o, job);
    write_joint(o, job);
    if (!is_joint_default_grid(job)) write_grid(o, job);
    write_failure(o, job);
    return o.text_;
  }

  for (int p = 0; p < job.plies.count; ++p) {
    o.raw("");
    o.raw("[[plies]]                       # ply " + std::to_string(p + 1) + ", from the bottom");
    o.line("angle", toml_number(job.plies.angle[p]), "degrees");
    o.line("thickness", toml_number(job.plies.thickness[p]), length);
    o.line("material", toml_string(material_name(job, job.plies.material[p])));
  }

  // A job of the laminate's properties alone has no hole, grid or load case.
  const bool field = !job.load_cases.empty() || !job.load_cases_file.empty();
  if (field) {
    o.raw("");
    o.raw("[hole]");
    if (job.plate.strip()) {
      o.line("model", toml_string("strip"), "a hole in a strip of finite width along x");
      o.line("diameter", toml_number(job.grid.diameter), length);
      o.line("width", toml_number(job.plate.width), length + ", of the strip");
      if (job.plate.edge_distance > 0.0) {
        o.line("edge_distance", toml_number(job.plate.edge_distance),
               length + ", hole centre to the free end");
      }
    } else {
      o.line("model", toml_string("infinite"), "an infinite plate");
      o.line("diameter", toml_number(job.grid.diameter), length);
      o.line("width", toml_number(job.plate.width), length + ", 0 = infinite plate");
      o.line("finite_width_correction",
             toml_string(job.plate.width_correction == WidthCorrection::kTan ? "tan" : "none"));
      const bool legacy = job.plate.bolt_series == BoltSeriesSum::kLegacy;
      o.line(
          "bolt_series", toml_string(legacy ? "legacy" : "converged"),
          legacy ? "the bolt's series to 45 terms, as the dialogue" : "the bolt's series summed");
    }

    write_grid(o, job);

    for (const LoadCase& lc : job.load_cases) {
      const Loads& l = lc.loads;
      o.raw("");
      o.raw("[[load_cases]]");
      o.line("name", toml_string(lc.name));
      if (job.plate.strip()) {
        o.line("bearing", toml_number(l.bearing),
               stress + ", bearing stress of the bolt, towards +x");
        o.line("bypass", toml_number(l.bypass), stress + ", gross stress carried past the hole");
        continue;
      }
      o.line("px", toml_number(l.px), stress + ", along the load x axis");
      o.line("py", toml_number(l.py), stress + ", across it");
      o.line("pxy", toml_number(l.pxy), stress + ", shear");
      o.line("off_axis", toml_number(l.off_axis),
             "degrees from the laminate x axis to the load x axis");
      o.line("bearing", toml_number(l.bearing), stress + ", bearing stress of the bolt");
      o.line("bolt_angle", toml_number(l.bolt_angle), "degrees, direction of the bolt load");
    }
  }

  write_failure(o, job);

  std::string tables;
  for (int k = 0; k < kResultKinds; ++k) {
    if (job.results[k]) {
      tables += (tables.empty() ? "" : ", ") + toml_string(result_name(static_cast<ResultKind>(k)));
    }
  }
  o.raw("");
  o.raw("[results]");
  o.line("tables", "[" + tables + "]");

  if (job.carpet) {
    o.raw("");
    o.raw("[carpet]                        # the 66 layups of the first four plies");
  }
  return o.text_;
}

}  // namespace hs
