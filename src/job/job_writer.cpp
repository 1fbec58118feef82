#include "job/job_writer.hpp"

#include <charconv>
#include <cmath>
#include <string_view>

#include "io/float_to_chars.hpp"

namespace hs {

namespace {

// The shortest text that reads back to the same double, as a TOML float: whole numbers below
// 1e16 in plain digits with ".0" (20000000.0 rather than 2e+07), everything else in the shortest
// form std::to_chars finds ("0.30000000000000004", "2.5e+22", "1e-300").
std::string number(double x) {
  char buf[64];
  std::to_chars_result r = (x == std::trunc(x) && std::fabs(x) < 1e16)
                               ? double_to_chars(buf, buf + sizeof buf, x, std::chars_format::fixed)
                               : double_to_chars(buf, buf + sizeof buf, x);
  std::string s(buf, r.ptr);
  // Plain digits would be a TOML integer (and may not fit 64 bits): make them a float. inf and
  // nan are TOML words as they stand.
  if (s.find_first_of(".ein") == std::string::npos) s += ".0";
  return s;
}

// A TOML basic string.
std::string quoted(std::string_view s) {
  std::string out = "\"";
  for (unsigned char c : s) {
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\b':
        out += "\\b";
        break;
      case '\t':
        out += "\\t";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\f':
        out += "\\f";
        break;
      case '\r':
        out += "\\r";
        break;
      default:
        if (c < 0x20 || c == 0x7f) {
          static const char hex[] = "0123456789ABCDEF";
          out += "\\u00";
          out += hex[c >> 4];
          out += hex[c & 15];
        } else {
          out += static_cast<char>(c);
        }
    }
  }
  return out + '"';
}

std::string key(std::string_view s) {
  bool bare = !s.empty();
  for (char c : s) {
    bare = bare && ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                    c == '_' || c == '-');
  }
  return bare ? std::string(s) : quoted(s);
}

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

std::string material_name(const Job& job, int m) {
  return job.material_names[m].empty() ? "material" + std::to_string(m + 1) : job.material_names[m];
}

}  // namespace

std::string write_job(const Job& job) {
  const std::string& stress = job.stress_unit;
  const std::string& length = job.length_unit;
  Out o;
  o.raw("# holestress job file");
  o.line("title", quoted(job.title));
  if (!job.load_cases_file.empty()) {
    o.line("load_cases_file", quoted(job.load_cases_file),
           "CSV file of load cases, relative to this file");
  }

  o.raw("");
  o.raw("[units]                         # labels only: every value is in these units");
  o.line("stress", quoted(stress));
  o.line("length", quoted(length));

  for (int m = 0; m < job.materials.count; ++m) {
    const ElasticConstants& e = job.materials.elastic[m];
    o.raw("");
    o.raw("[materials." + key(material_name(job, m)) + "]");
    o.line("E1", number(e.E1), stress + ", along the fibres");
    o.line("E2", number(e.E2), stress + ", across the fibres");
    o.line("G12", number(e.G12), stress + ", in-plane shear");
    o.line("nu12", number(e.NU12), "major Poisson's ratio");
    if (job.has_allowables[m]) {
      const Allowables& a = job.materials.allowables[m];
      o.line("T1", number(a.T1), stress + ", tension along the fibres");
      o.line("C1", number(a.C1), stress + ", compression along the fibres (magnitude)");
      o.line("T2", number(a.T2), stress + ", tension across the fibres");
      o.line("C2", number(a.C2), stress + ", compression across the fibres (magnitude)");
      o.line("S12", number(a.S12), stress + ", in-plane shear");
    }
    if (job.has_strain_allowables[m]) {
      const Allowables& a = job.strain_allowables[m];
      o.line("strain_T1", number(a.T1), "strain allowables of maximum strain: tension along");
      o.line("strain_C1", number(a.C1), "compression along the fibres (magnitude)");
      o.line("strain_T2", number(a.T2), "tension across the fibres");
      o.line("strain_C2", number(a.C2), "compression across the fibres (magnitude)");
      o.line("strain_S12", number(a.S12), "in-plane shear (engineering strain)");
    }
  }

  for (int p = 0; p < job.plies.count; ++p) {
    o.raw("");
    o.raw("[[plies]]                       # ply " + std::to_string(p + 1) + ", from the bottom");
    o.line("angle", number(job.plies.angle[p]), "degrees");
    o.line("thickness", number(job.plies.thickness[p]), length);
    o.line("material", quoted(material_name(job, job.plies.material[p])));
  }

  o.raw("");
  o.raw("[hole]");
  o.line("diameter", number(job.grid.diameter), length);
  o.line("width", number(job.width), length + ", 0 = infinite plate");
  o.line("finite_width_correction",
         quoted(job.width_correction == WidthCorrection::kTan ? "tan" : "none"));

  const Grid& g = job.grid;
  o.raw("");
  o.raw("[grid]");
  o.line("angle_step", number(g.angle_step), "degrees between stations");
  o.line("angle_low", number(g.angle_low), "degrees, first station");
  o.line("angle_high", number(g.angle_high), "degrees, last station");
  o.line("distance_step", number(g.distance_step), length + ", between distance steps");
  o.line("steps", std::to_string(g.steps), "distance steps from the hole edge");

  for (const LoadCase& lc : job.load_cases) {
    const Loads& l = lc.loads;
    o.raw("");
    o.raw("[[load_cases]]");
    o.line("name", quoted(lc.name));
    o.line("px", number(l.px), stress + ", along the load x axis");
    o.line("py", number(l.py), stress + ", across it");
    o.line("pxy", number(l.pxy), stress + ", shear");
    o.line("off_axis", number(l.off_axis), "degrees from the laminate x axis to the load x axis");
    o.line("bearing", number(l.bearing), stress + ", bearing stress of the bolt");
    o.line("bolt_angle", number(l.bolt_angle), "degrees, direction of the bolt load");
  }

  if (!job.criteria.empty()) {
    std::string list;
    for (Criterion c : job.criteria) {
      list += (list.empty() ? "" : ", ") + quoted(criterion_name(c));
    }
    o.raw("");
    o.raw("[failure]");
    o.line("criteria", "[" + list + "]");
    o.line("distance", number(job.distance), length + ", from the hole edge");
    o.line("factor_of_safety", number(job.factor_of_safety));
  }

  std::string tables;
  for (int k = 0; k < kResultKinds; ++k) {
    if (job.results[k]) {
      tables += (tables.empty() ? "" : ", ") + quoted(result_name(static_cast<ResultKind>(k)));
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
