// One pass of the input dialogue: the instructions question, the output cases, then the inputs
// those cases need, with prompts when the user asked for instructions.
//
// Everything read goes into the dialogue's state, which lives for the whole run: what a pass
// does not ask keeps its earlier value. The checks ask again, with one line saying why, rather
// than store a value beyond the program's limits.
#pragma once

#include "io/console.hpp"
#include "model/output_cases.hpp"
#include "model/limits.hpp"
#include "model/problem.hpp"

namespace hs {

struct DialogueState {
  DialogueState();  // the lists sized to the dialogue's limits, nothing typed yet

  Problem problem;
  CaseList cases;
  double width;  // plate width, 0.0 for an infinite plate; asked only with a bearing stress
  int material_numbers[kMaxPlies];  // as typed, from 1 (0 before any is typed)
};

// Reads the inputs of one pass. False when a read failed: its diagnostic is written and the run
// must end with exit status 2.
bool read_pass(Console& con, DialogueState& state);

// The continue question: false to stop (the answer NO), true for another pass. Sets failed when
// the read failed.
bool continue_answer(Console& con, bool& failed);

}  // namespace hs
