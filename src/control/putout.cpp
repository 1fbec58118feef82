#include "control/putout.hpp"

namespace hs {

double putout(State& st, int n) {
  double result = 0.0;
  for (int entry : st.two.LIST) {
    if (entry >= n) result = 1.0;
  }
  for (int entry : st.two.LIST) {
    if (entry == n) result = 2.0;
  }
  if (n == 98) st.quiet = false;
  if (n == 99) st.quiet = true;
  if (st.quiet && n <= 9) result = 0.5;
  return result;
}

}  // namespace hs
