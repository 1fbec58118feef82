// Rendering of one output field by the edit descriptors Iw, Fw.d and Ew.d.
//
// Each function writes exactly w characters to out (no terminator). Reals are rounded from the
// exact binary value of the double, ties to the even digit. A text that does not fit is shortened
// by the fixed-point rules (".500" for 0.5 in F4.3, "." and zeros for a negative zero that lacks
// room for its sign) or replaced by w asterisks. Non-finite reals print as "NaN", "+Inf", "-Inf"
// ("Inf" in a width of 3). Widths from 1 to kMaxFieldWidth.
#pragma once

namespace hs {

constexpr int kMaxFieldWidth = 64;

// Iw: an integer right-justified in w columns.
void format_integer(char* out, int w, int value);
// Fw.d: fixed point with d decimals.
void format_fixed(char* out, int w, int d, double value);
// Ew.d: 0.DDDE+XX with d significant digits.
void format_exponent(char* out, int w, int d, double value);

}  // namespace hs
