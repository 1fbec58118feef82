// Conversion of a double to a 32-bit integer by truncation toward zero.
//
// A plain cast is undefined for NaN, infinities and values beyond the integer range; this is the
// one place where the program converts, and it is defined for every input: NaN gives 0, values at
// or beyond the limits give the nearest limit. Within range the result is the truncated value.
#pragma once

namespace hs {

int truncate_to_int(double v);

}  // namespace hs
