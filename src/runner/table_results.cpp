#include "runner/table_results.hpp"

#include <cmath>
#include <cstdio>
#include <sstream>

#include "dialogue/tables.hpp"
#include "io/console.hpp"
#include "io/edit_descriptors.hpp"
#include "runner/evaluate.hpp"
#include "runner/joint_results.hpp"
#include "runner/results_common.hpp"

namespace hs {

namespace {

// A real in an Fw.d field, as the tables write it.
std::string fixed(int w, int d, double v) {
  char buf[kMaxFieldWidth];
  format_fixed(buf, w, d, v);
  return std::string(buf, w);
}

// Right-justified text in w columns.
std::string right(const std::string& s, int w) {
  return s.size() >= static_cast<size_t>(w) ? s : std::string(w - s.size(), ' ') + s;
}

// Left-justified text in w columns.
std::string left(const std::string& s, int w) {
  return s.size() >= static_cast<size_t>(w) ? s : s + std::string(w - s.size(), ' ');
}

class TableSink : public ResultSink {
 public:
  TableSink(const Job& job, Console& con) : job_(job), con_(con) {}

  void laminate(const PlyStack&, const Shares* layup, const MembraneCompliance& c) override {
    strip_printed_ = false;
    if (layup) print_layup(con_, *layup);
    if (!job_.wants(ResultKind::kProperties)) return;
    if (c.singular_laminate_axes) print_singular_stiffness(con_, 1);
    print_properties(con_, engineering_constants(c.compliance.laminate_axes));
  }

  void load_case(const Evaluation& e) override {
    if (e.strip && !strip_printed_) print_strip(*e.strip);
    const Problem& pb = *e.problem;
    con_.write("(' ')");
    con_.write_record(" LOAD CASE " + e.load_case->name);
    print_singular_systems(con_, e.singular_systems);
    if (job_.wants(ResultKind::kStresses)) print_laminate_stresses(con_, pb.grid, *e.field);
    if (job_.wants(ResultKind::kStrains)) print_laminate_strains(con_, pb.grid, *e.field);
    if (job_.wants(ResultKind::kPolar)) print_polar(con_, pb.grid, *e.field);
    if (job_.wants(ResultKind::kDisplacements)) {
      print_displacement_caution(con_, pb.grid, pb.loads);
      print_displacements(con_, pb.grid, *e.field);
    }
    if (e.plies) {
      if (job_.wants(ResultKind::kPlyStrains)) print_ply_strains(con_, pb, *e.plies);
      if (job_.wants(ResultKind::kPlyStresses)) print_ply_stresses(con_, pb, *e.plies);
      if (job_.wants(ResultKind::kFailure)) {
        for (Criterion c : job_.criteria) {
          Problem with = pb;
          with.criterion = c;
          with.materials = materials_for(job_, c);
          con_.write_record(std::string(" CRITERION ") + criterion_name(c));
          print_failure_numbers(con_, with, *e.plies);
        }
      }
    }
    if (job_.wants(ResultKind::kReserve)) print_reserve(e);
  }

 private:
  // The strip model's solution of the laminate: the strip, and the residual tractions on each
  // boundary under each unit load in percent of its peak hoop stress.
  void print_strip(const StripSolution& s) {
    strip_printed_ = true;
    const Plate& plate = job_.plate;
    if (plate.edge_distance > 0.0) {
      con_.write("(///20X,'STRIP MODEL: WIDTH',F9.3,'  EDGE DISTANCE',F9.3)",
                 {plate.width, plate.edge_distance});
    } else {
      con_.write("(///20X,'STRIP MODEL: WIDTH',F9.3,'  NO FREE END')", {plate.width});
    }
    if (s.status != StripStatus::ok) {
      con_.write_record("  NO SOLUTION: THE FIELD IS UNDEFINED");
      return;
    }
    con_.write("(/'  RESIDUAL TRACTION, PERCENT OF PEAK HOOP STRESS')");
    con_.write("('  UNIT LOAD       HOLE      SIDES  FRONT END   BACK END')");
    static const char* const kLoads[2] = {"bearing", "bypass"};
    for (int load = 0; load < (s.has_bypass ? 2 : 1); ++load) {
      const StripResidual& r = s.residual[load];
      con_.write_record("  " + left(kLoads[load], 9) + exponent(r.hole) + exponent(r.sides) +
                        exponent(r.front_end) + exponent(r.back_end));
    }
  }

