#include "numeric/guarded_conversion.hpp"

#include <climits>

namespace hs {

int truncate_to_int(double v) {
  if (v != v) return 0;
  // Both limits are exact doubles; the open interval between INT_MIN - 1 and INT_MAX + 1 holds
  // every value whose truncation fits.
  if (v >= 2147483648.0) return INT_MAX;
  if (v <= -2147483649.0) return INT_MIN;
  return static_cast<int>(v);
}

}  // namespace hs
