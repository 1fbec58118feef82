// The plate around the hole: how far it reaches, and how its finite width enters the field.
#pragma once

namespace hs {

enum class WidthCorrection {
  kNone,  // the infinite plate's field; a width enters only through the bypass stress
  kTan,   // Tan's finite-width factor on each open-hole piece of the loads
};

struct Plate {
  double width = 0.0;  // across the load, in the length unit; 0 = infinite plate
  WidthCorrection width_correction = WidthCorrection::kNone;

  // The open-hole pieces carry a finite-width correction.
  bool corrected() const { return width_correction == WidthCorrection::kTan && width != 0.0; }
};

}  // namespace hs
