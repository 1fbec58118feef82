// The loads on the plate: far-field membrane stresses and a bolt bearing on the hole.
#pragma once

namespace hs {

struct Loads {
  double px;          // far-field normal stress along the load x axis (at off_axis)
  double py;          // far-field normal stress along off_axis + 90 degrees
  double pxy;         // far-field shear stress in the load axes
  double off_axis;    // degrees from the laminate x axis to the load x axis
  double bearing;     // bearing stress of the bolt (bolt force over diameter and thickness)
  double bolt_angle;  // degrees from the laminate x axis to the direction of the bolt load
  double bypass;      // far-field stress along bolt_angle that reacts the bolt load over the
                      // plate width: bearing * diameter / (2 width), 0 for an infinite plate
};

// Bypass stress of a plate of the given width (0 = infinite plate) under a bearing stress.
inline double bypass_stress(double bearing, double diameter, double width) {
  if (bearing == 0.0 || width == 0.0) return 0.0;
  return (bearing * diameter) / (width + width);
}

}  // namespace hs
