// The page of pictures of a run: it watches the analyses of the dialogue and draws, per pass, a
// header with the inputs, the hoop, radial and shear stresses around the hole (cases 3 and
// higher), the failure number of every ply around the hole with the critical point of the
// failure search (cases 9 and 10), or the carpet chart of a carpet plot (case 1 with 2 or 10).
//
// The page is one self-contained HTML document with inline SVG: nothing is fetched and every
// number is written in a fixed form, so the same dialogue always gives the same bytes. Stresses
// are drawn at the loads as typed, the values that cases 3 to 9 print.
#pragma once

#include <string>
#include <vector>

#include "control/driver.hpp"
#include "control/state.hpp"
#include "laminate/abd.hpp"

namespace hs::plot {

class Page : public AnalysisObserver {
 public:
  void pass_begun(const State& st, double width, bool carpet) override;
  void typed_loads_evaluated(const State& st) override;
  void analysed(const State& st, int s0, int s45, int s90, bool converged) override;

  // The whole page, after the last pass of the run.
  std::string html();

 private:
  // Values at the sample grid, [k][j] or [k][j][p] flattened.
  struct Field {
    int nstep = 0, nang = 0, nply = 0;
    std::vector<double> hoop, radial, shear;  // stresses in polar axes
    bool failure = false;
    std::vector<double> fn;  // governing failure number of each ply (signed)
  };
  // The first-ply failure found by the search.
  struct Critical {
    bool shown = false;
    int station = 0, ply = 0;
    double PX = 0, PY = 0, PXY = 0, P = 0;
  };

  void end_pass();
  std::string polar_figures() const;
  std::string key_figure() const;
  std::string failure_figures(const Critical& critical) const;
  std::string carpet_figures() const;
  void take_field(const State& st);

  std::string body_;
  int passes_ = 0;
  bool open_ = false;  // a carpet pass whose chart is still to be drawn

  // The pass as typed.
  bool carpet_ = false;
  double width_ = 0.0;
  One one_{};
  Two two_{};
  Three three_{};
  Four four_{};
  Five five_{};

  Field field_;
  bool field_taken_ = false;
  Critical critical_;
  bool stopped_ = false;  // the failure search found no failure load
  EngineeringConstants constants_{};
  bool has_constants_ = false;
  int failure_load_ = -1;  // the load a carpet chart shows at failure: PX, PY, PXY, P (0..3)

  // Carpet plot: per layup [s0 / 10][s45 / 10] the engineering constants and failure stress.
  struct Layup {
    bool seen = false;
    double EX, EY, GXY, failure;
  };
  Layup layups_[11][11];
};

}  // namespace hs::plot
