// `holestress interaction JOB.toml [--hole PLATE:ROW]`: the bearing-bypass interaction diagram of
// one hole (analysis/interaction.hpp): the bearing and bypass stresses at which each criterion's
// reserve factor is 1, ray by ray, as CSV, and the picture of the curves with the hole's own
// loads and their ray, as SVG. The hole is one of a joint job's (the critical one unless named),
// or the hole of a job of one hole, its bolt along the first load case's bolt angle.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "analysis/interaction.hpp"
#include "job/job.hpp"

namespace hs {

struct InteractionOptions {
  std::string job;
  std::string hole;     // PLATE:ROW of a joint job; "" for the critical hole
  int rays = 90;        // rays + 1 rays from 0 to 180 degrees
  std::string output;   // the CSV file; default JOB-interaction.csv in the current folder
  std::string picture;  // the SVG file; default JOB-interaction.svg in the current folder
};

// The hole of a diagram, as the superposition takes it, and its own loads.
struct InteractionHole {
  std::string name;  // PLATE:ROW, or "" for a job of one hole
  PlyStack plies;
  Grid grid;
  Plate plate;
  double bolt_angle = 0.0;             // degrees from the laminate x axis
  double bypass = 0.0, bearing = 0.0;  // the hole's own loads, if any
  bool loaded = false;                 // there are such loads
  std::vector<std::string> notes;      // what the diagram changed of the hole's model
};

// The hole `name` of a job (see above). False with a message when there is no such hole.
bool interaction_hole(const Job& job, const std::string& name, InteractionHole& hole,
                      std::string& message);

// The CSV text: per ray and criterion (and "smallest", the envelope), the ray's angle, the
// bypass and bearing stresses where the factor is 1 (Inf where the criterion never fails along
// the ray, NaN where the factor is undefined).
std::string interaction_csv(const Job& job, const std::vector<InteractionRay>& rays);

// The picture (SVG).
std::string interaction_picture(const Job& job, const InteractionHole& hole,
                                const std::vector<InteractionRay>& rays,
                                const LoadCaseReserve& own);

// Returns the exit status: 0; 1 when a file cannot be read or written; 2 for a job with
// mistakes, a hole that is not in it or a job without [failure].
int interaction_command(const InteractionOptions& options, std::ostream& out, std::ostream& err);

}  // namespace hs