  // A small positive number in 11 columns, 2 significant digits.
  static std::string exponent(double v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%11.1e", v);
    return buf;
  }

  void print_reserve(const Evaluation& e) {
    if (plain_reserve(job_)) {
      print_plain_reserve(e);
      return;
    }
    for (int d = 0; d < e.stations->entries; ++d) print_reserve_entry(e, d);
  }

  // One point-stress distance: the table as it always was.
  void print_plain_reserve(const Evaluation& e) {
    con_.write("(///20X,'RESERVE FACTORS AT DISTANCE',F8.3)", {job_.distances[0].tension});
    con_.write("(/'  CRITERION            FACTOR     PLY  PLY ANGLE     ANGLE  COMPONENT')");
    print_reserve_rows(e, 0, false);
  }

  // Any method and distance: a heading with both, and the distance of each factor's station.
  void print_reserve_entry(const Evaluation& e, int d) {
    const CharacteristicDistance& cd = job_.distances[d];
    std::string heading = job_.method == StrengthMethod::kAverageStress
                              ? "RESERVE FACTORS, AVERAGE STRESS OVER"
                              : "RESERVE FACTORS, POINT STRESS AT";
    if (cd.circular()) {
      heading += " DISTANCE" + fixed(8, 3, cd.tension);
    } else {
      heading += " TENSION DISTANCE" + fixed(8, 3, cd.tension) + ", COMPRESSION DISTANCE" +
                 fixed(8, 3, cd.compression);
    }
    for (int blank = 0; blank < 3; ++blank) con_.write_record("");
    con_.write_record(std::string(20, ' ') + heading);
    if (job_.method == StrengthMethod::kAverageStress) {
      std::string rule = job_.average_rule == Quadrature::kSimpson ? "SIMPSON" : "GAUSS-LEGENDRE";
      con_.write_record(std::string(20, ' ') + "(" + rule + ", " +
                        std::to_string(job_.average_points) + " POINTS ALONG EACH RADIUS)");
    }
    con_.write(
        "(/'  CRITERION            FACTOR     PLY  PLY ANGLE     ANGLE  DISTANCE  COMPONENT')");
    print_reserve_rows(e, d, true);
  }

  // A row per criterion for characteristic distance d (with the distance of each factor's
  // station when `distance`), then the smallest.
  void print_reserve_rows(const Evaluation& e, int d, bool distance) {
    const LoadCaseReserve& r = e.reserve[d];
    for (size_t c = 0; c < job_.criteria.size(); ++c) {
      const CriterionReserve& f = r.criterion[c];
      std::string row = "  " + left(criterion_name(job_.criteria[c]), 14);
      if (std::isfinite(f.factor)) {
        row += fixed(12, 4, f.factor) + right(std::to_string(f.ply + 1), 8) +
               fixed(11, 2, e.problem->plies.angle[f.ply]) +
               fixed(10, 2, e.stations->angle[f.station]) +
               (distance ? fixed(10, 3, e.stations->distance_at(d, f.station)) : "") + "  " +
               component_name(f.component);
      } else {
        row +=
            std::isnan(f.factor) ? "  undefined (the field is not finite)" : "  no finite factor";
      }
      con_.write_record(row);
    }
    print_smallest(r);
  }

  void print_smallest(const LoadCaseReserve& r) {
    if (r.smallest >= 0) {
      con_.write_record(" SMALLEST: " + std::string(criterion_name(job_.criteria[r.smallest])) +
                        ", MARGIN OF SAFETY" + fixed(10, 4, r.margin) + " WITH FACTOR OF SAFETY" +
                        fixed(8, 3, job_.factor_of_safety));
    }
  }

  const Job& job_;
  Console& con_;
  bool strip_printed_ = false;
};

}  // namespace

void write_table_results(const Job& job, std::ostream& out) {
  if (job.joint.given) {
    write_joint_table_results(job, analyse_joint_job(job), out);
    return;
  }
  std::istringstream none;
  Console con(none, out, out);
  if (!job.title.empty()) con.write_record(" " + job.title);
  for (const std::string& w : job_warnings(job)) con.write_record(" CAUTION: " + w);
  TableSink sink(job, con);
  evaluate_job(job, sink);
  con.flush();
}

}  // namespace hs
