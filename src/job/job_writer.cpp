#include "job/job_writer.hpp"

#include <charconv>
#include <cmath>
#include <string_view>
#include <vector>

#include "io/float_to_chars.hpp"
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
    o.line("E1", toml_number(e.E1), stress + ", along the fibres");
    o.line("E2", toml_number(e.E2), stress + ", across the fibres");
    o.line("G12", toml_number(e.G12), stress + ", in-plane shear");
    o.line("nu12", toml_number(e.NU12), "major Poisson's ratio");
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

    const Grid& g = job.grid;
    o.raw("");
    o.raw("[grid]");
    o.line("angle_step", toml_number(g.angle_step), "degrees between stations");
    o.line("angle_low", toml_number(g.angle_low), "degrees, first station");
    o.line("angle_high", toml_number(g.angle_high), "degrees, last station");
    o.line("distance_step", toml_number(g.distance_step), length + ", between distance steps");
    o.line("steps", std::to_string(g.steps), "distance steps from the hole edge");

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

  if (!job.criteria.empty()) {
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
