// Output-case selection: for stage n of the work, whether it must run and whether it prints.
//
// Returns 2.0 when case n is in the list (run and print), 1.0 when only a higher case is (run,
// print nothing), 0.0 when no case n or higher is selected (the chain of stages ends there), and
// 0.5 while the quiet flag is set and n is at most 9 (run silently during the failure search).
// n = 98 clears the quiet flag and n = 99 sets it; the flag lives in the state.
#pragma once

#include "control/state.hpp"

namespace hs {

double putout(State& st, int n);

}  // namespace hs
